// A tile that crashes or defeats LASzip, served in a fetch: the fetch reports the tile's
// failure, and the drawing goes on working (its objects listed, the drawing saved).
#include <gtest/gtest.h>

#include "tests/module/fetch/ArchiveFixture.h"

namespace fetchtest {
namespace {

constexpr double kLon = -77.0, kLat = 40.0;
constexpr char kSurvey[] = "PA_Hostile_2020";

class HostileTile : public ArchiveFixture {};

TEST_F(HostileTile, EachKnownCrashingTileFailsTheFetchAndTheDrawingStaysUsable) {
  addSurvey(kSurvey, SceneAt(kLon, kLat, 4000, 7));
  double x = 0, y = 0;
  ZonePointAt(*FindZoneByEpsg(2272), kLon, kLat, x, y);
  setIndex(std::string(kSurvey) + " 2020 1000 -77.05 39.95 -76.95 40.05\n");
  Rect r{x - 1000, y - 500, x + 1000, y + 500};
  fs::path known = fs::path(PELVAR_SOURCE_DIR) / "fuzz" / "known" / "laz_tile";
  int fed = 0;
  for (const auto& entry : fs::directory_iterator(known)) {
    if (entry.path().extension() == ".md") continue;
    ++fed;
    fs::copy_file(entry.path(), archive_ / kSurvey / "ept-data" / "0-0-0-0.laz", fs::copy_options::overwrite_existing);
    fs::path saved = home_.path() / (entry.path().stem().string() + ".pvd");
    PelvarRun result = run("LINE\n0,0\n10,10\n\nPELVARFETCH\n2272\n" + r.corners() + "LIST\nALL\nSAVEAS\n" +
                           saved.string() + "\n");
    std::string name = entry.path().filename().string();
    EXPECT_EQ(result.exitCode, 0) << name;
    size_t failed = result.out.find("\nFETCH FAILED: ");
    ASSERT_NE(failed, std::string::npos) << name << result.out;
    if (name.starts_with("crash-")) {
      EXPECT_EQ(result.out.compare(failed, 35, "\nFETCH FAILED: laz decode failed\nCo"), 0) << result.out;
    }
    EXPECT_NE(result.out.find("1 entity in model space.", failed), std::string::npos) << name << result.out;
    EXPECT_NE(result.out.find("\nSaved " + saved.string()), std::string::npos) << name << result.out;
    EXPECT_TRUE(fs::exists(saved)) << name;
    EXPECT_TRUE(downloadedFiles().empty()) << name;
  }
  EXPECT_GE(fed, 2);
}

}  // namespace
}  // namespace fetchtest
