// Cloud files assembled byte by byte for reader tests, with any header value (including
// faulty ones), independent of the module's own header code.
#pragma once
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "wcrt.h"
#include "wideutf8.h"

namespace crafted {

struct Point {
  uint16_t qx, qy, qz;
  uint8_t cls;
  uint16_t intensity;  // 8-bit value in a KMQ1 file, 16-bit in KMQ2
};

struct Cloud {
  std::string magic = "KMQ2";  // KMQ1 lays points out as records, anything else as planes
  uint16_t version = 2;
  uint16_t headerSize = 128;
  double originX = 2229000.25, originY = 1369000.5, originZ = 790.125;
  float sizeX = 2000.0f, sizeY = 1500.0f, sizeZ = 120.0f;
  std::optional<uint32_t> pointCount;  // default: points.size()
  uint16_t chunksX = 1, chunksY = 1;
  uint16_t groundNx = 0, groundNy = 0;
  float groundCell = 10.0f;
  double groundOriginX = 2229000.0, groundOriginY = 1369000.0;
  float groundZBase = 780.0f, groundZSpan = 60.0f;
  uint32_t epsg = 2240;
  std::string tileName = "crafted";
  double centerX = 2230000.0, centerY = 1369750.0;
  float halfSize = 1000.0f;
  // Chunk entries (first, count); default: all points in entry 0, the other entries empty.
  std::optional<std::vector<std::pair<uint32_t, uint32_t>>> chunks;
  std::vector<uint16_t> ground;
  std::vector<Point> points;
  uint8_t extensionFill = 0xEE;  // bytes of a header extension
  std::vector<uint8_t> trailer;  // bytes after the point data

  uint32_t Count() const { return pointCount.value_or(static_cast<uint32_t>(points.size())); }

  std::vector<uint8_t> Bytes() const {
    std::vector<uint8_t> b(128, 0);
    std::memcpy(b.data(), magic.data(), std::min<size_t>(4, magic.size()));
    Put(b, 4, version);
    Put(b, 6, headerSize);
    Put(b, 8, originX), Put(b, 16, originY), Put(b, 24, originZ);
    Put(b, 32, sizeX), Put(b, 36, sizeY), Put(b, 40, sizeZ);
    Put(b, 44, Count());
    Put(b, 48, chunksX), Put(b, 50, chunksY), Put(b, 52, groundNx), Put(b, 54, groundNy);
    Put(b, 56, groundCell), Put(b, 60, groundOriginX), Put(b, 68, groundOriginY);
    Put(b, 76, groundZBase), Put(b, 80, groundZSpan), Put(b, 84, epsg);
    std::memcpy(b.data() + 88, tileName.data(), std::min<size_t>(16, tileName.size()));
    Put(b, 104, centerX), Put(b, 112, centerY), Put(b, 120, halfSize);
    Put(b, 124, uint32_t{0xDEADBEEF});  // reserved bytes are ignored
    if (headerSize > 128) b.resize(headerSize, extensionFill);
    for (auto [first, count] : ChunkEntries()) Append(b, first), Append(b, count);
    for (uint16_t code : ground) Append(b, code);
    AppendPoints(b);
    b.insert(b.end(), trailer.begin(), trailer.end());
    return b;
  }

 private:
  template <class T>
  static void Put(std::vector<uint8_t>& b, size_t at, T value) {
    std::memcpy(b.data() + at, &value, sizeof value);
  }
  template <class T>
  static void Append(std::vector<uint8_t>& b, T value) {
    b.resize(b.size() + sizeof value);
    Put(b, b.size() - sizeof value, value);
  }

  std::vector<std::pair<uint32_t, uint32_t>> ChunkEntries() const {
    if (chunks) return *chunks;
    std::vector<std::pair<uint32_t, uint32_t>> entries(size_t{chunksX} * chunksY, {Count(), 0});
    if (!entries.empty()) entries[0] = {0, Count()};
    return entries;
  }

  void AppendPoints(std::vector<uint8_t>& b) const {
    if (magic == "KMQ1") {
      for (const Point& p : points) {
        Append(b, p.qx), Append(b, p.qy), Append(b, p.qz), Append(b, p.cls);
        Append(b, static_cast<uint8_t>(p.intensity));
      }
      return;
    }
    for (const Point& p : points) Append(b, p.qx);
    for (const Point& p : points) Append(b, p.qy);
    for (const Point& p : points) Append(b, p.qz);
    for (const Point& p : points) Append(b, p.cls);
    for (const Point& p : points) Append(b, p.intensity);
  }
};

// A folder of its own below the test temporary folder, for files of one test.
inline std::string TestFolder() {
  const auto* info = testing::UnitTest::GetInstance()->current_test_info();
  std::string folder = testing::TempDir() + "pelvar_cloudfile_" + info->test_suite_name() + "_" + info->name();
  std::filesystem::create_directories(folder);
  return folder;
}

inline void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = std::fopen(path.c_str(), "wb");
  ASSERT_NE(file, nullptr) << path;
  if (!bytes.empty()) {
    EXPECT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), file), bytes.size());
  }
  ASSERT_EQ(std::fclose(file), 0);
}

// Writes the bytes to a new file in the test's folder and returns its wide path.
inline std::wstring WriteTestFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  std::string path = TestFolder() + "/" + name;
  WriteFile(path, bytes);
  return pelvarhost::Utf8ToWide(path);
}

// `count` points with distinct codes and intensities, in a pattern easy to check.
inline std::vector<Point> NumberedPoints(size_t count, uint16_t intensityStep = 1) {
  std::vector<Point> points;
  for (size_t i = 0; i < count; ++i) {
    auto k = static_cast<uint16_t>(i);
    points.push_back({static_cast<uint16_t>(k * 3), static_cast<uint16_t>(k * 5 + 1), static_cast<uint16_t>(65535 - k),
                      static_cast<uint8_t>(i % 20), static_cast<uint16_t>(k * intensityStep)});
  }
  return points;
}

}  // namespace crafted
