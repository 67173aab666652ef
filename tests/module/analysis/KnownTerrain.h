// Clouds whose ground and points are known exactly, for checking every printed elevation
// against an independent value.
//
// The points' square spans kExtent = 65535/64 ft from (originX, originY), so a point code
// step is exactly 1/64 ft and positions on that lattice decode without error. Elevations
// span 65535/1024 ft from kBaseZ in steps of 1/1024 ft. The ground grid (86 x 86 nodes,
// 12 ft apart, from the same origin) holds the plane
//     z = kBaseZ + kSlopeX * (x - originX) + kSlopeY * (y - originY)
// whose node values are whole multiples of 1/1024 ft spanning exactly 65535/1024 ft, so the
// file stores them without loss and bilinear interpolation reproduces the plane.
#pragma once
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "cloudfile/CloudWriter.h"

namespace terrain {

inline constexpr double kExtent = 65535.0 / 64.0;  // 1023.984375 ft
inline constexpr double kZExtent = 65535.0 / 1024.0;
inline constexpr double kBaseZ = 100.0;
inline constexpr double kCell = 12.0;
inline constexpr uint16_t kNodes = 86;  // 0 .. 1020 ft on each axis
inline constexpr double kSlopeX = 514.0 / 1024.0 / kCell;
inline constexpr double kSlopeY = 257.0 / 1024.0 / kCell;
inline constexpr double kGridEnd = kCell * (kNodes - 1);  // 1020 ft from the origin

struct Point {
  double x, y, z;  // cloud coordinates
  uint8_t cls = 2;
  uint16_t intensity = 0;  // 16-bit; the 8-bit intensity is its high byte
};

struct Cloud {
  double originX = 1000.0;
  double originY = 2000.0;
  std::string name = "KNOWN TILE";
  float radius = 500.0f;
  uint32_t epsg = 2240;
  uint16_t nodesX = kNodes;
  uint16_t nodesY = kNodes;
  std::vector<Point> points;

  // Ground elevation of the plane at cloud (x, y) (meaningful on the grid only).
  double Ground(double x, double y) const { return kBaseZ + kSlopeX * (x - originX) + kSlopeY * (y - originY); }

  // Adds a point at the lattice offset (i/64, j/64) ft from the origin, `above` ft over
  // the ground (rounded to the 1/1024 ft elevation step).
  Point& AddAt(double dx, double dy, double above = 0.0, uint8_t cls = 2, uint16_t intensity = 0) {
    double x = originX + dx, y = originY + dy;
    double z = std::round((Ground(x, y) + above) * 1024.0) / 1024.0;
    points.push_back({x, y, z, cls, intensity});
    return points.back();
  }

  // The file: the points, two hidden class-1 anchors at opposite corners that fix the
  // square and the elevation span, and the ground plane.
  std::vector<uint8_t> Bytes() const {
    std::vector<double> x, y, z;
    std::vector<uint8_t> cls;
    std::vector<uint16_t> intensity;
    auto add = [&](double px, double py, double pz, uint8_t c, uint16_t i) {
      x.push_back(px), y.push_back(py), z.push_back(pz), cls.push_back(c), intensity.push_back(i);
    };
    add(originX, originY, kBaseZ, 1, 0);
    add(originX + kExtent, originY + kExtent, kBaseZ + kZExtent, 1, 0);
    for (const Point& p : points) add(p.x, p.y, p.z, p.cls, p.intensity);
    std::vector<float> ground(size_t{nodesX} * nodesY);
    for (int j = 0; j < nodesY; ++j)
      for (int i = 0; i < nodesX; ++i)
        ground[size_t(j) * nodesX + i] = static_cast<float>(kBaseZ + (514.0 * i + 257.0 * j) / 1024.0);
    return BuildCloudFile(x, y, z, cls, intensity, ground, nodesX, nodesY, static_cast<float>(kCell), originX, originY,
                          name, originX + kExtent / 2, originY + kExtent / 2, radius, epsg);
  }
};

// printf-style formatting in the C locale, as the command line prints. The value must not
// lie so near a rounding boundary that the file's storage error could change the text.
inline std::string Format(const char* format, double value) {
  auto text = [format](double v) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, format, v);
    return std::string(buffer);
  };
  EXPECT_EQ(text(value - 1e-5), text(value + 1e-5)) << "expected value " << value << " is too near a rounding step";
  return text(value);
}

}  // namespace terrain
