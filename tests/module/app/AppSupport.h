// Helpers for the module tests: the entry point of the module code linked into the test,
// a private registry folder, and the demand-load data as the registry stand-in keeps it.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "regfile.h"
#include "rxdefs.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId);

namespace pelvartest {

inline const std::string kBanner =
    "\nPelvar loaded: PELVARPANEL, PELVARATTACH, PELVARPICK, PELVARCLS, PELVARMODE, PELVARPROF, "
    "PELVARSURF, PELVARCOGO.\n";

inline const std::vector<std::wstring> kAllCommands = {
    L"PELVARRECLASS", L"PELVARPICK",    L"PELVARATTACH", L"PELVARSURF",   L"PELVARCLS",   L"PELVARMODE",
    L"PELVARPROF",    L"PELVARABOUT",   L"PELVARPANEL",  L"PELVARCOGO",   L"PELVARAUTOCLS", L"PELVARPROFC",
    L"PELVARCROP",    L"PELVARHELP",    L"PELVARDEFCLS", L"PELVARMIRROR", L"PELVARFETCH",
    L"PELVARIMPORT",  L"PELVAREXPORT",  L"PELVARDEM"};

// A temporary folder that is also the registry's home while it lives.
class PrivateConfig {
 public:
  const std::filesystem::path& path() const { return folder_.path(); }
  std::filesystem::path operator/(const std::string& name) const { return folder_ / name; }

 private:
  pelvartest::TempFolder folder_{"app"};
  pelvartest::ScopedEnv config_{"XDG_CONFIG_HOME", folder_.path().string()};
};

inline const std::wstring kAppKey = L"HKEY_CURRENT_USER\\Software\\Pelvar Host\\Applications\\Pelvar";

// The names of the values under a key of the registry file, in stored order.
inline std::vector<std::wstring> ValueNames(const std::wstring& keyPath) {
  pelvarhost::reg::Hive hive = pelvarhost::reg::LoadHive();
  std::vector<std::wstring> names;
  if (pelvarhost::reg::Key* key = pelvarhost::reg::FindKey(hive, keyPath))
    for (const auto& value : key->values) names.push_back(value.name);
  return names;
}

// A string value of the registry file ("<absent>" when missing).
inline std::wstring StringValue(const std::wstring& keyPath, const std::wstring& name) {
  pelvarhost::reg::Hive hive = pelvarhost::reg::LoadHive();
  pelvarhost::reg::Key* key = pelvarhost::reg::FindKey(hive, keyPath);
  if (key == nullptr) return L"<absent>";
  pelvarhost::reg::Value* value = pelvarhost::reg::FindValue(*key, name);
  if (value == nullptr) return L"<absent>";
  std::wstring text(reinterpret_cast<const wchar_t*>(value->data.data()), value->data.size() / sizeof(wchar_t));
  while (!text.empty() && text.back() == L'\0') text.pop_back();
  return text;
}

}  // namespace pelvartest
