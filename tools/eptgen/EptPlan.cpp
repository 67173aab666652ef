// Sharing a scene out over the octree, as an EPT builder does: each node keeps up to its
// capacity of the points that reach it, the rest go on to its children.
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "geo/Projections.h"
#include "tools/eptgen/EptDataset.h"

namespace eptgen {

namespace {

// Tiles take these formats in turn.
const TileFormat kFormatCycle[] = {{1, 2, 0}, {3, 2, 4}, {6, 4, 2}, {1, 4, 3}, {6, 4, 0}, {3, 4, 0}};

std::int32_t Cell(double value, double origin, double edge, int depth) {
  double cells = std::ldexp(1.0, depth);
  double at = std::floor((value - origin) / edge * cells);
  return static_cast<std::int32_t>(std::clamp(at, 0.0, cells - 1));
}

EptNodeKey KeyAt(const ScenePoint& p, const DatasetOptions& o, int depth) {
  return {depth, Cell(p.x, o.originX, o.edge, depth), Cell(p.y, o.originY, o.edge, depth),
          Cell(p.z, o.minZ, o.edge, depth)};
}

auto Order(const EptNodeKey& k) { return std::make_tuple(k.d, k.x, k.y, k.z); }
struct KeyLess {
  bool operator()(const EptNodeKey& a, const EptNodeKey& b) const { return Order(a) < Order(b); }
};

double Quantize(double value, double scale, double offset) {
  double steps = std::round((value - offset) / scale);
  return static_cast<double>(static_cast<std::int32_t>(steps)) * scale + offset;
}

}  // namespace

DatasetOptions OptionsAround(const std::vector<ScenePoint>& scene) {
  DatasetOptions options;
  double minX = INFINITY, minY = INFINITY, minZ = INFINITY, maxX = -INFINITY, maxY = -INFINITY, maxZ = -INFINITY;
  for (const ScenePoint& p : scene) {
    minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
    minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    minZ = std::min(minZ, p.z), maxZ = std::max(maxZ, p.z);
  }
  double span = std::max({maxX - minX, maxY - minY, maxZ - minZ, 1.0});
  options.edge = std::exp2(std::ceil(std::log2(span * 1.01)));
  options.originX = std::floor(minX) - 1;
  options.originY = std::floor(minY) - 1;
  options.minZ = std::floor(minZ) - 1;
  return options;
}

PlannedDataset PlanDataset(std::vector<ScenePoint> scene, const DatasetOptions& options) {
  PlannedDataset dataset;
  dataset.options = options;
  double half = options.edge / 2;
  dataset.offsetX = std::round(options.originX + half);
  dataset.offsetY = std::round(options.originY + half);
  dataset.offsetZ = std::round(options.minZ + half);
  std::map<EptNodeKey, std::vector<ScenePoint>, KeyLess> nodes;
  for (ScenePoint& p : scene) {
    p.x = Quantize(p.x, options.scale, dataset.offsetX);
    p.y = Quantize(p.y, options.scale, dataset.offsetY);
    p.z = Quantize(p.z, options.scale, dataset.offsetZ);
    int depth = 0;
    if (p.depth >= 0) {
      depth = std::min(p.depth, options.maxDepth);
    } else {
      while (depth < options.maxDepth && nodes[KeyAt(p, options, depth)].size() >= static_cast<size_t>(options.capacity))
        ++depth;
    }
    nodes[KeyAt(p, options, depth)].push_back(p);
    // A node is only reached through non-empty ancestors: an empty one gets this point too.
    for (int up = depth - 1; up >= 0; --up) {
      std::vector<ScenePoint>& ancestor = nodes[KeyAt(p, options, up)];
      if (ancestor.empty()) ancestor.push_back(p);
    }
  }
  size_t index = 0;
  for (auto& [key, points] : nodes) {
    if (points.empty()) continue;
    PlannedNode node{key, kFormatCycle[index++ % std::size(kFormatCycle)], std::move(points)};
    for (ScenePoint& p : node.points) p.depth = key.d;
    dataset.points.insert(dataset.points.end(), node.points.begin(), node.points.end());
    dataset.nodes.push_back(std::move(node));
  }
  return dataset;
}

PlannedDataset SceneDataset(std::uint32_t seed, double lon, double lat, double size, size_t count, int capacity) {
  double x = 0, y = 0;
  LonLatToWebMercator(lon, lat, x, y);
  std::vector<ScenePoint> scene = MakeScene(seed, x, y, size, count);
  DatasetOptions options = OptionsAround(scene);
  options.capacity = capacity;
  return PlanDataset(std::move(scene), options);
}

}  // namespace eptgen
