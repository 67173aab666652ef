// Entity selection by a point, and entity names.
#include <cmath>

#include "acdocman.h"
#include "apcommon.h"
#include "dbapserv.h"
#include "dbextents.h"
#include "edanswer.h"
#include "hostgraphics.h"

namespace {

bool WithinPickBox(const AcDbEntity& entity, const AcGePoint3d& pick, double halfSize) {
  if (const AcDbCurve* curve = AcDbCurve::cast(&entity)) {
    AcGePoint3d onCurve;
    if (curve->getClosestPointTo(pick, onCurve) != Acad::eOk) return false;
    return std::fabs(onCurve.x - pick.x) <= halfSize && std::fabs(onCurve.y - pick.y) <= halfSize;
  }
  AcDbExtents extents;
  if (entity.getGeomExtents(extents) != Acad::eOk) return false;
  return pick.x >= extents.minPoint().x - halfSize && pick.x <= extents.maxPoint().x + halfSize &&
         pick.y >= extents.minPoint().y - halfSize && pick.y <= extents.maxPoint().y + halfSize;
}

// The topmost (last drawn) entity of model space within the pick box around the point.
AcDbObjectId FindEntityAt(const AcGePoint3d& pick) {
  AcDbObjectId found;
  AcDbBlockTableRecord* space = pelvarhost::cmd::OpenModelSpace(AcDb::kForRead);
  if (space == nullptr) return found;
  AcDbBlockTableRecordIterator* it = nullptr;
  if (space->newIterator(it) == Acad::eOk) {
    for (; !it->done(); it->step()) {
      AcDbEntity* entity = nullptr;
      if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
      if (WithinPickBox(*entity, pick, pelvarhost::PickBoxHalfSize())) found = entity->objectId();
      entity->close();
    }
    delete it;
  }
  space->close();
  return found;
}

}  // namespace

Acad::ErrorStatus acdbGetAdsName(ads_name& objName, AcDbObjectId objId) {
  objName[0] = static_cast<std::int64_t>(objId.asOldId());
  objName[1] = 0;
  return objId.isNull() ? Acad::eNullObjectId : Acad::eOk;
}

Acad::ErrorStatus acdbGetObjectId(AcDbObjectId& objId, const ads_name objName) {
  objId = AcDbObjectId(reinterpret_cast<AcDbStub*>(static_cast<Adesk::IntPtr>(objName[0])));
  return objId.isNull() ? Acad::eNullObjectId : Acad::eOk;
}

int acedEntSel(const ACHAR* prompt, ads_name entity, ads_point pickedPoint) {
  if (entity != nullptr) ads_name_clear(entity);
  ads_point pick;
  int rc = acedGetPoint(nullptr, prompt != nullptr ? prompt : L"\nSelect object: ", pick);
  if (rc != RTNORM) return rc;
  if (pickedPoint != nullptr) ads_point_set(pick, pickedPoint);
  AcDbObjectId id = FindEntityAt(pelvarhost::cmd::ToPoint(pick));
  if (id.isNull()) {
    acutPrintf(L"\nNothing found at %g,%g.", pick[0], pick[1]);
    return RTERROR;
  }
  if (entity != nullptr) acdbGetAdsName(reinterpret_cast<ads_name&>(*entity), id);
  return RTNORM;
}
