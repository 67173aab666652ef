// Hierarchy pages read side by side on a pool: the same nodes, in the same order, with the
// same pages handed on, as the walk that reads them one after another.
#include <gtest/gtest.h>

#include <map>
#include <mutex>

#include "retrieval/EptHierarchy.h"
#include "tools/eptgen/EptDataset.h"

namespace {

const std::string kSurvey = "https://archive.test/usgs-lidar-public/S/";

// Pages by path below the survey folder, served to any number of threads.
struct PageArchive {
  std::map<std::string, std::string> pages;
  Fetcher fetcher() {
    return [this](const std::string& url, ByteBuffer& bytes) {
      auto page = pages.find(url.substr(kSurvey.size()));
      if (page == pages.end()) return false;
      bytes.assign(page->second.begin(), page->second.end());
      return true;
    };
  }
};

struct Walked {
  EptSelection selection;
  std::vector<std::string> pagesHanded;
};

Walked Walk(PageArchive& archive, const EptBounds& bounds, const WebMercatorBox& box, bool limits, int connections) {
  Walked walked;
  PageSink sink = [&walked](const std::string& path, const ByteBuffer&) { walked.pagesHanded.push_back(path); };
  TilePool pool{connections, [&archive] { return archive.fetcher(); }};
  walked.selection = SelectEptNodes(archive.fetcher(), nullptr, kSurvey, bounds, box, limits, sink, pool);
  return walked;
}

void ExpectSameWalk(const Walked& pooled, const Walked& plain, const std::string& what) {
  EXPECT_EQ(pooled.selection.keys, plain.selection.keys) << what;
  EXPECT_EQ(pooled.selection.storedPoints, plain.selection.storedPoints) << what;
  EXPECT_EQ(pooled.selection.truncated, plain.selection.truncated) << what;
  EXPECT_EQ(pooled.selection.error, plain.selection.error) << what;
  EXPECT_EQ(pooled.pagesHanded, plain.pagesHanded) << what;
}

std::string Entry(const std::string& key, long long value) { return "\"" + key + "\": " + std::to_string(value) + ","; }

TEST(ParallelPagesTest, GeneratedArchivesWithSubPagesSelectAsTheSequentialWalk) {
  for (int pageStep : {1, 2}) {
    eptgen::DatasetOptions options;
    std::vector<eptgen::ScenePoint> scene = eptgen::MakeScene(9, 0, 0, 3000, 40000);
    options = eptgen::OptionsAround(scene);
    options.capacity = 200;
    options.pageStep = pageStep;
    eptgen::PlannedDataset dataset = eptgen::PlanDataset(scene, options);
    PageArchive archive;
    for (auto& [path, text] : eptgen::HierarchyPages(dataset)) archive.pages[path] = text;
    ASSERT_GT(archive.pages.size(), 8u) << pageStep;
    EptBounds bounds{options.originX, options.originY, options.minZ, options.originX + options.edge,
                     options.originY + options.edge, options.minZ + options.edge};
    double cx = options.originX + options.edge / 2, cy = options.originY + options.edge / 2;
    for (const WebMercatorBox& box : {WebMercatorBox{cx - 1e6, cy - 1e6, cx + 1e6, cy + 1e6},
                                      WebMercatorBox{cx - 700, cy - 300, cx + 100, cy + 900}}) {
      Walked plain = Walk(archive, bounds, box, true, 1);
      ASSERT_EQ(plain.selection.error, L"");
      ExpectSameWalk(Walk(archive, bounds, box, true, 6), plain, "page step " + std::to_string(pageStep));
      ExpectSameWalk(Walk(archive, bounds, box, false, 3), Walk(archive, bounds, box, false, 1), "no limits");
    }
  }
}

// Pages that speak for other nodes of their level: a later page's entry wins, and a page
// the walk no longer needs is neither handed on nor a failure when it is missing.
TEST(ParallelPagesTest, PagesThatOverrideTheirLevelAreTakenInWalkOrder) {
  const EptBounds cube{0, 0, 0, 1024, 1024, 1024};
  const WebMercatorBox everything{-1, -1, 2000, 2000};
  PageArchive archive;
  archive.pages["ept-hierarchy/0-0-0-0.json"] = "{" + Entry("0-0-0-0", 5) + Entry("1-0-0-0", -1) +
                                                Entry("1-0-0-1", -1) + Entry("1-1-0-0", -1) + Entry("1-1-1-1", 4) + "}";
  // 1-0-0-0's page settles 1-0-0-1 (whose own page is missing) and gives 1-1-1-1 a page.
  archive.pages["ept-hierarchy/1-0-0-0.json"] = "{" + Entry("1-0-0-0", 3) + Entry("1-0-0-1", 8) +
                                                Entry("1-1-1-1", -1) + Entry("1-1-0-0", 0) + "}";
  archive.pages["ept-hierarchy/1-1-0-0.json"] = "{" + Entry("1-1-0-0", 6) + "}";
  archive.pages["ept-hierarchy/1-1-1-1.json"] = "{" + Entry("1-1-1-1", 2) + Entry("2-3-3-3", 1) + "}";
  Walked plain = Walk(archive, cube, everything, true, 1);
  ASSERT_EQ(plain.selection.error, L"");
  EXPECT_EQ(plain.pagesHanded, (std::vector<std::string>{"ept-hierarchy/0-0-0-0.json", "ept-hierarchy/1-0-0-0.json",
                                                         "ept-hierarchy/1-1-1-1.json"}));
  ExpectSameWalk(Walk(archive, cube, everything, true, 4), plain, "overriding pages");

  archive.pages.erase("ept-hierarchy/1-0-0-0.json");
  Walked failed = Walk(archive, cube, everything, true, 1);
  EXPECT_EQ(failed.selection.error, L"hierarchy page fetch failed");
  ExpectSameWalk(Walk(archive, cube, everything, true, 4), failed, "missing page");
}

}  // namespace
