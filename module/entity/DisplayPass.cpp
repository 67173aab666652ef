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

}  // namespace

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

ChunkCell ChunkCellOf(const KmqData& data, double x, double y) {
  return {CellIndex(x - data.originX, CellWidth(data), data.chunksX),
          CellIndex(y - data.originY, CellHeight(data), data.chunksY)};
}

bool FindNearestVisible(const KmqData& data, const VisibilityRule& rule, const uint8_t* overrides, double x, double y,
                        double& bestD2, uint32_t& index) {
  const int cols = data.chunksX, rows = data.chunksY;
  const auto [col, row] = ChunkCellOf(data, x, y);
  bool found = false;
  for (int r = row - 1; r <= row + 1; ++r) {
    if (r < 0 || r >= rows) continue;
    for (int c = col - 1; c <= col + 1; ++c) {
      if (c < 0 || c >= cols) continue;
      const KmqChunk& chunk = data.chunks[static_cast<size_t>(r) * cols + c];
      for (uint32_t i = chunk.first; i < chunk.first + chunk.count; ++i) {
        const KmqPoint& p = data.points[i];
        if (!IsPointVisible(rule, EffectiveClass(p.cls, overrides, i), DecodeZ(data, p))) continue;
        double dx = DecodeX(data, p) - x, dy = DecodeY(data, p) - y;
        double d2 = dx * dx + dy * dy;
        if (d2 < bestD2) {
          bestD2 = d2;
          index = i;
          found = true;
        }
      }
    }
  }
  return found;
}

bool NearestVisiblePoint(const KmqData& data, const DisplaySettings& settings, double x, double y,
                         AcGePoint3d& nearest) {
  double best = kSnapRadius * kSnapRadius;
  uint32_t index = 0;
  if (!FindNearestVisible(data, settings.rule, settings.overrides, x, y, best, index)) return false;
  nearest = DecodePoint(data, data.points[index]);
  return true;
}
