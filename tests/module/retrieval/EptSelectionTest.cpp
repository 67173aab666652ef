// The hierarchy walk over hierarchies served from memory: what is selected, in which
// order, where the descent stops and which pages are requested.
#include <gtest/gtest.h>

#include <map>

#include "retrieval/EptHierarchy.h"

namespace {

const std::string kSurvey = "https://archive.test/usgs-lidar-public/S_2020/";
const EptBounds kCube{0, 0, 0, 1024, 1024, 1024};
const WebMercatorBox kEverything{-1, -1, 2000, 2000};

struct MemoryArchive {
  std::map<std::string, std::string> pages;  // hierarchy page name ("0-0-0-0") to text
  std::vector<std::string> requested;
  Fetcher fetcher() {
    return [this](const std::string& url, ByteBuffer& bytes) {
      requested.push_back(url);
      std::string prefix = kSurvey + "ept-hierarchy/";
      if (url.rfind(prefix, 0) != 0) return false;
      auto page = pages.find(url.substr(prefix.size(), url.size() - prefix.size() - 5));
      if (page == pages.end()) return false;
      bytes.assign(page->second.begin(), page->second.end());
      return true;
    };
  }
};

std::string Entry(const std::string& key, long long value) { return "\"" + key + "\": " + std::to_string(value) + ","; }

std::string ChainPage(int from, int to, long long count, long long lastCount) {
  std::string page = "{";
  for (int d = from; d <= to; ++d) page += Entry(std::to_string(d) + "-0-0-0", d == to ? lastCount : count);
  return page + "}";
}

std::vector<std::string> Keys(const EptSelection& selection) {
  std::vector<std::string> keys;
  for (const EptNodeKey& key : selection.keys) keys.push_back(key.text());
  return keys;
}

EptSelection Walk(MemoryArchive& archive, const WebMercatorBox& box, bool limits, const ProgressFn& progress = nullptr,
                  const PageSink& sink = nullptr) {
  return SelectEptNodes(archive.fetcher(), progress, kSurvey, kCube, box, limits, sink);
}

TEST(EptSelectionTest, NodeTouchingTheBoxAlongAnEdgeIsSelectedAndOrderIsLevelByLevel) {
  MemoryArchive archive;
  archive.pages["0-0-0-0"] = "{" + Entry("0-0-0-0", 5) + Entry("1-0-0-0", 3) + Entry("1-1-0-0", 4) +
                             Entry("1-0-0-1", 2) + Entry("2-1-0-0", 6) + Entry("2-2-0-0", 1) + "}";
  EptSelection touching = Walk(archive, {512, 0, 600, 100}, true);
  EXPECT_EQ(Keys(touching), (std::vector<std::string>{"0-0-0-0", "1-0-0-0", "1-0-0-1", "1-1-0-0", "2-1-0-0", "2-2-0-0"}));
  EXPECT_EQ(touching.storedPoints, 21u);
  EXPECT_FALSE(touching.truncated);
  EXPECT_EQ(touching.error, L"");
  EptSelection apart = Walk(archive, {512.001, 0, 600, 100}, true);
  EXPECT_EQ(Keys(apart), (std::vector<std::string>{"0-0-0-0", "1-1-0-0", "2-2-0-0"}));
}

TEST(EptSelectionTest, ZeroRemovesTheSubtreeAndAbsurdCountsCountAsEmpty) {
  MemoryArchive archive;
  archive.pages["0-0-0-0"] = "{" + Entry("0-0-0-0", 5) + Entry("1-0-0-0", 0) + Entry("2-0-0-0", 9) +
                             Entry("1-1-1-1", 1099511627777) + Entry("1-1-0-0", 1099511627776) + "}";
  EptSelection selection = Walk(archive, kEverything, true);
  EXPECT_EQ(Keys(selection), (std::vector<std::string>{"0-0-0-0", "1-1-0-0"}));
  EXPECT_EQ(selection.storedPoints, 5u + 1099511627776u);
}

TEST(EptSelectionTest, SubPagesAreReadAndHandedToThePageSink) {
  MemoryArchive archive;
  archive.pages["0-0-0-0"] = "{" + Entry("0-0-0-0", 5) + Entry("1-0-0-0", -1) + "}";
  archive.pages["1-0-0-0"] = "{" + Entry("1-0-0-0", 7) + Entry("2-0-0-0", 8) + "}";
  std::vector<std::string> sunk;
  EptSelection selection = Walk(archive, kEverything, false, nullptr,
                                [&sunk](const std::string& path, const ByteBuffer&) { sunk.push_back(path); });
  EXPECT_EQ(Keys(selection), (std::vector<std::string>{"0-0-0-0", "1-0-0-0", "2-0-0-0"}));
  EXPECT_EQ(sunk, (std::vector<std::string>{"ept-hierarchy/0-0-0-0.json", "ept-hierarchy/1-0-0-0.json"}));
}

TEST(EptSelectionTest, FailuresOfTheWalkHaveTheirTexts) {
  MemoryArchive archive;
  EXPECT_EQ(Walk(archive, kEverything, true).error, L"hierarchy fetch failed");
  archive.pages["0-0-0-0"] = "{" + Entry("0-0-0-0", 5) + Entry("1-0-0-0", -1) + "}";
  EXPECT_EQ(Walk(archive, kEverything, true).error, L"hierarchy page fetch failed");
  EXPECT_EQ(Walk(archive, {5000, 5000, 6000, 6000}, true).error, L"no EPT nodes over the rectangle");
  archive.pages["0-0-0-0"] = "{" + Entry("0-0-0-0", 0) + "}";
  EXPECT_EQ(Walk(archive, kEverything, true).error, L"no EPT nodes over the rectangle");
  archive.pages["0-0-0-0"] = "{" + Entry("0-0-0-0", 5) + "}";
  std::vector<std::uint64_t> reported;
  EptSelection cancelled = Walk(archive, kEverything, true, [&](std::int32_t phase, std::uint64_t a, std::uint64_t b,
                                                                std::uint64_t, std::uint64_t) {
    reported.insert(reported.end(), {static_cast<std::uint64_t>(phase), a, b});
    return false;
  });
  EXPECT_EQ(cancelled.error, L"cancelled");
  EXPECT_EQ(reported, (std::vector<std::uint64_t>{0, 1, 5}));
}

TEST(EptSelectionTest, BudgetStopsTheDescentBetweenLevels) {
  MemoryArchive archive;
  archive.pages["0-0-0-0"] = "{" + Entry("0-0-0-0", 10000000) + Entry("1-0-0-0", 7000000) + Entry("1-1-1-1", 8000000) +
                             Entry("2-0-0-0", 45000000) + Entry("3-0-0-0", 1) + "}";
  std::vector<std::uint64_t> totals;
  EptSelection selection = Walk(archive, kEverything, true, [&](std::int32_t, std::uint64_t, std::uint64_t b,
                                                                std::uint64_t, std::uint64_t) {
    totals.push_back(b);
    return true;
  });
  EXPECT_EQ(totals, (std::vector<std::uint64_t>{10000000, 25000000, 70000000}));
  EXPECT_EQ(Keys(selection), (std::vector<std::string>{"0-0-0-0", "1-0-0-0", "1-1-1-1", "2-0-0-0"}));
  EXPECT_TRUE(selection.truncated);
  EXPECT_EQ(selection.error, L"");
}

TEST(EptSelectionTest, DepthSixteenIsReadAndSeventeenNeverRequestedWithLimits) {
  MemoryArchive archive;
  archive.pages["0-0-0-0"] = ChainPage(0, 16, 1, 61000000);
  archive.pages["0-0-0-0"].insert(archive.pages["0-0-0-0"].size() - 1, Entry("17-0-0-0", -1));
  archive.pages["17-0-0-0"] = "{" + Entry("17-0-0-0", 3) + Entry("18-0-0-0", 4) + "}";
  EptSelection limited = Walk(archive, kEverything, true);
  ASSERT_EQ(limited.keys.size(), 17u);
  EXPECT_EQ(limited.keys.back().text(), "16-0-0-0");
  // The budget was passed on the last level, after which nothing was queued.
  EXPECT_FALSE(limited.truncated);
  EXPECT_EQ(std::count(archive.requested.begin(), archive.requested.end(), kSurvey + "ept-hierarchy/17-0-0-0.json"), 0);

  // Without limits the walk follows the hierarchy to its end.
  EptSelection full = Walk(archive, kEverything, false);
  ASSERT_EQ(full.keys.size(), 19u);
  EXPECT_EQ(full.keys.back().text(), "18-0-0-0");
}

TEST(EptSelectionTest, WalkWithoutLimitsStopsWhereNodePositionsWouldOverflow) {
  MemoryArchive archive;
  std::string page = "{";
  for (int d = 0; d <= 40; ++d) {
    long long cells = d < 31 ? (1LL << d) - 1 : 0;
    page += Entry(std::to_string(d) + "-" + std::to_string(cells) + "-0-0", 1);
  }
  archive.pages["0-0-0-0"] = page + "}";
  EptSelection selection = Walk(archive, {1023.5, 0, 1024, 1}, false);
  ASSERT_EQ(selection.keys.size(), static_cast<size_t>(kMaxKeyDepth + 1));
  EXPECT_EQ(selection.keys.back().text(), "30-1073741823-0-0");
}

}  // namespace
