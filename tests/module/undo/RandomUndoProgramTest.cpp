// Undo and redo in the pelvar program over a few hundred seeded random commands on a
// drawing with host entities, clouds, a surface and COGO points: undoing everything gives
// back the saved drawing byte for byte, redoing everything the drawing after the commands,
// and undo and redo at random points match the states the test kept.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "tests/module/undo/UndoProgramFixture.h"

namespace undotest {
namespace {

struct Pt {
  int x, y;
  bool operator==(const Pt&) const = default;
};

std::string Text(Pt p) { return std::to_string(p.x) + "," + std::to_string(p.y); }

// Host points sit on a grid in their own square, far from the clouds; profiles, COGO points
// and surfaces stay on the ground cloud, so that every pick finds what it aims at.
constexpr int kGrid = 20;
constexpr int kGridCells = 20;
constexpr Pt kEditedClouds[] = {{1000, 2000}, {1500, 2000}};
constexpr Pt kGroundCentre{1000, 1000};
constexpr int kHalfSide = 150;  // inside the clouds' 400 ft squares
const char* const kClassAnswers[] = {"Ground", "Building", "Water", "Vegetation", "Unclassified"};

// What the test knows of a state: where the host points are, and whether a cloud has edits
// (a Reset without any changes nothing, and makes no undo step).
struct Model {
  std::vector<Pt> points;
  bool edited = false;
};

// Writes commands that each change the drawing, and keeps the model.
class CommandMaker {
 public:
  explicit CommandMaker(unsigned seed) : rng_(seed) {}

  std::string Next(Model& model) {
    std::vector<Pt>& points = model.points;
    switch (Below(14)) {
      case 0: return AddPoint(points);
      case 1: return "LINE\n" + Text(Near({200, 600}, 100)) + "\n" + Text(Near({200, 600}, 100)) + "\n\n";
      case 2: return points.empty() ? AddPoint(points) : MovePoint(points);
      case 3: return points.empty() ? AddPoint(points) : ErasePoint(points);
      case 4: return "PELVARCLS\n" + Text(Cloud()) + "\n" + std::to_string(Below(32)) + "\n";
      case 5: return "PELVARMODE\n" + Text(Cloud()) + "\n";
      case 6:
        model.edited = true;
        return std::string("PELVARRECLASS\n") + kClassAnswers[Below(5)] + "\n" + Text(Near(Cloud(), kHalfSide)) +
               "\n" + Text(Near(Cloud(), kHalfSide)) + "\n\n";
      case 7:
        if (!std::exchange(model.edited, false)) return AddPoint(points);
        return "PELVARRECLASS\nReset\n";
      case 8: return "PELVARAUTOCLS\n" + Text(Cloud()) + "\n";
      case 9: return "PELVARPROF\n" + Text(Near(kGroundCentre, 100)) + "\n" + Text(Near(kGroundCentre, 100)) + "\n\n";
      case 10: return std::string("PELVARSURF\n") + (Below(2) == 0 ? "Points" : "Grid") + "\n";
      case 11: return "PELVARCOGO\n\n" + Text(Near(kGroundCentre, 100)) + "\n\n";
      case 12: return "PELVARATTACH\nedited.kmt\n";
      default: return "LAYER\nMake\nL" + std::to_string(++layers_) + "\n\n";
    }
  }

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

