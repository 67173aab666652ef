#include "cloudfile/CloudWriter.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>

#include "cloudfile/ByteOrder.h"
#include "cloudfile/KmqFormat.h"

namespace {

constexpr int kChunksPerAxis = 16;
constexpr int kChunkCount = kChunksPerAxis * kChunksPerAxis;
constexpr size_t kChunkTableBytes = kChunkCount * sizeof(KmqChunk);
constexpr size_t kGroundOffset = kKmqHeaderBytes + kChunkTableBytes;
constexpr double kMinExtent = 0.01;
constexpr float kMinGroundRange = 0.01f;
constexpr uint32_t kShuffleSeed = 0x2545F49;  // 39083849

using ChunkCounts = std::array<uint32_t, kChunkCount>;

struct Range {
  double min = 1e300;
  double max = -1e300;
  double Extent() const { return std::max(max - min, kMinExtent); }
};

struct Bounds {
  Range x, y, z;
};

Range RangeOf(std::span<const double> values) {
  Range r;
  for (double v : values) {
    r.min = std::min(r.min, v);
    r.max = std::max(r.max, v);
  }
  return r;
}

// Column (or row) of a chunk for a position's fraction of the extent times 16.
int ChunkAxisIndex(double scaled) {
  if (!(scaled >= 0)) return 0;
  return scaled >= kChunksPerAxis - 1 ? kChunksPerAxis - 1 : static_cast<int>(scaled);
}

// 16-bit code of a value on a range: round half away from zero, clamped to 0..65535.
uint16_t QuantiseCode(double value, double min, double extent) {
  double scaled = kKmqCodeMax * (value - min) / extent;
  if (!(scaled > 0)) return 0;
  if (scaled >= kKmqCodeMax) return 0xFFFF;
  return static_cast<uint16_t>(std::round(scaled));
}

// Point indices grouped by chunk (chunk 0 first, input order within a chunk), and the
// number of points in each chunk.
std::vector<uint32_t> GroupByChunk(std::span<const double> x, std::span<const double> y, const Bounds& b,
                                   ChunkCounts& counts) {
  const size_t n = x.size();
  const double rx = b.x.Extent(), ry = b.y.Extent();
  std::vector<uint8_t> chunkOf(n);
  counts.fill(0);
  for (size_t i = 0; i < n; ++i) {
    int cx = ChunkAxisIndex(kChunksPerAxis * (x[i] - b.x.min) / rx);
    int cy = ChunkAxisIndex(kChunksPerAxis * (y[i] - b.y.min) / ry);
    chunkOf[i] = static_cast<uint8_t>(cy * kChunksPerAxis + cx);
    ++counts[chunkOf[i]];
  }
  ChunkCounts next{};
  for (int c = 1; c < kChunkCount; ++c) next[c] = next[c - 1] + counts[c - 1];
  std::vector<uint32_t> order(n);
  for (size_t i = 0; i < n; ++i) order[next[chunkOf[i]]++] = static_cast<uint32_t>(i);
  return order;
}

// The file's shuffle generator: a 32-bit linear congruential generator.
class ShuffleGenerator {
 public:
  // Steps the state and returns floor(u * k) with u = state / 2^32.
  uint32_t Below(uint32_t k) {
    state_ = state_ * 1664525u + 1013904223u;
    double u = state_ * (1.0 / 4294967296.0);
    return static_cast<uint32_t>(std::floor(u * k));
  }

