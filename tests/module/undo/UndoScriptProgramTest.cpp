// Undo as a user sees it in the pelvar program: the picked class and the picture after an
// undone reclassification, an erased cloud brought back with its edits, and undo across
// unloading and loading the module.
#include <gtest/gtest.h>

#include <string>

#include "tests/module/undo/UndoProgramFixture.h"

namespace undotest {
namespace {

constexpr const char* kPick = "PELVARPICK\n1000,2000\n";
constexpr const char* kWaterOverAll = "PELVARRECLASS\nWater\n800,1800\n1200,2200\n\n";

// The class lines PELVARPICK printed, in order.
std::vector<std::string> PickedClasses(const std::string& out) {
  std::vector<std::string> classes;
  for (size_t at = out.find("(class "); at != std::string::npos; at = out.find("(class ", at + 1))
    classes.push_back(out.substr(at, out.find(',', at) - at));
  return classes;
}

// The pick and the picture after U are those before the rectangle; after REDO those after it.
// An erased cloud comes back with its edit, the drawing byte for byte as before the erase.
TEST_F(UndoProgram, UndoneReclassificationsAndErasesShowTheCloudAsBefore) {
  WriteCloud("edited.kmt", 1000, 2000, 2);
  pelvartest::PelvarRun run =
      Run(std::string("PELVARATTACH\nedited.kmt\n") + kPick + "PNGOUT before.png 400 250\n" + kWaterOverAll + kPick +
          "PNGOUT water.png 400 250\nSAVEAS water.pvd\nU\n" + kPick + "PNGOUT undone.png 400 250\nREDO\n" + kPick +
          "PNGOUT redone.png 400 250\nERASE\n1000,2000\n\nU\n" + kPick + "SAVEAS back.pvd\n");
  const std::vector<std::string> classes = PickedClasses(run.out);
  ASSERT_EQ(classes.size(), 5u) << run.out;
  EXPECT_EQ(classes, (std::vector<std::string>{classes[0], "(class 9", classes[0], "(class 9", "(class 9"}));
  EXPECT_NE(classes[0], classes[1]);
  EXPECT_TRUE(SameBytes(home_ / "undone.png", home_ / "before.png"));
  EXPECT_TRUE(SameBytes(home_ / "redone.png", home_ / "water.png"));
  EXPECT_FALSE(SameBytes(home_ / "water.png", home_ / "before.png"));
  EXPECT_TRUE(SameBytes(home_ / "back.pvd", home_ / "water.pvd"));
}

// Unloading turns the clouds into proxies: the history that holds them is cleared (and
// says so), and the history made after loading again works as ever.
TEST_F(UndoProgram, UndoAcrossUnloadingAndLoadingTheModuleClearsTheHistoryAndGoesOn) {
  WriteCloud("edited.kmt", 1000, 2000, 2);
  const std::string module = std::string(PELVAR_BUILD_DIR) + "/Pelvar2027.arx";
  pelvartest::PelvarRun run = Run(std::string("PELVARATTACH\nedited.kmt\n") + kWaterOverAll +
                                  "U\nARXUNLOAD\nPelvar2027.arx\nU\nREDO\nARXLOAD\n" + module + "\nLINE\n0,0\n5,5\n\n" +
                                  kWaterOverAll + "U\nU\nU\n" + kPick);
  EXPECT_NE(run.out.find("Undo history cleared: objects of an unloaded module became proxies."), std::string::npos);
  EXPECT_NE(run.out.find("Command: U\nEverything has been undone.\nCommand: REDO\nEverything has been redone."),
            std::string::npos);
  EXPECT_NE(run.out.find("Undone: PELVARRECLASS\nCommand: U\nUndone: LINE\nCommand: U\nEverything has been undone."),
            std::string::npos);
  EXPECT_EQ(PickedClasses(run.out).size(), 1u) << "the cloud is back after loading";
}

}  // namespace
}  // namespace undotest
