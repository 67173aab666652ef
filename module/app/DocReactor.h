// The module's document reactor: lets the control panel follow the drawing in use.
#pragma once
#include "acdocman.h"

class CPelvarDocReactor : public AcApDocManagerReactor {
 public:
  void documentToBeDestroyed(AcApDocument* document) override;
  void documentActivated(AcApDocument* document) override;
};

// The module's one reactor object, added on load and removed on unload.
CPelvarDocReactor& PelvarDocReactor();
