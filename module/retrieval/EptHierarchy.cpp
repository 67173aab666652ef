#include "retrieval/EptHierarchy.h"

#include <charconv>
#include <cmath>

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

bool ReadPage(const Fetcher& fetch, const std::string& surveyUrl, const std::string& name, const PageSink& pageSink,
              EptHierarchy& hierarchy) {
  std::string relative = std::string(kHierarchyFolder) + name + kPageExtension;
  ByteBuffer page;
  if (!fetch(surveyUrl + relative, page)) return false;
  if (pageSink) pageSink(relative, page);
  ParseEptHierarchy(std::string_view(reinterpret_cast<const char*>(page.data()), page.size()), hierarchy);
  return true;
}

// The node's hierarchy value once its own page, if it has one, has been read; 0 when the
// node is absent or its count cannot be real.
bool NodeCount(const Fetcher& fetch, const std::string& surveyUrl, const std::string& name, const PageSink& pageSink,
               EptHierarchy& hierarchy, std::int64_t& count) {
  count = 0;
  auto found = hierarchy.find(name);
  if (found == hierarchy.end()) return true;
  if (found->second == kOwnPage) {
    if (!ReadPage(fetch, surveyUrl, name, pageSink, hierarchy)) return false;
    found = hierarchy.find(name);
    if (found == hierarchy.end()) return true;
  }
  if (found->second <= kMaxPlausibleCount) count = found->second;
  return true;
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
                            const PageSink& pageSink) {
  EptSelection selection;
  EptHierarchy hierarchy;
  const EptNodeKey root{};
  if (!ReadPage(fetch, surveyUrl, root.text(), pageSink, hierarchy)) {
    selection.error = kErrHierarchyFetch;
    return selection;
  }
  std::int32_t depthCap = limits ? kMaxEptDepth : kMaxKeyDepth;
  std::vector<EptNodeKey> level{root};
  while (!level.empty()) {
    std::vector<EptNodeKey> next;
    for (const EptNodeKey& key : level) {
      if (!Touches(bounds, key, box)) continue;
      std::int64_t count = 0;
      if (!NodeCount(fetch, surveyUrl, key.text(), pageSink, hierarchy, count)) {
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
