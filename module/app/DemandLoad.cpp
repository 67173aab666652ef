#include "app/DemandLoad.h"

#include <algorithm>
#include <string>

#include "app/CommandTable.h"
#include "appinfo.h"
#include "windows.h"

namespace {

// The longest path the system names (in characters, with its terminator).
constexpr size_t kLongestPath = 32768;

// The module's whole path: the room grows while the path fills it (a cut path fills it all).
std::wstring ModulePath(HINSTANCE module) {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length < path.size() || path.size() >= kLongestPath) {
      path.resize(std::min<size_t>(length, path.size()));
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

void WriteDemandLoadInfo(HINSTANCE module) {
  const std::wstring modulePath = ModulePath(module);

  AcadAppInfo info;
  info.setAppName(kDemandLoadAppName);
  info.setModuleName(modulePath.c_str());
  info.setAppDesc(kDemandLoadDescription);
  info.setLoadReason(
      static_cast<AcadApp::LoadReasons>(AcadApp::kOnProxyDetection | AcadApp::kOnCommandInvocation));
  info.writeToRegistry();
  info.writeGroupNameToRegistry(kDemandLoadGroup);
  for (const ACHAR* name : kDemandLoadCommands) info.writeCommandNameToRegistry(name, name);
}
