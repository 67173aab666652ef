#include "analysis/CorridorStations.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kChainageSlack = 1e-9;
// Grid cells are this much wider than the half-width, so that a point within the
// half-width of a station always lies in the station's cell or a neighbour, rounding included.
constexpr double kCellMargin = 1.0 + 1e-6;
// The grid never has more cells than this (its cells grow instead).
constexpr double kMaxGridCells = 1 << 22;

// A station before its points are known.
struct StationPlace {
  double chainage, x, y;
};

// c[0] = 0, c[i] = c[i-1] + plan distance between samples i-1 and i.
std::vector<double> CumulativeDistances(CorridorLine line) {
  std::vector<double> c(line.x.size(), 0.0);
  for (size_t i = 1; i < c.size(); ++i) c[i] = c[i - 1] + std::hypot(line.x[i] - line.x[i - 1], line.y[i] - line.y[i - 1]);
  return c;
}

StationPlace PlaceOnSegment(CorridorLine line, const std::vector<double>& c, double f, size_t i) {
  const double span = c[i] - c[i - 1];
  const double g = span > 0 ? (f - c[i - 1]) / span : 0.0;
  return {f, line.x[i - 1] + (line.x[i] - line.x[i - 1]) * g, line.y[i - 1] + (line.y[i] - line.y[i - 1]) * g};
}

// The smallest segment end i (1 <= i <= last) with f <= c[i], else last, searched from
// `from` on. Stations come in chainage order, so the indexed form starts where the last
// station's search ended and the scan starts from the first segment each time.
size_t SegmentEnd(const std::vector<double>& c, double f, size_t from) {
  const size_t last = c.size() - 1;
  size_t i = from;
  while (i < last && f > c[i]) ++i;
  return i;
}

// Every station's place, or none (with the refusal flag) when there are too many.
std::vector<StationPlace> PlaceStations(CorridorLine line, double step, bool forwardIndex, bool& tooMany) {
  tooMany = false;
  std::vector<StationPlace> places;
  if (line.x.size() < 2 || line.y.size() != line.x.size() || !(step > 0)) return places;
  const std::vector<double> c = CumulativeDistances(line);
  const double total = c.back();
  if (!(total > 0)) return places;
  if (!(CorridorStationCount(total, step) <= kMaxCorridorStations)) {
    tooMany = true;
    return places;
  }
  size_t segment = 1;
  for (uint32_t k = 0;; ++k) {
    const double s = k * step;
    if (!(s <= total + kChainageSlack)) break;
    const double f = std::min(s, total);
    segment = SegmentEnd(c, f, forwardIndex ? segment : 1);
    places.push_back(PlaceOnSegment(line, c, f, segment));
  }
  return places;
}

