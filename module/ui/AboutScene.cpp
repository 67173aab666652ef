#include "ui/AboutScene.h"

#include <algorithm>
#include <cmath>

namespace {

struct Building {
  double cx, cy, hx, hy, height;
};

constexpr Building kBuildings[] = {
    {-0.55, -0.3, 0.16, 0.12, 0.16}, {0.3, -0.45, 0.2, 0.14, 0.22}, {0.05, 0.1, 0.12, 0.18, 0.18},
    {-0.2, 0.42, 0.18, 0.1, 0.14},   {0.52, 0.25, 0.13, 0.13, 0.2}, {-0.62, 0.18, 0.1, 0.16, 0.12},
    {0.38, -0.05, 0.09, 0.09, 0.26}, {-0.05, -0.6, 0.14, 0.1, 0.15},
};

constexpr double kTurnPerFrame = 0.0042;
constexpr double kScannerPerFrame = 0.011;
constexpr double kScannerPeriod = 3.2;
constexpr double kScannerHalfWidth = 0.05;
constexpr double kTerrainScale = 205.0;
constexpr double kCentreX = 322.5;
constexpr double kDepthSquash = 0.4;
constexpr double kHorizonY = 356.0;
constexpr double kHeightScale = 118.0;

// A value in [0, 1] hashed from a grid position and a salt (integer mixing of the indices).
double PositionHash(int i, int j, uint32_t salt) {
  uint32_t h = static_cast<uint32_t>(i) * 73856093u ^ static_cast<uint32_t>(j) * 19349663u ^ salt * 83492791u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return (h & 0xFFFFFFu) / static_cast<double>(0xFFFFFF);
}

// x mod m in [0, m).
double Wrap(double x, double m) {
  double r = std::fmod(x, m);
  return r < 0 ? r + m : r;
}

}  // namespace

double NextStarRandom(uint32_t& s) {
  s ^= s << 13;
  s ^= s >> 17;
  s ^= s << 5;
  return (s & 0xFFFFFFu) * (1.0 / 16777216.0);
}

std::vector<AboutStar> MakeStars() {
  uint32_t state = kStarSeed;
  std::vector<AboutStar> stars(kStarCount);
  for (AboutStar& star : stars) {
    star.x = static_cast<float>(kAboutWidth * NextStarRandom(state));
    star.y = static_cast<float>(kAboutHeight * NextStarRandom(state));
    star.speed = static_cast<float>(1.1 * NextStarRandom(state) + 0.2);
    star.brightness = static_cast<float>(0.6 * NextStarRandom(state) + 0.4);
    star.twinkleRate = static_cast<float>(0.1 * NextStarRandom(state) + 0.03);
    star.phase = static_cast<float>(6.28 * NextStarRandom(state));
  }
  return stars;
}

std::vector<TerrainPoint> MakeTerrain() {
  std::vector<TerrainPoint> terrain;
  terrain.reserve(kTerrainSide * kTerrainSide);
  for (int i = 0; i < kTerrainSide; ++i) {
    for (int j = 0; j < kTerrainSide; ++j) {
      double gx = 2.0 * j / (kTerrainSide - 1) - 1;
      double gy = 2.0 * i / (kTerrainSide - 1) - 1;
      double r1 = PositionHash(i, j, 1), r2 = PositionHash(i, j, 2);
      double height = 0.1 * std::sin(3.1 * gx + 1.7) + 0.08 * std::cos(2.6 * gy - 0.8) +
                      0.05 * std::sin(5 * gx + 4 * gy) + 0.03 * (r1 - 0.5);
      bool building = false;
      for (const Building& b : kBuildings) {
        if (std::fabs(gx - b.cx) < b.hx && std::fabs(gy - b.cy) < b.hy) {
          building = true;
          height += b.height;
          break;
        }
      }
      terrain.push_back(TerrainPoint{static_cast<float>(gx), static_cast<float>(gy), static_cast<float>(height),
                                     static_cast<float>(r2), building});
    }
  }
  return terrain;
}

StarSpot PlaceStar(const AboutStar& star, int t) {
  StarSpot spot;
  spot.x = Wrap(star.x - 0.45 * t * star.speed, kAboutWidth);
  spot.y = Wrap(star.y + 0.12 * t * star.speed, kAboutHeight);
  double level = (0.45 * std::sin(t * star.twinkleRate + star.phase) + 0.55) * star.brightness * 255;
  spot.alpha = std::clamp(static_cast<int>(level), 0, 255);
  spot.side = star.speed > 0.85f ? 2 : 1;
  return spot;
}

double ScannerPosition(int t) { return Wrap(kScannerPerFrame * t, kScannerPeriod) - kScannerPeriod / 2; }

double ScannerScreenX(double position) { return kTerrainScale * position + kCentreX; }

std::vector<ProjectedPoint> ProjectTerrain(const std::vector<TerrainPoint>& terrain, int t) {
  double theta = kTurnPerFrame * t;
  double c = std::cos(theta), s = std::sin(theta);
  double scanner = ScannerPosition(t);
  std::vector<ProjectedPoint> projected;
  projected.reserve(terrain.size());
  for (const TerrainPoint& p : terrain) {
    double h = p.x * c - p.y * s;
    double d = p.y * c + p.x * s;
    projected.push_back(ProjectedPoint{static_cast<float>(kTerrainScale * h + kCentreX),
                                       static_cast<float>(kDepthSquash * kTerrainScale * d + kHorizonY -
                                                          kHeightScale * p.height),
                                       static_cast<float>(d), p.shade, p.building,
                                       std::fabs(h - scanner) < kScannerHalfWidth});
  }
  std::stable_sort(projected.begin(), projected.end(),
                   [](const ProjectedPoint& a, const ProjectedPoint& b) { return a.depth < b.depth; });
  return projected;
}
