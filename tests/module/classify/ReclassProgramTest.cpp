// PELVARRECLASS in the pelvar program: every answer of the class prompt, the rectangle loop
// and its counts, refused class numbers, Reset over several clouds.
#include <gtest/gtest.h>

#include "tests/module/classify/ProgramFixture.h"

namespace classifytest {
namespace {

constexpr const char* kClassPrompt =
    "Reclassify to [Ground/Building/Water/Vegetation/Unclassified/Number/Reset] <Ground>: ";
constexpr const char* kFirstCorner = "First corner of area <Enter to finish>: ";
constexpr const char* kStored = "Stored in the drawing; the .kmt file is untouched. [Reset] undoes all.\n";

// Points of the lattice whose stored class is not `cls`.
int OtherThan(int cls) {
  int count = 0;
  for (const crafted::Point& p : LatticeCloud().points) count += p.cls != cls;
  return count;
}

// One whole-lattice rectangle with the given class answer, as the transcript shows it.
std::string WholeLattice(const std::string& answer, int cls, int clouds = 1) {
  return std::string("Command: PELVARRECLASS\n") + kClassPrompt + answer + "\n" + kFirstCorner +
         "1100,2100\nOpposite corner: 1000,2000\n  " + std::to_string(clouds * OtherThan(cls)) +
         " point(s) -> class " + std::to_string(cls) + "\n" + kFirstCorner + "\n" + kStored;
}

TEST_F(ClassifyProgram, EveryClassAnswerGivesItsClassAndTheCountOfPointsItChanges) {
  WriteCloud("lattice.kmt", LatticeCloud());
  const std::pair<std::string, int> answers[] = {{"", 2},           {"Ground", 2},     {"Building", 6},
                                                  {"Water", 9},     {"Vegetation", 5}, {"Unclassified", 1},
                                                  {"B", 6},         {"veg", 5}};
  std::string script = "PELVARATTACH\nlattice.kmt\n";
  std::string expected;
  for (const auto& [answer, cls] : answers) {
    script += "PELVARRECLASS\n" + answer + "\n1100,2100\n1000,2000\n\n";
    expected += WholeLattice(answer, cls);
  }
  script += "PELVARRECLASS\nNumber\n17\n1100,2100\n1000,2000\n\n";
  expected += std::string("Command: PELVARRECLASS\n") + kClassPrompt + "Number\nLAS class number (0-254): 17\n" +
              kFirstCorner + "1100,2100\nOpposite corner: 1000,2000\n  121 point(s) -> class 17\n" + kFirstCorner +
              "\n" + kStored;
  pelvartest::PelvarRun run = Run(script);
  EXPECT_EQ(From(run.out, "Command: PELVARRECLASS"), expected + "Command: ");
}

// 255 would be "no override": it is refused like 300 or -1, and the command ends silently.
TEST_F(ClassifyProgram, AClassNumberOutsideZeroTo254EndsTheCommandWithoutAnEdit) {
  WriteCloud("lattice.kmt", LatticeCloud());
  pelvartest::PelvarRun run = Run(
      "PELVARATTACH\nlattice.kmt\nPELVARRECLASS\nNumber\n255\nPELVARRECLASS\nNumber\n300\n"
      "PELVARRECLASS\nNumber\n-1\nPELVARRECLASS\nNumber\n0\n1000,2000\n1000,2000\n\nPELVARRECLASS\nReset\n");
  std::string numberPrompt = std::string("Command: PELVARRECLASS\n") + kClassPrompt + "Number\nLAS class number (0-254): ";
  EXPECT_EQ(From(run.out, "Command: PELVARRECLASS"),
            numberPrompt + "255\n" + numberPrompt + "300\n" + numberPrompt + "-1\n" + numberPrompt + "0\n" +
                kFirstCorner + "1000,2000\nOpposite corner: 1000,2000\n  1 point(s) -> class 0\n" + kFirstCorner +
                "\n" + kStored + "Command: PELVARRECLASS\n" + kClassPrompt +
                "Reset\nReclassification cleared on 1 cloud(s).\nCommand: ");
}

// Several rectangles in one run, the loop left by Esc at a corner, and a run that applies
// none printing nothing more. Each cloud stores every edit, the one the rectangle misses too.
TEST_F(ClassifyProgram, RectanglesGoToEveryCloudAndResetClearsThemAll) {
  WriteCloud("lattice.kmt", LatticeCloud());
  pelvartest::PelvarRun run = Run(
      "PELVARATTACH\nlattice.kmt\nPELVARATTACH\nlattice.kmt\nMOVE\n1050,2050\n\n0,0\n@1000,0\n"
      "PELVARRECLASS\nWater\n1000,2000\n1000,2000\n2000,2000\n2000,2000\n1000,2000\n^C\n"
      "PELVARRECLASS\nWater\n\nPELVARRECLASS\nReset\nPELVARRECLASS\nReset\n");
  EXPECT_EQ(From(run.out, "Command: PELVARRECLASS"),
            std::string("Command: PELVARRECLASS\n") + kClassPrompt + "Water\n" + kFirstCorner +
                "1000,2000\nOpposite corner: 1000,2000\n  1 point(s) -> class 9\n" + kFirstCorner +
                "2000,2000\nOpposite corner: 2000,2000\n  1 point(s) -> class 9\n" + kFirstCorner +
                "1000,2000\nOpposite corner: *Cancel*\n" + kStored + "Command: PELVARRECLASS\n" + kClassPrompt +
                "Water\n" + kFirstCorner + "\nCommand: PELVARRECLASS\n" + kClassPrompt +
                "Reset\nReclassification cleared on 2 cloud(s).\nCommand: PELVARRECLASS\n" + kClassPrompt +
                "Reset\nReclassification cleared on 0 cloud(s).\nCommand: ");
}

}  // namespace
}  // namespace classifytest
