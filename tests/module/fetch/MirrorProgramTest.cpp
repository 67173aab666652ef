// PELVARMIRROR end to end against a generated archive served on loopback: the transcript,
// the tree it leaves, a rerun that downloads nothing, a fetch from the mirror alone, and
// the failures.
#include <gtest/gtest.h>

#include "tests/module/fetch/ArchiveFixture.h"
#include "tests/module/fetch/MirrorExpectation.h"

namespace fetchtest {
namespace {

constexpr double kLon = -77.0, kLat = 40.0;
constexpr char kSurvey[] = "PA_Test_2020";

std::string IndexLine(const std::string& name, int year, double lon, double lat) {
  return name + " " + std::to_string(year) + " 1000 " + std::to_string(lon - 0.05) + " " + std::to_string(lat - 0.05) +
         " " + std::to_string(lon + 0.05) + " " + std::to_string(lat + 0.05) + "\n";
}

class MirrorProgram : public ArchiveFixture {
 protected:
  void SetUp() override {
    ArchiveFixture::SetUp();
    addSurvey(kSurvey, SceneAt(kLon, kLat, 20000, 7));
    index_ = IndexLine(kSurvey, 2020, kLon, kLat);
    setIndex(index_);
    double x = 0, y = 0;
    ZonePointAt(zone_, kLon, kLat, x, y);
    rect_ = {x - 1000, y - 500, x + 1000, y + 500};
  }
  std::string corners() const {
    return "First corner of the area to mirror: " + Number(rect_.xmin) + "," + Number(rect_.ymin) +
           "\nOpposite corner: " + Number(rect_.xmax) + "," + Number(rect_.ymax) + "\n";
  }
  std::string script(const std::string& rootAnswer = "") const {
    return "PELVARMIRROR\n" + (rootAnswer.empty() ? "" : rootAnswer + "\n") + "2272\n" + rect_.corners();
  }
  std::string fetchScript() const { return "PELVARFETCH\n2272\n" + rect_.corners(); }

