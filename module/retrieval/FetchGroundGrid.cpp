#include "retrieval/FetchGroundGrid.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <queue>

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

// The cells around (i, j), clipped to the grid.
template <typename Visit>
void ForEachNeighbour(const GroundGridSize& size, size_t index, Visit visit) {
  auto i = static_cast<std::int32_t>(index % size.nx), j = static_cast<std::int32_t>(index / size.nx);
  for (std::int32_t v = std::max(j - 1, 0); v <= std::min(j + 1, size.ny - 1); ++v)
    for (std::int32_t u = std::max(i - 1, 0); u <= std::min(i + 1, size.nx - 1); ++u)
      if (u != i || v != j) visit(static_cast<size_t>(v) * size.nx + u);
}

// The hole-filling passes. A pass visits the cells row by row and fills each empty one
// with the mean of its filled neighbours, values of the same pass counting; only the
// cells that can be filled are visited: those next to a cell filled before the pass, and
// those after a cell filled in the pass (the ones before it wait for the next pass). This
// gives what visiting every cell gives, in time proportional to the cells filled.
void FillHoles(std::vector<double>& cells, const GroundGridSize& size) {
  std::vector<std::int32_t> queuedInPass(cells.size(), -1);
  std::vector<size_t> candidates;
  size_t empty = 0;
  for (size_t c = 0; c < cells.size(); ++c) {
    if (!std::isnan(cells[c])) continue;
    ++empty;
    bool reachable = false;
    ForEachNeighbour(size, c, [&](size_t n) { reachable = reachable || !std::isnan(cells[n]); });
    if (reachable) candidates.push_back(c), queuedInPass[c] = 0;
  }
  for (std::int32_t pass = 0; pass < size.nx + size.ny && empty > 0 && !candidates.empty(); ++pass) {
    std::priority_queue<size_t, std::vector<size_t>, std::greater<>> queue(candidates.begin(), candidates.end());
    candidates.clear();
    while (!queue.empty()) {
      size_t c = queue.top();
      queue.pop();
      auto i = static_cast<std::int32_t>(c % size.nx), j = static_cast<std::int32_t>(c / size.nx);
      cells[c] = NeighbourMean(cells, size, i, j);
      --empty;
      ForEachNeighbour(size, c, [&](size_t n) {
        if (!std::isnan(cells[n])) return;
        std::int32_t due = n > c ? pass : pass + 1;
        if (queuedInPass[n] >= due) return;
        queuedInPass[n] = due;
        if (due == pass)
          queue.push(n);
        else
          candidates.push_back(n);
      });
    }
  }
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
  FillHoles(cells, size);
  return std::vector<float>(cells.begin(), cells.end());
}
