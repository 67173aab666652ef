// Cloud files and entities for display tests: crafted clouds on a chunk grid whose points
// are easy to decode by hand, and entities (not in a drawing) that name them.
#pragma once
#include <functional>
#include <memory>
#include <string>

#include <unistd.h>

#include <gtest/gtest.h>

#include "entity/Pelvar.h"
#include "tests/module/cloudfile/CraftedCloud.h"
#include "tools/samplegen/SampleCloud.h"

namespace fixtures {

// Cloud coordinates of a code, computed here independently of the module's decoder.
inline double Decode(uint16_t code, double size, double origin) { return code / 65535.0 * size + origin; }

// A grid cloud: chunksX x chunksY chunks over a 400 x 400 square at (1000, 2000, 50),
// 100 high, with perChunk points in each chunk, table order, inside the chunk's cell.
// pointClass(chunk, k) gives the class of point k of a chunk.
inline crafted::Cloud GridCloud(uint16_t chunks, uint32_t perChunk,
                                const std::function<uint8_t(uint32_t chunk, uint32_t k)>& pointClass) {
  crafted::Cloud cloud;
  cloud.originX = 1000, cloud.originY = 2000, cloud.originZ = 50;
  cloud.sizeX = 400, cloud.sizeY = 400, cloud.sizeZ = 100;
  cloud.chunksX = chunks, cloud.chunksY = chunks;
  std::vector<std::pair<uint32_t, uint32_t>> table;
  const uint32_t cellCodes = 65535u / chunks;
  for (uint32_t row = 0; row < chunks; ++row) {
    for (uint32_t col = 0; col < chunks; ++col) {
      uint32_t chunk = row * chunks + col;
      table.emplace_back(static_cast<uint32_t>(cloud.points.size()), perChunk);
      for (uint32_t k = 0; k < perChunk; ++k) {
        auto qx = static_cast<uint16_t>(col * cellCodes + 1 + (k * 7) % (cellCodes - 2));
        auto qy = static_cast<uint16_t>(row * cellCodes + 1 + (k * 13) % (cellCodes - 2));
        auto qz = static_cast<uint16_t>((k * 997) % 65536);
        cloud.points.push_back({qx, qy, qz, pointClass(chunk, k), static_cast<uint16_t>(k * 31)});
      }
    }
  }
  cloud.chunks = table;
  return cloud;
}

inline uint8_t AllGround(uint32_t, uint32_t) { return 2; }

// A generated sample cloud in the test folder, one file per process (test runners may run
// tests in parallel processes); the path, or empty when it cannot be written.
inline std::string WriteSampleCloudFile(const std::string& stem, uint32_t pointCount, uint64_t seed) {
  SampleCloudRequest request;
  request.pointCount = pointCount;
  request.seed = seed;
  const std::string path = testing::TempDir() + stem + "_" + std::to_string(::getpid()) + ".kmt";
  return WriteSampleCloud(request, path, false) ? path : std::string();
}

// A new entity (outside any drawing, so open for write) naming the file.
inline std::unique_ptr<Pelvar> EntityFor(const std::wstring& path) {
  auto entity = std::make_unique<Pelvar>();
  entity->setCloudPath(path);
  return entity;
}

inline std::unique_ptr<Pelvar> EntityForCloud(const crafted::Cloud& cloud, const std::string& name = "cloud.kmt") {
  return EntityFor(crafted::WriteTestFile(name, cloud.Bytes()));
}

}  // namespace fixtures
