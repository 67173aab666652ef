// The application base classes a module derives its application object from, as the host's
// development kit ships them (a header compiled into the module). AcRxDbxApp handles the
// dynamic linker's flags on load; AcRxArxApp adds the editor-side messages. The exported
// acrxEntryPoint hands every message to the one application object, which dispatches it
// to its On_k... handler.
#pragma once
#include "rxregsvc.h"

typedef void* HINSTANCE;

class AcRxDbxApp {
 public:
  explicit AcRxDbxApp(bool unlockAppAfterLoad = true, bool mdiAware = true)
      : m_bUnlockAppAfterLoad(unlockAppAfterLoad), m_bMDIAware(mdiAware) {}
  virtual ~AcRxDbxApp() = default;
  AcRxDbxApp(const AcRxDbxApp&) = delete;
  AcRxDbxApp& operator=(const AcRxDbxApp&) = delete;

  // Dispatches one host message. Messages 0 to 15 go to their handler; any other code
  // is not a message of this interface and answers 0.
  AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) {
    switch (msg) {
      case AcRx::kInitAppMsg: return On_kInitAppMsg(pkt);
      case AcRx::kUnloadAppMsg: return On_kUnloadAppMsg(pkt);
      case AcRx::kLoadDwgMsg: return On_kLoadDwgMsg(pkt);
      case AcRx::kUnloadDwgMsg: return On_kUnloadDwgMsg(pkt);
      case AcRx::kInvkSubrMsg: return On_kInvkSubrMsg(pkt);
      case AcRx::kCfgMsg:
      case AcRx::kEndMsg:
      case AcRx::kQuitMsg:
      case AcRx::kSaveMsg:
      case AcRx::kDependencyMsg:
      case AcRx::kNoDependencyMsg:
      case AcRx::kOleUnloadAppMsg:
      case AcRx::kPreQuitMsg:
      case AcRx::kInitDialogMsg:
      case AcRx::kEndDialogMsg:
      case AcRx::kSuspendMsg: return AcRx::kRetOK;
      default: return static_cast<AcRx::AppRetCode>(0);
    }
  }

  // On load: remembers the module handle (on this host the value passed with the message)
  // and sets the dynamic linker's flags.
  virtual AcRx::AppRetCode On_kInitAppMsg(void* pkt) {
    m_hdllInstance = pkt;
    if (m_bUnlockAppAfterLoad) acrxDynamicLinker->unlockApplication(pkt);
    if (m_bMDIAware) acrxDynamicLinker->registerAppMDIAware(pkt);
    return AcRx::kRetOK;
  }
  virtual AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) { return AcRx::kRetOK; }

  HINSTANCE GetModuleInstance() const { return m_hdllInstance; }

 protected:
  virtual AcRx::AppRetCode On_kLoadDwgMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kUnloadDwgMsg(void* pkt) { return AcRx::kRetOK; }
  virtual AcRx::AppRetCode On_kInvkSubrMsg(void* pkt) { return AcRx::kRetOK; }

  HINSTANCE m_hdllInstance = nullptr;
  bool m_bUnlockAppAfterLoad;
  bool m_bMDIAware;
};

class AcRxArxApp : public AcRxDbxApp {
 public:
  using AcRxDbxApp::AcRxDbxApp;
};

// Defines the module's one application object and the exported entry point.
#define IMPLEMENT_ARX_ENTRYPOINT(CLASSNAME)                                                   \
  static CLASSNAME theArxApp;                                                                \
  extern "C" ACRX_EXPORT_SYMBOL AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt) { \
    return theArxApp.acrxEntryPoint(msg, pkt);                                               \
  }
