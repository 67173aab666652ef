#include "app/AppendCloud.h"

#include "app/Settings.h"
#include "dbapserv.h"
#include "entity/ModelSpace.h"
#include "entity/Pelvar.h"

bool AppendCloudEntity(const std::wstring& path) {
  AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
  AcDbBlockTableRecord* space = OpenModelSpace(database, AcDb::kForWrite);
  if (space == nullptr) return false;
  auto* cloud = new Pelvar();
  cloud->setDatabaseDefaults(database);
  cloud->setCloudPath(path);  // also empties the entity's image reference
  cloud->setClassMask(ReadDefaultClassMask(cloud->classMask()));
  bool appended = space->appendAcDbEntity(cloud) == Acad::eOk;
  if (appended) {
    cloud->close();
  } else {
    delete cloud;
  }
  space->close();
  return appended;
}
