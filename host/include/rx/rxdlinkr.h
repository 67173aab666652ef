// The host's dynamic linker: loads and unloads modules (shared objects exporting
// acrxEntryPoint and acrxGetApiVersion) and keeps their lock and MDI flags.
#pragma once
#include "rxobject.h"

class AcRxDynamicLinker : public AcRxObject {
 public:
  static AcRxClass* desc();
  AcRxClass* isA() const override;

  // Loads a module by path; false when it could not be loaded (see pelvarhost::LoadModule
  // for the reason). printit prints nothing on this host.
  bool loadModule(const ACHAR* fileName, bool printit, bool asCmd = false);
  // Unloads a module named by its file name (case-insensitive, with or without extension).
  bool unloadModule(const ACHAR* fileName, bool asCmd = false);

  // appId is the value the module received with kInitAppMsg.
  bool unlockApplication(void* appId) const;
  bool lockApplication(void* appId) const;
  bool isApplicationLocked(const ACHAR* name) const;
  bool registerAppMDIAware(void* appId) const;
  bool registerAppNotMDIAware(void* appId) const;
};

// The single dynamic linker of the host.
AcRxDynamicLinker* acrxDynamicLinkerPtr();
#define acrxDynamicLinker (acrxDynamicLinkerPtr())
