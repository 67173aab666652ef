#include "cloudfile/CloudWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

#include "cloudfile/ByteOrder.h"
#include "cloudfile/KmqFormat.h"
#include "cloudfile/PointColumns.h"

namespace {

constexpr size_t kChunkTableBytes = kChunkCount * sizeof(KmqChunk);
constexpr size_t kGroundOffset = kKmqHeaderBytes + kChunkTableBytes;
constexpr float kMinGroundRange = 0.01f;

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
                                    double centreY, float radius, uint32_t epsg, unsigned parts) {
  if (!InputsAgree(x, y, z, cls, intensity, ground, nx, ny)) return {};
  const size_t n = x.size();
  const size_t cells = size_t{nx} * ny;
  const PointInputs points{x, y, z, cls, intensity};
  const size_t partCount = WriterPartsFor(n, parts);
  const Bounds bounds = BoundsOf(points, partCount);
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
  for (size_t i = 0; i < cells; ++i)
    pelvar::bytes::Store(file.data() + kGroundOffset + 2 * i, QuantiseGround(GroundCell(ground, i), groundRange));
  const ChunkCounts counts = WritePointColumns(points, bounds, partCount, file.data() + kGroundOffset + 2 * cells);
  WriteChunkTable(counts, file.data() + kKmqHeaderBytes);
  return file;
}
