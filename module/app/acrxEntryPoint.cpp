// The module's entry point and application object: the load and unload sequences.
#include <cwchar>

#include "acdocman.h"
#include "acedads.h"
#include "acutads.h"
#include "app/CommandTable.h"
#include "app/DemandLoad.h"
#include "app/DocReactor.h"
#include "arxapp.h"
#include "cloudfile/CloudReader.h"
#include "entity/Pelvar.h"
#include "entity/PelvarClass.h"
#include "ui/AboutWindow.h"
#include "ui/PanelHooks.h"

namespace {

constexpr const ACHAR* kLoadBanner =
    L"\nPelvar loaded: PELVARPANEL, PELVARATTACH, PELVARPICK, PELVARCLS, PELVARMODE, PELVARPROF, "
    L"PELVARSURF, PELVARCOGO.\n";

}  // namespace

class CPelvarApp : public AcRxArxApp {
 public:
  CPelvarApp() : AcRxArxApp(/*unlockAppAfterLoad=*/true, /*mdiAware=*/true) {}

  AcRx::AppRetCode On_kInitAppMsg(void* pkt) override {
    AcRxArxApp::On_kInitAppMsg(pkt);
    RegisterCommands(kPelvarCommands, m_hdllInstance);
    RegisterPelvarClass();
    WriteDemandLoadInfo(m_hdllInstance);
    acutPrintf(L"%ls", kLoadBanner);
    if (adsw_acadMainWnd() != nullptr) ShowPanel();
    acDocManager->addReactor(&PelvarDocReactor());
    return AcRx::kRetOK;
  }

  // Nothing is printed on unload.
  AcRx::AppRetCode On_kUnloadAppMsg(void* pkt) override {
    RemoveCommands(kPelvarCommands);
    acDocManager->removeReactor(&PelvarDocReactor());
    CloseAboutWindow();
    DestroyPanel();
    UnregisterPelvarClass();
    ClearCloudCache();
    return AcRxArxApp::On_kUnloadAppMsg(pkt);
  }
};

IMPLEMENT_ARX_ENTRYPOINT(CPelvarApp)

ACRX_DEFINE_API_VERSION()
