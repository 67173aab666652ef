#include "civilcontents.h"

#include <charconv>

#include "aeccdb.h"
#include "civilapplication.h"
#include "civilmodel.h"

namespace pelvarhost::civil {
namespace {

// Opens each live object of the class for read, hands it to `read` and closes it.
template <typename T, typename Read>
void ForEachOpen(AcDbDatabase* database, Read&& read) {
  for (const AcDbObjectId& id : ModelSpaceIdsOf(database, T::desc())) {
    T* object = nullptr;
    if (acdbOpenObject(object, id, AcDb::kForRead) != Acad::eOk) continue;
    read(*object);
    object->close();
  }
}

}  // namespace

CivilContents ReadCivilContents(AcDbDatabase* database) {
  CivilContents contents;
  ForEachOpen<AeccDbSurfaceTin>(database, [&](const AeccDbSurfaceTin& s) {
    contents.surfaces.push_back({s.name(), s.description(), s.vertices(), s.faces()});
  });
  ForEachOpen<AeccDbCogoPoint>(database, [&](const AeccDbCogoPoint& p) {
    contents.points.push_back({p.pointNumber(), p.location(), p.rawDescription()});
  });
  ForEachOpen<AeccDbFeatureLine>(database, [&](const AeccDbFeatureLine& f) {
    contents.featureLines.push_back({f.name(), f.layer(), f.points()});
  });
  contents.coordinateSystemCode =
      Autodesk::Civil::Settings::SettingsUnitZone(database).CoordinateSystemCode();
  return contents;
}

std::string FormatNumber(double value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

}  // namespace pelvarhost::civil
