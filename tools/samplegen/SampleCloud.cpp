// Points of a sample tile: uniform over the square like an airborne scan, each classed and
// placed by the land under it.
#include <algorithm>
#include <cmath>

#include "tools/samplegen/SampleCloud.h"
#include "tools/samplegen/SampleScene.h"

namespace samplegen {
namespace {

// LAS classes the generator produces.
enum LasClass : uint8_t {
  kUnclassified = 1,
  kGround = 2,
  kLowVegetation = 3,
  kMediumVegetation = 4,
  kHighVegetation = 5,
  kBuilding = 6,
  kNoise = 7,
  kWater = 9,
  kBridgeDeck = 17,
};

constexpr double kNoiseShare = 0.004;  // returns below ground, as from multipath

struct Return {
  double z;
  uint8_t cls;
};

// Mean and spread of the 16-bit intensity of each class: bright roofs and decks, dark water.
uint16_t IntensityOf(uint8_t cls, SampleRandom& random) {
  double mean = 18000, spread = 8000;
  switch (cls) {
    case kGround: mean = 22000, spread = 5000; break;
    case kLowVegetation: mean = 15000, spread = 4000; break;
    case kMediumVegetation: mean = 11000, spread = 4000; break;
    case kHighVegetation: mean = 8000, spread = 4000; break;
    case kBuilding: mean = 30000, spread = 7000; break;
    case kNoise: mean = 1500, spread = 1500; break;
    case kWater: mean = 2500, spread = 1500; break;
    case kBridgeDeck: mean = 36000, spread = 5000; break;
    default: break;
  }
  return static_cast<uint16_t>(std::clamp(mean + spread * random.Normal(), 0.0, 65535.0));
}

Return WoodsReturn(double ground, float canopy, SampleRandom& random) {
  const double pick = random.Uniform();
  if (pick < 0.25) return {ground + 0.1 * random.Normal(), kGround};
  if (pick < 0.37) return {ground + random.Uniform(0.5, 3.0), kLowVegetation};
  if (pick < 0.55) return {ground + random.Uniform(3.0, 15.0), kMediumVegetation};
  return {ground + canopy * random.Uniform(0.45, 1.0), kHighVegetation};
}

Return OpenReturn(double ground, SampleRandom& random) {
  const double pick = random.Uniform();
  if (pick < 0.88) return {ground + 0.1 * random.Normal(), kGround};
  if (pick < 0.92) return {ground + random.Uniform(0.3, 3.0), kLowVegetation};
  if (pick < 0.94) return {ground + random.Uniform(3.0, 15.0), kMediumVegetation};
  if (pick < 0.95) return {ground + random.Uniform(15.0, 45.0), kHighVegetation};
  return {ground + random.Uniform(0.5, 8.0), kUnclassified};  // cars, fences, wires
}

Return ReturnAt(const SampleScene& scene, double x, double y, SampleRandom& random) {
  const double ground = scene.terrain.HeightAt(x, y);
  if (random.Uniform() < kNoiseShare) return {ground - random.Uniform(3.0, 60.0), kNoise};
  const size_t cell = scene.MapIndex(x, y);
  switch (scene.land[cell]) {
    case Land::Water: return {scene.waterLevel + 0.05 * random.Normal(), kWater};
    case Land::Bridge:
      if (scene.bridge.Contains(x, y)) return {scene.bridge.DeckZ(y) + 0.05 * random.Normal(), kBridgeDeck};
      break;
    case Land::Building: {
      const Building& b = scene.buildings[scene.feature[cell]];
      if (b.Contains(x, y)) return {b.RoofZ(x, y) + 0.05 * random.Normal(), kBuilding};
      break;
    }
    case Land::Woods: return WoodsReturn(ground, scene.canopyHeights[scene.feature[cell]], random);
    case Land::Open: break;
  }
  return OpenReturn(ground, random);
}

}  // namespace
}  // namespace samplegen

SampleCloud GenerateSampleCloud(const SampleCloudRequest& request) {
  using namespace samplegen;
  SampleRandom random(request.seed);
  const SampleScene scene = MakeSampleScene(request, random);
  SampleCloud cloud;
  const size_t n = request.pointCount;
  cloud.x.resize(n);
  cloud.y.resize(n);
  cloud.z.resize(n);
  cloud.cls.resize(n);
  cloud.intensity.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const double x = scene.minX + random.Uniform() * scene.side;
    const double y = scene.minY + random.Uniform() * scene.side;
    const Return r = ReturnAt(scene, x, y, random);
    cloud.x[i] = x;
    cloud.y[i] = y;
    cloud.z[i] = r.z;
    cloud.cls[i] = r.cls;
    cloud.intensity[i] = IntensityOf(r.cls, random);
  }
  const TerrainGrid& grid = scene.terrain;
  cloud.ground = grid.heights;
  cloud.groundNx = static_cast<uint16_t>(grid.nx);
  cloud.groundNy = static_cast<uint16_t>(grid.ny);
  cloud.groundCell = static_cast<float>(grid.cell);
  cloud.groundOriginX = grid.originX;
  cloud.groundOriginY = grid.originY;
  return cloud;
}
