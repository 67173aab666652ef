// The whole traversal over loopback HTTPS: a generated survey of 400,000 points served by
// the test server, fetched over a rectangle holding most of it (hierarchy walk, tile
// downloads, decoding, projection into the zone and the rectangle filter).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>

#include "geo/Projections.h"
#include "retrieval/ArchiveEndpoints.h"
#include "retrieval/EptFetch.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/loopback/LoopbackServer.h"
#include "tools/eptgen/EptDataset.h"

namespace {

const std::string kSurvey = "Bench_2021";

void FetchOverLoopback(benchmark::State& state) {
  pelvartest::TempFolder folder{"bench-ept"};
  pelvartest::ScopedEnv configHome{"XDG_CONFIG_HOME", folder.path().string()};
  eptgen::PlannedDataset dataset = eptgen::SceneDataset(11, -77.0, 40.0, 2000.0, 400000, 20000);
  std::string error;
  if (!eptgen::WriteDataset(dataset, (folder.path() / kSurvey).string(), error)) {
    state.SkipWithError(error.c_str());
    return;
  }
  pelvartest::LoopbackServer server;
  server.serveFolder(std::string(kArchivePath) + kSurvey + "/", (folder.path() / kSurvey).string());
  std::filesystem::create_directories(folder.path() / "pelvar");
  std::ofstream(folder.path() / "pelvar" / "ca.pem") << pelvartest::SharedTestCertificates().authority;
  std::ofstream(folder.path() / "pelvar" / "winhttp.conf")
      << "host " << kArchiveHost << " 127.0.0.1:" << server.port() << "\nca ca.pem\n";

  const StatePlaneZone& zone = *FindZoneByEpsg(2272);
  double e = 0, n = 0;
  LonLatToZone(zone, -77.0, 40.0, e, n);
  const double half = 2800;  // feet: most of the 2 km scene
  size_t kept = 0;
  std::uint32_t tiles = 0;
  for (auto _ : state) {
    EptFetchResult result = FetchEptRectangle(FetchBytes, nullptr, std::string(kArchiveRoot) + kSurvey + "/", zone,
                                              e - half, n - half, e + half, n + half);
    if (!result.error.empty()) state.SkipWithError("fetch failed");
    kept = result.x.size();
    tiles = result.nodesFetched;
  }
  state.counters["points"] = static_cast<double>(kept);
  state.counters["tiles"] = tiles;
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations() * kept));
  server.stop();
}

}  // namespace

BENCHMARK(FetchOverLoopback)->Unit(benchmark::kMillisecond)->Iterations(3);
