// The layout of a synthetic tile: terrain heights, a river with a bridge, buildings and woods.
// Private to the sample generator.
#pragma once
#include <cstdint>
#include <random>
#include <vector>

#include "tools/samplegen/SampleCloud.h"

namespace samplegen {

// Draws from one seeded engine, so a seed fixes the scene and every point.
class SampleRandom {
 public:
  explicit SampleRandom(uint64_t seed) : engine_(seed) {}
  double Uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }  // [0, 1)
  double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
  // Roughly normal with mean 0 and deviation 1 (sum of four uniforms).
  double Normal() { return (Uniform() + Uniform() + Uniform() + Uniform() - 2.0) * 1.7320508075688772; }

 private:
  std::mt19937_64 engine_;
};

// Heights on the nodes of the ground grid, interpolated between them.
struct TerrainGrid {
  double originX = 0, originY = 0;
  double cell = 1;
  int nx = 0, ny = 0;
  std::vector<float> heights;  // row by row from the origin
  double HeightAt(double x, double y) const;
};

struct Building {
  double minX, minY, maxX, maxY;
  double eaveZ;       // elevation of the flat roof or of the eaves of a pitched one
  double pitch;       // rise per unit run of a pitched roof; 0 for a flat roof
  bool ridgeAlongX;   // a pitched roof's ridge runs along the longer side
  bool Contains(double x, double y) const { return x >= minX && x < maxX && y >= minY && y < maxY; }
  double RoofZ(double x, double y) const;
};

// A straight deck across the river, running along Y.
struct Bridge {
  double minX, maxX, minY, maxY;
  double startZ, endZ;  // deck elevation at minY and at maxY
  bool Contains(double x, double y) const { return x >= minX && x < maxX && y >= minY && y < maxY; }
  double DeckZ(double y) const { return startZ + (endZ - startZ) * (y - minY) / (maxY - minY); }
};

enum class Land : uint8_t { Open, Woods, Building, Water, Bridge };

struct SampleScene {
  double minX = 0, minY = 0, side = 1;
  TerrainGrid terrain;
  double waterLevel = 0;
  Bridge bridge{};
  std::vector<Building> buildings;
  std::vector<float> canopyHeights;  // one per patch of woods
  // A coarse land map over the tile; `feature` is the building or woods patch of a cell.
  int mapCells = 0;
  std::vector<Land> land;
  std::vector<uint16_t> feature;

  size_t MapIndex(double x, double y) const;
};

SampleScene MakeSampleScene(const SampleCloudRequest& request, SampleRandom& random);

}  // namespace samplegen
