// A generated 3DEP archive served over loopback HTTPS, and pelvar runs against it: each
// test gets a home folder with the host's network settings routing the archive's and the
// survey index server's names to its own server, and a Downloads folder.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "geo/Projections.h"
#include "geo/StatePlaneZone.h"
#include "retrieval/ArchiveEndpoints.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/loopback/LoopbackServer.h"
#include "tests/support/pelvar_run.h"
#include "tools/eptgen/EptDataset.h"

namespace fetchtest {

namespace fs = std::filesystem;
using pelvartest::PelvarRun;

// A scene of known points centred on a place, planned as a dataset.
inline eptgen::PlannedDataset SceneAt(double lon, double lat, size_t points, std::uint32_t seed, double size = 2000.0) {
  double x = 0, y = 0;
  LonLatToWebMercator(lon, lat, x, y);
  std::vector<eptgen::ScenePoint> scene = eptgen::MakeScene(seed, x, y, size, points);
  return eptgen::PlanDataset(scene, eptgen::OptionsAround(scene));
}

// The zone coordinates of a place, rounded to whole units (script points are typed).
inline void ZonePointAt(const StatePlaneZone& zone, double lon, double lat, double& x, double& y) {
  LonLatToZone(zone, lon, lat, x, y);
  x = std::round(x), y = std::round(y);
}

inline std::string Number(double value) {
  char text[64];
  std::snprintf(text, sizeof(text), "%.0f", value);
  return text;
}

struct Rect {
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
  std::string corners() const {  // the two script lines of the corner prompts
    return Number(xmin) + "," + Number(ymin) + "\n" + Number(xmax) + "," + Number(ymax) + "\n";
  }
};

// Every planned point that lies inside the rectangle (half-open), in zone coordinates.
struct ZonePoint {
  double x, y, z;
  std::uint8_t cls;
  std::uint16_t intensity;
};
inline std::vector<ZonePoint> PointsInside(const eptgen::PlannedDataset& dataset, const StatePlaneZone& zone,
                                           const Rect& r) {
  std::vector<ZonePoint> inside;
  for (const eptgen::ScenePoint& p : dataset.points) {
    double lon = 0, lat = 0, e = 0, n = 0;
    WebMercatorToLonLat(p.x, p.y, lon, lat);
    if (!LonLatToZone(zone, lon, lat, e, n)) continue;
    if (r.xmin <= e && e < r.xmax && r.ymin <= n && n < r.ymax)
      inside.push_back({e, n, p.z / zone.unitMetres, p.cls, p.intensity});
  }
  return inside;
}

class ArchiveFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(archive_);
    fs::create_directories(downloads_);
    server_ = std::make_unique<pelvartest::LoopbackServer>();
    server_->serveFolder(kArchivePath, archive_.string());
    writeNetworkConfig(server_->port());
  }
  void TearDown() override { server_->stop(); }

  void writeNetworkConfig(int port) {
    fs::path folder = home_.path() / "config" / "pelvar";
    fs::create_directories(folder);
    std::ofstream(folder / "ca.pem") << pelvartest::SharedTestCertificates().authority;
    std::ofstream conf(folder / "winhttp.conf");
    conf << "host " << kArchiveHost << " 127.0.0.1:" << port << "\n"
         << "host " << kSurveyIndexHost << " 127.0.0.1:" << port << "\n"
         << "ca ca.pem\n";
  }

  void addSurvey(const std::string& name, const eptgen::PlannedDataset& dataset) {
    std::string error;
    ASSERT_TRUE(eptgen::WriteDataset(dataset, (archive_ / name).string(), error)) << error;
  }

  // One index line per survey: name, year, count and an extent in degrees.
  void setIndex(const std::string& text) { server_->setBody(kSurveyIndexPath, text); }

  // Sets the registry value of the mirror folder before pelvar starts.
  void setMirrorRoot(const fs::path& root) {
    fs::path folder = home_.path() / "config" / "pelvar";
    fs::create_directories(folder);
    std::ofstream(folder / "registry.reg")
        << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Pelvar]\r\n\"LocalEptRoot\"=\""
        << root.string() << "\"\r\n";
  }

  PelvarRun run(const std::string& script) {
    pelvartest::ScopedEnv downloads("XDG_DOWNLOAD_DIR", downloads_.string());
    PelvarRun result = pelvartest::RunPelvar(home_.path(), script);
    EXPECT_EQ(result.out.find("Host error"), std::string::npos) << result.out;
    EXPECT_EQ(result.err.find("Sanitizer"), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("runtime error"), std::string::npos) << result.err;
    return result;
  }

  // The files of the Downloads folder, by name.
  std::vector<std::string> downloadedFiles() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(downloads_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  pelvartest::TempFolder home_{"fetch"};
  fs::path archive_ = home_.path() / "archive";
  fs::path downloads_ = home_.path() / "Downloads";
  std::unique_ptr<pelvartest::LoopbackServer> server_;
};

// What pelvar prints between the command and the first corner when the drawing has no
// zone and the code is typed.
inline std::string TypedZone(int epsg) {
  return "No zone in the drawing.\nState-plane EPSG code (e.g. 2240): " + std::to_string(epsg) + "\n";
}

// The transcript from `from` on (the banner and earlier commands cut off).
inline std::string From(const std::string& out, const std::string& from) {
  size_t at = out.find(from);
  return at == std::string::npos ? out : out.substr(at);
}

}  // namespace fetchtest
