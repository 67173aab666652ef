#include "retrieval/FetchGroundGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr std::uint8_t kGroundClass = 2;
constexpr std::uint8_t kIgnoredGroundClass = 20;

bool IsGround(std::uint8_t cls) { return cls == kGroundClass || cls == kIgnoredGroundClass; }

std::int32_t NearestIndex(double offset, double cell, std::int32_t count) {
  double at = std::round(offset / cell);
  return static_cast<std::int32_t>(std::clamp(at, 0.0, static_cast<double>(count - 1)));
}

// Lowest ground height per cell; false when no point is ground.
bool BinGround(const EptFetchResult& points, const ZoneRectangle& rect, const GroundGridSize& size,
               std::vector<double>& cells) {
  bool any = false;
  for (size_t p = 0; p < points.x.size(); ++p) {
    if (!IsGround(points.classes[p])) continue;
    std::int32_t i = NearestIndex(points.x[p] - rect.xmin, size.cell, size.nx);
    std::int32_t j = NearestIndex(points.y[p] - rect.ymin, size.cell, size.ny);
    double& cell = cells[static_cast<size_t>(j) * size.nx + i];
    if (std::isnan(cell) || cell > points.z[p]) cell = points.z[p];
    any = true;
  }
  return any;
}

// The mean of the filled cells around (i, j), or NaN when there is none.
double NeighbourMean(const std::vector<double>& cells, const GroundGridSize& size, std::int32_t i, std::int32_t j) {
  double sum = 0;
  int count = 0;
  for (std::int32_t v = std::max(j - 1, 0); v <= std::min(j + 1, size.ny - 1); ++v)
    for (std::int32_t u = std::max(i - 1, 0); u <= std::min(i + 1, size.nx - 1); ++u) {
      double value = cells[static_cast<size_t>(v) * size.nx + u];
      if ((u != i || v != j) && !std::isnan(value)) sum += value, ++count;
    }
  return count > 0 ? sum / count : std::numeric_limits<double>::quiet_NaN();
}

// One pass; true when it left no cell empty.
bool FillPass(std::vector<double>& cells, const GroundGridSize& size) {
  bool complete = true;
  for (std::int32_t j = 0; j < size.ny; ++j)
    for (std::int32_t i = 0; i < size.nx; ++i) {
      double& cell = cells[static_cast<size_t>(j) * size.nx + i];
      if (!std::isnan(cell)) continue;
      cell = NeighbourMean(cells, size, i, j);
      if (std::isnan(cell)) complete = false;
    }
  return complete;
}

}  // namespace

GroundGridSize FetchGroundGridSize(const ZoneRectangle& rect, double cell) {
  auto side = [cell](double length) {
    double count = std::round(length / cell) + 1;
    return static_cast<std::int32_t>(std::min(count, static_cast<double>(std::numeric_limits<std::int32_t>::max())));
  };
  return {side(rect.xmax - rect.xmin), side(rect.ymax - rect.ymin), cell};
}

std::vector<float> BuildFetchGroundGrid(const EptFetchResult& points, const ZoneRectangle& rect,
                                        const GroundGridSize& size) {
  std::vector<double> cells(static_cast<size_t>(size.nx) * size.ny, std::numeric_limits<double>::quiet_NaN());
  if (!BinGround(points, rect, size, cells)) return {};
  for (std::int32_t pass = 0; pass < size.nx + size.ny; ++pass)
    if (FillPass(cells, size)) break;
  return std::vector<float>(cells.begin(), cells.end());
}
