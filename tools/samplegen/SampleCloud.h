// Realistic synthetic cloud tiles for tests, benchmarks and demonstrations: rolling terrain
// with a river, a bridge, buildings with flat and pitched roofs, woods and open ground.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// What to generate. The tile is the square of side `side` around (centreX, centreY), in the
// zone's unit (US survey feet for the default Georgia West zone, EPSG 2240).
struct SampleCloudRequest {
  uint32_t pointCount = 100'000;
  uint64_t seed = 1;
  uint32_t epsg = 2240;
  double centreX = 2'230'000.0;
  double centreY = 1'370'000.0;
  double side = 2000.0;
  std::string tileName = "GA West sample";
  float groundCell = 10.0f;  // spacing of the ground grid nodes
};

// Point columns and the ground grid, in the form the cloud writer takes them.
struct SampleCloud {
  std::vector<double> x, y, z;
  std::vector<uint8_t> cls;
  std::vector<uint16_t> intensity;
  std::vector<float> ground;  // groundNx * groundNy heights, row by row
  uint16_t groundNx = 0, groundNy = 0;
  float groundCell = 0;
  double groundOriginX = 0, groundOriginY = 0;
};

// The same request (seed included) always gives the same cloud.
SampleCloud GenerateSampleCloud(const SampleCloudRequest& request);

// Complete cloud files: KMQ2 through the system's writer, KMQ1 converted from that image
// (same chunks, ground grid and point order; intensities reduced to 8 bits).
std::vector<uint8_t> BuildSampleKmq2(const SampleCloudRequest& request);
std::vector<uint8_t> BuildSampleKmq2(const SampleCloudRequest& request, const SampleCloud& cloud);
std::vector<uint8_t> BuildSampleKmq1(const SampleCloudRequest& request);
std::vector<uint8_t> Kmq2ToKmq1(std::span<const uint8_t> kmq2);

// Writes bytes to a file; false (with the reason in *error when given) if that fails.
bool WriteBytesToFile(const std::string& path, std::span<const uint8_t> bytes, std::string* error = nullptr);

// Generates and writes a sample file; false with the reason in *error when it cannot be written.
bool WriteSampleCloud(const SampleCloudRequest& request, const std::string& path, bool kmq1, std::string* error = nullptr);
