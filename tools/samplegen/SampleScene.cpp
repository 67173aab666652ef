#include "tools/samplegen/SampleScene.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace samplegen {
namespace {

constexpr int kMapCells = 256;           // land map cells per side
constexpr int kMaxGroundNodes = 4096;    // per axis, the reader's limit
constexpr double kBaseElevation = 820.0;  // Georgia West piedmont, feet
constexpr double kRiverHalfWidth = 0.03;  // fraction of the side
constexpr double kBankWidth = 4.0;        // banks reach this many half-widths from the centre line
constexpr double kRiverBedDepth = 4.0;
constexpr double kTwoPi = 2.0 * std::numbers::pi;

double SmoothStep(double t) {
  t = std::clamp(t, 0.0, 1.0);
  return t * t * (3.0 - 2.0 * t);
}

struct Hill {
  double u, v, radius, height;
};

// Rolling terrain before the river is cut in, over unit coordinates (u, v) of the tile.
struct Landform {
  double phaseA, phaseB, phaseRiver;
  std::vector<Hill> hills;

  double Height(double u, double v) const {
    double h = kBaseElevation + 18.0 * std::sin(kTwoPi * (0.7 * u + phaseA)) * std::cos(kTwoPi * 0.5 * v) +
               9.0 * std::sin(kTwoPi * (1.3 * u + 1.1 * v + phaseB));
    for (const Hill& hill : hills) {
      double du = u - hill.u, dv = v - hill.v;
      h += hill.height * std::exp(-(du * du + dv * dv) / (hill.radius * hill.radius));
    }
    return h;
  }
  double RiverCentreV(double u) const { return 0.35 + 0.08 * std::sin(kTwoPi * (1.2 * u + phaseRiver)); }
  // Distance from the river's centre line, as a fraction of the side (measured along v).
  double RiverDistance(double u, double v) const { return std::abs(v - RiverCentreV(u)); }
};

Landform MakeLandform(SampleRandom& random) {
  Landform form{random.Uniform(), random.Uniform(), random.Uniform(), {}};
  for (int i = 0; i < 6; ++i)
    form.hills.push_back({random.Uniform(), random.Uniform(), random.Uniform(0.08, 0.3), random.Uniform(-12.0, 35.0)});
  return form;
}

double CarveRiver(const Landform& form, double u, double v, double waterLevel) {
  double d = form.RiverDistance(u, v);
  if (d < kRiverHalfWidth) return waterLevel - kRiverBedDepth;
  double bank = SmoothStep((d - kRiverHalfWidth) / ((kBankWidth - 1.0) * kRiverHalfWidth));
  return waterLevel + 0.5 + (form.Height(u, v) - waterLevel - 0.5) * bank;
}

TerrainGrid MakeTerrain(const SampleCloudRequest& request, double minX, double minY, const Landform& form,
                        double* waterLevel) {
  TerrainGrid grid;
  grid.originX = minX;
  grid.originY = minY;
  grid.cell = request.groundCell > 0 ? request.groundCell : 10.0;
  int nodes = static_cast<int>(std::floor(request.side / grid.cell + 1e-9)) + 1;
  if (nodes > kMaxGroundNodes) {
    nodes = kMaxGroundNodes;
    grid.cell = request.side / (kMaxGroundNodes - 1);
  }
  grid.nx = grid.ny = std::max(nodes, 2);
  double lowest = 1e300;
  for (int j = 0; j < grid.ny; ++j)
    for (int i = 0; i < grid.nx; ++i)
      lowest = std::min(lowest, form.Height(i * grid.cell / request.side, j * grid.cell / request.side));
  *waterLevel = std::floor(lowest) - 8.0;
  grid.heights.resize(size_t(grid.nx) * grid.ny);
  for (int j = 0; j < grid.ny; ++j)
    for (int i = 0; i < grid.nx; ++i)
      grid.heights[size_t(j) * grid.nx + i] =
          static_cast<float>(CarveRiver(form, i * grid.cell / request.side, j * grid.cell / request.side, *waterLevel));
  return grid;
}

Bridge MakeBridge(const SampleScene& scene, const Landform& form, SampleRandom& random) {
  const double u = random.Uniform(0.3, 0.7);
  const double centreV = form.RiverCentreV(u);
  const double reach = (kBankWidth + 1.0) * kRiverHalfWidth;
  Bridge b{};
  b.minX = scene.minX + u * scene.side - 18.0;
  b.maxX = b.minX + 36.0;
  b.minY = scene.minY + std::max(0.0, centreV - reach) * scene.side;
  b.maxY = scene.minY + std::min(1.0, centreV + reach) * scene.side;
  const double x = (b.minX + b.maxX) / 2;
  b.startZ = std::max(scene.terrain.HeightAt(x, b.minY) + 1.5, scene.waterLevel + 18.0);
  b.endZ = std::max(scene.terrain.HeightAt(x, b.maxY) + 1.5, scene.waterLevel + 18.0);
  return b;
}

Building MakeBuilding(const SampleScene& scene, double x, double y, SampleRandom& random) {
  const double w = random.Uniform(30.0, 90.0), d = random.Uniform(30.0, 70.0);
  Building b{};
  b.minX = x - w / 2;
  b.maxX = x + w / 2;
  b.minY = y - d / 2;
  b.maxY = y + d / 2;
  b.eaveZ = scene.terrain.HeightAt(x, y) + random.Uniform(10.0, 35.0);
  b.pitch = random.Uniform() < 0.4 ? 0.0 : random.Uniform(0.25, 0.6);
  b.ridgeAlongX = w >= d;
  return b;
}

// Marks the map cells whose centres pass `inside` with `kind`, leaving water and bridge alone.
template <class Inside>
void Stamp(SampleScene& scene, Land kind, uint16_t feature, double minX, double minY, double maxX, double maxY,
           Inside inside) {
  const double cell = scene.side / scene.mapCells;
  const int last = scene.mapCells - 1;
  const int i0 = std::max(0, int((minX - scene.minX) / cell)), i1 = std::min(last, int((maxX - scene.minX) / cell));
  const int j0 = std::max(0, int((minY - scene.minY) / cell)), j1 = std::min(last, int((maxY - scene.minY) / cell));
  for (int j = j0; j <= j1; ++j) {
    for (int i = i0; i <= i1; ++i) {
      const size_t at = size_t(j) * scene.mapCells + i;
      if (scene.land[at] == Land::Water || scene.land[at] == Land::Bridge) continue;
      if (!inside(scene.minX + (i + 0.5) * cell, scene.minY + (j + 0.5) * cell)) continue;
      scene.land[at] = kind;
      scene.feature[at] = feature;
    }
  }
}

void MapWater(SampleScene& scene, const Landform& form) {
  const double cell = 1.0 / scene.mapCells;
  for (int j = 0; j < scene.mapCells; ++j)
    for (int i = 0; i < scene.mapCells; ++i)
      if (form.RiverDistance((i + 0.5) * cell, (j + 0.5) * cell) < kRiverHalfWidth)
        scene.land[size_t(j) * scene.mapCells + i] = Land::Water;
  const Bridge& b = scene.bridge;
  const double mapCell = scene.side / scene.mapCells;
  for (int j = 0; j < scene.mapCells; ++j)
    for (int i = 0; i < scene.mapCells; ++i)
      if (b.Contains(scene.minX + (i + 0.5) * mapCell, scene.minY + (j + 0.5) * mapCell))
        scene.land[size_t(j) * scene.mapCells + i] = Land::Bridge;
}

void PlaceWoods(SampleScene& scene, SampleRandom& random) {
  const int patches = std::clamp(int(scene.side * scene.side / 250'000.0), 3, 200);
  for (int p = 0; p < patches; ++p) {
    const double cx = scene.minX + random.Uniform() * scene.side, cy = scene.minY + random.Uniform() * scene.side;
    const double r = random.Uniform(0.04, 0.12) * scene.side;
    scene.canopyHeights.push_back(static_cast<float>(random.Uniform(40.0, 75.0)));
    Stamp(scene, Land::Woods, uint16_t(p), cx - r, cy - r, cx + r, cy + r, [&](double x, double y) {
      return (x - cx) * (x - cx) + (y - cy) * (y - cy) < r * r;
    });
  }
}

// A building goes only where its corners and centre are open ground.
bool IsOpenGround(const SampleScene& scene, const Building& b) {
  const double xs[] = {b.minX, b.maxX, (b.minX + b.maxX) / 2}, ys[] = {b.minY, b.maxY, (b.minY + b.maxY) / 2};
  for (double x : xs)
    for (double y : ys)
      if (scene.land[scene.MapIndex(x, y)] != Land::Open) return false;
  return true;
}

void PlaceBuildings(SampleScene& scene, const Landform& form, SampleRandom& random) {
  const int wanted = std::clamp(int(scene.side * scene.side / 40'000.0), 4, 2000);
  for (int attempt = 0; attempt < wanted * 4 && int(scene.buildings.size()) < wanted; ++attempt) {
    const double u = random.Uniform(0.05, 0.95), v = random.Uniform(0.05, 0.95);
    if (form.RiverDistance(u, v) < 2.5 * kBankWidth * kRiverHalfWidth) continue;
    const double x = scene.minX + u * scene.side, y = scene.minY + v * scene.side;
    Building b = MakeBuilding(scene, x, y, random);
    if (!IsOpenGround(scene, b)) continue;
    const uint16_t index = static_cast<uint16_t>(scene.buildings.size());
    scene.buildings.push_back(b);
    // A cell belongs to the building when any part of it may hold the roof; points test the footprint.
    const double half = scene.side / scene.mapCells / 2;
    Stamp(scene, Land::Building, index, b.minX - half, b.minY - half, b.maxX + half, b.maxY + half,
          [&](double cx, double cy) {
            return cx + half > b.minX && cx - half < b.maxX && cy + half > b.minY && cy - half < b.maxY;
          });
  }
}

}  // namespace

double TerrainGrid::HeightAt(double x, double y) const {
  const double fx = std::clamp((x - originX) / cell, 0.0, nx - 1.000001);
  const double fy = std::clamp((y - originY) / cell, 0.0, ny - 1.000001);
  const int i = static_cast<int>(fx), j = static_cast<int>(fy);
  const double tx = fx - i, ty = fy - j;
  const float* row = heights.data() + size_t(j) * nx + i;
  const double bottom = row[0] + (row[1] - row[0]) * tx;
  const double top = row[nx] + (row[nx + 1] - row[nx]) * tx;
  return bottom + (top - bottom) * ty;
}

double Building::RoofZ(double x, double y) const {
  if (pitch == 0.0) return eaveZ;
  const double fromEave = ridgeAlongX ? std::min(y - minY, maxY - y) : std::min(x - minX, maxX - x);
  return eaveZ + pitch * fromEave;
}

size_t SampleScene::MapIndex(double x, double y) const {
  const int i = std::clamp(int((x - minX) / side * mapCells), 0, mapCells - 1);
  const int j = std::clamp(int((y - minY) / side * mapCells), 0, mapCells - 1);
  return size_t(j) * mapCells + i;
}

SampleScene MakeSampleScene(const SampleCloudRequest& request, SampleRandom& random) {
  SampleScene scene;
  scene.side = request.side > 0 ? request.side : 1.0;
  scene.minX = request.centreX - scene.side / 2;
  scene.minY = request.centreY - scene.side / 2;
  const Landform form = MakeLandform(random);
  scene.terrain = MakeTerrain(request, scene.minX, scene.minY, form, &scene.waterLevel);
  scene.bridge = MakeBridge(scene, form, random);
  scene.mapCells = kMapCells;
  scene.land.assign(size_t(kMapCells) * kMapCells, Land::Open);
  scene.feature.assign(scene.land.size(), 0);
  MapWater(scene, form);
  PlaceWoods(scene, random);
  PlaceBuildings(scene, form, random);
  return scene;
}

}  // namespace samplegen
