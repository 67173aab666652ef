// A generated Entwine Point Tile dataset whose every point is known: a scene of points in
// Web Mercator metres, shared out over an octree, written as ept.json, JSON hierarchy pages
// (with sub-pages) and LAZ tiles of point formats 1, 3 and 6 with LAS 1.2 and 1.4 headers.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "retrieval/EptTypes.h"

namespace eptgen {

struct ScenePoint {
  double x = 0, y = 0, z = 0;  // EPSG:3857 metres; exact decoded values once planned
  std::uint8_t cls = 1;
  std::uint16_t intensity = 0;
  bool withheld = false;  // sets the withheld flag beside the class (formats 0 to 5)
  int depth = -1;         // the octree depth to store the point at; -1: wherever it fits
};

// How one tile is written.
struct TileFormat {
  std::uint8_t pointFormat = 1;
  std::uint8_t versionMinor = 2;  // LAS 1.2 or 1.4
  std::uint16_t extraBytes = 0;   // described by an extra-bytes record
};

struct DatasetOptions {
  double originX = 0, originY = 0, minZ = 0;  // the cube's lower corner
  double edge = 4096;                          // the cube's edge
  int capacity = 500;                          // points a node holds before its children take more
  int maxDepth = 10;
  int pageStep = 2;  // nodes at multiples of this depth with children get a page of their own
  double scale = 0.01;
  std::string srs = R"({"authority": "EPSG", "horizontal": "3857", "vertical": "5703"})";
};

struct PlannedNode {
  EptNodeKey key;
  TileFormat format;
  std::vector<ScenePoint> points;
};

struct PlannedDataset {
  DatasetOptions options;
  double offsetX = 0, offsetY = 0, offsetZ = 0;
  std::vector<PlannedNode> nodes;  // in key order
  std::vector<ScenePoint> points;  // every point once, with the values a decoder returns
};

// Rolling terrain with every class the module names, `count` points in a square of
// `size` metres centred on (centreX, centreY), from a seeded generator.
std::vector<ScenePoint> MakeScene(std::uint32_t seed, double centreX, double centreY, double size, size_t count);

// The scene of MakeScene centred on a place (degrees), planned over a cube around it with
// the given node capacity.
PlannedDataset SceneDataset(std::uint32_t seed, double lon, double lat, double size, size_t count, int capacity);

// Options for a cube around the scene.
DatasetOptions OptionsAround(const std::vector<ScenePoint>& scene);

// Shares the points out over the octree, quantizes them to the tiles' integer grid and
// picks each tile's format (formats 1, 3 and 6 in turn, with and without extra bytes).
PlannedDataset PlanDataset(std::vector<ScenePoint> scene, const DatasetOptions& options);

// One LAZ tile holding the points, quantized with the scale and offsets.
ByteBuffer EncodeLazTile(const std::vector<ScenePoint>& points, const TileFormat& format, double scale,
                         double offsetX, double offsetY, double offsetZ);

// Writes ept.json, ept-hierarchy/*.json and ept-data/*.laz below the folder, each file whole.
bool WriteDataset(const PlannedDataset& dataset, const std::string& folder, std::string& error);

// The hierarchy pages of the dataset: relative path to text.
std::vector<std::pair<std::string, std::string>> HierarchyPages(const PlannedDataset& dataset);
std::string MetadataJson(const PlannedDataset& dataset);

}  // namespace eptgen
