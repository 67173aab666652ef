// Stations of a class-corridor profile: along centreline samples at a fixed step, the
// elevation of the visible points within a half-width of each station (their maximum or
// their median). Plain functions over flat arrays of cloud coordinates.
#pragma once
#include <cstdint>
#include <span>
#include <vector>

enum class StationElevation { Max, Median };

struct CorridorStation {
  double chainage = 0.0;  // distance along the centreline samples from the first
  double x = 0.0;         // cloud x
  double y = 0.0;         // cloud y
  double z = 0.0;         // maximum or median of the points found
  int32_t nearCount = 0;  // number of points within the half-width
};

// Neither the centreline samples nor the stations may number more than this.
inline constexpr double kMaxCorridorStations = 1'000'000;

struct CorridorLine {
  std::span<const double> x, y;  // centreline samples, cloud coordinates
};

struct CorridorCandidates {
  std::span<const double> x, y, z;  // visible points, cloud coordinates, file order
};

struct CorridorResult {
  std::vector<CorridorStation> stations;  // chainage order; stations without points left out
  bool tooManyStations = false;           // refused: more than kMaxCorridorStations
};

// The stations at chainage k x step (k = 0, 1, ...) while within the line's length (plus
// 1e-9), each at min(k x step, length); a station's points are the candidates whose plan
// distance is at most the half-width. Candidates are found through a grid of cells at
// least the half-width wide over the line's box grown by the half-width, and each station's
// segment by an index that only moves forward.
CorridorResult BuildCorridorStations(CorridorLine line, double step, double halfWidth, CorridorCandidates candidates,
                                     StationElevation mode);

// The same stations by testing every candidate against every station; the reference the
// indexed form is checked and measured against.
CorridorResult BuildCorridorStationsByScan(CorridorLine line, double step, double halfWidth,
                                           CorridorCandidates candidates, StationElevation mode);

// Number of stations of a line of length `length` at `step`; more than kMaxCorridorStations
// (or not a number) when the pair is unusable.
double CorridorStationCount(double length, double step);
