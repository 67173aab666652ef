// The immutable in-memory image of one cloud file, shared by reference count between the
// cloud cache and every user. Obtained only through LoadCloudFile (cloudfile/CloudReader.h).
#pragma once
#include <cstdint>
#include <memory>
#include <string>

#include "cloudfile/KmqArray.h"
#include "cloudfile/KmqFormat.h"

struct KmqData {
  double originX = 0, originY = 0, originZ = 0;
  float sizeX = 0, sizeY = 0, sizeZ = 0;
  uint32_t pointCount = 0;
  uint16_t chunksX = 0, chunksY = 0, groundNx = 0, groundNy = 0;
  float groundCell = 0;
  double groundOriginX = 0, groundOriginY = 0;
  float groundZBase = 0, groundZSpan = 0;
  uint32_t epsg = 0;
  char tileName[kKmqTileNameBytes + 1] = {};  // the header's 16 bytes and a closing NUL
  double centerX = 0, centerY = 0;
  float halfSize = 0;
  KmqArray<KmqChunk> chunks;        // chunksX * chunksY entries, row by row
  KmqArray<uint16_t> ground;        // groundNx * groundNy codes, row by row
  KmqArray<KmqPoint> points;        // pointCount records
  KmqArray<uint16_t> intensity16;   // pointCount 16-bit intensities
  uint16_t maxIntensity = 1;        // largest of intensity16, or 1 when that is 0
};

using KmqDataPtr = std::shared_ptr<const KmqData>;

// Cloud coordinates of a 16-bit code: code / 65535 * size + origin, in double precision.
inline double DecodeCode(uint16_t code, float size, double origin) {
  return code / kKmqCodeMax * static_cast<double>(size) + origin;
}
inline double DecodeX(const KmqData& d, const KmqPoint& p) { return DecodeCode(p.qx, d.sizeX, d.originX); }
inline double DecodeY(const KmqData& d, const KmqPoint& p) { return DecodeCode(p.qy, d.sizeY, d.originY); }
inline double DecodeZ(const KmqData& d, const KmqPoint& p) { return DecodeCode(p.qz, d.sizeZ, d.originZ); }

// Elevation of a ground grid code: code / 65535 * groundZSpan + groundZBase.
inline double DecodeGroundCode(const KmqData& d, uint16_t code) {
  return DecodeCode(code, d.groundZSpan, d.groundZBase);
}

// The tile's name as the host shows it: its bytes up to the first NUL, one character each.
inline std::wstring TileNameText(const KmqData& d) {
  std::wstring name;
  for (const char* c = d.tileName; *c != '\0'; ++c) name.push_back(static_cast<unsigned char>(*c));
  return name;
}
