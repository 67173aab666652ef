// View commands: ZOOM, REGEN, REDRAW, PICKBOX.
#include <algorithm>
#include <cmath>

#include "apcommands.h"
#include "apcommon.h"
#include "dbapserv.h"
#include "dbdatabase.h"
#include "dbextents.h"
#include "hostgraphics.h"
#include "wideformat.h"

namespace pelvarhost::cmd {
namespace {

// Shows the rectangle: its centre, and a height that lets its width fit the view's aspect.
void SetView(double x0, double y0, double x1, double y1) {
  AcDbDatabase* db = acdbHostApplicationServices()->workingDatabase();
  ViewRecord view;
  view.centerX = (x0 + x1) / 2;
  view.centerY = (y0 + y1) / 2;
  view.height = std::max(std::fabs(y1 - y0), std::fabs(x1 - x0) / kViewAspect);
  if (view.height <= 0) view.height = db->viewRecord().height;
  db->setViewRecord(view);
}

bool ModelSpaceExtents(AcDbExtents& all) {
  bool any = false;
  AcDbBlockTableRecord* space = OpenModelSpace(AcDb::kForRead);
  if (space == nullptr) return false;
  AcDbBlockTableRecordIterator* it = nullptr;
  if (space->newIterator(it) == Acad::eOk) {
    for (; !it->done(); it->step()) {
      AcDbEntity* entity = nullptr;
      if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
      AcDbExtents e;
      if (entity->getGeomExtents(e) == Acad::eOk) {
        all.addPoint(e.minPoint());
        all.addPoint(e.maxPoint());
        any = true;
      }
      entity->close();
    }
    delete it;
  }
  space->close();
  return any;
}

void ZoomWindow(const ads_point first) {
  ads_point second;
  if (acedGetCorner(first, L"\nSpecify opposite corner: ", second) != RTNORM) return;
  if (first[0] == second[0] && first[1] == second[1]) {
    acutPrintf(L"\nThe window has no area.");
    return;
  }
  SetView(first[0], first[1], second[0], second[1]);
}

}  // namespace

void CmdZoom() {
  if (!HaveDrawing()) return;
  ads_point first;
  acedInitGet(0, L"Extents Window");
  int rc = acedGetPoint(nullptr, L"\nSpecify corner of window or [Extents/Window]: ", first);
  if (rc == RTNORM) {
    ZoomWindow(first);
    return;
  }
  if (rc != RTKWORD) return;
  ACHAR option[16];
  acedGetInput(option, 16);
  if (std::wstring(option) == L"Window") {
    if (acedGetPoint(nullptr, L"\nSpecify first corner: ", first) == RTNORM) ZoomWindow(first);
    return;
  }
  AcDbExtents extents;
  if (!ModelSpaceExtents(extents)) {
    acutPrintf(L"\nThe drawing is empty.");
    return;
  }
  SetView(extents.minPoint().x, extents.minPoint().y, extents.maxPoint().x, extents.maxPoint().y);
}

void CmdRegen() {
  ClearTemporaryVectors();
  NotifyDisplay(DisplayEvent::Regen);
}

void CmdRedraw() {
  ClearTemporaryVectors();
  NotifyDisplay(DisplayEvent::Redraw);
}

void CmdPickBox() {
  const std::wstring prompt = pelvarhost::FormatWide(L"\nPick box half-size <%g>: ", PickBoxHalfSize());
  acedInitGet(RSG_NOZERO | RSG_NONEG, nullptr);
  ads_real size = 0;
  if (acedGetReal(prompt.c_str(), &size) == RTNORM) SetPickBoxHalfSize(size);
}

}  // namespace pelvarhost::cmd
