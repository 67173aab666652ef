// Records of the cloud file (.kmt): the 128-byte header, the chunk table entry and the
// 8-byte point record. Both variants share the header; KMQ1 stores points as records,
// KMQ2 as separate planes (qx, qy, qz, class, 16-bit intensity).
#pragma once
#include <cstddef>
#include <cstdint>

inline constexpr size_t kKmqHeaderBytes = 128;
inline constexpr size_t kKmqTileNameBytes = 16;
inline constexpr size_t kKmqPlanesBytesPerPoint = 9;  // KMQ2: 2 + 2 + 2 + 1 + 2
inline constexpr double kKmqCodeMax = 65535.0;       // a 16-bit code spans 0..65535

// One chunk table entry: the chunk's points are [first, first + count).
struct KmqChunk {
  uint32_t first;
  uint32_t count;
};
static_assert(sizeof(KmqChunk) == 8);

// One point as a KMQ1 record; also the in-memory record for both variants, where byte 7
// of a KMQ2 point holds the high byte of its 16-bit intensity.
struct KmqPoint {
  uint16_t qx;
  uint16_t qy;
  uint16_t qz;
  uint8_t cls;        // LAS classification code
  uint8_t intensity;  // 8-bit intensity
};
static_assert(sizeof(KmqPoint) == 8);

// The header's fields as stored (the 4 reserved bytes are not kept).
struct KmqHeader {
  char magic[4];
  uint16_t version;
  uint16_t headerSize;
  double originX, originY, originZ;
  float sizeX, sizeY, sizeZ;
  uint32_t pointCount;
  uint16_t chunksX, chunksY;
  uint16_t groundNx, groundNy;
  float groundCell;
  double groundOriginX, groundOriginY;
  float groundZBase, groundZSpan;
  uint32_t epsg;
  char tileName[kKmqTileNameBytes];  // NUL-padded, not necessarily terminated
  double centerX, centerY;
  float halfSize;
};

// Reads the header fields from the first kKmqHeaderBytes bytes of a file.
KmqHeader ParseKmqHeader(const uint8_t* bytes);

// Writes the header into kKmqHeaderBytes bytes (reserved bytes as 0).
void EncodeKmqHeader(const KmqHeader& header, uint8_t* bytes);
