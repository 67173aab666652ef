// Numbers are read in the C locale whatever the program's locale: a GUI toolkit sets the
// locale from the environment, and a German one writes 1,5 for one and a half.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>

#include "retrieval/EptHierarchy.h"
#include "retrieval/EptMetadata.h"
#include "retrieval/SurveyIndex.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"

namespace {

class GermanLocale : public ::testing::Test {
 protected:
  void SetUp() override {
    // Compiled at test time into a folder of our own, so the system's locales stay as they are.
    std::string command = "localedef -i de_DE -f UTF-8 " + (folder_.path() / "de_DE.UTF-8").string() + " 2>/dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << "localedef and the locale sources (package locales) are needed";
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    // The locale is in effect: the C library now stops at the point.
    ASSERT_EQ(std::strtod("1.5", nullptr), 1.0);
  }
  void TearDown() override { std::setlocale(LC_ALL, "C"); }

  pelvartest::TempFolder folder_{"locale"};
  pelvartest::ScopedEnv locpath_{"LOCPATH", folder_.path().string()};
};

TEST_F(GermanLocale, IndexBoundsAndHierarchyReadTheirDecimalPoints) {
  auto entries = ParseSurveyIndex("A_2018 2018 5 -80.25 35.5 -80.125 36.75\n");
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].west, -80.25);
  EXPECT_EQ(entries[0].north, 36.75);

  auto bounds = ParseEptBounds(R"({"bounds": [0.5, 1.25, 2.5, 1024.5, 1025.25, 1026.5]})");
  ASSERT_TRUE(bounds);
  EXPECT_EQ(bounds->minY, 1.25);
  EXPECT_EQ(bounds->maxX, 1024.5);

  EptHierarchy hierarchy;
  ParseEptHierarchy(R"({"0-0-0-0": 12})", hierarchy);
  EXPECT_EQ(hierarchy.at("0-0-0-0"), 12);
}

}  // namespace
