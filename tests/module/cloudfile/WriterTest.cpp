// The KMQ2 writer: byte layout, chunking, the in-chunk shuffle, quantisation, labels,
// ground codes, and files read back through the reader.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <map>

#include "CraftedCloud.h"
#include "cloudfile/CloudReader.h"
#include "cloudfile/CloudWriter.h"
#include "wideutf8.h"

namespace {

template <class T>
T At(const std::vector<uint8_t>& bytes, size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);
  return value;
}

uint64_t Fnv1a64(const std::vector<uint8_t>& bytes) {
  uint64_t hash = 0xcbf29ce484222325ull;
  for (uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ull;
  return hash;
}

// Plain point columns and a ground grid, as callers hand them to the writer.
struct Columns {
  std::vector<double> x, y, z;
  std::vector<uint8_t> cls;
  std::vector<uint16_t> intensity;
  std::vector<float> ground;
  uint16_t nx = 0, ny = 0;
  std::string label = "test tile";

  void Add(double px, double py, double pz, uint8_t c = 2, uint16_t i = 0) {
    x.push_back(px), y.push_back(py), z.push_back(pz), cls.push_back(c), intensity.push_back(i);
  }
  std::vector<uint8_t> Build() const {
    return BuildCloudFile(x, y, z, cls, intensity, ground, nx, ny, 2.5f, 100.0, 200.0, label, 1234.5, 6789.25, 512.0f,
                          2240);
  }
  size_t PointsAt() const { return 2176 + 2 * size_t{nx} * ny; }
};

// A fixed input of 1000 points over an uneven box, with a 7 x 5 grid holding one NaN.
Columns FixedColumns() {
  Columns c;
  for (int i = 0; i < 1000; ++i) {
    double t = i * 0.61803398875;
    c.Add(2229000.0 + std::fmod(t * 977.0, 1800.0), 1369000.0 + std::fmod(t * 613.0, 1200.0),
          800.0 + 40.0 * std::sin(t), static_cast<uint8_t>(i % 18), static_cast<uint16_t>(i * 65));
  }
  c.nx = 7;
  c.ny = 5;
  for (int k = 0; k < 35; ++k) c.ground.push_back(k == 12 ? NAN : 790.0f + 0.75f * k);
  return c;
}

// Column slot of each point in the written file, found by its unique intensity.
std::vector<size_t> SlotsByIntensity(const Columns& c, const std::vector<uint8_t>& file) {
  const size_t n = c.x.size(), intensityAt = c.PointsAt() + 7 * n;
  std::map<uint16_t, size_t> pointOf;
  for (size_t i = 0; i < n; ++i) pointOf[c.intensity[i]] = i;
  EXPECT_EQ(pointOf.size(), n) << "intensities must tell the points apart";
  std::vector<size_t> slot(n);
  for (size_t k = 0; k < n; ++k) slot[pointOf.at(At<uint16_t>(file, intensityAt + 2 * k))] = k;
  return slot;
}

TEST(CloudWriter, SameInputGivesTheSameBytes) {
  const Columns c = FixedColumns();
  const std::vector<uint8_t> file = c.Build();
  ASSERT_EQ(file.size(), 2176u + 2 * 35 + 9 * 1000);
  EXPECT_EQ(file, c.Build());
  EXPECT_EQ(Fnv1a64(file), 0x0041a9223143f62eull) << std::hex << Fnv1a64(file);
}

// Columns of different lengths, or a grid that is not nx x ny heights, are refused with an
// empty image before any of them is read.
TEST(CloudWriter, InputsThatDisagreeGiveNoImage) {
  const Columns good = FixedColumns();
  ASSERT_FALSE(good.Build().empty());
  const std::vector<std::pair<const char*, std::function<void(Columns&)>>> faults = {
      {"short y", [](Columns& c) { c.y.pop_back(); }},
      {"long z", [](Columns& c) { c.z.push_back(1.0); }},
      {"short class", [](Columns& c) { c.cls.pop_back(); }},
      {"short intensity", [](Columns& c) { c.intensity.resize(10); }},
      {"short grid", [](Columns& c) { c.ground.pop_back(); }},
      {"long grid", [](Columns& c) { c.ground.push_back(1.0f); }},
      {"grid of other rows", [](Columns& c) { c.ny = 6; }},
  };
  for (const auto& [what, fault] : faults) {
    Columns c = good;
    fault(c);
    EXPECT_TRUE(c.Build().empty()) << what;
  }
}

TEST(CloudWriter, HeaderFields) {
  const Columns c = FixedColumns();
  const std::vector<uint8_t> f = c.Build();
  const auto [xmin, xmax] = std::minmax_element(c.x.begin(), c.x.end());
  const auto [zmin, zmax] = std::minmax_element(c.z.begin(), c.z.end());
  EXPECT_EQ(std::memcmp(f.data(), "KMQ2", 4), 0);
  EXPECT_EQ(At<uint16_t>(f, 4), 2);
  EXPECT_EQ(At<uint16_t>(f, 6), 128);
  EXPECT_EQ(At<double>(f, 8), *xmin);
  EXPECT_EQ(At<double>(f, 24), *zmin);
  EXPECT_EQ(At<float>(f, 32), static_cast<float>(*xmax - *xmin));
  EXPECT_EQ(At<float>(f, 40), static_cast<float>(*zmax - *zmin));
  EXPECT_EQ(At<uint32_t>(f, 44), 1000u);
  EXPECT_EQ(At<uint16_t>(f, 48), 16);
  EXPECT_EQ(At<uint16_t>(f, 50), 16);
  EXPECT_EQ(At<uint16_t>(f, 52), 7);
  EXPECT_EQ(At<uint16_t>(f, 54), 5);
  EXPECT_EQ(At<float>(f, 56), 2.5f);
  EXPECT_EQ(At<double>(f, 60), 100.0);
  EXPECT_EQ(At<double>(f, 68), 200.0);
  EXPECT_EQ(At<float>(f, 76), 790.0f);
  EXPECT_EQ(At<float>(f, 80), 790.0f + 0.75f * 34 - 790.0f);
  EXPECT_EQ(At<uint32_t>(f, 84), 2240u);
  EXPECT_EQ(std::memcmp(f.data() + 88, "test tile\0\0\0\0\0\0\0", 16), 0);
  EXPECT_EQ(At<double>(f, 104), 1234.5);
  EXPECT_EQ(At<double>(f, 112), 6789.25);
  EXPECT_EQ(At<float>(f, 120), 512.0f);
  EXPECT_EQ(At<uint32_t>(f, 124), 0u);
}

TEST(CloudWriter, ChunkTableCountsPointsPerCell) {
  const Columns c = FixedColumns();
  const std::vector<uint8_t> f = c.Build();
  const double xmin = At<double>(f, 8), ymin = At<double>(f, 16);
  const double rx = *std::max_element(c.x.begin(), c.x.end()) - xmin;
  const double ry = *std::max_element(c.y.begin(), c.y.end()) - ymin;
  std::vector<uint32_t> expected(256, 0);
  for (size_t i = 0; i < c.x.size(); ++i) {
    int cx = std::min(int(16 * (c.x[i] - xmin) / rx), 15), cy = std::min(int(16 * (c.y[i] - ymin) / ry), 15);
    ++expected[cy * 16 + cx];
  }
  uint32_t before = 0;
  for (int k = 0; k < 256; ++k) {
    EXPECT_EQ(At<uint32_t>(f, 128 + 8 * k), before) << k;
    EXPECT_EQ(At<uint32_t>(f, 132 + 8 * k), expected[k]) << k;
    before += expected[k];
  }
  // Every point sits inside the range of its own chunk.
  const std::vector<size_t> slot = SlotsByIntensity(c, f);
  for (size_t i = 0; i < c.x.size(); ++i) {
    int cx = std::min(int(16 * (c.x[i] - xmin) / rx), 15), cy = std::min(int(16 * (c.y[i] - ymin) / ry), 15);
    uint32_t first = At<uint32_t>(f, 128 + 8 * (cy * 16 + cx)), count = At<uint32_t>(f, 132 + 8 * (cy * 16 + cx));
    EXPECT_GE(slot[i], first);
    EXPECT_LT(slot[i], first + count);
  }
}

// Steps of the file's generator, written out from its definition.
struct Lcg {
  uint32_t s = 39083849;
  size_t Next(size_t k) {
    s = static_cast<uint32_t>((uint64_t{s} * 1664525 + 1013904223) % 4294967296ull);
    return static_cast<size_t>(std::floor(s / 4294967296.0 * k));
  }
};

TEST(CloudWriter, ChunksAreShuffledWithOneRunningGenerator) {
  // Chunk 0 holds three points, chunk 1 two, chunk 255 the corner point; all other chunks are empty.
  Columns c;
  c.Add(0.0, 0.0, 0.0, 2, 0), c.Add(1.0, 1.0, 0.0, 2, 1), c.Add(2.0, 2.0, 0.0, 2, 2);
  c.Add(12.0, 0.0, 0.0, 2, 3), c.Add(13.0, 0.0, 0.0, 2, 4);
  c.Add(160.0, 160.0, 1.0, 2, 5);
  std::vector<size_t> order = {0, 1, 2, 3, 4, 5};
  Lcg lcg;
  for (size_t k = 3; k >= 2; --k) std::swap(order[k - 1], order[lcg.Next(k)]);
  std::swap(order[4], order[3 + lcg.Next(2)]);
  const std::vector<uint8_t> f = c.Build();
  const size_t intensityAt = c.PointsAt() + 7 * 6;
  for (size_t k = 0; k < 6; ++k) EXPECT_EQ(At<uint16_t>(f, intensityAt + 2 * k), order[k]) << k;
  EXPECT_EQ(At<uint32_t>(f, 132), 3u);
  EXPECT_EQ(At<uint32_t>(f, 140), 2u);
  EXPECT_EQ(At<uint32_t>(f, 128 + 8 * 255 + 4), 1u);
}

TEST(CloudWriter, TwoPointChunkSwapsByTheFirstGeneratorValue) {
  Columns c;
  c.Add(0.0, 0.0, 0.0, 2, 0), c.Add(1.0, 0.0, 0.0, 2, 1);
  c.Add(100.0, 100.0, 5.0, 2, 2);
  const bool swapped = Lcg().Next(2) == 0;
  const std::vector<uint8_t> f = c.Build();
  const size_t intensityAt = c.PointsAt() + 7 * 3;
  EXPECT_EQ(At<uint16_t>(f, intensityAt), swapped ? 1 : 0);
  EXPECT_EQ(At<uint16_t>(f, intensityAt + 2), swapped ? 0 : 1);
  EXPECT_EQ(At<uint16_t>(f, intensityAt + 4), 2) << "a chunk of one point stays as it is";
}

TEST(CloudWriter, QuantisationOfTheEdgesAndHalves) {
  Columns c;
  c.Add(0.0, 5.0, 10.0, 2, 0);        // xmin
  c.Add(65535.0, 5.0, 10.0, 2, 1);    // xmax: code 65535, chunk column 15
  c.Add(2.5, 5.0, 10.0, 2, 2);        // exactly half way: rounds away from zero
  c.Add(1.5, 5.0, 10.0, 2, 3);
  const std::vector<uint8_t> f = c.Build();
  const std::vector<size_t> slot = SlotsByIntensity(c, f);
  const size_t qxAt = c.PointsAt();
  EXPECT_EQ(At<uint16_t>(f, qxAt + 2 * slot[0]), 0);
  EXPECT_EQ(At<uint16_t>(f, qxAt + 2 * slot[1]), 65535);
  EXPECT_EQ(At<uint16_t>(f, qxAt + 2 * slot[2]), 3);
  EXPECT_EQ(At<uint16_t>(f, qxAt + 2 * slot[3]), 2);
  EXPECT_EQ(At<uint32_t>(f, 128 + 8 * 15 + 4), 1u) << "the xmax point is in column 15, row 0";
  EXPECT_EQ(At<uint32_t>(f, 128 + 4), 3u);
  // Equal y and z: extents 0.01, every code 0.
  EXPECT_EQ(At<float>(f, 36), 0.01f);
  EXPECT_EQ(At<float>(f, 40), 0.01f);
  for (size_t k = 0; k < 4; ++k) EXPECT_EQ(At<uint16_t>(f, qxAt + 8 + 2 * k), 0) << k;
}

TEST(CloudWriter, PointsOnOneVerticalLineShareColumnZero) {
  Columns c;
  for (int i = 0; i < 32; ++i) c.Add(500.0, i * 10.0, i, 2, uint16_t(i));
  const std::vector<uint8_t> f = c.Build();
  EXPECT_EQ(At<float>(f, 32), 0.01f);
  for (int row = 0; row < 16; ++row) {
    EXPECT_EQ(At<uint32_t>(f, 128 + 8 * (row * 16) + 4), 2u) << row;
    for (int col = 1; col < 16; ++col) EXPECT_EQ(At<uint32_t>(f, 128 + 8 * (row * 16 + col) + 4), 0u);
  }
  for (size_t k = 0; k < 32; ++k) EXPECT_EQ(At<uint16_t>(f, c.PointsAt() + 2 * k), 0);
}

TEST(CloudWriter, LabelRules) {
  Columns c;
  c.Add(0, 0, 0);
  c.label = "ABCDEFGHIJKLMNOPQRST";
  std::vector<uint8_t> f = c.Build();
  EXPECT_EQ(std::memcmp(f.data() + 88, "ABCDEFGHIJKLMNOP", 16), 0);
  EXPECT_EQ(At<double>(f, 104), 1234.5) << "no terminator runs into the centre";
  c.label = "short";
  f = c.Build();
  EXPECT_EQ(std::memcmp(f.data() + 88, "short\0\0\0\0\0\0\0\0\0\0\0", 16), 0);
  c.label = "Caf\xC3\xA9";
  f = c.Build();
  EXPECT_EQ(std::memcmp(f.data() + 88, "Caf\x43\x29\0", 6), 0);
}

TEST(CloudWriter, GroundCodes) {
  Columns c;
  c.Add(0, 0, 0);
  c.nx = 3;
  c.ny = 2;
  c.ground = {NAN, 100.0f, 110.0f, 105.0f, NAN, 100.5f};
  std::vector<uint8_t> f = c.Build();
  EXPECT_EQ(At<float>(f, 76), 100.0f);
  EXPECT_EQ(At<float>(f, 80), 10.0f);
  const uint16_t expected[] = {0, 0, 65535, 32768, 0, 3277};  // 65535 * 0.05 = 3276.75
  for (size_t k = 0; k < 6; ++k) EXPECT_EQ(At<uint16_t>(f, 2176 + 2 * k), expected[k]) << k;

  c.ground = {NAN, NAN, NAN, NAN, NAN, NAN};
  f = c.Build();
  EXPECT_EQ(At<float>(f, 76), 1e30f);
  EXPECT_EQ(At<float>(f, 80), 0.01f);
  for (size_t k = 0; k < 6; ++k) EXPECT_EQ(At<uint16_t>(f, 2176 + 2 * k), 0) << k;
}

TEST(CloudWriter, NoPointsGivesAFileTheReaderRefuses) {
  Columns c;
  c.nx = 4;
  c.ny = 3;
  c.ground.assign(12, 50.0f);
  const std::vector<uint8_t> f = c.Build();
  ASSERT_EQ(f.size(), 2176u + 2 * 12);
  EXPECT_EQ(At<double>(f, 8), 1e300);
  EXPECT_EQ(At<double>(f, 16), 1e300);
  EXPECT_EQ(At<double>(f, 24), 1e300);
  EXPECT_EQ(At<float>(f, 32), 0.01f);
  for (int k = 0; k < 256; ++k) EXPECT_EQ(At<uint64_t>(f, 128 + 8 * k), 0u) << k;
  ClearCloudCache();
  std::wstring error;
  EXPECT_EQ(LoadCloudFile(crafted::WriteTestFile("empty.kmt", f), &error), nullptr);
  EXPECT_EQ(error, L"implausible header values");
}

TEST(CloudWriter, WrittenFileLoadsBackToItsInputs) {
  const Columns c = FixedColumns();
  ClearCloudCache();
  std::wstring error;
  KmqDataPtr d = LoadCloudFile(crafted::WriteTestFile("round.kmt", c.Build()), &error);
  ASSERT_NE(d, nullptr) << pelvarhost::WideToUtf8(error);
  ASSERT_EQ(d->pointCount, 1000u);
  EXPECT_STREQ(d->tileName, "test tile");
  // Half a code step, plus the rounding of the extents to single precision.
  const double tolX = d->sizeX / 65535.0 / 2 + d->sizeX * 1e-7, tolY = d->sizeY / 65535.0 / 2 + d->sizeY * 1e-7;
  const double tolZ = d->sizeZ / 65535.0 / 2 + d->sizeZ * 1e-7;
  std::vector<bool> seen(1000, false);
  for (size_t k = 0; k < 1000; ++k) {
    const size_t i = d->intensity16[k] / 65;
    ASSERT_LT(i, 1000u);
    seen[i] = true;
    const KmqPoint& p = d->points[k];
    EXPECT_NEAR(DecodeX(*d, p), c.x[i], tolX) << i;
    EXPECT_NEAR(DecodeY(*d, p), c.y[i], tolY) << i;
    EXPECT_NEAR(DecodeZ(*d, p), c.z[i], tolZ) << i;
    EXPECT_EQ(p.cls, c.cls[i]) << i;
    EXPECT_EQ(p.intensity, c.intensity[i] >> 8) << i;
  }
  EXPECT_EQ(std::count(seen.begin(), seen.end(), true), 1000);
  for (size_t k = 0; k < 35; ++k) {
    if (std::isnan(c.ground[k])) continue;
    EXPECT_NEAR(DecodeGroundCode(*d, d->ground[k]), c.ground[k], d->groundZSpan / 65535.0) << k;
  }
  ClearCloudCache();
}

// The writer works on the points in parts at once: bounds, chunks and the generator's state
// at each chunk must come out as one part finds them, whatever the cut.
TEST(CloudWriter, AnyNumberOfPartsGivesTheSameBytes) {
  Columns signedZeros;  // a minimum met as 0 in the first half and as -0 in the second keeps its first sign
  for (int i = 0; i < 40; ++i) signedZeros.Add(i < 20 ? 0.0 : -0.0, i % 7 * 5.0, -0.0, 2, uint16_t(i));
  signedZeros.Add(90.0, 90.0, 3.0, 2, 40);
  Columns oneChunk;
  for (int i = 0; i < 3001; ++i) oneChunk.Add(7.0, 7.0, i * 0.5, 6, uint16_t(i));
  Columns onePoint;
  onePoint.Add(1.0, 2.0, 3.0);
  const struct {
    const char* what;
    Columns columns;
  } cases[] = {{"spread", FixedColumns()}, {"signed zeros", signedZeros}, {"one chunk", oneChunk},
               {"one point", onePoint}, {"no points", Columns{}}};
  for (const auto& test : cases) {
    const Columns& c = test.columns;
    auto build = [&c](unsigned parts) {
      return BuildCloudFile(c.x, c.y, c.z, c.cls, c.intensity, c.ground, c.nx, c.ny, 2.5f, 100.0, 200.0, c.label,
                            1234.5, 6789.25, 512.0f, 2240, parts);
    };
    const std::vector<uint8_t> single = build(1);
    EXPECT_EQ(single, c.Build()) << test.what;
    for (unsigned parts : {2u, 3u, 8u}) EXPECT_EQ(build(parts), single) << test.what << " in " << parts << " parts";
  }
}

}  // namespace
