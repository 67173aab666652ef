#include "analysis/NearestPointIndex.h"

#include <algorithm>
#include <cmath>

#include "entity/DisplayPass.h"

namespace {

constexpr double kPointsPerCell = 32.0;
constexpr int kMaxCellsPerAxis = 256;
// The search square is widened by this fraction so that rounding in the square root never
// leaves out a point at exactly the best distance.
constexpr double kReachMargin = 1e-9;
// The first, small search square's half-side as a fraction of the search radius.
constexpr double kFirstReachFraction = 0.125;

// Cell along one axis of a value: held inside 0 .. cells - 1, NaN in the first cell. The
// same function places points and bounds searches, so both agree where they meet.
int AxisCell(double value, double low, double perUnit, int cells) {
  const double t = (value - low) * perUnit;
  if (!(t >= 0)) return 0;
  if (t >= cells) return cells - 1;
  return static_cast<int>(t);
}

}  // namespace

// The points of one chunk sorted into cells x cells squares over their own extent, in file
// order within a square.
struct NearestPointIndex::ChunkGrid {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  double perUnitX = 0, perUnitY = 0;
  int cells = 1;
  std::vector<uint32_t> start;  // cells * cells + 1 offsets into order
  std::vector<uint32_t> order;  // point indices

  int CellX(double x) const { return AxisCell(x, minX, perUnitX, cells); }
  int CellY(double y) const { return AxisCell(y, minY, perUnitY, cells); }

  ChunkGrid(const KmqData& data, const KmqChunk& chunk) {
    if (chunk.count == 0) return;
    const uint32_t first = chunk.first, end = chunk.first + chunk.count;
    minX = minY = 1e300;
    maxX = maxY = -1e300;
    for (uint32_t i = first; i < end; ++i) {
      const double x = DecodeX(data, data.points[i]), y = DecodeY(data, data.points[i]);
      minX = std::min(minX, x), maxX = std::max(maxX, x);
      minY = std::min(minY, y), maxY = std::max(maxY, y);
    }
    cells = std::clamp(static_cast<int>(std::ceil(std::sqrt(chunk.count / kPointsPerCell))), 1, kMaxCellsPerAxis);
    perUnitX = maxX > minX ? cells / (maxX - minX) : 0.0;
    perUnitY = maxY > minY ? cells / (maxY - minY) : 0.0;
    std::vector<uint32_t> cellOf(chunk.count);
    start.assign(static_cast<size_t>(cells) * cells + 1, 0);
    for (uint32_t i = first; i < end; ++i) {
      const KmqPoint& p = data.points[i];
      const uint32_t cell = static_cast<uint32_t>(CellY(DecodeY(data, p)) * cells + CellX(DecodeX(data, p)));
      cellOf[i - first] = cell;
      ++start[cell + 1];
    }
    for (size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
    order.resize(chunk.count);
    std::vector<uint32_t> next(start.begin(), start.end() - 1);
    for (uint32_t i = first; i < end; ++i) order[next[cellOf[i - first]]++] = i;
  }
};

NearestPointIndex::NearestPointIndex(const KmqData& data) : data_(data), grids_(data.chunks.size()) {}
NearestPointIndex::~NearestPointIndex() = default;

const NearestPointIndex::ChunkGrid& NearestPointIndex::GridOf(size_t chunk) {
  if (!grids_[chunk]) grids_[chunk] = std::make_unique<ChunkGrid>(data_, data_.chunks[chunk]);
  return *grids_[chunk];
}

void NearestPointIndex::SearchWithin(double reach, const Query& query, Best& best) {
  const int cols = data_.chunksX, rows = data_.chunksY;
  const auto [col, row] = ChunkCellOf(data_, query.x, query.y);
  for (int r = row - 1; r <= row + 1; ++r) {
    if (r < 0 || r >= rows) continue;
    for (int c = col - 1; c <= col + 1; ++c) {
      if (c < 0 || c >= cols) continue;
      const size_t chunk = static_cast<size_t>(r) * cols + c;
      const ChunkGrid& grid = GridOf(chunk);
      const double x = query.x, y = query.y;
      if (grid.order.empty() || x + reach < grid.minX || x - reach > grid.maxX || y + reach < grid.minY ||
          y - reach > grid.maxY)
        continue;
      const int x0 = grid.CellX(x - reach), x1 = grid.CellX(x + reach);
      const int y0 = grid.CellY(y - reach), y1 = grid.CellY(y + reach);
      for (int gy = y0; gy <= y1; ++gy) {
        for (int gx = x0; gx <= x1; ++gx) {
          const size_t cell = static_cast<size_t>(gy) * grid.cells + gx;
          for (uint32_t k = grid.start[cell]; k < grid.start[cell + 1]; ++k) Consider(chunk, grid.order[k], query, best);
        }
      }
    }
  }
}

void NearestPointIndex::Consider(size_t chunk, uint32_t i, const Query& query, Best& best) const {
  const KmqPoint& p = data_.points[i];
  if (!IsPointVisible(query.rule, EffectiveClass(p.cls, query.overrides, i), DecodeZ(data_, p))) return;
  const double dx = DecodeX(data_, p) - query.x, dy = DecodeY(data_, p) - query.y;
  const double d2 = dx * dx + dy * dy;
  // Among equal distances the plain search keeps the first it meets: the lowest chunk
  // index (its visiting order), then the lowest file index.
  const bool earlier = best.found && (chunk < best.chunk || (chunk == best.chunk && i < best.index));
  if (d2 < best.d2 || (d2 == best.d2 && earlier)) best = {d2, chunk, i, true};
}

bool NearestPointIndex::FindNearestVisible(const VisibilityRule& rule, const uint8_t* overrides, double x, double y,
                                           double& bestD2, uint32_t& index) {
  const Query query{rule, overrides, x, y};
  Best best{bestD2, 0, 0, false};
  // First a small square around the position: a point found there at most its half-side
  // away is the answer, since every point as near or nearer lies inside it.
  const double reach = std::sqrt(bestD2) * (1 + kReachMargin);
  const double firstReach = reach * kFirstReachFraction;
  SearchWithin(firstReach, query, best);
  if (!best.found || best.d2 > firstReach * firstReach) SearchWithin(reach, query, best);
  if (!best.found) return false;
  bestD2 = best.d2;
  index = best.index;
  return true;
}

std::shared_ptr<NearestPointIndex> NearestPointIndexOf(const KmqDataPtr& data) {
  struct Entry {
    std::weak_ptr<const KmqData> image;
    std::shared_ptr<NearestPointIndex> index;
  };
  static std::vector<Entry> entries;
  std::erase_if(entries, [](const Entry& e) { return e.image.expired(); });
  for (const Entry& e : entries)
    if (e.image.lock() == data) return e.index;
  entries.push_back({data, std::make_shared<NearestPointIndex>(*data)});
  return entries.back().index;
}
