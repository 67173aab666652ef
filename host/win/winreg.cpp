// The registry functions over the hive file. Every call reads the file afresh and every
// change writes it back at once, so that several host processes see one registry; a change
// reads and writes under the hive's file lock, so that no process's change is lost.
#include <mutex>
#include <set>

#include "regfile.h"
#include "textcase.h"
#include "windows.h"

using pelvarhost::reg::Hive;
using pelvarhost::reg::Key;
using pelvarhost::reg::Value;

// An open key: its full path and the access it was opened with.
struct HKEY__ {
  std::wstring path;
  REGSAM access = 0;
};

namespace {

std::mutex& RegistryMutex() {
  static std::mutex mutex;
  return mutex;
}

std::set<HKEY>& OpenKeys() {
  static std::set<HKEY> keys;
  return keys;
}

// The full path a (key, subkey) pair names, or false for a handle this host does not know.
// Callers hold the registry mutex.
bool ResolvePath(HKEY hKey, LPCWSTR subKey, std::wstring* path, LSTATUS* status) {
  if (hKey == HKEY_CURRENT_USER) {
    *path = pelvarhost::reg::kCurrentUserRoot;
  } else if (OpenKeys().count(hKey) != 0) {
    *path = hKey->path;
  } else if (hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CLASSES_ROOT || hKey == HKEY_USERS) {
    *status = ERROR_ACCESS_DENIED;  // only the current user's hive is kept
    return false;
  } else {
    *status = ERROR_INVALID_HANDLE;
    return false;
  }
  if (subKey != nullptr && subKey[0] != L'\0') {
    std::wstring sub = subKey;
    while (!sub.empty() && sub.front() == L'\\') sub.erase(sub.begin());
    while (!sub.empty() && sub.back() == L'\\') sub.pop_back();
    if (!sub.empty()) *path += L"\\" + sub;
  }
  return true;
}

HKEY NewHandle(const std::wstring& path, REGSAM access) {
  HKEY key = new HKEY__{path, access};
  OpenKeys().insert(key);
  return key;
}

// The key an open handle names, loaded from the hive; checks the access the call needs.
LSTATUS KeyFor(HKEY hKey, REGSAM needed, Hive* hive, Key** key) {
  std::wstring path;
  LSTATUS status = ERROR_SUCCESS;
  if (!ResolvePath(hKey, nullptr, &path, &status)) return status;
  if (hKey != HKEY_CURRENT_USER && (hKey->access & needed) != needed) return ERROR_ACCESS_DENIED;
  *hive = pelvarhost::reg::LoadHive();
  *key = pelvarhost::reg::FindKey(*hive, path);
  if (*key == nullptr && hKey == HKEY_CURRENT_USER) *key = &pelvarhost::reg::EnsureKey(*hive, path, nullptr);
  return *key == nullptr ? ERROR_FILE_NOT_FOUND : ERROR_SUCCESS;  // deleted since it was opened
}

std::wstring NameOf(LPCWSTR name) { return name == nullptr ? std::wstring() : std::wstring(name); }

LSTATUS Save(const Hive& hive) {
  if (!hive.damage.empty()) return ERROR_BADDB;
  return pelvarhost::reg::SaveHive(hive) ? ERROR_SUCCESS : ERROR_CANTWRITE;
}

}  // namespace

LSTATUS RegOpenKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, REGSAM samDesired, PHKEY phkResult) {
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  std::lock_guard lock(RegistryMutex());
  std::wstring path;
  LSTATUS status = ERROR_SUCCESS;
  if (!ResolvePath(hKey, lpSubKey, &path, &status)) return status;
  Hive hive = pelvarhost::reg::LoadHive();
  Key* key = pelvarhost::reg::FindKey(hive, path);
  if (key == nullptr && path != pelvarhost::reg::kCurrentUserRoot) return ERROR_FILE_NOT_FOUND;
  *phkResult = NewHandle(key != nullptr ? key->path : path, samDesired);
  return ERROR_SUCCESS;
}

LSTATUS RegCreateKeyExW(HKEY hKey, LPCWSTR lpSubKey, DWORD, LPWSTR, DWORD, REGSAM samDesired,
                        const SECURITY_ATTRIBUTES*, PHKEY phkResult, LPDWORD lpdwDisposition) {
  if (phkResult == nullptr) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  std::lock_guard lock(RegistryMutex());
  std::wstring path;
  LSTATUS status = ERROR_SUCCESS;
  if (!ResolvePath(hKey, lpSubKey, &path, &status)) return status;
  if (!pelvarhost::reg::IsStorableKeyPath(path)) return ERROR_INVALID_PARAMETER;
  pelvarhost::reg::HiveLock fileLock;
  Hive hive = pelvarhost::reg::LoadHive();
  bool created = false;
  std::wstring storedPath = pelvarhost::reg::EnsureKey(hive, path, &created).path;
  if (created) {
    status = Save(hive);
    if (status != ERROR_SUCCESS) return status;
  }
  if (lpdwDisposition != nullptr) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  *phkResult = NewHandle(storedPath, samDesired);
  return ERROR_SUCCESS;
}

