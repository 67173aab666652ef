// The display pass against the same pass written point by point (PlainPass.h): the same
// points in the same buckets and order, whatever the colour mode, mask, elevation window,
// override classes, zoom and number of threads the chunks are cut over.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "cloudfile/CloudReader.h"
#include "entity/BucketSort.h"
#include "entity/Pelvar.h"
#include "tests/module/display/CloudFixtures.h"
#include "tests/module/display/PlainPass.h"
#include "tests/module/display/RecordingDraw.h"
#include "wideutf8.h"

namespace {

using recording::Draw;
using recording::DrawCall;

class DisplayPassOracle : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    path_ = new std::string(fixtures::WriteSampleCloudFile("pelvar_pass_oracle", 40000, 11));
    ASSERT_FALSE(path_->empty());
    data_ = new KmqDataPtr(LoadCloudFile(pelvarhost::Utf8ToWide(*path_)));
    ASSERT_TRUE(*data_);
  }
  static void TearDownTestSuite() {
    delete data_;
    std::remove(path_->c_str());
    delete path_;
  }

  // Both passes over the settings; every bucket must match point for point. The sorted
  // points are kept from one call to the next, as the entity keeps them.
  static void ExpectSamePass(const DisplaySettings& settings, double budget, unsigned workers,
                             const std::string& what) {
    const KmqData& data = **data_;
    plainpass::Buckets expected;
    plainpass::Collect(data, settings, budget, expected);
    static BucketedPoints sorted;
    SortIntoBuckets(*data_, settings, budget, sorted, workers);
    size_t drawn = 0;
    for (int b = 0; b < kColourBucketCount; ++b) {
      ASSERT_EQ(sorted.count(b), expected[b].size()) << what << ", bucket " << b;
      const AcGePoint3d* points = sorted.of(b);
      for (size_t i = 0; i < sorted.count(b); ++i) {
        ASSERT_EQ(points[i].x, expected[b][i].x) << what << ", bucket " << b << ", point " << i;
        ASSERT_EQ(points[i].y, expected[b][i].y) << what << ", bucket " << b << ", point " << i;
        ASSERT_EQ(points[i].z, expected[b][i].z) << what << ", bucket " << b << ", point " << i;
      }
      drawn += sorted.count(b);
    }
    EXPECT_EQ(sorted.total(), drawn) << what;
  }

  static std::string* path_;
  static KmqDataPtr* data_;
};

std::string* DisplayPassOracle::path_ = nullptr;
KmqDataPtr* DisplayPassOracle::data_ = nullptr;

TEST_F(DisplayPassOracle, EveryModeMaskWindowAndCutGivesThePlainPass) {
  const KmqData& data = **data_;
  std::mt19937 random(4242);
  // Override classes for about a third of the points, the rest "no override".
  std::vector<uint8_t> overrides(data.pointCount, 255);
  for (uint8_t& o : overrides)
    if (random() % 3 == 0) o = static_cast<uint8_t>(random() % 40);
  // A window whose ends are decoded elevations of points, so that both edges are hit.
  const double lowZ = DecodeCode(20000, data.sizeZ, data.originZ), highZ = DecodeCode(41000, data.sizeZ, data.originZ);

  const uint32_t masks[] = {0xFFFFFFFF, 0x00100044, 0x00000004, 0};
  const double budgets[] = {1.0, 37.5, 1e9};
  int cases = 0;
  for (uint8_t mode : {0, 1, 2, 7})
    for (uint32_t mask : masks)
      for (bool windowed : {false, true})
        for (bool overridden : {false, true}) {
          DisplaySettings settings{{mask, windowed, lowZ, highZ}, mode, overridden ? overrides.data() : nullptr};
          const double budget = budgets[cases % 3];
          const unsigned workers = 1 + cases % 4;  // 1 to 4 runs of chunks
          ExpectSamePass(settings, budget, workers,
                         "mode " + std::to_string(mode) + ", mask " + std::to_string(mask) + ", window " +
                             std::to_string(windowed) + ", overrides " + std::to_string(overridden) + ", budget " +
                             std::to_string(budget) + ", workers " + std::to_string(workers));
          ++cases;
        }
}

TEST_F(DisplayPassOracle, MoreRunsThanChunksAndTheAutomaticCutGiveThePlainPass) {
  DisplaySettings settings{{0xFFFFFFFF, false, 0, 0}, 0, nullptr};
  const size_t chunks = (**data_).chunks.size();
  ExpectSamePass(settings, 1e9, static_cast<unsigned>(chunks + 5), "more runs than chunks");
  ExpectSamePass(settings, 1e9, 0, "automatic");
}

