// The sample generator: repeatable, inside its square, with every class it promises in
// plausible places, and readable in both file variants.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>

#include "CraftedCloud.h"
#include "cloudfile/CloudReader.h"
#include "tests/support/TempFolder.h"
#include "tools/samplegen/SampleCloud.h"
#include "wideutf8.h"

namespace {

SampleCloudRequest SmallRequest() {
  SampleCloudRequest request;
  request.pointCount = 60'000;
  request.seed = 42;
  request.side = 1500.0;
  request.centreX = 2'231'000.0;
  request.centreY = 1'371'000.0;
  request.tileName = "GA West 2231";
  return request;
}

// The lowest and highest ground heights on the four grid nodes around (x, y).
std::pair<double, double> GroundAround(const SampleCloud& c, double x, double y) {
  const int i = std::clamp(int((x - c.groundOriginX) / c.groundCell), 0, c.groundNx - 2);
  const int j = std::clamp(int((y - c.groundOriginY) / c.groundCell), 0, c.groundNy - 2);
  const float* row = c.ground.data() + size_t(j) * c.groundNx + i;
  const auto [low, high] = std::minmax({row[0], row[1], row[c.groundNx], row[c.groundNx + 1]});
  return {low, high};
}

TEST(SampleGenerator, SeedFixesTheCloud) {
  const SampleCloudRequest request = SmallRequest();
  EXPECT_EQ(BuildSampleKmq2(request), BuildSampleKmq2(request));
  SampleCloudRequest other = request;
  other.seed = 43;
  EXPECT_NE(BuildSampleKmq2(request), BuildSampleKmq2(other));
}

TEST(SampleGenerator, PointsFillTheSquareWithEveryClass) {
  const SampleCloudRequest request = SmallRequest();
  const SampleCloud c = GenerateSampleCloud(request);
  ASSERT_EQ(c.x.size(), request.pointCount);
  ASSERT_EQ(c.intensity.size(), request.pointCount);
  const auto [xmin, xmax] = std::minmax_element(c.x.begin(), c.x.end());
  const auto [ymin, ymax] = std::minmax_element(c.y.begin(), c.y.end());
  EXPECT_GE(*xmin, request.centreX - 750.0);
  EXPECT_LT(*xmax, request.centreX + 750.0);
  EXPECT_LT(*xmin, request.centreX - 740.0);
  EXPECT_GT(*ymax, request.centreY + 740.0);
  EXPECT_GE(*ymin, request.centreY - 750.0);
  std::map<uint8_t, size_t> counts;
  for (uint8_t cls : c.cls) ++counts[cls];
  const std::set<uint8_t> expected = {1, 2, 3, 4, 5, 6, 7, 9, 17};
  std::set<uint8_t> present;
  for (auto [cls, count] : counts) present.insert(cls);
  EXPECT_EQ(present, expected);
  EXPECT_GT(counts[2], request.pointCount / 3) << "ground is the largest class";
  for (double z : c.z) ASSERT_TRUE(z > 500.0 && z < 1200.0) << z;
}

TEST(SampleGenerator, ClassesSitWhereTheyBelong) {
  const SampleCloud c = GenerateSampleCloud(SmallRequest());
  double waterMin = 1e9, waterMax = -1e9, deckMin = 1e9;
  std::map<uint8_t, double> intensitySum;
  std::map<uint8_t, size_t> count;
  for (size_t i = 0; i < c.x.size(); ++i) {
    const auto [low, high] = GroundAround(c, c.x[i], c.y[i]);
    intensitySum[c.cls[i]] += c.intensity[i];
    ++count[c.cls[i]];
    switch (c.cls[i]) {
      case 7: EXPECT_LT(c.z[i], high - 1.0) << "noise lies below ground"; break;
      case 9: waterMin = std::min(waterMin, c.z[i]), waterMax = std::max(waterMax, c.z[i]); break;
      case 17: deckMin = std::min(deckMin, c.z[i]); break;
      case 6: EXPECT_GT(c.z[i], low + 5.0) << "roofs stand above the ground"; break;
      case 5: EXPECT_GT(c.z[i], low + 10.0); break;
      default: break;
    }
  }
  EXPECT_LT(waterMax - waterMin, 1.0) << "water is flat";
  EXPECT_GT(deckMin, waterMax + 10.0) << "the bridge deck spans above the water";
  auto mean = [&](uint8_t cls) { return intensitySum[cls] / count[cls]; };
  EXPECT_GT(mean(6), mean(2));
  EXPECT_GT(mean(2), mean(5));
  EXPECT_GT(mean(5), mean(9));
}

TEST(SampleGenerator, BothVariantsLoadWithTheSamePoints) {
  const SampleCloudRequest request = SmallRequest();
  const std::string folder = crafted::TestFolder();
  ASSERT_TRUE(WriteSampleCloud(request, folder + "/two.kmt", false));
  ASSERT_TRUE(WriteSampleCloud(request, folder + "/one.kmt", true));
  ClearCloudCache();
  std::wstring error;
  KmqDataPtr two = LoadCloudFile(pelvarhost::Utf8ToWide(folder + "/two.kmt"), &error);
  KmqDataPtr one = LoadCloudFile(pelvarhost::Utf8ToWide(folder + "/one.kmt"), &error);
  ASSERT_NE(two, nullptr) << pelvarhost::WideToUtf8(error);
  ASSERT_NE(one, nullptr) << pelvarhost::WideToUtf8(error);
  EXPECT_EQ(two->pointCount, request.pointCount);
  EXPECT_EQ(two->epsg, 2240u);
  EXPECT_STREQ(two->tileName, "GA West 2231");
  EXPECT_EQ(two->centerX, request.centreX);
  EXPECT_EQ(two->halfSize, 750.0f);
  EXPECT_EQ(two->groundNx, 151);
  ASSERT_EQ(one->pointCount, two->pointCount);
  for (size_t i = 0; i < two->pointCount; ++i) {
    ASSERT_EQ(one->points[i].qx, two->points[i].qx) << i;
    ASSERT_EQ(one->points[i].qz, two->points[i].qz) << i;
    ASSERT_EQ(one->points[i].cls, two->points[i].cls) << i;
    ASSERT_LE(std::abs(int(one->intensity16[i]) - int(two->intensity16[i])), 129) << i;
  }
  ClearCloudCache();
}

}  // namespace