 private:
  uint32_t state_ = kShuffleSeed;
};

// Shuffles each chunk's indices in place, chunks in order, with one running generator,
// so that any leading part of a chunk samples it evenly.
void ShuffleChunks(std::vector<uint32_t>& order, const ChunkCounts& counts) {
  ShuffleGenerator generator;
  uint32_t* chunk = order.data();
  for (uint32_t count : counts) {
    for (uint32_t k = count; k >= 2; --k) std::swap(chunk[k - 1], chunk[generator.Below(k)]);
    chunk += count;
  }
}

struct GroundRange {
  float min = 1e30f;
  float range = kMinGroundRange;
};

float GroundCell(std::span<const float> ground, size_t i) {
  return i < ground.size() ? ground[i] : NAN;
}

GroundRange GroundRangeOf(std::span<const float> ground, size_t cells) {
  float gmin = 1e30f, gmax = -1e30f;
  for (size_t i = 0; i < cells; ++i) {
    float g = GroundCell(ground, i);
    if (std::isnan(g)) continue;
    gmin = std::min(gmin, g);
    gmax = std::max(gmax, g);
  }
  return {gmin, std::max(gmax - gmin, kMinGroundRange)};
}

uint16_t QuantiseGround(float g, const GroundRange& r) {
  if (std::isnan(g)) return 0;
  float q = std::round(65535.0f * (g - r.min) / r.range);
  if (!(q > 0.0f)) return 0;
  return q >= 65535.0f ? uint16_t{0xFFFF} : static_cast<uint16_t>(q);
}

// Label bytes: the first 16 characters with their top bit cleared, zero-padded.
void CopyLabel(std::string_view label, char* tileName) {
  for (size_t i = 0; i < kKmqTileNameBytes; ++i)
    tileName[i] = i < label.size() ? static_cast<char>(label[i] & 0x7F) : '\0';
}

void WriteChunkTable(const ChunkCounts& counts, uint8_t* at) {
  uint32_t before = 0;
  for (uint32_t count : counts) {
    pelvar::bytes::Store(at, before);
    pelvar::bytes::Store(at + 4, count);
    at += sizeof(KmqChunk);
    before += count;
  }
}

// The points are visited in shuffled order, so their inputs are fetched from memory ahead of use.
constexpr size_t kPrefetchDistance = 16;

void PrefetchPoint(std::span<const double> x, std::span<const double> y, std::span<const double> z,
                   std::span<const uint8_t> cls, std::span<const uint16_t> intensity, uint32_t i) {
#if defined(__GNUC__)
  __builtin_prefetch(&x[i]);
  __builtin_prefetch(&y[i]);
  __builtin_prefetch(&z[i]);
  __builtin_prefetch(&cls[i]);
  __builtin_prefetch(&intensity[i]);
#endif
}

// The five point columns, filled in chunk order straight from the inputs.
void WritePointColumns(std::span<const double> x, std::span<const double> y, std::span<const double> z,
                       std::span<const uint8_t> cls, std::span<const uint16_t> intensity,
                       const std::vector<uint32_t>& order, const Bounds& b, uint8_t* at) {
  using pelvar::bytes::Store;
  const size_t n = order.size();
  uint8_t* qx = at;
  uint8_t* qy = qx + 2 * n;
  uint8_t* qz = qy + 2 * n;
  uint8_t* classes = qz + 2 * n;
  uint8_t* intensities = classes + n;
  const double rx = b.x.Extent(), ry = b.y.Extent(), rz = b.z.Extent();
  for (size_t k = 0; k < n; ++k) {
    if (k + kPrefetchDistance < n) PrefetchPoint(x, y, z, cls, intensity, order[k + kPrefetchDistance]);
    const uint32_t i = order[k];
    Store(qx + 2 * k, QuantiseCode(x[i], b.x.min, rx));
    Store(qy + 2 * k, QuantiseCode(y[i], b.y.min, ry));
    Store(qz + 2 * k, QuantiseCode(z[i], b.z.min, rz));
    classes[k] = cls[i];
    Store(intensities + 2 * k, intensity[i]);
  }
}

// The header values that follow from the points and the ground heights.
KmqHeader MakeHeader(const Bounds& bounds, uint32_t pointCount, const GroundRange& groundRange, uint32_t epsg) {
  KmqHeader h{};
  std::memcpy(h.magic, "KMQ2", 4);
  h.version = 2;
  h.headerSize = kKmqHeaderBytes;
  h.originX = bounds.x.min;
  h.originY = bounds.y.min;
  h.originZ = bounds.z.min;
  h.sizeX = static_cast<float>(bounds.x.Extent());
  h.sizeY = static_cast<float>(bounds.y.Extent());
  h.sizeZ = static_cast<float>(bounds.z.Extent());
  h.pointCount = pointCount;
  h.chunksX = h.chunksY = kChunksPerAxis;
  h.groundZBase = groundRange.min;
  h.groundZSpan = groundRange.range;
  h.epsg = epsg;
  return h;
}

// The columns all have one entry per point, the grid one height per node, and the point
// count fits the header's 32 bits.
bool InputsAgree(std::span<const double> x, std::span<const double> y, std::span<const double> z,
                 std::span<const uint8_t> cls, std::span<const uint16_t> intensity, std::span<const float> ground,
                 uint16_t nx, uint16_t ny) {
  const size_t n = x.size();
  return y.size() == n && z.size() == n && cls.size() == n && intensity.size() == n &&
         ground.size() == size_t{nx} * ny && n <= std::numeric_limits<uint32_t>::max();
}

}  // namespace

std::vector<uint8_t> BuildCloudFile(std::span<const double> x, std::span<const double> y,
                                    std::span<const double> z, std::span<const uint8_t> cls,
                                    std::span<const uint16_t> intensity, std::span<const float> ground,
                                    uint16_t nx, uint16_t ny, float cellSize, double gridOriginX,
                                    double gridOriginY, std::string_view label, double centreX,
                                    double centreY, float radius, uint32_t epsg) {
  if (!InputsAgree(x, y, z, cls, intensity, ground, nx, ny)) return {};
  const size_t n = x.size();
  const size_t cells = size_t{nx} * ny;
  const Bounds bounds{RangeOf(x), RangeOf(y), RangeOf(z)};
  ChunkCounts counts;
  std::vector<uint32_t> order = GroupByChunk(x, y, bounds, counts);
  ShuffleChunks(order, counts);
  const GroundRange groundRange = GroundRangeOf(ground, cells);

  std::vector<uint8_t> file(kGroundOffset + 2 * cells + kKmqPlanesBytesPerPoint * n);
  KmqHeader h = MakeHeader(bounds, static_cast<uint32_t>(n), groundRange, epsg);
  h.groundNx = nx;
  h.groundNy = ny;
  h.groundCell = cellSize;
  h.groundOriginX = gridOriginX;
  h.groundOriginY = gridOriginY;
  CopyLabel(label, h.tileName);
  h.centerX = centreX;
  h.centerY = centreY;
  h.halfSize = radius;
  EncodeKmqHeader(h, file.data());
  WriteChunkTable(counts, file.data() + kKmqHeaderBytes);
  for (size_t i = 0; i < cells; ++i)
    pelvar::bytes::Store(file.data() + kGroundOffset + 2 * i, QuantiseGround(GroundCell(ground, i), groundRange));
  WritePointColumns(x, y, z, cls, intensity, order, bounds, file.data() + kGroundOffset + 2 * cells);
  return file;
}