// A pass like the last one keeps the points placed last time (a closer zoom where every
// point is drawn already is such a pass); one whose override classes were changed in place
// since (the same array), or whose zoom takes fewer points, must not.
TEST_F(DisplayPassOracle, ARepeatedPassAndOverridesChangedInPlaceGiveThePlainPass) {
  std::vector<uint8_t> overrides((**data_).pointCount, 255);
  DisplaySettings settings{{0xFFFFFFFF, false, 0, 0}, 0, overrides.data()};
  const struct {
    const char* what;
    uint8_t overrideEvery7th;
    double budget;
  } steps[] = {{"first", 255, 1e9},
               {"repeated", 255, 1e9},
               {"zoomed in further", 255, 2e9},
               {"overrides changed in place", 9, 2e9},
               {"repeated again", 9, 2e9},
               {"zoomed out", 9, 37.5},
               {"overrides put back", 255, 37.5}};
  for (const auto& step : steps) {
    for (size_t i = 0; i < overrides.size(); i += 7) overrides[i] = step.overrideEvery7th;
    ExpectSamePass(settings, step.budget, 2, step.what);
  }
}

// The entity draws exactly what the plain pass draws: the same polypoint calls, colours,
// points and order, under its transform. The cloud is large enough for the automatic cut
// to use every core.
TEST(DisplayPassOracleEntity, TheEntityDrawsThePlainPassCallForCall) {
  const std::string path = fixtures::WriteSampleCloudFile("pelvar_pass_oracle_entity", 600000, 12);
  ASSERT_FALSE(path.empty());
  Pelvar entity;
  entity.setCloudPath(pelvarhost::Utf8ToWide(path));
  entity.setClassMask(0xFFFFFFFF);
  entity.setTransform(AcGeMatrix3d::translation(AcGeVector3d(-2230000, -1370000, 0)));
  KmqDataPtr data = entity.CloudData();
  ASSERT_TRUE(data);

  const double ppu = 2.0;  // every chunk offers all its points
  Draw drawn(ppu);
  entity.viewportDraw(drawn.viewport());

  Draw expected(ppu);
  DisplaySettings settings{{0xFFFFFFFF, false, 0, 0}, 0, nullptr};
  plainpass::Buckets buckets;
  plainpass::Collect(*data, settings, ChunkPointBudget(*data, entity.density(), ppu), buckets);
  plainpass::Draw(*expected.viewport(), buckets);

  ASSERT_EQ(drawn.log.calls.size(), expected.log.calls.size());
  ASSERT_EQ(drawn.log.PointsDrawn(), size_t{data->pointCount});
  for (size_t c = 0; c < drawn.log.calls.size(); ++c) {
    const DrawCall& a = drawn.log.calls[c];
    const DrawCall& b = expected.log.calls[c];
    ASSERT_EQ(a.kind, DrawCall::Polypoint) << c;
    EXPECT_TRUE(a.modelTransform.isEqualTo(entity.transform())) << c;
    EXPECT_EQ(a.colour.red(), b.colour.red()) << c;
    EXPECT_EQ(a.colour.green(), b.colour.green()) << c;
    EXPECT_EQ(a.colour.blue(), b.colour.blue()) << c;
    ASSERT_EQ(a.points.size(), b.points.size()) << c;
    for (size_t i = 0; i < a.points.size(); ++i) ASSERT_TRUE(a.points[i] == b.points[i]) << "call " << c << ", point " << i;
  }
  std::remove(path.c_str());
}

}  // namespace

namespace {

// The kept room is given back only after several sorts in a row needed far less of it, so
// that a small cloud drawn between passes over a large one does not cost the large one its
// room.
TEST(SortingRoom, IsGivenBackOnlyAfterEightSmallSortsInARow) {
  constexpr size_t kLarge = size_t{3} << 20;  // points
  BucketedPoints sorted;
  sorted.points.Reserve(kLarge);
  auto sortOf = [&sorted](size_t points) {
    sorted.start.fill(0);
    sorted.start[kColourBucketCount] = points;
    sorted.TrimAfterUse();
  };
  for (int round = 0; round < 3; ++round) {
    for (int small = 0; small < 7; ++small) sortOf(1000);
    ASSERT_EQ(sorted.points.capacity(), kLarge) << "round " << round;
    sortOf(kLarge);  // the large cloud again: the count starts over
  }
  for (int small = 0; small < 8; ++small) sortOf(1000);
  EXPECT_EQ(sorted.points.capacity(), 0u);
  EXPECT_NE(sorted.points.Reserve(10), nullptr);  // and it can grow again
  EXPECT_GE(sorted.points.capacity(), 10u);
}

}  // namespace
