// The Downloads folder: $XDG_DOWNLOAD_DIR, then the user-dirs file, then ~/Downloads.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "tests/support/pelvar_run.h"
#include "windows.h"

namespace {

std::wstring Downloads(HRESULT* hr = nullptr) {
  PWSTR path = nullptr;
  HRESULT result = SHGetKnownFolderPath(FOLDERID_Downloads, 0, nullptr, &path);
  if (hr != nullptr) *hr = result;
  std::wstring text = path != nullptr ? path : L"<null>";
  CoTaskMemFree(path);
  return text;
}

std::wstring Wide(const std::string& s) { return std::wstring(s.begin(), s.end()); }

TEST(KnownFolder, LooksUpEnvironmentThenUserDirsThenHome) {
  pelvartest::TempFolder home("known");
  std::string h = home.path().string();
  ::setenv("HOME", h.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (h + "/cfg").c_str(), 1);
  ::unsetenv("XDG_DOWNLOAD_DIR");
  EXPECT_EQ(Downloads(), Wide(h + "/Downloads"));

  std::filesystem::create_directories(home.path() / "cfg");
  std::ofstream(home.path() / "cfg" / "user-dirs.dirs") << "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desk\"\n"
                                                          "XDG_DOWNLOAD_DIR=\"$HOME/Téléchargements\"\n";
  EXPECT_EQ(Downloads(), Wide(h) + L"/T\u00e9l\u00e9chargements");

  ::setenv("XDG_DOWNLOAD_DIR", "/data/dl/", 1);
  EXPECT_EQ(Downloads(), L"/data/dl");
  ::unsetenv("XDG_DOWNLOAD_DIR");
}

TEST(KnownFolder, OtherFoldersAreRefusedWithANullPath) {
  KNOWNFOLDERID other = FOLDERID_Downloads;
  other.Data1 ^= 1;
  PWSTR path = reinterpret_cast<PWSTR>(1);
  EXPECT_EQ(SHGetKnownFolderPath(other, 0, nullptr, &path), E_INVALIDARG);
  EXPECT_EQ(path, nullptr);
  EXPECT_EQ(FOLDERID_Downloads.Data1, 0x374DE290u);
  EXPECT_EQ(FOLDERID_Downloads.Data4[7], 0x7B);
}

TEST(WindowStandIns, ConsoleHostHasNoWindows) {
  EXPECT_EQ(IsWindow(nullptr), FALSE);
  EXPECT_EQ(IsWindowVisible(nullptr), FALSE);
}

}  // namespace
