// The civil application's active document and the drawing settings.
#include "civilapplication.h"

#include "aeccdb.h"
#include "civilmodel.h"
#include "dbapserv.h"
#include "dbimpl.h"
#include "hostcmdline.h"

namespace pelvarhost::civil {

AcDbObjectId DrawingSettingsId(AcDbDatabase* database, bool create) {
  for (const auto& [handle, stub] : pelvarhost::DbAccess::Impl(*database).stubs)
    if (!stub->erased && AeccDbDrawingSettings::cast(stub->object) != nullptr) return AcDbObjectId(stub.get());
  if (!create) return AcDbObjectId();
  auto* settings = new AeccDbDrawingSettings();
  AcDbObjectId id;
  Acad::ErrorStatus status = database->addAcDbObject(id, settings);
  if (status != Acad::eOk) {
    delete settings;
    Autodesk::AutoCAD::Runtime::ThrowIfFailed(status);
  }
  settings->close();
  RecordCreated(database, id);
  return id;
}

}  // namespace pelvarhost::civil

namespace Autodesk::Civil::Settings {

using AutoCAD::Runtime::ThrowIfFailed;

System::String SettingsUnitZone::CoordinateSystemCode() const {
  AcDbObjectId id = pelvarhost::civil::DrawingSettingsId(m_database, false);
  if (id.isNull()) return std::nullopt;
  AeccDbDrawingSettings* settings = nullptr;
  ThrowIfFailed(acdbOpenObject(settings, id, AcDb::kForRead));
  System::String code;
  if (settings->hasCoordinateSystemCode()) code = settings->coordinateSystemCode();
  settings->close();
  return code;
}

void SettingsUnitZone::CoordinateSystemCode(const System::String& code) {
  pelvarhost::civil::RequireCivilModel();
  AeccDbDrawingSettings* settings = nullptr;
  ThrowIfFailed(acdbOpenObject(settings, pelvarhost::civil::DrawingSettingsId(m_database, true), AcDb::kForWrite));
  pelvarhost::civil::RecordBeforeChange(*settings);
  settings->setCoordinateSystemCode(code.has_value(), code.value_or(std::wstring()));
  settings->close();
}

}  // namespace Autodesk::Civil::Settings

namespace Autodesk::Civil::ApplicationServices {

namespace {
AutoCAD::DatabaseServices::ObjectIdCollection ManagedIds(const std::vector<AcDbObjectId>& ids) {
  AutoCAD::DatabaseServices::ObjectIdCollection managed;
  for (const AcDbObjectId& id : ids) managed.emplace_back(id);
  return managed;
}
}  // namespace

AutoCAD::DatabaseServices::ObjectIdCollection CivilDocument::GetSurfaceIds() const {
  return ManagedIds(pelvarhost::civil::ModelSpaceIdsOf(m_database, AeccDbSurface::desc()));
}

AutoCAD::DatabaseServices::ObjectIdCollection CivilDocument::GetSitelessFeatureLineIds() const {
  return ManagedIds(pelvarhost::civil::ModelSpaceIdsOf(m_database, AeccDbFeatureLine::desc()));
}

DatabaseServices::CogoPointCollection CivilDocument::CogoPoints() const {
  return DatabaseServices::CogoPointCollection(m_database);
}

Civil::Settings::SettingsRoot CivilDocument::Settings() const { return Civil::Settings::SettingsRoot(m_database); }

std::optional<CivilDocument> CivilApplication::ActiveDocument() {
  AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
  if (!pelvarhost::HostHasCivil() || database == nullptr) return std::nullopt;
  return CivilDocument(database);
}

}  // namespace Autodesk::Civil::ApplicationServices
