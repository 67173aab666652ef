// Surfaces of the managed API: naming, creation and adding TIN vertices.
#include <algorithm>
#include <cmath>

#include "aeccdb.h"
#include "civilhooks.h"
#include "civilmodel.h"
#include "civilobjects.h"
#include "textcase.h"

namespace pelvarhost::civil {
namespace {

std::vector<std::size_t>& AddVerticesLog() {
  static std::vector<std::size_t> log;
  return log;
}

// Raises ArgumentException when a surface other than `self` already has the name.
void RequireFreeSurfaceName(AcDbDatabase* database, const std::wstring& name, const AcDbObjectId& self) {
  if (name.empty()) throw System::ArgumentException(L"A surface name must not be empty.");
  for (const AcDbObjectId& id : ModelSpaceIdsOf(database, AeccDbSurface::desc())) {
    const auto* surface = static_cast<const AeccDbSurface*>(PeekObject(id));
    if (id == self || !pelvarhost::SameTextIgnoringCase(surface->peekName(), name)) continue;
    throw System::ArgumentException(L"The surface name \"" + name + L"\" is already used by the surface \"" +
                                    surface->peekName() + L"\".");
  }
}

void RequireFinite(const std::vector<Autodesk::AutoCAD::Geometry::Point3d>& points) {
  for (std::size_t i = 0; i < points.size(); ++i) {
    const auto& p = points[i];
    if (std::isfinite(p.X) && std::isfinite(p.Y) && std::isfinite(p.Z)) continue;
    throw System::ArgumentException(L"Vertex " + std::to_wstring(i) + L" has a coordinate that is not a finite number.");
  }
}

}  // namespace

std::vector<std::size_t> AddVerticesCallSizes() { return AddVerticesLog(); }
void ResetAddVerticesCallSizes() { AddVerticesLog().clear(); }

}  // namespace pelvarhost::civil

namespace Autodesk::Civil::DatabaseServices {

using pelvarhost::civil::RequireCivilModel;

Surface::Surface(AeccDbSurface* native) : Entity(native) {}

AeccDbSurface& Surface::NativeSurface() const { return *static_cast<AeccDbSurface*>(UnmanagedObject()); }

System::String Surface::Name() const { return NativeSurface().name(); }

void Surface::Name(const std::wstring& name) {
  AeccDbSurface& surface = static_cast<AeccDbSurface&>(WritableNative());
  pelvarhost::civil::RequireFreeSurfaceName(surface.database(), name, surface.objectId());
  surface.setName(name);
}

System::String Surface::Description() const { return NativeSurface().description(); }

void Surface::Description(const std::wstring& description) {
  static_cast<AeccDbSurface&>(WritableNative()).setDescription(description);
}

GeneralSurfaceProperties Surface::GetGeneralProperties() const {
  GeneralSurfaceProperties properties;
  const auto* tin = AeccDbSurfaceTin::cast(UnmanagedObject());
  if (tin == nullptr || tin->vertices().empty()) return properties;
  const std::vector<AcGePoint3d>& vertices = tin->vertices();
  auto [low, high] = std::minmax_element(vertices.begin(), vertices.end(),
                                         [](const AcGePoint3d& a, const AcGePoint3d& b) { return a.z < b.z; });
  properties.NumberOfPoints = static_cast<int>(vertices.size());
  properties.MinimumElevation = low->z;
  properties.MaximumElevation = high->z;
  return properties;
}

TinSurface::TinSurface(AeccDbSurfaceTin* native) : Surface(native) {}

AeccDbSurfaceTin& TinSurface::NativeTin() const { return *static_cast<AeccDbSurfaceTin*>(UnmanagedObject()); }

ObjectId TinSurface::Create(const Database& database, const std::wstring& surfaceName) {
  RequireCivilModel();
  AcDbDatabase* native = database.UnmanagedObject();
  if (native == nullptr) throw AutoCAD::Runtime::Exception(Acad::eNoDatabase);
  pelvarhost::civil::RequireFreeSurfaceName(native, surfaceName, AcDbObjectId());
  auto* surface = new AeccDbSurfaceTin();
  surface->setName(surfaceName);
  return ObjectId(pelvarhost::civil::AppendCivilEntity(native, surface));
}

SurfaceOperationAddTinMultipleVertices TinSurface::AddVertices(const Point3dCollection& vertices) {
  auto& tin = static_cast<AeccDbSurfaceTin&>(WritableNative());
  pelvarhost::civil::RequireFinite(vertices.Items());
  pelvarhost::civil::AddVerticesLog().push_back(vertices.Items().size());
  std::vector<AcGePoint3d> points;
  points.reserve(vertices.Items().size());
  for (const Point3d& p : vertices.Items()) points.emplace_back(p.X, p.Y, p.Z);
  tin.addVertices(points);
  return {vertices.Count()};
}

TinSurfaceProperties TinSurface::GetTinProperties() const {
  return {static_cast<int>(NativeTin().faceCount())};
}

}  // namespace Autodesk::Civil::DatabaseServices
