#include "app/Settings.h"

#include <windows.h>

namespace {

// An open key that is closed on every path.
class RegistryKey {
 public:
  RegistryKey() = default;
  ~RegistryKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegistryKey(const RegistryKey&) = delete;
  RegistryKey& operator=(const RegistryKey&) = delete;

  bool openForRead() { return RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_READ, &key_) == ERROR_SUCCESS; }
  bool createForWrite() {
    return RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                           &key_, nullptr) == ERROR_SUCCESS;
  }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

uint32_t ReadDefaultClassMask(uint32_t fallback) {
  RegistryKey key;
  if (!key.openForRead()) return fallback;
  DWORD value = 0;
  DWORD type = REG_NONE;
  DWORD size = sizeof(value);
  LSTATUS status = RegQueryValueExW(key.get(), kDefaultClassMaskValue, nullptr, &type, reinterpret_cast<LPBYTE>(&value),
                                    &size);
  if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof(value)) return fallback;
  return value;
}

bool WriteDefaultClassMask(uint32_t mask) {
  RegistryKey key;
  if (!key.createForWrite()) return false;
  DWORD value = mask;
  return RegSetValueExW(key.get(), kDefaultClassMaskValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                        sizeof(value)) == ERROR_SUCCESS;
}

std::wstring ReadLocalEptRoot() {
  RegistryKey key;
  if (!key.openForRead()) return {};
  WCHAR buffer[kLocalEptRootMaxChars + 1] = {};
  DWORD type = REG_NONE;
  DWORD size = sizeof(buffer);
  LSTATUS status = RegQueryValueExW(key.get(), kLocalEptRootValue, nullptr, &type, reinterpret_cast<LPBYTE>(buffer),
                                    &size);
  if (status != ERROR_SUCCESS || type != REG_SZ) return {};
  size_t chars = size / sizeof(WCHAR);
  size_t length = 0;
  while (length < chars && buffer[length] != 0) ++length;
  // A text that fills the buffer without its terminator does not fit.
  if (length > kLocalEptRootMaxChars) return {};
  return std::wstring(buffer, length);
}

bool WriteLocalEptRoot(const std::wstring& root) {
  RegistryKey key;
  if (!key.createForWrite()) return false;
  auto bytes = static_cast<DWORD>((root.size() + 1) * sizeof(WCHAR));
  return RegSetValueExW(key.get(), kLocalEptRootValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(root.c_str()),
                        bytes) == ERROR_SUCCESS;
}
