// Turning the points of a fetch into a cloud file: the ground grid, the file image, its
// name in the Downloads folder and the write that never replaces an earlier fetch.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "geo/StatePlaneZone.h"
#include "retrieval/EptTypes.h"
#include "retrieval/FetchGroundGrid.h"

// A cloud file holds at most this many points.
inline constexpr size_t kMaxCloudPoints = 50000000;
// The ground grid's cell is this many feet.
inline constexpr double kGroundCellFeet = 10.0;

// Feet per drawing unit for the area test and the grid cell: 0.3048 in a metre zone, 1 in
// a foot zone (survey or international).
double FootFactor(const StatePlaneZone& zone);

// The grid of the fetch rectangle with cells of kGroundCellFeet.
GroundGridSize FetchGridSizeFor(const StatePlaneZone& zone, const ZoneRectangle& rect);

// The label of a fetched cloud: "FE<lat>_<lon>" with the centre's absolute latitude and
// longitude to two decimals, at most 16 characters.
std::string FetchLabel(double centreLon, double centreLat);

// The whole cloud file of points over a rectangle: their ground grid of the given size
// (none when no point is ground), the label, the rectangle's centre and half its larger
// side, the EPSG code.
std::vector<std::uint8_t> BuildGroundedCloudImage(const EptFetchResult& points, const ZoneRectangle& rect,
                                                  const GroundGridSize& size, const std::string& label,
                                                  std::uint32_t epsg);

// The whole cloud file of the fetched points: their ground grid (none when no point is
// ground), the label, the rectangle's centre and half its larger side, the zone's code.
std::vector<std::uint8_t> BuildFetchedCloudImage(const EptFetchResult& points, const StatePlaneZone& zone,
                                                 const ZoneRectangle& rect, double centreLon, double centreLat);

// "KMT_fetch_X_Y.kmt" with the centre rounded to whole units; for k > 1 "KMT_fetch_X_Y_k.kmt".
std::wstring FetchFileName(double centreX, double centreY, int k);

// Writes the image whole into `folder` (ending in a separator, or empty for the current
// folder) under the first of the fetch names k = 1, 2, … that no file has yet, so that no
// earlier file is replaced. The path written, or empty with `failedPath` set to the path
// that could not be written (nothing is left behind).
std::wstring WriteFetchedCloud(const std::wstring& folder, double centreX, double centreY,
                               const std::vector<std::uint8_t>& image, std::wstring& failedPath);
