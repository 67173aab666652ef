// The shell's known folders. Only the Downloads folder is known, found as the desktop
// does on this platform: $XDG_DOWNLOAD_DIR, else the user-dirs file, else ~/Downloads.
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <optional>
#include <string>

#include "hostfiles.h"
#include "windows.h"
#include "wideutf8.h"

const KNOWNFOLDERID FOLDERID_Downloads = {0x374DE290, 0x123F, 0x4565, {0x91, 0x64, 0x39, 0xC4, 0x92, 0x5E, 0x46, 0x7B}};

namespace {

constexpr std::uint64_t kMaxUserDirsBytes = std::uint64_t{1} << 20;

std::string EnvOr(const char* name, const std::string& fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? std::string(value) : fallback;
}

// XDG_DOWNLOAD_DIR="$HOME/Downloads" from the user-dirs file, with $HOME expanded.
std::optional<std::string> DownloadDirFromUserDirs(const std::string& home) {
  std::string config = EnvOr("XDG_CONFIG_HOME", home.empty() ? std::string() : home + "/.config");
  if (config.empty()) return std::nullopt;
  std::string text, why;
  if (!pelvarhost::ReadRegularFile(config + "/user-dirs.dirs", kMaxUserDirsBytes, text, why)) return std::nullopt;
  std::istringstream in(text);
  const std::string key = "XDG_DOWNLOAD_DIR=";
  std::string line;
  while (std::getline(in, line)) {
    size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line.compare(start, key.size(), key) != 0) continue;
    std::string value = line.substr(start + key.size());
    while (!value.empty() && (value.back() == '\r' || value.back() == ' ')) value.pop_back();
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    if (value.rfind("$HOME", 0) == 0) {
      if (home.empty()) return std::nullopt;
      value = home + value.substr(5);
    }
    if (value.empty() || value[0] != '/') return std::nullopt;  // the file allows only these two forms
    return value;
  }
  return std::nullopt;
}

std::optional<std::string> DownloadsFolder() {
  if (const char* direct = std::getenv("XDG_DOWNLOAD_DIR"); direct != nullptr && direct[0] == '/') return direct;
  std::string home = EnvOr("HOME", "");
  if (auto fromFile = DownloadDirFromUserDirs(home)) return fromFile;
  if (home.empty()) return std::nullopt;
  return home + "/Downloads";
}

}  // namespace

LPVOID CoTaskMemAlloc(SIZE_T cb) { return std::malloc(cb == 0 ? 1 : cb); }
void CoTaskMemFree(LPVOID pv) { std::free(pv); }

HRESULT SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD, HANDLE, PWSTR* ppszPath) {
  if (ppszPath == nullptr) return E_INVALIDARG;
  *ppszPath = nullptr;
  if (!(rfid == FOLDERID_Downloads)) return E_INVALIDARG;
  std::optional<std::string> folder = DownloadsFolder();
  if (!folder) return E_FAIL;
  while (folder->size() > 1 && folder->back() == '/') folder->pop_back();
  std::wstring wide = pelvarhost::Utf8ToWide(*folder);
  auto* out = static_cast<PWSTR>(CoTaskMemAlloc((wide.size() + 1) * sizeof(WCHAR)));
  if (out == nullptr) return E_OUTOFMEMORY;
  std::memcpy(out, wide.c_str(), (wide.size() + 1) * sizeof(WCHAR));
  *ppszPath = out;
  return S_OK;
}
