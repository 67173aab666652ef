// The registry file as the registry editor writes it (deletions, dword forms, line ends),
// the real registry's limits on nesting and names, refused files left alone and reported,
// and changes from several processes at once.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "regfile.h"
#include "tests/support/pelvar_run.h"
#include "wideutf8.h"
#include "windows.h"

namespace reg = pelvarhost::reg;

namespace {

const std::string kHead = "Windows Registry Editor Version 5.00\r\n\r\n";

std::string DeepKey(size_t levels) {
  std::string path = "HKEY_CURRENT_USER";
  for (size_t i = 0; i < levels; ++i) path += "\\k";
  return "[" + path + "]\r\n";
}

// The keys and values a hive holds, one line each ("key" or "key:name=bytes").
std::vector<std::string> Listing(const reg::Hive& hive) {
  std::vector<std::string> lines;
  for (const reg::Key& key : hive.keys) {
    lines.push_back(pelvarhost::WideToUtf8(key.path));
    for (const reg::Value& value : key.values)
      lines.push_back(lines.back() + ":" + pelvarhost::WideToUtf8(value.name) + "=" + std::to_string(value.data.size()));
  }
  return lines;
}

TEST(RegistryEditorFiles, WhatTheEditorWritesIsReadAndWhatBreaksTheLimitsIsRefused) {
  struct Case {
    const char* what;
    std::string text;
    std::string damage;
    std::vector<std::string> listing;  // checked when the file is sound
  } cases[] = {
      {"value deletion", kHead + "[HKEY_CURRENT_USER]\r\n\"A\"=dword:1\r\n\"B\"=\"x\"\r\n\"A\"=-\r\n", "",
       {"HKEY_CURRENT_USER", "HKEY_CURRENT_USER:B=8"}},
      {"key deletion takes the keys below", kHead + "[HKEY_CURRENT_USER\\A\\B]\r\n[HKEY_CURRENT_USER\\C]\r\n"
                                                    "[-HKEY_CURRENT_USER\\a]\r\n\"Ignored\"=dword:1\r\n",
       "", {"HKEY_CURRENT_USER", "HKEY_CURRENT_USER\\C"}},
      {"dword with leading zeros", kHead + "[HKEY_CURRENT_USER]\r\n\"A\"=dword:000000001\r\n", "",
       {"HKEY_CURRENT_USER", "HKEY_CURRENT_USER:A=4"}},
      {"CR-only line ends", "Windows Registry Editor Version 5.00\r\r[HKEY_CURRENT_USER]\r\"A\"=dword:FF\r", "",
       {"HKEY_CURRENT_USER", "HKEY_CURRENT_USER:A=4"}},
      {"dword beyond 32 bits", kHead + "[HKEY_CURRENT_USER]\r\n\"A\"=dword:100000000\r\n",
       "line 4 not understood: \"A\"=dword:100000000", {}},
      {"dword with a sign", kHead + "[HKEY_CURRENT_USER]\r\n\"A\"=dword:-1\r\n",
       "line 4 not understood: \"A\"=dword:-1", {}},
      {"512 levels", kHead + DeepKey(512), "", {}},
      {"513 levels", kHead + DeepKey(513), "line 3 refused: a key deeper than 512 levels", {}},
      {"200,000 levels", kHead + DeepKey(200000), "line 3 refused: a key deeper than 512 levels", {}},
      {"long key name", kHead + "[HKEY_CURRENT_USER\\" + std::string(256, 'k') + "]\r\n",
       "line 3 refused: a key name longer than 255 characters", {}},
      {"long value name", kHead + "[HKEY_CURRENT_USER]\r\n\"" + std::string(16384, 'v') + "\"=dword:1\r\n",
       "line 4 refused: a value name longer than 16383 characters", {}},
  };
  for (const Case& c : cases) {
    const reg::Hive hive = reg::ParseHive(c.text);
    EXPECT_EQ(hive.damage, c.damage) << c.what;
    if (!c.listing.empty()) {
      EXPECT_EQ(Listing(hive), c.listing) << c.what;
    }
    if (!hive.damage.empty()) continue;
    const reg::Hive again = reg::ParseHive(reg::FormatHive(hive));
    EXPECT_EQ(again.damage, "") << c.what;
    EXPECT_EQ(Listing(again), Listing(hive)) << c.what;
  }
}

class RegistryFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("XDG_CONFIG_HOME", home_.path().c_str(), 1);
    std::filesystem::create_directories(HiveFile().parent_path());
  }
  std::filesystem::path HiveFile() const { return home_.path() / "pelvar" / "registry.reg"; }
  static LSTATUS SetDword(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    LSTATUS status = RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Pelvar", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                     &key, nullptr);
    if (status == ERROR_SUCCESS)
      status = RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
    return status;
  }
  pelvartest::TempFolder home_{"reglimits"};
};

TEST_F(RegistryFileTest, ARefusedFileIsLeftUntouchedAndNamedOnceOnStandardError) {
  const std::string text = kHead + DeepKey(600) + "\"A\"=dword:1\r\n";
  std::ofstream(HiveFile(), std::ios::binary) << text;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(SetDword(L"B", 1), ERROR_BADDB);
  EXPECT_EQ(SetDword(L"C", 1), ERROR_BADDB);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(said, "Registry file " + HiveFile().string() + ": line 3 refused: a key deeper than 512 levels\n");
  EXPECT_EQ(pelvartest::ReadWholeFile(HiveFile()), text);
}

// Processes that change the registry at once each read and write under the file's lock:
// every value any of them set is there at the end.
TEST_F(RegistryFileTest, ProcessesChangingTheRegistryAtOnceLoseNoWrite) {
  constexpr int kProcesses = 4, kValues = 15;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t child = ::fork();
    if (child == 0) {
      int failures = 0;
      for (int v = 0; v < kValues; ++v)
        failures += SetDword((L"P" + std::to_wstring(p) + L"V" + std::to_wstring(v)).c_str(), 1) != ERROR_SUCCESS;
      ::_exit(failures);
    }
    children.push_back(child);
  }
  for (pid_t child : children) {
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  reg::Hive hive = reg::LoadHive();
  const reg::Key* key = reg::FindKey(hive, L"HKEY_CURRENT_USER\\Software\\Pelvar");
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(key->values.size(), static_cast<size_t>(kProcesses * kValues));
}

}  // namespace
