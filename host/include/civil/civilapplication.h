// The civil application: the active civil document, its object collections and its
// drawing settings.
#pragma once
#include <optional>

#include "civilobjects.h"

namespace Autodesk::Civil::Settings {

class SettingsUnitZone {
 public:
  explicit SettingsUnitZone(AcDbDatabase* database) : m_database(database) {}
  // Null until a code was set.
  System::String CoordinateSystemCode() const;
  // Null clears the code. Inside a running transaction the change is part of it.
  void CoordinateSystemCode(const System::String& code);

 private:
  AcDbDatabase* m_database;
};

class SettingsDrawing {
 public:
  explicit SettingsDrawing(AcDbDatabase* database) : m_database(database) {}
  SettingsUnitZone UnitZoneSettings() const { return SettingsUnitZone(m_database); }

 private:
  AcDbDatabase* m_database;
};

class SettingsRoot {
 public:
  explicit SettingsRoot(AcDbDatabase* database) : m_database(database) {}
  SettingsDrawing DrawingSettings() const { return SettingsDrawing(m_database); }

 private:
  AcDbDatabase* m_database;
};

}  // namespace Autodesk::Civil::Settings

namespace Autodesk::Civil::ApplicationServices {

class CivilDocument {
 public:
  explicit CivilDocument(AcDbDatabase* database) : m_database(database) {}
  AutoCAD::DatabaseServices::ObjectIdCollection GetSurfaceIds() const;
  AutoCAD::DatabaseServices::ObjectIdCollection GetSitelessFeatureLineIds() const;
  DatabaseServices::CogoPointCollection CogoPoints() const;
  Civil::Settings::SettingsRoot Settings() const;
  AcDbDatabase* UnmanagedDatabase() const { return m_database; }

 private:
  AcDbDatabase* m_database;
};

class CivilApplication {
 public:
  // The civil document of the working database; none when no drawing is open or the
  // host runs without its civil model.
  static std::optional<CivilDocument> ActiveDocument();
};

}  // namespace Autodesk::Civil::ApplicationServices
