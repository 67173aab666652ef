// Copying the part of one survey that lies over a rectangle into the local mirror: its
// ept.json, the hierarchy pages walked and every tile over the rectangle at every depth.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "geo/StatePlaneZone.h"
#include "retrieval/EptFetch.h"
#include "retrieval/EptTypes.h"

struct MirrorResult {
  std::int64_t totalPoints = 0;      // stored points of every selected node
  std::int64_t bytesDownloaded = 0;  // tiles downloaded in this run
  std::int32_t nodesDownloaded = 0;
  std::int32_t nodesOnDisk = 0;  // tiles the mirror already held
  std::wstring error;            // empty on success
};

inline constexpr const wchar_t* kErrMirrorWrite = L"cannot write to the mirror root";
inline constexpr const wchar_t* kErrMirrorIndexWrite = L"cannot write datasets.txt into the mirror root";

// Writes a file of the survey (path relative to its folder); true when written.
using MirrorWriter = std::function<bool(const std::string& relativePath, const ByteBuffer& bytes)>;
// True when the mirror already holds the file whole.
using MirrorHolds = std::function<bool(const std::string& relativePath)>;

// Reads ept.json and the hierarchy over the rectangle (no depth cap, no point budget) and
// writes them; then every selected tile the mirror does not hold yet is read and written,
// coarse to fine. Tiles are read on the pool's connections when it has more than one; the
// counters and the progress reports come in selection order all the same. Progress:
// phase 0 after each level, phase 1 after each tile (number, count, bytes downloaded,
// total stored points).
MirrorResult MirrorEptRectangle(const Fetcher& fetch, const MirrorWriter& write, const MirrorHolds& holds,
                                const ProgressFn& progress, const std::string& surveyUrl, const StatePlaneZone& zone,
                                const ZoneRectangle& rect, const TilePool& pool = {});
