// A cloud entity when memory runs short: its file cannot be loaded, or its points cannot be
// gathered for a view. It then draws nothing and has no extents, and nothing is thrown to
// the host; once memory is back it draws and measures as usual.
#include <gtest/gtest.h>

#include "AllocationTracker.h"
#include "cloudfile/CloudReader.h"
#include "entity/PelvarClass.h"
#include "dbextents.h"
#include "tests/module/display/CloudFixtures.h"
#include "tests/module/display/RecordingDraw.h"

namespace {

constexpr uint32_t kPerChunk = 5000;  // 20,000 points on a 2 x 2 chunk grid

class MemoryShortage : public testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterPelvarClass(); }
  static void TearDownTestSuite() { UnregisterPelvarClass(); }
  void SetUp() override { ClearCloudCache(); }
  void TearDown() override {
    allocation_tracker::TakeFailure();
    ClearCloudCache();
  }
  std::unique_ptr<Pelvar> entity_ = fixtures::EntityForCloud(fixtures::GridCloud(2, kPerChunk, fixtures::AllGround));
};

TEST_F(MemoryShortage, ACloudThatCannotBeLoadedHasNoExtentsAndDrawsNothing) {
  AcDbExtents extents;
  allocation_tracker::FailNextAtLeast(4 * kPerChunk * sizeof(uint16_t));
  EXPECT_EQ(entity_->getGeomExtents(extents), Acad::eInvalidExtents);
  EXPECT_TRUE(allocation_tracker::TakeFailure());

  recording::Draw draw(100.0);
  allocation_tracker::FailNextAtLeast(4 * kPerChunk * sizeof(uint16_t));
  entity_->worldDraw(draw.world());
  EXPECT_TRUE(allocation_tracker::TakeFailure());
  EXPECT_TRUE(draw.log.calls.empty());

  ASSERT_EQ(entity_->getGeomExtents(extents), Acad::eOk) << "memory is back: the cloud loads";
  EXPECT_DOUBLE_EQ(extents.maxPoint().x, 1400.0);
}

TEST_F(MemoryShortage, PointsThatCannotBeGatheredAreNotDrawn) {
  ASSERT_NE(entity_->CloudData(), nullptr);
  recording::Draw draw(100.0);  // every point of every chunk is wanted at this scale
  allocation_tracker::FailNextAtLeast(64 * 1024);
  entity_->viewportDraw(draw.viewport());
  EXPECT_TRUE(allocation_tracker::TakeFailure());
  EXPECT_EQ(draw.log.Count(recording::DrawCall::Polypoint), 0u);
  EXPECT_EQ(draw.log.pushes, draw.log.pops);

  recording::Draw again(100.0);
  entity_->viewportDraw(again.viewport());
  EXPECT_EQ(again.log.PointsDrawn(), 4u * kPerChunk);
}

}  // namespace
