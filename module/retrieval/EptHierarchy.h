// The EPT hierarchy: its JSON pages and the breadth-first walk that selects the nodes over
// a query box.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "retrieval/EptFetch.h"
#include "retrieval/EptTypes.h"

// Nodes of this depth or deeper get no children in a walk with limits on.
inline constexpr std::int32_t kMaxEptDepth = 16;
// With limits on, the walk stops descending once its selected nodes store more points.
inline constexpr std::uint64_t kPointBudget = 60000000;
// Node positions are 32-bit: no walk queues children below this depth.
inline constexpr std::int32_t kMaxKeyDepth = 30;
// Hierarchy counts above this cannot be real; such entries count as empty.
inline constexpr std::int64_t kMaxPlausibleCount = std::int64_t{1} << 40;

// Adds every "key": count pair of the page whose key contains '-' to the map (a key read
// again takes the later value).
void ParseEptHierarchy(std::string_view page, EptHierarchy& hierarchy);

struct EptSelection {
  std::vector<EptNodeKey> keys;  // level by level from the root, in queue order
  std::uint64_t storedPoints = 0;
  bool truncated = false;
  std::wstring error;  // empty on success
};

// Walks the hierarchy of the survey at `surveyUrl` (ending in '/') from the root, selecting
// every node with points whose plan square touches the box. With limits on, the depth cap
// and the point budget apply. Every page read is handed to the page sink when there is one.
// With a pool of more than one connection, the pages a level needs are read side by side on
// it before the level is walked; the walk then takes them in the order a plain walk reads
// them (a later page's entries win), so nodes, order and pages handed on are the same.
EptSelection SelectEptNodes(const Fetcher& fetch, const ProgressFn& progress, const std::string& surveyUrl,
                            const EptBounds& bounds, const WebMercatorBox& box, bool limits,
                            const PageSink& pageSink = nullptr, const TilePool& pool = {});
