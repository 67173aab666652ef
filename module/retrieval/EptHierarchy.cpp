#include "retrieval/EptHierarchy.h"

#include <charconv>
#include <cmath>
#include <functional>
#include <unordered_map>

#include "retrieval/OrderedWork.h"
#include "retrieval/TextNumbers.h"

namespace {

constexpr char kHierarchyFolder[] = "ept-hierarchy/";
constexpr char kPageExtension[] = ".json";
constexpr std::int64_t kOwnPage = -1;

bool Touches(const EptBounds& bounds, const EptNodeKey& key, const WebMercatorBox& box) {
  double edge = std::ldexp(bounds.maxX - bounds.minX, -key.d);
  double minX = bounds.minX + key.x * edge;
  double minY = bounds.minY + key.y * edge;
  return !(box.minX > minX + edge || minX > box.maxX || box.minY > minY + edge || minY > box.maxY);
}

std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) { return a > UINT64_MAX - b ? UINT64_MAX : a + b; }

void QueueChildren(const EptNodeKey& key, std::vector<EptNodeKey>& next) {
  for (int i = 0; i < 2; ++i)
    for (int j = 0; j < 2; ++j)
      for (int k = 0; k < 2; ++k) next.push_back({key.d + 1, 2 * key.x + i, 2 * key.y + j, 2 * key.z + k});
}

std::string PageRelativePath(const std::string& name) { return std::string(kHierarchyFolder) + name + kPageExtension; }

struct PageRead {
  bool fetched = false;
  ByteBuffer bytes;
};

// The pages of one level, read ahead on the pool, and the reader of any other page. A page
// is taken (parsed into the map, handed to the sink) only when the walk comes to it, so a
// page read ahead that the walk does not need is never taken.
class PageReader {
 public:
  PageReader(const Fetcher& fetch, const std::string& surveyUrl, const PageSink& pageSink)
      : fetch_(fetch), surveyUrl_(surveyUrl), pageSink_(pageSink) {}

  // Reads the named pages side by side; false when the progress callback cancels.
  bool readAhead(const std::vector<std::string>& names, const TilePool& pool, const ProgressFn& progress) {
    ahead_.clear();
    bool own = pool.connections > 1 && pool.connect != nullptr;
    auto makeWorker = [&]() -> std::function<PageRead(size_t)> {
      Fetcher fetcher = own ? pool.connect() : fetch_;
      return [&, fetcher](size_t i) {
        PageRead read;
        read.fetched = fetcher(surveyUrl_ + PageRelativePath(names[i]), read.bytes);
        return read;
      };
    };
    auto take = [&](size_t i, PageRead& read) {
      ahead_.emplace(names[i], std::move(read));
      return !progress || progress(kProgressPage, i + 1, names.size(), 0, 0);
    };
    auto keepWaiting = [&] { return !progress || progress(kProgressWaiting, 0, 0, 0, 0); };
    return RunInOrder<PageRead>(names.size(), own ? pool.connections : 1, makeWorker, take, keepWaiting);
  }

  bool take(const std::string& name, EptHierarchy& hierarchy) {
    PageRead read;
    if (auto found = ahead_.find(name); found != ahead_.end()) {
      read = std::move(found->second);
      ahead_.erase(found);
    } else {
      read.fetched = fetch_(surveyUrl_ + PageRelativePath(name), read.bytes);
    }
    if (!read.fetched) return false;
    if (pageSink_) pageSink_(PageRelativePath(name), read.bytes);
    ParseEptHierarchy(std::string_view(reinterpret_cast<const char*>(read.bytes.data()), read.bytes.size()), hierarchy);
    return true;
  }

 private:
  const Fetcher& fetch_;
  const std::string& surveyUrl_;
  const PageSink& pageSink_;
  std::unordered_map<std::string, PageRead> ahead_;
};

