#include "app/DemandLoad.h"

#include "app/CommandTable.h"
#include "appinfo.h"
#include "windows.h"

void WriteDemandLoadInfo(HINSTANCE module) {
  wchar_t modulePath[MAX_PATH] = {};
  GetModuleFileNameW(module, modulePath, MAX_PATH);

  AcadAppInfo info;
  info.setAppName(kDemandLoadAppName);
  info.setModuleName(modulePath);
  info.setAppDesc(kDemandLoadDescription);
  info.setLoadReason(
      static_cast<AcadApp::LoadReasons>(AcadApp::kOnProxyDetection | AcadApp::kOnCommandInvocation));
  info.writeToRegistry();
  info.writeGroupNameToRegistry(kDemandLoadGroup);
  for (const ACHAR* name : kDemandLoadCommands) info.writeCommandNameToRegistry(name, name);
}
