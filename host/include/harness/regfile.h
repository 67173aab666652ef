// The registry stand-in's storage: the current user's hive as a text file in the
// registry editor's export format. Internal to the host; RegOpenKeyExW and friends
// (windows.h) are the public face.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pelvarhost::reg {

// One value. String types (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) hold this platform's
// wchar_t units, exactly as handed to RegSetValueExW; other types hold raw bytes.
struct Value {
  std::wstring name;  // empty = the key's default value ("@")
  uint32_t type = 0;
  std::vector<uint8_t> data;
};

// One key, named by its full path from the hive root ("HKEY_CURRENT_USER\Software\X").
struct Key {
  std::wstring path;
  std::vector<Value> values;
};

struct Hive {
  std::vector<Key> keys;
  // Set when the file held lines this reader does not understand; such a hive is not
  // written back, so that a hand-edited file is never silently cut down.
  std::string damage;
};

extern const wchar_t kCurrentUserRoot[];  // "HKEY_CURRENT_USER"

Hive ParseHive(std::string_view text);
std::string FormatHive(const Hive& hive);

// $XDG_CONFIG_HOME/pelvar/registry.reg, else ~/.config/pelvar/registry.reg.
std::string HiveFilePath();
// Reads the hive file; a missing file is an empty hive.
Hive LoadHive();
// Writes the hive file through a temporary file and a rename. False on failure.
bool SaveHive(const Hive& hive);

// Case-insensitive key lookup by full path; null when absent.
Key* FindKey(Hive& hive, std::wstring_view path);
// Finds or creates the key and every missing parent below the hive root.
Key& EnsureKey(Hive& hive, std::wstring_view path, bool* created);
Value* FindValue(Key& key, std::wstring_view name);

}  // namespace pelvarhost::reg
