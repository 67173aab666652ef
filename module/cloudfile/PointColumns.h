// The point part of a KMQ2 image as the writer builds it: the bounds of the points, their
// chunks, the shuffle within each chunk and the five quantised columns.
#pragma once
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

inline constexpr int kChunksPerAxis = 16;
inline constexpr int kChunkCount = kChunksPerAxis * kChunksPerAxis;

using ChunkCounts = std::array<uint32_t, kChunkCount>;

// The writer's point inputs, one entry per point in each column.
struct PointInputs {
  std::span<const double> x, y, z;
  std::span<const uint8_t> cls;
  std::span<const uint16_t> intensity;
};

struct Range {
  static constexpr double kMinExtent = 0.01;
  double min = 1e300;
  double max = -1e300;
  double Extent() const { return std::max(max - min, kMinExtent); }
};

struct Bounds {
  Range x, y, z;
};

// Parts the work on n points is cut into: `parts` when that is not 0, else one per core
// (a few at most) and never so many that a part has too little to be worth a thread.
size_t WriterPartsFor(size_t n, unsigned parts);

// The smallest and largest coordinate on each axis, the parts scanned at once.
Bounds BoundsOf(const PointInputs& points, size_t parts);

// Fills the five columns (9 bytes per point from `at`: x, y and z codes, classes,
// intensities) in chunk order, each chunk in its shuffled order, and returns how many points
// each chunk holds. The bytes do not depend on the number of parts.
ChunkCounts WritePointColumns(const PointInputs& points, const Bounds& bounds, size_t parts, uint8_t* at);
