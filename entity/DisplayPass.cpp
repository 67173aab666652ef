#include "entity/DisplayPass.h"

#include <algorithm>
#include <cmath>

namespace {

float CellWidth(const KmqData& data) { return data.sizeX / static_cast<float>(data.chunksX); }
float CellHeight(const KmqData& data) { return data.sizeY / static_cast<float>(data.chunksY); }

// The chunk cell index of a coordinate, truncated toward zero. Far-away values are held
// just outside the grid, where they reach no chunk.
int CellIndex(double offset, float cellSize, int cells) {
  double index = offset / static_cast<double>(cellSize);
  if (!(index > -3.0)) return -3;
  if (index > cells + 2.0) return cells + 2;
  return static_cast<int>(index);
}

AcGePoint3d DecodePoint(const KmqData& data, const KmqPoint& p) {
  return {DecodeX(data, p), DecodeY(data, p), DecodeZ(data, p)};
}

}  // namespace

size_t ColourBuckets::total() const {
  size_t n = 0;
  for (const auto& bucket : points) n += bucket.size();
  return n;
}

double PixelsPerUnit(const AcGePoint2d& pixelArea) {
  double ppu = (std::fabs(pixelArea.x) + std::fabs(pixelArea.y)) / 2.0;
  // Written so that a NaN scale (a viewport that cannot tell) falls to the minimum too.
  return ppu >= kMinPixelsPerUnit ? ppu : kMinPixelsPerUnit;
}

double ChunkPointBudget(const KmqData& data, uint16_t density, double pixelsPerUnit) {
  double cellW = CellWidth(data);
  double cellH = CellHeight(data);
  return (density / 100.0) * (cellW * pixelsPerUnit) * (cellH * pixelsPerUnit) * kPointsPerPixel;
}

uint32_t ChunkTake(uint32_t count, double budget) {
  double take = std::min(static_cast<double>(count), std::max(budget, 1.0));
  return static_cast<uint32_t>(take);
}

int PointBucket(uint8_t colorMode, unsigned effectiveClass, uint16_t intensity, uint16_t maxIntensity,
                uint16_t quantisedZ) {
  switch (colorMode) {
    case 1: return IntensityBucket(intensity, maxIntensity);
    case 2: return ElevationBucket(quantisedZ);
    default: return ClassBucket(effectiveClass, intensity, maxIntensity);
  }
}

void CollectBuckets(const KmqData& data, const DisplaySettings& settings, double budget, ColourBuckets& buckets) {
  for (auto& bucket : buckets.points) bucket.clear();
  for (const KmqChunk& chunk : data.chunks) {
    if (chunk.count == 0) continue;
    uint32_t end = chunk.first + ChunkTake(chunk.count, budget);
    for (uint32_t i = chunk.first; i < end; ++i) {
      const KmqPoint& p = data.points[i];
      unsigned cls = EffectiveClass(p.cls, settings.overrides, i);
      double z = DecodeZ(data, p);
      if (!IsPointVisible(settings.rule, cls, z)) continue;
      int bucket = PointBucket(settings.colorMode, cls, data.intensity16[i], data.maxIntensity, p.qz);
      buckets.points[bucket].emplace_back(DecodeX(data, p), DecodeY(data, p), z);
    }
  }
}

bool NearestVisiblePoint(const KmqData& data, const DisplaySettings& settings, double x, double y,
                         AcGePoint3d& nearest) {
  const int cols = data.chunksX, rows = data.chunksY;
  const int col = CellIndex(x - data.originX, CellWidth(data), cols);
  const int row = CellIndex(y - data.originY, CellHeight(data), rows);
  double best = kSnapRadius * kSnapRadius;
  const KmqPoint* bestPoint = nullptr;
  for (int r = row - 1; r <= row + 1; ++r) {
    if (r < 0 || r >= rows) continue;
    for (int c = col - 1; c <= col + 1; ++c) {
      if (c < 0 || c >= cols) continue;
      const KmqChunk& chunk = data.chunks[static_cast<size_t>(r) * cols + c];
      for (uint32_t i = chunk.first; i < chunk.first + chunk.count; ++i) {
        const KmqPoint& p = data.points[i];
        if (!IsPointVisible(settings.rule, EffectiveClass(p.cls, settings.overrides, i), DecodeZ(data, p))) continue;
        double dx = DecodeX(data, p) - x, dy = DecodeY(data, p) - y;
        double d2 = dx * dx + dy * dy;
        if (d2 < best) {
          best = d2;
          bestPoint = &p;
        }
      }
    }
  }
  if (bestPoint == nullptr) return false;
  nearest = DecodePoint(data, *bestPoint);
  return true;
}
