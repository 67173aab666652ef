// The cloud as geometry: extents of its box, moves that change only its transform, and
// object snap to the nearest visible point within 15 units.
#include <gtest/gtest.h>

#include <numbers>

#include "tests/module/display/CloudFixtures.h"
#include "tests/module/display/RecordingDraw.h"

namespace {

// Two chunks side by side over a 400 x 200 square at (1000, 2000); points placed by code.
crafted::Cloud TwoChunkCloud(std::vector<crafted::Point> left, std::vector<crafted::Point> right) {
  crafted::Cloud cloud;
  cloud.originX = 1000, cloud.originY = 2000, cloud.originZ = 50;
  cloud.sizeX = 400, cloud.sizeY = 200, cloud.sizeZ = 100;
  cloud.chunksX = 2, cloud.chunksY = 1;
  uint32_t n = static_cast<uint32_t>(left.size());
  cloud.chunks = std::vector<std::pair<uint32_t, uint32_t>>{{0, n}, {n, static_cast<uint32_t>(right.size())}};
  cloud.points = left;
  cloud.points.insert(cloud.points.end(), right.begin(), right.end());
  return cloud;
}

// The code of a cloud coordinate on an axis of the two-chunk cloud (exact for the values used).
uint16_t CodeX(double x) { return static_cast<uint16_t>((x - 1000) / 400 * 65535 + 0.5); }
uint16_t CodeY(double y) { return static_cast<uint16_t>((y - 2000) / 200 * 65535 + 0.5); }

bool Snap(const Pelvar& entity, AcDb::OsnapMode mode, const AcGePoint3d& pick, AcGePoint3d& snapped) {
  AcGePoint3dArray points;
  AcDbIntArray ids;
  EXPECT_EQ(entity.getOsnapPoints(mode, 0, pick, pick, AcGeMatrix3d::kIdentity, points, ids), Acad::eOk);
  EXPECT_EQ(points.length(), ids.length());
  if (points.isEmpty()) return false;
  EXPECT_EQ(points.length(), 1);
  EXPECT_EQ(ids[0], 0);
  snapped = points[0];
  return true;
}

TEST(CloudExtents, AreTheTransformedBoxWhateverIsHidden) {
  auto entity = fixtures::EntityForCloud(fixtures::GridCloud(2, 10, fixtures::AllGround));
  entity->setClassMask(0);
  entity->setElevationWindow(true, 0, 1);
  AcDbExtents extents;
  ASSERT_EQ(entity->getGeomExtents(extents), Acad::eOk);
  EXPECT_EQ(extents.minPoint(), AcGePoint3d(1000, 2000, 50));
  EXPECT_EQ(extents.maxPoint(), AcGePoint3d(1400, 2400, 150));
}

TEST(CloudTransform, RotatingChangesOnlyTheTransformAndEverythingFollows) {
  crafted::Cloud cloud = TwoChunkCloud({{CodeX(1100), CodeY(2100), 0, 2, 0}}, {{CodeX(1300), CodeY(2100), 0, 2, 0}});
  auto entity = fixtures::EntityForCloud(cloud);
  AcGeMatrix3d first = AcGeMatrix3d::translation(AcGeVector3d(5, 0, 0));
  AcGeMatrix3d turn = AcGeMatrix3d::rotation(std::numbers::pi / 2, AcGeVector3d::kZAxis, AcGePoint3d(0, 0, 0));
  ASSERT_EQ(entity->transformBy(first), Acad::eOk);
  ASSERT_EQ(entity->transformBy(turn), Acad::eOk);
  // The turn applies after the shift: (x, y) -> (-y, x + 5).
  AcGePoint3d mapped = entity->transform() * AcGePoint3d(1, 2, 3);
  EXPECT_NEAR(mapped.x, -2, 1e-9);
  EXPECT_NEAR(mapped.y, 6, 1e-9);
  EXPECT_NEAR(mapped.z, 3, 1e-9);

  AcDbExtents extents;
  ASSERT_EQ(entity->getGeomExtents(extents), Acad::eOk);
  EXPECT_NEAR(extents.minPoint().x, -2200, 1e-6);
  EXPECT_NEAR(extents.maxPoint().x, -2000, 1e-6);
  EXPECT_NEAR(extents.minPoint().y, 1005, 1e-6);
  EXPECT_NEAR(extents.maxPoint().y, 1405, 1e-6);

  // Snap in world coordinates near the rotated image of (1100, 2100).
  AcGePoint3d snapped;
  ASSERT_TRUE(Snap(*entity, AcDb::kOsModeNear, AcGePoint3d(-2100 + 3, 1105 - 4, 0), snapped));
  EXPECT_NEAR(snapped.x, -2100, 0.01);  // codes are 400 / 65535 apart
  EXPECT_NEAR(snapped.y, 1105, 0.01);

  // The drawn points carry the same transform; the scale is asked at the moved centre.
  recording::Draw draw(1.0);
  entity->viewportDraw(draw.viewport());
  ASSERT_FALSE(draw.log.calls.empty());
  EXPECT_TRUE(draw.log.calls[0].modelTransform.isEqualTo(entity->transform()));
  EXPECT_NEAR(draw.log.scaleAskedAt.x, -2100, 1e-6);
  EXPECT_NEAR(draw.log.scaleAskedAt.y, 1205, 1e-6);
}

TEST(CloudSnap, FindsAPointOutsideTheSquareWithinFifteenUnits) {
  // A point on the left edge at (1000, 2100); picks to its left.
  auto entity = fixtures::EntityForCloud(TwoChunkCloud({{0, CodeY(2100), 0, 2, 0}}, {{CodeX(1300), 0, 0, 2, 0}}));
  AcGePoint3d snapped;
  ASSERT_TRUE(Snap(*entity, AcDb::kOsModeNode, AcGePoint3d(986, 2100, 0), snapped));  // 14 away
  EXPECT_EQ(snapped.x, 1000.0);
  EXPECT_NEAR(snapped.y, 2100, 0.01);
  EXPECT_EQ(snapped.z, 50.0);
  EXPECT_FALSE(Snap(*entity, AcDb::kOsModeNear, AcGePoint3d(985, 2100, 0), snapped));  // exactly 15
  EXPECT_FALSE(Snap(*entity, AcDb::kOsModeNear, AcGePoint3d(980, 2100, 0), snapped));
}

TEST(CloudSnap, OnlyNodeAndNearestSnapAndOnlyVisiblePointsCount) {
  auto entity = fixtures::EntityForCloud(
      TwoChunkCloud({{CodeX(1100), CodeY(2100), 0, 2, 0}, {CodeX(1102), CodeY(2100), 0, 1, 0}}, {}));
  AcGePoint3d snapped;
  for (AcDb::OsnapMode mode : {AcDb::kOsModeEnd, AcDb::kOsModeMid, AcDb::kOsModeCen, AcDb::kOsModeIns})
    EXPECT_FALSE(Snap(*entity, mode, AcGePoint3d(1102, 2100, 0), snapped)) << mode;
  // The unclassified point at 1102 is hidden: the ground point at 1100 wins.
  ASSERT_TRUE(Snap(*entity, AcDb::kOsModeNear, AcGePoint3d(1102, 2100, 0), snapped));
  EXPECT_NEAR(snapped.x, 1100, 0.01);
  entity->setClassMask(0xFFFFFFFF);
  ASSERT_TRUE(Snap(*entity, AcDb::kOsModeNear, AcGePoint3d(1102, 2100, 0), snapped));
  EXPECT_NEAR(snapped.x, 1102, 0.01);
}

TEST(CloudSnap, SearchesTheNeighbourChunk) {
  // Pick at x 1195 in the left chunk: the right chunk's point near 1205 is nearer than the
  // left chunk's point near 1100.
  auto entity = fixtures::EntityForCloud(
      TwoChunkCloud({{CodeX(1100), CodeY(2100), 0, 2, 0}}, {{CodeX(1205), CodeY(2100), 0, 2, 0}}));
  AcGePoint3d snapped;
  ASSERT_TRUE(Snap(*entity, AcDb::kOsModeNear, AcGePoint3d(1195, 2100, 0), snapped));
  EXPECT_NEAR(snapped.x, 1205, 0.01);
}

TEST(CloudSnap, OfEqualDistancesTheFirstVisitedPointWins) {
  // The same plan position stored in both chunks, told apart by Z: the left chunk is
  // visited first.
  auto entity = fixtures::EntityForCloud(
      TwoChunkCloud({{CodeX(1200), CodeY(2100), 0, 2, 0}}, {{CodeX(1200), CodeY(2100), 65535, 2, 0}}));
  AcGePoint3d snapped;
  ASSERT_TRUE(Snap(*entity, AcDb::kOsModeNear, AcGePoint3d(1203, 2100, 0), snapped));
  EXPECT_EQ(snapped.z, 50.0);
}

TEST(CloudSnap, APickFarAwayFindsNothingAndDoesNotOverflow) {
  auto entity = fixtures::EntityForCloud(TwoChunkCloud({{0, 0, 0, 2, 0}}, {}));
  AcGePoint3d snapped;
  EXPECT_FALSE(Snap(*entity, AcDb::kOsModeNear, AcGePoint3d(1e300, -1e300, 0), snapped));
  EXPECT_FALSE(Snap(*entity, AcDb::kOsModeNear, AcGePoint3d(-5e12, 2000, 0), snapped));
}

}  // namespace
