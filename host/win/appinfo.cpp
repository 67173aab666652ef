#include "appinfo.h"

#include <cwchar>
#include <vector>

#include "windows.h"

namespace {

AcadApp::ErrorStatus FromWin32(LSTATUS status) {
  switch (status) {
    case ERROR_SUCCESS: return AcadApp::eOk;
    case ERROR_FILE_NOT_FOUND: return AcadApp::eKeyNotFound;
    case ERROR_ACCESS_DENIED: return AcadApp::eRegAccessDenied;
    default: return AcadApp::eUnknownError;
  }
}

LSTATUS SetText(HKEY key, const ACHAR* name, const ACHAR* text) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                        static_cast<DWORD>((std::wcslen(text) + 1) * sizeof(wchar_t)));
}

bool ReadText(HKEY key, const ACHAR* name, std::wstring* text) {
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS || type != REG_SZ) return false;
  std::vector<wchar_t> buf(size / sizeof(wchar_t) + 1, L'\0');
  if (RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buf.data()), &size) != ERROR_SUCCESS)
    return false;
  *text = buf.data();
  return true;
}

}  // namespace

std::wstring AcadAppInfo::appKey() const { return std::wstring(kPelvarHostApplicationsKey) + L"\\" + appName_; }

AcadApp::ErrorStatus AcadAppInfo::writeString(const std::wstring& subKey, const ACHAR* name, const ACHAR* text) {
  if (appName_.empty() || name == nullptr || text == nullptr) return status_ = AcadApp::eInvalidKey;
  HKEY key = nullptr;
  LSTATUS rc = RegCreateKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                               nullptr, &key, nullptr);
  if (rc == ERROR_SUCCESS) {
    rc = SetText(key, name, text);
    RegCloseKey(key);
  }
  return status_ = FromWin32(rc);
}

AcadApp::ErrorStatus AcadAppInfo::writeToRegistry(bool, bool bWriteModuleNameOnly) {
  if (appName_.empty()) return status_ = AcadApp::eInvalidKey;
  HKEY key = nullptr;
  LSTATUS rc = RegCreateKeyExW(HKEY_CURRENT_USER, appKey().c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                               nullptr, &key, nullptr);
  if (rc != ERROR_SUCCESS) return status_ = FromWin32(rc);
  rc = SetText(key, L"LOADER", moduleName_.c_str());
  if (rc == ERROR_SUCCESS && !bWriteModuleNameOnly) rc = SetText(key, L"DESCRIPTION", appDesc_.c_str());
  if (rc == ERROR_SUCCESS && !bWriteModuleNameOnly) {
    DWORD reasons = static_cast<DWORD>(loadReason_);
    rc = RegSetValueExW(key, L"LOADCTRLS", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&reasons), sizeof reasons);
  }
  RegCloseKey(key);
  return status_ = FromWin32(rc);
}

AcadApp::ErrorStatus AcadAppInfo::readFromRegistry() {
  if (appName_.empty()) return status_ = AcadApp::eInvalidKey;
  HKEY key = nullptr;
  LSTATUS rc = RegOpenKeyExW(HKEY_CURRENT_USER, appKey().c_str(), 0, KEY_READ, &key);
  if (rc != ERROR_SUCCESS) return status_ = FromWin32(rc);
  ReadText(key, L"LOADER", &moduleName_);
  ReadText(key, L"DESCRIPTION", &appDesc_);
  DWORD type = 0, reasons = 0, size = sizeof reasons;
  if (RegQueryValueExW(key, L"LOADCTRLS", nullptr, &type, reinterpret_cast<BYTE*>(&reasons), &size) ==
          ERROR_SUCCESS &&
      type == REG_DWORD)
    loadReason_ = static_cast<AcadApp::LoadReasons>(reasons);
  RegCloseKey(key);
  return status_ = AcadApp::eOk;
}

AcadApp::ErrorStatus AcadAppInfo::writeGroupNameToRegistry(const ACHAR* group) {
  return writeString(appKey() + L"\\Groups", group, group);
}

AcadApp::ErrorStatus AcadAppInfo::writeCommandNameToRegistry(const ACHAR* globalCmdName, const ACHAR* localCmdName) {
  return writeString(appKey() + L"\\Commands", globalCmdName, localCmdName);
}

AcadApp::ErrorStatus AcadAppInfo::delFromRegistry() {
  if (appName_.empty()) return status_ = AcadApp::eInvalidKey;
  std::wstring base = appKey();
  RegDeleteKeyW(HKEY_CURRENT_USER, (base + L"\\Commands").c_str());
  RegDeleteKeyW(HKEY_CURRENT_USER, (base + L"\\Groups").c_str());
  return status_ = FromWin32(RegDeleteKeyW(HKEY_CURRENT_USER, base.c_str()));
}
