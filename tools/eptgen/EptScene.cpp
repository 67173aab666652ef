// The generated scene: rolling ground with a river, a bridge over it, buildings and woods.
#include <cmath>
#include <random>

#include "tools/eptgen/EptDataset.h"

namespace eptgen {

namespace {

constexpr double kBaseHeight = 180.0;

double Ground(double u, double v) { return kBaseHeight + 12.0 * std::sin(u * 0.004) * std::cos(v * 0.003) + 0.01 * u; }

// The class and height above ground of a point at (u, v) metres from the scene's corner.
void Classify(double u, double v, double size, std::mt19937& rng, std::uint8_t& cls, double& above) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  double river = std::fabs(v - size * 0.5 - 40.0 * std::sin(u * 0.01));
  double roll = unit(rng);
  above = 0;
  if (river < 25.0) {
    bool bridge = std::fabs(u - size * 0.3) < 6.0;
    cls = bridge ? 17 : 9;
    above = bridge ? 8.0 : -2.0;
  } else if (std::fmod(std::floor(u / 60.0) + std::floor(v / 60.0), 5.0) == 0.0 && std::fmod(u, 60.0) < 30.0) {
    cls = 6;
    above = 9.0;
  } else if (roll < 0.5) {
    cls = roll < 0.02 ? 20 : 2;
  } else if (roll < 0.85) {
    cls = static_cast<std::uint8_t>(3 + static_cast<int>((roll - 0.5) / 0.35 * 3.0));
    above = (cls - 2) * 4.0 * unit(rng);
  } else if (roll < 0.98) {
    cls = 1;
    above = unit(rng);
  } else {
    cls = 7;
    above = 40.0 * unit(rng);
  }
}

}  // namespace

std::vector<ScenePoint> MakeScene(std::uint32_t seed, double centreX, double centreY, double size, size_t count) {
  std::mt19937 rng(seed);
  std::uniform_real_distribution<double> across(0.0, size);
  std::uniform_int_distribution<int> intensity(0, 4000);
  std::bernoulli_distribution withheld(0.03);
  std::vector<ScenePoint> scene;
  scene.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    ScenePoint p;
    double u = across(rng), v = across(rng);
    double above = 0;
    Classify(u, v, size, rng, p.cls, above);
    p.x = centreX - size / 2 + u;
    p.y = centreY - size / 2 + v;
    p.z = Ground(u, v) + above;
    p.intensity = static_cast<std::uint16_t>(intensity(rng));
    p.withheld = withheld(rng);
    scene.push_back(p);
  }
  return scene;
}

}  // namespace eptgen
