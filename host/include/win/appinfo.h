// Demand-load information of a module, written to the host's registry area
// (HKEY_CURRENT_USER\Software\Pelvar Host\Applications\<AppName>).
#pragma once
#include <string>

typedef wchar_t ACHAR;

namespace AcadApp {
enum LoadReasons {
  kOnProxyDetection = 0x01,
  kOnAutoCADStartup = 0x02,
  kOnCommandInvocation = 0x04,
  kOnLoadRequest = 0x08,
  kLoadDisabled = 0x10,
  kTransparentlyLoadable = 0x20,
  kOnIdleLoad = 0x40,
};
enum ErrorStatus { eOk = 0, eKeyNotFound = 1, eRegAccessDenied = 2, eInvalidKey = 3, eUnknownError = 4 };
}  // namespace AcadApp

// The registry key below the current user's hive that holds every module's demand-load data.
inline constexpr const wchar_t* kPelvarHostApplicationsKey = L"Software\\Pelvar Host\\Applications";

class AcadAppInfo {
 public:
  AcadAppInfo() = default;

  const ACHAR* appName() const { return appName_.c_str(); }
  void setAppName(const ACHAR* name) { appName_ = name != nullptr ? name : L""; }
  const ACHAR* moduleName() const { return moduleName_.c_str(); }
  void setModuleName(const ACHAR* path) { moduleName_ = path != nullptr ? path : L""; }
  const ACHAR* appDesc() const { return appDesc_.c_str(); }
  void setAppDesc(const ACHAR* description) { appDesc_ = description != nullptr ? description : L""; }
  AcadApp::LoadReasons loadReason() const { return loadReason_; }
  void setLoadReason(AcadApp::LoadReasons reason) { loadReason_ = reason; }

  // Writes DESCRIPTION, LOADCTRLS and LOADER under the application's key.
  AcadApp::ErrorStatus writeToRegistry(bool bForAllUsers = false, bool bWriteModuleNameOnly = false);
  // Reads them back for the application named by appName().
  AcadApp::ErrorStatus readFromRegistry();
  // Adds the group to the Groups subkey (value name and data both the group name).
  AcadApp::ErrorStatus writeGroupNameToRegistry(const ACHAR* group);
  // Adds the command to the Commands subkey (value name the global name, data the local one).
  AcadApp::ErrorStatus writeCommandNameToRegistry(const ACHAR* globalCmdName, const ACHAR* localCmdName);
  // Removes the application's key with its subkeys.
  AcadApp::ErrorStatus delFromRegistry();
  AcadApp::ErrorStatus status() const { return status_; }

 private:
  AcadApp::ErrorStatus writeString(const std::wstring& subKey, const ACHAR* name, const ACHAR* text);
  std::wstring appKey() const;

  std::wstring appName_, moduleName_, appDesc_;
  AcadApp::LoadReasons loadReason_ = AcadApp::kOnLoadRequest;
  AcadApp::ErrorStatus status_ = AcadApp::eOk;
};
