// Reclassification read back through PELVARPICK's class in the pelvar program: rectangle
// edges, corner order, later rectangles winning, the height bands of the automatic
// classification, Reset with the switch on, and all of it after SAVEAS and reopening in a
// new process. The cloud file stays byte for byte as it was.
#include <gtest/gtest.h>

#include <regex>

#include "tests/module/classify/ProgramFixture.h"

namespace classifytest {
namespace {

constexpr uint32_t kEveryClass = 0xFFFFFFFFu;

// The classes PELVARPICK reported, in order.
std::vector<int> PickedClasses(const std::string& out) {
  std::vector<int> classes;
  static const std::regex kPointLine(R"(\n  Point   E [-0-9.]+  N [-0-9.]+  Z [-0-9.]+ ft  \(class (\d+), I \d+\))");
  for (auto it = std::sregex_iterator(out.begin(), out.end(), kPointLine); it != std::sregex_iterator(); ++it)
    classes.push_back(std::stoi((*it)[1].str()));
  return classes;
}

std::string Picks(const std::vector<std::string>& points) {
  std::string script;
  for (const std::string& p : points) script += "PELVARPICK\n" + p + "\n";
  return script;
}

// Lattice nodes checked: the edit corners given top-right to bottom-left, its inside, the
// column both edits cover, the second edit's far corner, and nodes outside both.
const std::vector<std::string> kLatticePicks = {"1020,2030", "1030,2040", "1040,2040", "1060,2050",
                                                "1010,2040", "1070,2050", "1040,2060"};
// Stored classes there: 1 + (i + j) % 6.
const std::vector<int> kLatticeStored = {6, 2, 3, 6, 6, 1, 5};
const std::vector<int> kLatticeEdited = {17, 17, 9, 9, 6, 1, 5};

TEST_F(ClassifyProgram, PickReadsEditedClassesBackBeforeAndAfterReopening) {
  fs::path source = WriteCloud("lattice.kmt", LatticeCloud());
  const uint64_t sourceHash = FileHash(source);
  StoreDefaultMask(kEveryClass);
  pelvartest::PelvarRun first = Run("PELVARATTACH\nlattice.kmt\n" + Picks(kLatticePicks) +
                                    "PELVARRECLASS\nNumber\n17\n1040,2050\n1020,2030\n\n"
                                    "PELVARRECLASS\nWater\n1040,2030\n1060,2050\n\n" +
                                    Picks(kLatticePicks) + "SAVEAS\nedited.pvd\n");
  std::vector<int> expected = kLatticeStored;
  expected.insert(expected.end(), kLatticeEdited.begin(), kLatticeEdited.end());
  EXPECT_EQ(PickedClasses(first.out), expected) << first.out;

  pelvartest::PelvarRun reopened = Run("OPEN\nedited.pvd\n" + Picks(kLatticePicks) +
                                       "PELVARRECLASS\nReset\n" + Picks(kLatticePicks));
  expected = kLatticeEdited;
  expected.insert(expected.end(), kLatticeStored.begin(), kLatticeStored.end());
  EXPECT_EQ(PickedClasses(reopened.out), expected) << reopened.out;
  EXPECT_EQ(FileHash(source), sourceHash);
}

// Unclassified points 10, 6.5, 16 and -3 ft above the flat ground, and one 3.01 ft below
// the raised first node; a stored ground point; an unclassified point moved to 6 by an edit.
TEST_F(ClassifyProgram, PickReadsTheClassesByHeightAndResetKeepsThem) {
  crafted::Cloud bands = ExactCloud();
  bands.points = {PointAt(1050, 2050, CodeOfHeight(10), 1),  PointAt(1030, 2030, CodeOfHeight(6.5), 1),
                  PointAt(1070, 2070, CodeOfHeight(16), 1),  PointAt(1030, 2070, CodeOfHeight(-3), 1),
                  PointAt(1000, 2000, CodeOfHeight(-3), 1),  PointAt(1070, 2030, CodeOfHeight(30), 2),
                  PointAt(1060, 2060, CodeOfHeight(30), 1)};
  fs::path source = WriteCloud("bands.kmt", bands);
  const uint64_t sourceHash = FileHash(source);
  StoreDefaultMask(kEveryClass);
  const std::vector<std::string> picks = {"1050,2050", "1030,2030", "1070,2070", "1030,2070",
                                          "1000,2000", "1070,2030", "1060,2060"};
  pelvartest::PelvarRun first = Run("PELVARATTACH\nbands.kmt\n" + Picks(picks) +
                                    "PELVARRECLASS\nBuilding\n1060,2060\n1060,2060\n\nPELVARAUTOCLS\n\n" +
                                    Picks(picks) + "SAVEAS\nbands.pvd\n");
  const std::vector<int> stored = {1, 1, 1, 1, 1, 2, 1};
  const std::vector<int> byHeight = {4, 4, 5, 3, 7, 2, 6};
  std::vector<int> expected = stored;
  expected.insert(expected.end(), byHeight.begin(), byHeight.end());
  EXPECT_EQ(PickedClasses(first.out), expected) << first.out;
  EXPECT_NE(first.out.find("\n  Ground  0.01 ft   HAG -3.0 ft"), std::string::npos) << first.out;

  // Reset drops the edit; the switch stays on, so the classes by height stay too.
  pelvartest::PelvarRun reopened =
      Run("OPEN\nbands.pvd\n" + Picks(picks) + "PELVARRECLASS\nReset\n" + Picks(picks) + "SAVEAS\nreset.pvd\n");
  std::vector<int> afterReset = byHeight;
  afterReset.back() = 5;
  expected = byHeight;
  expected.insert(expected.end(), afterReset.begin(), afterReset.end());
  EXPECT_EQ(PickedClasses(reopened.out), expected) << reopened.out;

  pelvartest::PelvarRun again = Run("OPEN\nreset.pvd\n" + Picks(picks) + "PELVARAUTOCLS\n\n" + Picks(picks));
  expected = afterReset;
  expected.insert(expected.end(), stored.begin(), stored.end());
  EXPECT_EQ(PickedClasses(again.out), expected) << again.out;
  EXPECT_EQ(FileHash(source), sourceHash);
}

}  // namespace
}  // namespace classifytest
