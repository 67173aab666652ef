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
  bool found = false;
  VisitModelSpaceEntities(database, [&found](const AcDbEntity& entity) {
    found = entity.isA()->isDerivedFrom(Pelvar::desc());
    return !found;
  });
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
