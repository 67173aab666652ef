// How many points a viewport pass draws: a prefix of each chunk sized by the screen
// pixels of its cell and the density, never the file's size.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <tuple>

#include "tests/module/display/CloudFixtures.h"
#include "tests/module/display/RecordingDraw.h"

namespace {

using recording::Draw;
using recording::DrawCall;

constexpr uint16_t kChunks = 4;        // 4 x 4 chunks of 100 x 100 units
constexpr double kCellSide = 100.0;

// The budget rule worked out here: 0.6 points per pixel of a cell, times density / 100,
// at least one point, at most the chunk's count.
uint32_t ExpectedTake(uint32_t count, uint16_t density, double ppu) {
  double budget = density / 100.0 * (kCellSide * ppu) * (kCellSide * ppu) * 0.6;
  return static_cast<uint32_t>(std::min<double>(count, std::max(budget, 1.0)));
}

std::set<std::tuple<double, double, double>> DrawnPoints(const Draw& draw) {
  std::set<std::tuple<double, double, double>> points;
  for (const DrawCall& call : draw.log.calls)
    if (call.kind == DrawCall::Polypoint)
      for (const AcGePoint3d& p : call.points) points.emplace(p.x, p.y, p.z);
  return points;
}

class ThinningByZoomAndDensity : public testing::TestWithParam<std::tuple<double, uint16_t>> {};

TEST_P(ThinningByZoomAndDensity, EachChunkOffersThePrefixTheScreenAllows) {
  auto [ppu, density] = GetParam();
  crafted::Cloud cloud = fixtures::GridCloud(kChunks, 500, fixtures::AllGround);
  auto entity = fixtures::EntityForCloud(cloud);
  entity->setDensity(density);
  Draw draw(ppu);
  entity->viewportDraw(draw.viewport());

  uint32_t take = ExpectedTake(500, density, ppu);
  ASSERT_EQ(draw.log.PointsDrawn(), size_t{take} * kChunks * kChunks);
  // Exactly the first `take` stored points of every chunk, decoded by hand.
  std::set<std::tuple<double, double, double>> expected;
  for (uint32_t chunk = 0; chunk < kChunks * kChunks; ++chunk)
    for (uint32_t k = 0; k < take; ++k) {
      const crafted::Point& p = cloud.points[chunk * 500 + k];
      expected.emplace(fixtures::Decode(p.qx, 400, 1000), fixtures::Decode(p.qy, 400, 2000),
                       fixtures::Decode(p.qz, 100, 50));
    }
  EXPECT_EQ(DrawnPoints(draw), expected);
}

TEST_P(ThinningByZoomAndDensity, ALargerFileDrawsNoMoreAtTheSameZoom) {
  auto [ppu, density] = GetParam();
  auto small = fixtures::EntityForCloud(fixtures::GridCloud(kChunks, 500, fixtures::AllGround), "small.kmt");
  auto large = fixtures::EntityForCloud(fixtures::GridCloud(kChunks, 2000, fixtures::AllGround), "large.kmt");
  small->setDensity(density);
  large->setDensity(density);
  Draw smallDraw(ppu), largeDraw(ppu);
  small->viewportDraw(smallDraw.viewport());
  large->viewportDraw(largeDraw.viewport());
  EXPECT_EQ(largeDraw.log.PointsDrawn(), size_t{ExpectedTake(2000, density, ppu)} * kChunks * kChunks);
  if (ExpectedTake(2000, density, ppu) < 500) {
    EXPECT_EQ(largeDraw.log.PointsDrawn(), smallDraw.log.PointsDrawn());
  }
}

// Two zoom levels (a cell of 10 and of 20 pixels) and three densities.
INSTANTIATE_TEST_SUITE_P(TwoZoomsThreeDensities, ThinningByZoomAndDensity,
                         testing::Combine(testing::Values(0.1, 0.2), testing::Values<uint16_t>(25, 100, 200)));

TEST(Thinning, ZoomingInDrawsMoreAndDensityScalesTheBudget) {
  crafted::Cloud cloud = fixtures::GridCloud(kChunks, 500, fixtures::AllGround);
  auto entity = fixtures::EntityForCloud(cloud);
  Draw far(0.1), near(0.2);
  entity->viewportDraw(far.viewport());
  entity->viewportDraw(near.viewport());
  EXPECT_EQ(far.log.PointsDrawn(), 60u * 16);    // 0.6 * 10 * 10 per chunk
  EXPECT_EQ(near.log.PointsDrawn(), 240u * 16);  // four times the pixels, four times the points
}

TEST(Thinning, PixelScaleIsTheMeanOfBothAxesAskedAtTheCloudCentre) {
  auto entity = fixtures::EntityForCloud(fixtures::GridCloud(kChunks, 500, fixtures::AllGround));
  Draw draw(0.3, -0.1);  // mean of magnitudes: 0.2
  entity->viewportDraw(draw.viewport());
  EXPECT_EQ(draw.log.PointsDrawn(), 240u * 16);
  EXPECT_EQ(draw.log.scaleQuestions, 1);
  EXPECT_TRUE(draw.log.scaleAskedWithPerspective);
  EXPECT_DOUBLE_EQ(draw.log.scaleAskedAt.x, 1200.0);
  EXPECT_DOUBLE_EQ(draw.log.scaleAskedAt.y, 2200.0);
  EXPECT_DOUBLE_EQ(draw.log.scaleAskedAt.z, 100.0);
}

TEST(Thinning, DensityZeroDrawsTheFirstPointOfEachChunkWhenVisible) {
  // Chunks with an odd number start with an unclassified point, hidden by the default mask.
  auto cls = [](uint32_t chunk, uint32_t k) -> uint8_t { return k == 0 && chunk % 2 == 1 ? 1 : 2; };
  crafted::Cloud cloud = fixtures::GridCloud(kChunks, 50, cls);
  auto entity = fixtures::EntityForCloud(cloud);
  entity->setDensity(0);
  Draw draw(5.0);
  entity->viewportDraw(draw.viewport());
  EXPECT_EQ(DrawnPoints(draw).size(), 8u);
  for (uint32_t chunk = 0; chunk < 16; chunk += 2) {
    const crafted::Point& p = cloud.points[chunk * 50];
    EXPECT_EQ(DrawnPoints(draw).count({fixtures::Decode(p.qx, 400, 1000), fixtures::Decode(p.qy, 400, 2000),
                                       fixtures::Decode(p.qz, 100, 50)}),
              1u)
        << "chunk " << chunk;
  }
}

TEST(Thinning, AViewportWithNoPixelsBehavesLikeDensityZero) {
  auto entity = fixtures::EntityForCloud(fixtures::GridCloud(kChunks, 50, fixtures::AllGround));
  Draw draw(0.0);
  entity->viewportDraw(draw.viewport());
  EXPECT_EQ(draw.log.PointsDrawn(), 16u);
}

// A viewport that cannot tell its scale (NaN pixels) thins to the least, never to nothing
// and never to every point.
TEST(Thinning, AViewportWithANaNScaleBehavesLikeDensityZero) {
  auto entity = fixtures::EntityForCloud(fixtures::GridCloud(kChunks, 50, fixtures::AllGround));
  Draw draw(std::nan(""), 1.0);
  entity->viewportDraw(draw.viewport());
  EXPECT_EQ(draw.log.PointsDrawn(), 16u);
}

TEST(Thinning, HidingClassesDoesNotRaiseThePointsOfTheOthers) {
  // Alternating ground and building; a budget of 60 considers 30 of each per chunk.
  auto cls = [](uint32_t, uint32_t k) -> uint8_t { return k % 2 == 0 ? 2 : 6; };
  auto entity = fixtures::EntityForCloud(fixtures::GridCloud(kChunks, 500, cls));
  Draw all(0.1);
  entity->viewportDraw(all.viewport());
  EXPECT_EQ(all.log.PointsDrawn(), 60u * 16);
  entity->setClassMask(1u << 2);
  Draw groundOnly(0.1);
  entity->viewportDraw(groundOnly.viewport());
  EXPECT_EQ(groundOnly.log.PointsDrawn(), 30u * 16);
}

TEST(Thinning, EmptyChunksContributeNothing) {
  crafted::Cloud cloud = fixtures::GridCloud(2, 10, fixtures::AllGround);
  // Move all points of chunk 1 into chunk 0's entry: chunk 1 is empty.
  (*cloud.chunks)[0].second = 20;
  (*cloud.chunks)[1] = {20, 0};
  auto entity = fixtures::EntityForCloud(cloud);
  entity->setDensity(0);
  Draw draw(1.0);
  entity->viewportDraw(draw.viewport());
  EXPECT_EQ(draw.log.PointsDrawn(), 3u);  // one each from chunks 0, 2 and 3
}

}  // namespace