  const StatePlaneZone& zone_ = *FindZoneByEpsg(2272);
  Rect rect_;
  std::string index_;
  fs::path root_ = home_.path() / "mirror root";
};

TEST_F(MirrorProgram, AMirrorCopiesTheAreaARerunDownloadsNothingAndAFetchThenNeedsNoServer) {
  PelvarRun online = run(fetchScript());
  std::string fetchName = "KMT_fetch_" + Number((rect_.xmin + rect_.xmax) / 2) + "_" +
                          Number((rect_.ymin + rect_.ymax) / 2);
  ASSERT_TRUE(fs::exists(downloads_ / (fetchName + ".kmt"))) << online.out;

  ExpectedMirror expected = ExpectMirror(archive_, kSurvey, zone_, rect_);
  PelvarRun first = run(script(root_.string()));
  char mirrored[256];
  std::snprintf(mirrored, sizeof(mirrored),
                "\nMirrored: %zu node(s) downloaded (%.1f MB), 0 already on disk, %llu pts total.", expected.tiles,
                expected.bytes / 1048576.0, static_cast<unsigned long long>(expected.storedPoints));
  EXPECT_NE(first.out.find("Command: PELVARMIRROR\nLocal mirror folder (e.g. D:\\3dep): " + root_.string() +
                           "\nMirror root saved: " + root_.string() + "\n" + TypedZone(2272) + corners() +
                           "Area: 0.07 sq mi. Mirrors run at FULL density; Esc cancels, rerun resumes.\n"
                           "PA_Test_2020 (2020):" +
                           expected.progress + mirrored + "\nPELVARFETCH inside this area now reads " +
                           root_.string() + " first, web second.\nCommand: "),
            std::string::npos)
      << first.out;
  std::map<std::string, std::string> tree = TreeOf(root_);
  std::set<std::string> names;
  for (const auto& [name, bytes] : tree) {
    names.insert(name);
    std::string served = name == "datasets.txt" ? index_ : pelvartest::ReadWholeFile(archive_ / name);
    EXPECT_EQ(bytes, served) << name;
  }
  EXPECT_EQ(names, expected.files);

  int requests = server_->totalRequests();
  PelvarRun again = run(script());
  std::snprintf(mirrored, sizeof(mirrored),
                "\nMirrored: 0 node(s) downloaded (0.0 MB), %zu already on disk, %llu pts total.", expected.tiles,
                static_cast<unsigned long long>(expected.storedPoints));
  EXPECT_NE(again.out.find("Command: PELVARMIRROR\nMirror root: " + root_.string() +
                           " (edit HKCU\\Software\\Pelvar to change).\n" + TypedZone(2272) + corners() +
                           "Area: 0.07 sq mi. Mirrors run at FULL density; Esc cancels, rerun resumes.\n"
                           "PA_Test_2020 (2020):" +
                           expected.tileProgressHeld + mirrored),
            std::string::npos)
      << again.out;
  EXPECT_EQ(server_->totalRequests(), requests);
  EXPECT_EQ(TreeOf(root_), tree);

  server_->stop();
  PelvarRun offline = run(fetchScript());
  EXPECT_NE(offline.out.find("\nAttached at full density."), std::string::npos) << offline.out;
  EXPECT_EQ(pelvartest::ReadWholeFile(downloads_ / (fetchName + "_2.kmt")),
            pelvartest::ReadWholeFile(downloads_ / (fetchName + ".kmt")));
}

TEST_F(MirrorProgram, AHostileIndexNeverLeadsAWriteOutOfTheMirrorRoot) {
  std::string hostile;
  for (std::string name : {"..", "../../escaped_2030", "/tmp/absolute_2030", "a/../../b_2030", "sub\\..\\..\\c_2030",
                           "%2e%2e_2030"})
    hostile += IndexLine(name, 2030, kLon, kLat);
  setIndex(hostile + index_);
  setMirrorRoot(root_ / "inner");
  PelvarRun result = run(script());
  EXPECT_NE(result.out.find("Area: 0.07 sq mi. Mirrors run at FULL density; Esc cancels, rerun resumes.\n"
                            "PA_Test_2020 (2020):"),
            std::string::npos)
      << result.out;
  for (const auto& entry : fs::recursive_directory_iterator(home_.path())) {
    std::string path = entry.path().string();
    bool known = path.rfind((root_ / "inner").string(), 0) == 0 || path.rfind(archive_.string(), 0) == 0 ||
                 path.rfind((home_.path() / "config").string(), 0) == 0 || entry.path() == root_ ||
                 entry.path() == downloads_ || entry.path().parent_path() == home_.path();
    EXPECT_TRUE(known) << path;
  }
  EXPECT_FALSE(fs::exists(home_.path() / "escaped_2030"));
}

TEST_F(MirrorProgram, FailuresEndTheRunWithTheirMessages) {
  setMirrorRoot(root_);
  std::string area = "Area: 0.07 sq mi. Mirrors run at FULL density; Esc cancels, rerun resumes.\n";
  PelvarRun cancelled = run(script() + "^BREAK\n");
  EXPECT_NE(cancelled.out.find(area + "PA_Test_2020 (2020):\nMIRROR FAILED: cancelled\nCommand: "), std::string::npos)
      << cancelled.out;

  std::ofstream(home_.path() / "a file") << "not a folder";
  setMirrorRoot(home_.path() / "a file" / "mirror");
  PelvarRun unwritable = run("PELVARMIRROR\n");
  EXPECT_NE(unwritable.out.find("to change).\nMIRROR FAILED: cannot write to the mirror root\nCommand: "),
            std::string::npos)
      << unwritable.out;

  // A root whose parents are missing is made whole; an index that cannot be copied into it
  // fails the run before anything else is read.
  fs::path deep = root_ / "new" / "parents";
  setMirrorRoot(deep);
  int requests = server_->totalRequests();
  fs::create_directories(deep / "datasets.txt");
  PelvarRun noIndex = run(script());
  EXPECT_NE(noIndex.out.find(area + "MIRROR FAILED: cannot write datasets.txt into the mirror root\nCommand: "),
            std::string::npos)
      << noIndex.out;
  EXPECT_EQ(server_->totalRequests(), requests + 1);
  fs::remove_all(root_ / "new");
  PelvarRun withParents = run(script());
  EXPECT_NE(withParents.out.find("\nPELVARFETCH inside this area now reads " + deep.string()), std::string::npos)
      << withParents.out;
  EXPECT_EQ(pelvartest::ReadWholeFile(deep / "datasets.txt"), index_);

  setMirrorRoot(root_);
  double x = 0, y = 0;
  ZonePointAt(zone_, kLon, kLat, x, y);
  PelvarRun large = run("PELVARMIRROR\n2272\n" + Number(x) + "," + Number(y) + "\n" + Number(x + 38000) + "," +
                        Number(y + 38000) + "\n");
  EXPECT_NE(large.out.find("Area: 51.80 sq mi. Mirrors run at FULL density; Esc cancels, rerun resumes.\n"
                           "Over 50 sq mi in one pull; split the area.\nCommand: "),
            std::string::npos)
      << large.out;

  // The index is read from the mirror first: each new index must be the only copy.
  fs::remove(root_ / "datasets.txt");
  setIndex(IndexLine("Elsewhere_2020", 2020, -100, 45));
  PelvarRun elsewhere = run(script());
  EXPECT_NE(elsewhere.out.find(area + "No 3DEP coverage here.\nCommand: "), std::string::npos) << elsewhere.out;

  double wx = 0, wy = 0;
  LonLatToWebMercator(kLon, kLat, wx, wy);
  std::vector<eptgen::ScenePoint> far = eptgen::MakeScene(3, wx + 20000, wy, 1000, 2000);
  addSurvey("PA_Far_2024", eptgen::PlanDataset(far, eptgen::OptionsAround(far)));
  fs::remove(root_ / "datasets.txt");
  setIndex(IndexLine("PA_Far_2024", 2024, kLon, kLat));
  PelvarRun uncovered = run(script());
  EXPECT_NE(uncovered.out.find(area + "PA_Far_2024 (2024):\r  hierarchy: 0 nodes, 0 stored pts     not covered "
                                      "here, next candidate.\nNo candidate survey actually covers this area.\n"),
            std::string::npos)
      << uncovered.out;

  server_->stop();
  fs::remove(root_ / "datasets.txt");
  PelvarRun unreachable = run(script());
  EXPECT_NE(unreachable.out.find(area + "datasets.txt fetch failed.\nCommand: "), std::string::npos)
      << unreachable.out;
}

}  // namespace
}  // namespace fetchtest
