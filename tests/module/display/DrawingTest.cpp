// What a cloud draws: its outline, its points in bucket colours, the colour modes, override
// classes, the elevation window, and nothing at all when its file is missing.
#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "entity/ColourTables.h"
#include "tests/module/display/CloudFixtures.h"
#include "tests/module/display/RecordingDraw.h"

namespace {

using recording::Draw;
using recording::DrawCall;

// The colour of bucket b, worked out from the class palette and shade factors
// (class buckets only; the full table is checked in ColourTablesTest).
PaletteColour ClassShadeOracle(int row, int shade) {
  static const int rows[10][3] = {{86, 96, 112}, {168, 173, 181}, {111, 145, 96}, {122, 166, 104}, {82, 127, 82},
                                  {255, 140, 90}, {85, 85, 85},   {76, 155, 232}, {180, 140, 232}, {138, 133, 120}};
  static const double factors[4] = {0.55, 0.55 + 0.65 / 3, 0.55 + 1.3 / 3, 1.2};
  auto ch = [&](int c) { return static_cast<uint8_t>(std::fmin(rows[row][c] * factors[shade], 255.0)); };
  return {ch(0), ch(1), ch(2)};
}

PaletteColour ColourOf(const DrawCall& call) {
  EXPECT_TRUE(call.colour.isByColor());
  return {call.colour.red(), call.colour.green(), call.colour.blue()};
}

const DrawCall* OnlyPolypoint(const Draw& draw) {
  const DrawCall* found = nullptr;
  for (const DrawCall& c : draw.log.calls)
    if (c.kind == DrawCall::Polypoint) {
      EXPECT_EQ(found, nullptr) << "more than one polypoint";
      found = &c;
    }
  return found;
}

crafted::Cloud SinglePointCloud(uint8_t cls, uint16_t intensity, uint16_t qz = 1000) {
  crafted::Cloud cloud;
  cloud.points = {{100, 200, qz, cls, intensity}};
  return cloud;
}

TEST(CloudOutline, IsTheSquareAtTheBottomOfTheBoxEvenWhenEveryPointIsHidden) {
  auto cls = [](uint32_t, uint32_t) -> uint8_t { return 1; };  // unclassified: hidden by default
  auto entity = fixtures::EntityForCloud(fixtures::GridCloud(2, 20, cls));
  Draw draw(1.0);
  EXPECT_FALSE(entity->worldDraw(draw.world()));
  entity->viewportDraw(draw.viewport());
  ASSERT_EQ(draw.log.Count(DrawCall::Polyline), 1u);
  EXPECT_EQ(draw.log.Count(DrawCall::Polypoint), 0u);
  const DrawCall& outline = draw.log.calls[0];
  const AcGePoint3d want[5] = {{1000, 2000, 50}, {1400, 2000, 50}, {1400, 2400, 50}, {1000, 2400, 50}, {1000, 2000, 50}};
  ASSERT_EQ(outline.points.size(), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(outline.points[i], want[i]) << i;
  EXPECT_EQ(outline.fill, kAcGiFillNever);
  EXPECT_FALSE(outline.colour.isByColor());  // the entity's own colour
  EXPECT_EQ(draw.log.pushes, draw.log.pops);
}

TEST(CloudWithoutFile, DrawsNothingHasNoExtentsAndNoSnap) {
  auto entity = fixtures::EntityFor(L"/nonexistent/folder/missing.kmt");
  Draw draw(1.0);
  EXPECT_FALSE(entity->worldDraw(draw.world()));
  entity->viewportDraw(draw.viewport());
  EXPECT_TRUE(draw.log.calls.empty());
  EXPECT_EQ(draw.log.pushes, 0);
  AcDbExtents extents;
  EXPECT_EQ(entity->getGeomExtents(extents), Acad::eInvalidExtents);
  AcGePoint3dArray snaps;
  AcDbIntArray ids;
  EXPECT_EQ(entity->getOsnapPoints(AcDb::kOsModeNear, 0, AcGePoint3d(0, 0, 0), AcGePoint3d(0, 0, 0),
                                   AcGeMatrix3d::kIdentity, snaps, ids),
            Acad::eOk);
  EXPECT_TRUE(snaps.isEmpty());
}

TEST(CloudColours, ClassModeUsesThePaletteRowAndTheIntensityShadeOfEveryPoint) {
  // One point for each class row and shade: intensities 0, 100, 200, 300 of maximum 399.
  const uint8_t classes[10] = {1, 2, 3, 4, 5, 6, 7, 9, 17, 20};
  crafted::Cloud cloud;
  for (int row = 0; row < 10; ++row)
    for (int shade = 0; shade < 4; ++shade)
      cloud.points.push_back({static_cast<uint16_t>(row * 1000 + shade), 5, 5, classes[row],
                              static_cast<uint16_t>(shade == 3 ? 399 : shade * 100)});
  auto entity = fixtures::EntityForCloud(cloud);
  entity->setClassMask(0xFFFFFFFF);
  Draw draw(100.0);
  entity->viewportDraw(draw.viewport());
  ASSERT_EQ(draw.log.Count(DrawCall::Polypoint), 40u);
  int index = 0;
  for (const DrawCall& call : draw.log.calls) {
    if (call.kind != DrawCall::Polypoint) continue;
    int row = index / 4, shade = index % 4;
    ASSERT_EQ(call.points.size(), 1u);
    EXPECT_DOUBLE_EQ(call.points[0].x, fixtures::Decode(static_cast<uint16_t>(row * 1000 + shade), 2000, 2229000.25));
    EXPECT_EQ(ColourOf(call), ClassShadeOracle(row, shade)) << "row " << row << " shade " << shade;
    EXPECT_FALSE(call.hadNormals);
    EXPECT_FALSE(call.hadMarkers);
    ++index;
  }
}

TEST(CloudColours, UnlistedClassTwelveUsesTheUnclassifiedRow) {
  auto entity = fixtures::EntityForCloud(SinglePointCloud(12, 0));
  entity->setClassMask(0xFFFFFFFF);
  Draw draw(1.0);
  entity->viewportDraw(draw.viewport());
  const DrawCall* call = OnlyPolypoint(draw);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(ColourOf(*call), (PaletteColour{47, 52, 61}));  // (86, 96, 112) x 0.55
}

TEST(CloudColours, IntensityModeWithAllIntensitiesZeroIsTheDarkestGrey) {
  crafted::Cloud cloud = fixtures::GridCloud(2, 30, fixtures::AllGround);
  for (crafted::Point& p : cloud.points) p.intensity = 0;  // the reader then reports maximum 1
  auto entity = fixtures::EntityForCloud(cloud);
  entity->setColorMode(Pelvar::kColorByIntensity);
  Draw draw(100.0);
  entity->viewportDraw(draw.viewport());
  const DrawCall* call = OnlyPolypoint(draw);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(call->points.size(), 120u);
  EXPECT_EQ(ColourOf(*call), (PaletteColour{40, 40, 40}));
}

TEST(CloudColours, ElevationModeDrawsTheTopCodeInTheRampsLastColour) {
  auto entity = fixtures::EntityForCloud(SinglePointCloud(2, 0, 65535));
  entity->setColorMode(Pelvar::kColorByElevation);
  Draw draw(1.0);
  entity->viewportDraw(draw.viewport());
  const DrawCall* call = OnlyPolypoint(draw);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(ColourOf(*call), (PaletteColour{230, 70, 50}));
}

TEST(CloudColours, UnknownColourModesColourByClass) {
  auto entity = fixtures::EntityForCloud(SinglePointCloud(6, 0));
  entity->setColorMode(7);
  Draw draw(1.0);
  entity->viewportDraw(draw.viewport());
  const DrawCall* call = OnlyPolypoint(draw);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(ColourOf(*call), ClassShadeOracle(5, 0));
}

TEST(CloudColours, BucketsAreDrawnInOrderOnePolypointEachUnderTheEntityTransform) {
  crafted::Cloud cloud = fixtures::GridCloud(4, 200, [](uint32_t c, uint32_t k) -> uint8_t {
    const uint8_t classes[] = {2, 6, 9, 17, 20};
    return classes[(c + k) % 5];
  });
  auto entity = fixtures::EntityForCloud(cloud);
  AcGeMatrix3d shift = AcGeMatrix3d::translation(AcGeVector3d(10, 20, 30));
  entity->setTransform(shift);
  Draw draw(1.0);
  entity->viewportDraw(draw.viewport());
  std::map<std::tuple<int, int, int>, int> seen;
  for (const DrawCall& call : draw.log.calls) {
    ASSERT_EQ(call.kind, DrawCall::Polypoint);
    EXPECT_TRUE(call.modelTransform.isEqualTo(shift));
    PaletteColour c = ColourOf(call);
    int timesSeen = ++seen[{c.red, c.green, c.blue}];
    EXPECT_EQ(timesSeen, 1) << "a colour drawn twice";
  }
  EXPECT_LE(draw.log.calls.size(), 72u);
  EXPECT_EQ(draw.log.PointsDrawn(), 16u * 200);
  EXPECT_EQ(draw.log.pushes, 1);
  EXPECT_EQ(draw.log.pops, 1);
}

TEST(CloudOverrides, AnOverrideClassColoursAndHidesThePointByItsNewClass) {
  auto entity = fixtures::EntityForCloud(SinglePointCloud(2, 0));
  ASSERT_TRUE(entity->CloudData());
  entity->classOverridesSlot() = std::make_shared<ClassOverrideArray>(1, uint8_t{6});
  Draw shown(1.0);
  entity->viewportDraw(shown.viewport());
  const DrawCall* call = OnlyPolypoint(shown);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(ColourOf(*call), ClassShadeOracle(5, 0));  // building orange, not ground grey

  entity->setClassMask(Pelvar::kDefaultClassMask & ~(1u << 6));  // bit 2 still set
  Draw hidden(1.0);
  entity->viewportDraw(hidden.viewport());
  EXPECT_EQ(hidden.log.Count(DrawCall::Polypoint), 0u);
}

TEST(CloudOverrides, TheNoOverrideByteKeepsTheStoredClass) {
  auto entity = fixtures::EntityForCloud(SinglePointCloud(2, 0));
  ASSERT_TRUE(entity->CloudData());
  entity->classOverridesSlot() = std::make_shared<ClassOverrideArray>(1, kNoOverride);
  Draw draw(1.0);
  entity->viewportDraw(draw.viewport());
  const DrawCall* call = OnlyPolypoint(draw);
  ASSERT_NE(call, nullptr);
  EXPECT_EQ(ColourOf(*call), ClassShadeOracle(1, 0));
}

TEST(CloudElevationWindow, OnlyPointsWithinTheBoundsAreDrawn) {
  crafted::Cloud cloud = fixtures::GridCloud(2, 100, fixtures::AllGround);
  auto entity = fixtures::EntityForCloud(cloud);
  entity->setElevationWindow(true, 70.0, 90.0);
  Draw draw(100.0);
  entity->viewportDraw(draw.viewport());
  size_t expected = 0;
  for (const crafted::Point& p : cloud.points) {
    double z = fixtures::Decode(p.qz, 100, 50);
    expected += z >= 70.0 && z <= 90.0;
  }
  ASSERT_GT(expected, 0u);
  ASSERT_LT(expected, cloud.points.size());
  EXPECT_EQ(draw.log.PointsDrawn(), expected);
  for (const DrawCall& call : draw.log.calls)
    for (const AcGePoint3d& p : call.points) {
      EXPECT_GE(p.z, 70.0);
      EXPECT_LE(p.z, 90.0);
    }
}

}  // namespace
