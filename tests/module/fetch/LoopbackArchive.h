// A generated survey served by an in-process loopback server, with the host's network
// settings (in a fresh configuration folder) routing the archive's name to it: for tests
// and benchmarks that call the retrieval functions directly.
#pragma once
#include <filesystem>
#include <fstream>
#include <string>

#include "geo/Projections.h"
#include "retrieval/ArchiveEndpoints.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/loopback/LoopbackServer.h"
#include "tools/eptgen/EptDataset.h"

namespace fetchtest {

class LoopbackArchive {
 public:
  // A scene of `points` points 2000 m across centred on the place; nodes of `capacity`,
  // hierarchy pages every `pageStep` levels.
  LoopbackArchive(const std::string& survey, double lon, double lat, size_t points, int capacity, int pageStep = 2)
      : survey_(survey) {
    double x = 0, y = 0;
    LonLatToWebMercator(lon, lat, x, y);
    std::vector<eptgen::ScenePoint> scene = eptgen::MakeScene(17, x, y, 2000.0, points);
    eptgen::DatasetOptions options = eptgen::OptionsAround(scene);
    options.capacity = capacity;
    options.pageStep = pageStep;
    std::string error;
    eptgen::WriteDataset(eptgen::PlanDataset(scene, options), (folder_.path() / "archive" / survey).string(), error);
    server_.serveFolder(kArchivePath, (folder_.path() / "archive").string());
    std::filesystem::create_directories(folder_.path() / "config" / "pelvar");
    std::ofstream(folder_.path() / "config" / "pelvar" / "ca.pem") << pelvartest::SharedTestCertificates().authority;
    std::ofstream(folder_.path() / "config" / "pelvar" / "winhttp.conf")
        << "host " << kArchiveHost << " 127.0.0.1:" << server_.port() << "\nca ca.pem\n";
  }
  pelvartest::LoopbackServer& server() { return server_; }
  std::string surveyUrl() const { return std::string(kArchiveRoot) + survey_ + "/"; }
  std::string tilePath(const std::string& key) const {
    return std::string(kArchivePath) + survey_ + "/ept-data/" + key + ".laz";
  }

 private:
  std::string survey_;
  pelvartest::TempFolder folder_{"archive"};
  pelvartest::ScopedEnv config_{"XDG_CONFIG_HOME", (folder_.path() / "config").string()};
  pelvartest::LoopbackServer server_;
};

}  // namespace fetchtest
