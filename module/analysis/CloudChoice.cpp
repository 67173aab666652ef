#include "analysis/CloudChoice.h"

#include "aced.h"
#include "analysis/CloudView.h"
#include "dbapserv.h"
#include "entity/ModelSpace.h"
#include "entity/OpenedObject.h"

namespace {

constexpr const ACHAR* kSelectCloudPrompt = L"\nSelect cloud <Enter = first in drawing>: ";
constexpr const ACHAR* kPickCloudPrompt = L"\nSelect Mardel cloud: ";
constexpr const ACHAR* kNotACloud = L"\nNot a PELVAR entity.";

// The picked entity opened in the mode when it is a cloud; otherwise null (after the
// not-a-cloud message when it opened but is something else).
Pelvar* OpenPickedCloud(const ads_name picked, AcDb::OpenMode mode) {
  AcDbObjectId id;
  if (acdbGetObjectId(id, picked) != Acad::eOk) return nullptr;
  AcDbEntity* entity = nullptr;
  if (acdbOpenAcDbEntity(entity, id, mode) != Acad::eOk) return nullptr;
  if (Pelvar* cloud = Pelvar::cast(entity)) return cloud;
  acutPrintf(kNotACloud);
  entity->close();
  return nullptr;
}

// The first cloud entity of model space, open in the mode; null when there is none.
Pelvar* FirstCloudInModelSpace(AcDb::OpenMode mode) {
  OpenedObject<AcDbBlockTableRecord> space(
      OpenModelSpace(acdbHostApplicationServices()->workingDatabase(), AcDb::kForRead));
  if (!space) return nullptr;
  AcDbBlockTableRecordIterator* it = nullptr;
  if (space->newIterator(it) != Acad::eOk) return nullptr;
  Pelvar* found = nullptr;
  for (; found == nullptr && !it->done(); it->step()) {
    AcDbEntity* entity = nullptr;
    if (it->getEntity(entity, mode) != Acad::eOk) continue;
    found = Pelvar::cast(entity);
    if (found == nullptr) entity->close();
  }
  delete it;
  if (found == nullptr) acutPrintf(kNoCloudInDrawing);
  return found;
}

}  // namespace

Pelvar* SelectCloud(AcDb::OpenMode mode, const ACHAR* title) {
  acutPrintf(L"\n%ls", title);
  ads_name picked;
  ads_point where;
  if (acedEntSel(kSelectCloudPrompt, picked, where) == RTNORM) return OpenPickedCloud(picked, mode);
  return FirstCloudInModelSpace(mode);
}

Pelvar* PickCloud() {
  ads_name picked;
  ads_point where;
  if (acedEntSel(kPickCloudPrompt, picked, where) != RTNORM) return nullptr;
  return OpenPickedCloud(picked, AcDb::kForWrite);
}
