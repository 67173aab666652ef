// What the fetch and mirror commands share: the rectangle prompts, the rectangle's
// centre, the candidate heading, the survey's URL and the progress line of the hierarchy.
#pragma once
#include <cstdint>
#include <string>

#include "geo/StatePlaneZone.h"
#include "retrieval/EptFetch.h"
#include "retrieval/EptTypes.h"
#include "retrieval/SurveyIndex.h"

// Asks for a first corner with the prompt, then the opposite corner; the corners ordered
// into the rectangle. False when either prompt ends otherwise than with a point.
bool AskRectangle(const wchar_t* firstPrompt, ZoneRectangle& rect);

// False, after saying so, when the rectangle has no width or no height.
bool HasWidthAndHeight(const ZoneRectangle& rect);

// The rectangle's centre in degrees; false, after printing "Zone inverse failed.", when the
// zone cannot convert it.
bool RectangleCentreLonLat(const StatePlaneZone& zone, const ZoneRectangle& rect, double& lon, double& lat);

// Prints "\n<name> (<year>):" for the candidate being tried.
void PrintCandidateHeading(const SurveyIndexEntry& survey);
// Printed after the heading when a candidate has no points in the rectangle.
inline constexpr wchar_t kNotCoveredHere[] = L"  not covered here, next candidate.";

// The archive root, the survey's name and "/".
std::string SurveyUrl(const SurveyIndexEntry& survey);

// The first steps of both commands' progress: false on Esc (tested after every level, page
// and tile); after a hierarchy level its progress line. True when the caller goes on to
// report a tile.
bool BreakOrReportLevel(std::int32_t phase, std::uint64_t nodes, std::uint64_t storedPoints, bool& cancelled);

// A tile is reported when its number is a multiple of `every`, and the last one always.
inline bool IsReportedTile(std::uint64_t number, std::uint64_t count, std::uint64_t every) {
  return number % every == 0 || number == count;
}

inline constexpr double kBytesPerMegabyte = 1048576.0;

// Connections a command reads tiles on, each kept open from one tile to the next.
inline constexpr int kTileConnections = 12;
// The pool of such connections, each reading the local mirror first; a connection a thread
// is done with waits for the next thread of the same pool (hierarchy pages, then tiles).
TilePool KeepAliveTilePool();
