// The registry stand-in's storage: the current user's hive as a text file in the
// registry editor's export format. Internal to the host; RegOpenKeyExW and friends
// (windows.h) are the public face.
#pragma once
#include <cstdint>
#include <string>
#include <unordered_map>
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
  // Each key's place in `keys`, by its path folded to one case; kept by the functions below.
  std::unordered_map<std::wstring, size_t> index;
  // Set when the file held lines this reader does not understand; such a hive is not
  // written back, so that a hand-edited file is never silently cut down.
  std::string damage;
};

extern const wchar_t kCurrentUserRoot[];  // "HKEY_CURRENT_USER"

// The real registry's limits: levels of keys below a hive root, and name lengths.
inline constexpr size_t kMaxKeyDepth = 512;
inline constexpr size_t kMaxKeyNameLength = 255;
inline constexpr size_t kMaxValueNameLength = 16383;
// The largest hive file read.
inline constexpr std::uint64_t kMaxHiveFileBytes = std::uint64_t{64} << 20;

// True when a key path is within the limits above and has no empty part.
bool IsStorableKeyPath(std::wstring_view path);

// Parses export text (UTF-8); ParseHiveFile takes the file's bytes in any of the encodings the
// registry editor writes (UTF-16LE with a mark, UTF-8 with or without one).
Hive ParseHive(std::string_view text);
Hive ParseHiveFile(const std::string& bytes);
std::string FormatHive(const Hive& hive);

// $XDG_CONFIG_HOME/pelvar/registry.reg, else ~/.config/pelvar/registry.reg.
std::string HiveFilePath();
// Reads the hive file; a missing file is an empty hive. A file refused (damaged) is named
// with the line refused on standard error, once per process.
Hive LoadHive();
// Writes the hive file whole or not at all. False on failure or for a damaged hive.
bool SaveHive(const Hive& hive);

// Holds the lock on the hive file (a lock file beside it) across processes, so that a
// read-modify-write of the hive is not interleaved with another process's.
class HiveLock {
 public:
  HiveLock();
  ~HiveLock();
  HiveLock(const HiveLock&) = delete;
  HiveLock& operator=(const HiveLock&) = delete;

 private:
  int fd_ = -1;
};

// Case-insensitive key lookup by full path; null when absent.
Key* FindKey(Hive& hive, std::wstring_view path);
// Finds or creates the key and every missing parent below the hive root.
Key& EnsureKey(Hive& hive, std::wstring_view path, bool* created);
// Removes the key and every key below it.
void RemoveKeyTree(Hive& hive, std::wstring_view path);
Value* FindValue(Key& key, std::wstring_view name);

}  // namespace pelvarhost::reg
