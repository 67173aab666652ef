// The About window's animation as plain data: the star field, the terrain grid and their
// positions at a frame count. Everything follows from the frame count alone.
#pragma once
#include <cstdint>
#include <vector>

inline constexpr int kAboutWidth = 645;
inline constexpr int kAboutHeight = 445;
inline constexpr int kStarCount = 190;
inline constexpr int kTerrainSide = 56;
inline constexpr uint32_t kStarSeed = 42;

struct AboutStar {
  float x, y, speed, brightness, twinkleRate, phase;
};

struct TerrainPoint {
  float x, y, height, shade;
  bool building;
};

struct ProjectedPoint {
  float screenX, screenY, depth, shade;
  bool building;
  bool scannerHit;
};

// Where a star shows at frame t: position wrapped into the window, alpha, square side.
struct StarSpot {
  double x, y;
  int alpha;
  int side;
};

// One step of the star generator (xorshift on 32 bits) and the value in [0, 1) it gives.
double NextStarRandom(uint32_t& state);
std::vector<AboutStar> MakeStars();
std::vector<TerrainPoint> MakeTerrain();
StarSpot PlaceStar(const AboutStar& star, int t);

// The terrain turned by the frame's angle, sorted far to near, with the scanner's hits.
std::vector<ProjectedPoint> ProjectTerrain(const std::vector<TerrainPoint>& terrain, int t);
// The scanner's position at frame t in grid units (drawn only inside -1.05 ... 1.05).
double ScannerPosition(int t);
double ScannerScreenX(double position);
