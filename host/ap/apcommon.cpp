#include "apcommon.h"

#include "acdocman.h"
#include "dbapserv.h"

namespace pelvarhost::cmd {

bool HaveDrawing() {
  if (acdbHostApplicationServices()->workingDatabase() != nullptr) return true;
  acutPrintf(L"\nNo drawing is open.");
  return false;
}

AcDbBlockTableRecord* OpenModelSpace(AcDb::OpenMode mode) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr) return nullptr;
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, db->modelSpaceId(), mode) != Acad::eOk) return nullptr;
  return space;
}

bool AppendToModelSpace(AcDbEntity* entity) {
  AcDbBlockTableRecord* space = OpenModelSpace(AcDb::kForWrite);
  if (space == nullptr) {
    delete entity;
    return false;
  }
  entity->setDatabaseDefaults(acdbHostApplicationServices()->workingDatabase());
  Acad::ErrorStatus status = space->appendAcDbEntity(entity);
  space->close();
  if (status != Acad::eOk) {
    if (status == Acad::eHandleInUse)
      acutPrintf(L"\nThe drawing has no free handle left; the object is not added.");
    else
      acutPrintf(L"\nThe object cannot be added: %ls", acadErrorStatusText(status));
    delete entity;
    return false;
  }
  entity->close();
  return true;
}

void ReportMissedPick(const ads_point where) { acutPrintf(L"\nNothing found at %g,%g.", where[0], where[1]); }

std::vector<AcDbObjectId> PickEntities(const ACHAR* prompt) {
  std::vector<AcDbObjectId> ids;
  while (true) {
    ads_name name;
    ads_point where;
    int rc = acedEntSel(prompt, name, where);
    if (rc == RTERROR) {
      ReportMissedPick(where);
      continue;
    }
    if (rc != RTNORM) break;
    AcDbObjectId id;
    acdbGetObjectId(id, name);
    bool already = false;
    for (const AcDbObjectId& seen : ids) already = already || seen == id;
    if (!already) ids.push_back(id);
  }
  return ids;
}

void TransformEntities(const std::vector<AcDbObjectId>& ids, const AcGeMatrix3d& xform) {
  for (const AcDbObjectId& id : ids) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenObject(entity, id, AcDb::kForWrite) != Acad::eOk) continue;
    Acad::ErrorStatus status = entity->transformBy(xform);
    if (status != Acad::eOk) acutPrintf(L"\n%ls cannot be transformed.", entity->isA()->name());
    entity->close();
  }
}

AcGePoint3d ToPoint(const ads_point p) { return AcGePoint3d(p[0], p[1], p[2]); }

}  // namespace pelvarhost::cmd
