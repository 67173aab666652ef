// PELVARFETCH end to end: pelvar runs a script against a generated archive served on
// loopback; every message is compared whole, and the file written is read back.
#include <gtest/gtest.h>

#include <map>

#include "cloudfile/CloudReader.h"
#include "tests/module/fetch/ArchiveFixture.h"
#include "tests/module/fetch/FetchTranscript.h"

namespace fetchtest {
namespace {

constexpr double kLon = -77.0, kLat = 40.0;  // Pennsylvania South, a US-survey-foot zone
constexpr char kSurvey[] = "PA_Test_2020";

const StatePlaneZone& Zone(std::uint32_t epsg) { return *FindZoneByEpsg(epsg); }

std::string IndexLine(const std::string& name, int year, double lon, double lat, double halfDegrees = 0.05) {
  return name + " " + std::to_string(year) + " 1000 " + std::to_string(lon - halfDegrees) + " " + std::to_string(lat - halfDegrees) + " " +
         std::to_string(lon + halfDegrees) + " " + std::to_string(lat + halfDegrees) + "\n";
}

// A rectangle of w x h units centred on the place.
Rect RectAt(const StatePlaneZone& zone, double lon, double lat, double w, double h) {
  double x = 0, y = 0;
  ZonePointAt(zone, lon, lat, x, y);
  return {x - w / 2, y - h / 2, x + w / 2, y + h / 2};
}

std::string Prelude(int epsg, const Rect& r) {
  return "Command: PELVARFETCH\n" + TypedZone(epsg) + "First corner of the fetch rectangle: " + Number(r.xmin) +
         "," + Number(r.ymin) + "\nOpposite corner: " + Number(r.xmax) + "," + Number(r.ymax) + "\n";
}

std::string Script(int epsg, const Rect& r) { return "PELVARFETCH\n" + std::to_string(epsg) + "\n" + r.corners(); }

class FetchProgram : public ArchiveFixture {
 protected:
  void addPennsylvania(const std::string& name = kSurvey, int year = 2020) {
    addSurvey(name, SceneAt(kLon, kLat, 20000, 7));
    index_ += IndexLine(name, year, kLon, kLat);
    setIndex(index_);
  }
  std::string index_;
};

// Matches every point of the file with one expected point of the same class and
// intensity within the file's quantization; true when all match one to one.
void ExpectSamePoints(const KmqData& data, std::vector<ZonePoint> expected) {
  ASSERT_EQ(data.pointCount, expected.size());
  // Half a code step, and the header's sizes are single precision.
  double tx = data.sizeX / 65535.0 * 0.5 + data.sizeX * 1e-7, ty = data.sizeY / 65535.0 * 0.5 + data.sizeY * 1e-7,
         tz = data.sizeZ / 65535.0 * 0.5 + data.sizeZ * 1e-7;
  std::multimap<std::pair<int, int>, size_t> byKey;
  for (size_t i = 0; i < expected.size(); ++i) byKey.emplace(std::make_pair(expected[i].cls, expected[i].intensity), i);
  size_t unmatched = 0;
  for (uint32_t i = 0; i < data.pointCount; ++i) {
    const KmqPoint& p = data.points[i];
    auto [from, to] = byKey.equal_range({p.cls, data.intensity16[i]});
    auto match = std::find_if(from, to, [&](const auto& entry) {
      const ZonePoint& e = expected[entry.second];
      return std::fabs(DecodeX(data, p) - e.x) <= tx && std::fabs(DecodeY(data, p) - e.y) <= ty &&
             std::fabs(DecodeZ(data, p) - e.z) <= tz;
    });
    if (match == to) {
      ++unmatched;
    } else {
      byKey.erase(match);
    }
  }
  EXPECT_EQ(unmatched, 0u);
}

// Every cell that ground points fell into holds the lowest of them; no cell is left empty.
void ExpectGroundGrid(const KmqData& data, const std::vector<ZonePoint>& expected, const Rect& r, double cell,
                      int nx, int ny) {
  ASSERT_EQ(data.groundNx, nx);
  ASSERT_EQ(data.groundNy, ny);
  EXPECT_FLOAT_EQ(data.groundCell, static_cast<float>(cell));
  EXPECT_DOUBLE_EQ(data.groundOriginX, r.xmin);
  EXPECT_DOUBLE_EQ(data.groundOriginY, r.ymin);
  std::map<int, double> lowest;
  for (const ZonePoint& p : expected) {
    if (p.cls != 2 && p.cls != 20) continue;
    int i = std::clamp(static_cast<int>(std::round((p.x - r.xmin) / cell)), 0, nx - 1);
    int j = std::clamp(static_cast<int>(std::round((p.y - r.ymin) / cell)), 0, ny - 1);
    auto [at, fresh] = lowest.emplace(j * nx + i, p.z);
    if (!fresh) at->second = std::min(at->second, p.z);
  }
  ASSERT_FALSE(lowest.empty());
  double tolerance = data.groundZSpan / 65535.0 * 0.5 + 1e-3;
  for (const auto& [index, z] : lowest) EXPECT_NEAR(DecodeGroundCode(data, data.ground[index]), z, tolerance);
}

TEST_F(FetchProgram, AFootZoneFetchPrintsEveryLineWritesTheRectanglesPointsAndNeverReplacesAnEarlierFile) {
  addPennsylvania();
  const StatePlaneZone& zone = Zone(2272);
  Rect r = RectAt(zone, kLon, kLat, 2000, 1000);
  ExpectedFetch expected = ExpectFetch(archive_, kSurvey, zone, r);
  ASSERT_GT(expected.result.x.size(), 100u);
  PelvarRun first = run(Script(2272, r));
  ASSERT_EQ(first.exitCode, 0) << first.err;
  std::string name = "KMT_fetch_" + Number((r.xmin + r.xmax) / 2) + "_" + Number((r.ymin + r.ymax) / 2);
  std::string path = (downloads_ / (name + ".kmt")).string();
  KmqDataPtr data = LoadCloudFile(fs::path(path).wstring());
  ASSERT_TRUE(data);
  char wrote[512];
  std::snprintf(wrote, sizeof(wrote), "\nWrote %s (%.1f MB).", path.c_str(), fs::file_size(path) / 1048576.0);
  EXPECT_NE(first.out.find(Prelude(2272, r) + "Rectangle 2000 x 1000, 2.0M sq ft.\n"
                                              "1 candidate survey(s); trying newest first. Esc cancels.\n"
                                              "PA_Test_2020 (2020):" +
                           expected.progress + FetchedLine(expected.result) + wrote +
                           "\nAttached at full density. EPSG:2272, Civil 3D code PA83-SF.\n"),
            std::string::npos)
      << first.out;

  std::vector<ZonePoint> inside = PointsInside(SceneAt(kLon, kLat, 20000, 7), zone, r);
  ExpectSamePoints(*data, inside);
  ExpectGroundGrid(*data, inside, r, 10.0, 201, 101);
  EXPECT_EQ(data->epsg, 2272u);
  EXPECT_STREQ(data->tileName, "FE40.00_77.00");

  std::string before = pelvartest::ReadWholeFile(path);
  PelvarRun second = run(Script(2272, r) + "LIST ALL\n");
  EXPECT_NE(second.out.find("\nWrote " + (downloads_ / (name + "_2.kmt")).string()), std::string::npos)
      << second.out;
  EXPECT_EQ(pelvartest::ReadWholeFile(path), before);
  EXPECT_EQ(downloadedFiles(), (std::vector<std::string>{name + ".kmt", name + "_2.kmt"}));
}

TEST_F(FetchProgram, AMetreZoneFetchKeepsMetresAndUsesThreeMetreCells) {
  const double lon = -90.5, lat = 38.6;  // Missouri East, a metre zone
  addSurvey("MO_Test_2018", SceneAt(lon, lat, 20000, 11));
  setIndex(IndexLine("MO_Test_2018", 2018, lon, lat));
  const StatePlaneZone& zone = Zone(26996);
  Rect r = RectAt(zone, lon, lat, 1000, 500);
  PelvarRun result = run(Script(26996, r));
  EXPECT_NE(result.out.find("Rectangle 1000 x 500, 5.4M sq ft."), std::string::npos) << result.out;
  EXPECT_NE(result.out.find("\nAttached at full density. EPSG:26996, Civil 3D code MO83-E.\n"), std::string::npos)
      << result.out;
  std::string name = "KMT_fetch_" + Number((r.xmin + r.xmax) / 2) + "_" + Number((r.ymin + r.ymax) / 2) + ".kmt";
  KmqDataPtr data = LoadCloudFile((downloads_ / name).wstring());
  ASSERT_TRUE(data);
  std::vector<ZonePoint> inside = PointsInside(SceneAt(lon, lat, 20000, 11), zone, r);
  ExpectSamePoints(*data, inside);
  ExpectGroundGrid(*data, inside, r, 3.048, 329, 165);
}

TEST_F(FetchProgram, ANewerSurveyWithoutPointsInsideIsPassedForTheOlderOne) {
  const StatePlaneZone& zone = Zone(2272);
  Rect r = RectAt(zone, kLon, kLat, 2000, 1000);
  // The newer survey's octree spans the rectangle, but its points all lie east of it.
  double x = 0, y = 0;
  LonLatToWebMercator(kLon, kLat, x, y);
  std::vector<eptgen::ScenePoint> east = eptgen::MakeScene(5, x + 2500, y, 1500, 4000);
  eptgen::DatasetOptions options = eptgen::OptionsAround(east);
  options.originX = x - 6000, options.originY = y - 6000, options.edge = 16384;
  addSurvey("PA_East_2021", eptgen::PlanDataset(east, options));
  index_ = IndexLine("PA_East_2021", 2021, kLon, kLat);
  addPennsylvania(kSurvey, 2020);
  ExpectedFetch newer = ExpectFetch(archive_, "PA_East_2021", zone, r);
  ASSERT_TRUE(newer.result.error.empty());
  ASSERT_TRUE(newer.result.x.empty());
  ExpectedFetch older = ExpectFetch(archive_, kSurvey, zone, r);
  PelvarRun result = run(Script(2272, r));
  EXPECT_NE(result.out.find("2 candidate survey(s); trying newest first. Esc cancels.\nPA_East_2021 (2021):" +
                            newer.progress + "  not covered here, next candidate.\nPA_Test_2020 (2020):" +
                            older.progress + FetchedLine(older.result) + "\nWrote "),
            std::string::npos)
      << result.out;

  setIndex(IndexLine("PA_East_2021", 2021, kLon, kLat));
  PelvarRun alone = run(Script(2272, r));
  EXPECT_NE(alone.out.find("PA_East_2021 (2021):" + newer.progress +
                           "  not covered here, next candidate.\nNo candidate survey actually covers this "
                           "rectangle.\nCommand: "),
            std::string::npos)
      << alone.out;
  EXPECT_EQ(downloadedFiles().size(), 1u);
}

TEST_F(FetchProgram, ASurveyWithoutNodesOverTheRectangleEndsWithItsText) {
  double x = 0, y = 0;
  LonLatToWebMercator(kLon, kLat, x, y);
  addSurvey("PA_Far_2019", eptgen::PlanDataset(eptgen::MakeScene(3, x + 20000, y, 1000, 2000),
                                               eptgen::OptionsAround(eptgen::MakeScene(3, x + 20000, y, 1000, 2000))));
  setIndex(IndexLine("PA_Far_2019", 2019, kLon, kLat));
  Rect r = RectAt(Zone(2272), kLon, kLat, 2000, 1000);
  PelvarRun result = run(Script(2272, r));
  EXPECT_NE(result.out.find("PA_Far_2019 (2019):\r  hierarchy: 0 nodes, 0 stored pts     not covered here, next "
                            "candidate.\nFETCH FAILED: no EPT nodes over the rectangle\nCommand: "),
            std::string::npos)
      << result.out;
  EXPECT_TRUE(downloadedFiles().empty());
}

TEST_F(FetchProgram, AFailingCandidateEndsTheCommandAndOlderOnesAreNotTried) {
  addPennsylvania("PA_Newer_2022", 2022);
  addPennsylvania("PA_Older_2015", 2015);
  Rect r = RectAt(Zone(2272), kLon, kLat, 2000, 1000);
  server_->setFault(std::string(kArchivePath) + "PA_Newer_2022/ept-data/0-0-0-0.laz", {pelvartest::FaultKind::kNotFound});
  PelvarRun result = run(Script(2272, r));
  EXPECT_NE(result.out.find("\nFETCH FAILED: node fetch failed\nCommand: "), std::string::npos) << result.out;
  EXPECT_EQ(result.out.find("PA_Older_2015"), std::string::npos) << result.out;
  EXPECT_EQ(server_->requests(std::string(kArchivePath) + "PA_Older_2015/ept.json"), 0);
  EXPECT_TRUE(downloadedFiles().empty());
}

TEST_F(FetchProgram, EscDuringTheWalkCancelsAndWritesNothing) {
  addPennsylvania();
  Rect r = RectAt(Zone(2272), kLon, kLat, 2000, 1000);
  PelvarRun result = run(Script(2272, r) + "^BREAK\nLIST ALL\n");
  EXPECT_NE(result.out.find("PA_Test_2020 (2020):\nFETCH FAILED: cancelled\nCommand: LIST"), std::string::npos)
      << result.out;
  EXPECT_TRUE(downloadedFiles().empty());
}

TEST_F(FetchProgram, TheSurveyIndexFailuresAndAMissingCoverageEndTheCommand) {
  Rect r = RectAt(Zone(2272), kLon, kLat, 2000, 1000);
  std::string after = "Rectangle 2000 x 1000, 2.0M sq ft.\n";
  PelvarRun unreachable = run(Script(2272, r));
  EXPECT_NE(unreachable.out.find(after + "datasets.txt fetch failed (index.mardel.invalid unreachable?)\nCommand: "),
            std::string::npos)
      << unreachable.out;
  setIndex("# nothing here\nnot a survey line\n");
  PelvarRun empty = run(Script(2272, r));
  EXPECT_NE(empty.out.find(after + "datasets.txt parsed empty\nCommand: "), std::string::npos) << empty.out;
  setIndex(IndexLine("Elsewhere_2020", 2020, -100.0, 45.0));
  PelvarRun elsewhere = run(Script(2272, r));
  EXPECT_NE(elsewhere.out.find(after + "No 3DEP coverage at this location.\nCommand: "), std::string::npos)
      << elsewhere.out;
}

TEST_F(FetchProgram, RectanglesTheFileCannotHoldAreRefusedBeforeAnyDownload) {
  addPennsylvania();
  double x = 0, y = 0;
  ZonePointAt(Zone(2272), kLon, kLat, x, y);
  std::string script = Script(2272, {x, y, x + 20001, y + 20000}) + Script(2272, {x, y, x, y + 1000}) +
                       Script(2272, {x, y, x + 660000, y + 600});
  PelvarRun result = run(script);
  EXPECT_NE(result.out.find("Rectangle 20001 x 20000, 400.0M sq ft.\nOver 400M sq ft; split the pull.\nCommand: "),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("Rectangle 0 x 1000, 0.0M sq ft.\nThe rectangle has no width or no height; pick two "
                            "opposite corners.\nCommand: "),
            std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("Rectangle 660000 x 600, 396.0M sq ft.\nThe ground grid would be 66001 x 61 cells, over "
                            "4096 on a side; fetch a less elongated rectangle.\nCommand: "),
            std::string::npos)
      << result.out;
  EXPECT_EQ(server_->totalRequests(), 0);
}

TEST_F(FetchProgram, ARectangleOfExactlyTheAreaLimitIsFetched) {
  addPennsylvania();
  Rect r = RectAt(Zone(2272), kLon, kLat, 20000, 20000);
  PelvarRun result = run(Script(2272, r));
  EXPECT_NE(result.out.find("Rectangle 20000 x 20000, 400.0M sq ft.\n1 candidate survey(s)"), std::string::npos)
      << result.out;
  EXPECT_NE(result.out.find("\nAttached at full density."), std::string::npos) << result.out;
}

TEST_F(FetchProgram, AMissingDownloadsFolderIsCreatedAndAnUnwritableOneFailsBeforeAnyRequest) {
  addPennsylvania();
  Rect r = RectAt(Zone(2272), kLon, kLat, 2000, 1000);
  fs::remove_all(downloads_);
  downloads_ = downloads_ / "new account" / "Downloads";
  PelvarRun created = run(Script(2272, r));
  EXPECT_NE(created.out.find("\nAttached at full density."), std::string::npos) << created.out;
  EXPECT_EQ(downloadedFiles().size(), 1u);

  int requests = server_->totalRequests();
  fs::remove_all(downloads_);
  std::ofstream(downloads_) << "a file where the folder should be";
  PelvarRun refused = run(Script(2272, r) + "LIST ALL\n");
  EXPECT_NE(refused.out.find("sq ft.\nCannot write " + downloads_.string() + "\nCommand: LIST"), std::string::npos)
      << refused.out;
  EXPECT_NE(refused.out.find("0 entities in model space."), std::string::npos) << refused.out;
  EXPECT_EQ(server_->totalRequests(), requests);
}

TEST_F(FetchProgram, APointBudgetCutReportsTheTruncation) {
  addPennsylvania();
  // The root claims more stored points than the budget: the walk stops after it.
  fs::path rootPage = archive_ / kSurvey / "ept-hierarchy" / "0-0-0-0.json";
  std::string page = pelvartest::ReadWholeFile(rootPage);
  size_t at = page.find("\"0-0-0-0\": ");
  ASSERT_NE(at, std::string::npos);
  size_t end = page.find(',', at);
  page.replace(at, end - at, "\"0-0-0-0\": 70000000");
  std::ofstream(rootPage, std::ios::binary) << page;
  const StatePlaneZone& zone = Zone(2272);
  Rect r = RectAt(zone, kLon, kLat, 2000, 1000);
  ExpectedFetch expected = ExpectFetch(archive_, kSurvey, zone, r);
  ASSERT_TRUE(expected.result.truncated);
  ASSERT_EQ(expected.result.nodesFetched, 1u);
  PelvarRun result = run(Script(2272, r));
  EXPECT_NE(result.out.find("PA_Test_2020 (2020):\r  hierarchy: 1 nodes, 70000000 stored pts   " +
                            Format("\r  node %llu/%llu  %.1f MB  in-rect %llu    ", 1, 1,
                                   expected.result.bytesDownloaded / 1048576.0, expected.result.x.size()) +
                            FetchedLine(expected.result) + "\nWrote "),
            std::string::npos)
      << result.out;
  EXPECT_NE(FetchedLine(expected.result).find(", BUDGET-TRUNCATED, shrink the rect for full density."),
            std::string::npos);
}

}  // namespace
}  // namespace fetchtest
