// Plain records of the Entwine Point Tile traversal: node keys, dataset bounds, the query
// box, the hierarchy map, the progress callback and the result of a fetch.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "retrieval/ByteSource.h"

// An octree node: depth and position. Its text form "D-X-Y-Z" names its hierarchy entry,
// its hierarchy page and its tile.
struct EptNodeKey {
  std::int32_t d = 0, x = 0, y = 0, z = 0;
  std::string text() const;
  bool operator==(const EptNodeKey&) const = default;
};

// The "bounds" of ept.json in EPSG:3857 metres. The octree is the cube of edge maxX - minX
// anchored at (minX, minY).
struct EptBounds {
  double minX = 0, minY = 0, minZ = 0, maxX = 0, maxY = 0, maxZ = 0;
};

// A rectangle in Web Mercator metres.
struct WebMercatorBox {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
};

// A rectangle of the drawing in the zone's unit, xmin < xmax and ymin < ymax.
struct ZoneRectangle {
  double xmin = 0, ymin = 0, xmax = 0, ymax = 0;
};

// Node key text to its hierarchy value: a point count above 0, -1 for a node whose part of
// the hierarchy is a page of its own, anything else for an empty node.
using EptHierarchy = std::unordered_map<std::string, std::int64_t>;

// Progress and cancellation: phase 0 after each hierarchy level (a = nodes selected so far,
// b = their stored points), phase 1 after each tile (a = tile number from 1, b = tiles
// selected, c = tile bytes so far, d = points kept so far), phase 2 after each hierarchy
// page read ahead for a level (a = page number from 1, b = pages of the level; nothing to
// report, only a chance to cancel), phase 3 while a page or tile read side by side is being
// waited for (every 100 ms; only a chance to cancel). Returns false to cancel.
using ProgressFn = std::function<bool(std::int32_t phase, std::uint64_t a, std::uint64_t b, std::uint64_t c,
                                      std::uint64_t d)>;

inline constexpr std::int32_t kProgressHierarchy = 0;
inline constexpr std::int32_t kProgressTile = 1;
inline constexpr std::int32_t kProgressPage = 2;
inline constexpr std::int32_t kProgressWaiting = 3;

// Takes one decoded point: X, Y, Z in EPSG:3857 metres, its class and intensity.
using LazPointSink = std::function<void(double x, double y, double z, std::uint8_t cls, std::uint16_t intensity)>;

// Takes a hierarchy page as it was read (path relative to the survey folder, its bytes).
using PageSink = std::function<void(const std::string& relativePath, const ByteBuffer& bytes)>;

struct EptFetchResult {
  std::vector<double> x, y, z;  // zone coordinates and height, in the zone's unit
  std::vector<std::uint8_t> classes;
  std::vector<std::uint16_t> intensities;
  std::uint64_t bytesDownloaded = 0;  // LAZ tiles only
  std::uint32_t nodesFetched = 0;
  bool truncated = false;  // the point budget stopped the descent
  std::wstring error;      // empty on success
};

// The failures of the traversal, as the commands print them.
inline constexpr const wchar_t* kErrZoneInverse = L"zone inverse failed";
inline constexpr const wchar_t* kErrMetadataFetch = L"ept.json fetch failed";
inline constexpr const wchar_t* kErrNoBounds = L"ept.json: no bounds";
inline constexpr const wchar_t* kErrNotWebMercator = L"dataset is not in EPSG:3857";
inline constexpr const wchar_t* kErrHierarchyFetch = L"hierarchy fetch failed";
inline constexpr const wchar_t* kErrHierarchyPageFetch = L"hierarchy page fetch failed";
inline constexpr const wchar_t* kErrNoNodes = L"no EPT nodes over the rectangle";
inline constexpr const wchar_t* kErrNodeFetch = L"node fetch failed";
inline constexpr const wchar_t* kErrLazDecode = L"laz decode failed";
inline constexpr const wchar_t* kErrCancelled = L"cancelled";
