// The reactor's notifications do nothing yet: hiding the panel when a drawing closes and
// showing it for a drawing with clouds come with the control panel.
#include "app/DocReactor.h"

void CPelvarDocReactor::documentToBeDestroyed(AcApDocument* document) {}

void CPelvarDocReactor::documentActivated(AcApDocument* document) {}

CPelvarDocReactor& PelvarDocReactor() {
  static CPelvarDocReactor reactor;
  return reactor;
}