// The samplegen tool run as a user would: numbers it cannot use are refused with the usage
// text (exit status 2) and no file, instead of wrapping around or crashing the generator.
namespace {

const std::string kSamplegen = std::string(PELVAR_BUILD_DIR) + "/samplegen";

// Exit status of samplegen with the given extra options, writing to `out`.
int RunSamplegen(const std::string& out, const std::string& options) {
  std::string command = kSamplegen + " --points 200 --seed 5 --out '" + out + "' " + options + " >/dev/null 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SampleGeneratorTool, RefusesNumbersThatAreNotFiniteOrDoNotFitTheirField) {
  pelvartest::TempFolder folder("samplegen");
  const std::string out = (folder / "tile.kmt").string();
  ASSERT_EQ(RunSamplegen(out, "--epsg 6447 --side 800 --centre 2231000,1371000"), 0);
  ASSERT_TRUE(std::filesystem::exists(out));
  std::filesystem::remove(out);
  for (const char* options : {"--epsg 1e20", "--epsg 4294967296", "--points 4294967296", "--seed 1e30",
                              "--seed 18446744073709551616", "--side inf", "--side nan", "--centre nan,1371000",
                              "--centre 2231000,inf", "--epsg -1"}) {
    SCOPED_TRACE(options);
    EXPECT_EQ(RunSamplegen(out, options), 2);
    EXPECT_FALSE(std::filesystem::exists(out));
    std::filesystem::remove(out);
  }
}

}  // namespace
