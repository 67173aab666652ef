// GetFileAttributesW as a module calls it: what a wide path names, found by its UTF-8 name
// whatever the process locale.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <clocale>
#include <fstream>
#include <string>

#include "tests/support/TempFolder.h"
#include "wideutf8.h"
#include "windows.h"

namespace {

TEST(GetFileAttributesW, TellsPlainFilesFoldersAndOtherKindsApartInAnyLocale) {
  pelvartest::TempFolder folder("attributes");
  std::ofstream(folder / "caf\u00e9 \U0001F30B.kmt") << "x";
  std::filesystem::create_directory(folder / "\u6771\u4eac");
  ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
  const struct {
    std::string name;
    DWORD attributes;
  } cases[] = {{"caf\u00e9 \U0001F30B.kmt", FILE_ATTRIBUTE_NORMAL},
               {"\u6771\u4eac", FILE_ATTRIBUTE_DIRECTORY},
               {"pipe", FILE_ATTRIBUTE_DEVICE},
               {"missing", INVALID_FILE_ATTRIBUTES}};
  for (const char* locale : {"C", "C.UTF-8"}) {
    ASSERT_NE(std::setlocale(LC_ALL, locale), nullptr);
    for (const auto& c : cases) {
      const std::wstring path = pelvarhost::Utf8ToWide((folder / c.name).string());
      EXPECT_EQ(GetFileAttributesW(path.c_str()), c.attributes) << locale << " " << c.name;
    }
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  }
  std::setlocale(LC_ALL, "C");
}

}  // namespace
