#include "cloudfile/KmqFormat.h"

#include <cstring>

#include "cloudfile/ByteOrder.h"

namespace {

// Byte offsets of the header fields.
enum HeaderOffset : size_t {
  kAtMagic = 0,
  kAtVersion = 4,
  kAtHeaderSize = 6,
  kAtOriginX = 8,
  kAtOriginY = 16,
  kAtOriginZ = 24,
  kAtSizeX = 32,
  kAtSizeY = 36,
  kAtSizeZ = 40,
  kAtPointCount = 44,
  kAtChunksX = 48,
  kAtChunksY = 50,
  kAtGroundNx = 52,
  kAtGroundNy = 54,
  kAtGroundCell = 56,
  kAtGroundOriginX = 60,
  kAtGroundOriginY = 68,
  kAtGroundZBase = 76,
  kAtGroundZSpan = 80,
  kAtEpsg = 84,
  kAtTileName = 88,
  kAtCenterX = 104,
  kAtCenterY = 112,
  kAtHalfSize = 120,
  kAtReserved = 124,
};

}  // namespace

KmqHeader ParseKmqHeader(const uint8_t* b) {
  using pelvar::bytes::Load;
  KmqHeader h{};
  std::memcpy(h.magic, b + kAtMagic, sizeof h.magic);
  h.version = Load<uint16_t>(b + kAtVersion);
  h.headerSize = Load<uint16_t>(b + kAtHeaderSize);
  h.originX = Load<double>(b + kAtOriginX);
  h.originY = Load<double>(b + kAtOriginY);
  h.originZ = Load<double>(b + kAtOriginZ);
  h.sizeX = Load<float>(b + kAtSizeX);
  h.sizeY = Load<float>(b + kAtSizeY);
  h.sizeZ = Load<float>(b + kAtSizeZ);
  h.pointCount = Load<uint32_t>(b + kAtPointCount);
  h.chunksX = Load<uint16_t>(b + kAtChunksX);
  h.chunksY = Load<uint16_t>(b + kAtChunksY);
  h.groundNx = Load<uint16_t>(b + kAtGroundNx);
  h.groundNy = Load<uint16_t>(b + kAtGroundNy);
  h.groundCell = Load<float>(b + kAtGroundCell);
  h.groundOriginX = Load<double>(b + kAtGroundOriginX);
  h.groundOriginY = Load<double>(b + kAtGroundOriginY);
  h.groundZBase = Load<float>(b + kAtGroundZBase);
  h.groundZSpan = Load<float>(b + kAtGroundZSpan);
  h.epsg = Load<uint32_t>(b + kAtEpsg);
  std::memcpy(h.tileName, b + kAtTileName, sizeof h.tileName);
  h.centerX = Load<double>(b + kAtCenterX);
  h.centerY = Load<double>(b + kAtCenterY);
  h.halfSize = Load<float>(b + kAtHalfSize);
  return h;
}

void EncodeKmqHeader(const KmqHeader& h, uint8_t* b) {
  using pelvar::bytes::Store;
  std::memcpy(b + kAtMagic, h.magic, sizeof h.magic);
  Store(b + kAtVersion, h.version);
  Store(b + kAtHeaderSize, h.headerSize);
  Store(b + kAtOriginX, h.originX);
  Store(b + kAtOriginY, h.originY);
  Store(b + kAtOriginZ, h.originZ);
  Store(b + kAtSizeX, h.sizeX);
  Store(b + kAtSizeY, h.sizeY);
  Store(b + kAtSizeZ, h.sizeZ);
  Store(b + kAtPointCount, h.pointCount);
  Store(b + kAtChunksX, h.chunksX);
  Store(b + kAtChunksY, h.chunksY);
  Store(b + kAtGroundNx, h.groundNx);
  Store(b + kAtGroundNy, h.groundNy);
  Store(b + kAtGroundCell, h.groundCell);
  Store(b + kAtGroundOriginX, h.groundOriginX);
  Store(b + kAtGroundOriginY, h.groundOriginY);
  Store(b + kAtGroundZBase, h.groundZBase);
  Store(b + kAtGroundZSpan, h.groundZSpan);
  Store(b + kAtEpsg, h.epsg);
  std::memcpy(b + kAtTileName, h.tileName, sizeof h.tileName);
  Store(b + kAtCenterX, h.centerX);
  Store(b + kAtCenterY, h.centerY);
  Store(b + kAtHalfSize, h.halfSize);
  Store(b + kAtReserved, uint32_t{0});
}
