// A crafted cloud whose coordinates decode exactly: x = 1000 + qx, y = 2000 + qy (size 65535),
// z = -3 + qz / 2 (size 32767.5), over a 10 x 10 ground grid of 10 ft cells from (1000, 2000)
// that is flat at 0 except its first node, which lies 0.01 ft (as a float) higher.
#pragma once
#include <cstdint>

#include "tests/module/cloudfile/CraftedCloud.h"

namespace classifytest {

inline constexpr double kExactOriginX = 1000.0;
inline constexpr double kExactOriginY = 2000.0;

// qz of a point at height h (a multiple of 0.5 from -3) over the flat part of the grid.
inline uint16_t CodeOfHeight(double h) { return static_cast<uint16_t>((h + 3.0) * 2.0); }

inline crafted::Cloud ExactCloud() {
  crafted::Cloud cloud;
  cloud.originX = kExactOriginX, cloud.originY = kExactOriginY, cloud.originZ = -3.0;
  cloud.sizeX = 65535.0f, cloud.sizeY = 65535.0f, cloud.sizeZ = 32767.5f;
  cloud.groundNx = 10, cloud.groundNy = 10;
  cloud.groundCell = 10.0f;
  cloud.groundOriginX = kExactOriginX, cloud.groundOriginY = kExactOriginY;
  cloud.groundZBase = 0.0f, cloud.groundZSpan = 0.01f;
  cloud.ground.assign(100, 0);
  cloud.ground[0] = 65535;
  cloud.tileName = "exact";
  return cloud;
}

inline crafted::Point PointAt(double x, double y, uint16_t qz, uint8_t cls, uint16_t intensity = 0) {
  return {static_cast<uint16_t>(x - kExactOriginX), static_cast<uint16_t>(y - kExactOriginY), qz, cls, intensity};
}

}  // namespace classifytest
