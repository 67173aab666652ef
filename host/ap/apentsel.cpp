// Entity selection by a point, and entity names.
#include <algorithm>
#include <cmath>

#include "acdocman.h"
#include "apcommon.h"
#include "dbapserv.h"
#include "dbextents.h"
#include "edanswer.h"
#include "hostgraphics.h"

namespace {

// True when segment ab, seen in plan, passes through the square box of half-size h around
// p (the segment is clipped against the box's x and y slabs in turn).
bool SegmentMeetsBox(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& p, double h) {
  const double delta[2] = {b.x - a.x, b.y - a.y};
  const double low[2] = {p.x - h - a.x, p.y - h - a.y};
  const double high[2] = {p.x + h - a.x, p.y + h - a.y};
  double enter = 0.0, leave = 1.0;
  for (int axis = 0; axis < 2; ++axis) {
    if (delta[axis] == 0.0) {
      if (low[axis] > 0.0 || high[axis] < 0.0) return false;
      continue;
    }
    double t0 = low[axis] / delta[axis], t1 = high[axis] / delta[axis];
    if (t0 > t1) std::swap(t0, t1);
    enter = std::max(enter, t0);
    leave = std::min(leave, t1);
    if (enter > leave) return false;
  }
  return true;
}

// An entity drawn as lines (a curve, a surface's border) is hit where its plan view crosses
// the pick box, whatever its elevation: the box is a square on the screen, not a cube in space.
bool WireframeMeetsBox(const AcDbEntity& entity, const AcGePoint3d& pick, double halfSize, bool* known) {
  AcArray<AcGePoint3dArray> polylines;
  AcGePoint3dArray points;
  entity.getWireframe(polylines, points);
  *known = polylines.length() > 0;
  for (int i = 0; i < polylines.length(); ++i) {
    const AcGePoint3dArray& chain = polylines[i];
    for (int k = 0; k + 1 < chain.length(); ++k)
      if (SegmentMeetsBox(chain[k], chain[k + 1], pick, halfSize)) return true;
  }
  return false;
}

bool WithinPickBox(const AcDbEntity& entity, const AcGePoint3d& pick, double halfSize) {
  bool known = false;
  const bool hit = WireframeMeetsBox(entity, pick, halfSize, &known);
  if (known) return hit;
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
  if (id.isNull()) return RTERROR;  // silent, as the host's own: the caller says what a miss means
  if (entity != nullptr) acdbGetAdsName(reinterpret_cast<ads_name&>(*entity), id);
  return RTNORM;
}