 private:
  Pt Cloud() { return kEditedClouds[Below(2)]; }
  Pt Near(Pt centre, int reach) {
    return {centre.x - reach + Below(2 * reach + 1), centre.y - reach + Below(2 * reach + 1)};
  }
  Pt FreeGridPoint(const std::vector<Pt>& points) {
    Pt p{kGrid * Below(kGridCells), kGrid * Below(kGridCells)};
    return std::find(points.begin(), points.end(), p) == points.end() ? p : FreeGridPoint(points);
  }
  std::string AddPoint(std::vector<Pt>& points) {
    points.push_back(FreeGridPoint(points));
    return "POINT\n" + Text(points.back()) + "\n";
  }
  std::string MovePoint(std::vector<Pt>& points) {
    Pt& moved = points[static_cast<size_t>(Below(static_cast<int>(points.size())))];
    const std::string from = Text(moved);
    moved = FreeGridPoint(points);
    return "MOVE\n" + from + "\n\n" + from + "\n" + Text(moved) + "\n";
  }
  std::string ErasePoint(std::vector<Pt>& points) {
    auto it = points.begin() + Below(static_cast<int>(points.size()));
    const std::string pick = Text(*it);
    points.erase(it);
    return "ERASE\n" + pick + "\n\n";
  }

  std::mt19937 rng_;
  int layers_ = 0;
};

TEST_F(UndoProgram, UndoingEveryRandomCommandGivesBackTheDrawingAndRedoingGivesTheLastOne) {
  const fs::path drawing = MakeStartDrawing();
  CommandMaker maker(20261208);
  Model model;
  std::string script = "SAVEAS before.pvd\n";
  for (int i = 0; i < 300; ++i) script += maker.Next(model);
  script += "SAVEAS after.pvd\nUNDO\n100000\nSAVEAS undone.pvd\nREDO 100000\nSAVEAS redone.pvd\n";
  pelvartest::PelvarRun run = Run(script, {drawing.string()});
  EXPECT_EQ(run.out.find("Unknown command"), std::string::npos) << "a command lost its answers\n" << run.out.substr(0, 2500);
  EXPECT_NE(run.out.find("Everything has been undone."), std::string::npos);
  EXPECT_TRUE(SameBytes(home_ / "undone.pvd", home_ / "before.pvd"));
  EXPECT_TRUE(SameBytes(home_ / "redone.pvd", home_ / "after.pvd"));
  EXPECT_FALSE(SameBytes(home_ / "before.pvd", home_ / "after.pvd"));
}

// The test keeps every state the commands made (a saved drawing each) and where undo and
// redo should lead; a new command drops the states after the current one.
TEST_F(UndoProgram, UndoAndRedoAtRandomPointsLeadToTheStatesTheTestKept) {
  const fs::path drawing = MakeStartDrawing();
  CommandMaker maker(7);
  std::vector<Model> models{{}};
  std::vector<std::string> stateFiles{"state0.pvd"};
  std::vector<std::pair<std::string, std::string>> checks;  // saved, expected
  size_t current = 0;
  std::string script = "SAVEAS state0.pvd\n";
  for (int step = 0; step < 200; ++step) {
    if (maker.Below(10) < 4) {
      const bool undo = maker.Below(2) == 0;
      const size_t count = static_cast<size_t>(1 + maker.Below(4));
      current = undo ? current - std::min(current, count) : std::min(models.size() - 1, current + count);
      script += (undo ? "UNDO\n" : "REDO ") + std::to_string(count) + "\n";
      checks.emplace_back("check" + std::to_string(step) + ".pvd", stateFiles[current]);
      script += "SAVEAS " + checks.back().first + "\n";
      continue;
    }
    models.resize(current + 1);
    stateFiles.resize(current + 1);
    Model model = models[current];
    script += maker.Next(model);
    models.push_back(model);
    stateFiles.push_back("state" + std::to_string(step + 1) + ".pvd");
    script += "SAVEAS " + stateFiles.back() + "\n";
    ++current;
  }
  pelvartest::PelvarRun run = Run(script, {drawing.string()});
  EXPECT_EQ(run.out.find("Unknown command"), std::string::npos) << "a command lost its answers\n" << run.out.substr(0, 2500);
  for (const auto& [saved, expected] : checks)
    EXPECT_TRUE(SameBytes(home_ / saved, home_ / expected)) << saved << " is not " << expected;
}

}  // namespace
}  // namespace undotest