// The node's hierarchy value once its own page, if it has one, has been read; 0 when the
// node is absent or its count cannot be real.
bool NodeCount(PageReader& pages, const std::string& name, EptHierarchy& hierarchy, std::int64_t& count) {
  count = 0;
  auto found = hierarchy.find(name);
  if (found == hierarchy.end()) return true;
  if (found->second == kOwnPage) {
    if (!pages.take(name, hierarchy)) return false;
    found = hierarchy.find(name);
    if (found == hierarchy.end()) return true;
  }
  if (found->second <= kMaxPlausibleCount) count = found->second;
  return true;
}

// The pages the level's nodes have of their own, as the map stands before the level.
std::vector<std::string> PagesOfLevel(const std::vector<EptNodeKey>& level, const EptBounds& bounds,
                                      const WebMercatorBox& box, const EptHierarchy& hierarchy) {
  std::vector<std::string> names;
  for (const EptNodeKey& key : level) {
    if (!Touches(bounds, key, box)) continue;
    std::string name = key.text();
    auto found = hierarchy.find(name);
    if (found != hierarchy.end() && found->second == kOwnPage) names.push_back(std::move(name));
  }
  return names;
}

}  // namespace

std::string EptNodeKey::text() const {
  char buffer[64];
  char* at = buffer;
  char* end = buffer + sizeof(buffer);
  for (std::int32_t part : {d, x, y, z}) {
    if (at != buffer) *at++ = '-';
    at = std::to_chars(at, end, part).ptr;
  }
  return std::string(buffer, at);
}

void ParseEptHierarchy(std::string_view page, EptHierarchy& hierarchy) {
  size_t at = 0;
  for (;;) {
    size_t open = page.find('"', at);
    if (open == std::string_view::npos) return;
    size_t close = page.find('"', open + 1);
    if (close == std::string_view::npos) return;
    std::string_view key = page.substr(open + 1, close - open - 1);
    size_t valueAt = close + 1;
    while (valueAt < page.size() && (page[valueAt] == ':' || page[valueAt] == ' ')) ++valueAt;
    std::string_view rest = SkipSpace(page.substr(valueAt));
    std::int64_t value = 0;
    size_t used = ReadLeadingNumber(rest, value);
    if (used > 0 && key.find('-') != std::string_view::npos) hierarchy[std::string(key)] = value;
    at = used > 0 ? static_cast<size_t>(rest.data() - page.data()) + used : close + 1;
  }
}

EptSelection SelectEptNodes(const Fetcher& fetch, const ProgressFn& progress, const std::string& surveyUrl,
                            const EptBounds& bounds, const WebMercatorBox& box, bool limits,
                            const PageSink& pageSink, const TilePool& pool) {
  EptSelection selection;
  EptHierarchy hierarchy;
  PageReader pages(fetch, surveyUrl, pageSink);
  const EptNodeKey root{};
  if (!pages.take(root.text(), hierarchy)) {
    selection.error = kErrHierarchyFetch;
    return selection;
  }
  std::int32_t depthCap = limits ? kMaxEptDepth : kMaxKeyDepth;
  std::vector<EptNodeKey> level{root};
  while (!level.empty()) {
    if (!pages.readAhead(PagesOfLevel(level, bounds, box, hierarchy), pool, progress)) {
      selection.error = kErrCancelled;
      return selection;
    }
    std::vector<EptNodeKey> next;
    for (const EptNodeKey& key : level) {
      if (!Touches(bounds, key, box)) continue;
      std::int64_t count = 0;
      if (!NodeCount(pages, key.text(), hierarchy, count)) {
        selection.error = kErrHierarchyPageFetch;
        return selection;
      }
      if (count < 1) continue;
      selection.keys.push_back(key);
      selection.storedPoints = SaturatingAdd(selection.storedPoints, static_cast<std::uint64_t>(count));
      if (key.d < depthCap) QueueChildren(key, next);
    }
    if (progress && !progress(kProgressHierarchy, selection.keys.size(), selection.storedPoints, 0, 0)) {
      selection.error = kErrCancelled;
      return selection;
    }
    if (limits && selection.storedPoints > kPointBudget && !next.empty()) {
      selection.truncated = true;
      break;
    }
    level = std::move(next);
  }
  if (selection.keys.empty()) selection.error = kErrNoNodes;
  return selection;
}
