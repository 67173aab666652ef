// The registry stand-in: Win32 result codes, kept value types, the export file, atomic writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "appinfo.h"
#include "regfile.h"
#include "tests/support/pelvar_run.h"
#include "windows.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override { ::setenv("XDG_CONFIG_HOME", home_.path().c_str(), 1); }
  std::filesystem::path HiveFile() const { return home_.path() / "pelvar" / "registry.reg"; }
  HKEY Create(const wchar_t* path) {
    HKEY key = nullptr;
    DWORD disposition = 0;
    EXPECT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &key, &disposition),
              ERROR_SUCCESS);
    return key;
  }
  pelvartest::TempFolder home_{"registry"};
};

TEST_F(RegistryTest, MissingKeyIsNotFoundAndCreateMakesIt) {
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Pelvar", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Pelvar", 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                            &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"software\\PELVAR", 0, KEY_READ, &key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(key), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, DwordReadsBackWithItsTypeAndSize) {
  HKEY key = Create(L"Software\\Pelvar");
  DWORD mask = 0x4;
  ASSERT_EQ(RegSetValueExW(key, L"DefaultClassMask", 0, REG_DWORD, reinterpret_cast<BYTE*>(&mask), 4), ERROR_SUCCESS);
  DWORD type = 0, size = 0, value = 0;
  ASSERT_EQ(RegQueryValueExW(key, L"defaultclassmask", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  size = sizeof value;
  ASSERT_EQ(RegQueryValueExW(key, L"DefaultClassMask", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 0x4u);
  EXPECT_EQ(RegQueryValueExW(key, L"Nope", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, StringWhereADwordIsExpectedIsReportedWithItsTypeAndNeededSize) {
  HKEY key = Create(L"Software\\Pelvar");
  const wchar_t text[] = L"0xFFFF";
  ASSERT_EQ(RegSetValueExW(key, L"DefaultClassMask", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text),
            ERROR_SUCCESS);
  DWORD type = 0, value = 0, size = sizeof value;
  EXPECT_EQ(RegQueryValueExW(key, L"DefaultClassMask", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, static_cast<DWORD>(sizeof text));
  EXPECT_EQ(value, 0u);  // nothing copied
  RegCloseKey(key);
}

TEST_F(RegistryTest, AccessRightsOfTheHandleAreChecked) {
  RegCloseKey(Create(L"Software\\Pelvar"));
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Pelvar", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD v = 1;
  EXPECT_EQ(RegSetValueExW(key, L"X", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software", 0, KEY_READ, &key), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, ExportFileIsWrittenInTheRegistryEditorsFormat) {
  HKEY key = Create(L"Software\\Pelvar");
  DWORD mask = 10;
  ULONGLONG big = 0x0102030405060708ULL;
  const wchar_t root[] = L"D:\\3dep \"x\"";
  const BYTE bin[] = {0xde, 0xad};
  RegSetValueExW(key, L"DefaultClassMask", 0, REG_DWORD, reinterpret_cast<BYTE*>(&mask), 4);
  RegSetValueExW(key, L"LocalEptRoot", 0, REG_SZ, reinterpret_cast<const BYTE*>(root), sizeof root);
  RegSetValueExW(key, L"Big", 0, REG_QWORD, reinterpret_cast<BYTE*>(&big), 8);
  RegSetValueExW(key, L"Bin", 0, REG_BINARY, bin, 2);
  RegSetValueExW(key, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(L"A"), 2 * sizeof(wchar_t));
  RegCloseKey(key);
  EXPECT_EQ(pelvartest::ReadWholeFile(HiveFile()),
            "Windows Registry Editor Version 5.00\r\n"
            "\r\n[HKEY_CURRENT_USER]\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software]\r\n"
            "\r\n[HKEY_CURRENT_USER\\Software\\Pelvar]\r\n"
            "\"DefaultClassMask\"=dword:0000000a\r\n"
            "\"LocalEptRoot\"=\"D:\\\\3dep \\\"x\\\"\"\r\n"
            "\"Big\"=hex(b):08,07,06,05,04,03,02,01\r\n"
            "\"Bin\"=hex:de,ad\r\n"
            "@=hex(2):41,00,00,00\r\n");
  std::vector<std::string> leftovers;
  for (auto& entry : std::filesystem::directory_iterator(HiveFile().parent_path()))
    leftovers.push_back(entry.path().filename().string());
  std::sort(leftovers.begin(), leftovers.end());
  EXPECT_EQ(leftovers, (std::vector<std::string>{"registry.reg", "registry.reg.lock"}));  // no temporary file left
}

TEST_F(RegistryTest, HandWrittenFileIsReadWithContinuationsAndKept) {
  std::filesystem::create_directories(HiveFile().parent_path());
  std::ofstream(HiveFile()) << "Windows Registry Editor Version 5.00\n\n"
                               "[HKEY_CURRENT_USER\\Software\\Pelvar]\n"
                               "\"LocalEptRoot\"=\"/srv/3dep\"\n"
                               "\"Multi\"=hex(7):61,00,00,00,\\\n  00,00\n";
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Pelvar", 0, KEY_READ, &key), ERROR_SUCCESS);
  wchar_t buf[64];
  DWORD type = 0, size = sizeof buf;
  ASSERT_EQ(RegQueryValueExW(key, L"LocalEptRoot", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_STREQ(buf, L"/srv/3dep");
  EXPECT_EQ(size, 10 * sizeof(wchar_t));
  size = sizeof buf;
  ASSERT_EQ(RegQueryValueExW(key, L"Multi", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(size, 3 * sizeof(wchar_t));
  RegCloseKey(key);
}

TEST_F(RegistryTest, DamagedFileIsNeverOverwritten) {
  std::filesystem::create_directories(HiveFile().parent_path());
  const std::string text = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\Software\\Pelvar]\n\"A\"=bogus:1\n";
  std::ofstream(HiveFile()) << text;
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Pelvar", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  DWORD v = 1;
  EXPECT_EQ(RegSetValueExW(key, L"B", 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4), ERROR_BADDB);
  RegCloseKey(key);
  EXPECT_EQ(pelvartest::ReadWholeFile(HiveFile()), text);
}

// A key path with an empty part could not be written back readably ("[]" for the empty
// parent of "[\A]"): such a file counts as damaged, and so is never rewritten.
TEST(RegistryFile, KeyPathsWithAnEmptyPartAreDamage) {
  const std::string header = "Windows Registry Editor Version 5.00\r\n\r\n";
  for (const char* key : {"[\\Software]", "[HKEY_CURRENT_USER\\]", "[HKEY_CURRENT_USER\\\\Software]"}) {
    const pelvarhost::reg::Hive hive = pelvarhost::reg::ParseHive(header + key + "\r\n\"A\"=dword:00000001\r\n");
    EXPECT_EQ(hive.damage, std::string("line 3 not understood: ") + key);
  }
  // A sound file reads, writes and reads back to the same keys.
  const pelvarhost::reg::Hive sound =
      pelvarhost::reg::ParseHive(header + "[HKEY_CURRENT_USER\\Software\\Pelvar]\r\n\"A\"=dword:00000001\r\n");
  ASSERT_EQ(sound.damage, "");
  const pelvarhost::reg::Hive again = pelvarhost::reg::ParseHive(pelvarhost::reg::FormatHive(sound));
  ASSERT_EQ(again.damage, "");
  ASSERT_EQ(again.keys.size(), 3u);
  EXPECT_EQ(again.keys[2].path, L"HKEY_CURRENT_USER\\Software\\Pelvar");
  ASSERT_EQ(again.keys[2].values.size(), 1u);
  EXPECT_EQ(again.keys[2].values[0].data, (std::vector<uint8_t>{1, 0, 0, 0}));
}

TEST_F(RegistryTest, AFileOfNothingButAUtf16MarkIsAnEmptyHive) {
  std::filesystem::create_directories(HiveFile().parent_path());
  std::ofstream(HiveFile(), std::ios::binary) << "\xFF\xFE";
  const pelvarhost::reg::Hive hive = pelvarhost::reg::LoadHive();
  EXPECT_EQ(hive.damage, "");
  EXPECT_TRUE(hive.keys.empty());
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, TextWithALineBreakReadsBackAndLaterWritesStillWork) {
  HKEY key = Create(L"Software\\Pelvar");
  const wchar_t text[] = L"first\nsecond\r";
  ASSERT_EQ(RegSetValueExW(key, L"Note", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text), ERROR_SUCCESS);
  DWORD mask = 7;
  EXPECT_EQ(RegSetValueExW(key, L"DefaultClassMask", 0, REG_DWORD, reinterpret_cast<BYTE*>(&mask), 4), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Pelvar", 0, KEY_READ, &key), ERROR_SUCCESS);
  wchar_t buf[32] = {};
  DWORD type = 0, size = sizeof buf;
  ASSERT_EQ(RegQueryValueExW(key, L"Note", nullptr, &type, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, static_cast<DWORD>(sizeof text));
  EXPECT_STREQ(buf, text);
  DWORD value = 0;
  size = sizeof value;
  ASSERT_EQ(RegQueryValueExW(key, L"DefaultClassMask", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(value, 7u);
  RegCloseKey(key);
  // Every line of the file is one whole entry: the text went out as UTF-16 bytes.
  EXPECT_NE(pelvartest::ReadWholeFile(HiveFile())
                .find("\"Note\"=hex(1):66,00,69,00,72,00,73,00,74,00,0a,00,73,00,65,00,63,00,6f,00,6e,00,64,00,0d,00,"
                      "00,00\r\n"),
            std::string::npos);
}

TEST_F(RegistryTest, DemandLoadDataLandsUnderTheApplicationsKey) {
  AcadAppInfo info;
  info.setAppName(L"Pelvar");
  info.setModuleName(L"/opt/Pelvar2027.arx");
  info.setAppDesc(L"Mardel KMQ1 point cloud");
  info.setLoadReason(AcadApp::LoadReasons(AcadApp::kOnProxyDetection | AcadApp::kOnCommandInvocation));
  ASSERT_EQ(info.writeToRegistry(), AcadApp::eOk);
  ASSERT_EQ(info.writeGroupNameToRegistry(L"MARDEL"), AcadApp::eOk);
  ASSERT_EQ(info.writeCommandNameToRegistry(L"PELVARPANEL", L"PELVARPANEL"), AcadApp::eOk);
  AcadAppInfo back;
  back.setAppName(L"Pelvar");
  ASSERT_EQ(back.readFromRegistry(), AcadApp::eOk);
  EXPECT_STREQ(back.moduleName(), L"/opt/Pelvar2027.arx");
  EXPECT_EQ(back.loadReason(), 5);
  std::string file = pelvartest::ReadWholeFile(HiveFile());
  EXPECT_NE(file.find("[HKEY_CURRENT_USER\\Software\\Pelvar Host\\Applications\\Pelvar\\Commands]\r\n"
                      "\"PELVARPANEL\"=\"PELVARPANEL\"\r\n"),
            std::string::npos)
      << file;
  EXPECT_NE(file.find("\"LOADCTRLS\"=dword:00000005"), std::string::npos) << file;
}

}  // namespace
