// Feature lines of the managed API: made from polylines, named uniquely.
#include "aeccdb.h"
#include "civilmodel.h"
#include "civilobjects.h"
#include "dbents.h"
#include "textcase.h"

namespace pelvarhost::civil {
namespace {

void RequireFreeFeatureLineName(AcDbDatabase* database, const std::wstring& name) {
  if (name.empty()) throw System::ArgumentException(L"A feature line name must not be empty.");
  for (const AcDbObjectId& id : ModelSpaceIdsOf(database, AeccDbFeatureLine::desc())) {
    const auto* line = static_cast<const AeccDbFeatureLine*>(PeekObject(id));
    if (!pelvarhost::SameTextIgnoringCase(line->peekName(), name)) continue;
    throw System::ArgumentException(L"The feature line name \"" + name + L"\" is already used by the feature line \"" +
                                    line->peekName() + L"\".");
  }
}

// The vertices of a polyline-like entity in world coordinates; false for other entities.
bool PolylineVertices(const AcDbEntity& entity, std::vector<AcGePoint3d>& points) {
  if (const auto* poly3d = AcDb3dPolyline::cast(&entity)) {
    AcGePoint3dArray vertices;
    poly3d->getVertices(vertices);
    for (int i = 0; i < vertices.length(); ++i) points.push_back(vertices[i]);
    if (poly3d->isClosed() && !points.empty()) points.push_back(points.front());
    return true;
  }
  if (const auto* poly = AcDbPolyline::cast(&entity)) {
    for (unsigned i = 0; i < poly->numVerts(); ++i) {
      AcGePoint3d point;
      poly->getPointAt(i, point);
      points.push_back(point);
    }
    if (poly->isClosed() && !points.empty()) points.push_back(points.front());
    return true;
  }
  if (const auto* line = AcDbLine::cast(&entity)) {
    points = {line->startPoint(), line->endPoint()};
    return true;
  }
  return false;
}

// The polyline's vertices and layer; raises when it is no polyline or cannot be read.
std::vector<AcGePoint3d> ReadPolyline(const AcDbObjectId& id, std::wstring& layer) {
  using Autodesk::AutoCAD::Runtime::ThrowIfFailed;
  AcDbEntity* entity = nullptr;
  ThrowIfFailed(acdbOpenAcDbEntity(entity, id, AcDb::kForRead));
  std::vector<AcGePoint3d> points;
  bool isPolyline = PolylineVertices(*entity, points);
  layer = entity->layer();
  std::wstring className = entity->isA()->name();
  entity->close();
  if (!isPolyline) throw System::ArgumentException(L"The object (" + className + L") is not a polyline.");
  if (points.size() < 2) throw System::ArgumentException(L"The polyline has fewer than two vertices.");
  return points;
}

}  // namespace
}  // namespace pelvarhost::civil

namespace Autodesk::Civil::DatabaseServices {

FeatureLine::FeatureLine(AeccDbFeatureLine* native) : Entity(native) {}

ObjectId FeatureLine::Create(const std::wstring& featureLineName, const ObjectId& polylineId) {
  pelvarhost::civil::RequireCivilModel();
  if (polylineId.IsNull()) throw AutoCAD::Runtime::Exception(Acad::eNullObjectId);
  if (!pelvarhost::civil::IsLiveId(polylineId.Native())) throw AutoCAD::Runtime::Exception(Acad::eUnknownHandle);
  AcDbDatabase* database = polylineId.Native().database();
  pelvarhost::civil::RequireFreeFeatureLineName(database, featureLineName);
  std::wstring layer;
  std::vector<AcGePoint3d> points = pelvarhost::civil::ReadPolyline(polylineId.Native(), layer);
  auto* line = new AeccDbFeatureLine();
  line->setName(featureLineName);
  line->setPoints(std::move(points));
  AcDbObjectId id = pelvarhost::civil::AppendCivilEntity(database, line);
  AcDbEntity* appended = nullptr;
  if (acdbOpenAcDbEntity(appended, id, AcDb::kForWrite) == Acad::eOk) {
    appended->setLayer(layer.c_str());
    appended->close();
  }
  return ObjectId(id);
}

System::String FeatureLine::Name() const { return static_cast<AeccDbFeatureLine*>(UnmanagedObject())->name(); }

int FeatureLine::PointsCount() const {
  return static_cast<int>(static_cast<AeccDbFeatureLine*>(UnmanagedObject())->points().size());
}

}  // namespace Autodesk::Civil::DatabaseServices
