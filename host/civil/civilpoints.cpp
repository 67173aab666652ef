// COGO points of the managed API and their numbering.
#include <set>

#include "aeccdb.h"
#include "civilmodel.h"
#include "civilobjects.h"

namespace pelvarhost::civil {
namespace {

using Autodesk::AutoCAD::Runtime::ThrowIfFailed;

std::set<std::uint32_t> PointNumbersInUse(AcDbDatabase* database) {
  std::set<std::uint32_t> numbers;
  for (const AcDbObjectId& id : ModelSpaceIdsOf(database, AeccDbCogoPoint::desc()))
    numbers.insert(static_cast<const AeccDbCogoPoint*>(PeekObject(id))->peekPointNumber());
  return numbers;
}

std::uint32_t FirstFreeFrom(std::uint32_t number, const std::set<std::uint32_t>& used) {
  while (used.count(number) != 0) ++number;
  return number;
}

// The number for a new point; with the next-number setting, the setting moves past it.
std::uint32_t TakePointNumber(AcDbDatabase* database, bool useNextPointNumSetting) {
  std::set<std::uint32_t> used = PointNumbersInUse(database);
  if (!useNextPointNumSetting) return FirstFreeFrom(1, used);
  AeccDbDrawingSettings* settings = nullptr;
  ThrowIfFailed(acdbOpenObject(settings, DrawingSettingsId(database, true), AcDb::kForWrite));
  RecordBeforeChange(*settings);
  std::uint32_t number = FirstFreeFrom(std::max<std::uint32_t>(settings->nextPointNumber(), 1), used);
  settings->setNextPointNumber(number + 1);
  settings->close();
  return number;
}

}  // namespace
}  // namespace pelvarhost::civil

namespace Autodesk::Civil::DatabaseServices {

CogoPoint::CogoPoint(AeccDbCogoPoint* native) : Entity(native) {}

std::uint32_t CogoPoint::PointNumber() const {
  return static_cast<AeccDbCogoPoint*>(UnmanagedObject())->pointNumber();
}

Point3d CogoPoint::Location() const {
  AcGePoint3d p = static_cast<AeccDbCogoPoint*>(UnmanagedObject())->location();
  return {p.x, p.y, p.z};
}

System::String CogoPoint::RawDescription() const {
  return static_cast<AeccDbCogoPoint*>(UnmanagedObject())->rawDescription();
}

void CogoPoint::RawDescription(const std::wstring& description) {
  static_cast<AeccDbCogoPoint&>(WritableNative()).setRawDescription(description);
}

ObjectId CogoPointCollection::Add(const Point3d& location, const std::wstring& description,
                                  bool useNextPointNumSetting) {
  pelvarhost::civil::RequireCivilModel();
  if (m_database == nullptr) throw AutoCAD::Runtime::Exception(Acad::eNoDatabase);
  std::uint32_t number = pelvarhost::civil::TakePointNumber(m_database, useNextPointNumSetting);
  auto* point = new AeccDbCogoPoint();
  point->setPointNumber(number);
  point->setLocation(AcGePoint3d(location.X, location.Y, location.Z));
  point->setRawDescription(description);
  return ObjectId(pelvarhost::civil::AppendCivilEntity(m_database, point));
}

int CogoPointCollection::Count() const {
  return static_cast<int>(pelvarhost::civil::ModelSpaceIdsOf(m_database, AeccDbCogoPoint::desc()).size());
}

}  // namespace Autodesk::Civil::DatabaseServices
