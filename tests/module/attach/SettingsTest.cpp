// The registry helpers over the registry stand-in, against values stored by the registry
// functions and by the export file itself.
#include <gtest/gtest.h>

#include <fstream>

#include "app/Settings.h"
#include "tests/module/attach/AttachFixture.h"

namespace attachtest {
namespace {

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override {
    folder_ = FreshFolder("config");
    env_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", folder_.string());
  }
  // Writes the hive file by hand, in the registry editor's export format.
  void WriteHiveFile(const std::string& values) {
    fs::create_directories(folder_ / "pelvar");
    std::ofstream(folder_ / "pelvar" / "registry.reg", std::ios::binary)
        << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Pelvar]\r\n"
        << values;
  }
  fs::path folder_;
  std::unique_ptr<ScopedEnv> env_;
};

TEST_F(SettingsTest, WithoutTheKeyTheFallbackAndAnEmptyFolderAreReturned) {
  EXPECT_EQ(ReadDefaultClassMask(0xFFFFFFC5u), 0xFFFFFFC5u);
  EXPECT_EQ(ReadDefaultClassMask(7u), 7u);
  EXPECT_EQ(ReadLocalEptRoot(), L"");
}

TEST_F(SettingsTest, WritingCreatesTheKeyAndStoresADword) {
  ASSERT_TRUE(WriteDefaultClassMask(0x00020044u));
  EXPECT_EQ(ReadDefaultClassMask(1u), 0x00020044u);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Pelvar", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD type = 0, value = 0, size = sizeof value;
  ASSERT_EQ(RegQueryValueExW(key, L"DefaultClassMask", nullptr, &type, reinterpret_cast<LPBYTE>(&value), &size),
            ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(value, 0x00020044u);
}

TEST_F(SettingsTest, AMaskWrittenInTheExportFileIsRead) {
  WriteHiveFile("\"DefaultClassMask\"=dword:00000004\r\n");
  EXPECT_EQ(ReadDefaultClassMask(0xFFFFFFC5u), 4u);
}

TEST_F(SettingsTest, AMaskOfAnotherTypeIsIgnored) {
  WriteHiveFile("\"DefaultClassMask\"=\"4\"\r\n");
  EXPECT_EQ(ReadDefaultClassMask(0xFFFFFFC5u), 0xFFFFFFC5u);
  WriteHiveFile("\"DefaultClassMask\"=hex(b):04,00,00,00,00,00,00,00\r\n");
  EXPECT_EQ(ReadDefaultClassMask(0xFFFFFFC5u), 0xFFFFFFC5u);
  WriteHiveFile("\"DefaultClassMask\"=hex:04,00,00,00\r\n");
  EXPECT_EQ(ReadDefaultClassMask(0xFFFFFFC5u), 0xFFFFFFC5u);
}

TEST_F(SettingsTest, ADwordMaskOfAnyLengthButFourBytesIsIgnored) {
  // Eight bytes, as the export file spells a REG_DWORD it cannot write as dword:...
  WriteHiveFile("\"DefaultClassMask\"=hex(4):04,00,00,00,00,00,00,00\r\n");
  EXPECT_EQ(ReadDefaultClassMask(0xFFFFFFC5u), 0xFFFFFFC5u);
  // Eight bytes stored through the registry functions, whatever they hold.
  const uint64_t wide = 0x0000000400000004ull;
  StoreSetting(L"DefaultClassMask", REG_DWORD, &wide, sizeof wide);
  EXPECT_EQ(ReadDefaultClassMask(0xFFFFFFC5u), 0xFFFFFFC5u);
  // Too short as well.
  const uint16_t narrow = 4;
  StoreSetting(L"DefaultClassMask", REG_DWORD, &narrow, sizeof narrow);
  EXPECT_EQ(ReadDefaultClassMask(7u), 7u);
  // Four bytes again: read.
  const uint32_t exact = 0x00020044u;
  StoreSetting(L"DefaultClassMask", REG_DWORD, &exact, sizeof exact);
  EXPECT_EQ(ReadDefaultClassMask(7u), 0x00020044u);
}

TEST_F(SettingsTest, TheMirrorFolderIsReturnedAsStoredWithoutChangingItsSeparator) {
  WriteHiveFile("\"LocalEptRoot\"=\"/data/mirror/\"\r\n");
  EXPECT_EQ(ReadLocalEptRoot(), L"/data/mirror/");
  WriteHiveFile("\"LocalEptRoot\"=\"D:\\\\ept\"\r\n");
  EXPECT_EQ(ReadLocalEptRoot(), L"D:\\ept");
}

TEST_F(SettingsTest, AMirrorFolderOfAnotherTypeOrTooLongCountsAsAbsent) {
  WriteHiveFile("\"LocalEptRoot\"=dword:00000001\r\n");
  EXPECT_EQ(ReadLocalEptRoot(), L"");
  std::wstring longest(511, L'a'), tooLong(512, L'a');
  StoreSetting(L"LocalEptRoot", REG_SZ, longest.c_str(), static_cast<DWORD>((longest.size() + 1) * sizeof(wchar_t)));
  EXPECT_EQ(ReadLocalEptRoot(), longest);
  StoreSetting(L"LocalEptRoot", REG_SZ, tooLong.c_str(), static_cast<DWORD>((tooLong.size() + 1) * sizeof(wchar_t)));
  EXPECT_EQ(ReadLocalEptRoot(), L"");
  StoreSetting(L"LocalEptRoot", REG_EXPAND_SZ, L"/x", 3 * sizeof(wchar_t));
  EXPECT_EQ(ReadLocalEptRoot(), L"");
}

TEST_F(SettingsTest, AStoredFolderWithoutItsTerminatorIsCutAtItsLength) {
  StoreSetting(L"LocalEptRoot", REG_SZ, L"/mirrorXYZ", 7 * sizeof(wchar_t));
  EXPECT_EQ(ReadLocalEptRoot(), L"/mirror");
}

}  // namespace
}  // namespace attachtest
