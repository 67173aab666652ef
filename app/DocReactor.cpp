// The document reactor: the control panel follows the drawing in use. Closing a drawing
// hides the panel; activating one that has clouds in model space shows it.
#include "app/DocReactor.h"

#include "entity/ModelSpace.h"
#include "entity/Pelvar.h"
#include "ui/PanelHooks.h"

namespace {

// True when model space of the database holds a cloud entity (erased ones skipped).
// Blocks and paper space do not count; an unreadable model space counts as none.
bool ModelSpaceHasCloud(AcDbDatabase* database) {
  AcDbBlockTableRecord* space = OpenModelSpace(database, AcDb::kForRead);
  if (space == nullptr) return false;
  bool found = false;
  AcDbBlockTableRecordIterator* it = nullptr;
  if (space->newIterator(it) == Acad::eOk) {
    for (; !found && !it->done(); it->step()) {
      AcDbEntity* entity = nullptr;
      if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
      found = entity->isA()->isDerivedFrom(Pelvar::desc());
      entity->close();
    }
    delete it;
  }
  space->close();
  return found;
}

}  // namespace

void CPelvarDocReactor::documentToBeDestroyed(AcApDocument* document) {
  if (IsPanelVisible()) HidePanel();
}

void CPelvarDocReactor::documentActivated(AcApDocument* document) {
  if (document != nullptr && document->database() != nullptr && ModelSpaceHasCloud(document->database()))
    ShowPanel();
  if (IsPanelVisible() && HasPanelDialog()) RefreshPanel();
}

CPelvarDocReactor& PelvarDocReactor() {
  static CPelvarDocReactor reactor;
  return reactor;
}
