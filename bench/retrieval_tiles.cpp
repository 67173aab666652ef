// Fetching 200 and more tiles from a loopback archive that answers every request after
// 50 ms, as a distant server does: one tile after another on a fresh connection each, as
// the plain client reads them, against the pool of kept-alive connections the commands use.
#include <benchmark/benchmark.h>

#include <memory>

#include "retrieval/CommandSteps.h"
#include "tests/module/fetch/LoopbackArchive.h"

namespace {

constexpr double kLon = -77.0, kLat = 40.0;
constexpr int kLatencyMs = 50;

struct Setting {
  // A few hundred tiles over the rectangle, the hierarchy in one page.
  fetchtest::LoopbackArchive archive{"PA_Bench_2020", kLon, kLat, 15000, 120, 64};
  const StatePlaneZone& zone = *FindZoneByEpsg(2272);
  ZoneRectangle rect;
  Setting() {
    double x = 0, y = 0;
    LonLatToZone(zone, kLon, kLat, x, y);
    rect = {x - 3000, y - 3000, x + 3000, y + 3000};
    archive.server().setLatency(std::chrono::milliseconds(kLatencyMs));
  }
};

Setting& Shared() {
  static Setting setting;
  return setting;
}

void Report(benchmark::State& state, const EptFetchResult& result) {
  if (!result.error.empty()) state.SkipWithError("fetch failed");
  state.counters["tiles"] = result.nodesFetched;
  state.counters["points"] = static_cast<double>(result.x.size());
}

void BM_TilesOneAfterAnother(benchmark::State& state) {
  Setting& s = Shared();
  Fetcher plain = [](const std::string& url, ByteBuffer& bytes) { return HttpsGet(url, bytes); };
  for (auto _ : state) {
    EptFetchResult result = FetchEptRectangle(plain, nullptr, s.archive.surveyUrl(), s.zone, s.rect.xmin, s.rect.ymin,
                                              s.rect.xmax, s.rect.ymax);
    Report(state, result);
  }
}

void BM_TilesOnKeptAliveConnections(benchmark::State& state) {
  Setting& s = Shared();
  for (auto _ : state) {
    EptFetchResult result = FetchEptRectangle(KeepAliveFetcher(), nullptr, s.archive.surveyUrl(), s.zone, s.rect.xmin,
                                              s.rect.ymin, s.rect.xmax, s.rect.ymax, KeepAliveTilePool());
    Report(state, result);
  }
}

BENCHMARK(BM_TilesOneAfterAnother)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(2);
BENCHMARK(BM_TilesOnKeptAliveConnections)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

}  // namespace
