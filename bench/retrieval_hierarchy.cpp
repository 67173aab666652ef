// The hierarchy walk over 150 pages, each answered after 50 ms (a distant server): pages of
// one level read side by side on the commands' pool of connections, against one at a time.
#include <benchmark/benchmark.h>

#include <chrono>
#include <map>
#include <thread>

#include "retrieval/CommandSteps.h"
#include "retrieval/EptHierarchy.h"

namespace {

constexpr size_t kPages = 150;
constexpr auto kLatency = std::chrono::milliseconds(50);
constexpr std::int64_t kNodePoints = 100;
const std::string kSurvey = "https://archive.test/usgs-lidar-public/S/";
const EptBounds kCube{0, 0, 0, 1024, 1024, 1024};

std::vector<EptNodeKey> Children(const EptNodeKey& key) {
  std::vector<EptNodeKey> children;
  for (int i = 0; i < 8; ++i) children.push_back({key.d + 1, 2 * key.x + (i & 1), 2 * key.y + (i >> 1 & 1), 2 * key.z + (i >> 2)});
  return children;
}

// The first kPages nodes of the octree, level by level, each with a page of its own that
// names its children (with a page of their own, or a count).
std::map<std::string, std::string> Pages() {
  std::vector<EptNodeKey> paged{EptNodeKey{}};
  for (size_t i = 0; paged.size() < kPages; ++i)
    for (const EptNodeKey& child : Children(paged[i]))
      if (paged.size() < kPages) paged.push_back(child);
  std::map<std::string, bool> hasPage;
  for (const EptNodeKey& key : paged) hasPage[key.text()] = true;
  std::map<std::string, std::string> pages;
  for (const EptNodeKey& key : paged) {
    std::string text = "{\"" + key.text() + "\": " + std::to_string(kNodePoints);
    for (const EptNodeKey& child : Children(key))
      text += ", \"" + child.text() + "\": " + (hasPage.count(child.text()) ? "-1" : std::to_string(kNodePoints));
    pages["ept-hierarchy/" + key.text() + ".json"] = text + "}";
  }
  return pages;
}

void WalkPages(benchmark::State& state) {
  static const std::map<std::string, std::string> pages = Pages();
  Fetcher slow = [](const std::string& url, ByteBuffer& bytes) {
    std::this_thread::sleep_for(kLatency);
    auto page = pages.find(url.substr(kSurvey.size()));
    if (page == pages.end()) return false;
    bytes.assign(page->second.begin(), page->second.end());
    return true;
  };
  TilePool pool{static_cast<int>(state.range(0)), [slow] { return slow; }};
  size_t selected = 0;
  for (auto _ : state) {
    EptSelection selection = SelectEptNodes(slow, nullptr, kSurvey, kCube, {-1, -1, 2000, 2000}, true, nullptr, pool);
    if (!selection.error.empty()) state.SkipWithError("walk failed");
    selected = selection.keys.size();
  }
  state.counters["pages"] = kPages;
  state.counters["nodes"] = static_cast<double>(selected);
}

}  // namespace

BENCHMARK(WalkPages)->Arg(kTileConnections)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(2)->UseRealTime();
