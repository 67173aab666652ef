// A zone named by a later NAD83 realisation's code, end to end: pelvar fetches under the typed
// NAD83(2011) code, the cloud it writes carries that code, and the mirror and a second fetch
// of the same run take the zone from that cloud; a pick reads the cloud's points.
#include <gtest/gtest.h>

#include "cloudfile/CloudReader.h"
#include "tests/module/fetch/ArchiveFixture.h"
#include "tests/module/fetch/FetchTranscript.h"

namespace fetchtest {
namespace {

constexpr double kLon = -77.0, kLat = 40.0;
constexpr char kSurvey[] = "PA_Test_2020";
constexpr std::uint32_t kRealisationCode = 6565;  // NAD83(2011) / Pennsylvania South (ftUS)
constexpr char kFromCloud[] =
    "\nZone from the attached cloud: NAD83(2011) / Pennsylvania South (ftUS) (EPSG:6565).\n";

class RealisationZoneProgram : public ArchiveFixture {
 protected:
  void SetUp() override {
    ArchiveFixture::SetUp();
    addSurvey(kSurvey, SceneAt(kLon, kLat, 20000, 7));
    setIndex(kSurvey + std::string(" 2020 1000 -77.05 39.95 -76.95 40.05\n"));
    double x = 0, y = 0;
    ZonePointAt(zone_, kLon, kLat, x, y);
    rect_ = {x - 1000, y - 500, x + 1000, y + 500};
  }
  std::string centre() const {
    return Number((rect_.xmin + rect_.xmax) / 2) + "," + Number((rect_.ymin + rect_.ymax) / 2) + "\n";
  }

  const StatePlaneZone& zone_ = *FindZoneByEpsg(kRealisationCode);
  Rect rect_;
  fs::path root_ = home_.path() / "mirror";
};

TEST_F(RealisationZoneProgram, FetchMirrorAndPickWorkUnderTheCloudsNad83_2011Code) {
  ExpectedFetch expected = ExpectFetch(archive_, kSurvey, zone_, rect_);
  ASSERT_GT(expected.result.x.size(), 100u);
  const std::string script = "PELVARFETCH\n" + std::to_string(kRealisationCode) + "\n" + rect_.corners() +
                             "PELVARMIRROR\n" + root_.string() + "\n" + rect_.corners() + "PELVARFETCH\n" +
                             rect_.corners() + "PELVARPICK\n" + centre();
  PelvarRun run1 = run(script);
  ASSERT_EQ(run1.exitCode, 0) << run1.err;

  EXPECT_NE(run1.out.find("Command: PELVARFETCH\n" + TypedZone(kRealisationCode)), std::string::npos) << run1.out;
  EXPECT_NE(run1.out.find(FetchedLine(expected.result)), std::string::npos) << run1.out;
  EXPECT_NE(run1.out.find("\nAttached at full density. EPSG:6565, Civil 3D code PA83-SF.\n"), std::string::npos)
      << run1.out;
  const std::string mirror = From(run1.out, "Command: PELVARMIRROR");
  EXPECT_EQ(mirror.find("Command: PELVARMIRROR\nLocal mirror folder (e.g. D:\\3dep): " + root_.string() +
                        "\nMirror root saved: " + root_.string() + kFromCloud),
            0u)
      << mirror;
  EXPECT_NE(mirror.find("\nPELVARFETCH inside this area now reads " + root_.string()), std::string::npos) << mirror;
  const std::string second = From(mirror, "Command: PELVARFETCH");
  EXPECT_EQ(second.find(std::string("Command: PELVARFETCH") + kFromCloud), 0u) << second;
  EXPECT_NE(From(second, "Command: PELVARPICK").find("\n  Point   E "), std::string::npos) << run1.out;

  std::vector<std::string> files = downloadedFiles();
  ASSERT_EQ(files.size(), 2u);
  for (const std::string& name : files) {
    KmqDataPtr data = LoadCloudFile((downloads_ / name).wstring());
    ASSERT_TRUE(data) << name;
    EXPECT_EQ(data->epsg, kRealisationCode) << name;
    EXPECT_EQ(data->pointCount, expected.result.x.size()) << name;
  }
}

}  // namespace
}  // namespace fetchtest