LSTATUS RegQueryValueExW(HKEY hKey, LPCWSTR lpValueName, LPDWORD, LPDWORD lpType, LPBYTE lpData,
                         LPDWORD lpcbData) {
  if (lpData != nullptr && lpcbData == nullptr) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(RegistryMutex());
  Hive hive;
  Key* key = nullptr;
  LSTATUS status = KeyFor(hKey, KEY_QUERY_VALUE, &hive, &key);
  if (status != ERROR_SUCCESS) return status;
  const Value* value = pelvarhost::reg::FindValue(*key, NameOf(lpValueName));
  if (value == nullptr) return ERROR_FILE_NOT_FOUND;
  if (lpType != nullptr) *lpType = value->type;
  auto size = static_cast<DWORD>(value->data.size());
  if (lpcbData == nullptr) return ERROR_SUCCESS;
  if (lpData == nullptr) {
    *lpcbData = size;
    return ERROR_SUCCESS;
  }
  if (*lpcbData < size) {
    *lpcbData = size;
    return ERROR_MORE_DATA;
  }
  std::copy(value->data.begin(), value->data.end(), lpData);
  *lpcbData = size;
  return ERROR_SUCCESS;
}

LSTATUS RegSetValueExW(HKEY hKey, LPCWSTR lpValueName, DWORD, DWORD dwType, const BYTE* lpData, DWORD cbData) {
  if (lpData == nullptr && cbData != 0) return ERROR_INVALID_PARAMETER;
  if (NameOf(lpValueName).size() > pelvarhost::reg::kMaxValueNameLength) return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(RegistryMutex());
  pelvarhost::reg::HiveLock fileLock;
  Hive hive;
  Key* key = nullptr;
  LSTATUS status = KeyFor(hKey, KEY_SET_VALUE, &hive, &key);
  if (status != ERROR_SUCCESS) return status;
  Value value{NameOf(lpValueName), dwType, std::vector<uint8_t>(lpData, lpData + cbData)};
  if (Value* old = pelvarhost::reg::FindValue(*key, value.name)) {
    value.name = old->name;  // keeps the spelling it was first stored with, as Windows does
    *old = value;
  } else {
    key->values.push_back(value);
  }
  return Save(hive);
}

LSTATUS RegDeleteValueW(HKEY hKey, LPCWSTR lpValueName) {
  std::lock_guard lock(RegistryMutex());
  pelvarhost::reg::HiveLock fileLock;
  Hive hive;
  Key* key = nullptr;
  LSTATUS status = KeyFor(hKey, KEY_SET_VALUE, &hive, &key);
  if (status != ERROR_SUCCESS) return status;
  std::wstring name = NameOf(lpValueName);
  for (auto it = key->values.begin(); it != key->values.end(); ++it) {
    if (pelvarhost::SameTextIgnoringCase(it->name, name)) {
      key->values.erase(it);
      return Save(hive);
    }
  }
  return ERROR_FILE_NOT_FOUND;
}

LSTATUS RegDeleteKeyW(HKEY hKey, LPCWSTR lpSubKey) {
  if (lpSubKey == nullptr || lpSubKey[0] == L'\0') return ERROR_INVALID_PARAMETER;
  std::lock_guard lock(RegistryMutex());
  std::wstring path;
  LSTATUS status = ERROR_SUCCESS;
  if (!ResolvePath(hKey, lpSubKey, &path, &status)) return status;
  pelvarhost::reg::HiveLock fileLock;
  Hive hive = pelvarhost::reg::LoadHive();
  if (pelvarhost::reg::FindKey(hive, path) == nullptr) return ERROR_FILE_NOT_FOUND;
  std::wstring prefix = path + L"\\";
  for (const Key& key : hive.keys) {
    if (key.path.size() > prefix.size() && pelvarhost::SameTextIgnoringCase(key.path.substr(0, prefix.size()), prefix))
      return ERROR_ACCESS_DENIED;  // Windows refuses to delete a key that has subkeys
  }
  pelvarhost::reg::RemoveKeyTree(hive, path);
  return Save(hive);
}

LSTATUS RegCloseKey(HKEY hKey) {
  if (hKey == HKEY_CURRENT_USER || hKey == HKEY_LOCAL_MACHINE || hKey == HKEY_CLASSES_ROOT || hKey == HKEY_USERS)
    return ERROR_SUCCESS;
  std::lock_guard lock(RegistryMutex());
  if (OpenKeys().erase(hKey) == 0) return ERROR_INVALID_HANDLE;
  delete hKey;
  return ERROR_SUCCESS;
}