// The station elevation of the collected values (which it may reorder): the largest, or
// the value of rank n / 2 in ascending order (the upper middle one for an even n).
double ReduceElevation(std::vector<double>& values, StationElevation mode) {
  if (mode == StationElevation::Max) return *std::max_element(values.begin(), values.end());
  auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

void AppendStation(const StationPlace& place, std::vector<double>& found, StationElevation mode,
                   std::vector<CorridorStation>& stations) {
  if (found.empty()) return;
  const auto count = static_cast<int32_t>(found.size());
  stations.push_back({place.chainage, place.x, place.y, ReduceElevation(found, mode), count});
}

bool Within(double px, double py, const StationPlace& at, double reach2) {
  const double dx = px - at.x, dy = py - at.y;
  return dx * dx + dy * dy <= reach2;
}

// The candidates near the stations, binned into square cells over the line's box grown by
// the half-width. Only cells next to a station are filled; each cell keeps file order.
class CandidateGrid {
 public:
  CandidateGrid(CorridorLine line, double halfWidth, const std::vector<StationPlace>& places,
                CorridorCandidates candidates) {
    SetBounds(line, halfWidth);
    MarkStationCells(places);
    Fill(candidates);
  }

  // Calls visit(x, y, z) for every binned candidate in the 3 x 3 cells around the place.
  template <typename Visit>
  void ForEachNear(const StationPlace& at, Visit&& visit) const {
    const long col = Column(at.x), row = Row(at.y);
    for (long r = std::max(row - 1, 0L); r <= std::min(row + 1, rows_ - 1); ++r) {
      for (long cl = std::max(col - 1, 0L); cl <= std::min(col + 1, cols_ - 1); ++cl) {
        const size_t cell = static_cast<size_t>(r * cols_ + cl);
        for (uint32_t k = start_[cell]; k < start_[cell + 1]; ++k) visit(x_[k], y_[k], z_[k]);
      }
    }
  }

 private:
  void SetBounds(CorridorLine line, double halfWidth) {
    auto [minX, maxX] = std::minmax_element(line.x.begin(), line.x.end());
    auto [minY, maxY] = std::minmax_element(line.y.begin(), line.y.end());
    minX_ = *minX - halfWidth, maxX_ = *maxX + halfWidth;
    minY_ = *minY - halfWidth, maxY_ = *maxY + halfWidth;
    cell_ = halfWidth * kCellMargin;
    const double width = maxX_ - minX_, height = maxY_ - minY_;
    if (!std::isfinite(width) || !std::isfinite(height)) return;  // one cell holds everything
    while ((width / cell_ + 1) * (height / cell_ + 1) > kMaxGridCells) cell_ *= 2;
    cols_ = static_cast<long>(width / cell_) + 1;
    rows_ = static_cast<long>(height / cell_) + 1;
  }

  // The column (or row) of an offset from the box's low edge, held inside the grid.
  long Index(double offset, long cells) const {
    const double index = offset / cell_;
    if (!(index >= 1)) return 0;
    if (index >= cells - 1) return cells - 1;
    return static_cast<long>(index);
  }

  long Column(double x) const { return Index(x - minX_, cols_); }
  long Row(double y) const { return Index(y - minY_, rows_); }

  void MarkStationCells(const std::vector<StationPlace>& places) {
    wanted_.assign(static_cast<size_t>(rows_ * cols_), 0);
    for (const StationPlace& at : places) {
      const long col = Column(at.x), row = Row(at.y);
      for (long r = std::max(row - 1, 0L); r <= std::min(row + 1, rows_ - 1); ++r)
        for (long c = std::max(col - 1, 0L); c <= std::min(col + 1, cols_ - 1); ++c)
          wanted_[static_cast<size_t>(r * cols_ + c)] = 1;
    }
  }

  // The cell of a candidate inside the box whose cell is wanted, else -1.
  long WantedCell(double x, double y) const {
    if (!(x >= minX_ && x <= maxX_ && y >= minY_ && y <= maxY_)) return -1;
    const long cell = Row(y) * cols_ + Column(x);
    return wanted_[static_cast<size_t>(cell)] ? cell : -1;
  }

  void Fill(CorridorCandidates candidates) {
    std::vector<uint32_t> kept;
    std::vector<uint32_t> keptCell;
    start_.assign(static_cast<size_t>(rows_ * cols_) + 1, 0);
    for (size_t i = 0; i < candidates.x.size(); ++i) {
      const long cell = WantedCell(candidates.x[i], candidates.y[i]);
      if (cell < 0) continue;
      kept.push_back(static_cast<uint32_t>(i));
      keptCell.push_back(static_cast<uint32_t>(cell));
      ++start_[static_cast<size_t>(cell) + 1];
    }
    for (size_t c = 1; c < start_.size(); ++c) start_[c] += start_[c - 1];
    x_.resize(kept.size()), y_.resize(kept.size()), z_.resize(kept.size());
    std::vector<uint32_t> next(start_.begin(), start_.end() - 1);
    for (size_t k = 0; k < kept.size(); ++k) {
      const uint32_t at = next[keptCell[k]]++;
      x_[at] = candidates.x[kept[k]], y_[at] = candidates.y[kept[k]], z_[at] = candidates.z[kept[k]];
    }
  }

  double minX_ = 0, maxX_ = 0, minY_ = 0, maxY_ = 0, cell_ = 1;
  long cols_ = 1, rows_ = 1;
  std::vector<uint8_t> wanted_;
  std::vector<uint32_t> start_;
  std::vector<double> x_, y_, z_;
};

}  // namespace

double CorridorStationCount(double length, double step) { return std::floor((length + kChainageSlack) / step) + 1; }

CorridorResult BuildCorridorStations(CorridorLine line, double step, double halfWidth, CorridorCandidates candidates,
                                     StationElevation mode) {
  CorridorResult result;
  const std::vector<StationPlace> places = PlaceStations(line, step, true, result.tooManyStations);
  if (places.empty() || candidates.x.empty() || !(halfWidth > 0) || !std::isfinite(halfWidth)) return result;
  const CandidateGrid grid(line, halfWidth, places, candidates);
  const double reach2 = halfWidth * halfWidth;
  std::vector<double> found;
  for (const StationPlace& at : places) {
    found.clear();
    grid.ForEachNear(at, [&](double x, double y, double z) {
      if (Within(x, y, at, reach2)) found.push_back(z);
    });
    AppendStation(at, found, mode, result.stations);
  }
  return result;
}

CorridorResult BuildCorridorStationsByScan(CorridorLine line, double step, double halfWidth,
                                           CorridorCandidates candidates, StationElevation mode) {
  CorridorResult result;
  const std::vector<StationPlace> places = PlaceStations(line, step, false, result.tooManyStations);
  const double reach2 = halfWidth * halfWidth;
  std::vector<double> found;
  for (const StationPlace& at : places) {
    found.clear();
    for (size_t i = 0; i < candidates.x.size(); ++i)
      if (Within(candidates.x[i], candidates.y[i], at, reach2)) found.push_back(candidates.z[i]);
    AppendStation(at, found, mode, result.stations);
  }
  return result;
}
