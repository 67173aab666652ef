// Tiles read on a pool of kept-alive connections give exactly what reading them one after
// another gives: the same points in the same order, the same progress reports, the same
// failure, and a byte-identical cloud file.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "retrieval/CommandSteps.h"
#include "retrieval/FetchedCloud.h"
#include "tests/module/fetch/LoopbackArchive.h"

namespace fetchtest {
namespace {

using Report = std::tuple<std::int32_t, std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t>;

struct FetchRun {
  EptFetchResult result;
  std::vector<Report> reports;
};

// Cancels at the tile numbered `cancelAt` (0: never).
FetchRun Fetch(const LoopbackArchive& archive, const StatePlaneZone& zone, const ZoneRectangle& r, bool parallel,
          std::uint64_t cancelAt = 0) {
  FetchRun run;
  ProgressFn progress = [&run, cancelAt](std::int32_t phase, std::uint64_t a, std::uint64_t b, std::uint64_t c,
                                         std::uint64_t d) {
    if (phase != kProgressWaiting) run.reports.emplace_back(phase, a, b, c, d);
    return !(phase == kProgressTile && a == cancelAt);
  };
  Fetcher plain = [](const std::string& url, ByteBuffer& bytes) { return HttpsGet(url, bytes); };
  run.result = parallel ? FetchEptRectangle(KeepAliveFetcher(), progress, archive.surveyUrl(), zone, r.xmin, r.ymin,
                                            r.xmax, r.ymax, KeepAliveTilePool())
                        : FetchEptRectangle(plain, progress, archive.surveyUrl(), zone, r.xmin, r.ymin, r.xmax,
                                            r.ymax);
  return run;
}

void ExpectSame(const FetchRun& a, const FetchRun& b) {
  EXPECT_EQ(a.result.error, b.result.error);
  EXPECT_EQ(a.result.nodesFetched, b.result.nodesFetched);
  EXPECT_EQ(a.result.bytesDownloaded, b.result.bytesDownloaded);
  EXPECT_EQ(a.result.x, b.result.x);
  EXPECT_EQ(a.result.y, b.result.y);
  EXPECT_EQ(a.result.z, b.result.z);
  EXPECT_EQ(a.result.classes, b.result.classes);
  EXPECT_EQ(a.result.intensities, b.result.intensities);
  EXPECT_EQ(a.reports, b.reports);
}

class ParallelFetch : public ::testing::Test {
 protected:
  ParallelFetch() {
    double x = 0, y = 0;
    LonLatToZone(zone_, -77.0, 40.0, x, y);
    rect_ = {x - 2000, y - 1500, x + 2000, y + 1500};
  }
  const StatePlaneZone& zone_ = *FindZoneByEpsg(2272);
  ZoneRectangle rect_;
  LoopbackArchive archive_{"PA_Parallel_2020", -77.0, 40.0, 12000, 150};
};

TEST_F(ParallelFetch, TheFileIsByteIdenticalToTheSequentialOnesAndConnectionsAreReused) {
  archive_.server().setLatency(std::chrono::milliseconds(5));
  FetchRun sequential = Fetch(archive_, zone_, rect_, false);
  ASSERT_TRUE(sequential.result.error.empty());
  ASSERT_GT(sequential.result.nodesFetched, 3u * kTileConnections);
  int connectionsBefore = archive_.server().connections();
  int requestsBefore = archive_.server().totalRequests();
  FetchRun parallel = Fetch(archive_, zone_, rect_, true);
  ExpectSame(sequential, parallel);
  EXPECT_EQ(archive_.server().totalRequests() - requestsBefore, requestsBefore);
  EXPECT_LE(archive_.server().connections() - connectionsBefore, kTileConnections + 1);
  std::vector<std::uint8_t> one = BuildFetchedCloudImage(sequential.result, zone_, rect_, -77.0, 40.0);
  std::vector<std::uint8_t> other = BuildFetchedCloudImage(parallel.result, zone_, rect_, -77.0, 40.0);
  EXPECT_EQ(one, other);
}

TEST_F(ParallelFetch, CancellationAndAFailingTileEndBothTheSameWay) {
  FetchRun sequential = Fetch(archive_, zone_, rect_, false, 7);
  FetchRun parallel = Fetch(archive_, zone_, rect_, true, 7);
  EXPECT_EQ(sequential.result.error, L"cancelled");
  EXPECT_EQ(sequential.result.nodesFetched, 7u);
  ExpectSame(sequential, parallel);

  archive_.server().setFault(archive_.tilePath("2-1-1-0"), {pelvartest::FaultKind::kNotFound});
  FetchRun failing = Fetch(archive_, zone_, rect_, false);
  FetchRun failingParallel = Fetch(archive_, zone_, rect_, true);
  EXPECT_EQ(failing.result.error, L"node fetch failed");
  ExpectSame(failing, failingParallel);
}

// A tile that does not come keeps the walk waiting, not deaf: a cancel while it waits ends
// the fetch (once the requests already under way are over).
TEST_F(ParallelFetch, ACancelWhileATileIsAwaitedEndsTheFetch) {
  archive_.server().setFault(archive_.tilePath("1-0-0-0"), {pelvartest::FaultKind::kStallBeforeAnswer});
  bool waited = false;
  ProgressFn progress = [&waited](std::int32_t phase, std::uint64_t, std::uint64_t, std::uint64_t, std::uint64_t) {
    waited = waited || phase == kProgressWaiting;
    return phase != kProgressWaiting;
  };
  EptFetchResult result = FetchEptRectangle(KeepAliveFetcher(), progress, archive_.surveyUrl(), zone_, rect_.xmin,
                                            rect_.ymin, rect_.xmax, rect_.ymax, KeepAliveTilePool());
  EXPECT_EQ(result.error, L"cancelled");
  EXPECT_TRUE(waited);
}

}  // namespace
}  // namespace fetchtest
