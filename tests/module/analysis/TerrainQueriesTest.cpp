// Ground lookup and nearest-point search over clouds whose ground plane and points are
// known exactly: every result is compared with the plane or the placed point.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "analysis/TerrainQueries.h"
#include "entity/DisplayPass.h"
#include "tools/samplegen/SampleCloud.h"
#include "tests/module/analysis/ViewFixture.h"

namespace {

using terrain::kCell;
using terrain::kGridEnd;
using viewtest::ViewOf;
using viewtest::WriteCloud;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

AcGeMatrix3d Moved(double dx, double dy, double dz) { return AcGeMatrix3d::translation(AcGeVector3d(dx, dy, dz)); }

TEST(GroundLookup, FollowsTheKnownPlaneAcrossTheGridAndStopsAtItsEdges) {
  terrain::Cloud cloud;
  CloudView view = ViewOf(WriteCloud(cloud, "plane.kmt"));
  const KmqData& data = *view.data;
  std::mt19937 random(20261207);
  std::uniform_real_distribution<double> offset(0.0, kGridEnd);
  for (int n = 0; n < 500; ++n) {
    double x = cloud.originX + offset(random), y = cloud.originY + offset(random), z = 0.0;
    ASSERT_TRUE(GroundAtLocal(data, x, y, z)) << x << ", " << y;
    EXPECT_NEAR(z, cloud.Ground(x, y), 1e-6) << x << ", " << y;
  }
  double z = 0.0;
  const double farX = cloud.originX + kGridEnd, farY = cloud.originY + kGridEnd;
  ASSERT_TRUE(GroundAtLocal(data, farX, farY, z));
  EXPECT_NEAR(z, terrain::kBaseZ + terrain::kZExtent, 1e-6);
  EXPECT_TRUE(GroundAtLocal(data, cloud.originX, cloud.originY, z));
  EXPECT_NEAR(z, terrain::kBaseZ, 1e-6);
  EXPECT_FALSE(GroundAtLocal(data, std::nextafter(farX, 1e9), cloud.originY + 5, z));
  EXPECT_FALSE(GroundAtLocal(data, cloud.originX + 5, std::nextafter(farY, 1e9), z));
  EXPECT_FALSE(GroundAtLocal(data, std::nextafter(cloud.originX, 0.0), cloud.originY + 5, z));
  EXPECT_FALSE(GroundAtLocal(data, kNaN, cloud.originY + 5, z));
  EXPECT_FALSE(GroundAtLocal(data, cloud.originX + 5, kNaN, z));
  EXPECT_FALSE(GroundAtLocal(data, 1e308, -1e308, z));
}

TEST(GroundLookup, AGridOfOneNodeOnAnAxisNeverHasGround) {
  for (auto [nx, ny] : {std::pair<uint16_t, uint16_t>{1, 5}, {5, 1}, {1, 1}}) {
    terrain::Cloud cloud;
    cloud.nodesX = nx, cloud.nodesY = ny;
    CloudView view = ViewOf(WriteCloud(cloud, "thin.kmt"));
    double z = 0.0;
    EXPECT_FALSE(GroundAtLocal(*view.data, cloud.originX, cloud.originY, z)) << nx << " x " << ny;
    ClearCloudCache();
  }
}

TEST(GroundLookup, WorldPositionsGoThroughTheTransformAndTheFirstCoveringCloudWins) {
  terrain::Cloud first, second;
  second.originX = 1600.0;  // overlaps the first from x = 1600 to 2020
  std::wstring firstPath = WriteCloud(first, "first.kmt"), secondPath = WriteCloud(second, "second.kmt");
  CloudViews views = {ViewOf(firstPath, Moved(500.0, -300.0, 10.0)), ViewOf(secondPath, Moved(500.0, -300.0, 40.0))};
  double z = 0.0;
  // Covered by the first only, then by both (the first wins), then by the second only.
  for (double cloudX : {1200.0, 1800.0}) {
    ASSERT_TRUE(GroundElevationAt(views, cloudX + 500.0, 2100.0 - 300.0, z));
    EXPECT_NEAR(z, first.Ground(cloudX, 2100.0) + 10.0, 1e-6);
  }
  ASSERT_TRUE(GroundElevationAt(views, 2300.0 + 500.0, 2100.0 - 300.0, z));
  EXPECT_NEAR(z, second.Ground(2300.0, 2100.0) + 40.0, 1e-6);
  EXPECT_FALSE(GroundElevationAt(views, 900.0, 2100.0, z));
  EXPECT_FALSE(GroundElevationAt(views, kNaN, 2100.0, z));
  EXPECT_FALSE(GroundElevationAt({}, 1200.0, 2100.0, z));
}

TEST(GroundLookup, ARotatedCloudIsSampledAtTheRotatedPosition) {
  terrain::Cloud cloud;
  AcGeMatrix3d quarterTurn;
  quarterTurn.setToRotation(M_PI / 2, AcGeVector3d::kZAxis, AcGePoint3d(0, 0, 0));
  CloudViews views = {ViewOf(WriteCloud(cloud, "turned.kmt"), quarterTurn)};
  double z = 0.0;
  // Cloud (1300, 2400) lies at world (-2400, 1300).
  ASSERT_TRUE(GroundElevationAt(views, -2400.0, 1300.0, z));
  EXPECT_NEAR(z, cloud.Ground(1300.0, 2400.0), 1e-6);
}


TEST(NearestPoint, FindsAPointJustInsideTheRadiusButNotOneExactlyOnIt) {
  terrain::Cloud cloud;
  cloud.AddAt(500.0, 500.0, 3.0, 2, 200 * 256);
  CloudViews views = {ViewOf(WriteCloud(cloud, "near.kmt"))};
  CloudPointHit hit;
  ASSERT_TRUE(NearestCloudPoint(views, AcGePoint3d(1500.0 - 24.99, 2500.0, 0.0), kNearestSearchRadius, hit));
  EXPECT_EQ(hit.world, AcGePoint3d(1500.0, 2500.0, std::round((cloud.Ground(1500, 2500) + 3.0) * 1024) / 1024));
  EXPECT_EQ(hit.cls, 2);
  EXPECT_EQ(hit.intensity, 200);
  EXPECT_FALSE(NearestCloudPoint(views, AcGePoint3d(1500.0 - 25.0, 2500.0, 0.0), kNearestSearchRadius, hit));
  EXPECT_FALSE(NearestCloudPoint(views, AcGePoint3d(1500.0, 2500.0 + 25.0, 0.0), kNearestSearchRadius, hit));
  EXPECT_FALSE(NearestCloudPoint(views, AcGePoint3d(1500.0 + 15.0, 2500.0 + 20.0, 0.0), kNearestSearchRadius, hit));
  EXPECT_TRUE(NearestCloudPoint(views, AcGePoint3d(1500.0 + 15.0, 2500.0 + 19.99, 0.0), kNearestSearchRadius, hit));
}

TEST(NearestPoint, SkipsHiddenPointsAndReportsTheEffectiveClass) {
  terrain::Cloud cloud;
  cloud.AddAt(500.0, 500.0, 1.0, 5);   // nearest, but vegetation is hidden by default
  cloud.AddAt(503.0, 500.0, 2.0, 6);   // a roof point 3 ft away
  cloud.AddAt(510.0, 500.0, 20.0, 17); // a bridge point 10 ft away, high
  CloudView view = ViewOf(WriteCloud(cloud, "classes.kmt"));
  CloudPointHit hit;
  auto nearestX = [&](const CloudView& v) {
    CloudViews views = {v};
    return NearestCloudPoint(views, AcGePoint3d(1500.0, 2500.0, 0.0), kNearestSearchRadius, hit) ? hit.world.x : -1.0;
  };
  EXPECT_EQ(nearestX(view), 1503.0);
  EXPECT_EQ(hit.cls, 6);

  CloudView noRoofs = view;
  noRoofs.classMask &= ~(1u << 6);
  EXPECT_EQ(nearestX(noRoofs), 1510.0);

  CloudView window = view;  // the elevation window leaves only the high bridge point
  window.elevFilterOn = true;
  window.elevMin = cloud.points[2].z;
  window.elevMax = cloud.points[2].z;
  EXPECT_EQ(nearestX(window), 1510.0);
  window.elevMin = std::nextafter(cloud.points[2].z, 1e9);
  window.elevMax = 1e9;
  EXPECT_EQ(nearestX(window), -1.0);

  // Overrides: 255 keeps the stored class; class 37 counts as class 5 (bit 37 mod 32).
  CloudView overridden = view;
  overridden.classOverrides = std::make_shared<ClassOverrideArray>(view.data->pointCount, kNoOverride);
  (*overridden.classOverrides)[viewtest::IndexAt(*view.data, 1500.0, 2500.0)] = 20;
  EXPECT_EQ(nearestX(overridden), 1500.0);
  EXPECT_EQ(hit.cls, 20);
  (*overridden.classOverrides)[viewtest::IndexAt(*view.data, 1500.0, 2500.0)] = 37;
  EXPECT_EQ(nearestX(overridden), 1503.0);
  overridden.classMask |= 1u << 5;
  EXPECT_EQ(nearestX(overridden), 1500.0);
  EXPECT_EQ(hit.cls, 37);
}

TEST(NearestPoint, TheNearerOfTwoCloudsWinsAndTheEarlierOneOnATie) {
  terrain::Cloud first, second;
  first.AddAt(500.0, 500.0, 1.0, 2);
  second.AddAt(500.0, 500.0, 5.0, 6);  // the same plan position, higher
  second.AddAt(490.0, 500.0, 5.0, 6);
  CloudViews views = {ViewOf(WriteCloud(first, "a.kmt")), ViewOf(WriteCloud(second, "b.kmt"))};
  CloudPointHit hit;
  ASSERT_TRUE(NearestCloudPoint(views, AcGePoint3d(1499.0, 2500.0, 0.0), kNearestSearchRadius, hit));
  EXPECT_EQ(hit.cls, 2);  // a tie at 1 ft: the first cloud's point
  ASSERT_TRUE(NearestCloudPoint(views, AcGePoint3d(1494.0, 2500.0, 0.0), kNearestSearchRadius, hit));
  EXPECT_EQ(hit.world.x, 1490.0);  // 4 ft to the second cloud's point, 6 ft to the first's
  EXPECT_EQ(hit.cls, 6);
}

TEST(NearestPoint, PositionsFarOutsideOrNotANumberFindNothing) {
  terrain::Cloud cloud;
  cloud.AddAt(0.5, 0.5, 1.0, 2);
  CloudViews views = {ViewOf(WriteCloud(cloud, "edge.kmt"))};
  CloudPointHit hit;
  EXPECT_TRUE(NearestCloudPoint(views, AcGePoint3d(990.0, 2000.5, 0.0), kNearestSearchRadius, hit));
  for (AcGePoint3d far : {AcGePoint3d(kNaN, 2000.0, 0.0), AcGePoint3d(1000.0, kNaN, 0.0), AcGePoint3d(1e300, 1e300, 0.0),
                          AcGePoint3d(-1e300, 2000.0, 0.0), AcGePoint3d(1000.0, -1e18, 0.0)})
    EXPECT_FALSE(NearestCloudPoint(views, far, kNearestSearchRadius, hit));
}

// The plain search over the 3 x 3 chunk cells, view by view, as the oracle for the index.
bool ScanNearest(const CloudViews& views, double x, double y, CloudPointHit& hit) {
  double best = kNearestSearchRadius * kNearestSearchRadius;
  bool found = false;
  for (const CloudView& view : views) {
    const AcGePoint3d local = view.toCloud * AcGePoint3d(x, y, 0);
    uint32_t index = 0;
    if (!FindNearestVisible(*view.data, VisibilityRuleOf(view), OverrideBytesOf(view), local.x, local.y, best, index))
      continue;
    const KmqPoint& p = view.data->points[index];
    hit.world = view.toWorld * AcGePoint3d(DecodeX(*view.data, p), DecodeY(*view.data, p), DecodeZ(*view.data, p));
    hit.cls = EffectiveClassAt(view, index);
    hit.intensity = p.intensity;
    found = true;
  }
  return found;
}

TEST(NearestPoint, TheIndexFindsWhatThePlainChunkSearchFinds) {
  SampleCloudRequest request;
  request.pointCount = 150'000;
  request.seed = 77;
  request.side = 600.0;  // dense: many points share codes, so ties are common
  std::vector<uint8_t> bytes = BuildSampleKmq2(request);
  CloudView view = ViewOf(crafted::WriteTestFile("generated.kmt", bytes));
  CloudView windowed = view;
  windowed.classMask = 0x0000FFFFu;
  windowed.elevFilterOn = true;
  windowed.elevMin = view.data->originZ + 5;
  windowed.elevMax = view.data->originZ + 40;
  windowed.classOverrides = std::make_shared<ClassOverrideArray>(view.data->pointCount, kNoOverride);
  for (size_t i = 0; i < view.data->pointCount; i += 3) (*windowed.classOverrides)[i] = static_cast<uint8_t>(i % 40);
  std::mt19937_64 random(99);
  std::uniform_real_distribution<double> u(-0.1, 1.1);
  for (const CloudViews& views : {CloudViews{view}, CloudViews{windowed}, CloudViews{windowed, view}}) {
    for (int n = 0; n < 1500; ++n) {
      // Half the queries sit exactly on a stored point's position, where ties are found.
      double x = view.data->originX + u(random) * view.data->sizeX, y = view.data->originY + u(random) * view.data->sizeY;
      if (n % 2 == 0) {
        const KmqPoint& p = view.data->points[random() % view.data->pointCount];
        x = DecodeX(*view.data, p), y = DecodeY(*view.data, p);
      }
      CloudPointHit indexed, scanned;
      const bool found = NearestCloudPoint(views, AcGePoint3d(x, y, 0), kNearestSearchRadius, indexed);
      ASSERT_EQ(found, ScanNearest(views, x, y, scanned)) << x << ", " << y;
      if (!found) continue;
      ASSERT_EQ(indexed.world.x, scanned.world.x) << x << ", " << y;
      ASSERT_EQ(indexed.world.y, scanned.world.y);
      ASSERT_EQ(indexed.world.z, scanned.world.z);
      ASSERT_EQ(indexed.cls, scanned.cls);
      ASSERT_EQ(indexed.intensity, scanned.intensity);
    }
  }
}

TEST(NearestPoint, TheIndexKeepsThePlainSearchsChoiceAmongEqualDistances) {
  terrain::Cloud cloud;
  const uint8_t classes[] = {2, 6, 9, 17, 20, 2, 6};
  for (uint8_t cls : classes) cloud.AddAt(500.0, 500.0, cls / 4.0, cls);  // one spot, seven points
  // Equal distances from (1512, 2512) on both sides of the chunk line at x = 1512.
  cloud.AddAt(508.0, 512.0, 1.0, 6);
  cloud.AddAt(516.0, 512.0, 2.0, 9);
  cloud.AddAt(512.0, 508.0, 3.0, 17);
  cloud.AddAt(512.0, 516.0, 4.0, 20);
  CloudViews views = {ViewOf(WriteCloud(cloud, "ties.kmt"))};
  for (AcGePoint3d at : {AcGePoint3d(1500, 2500, 0), AcGePoint3d(1501, 2500, 0), AcGePoint3d(1512, 2512, 0)}) {
    CloudPointHit indexed, scanned;
    ASSERT_TRUE(NearestCloudPoint(views, at, kNearestSearchRadius, indexed));
    ASSERT_TRUE(ScanNearest(views, at.x, at.y, scanned));
    EXPECT_EQ(indexed.world, scanned.world);
    EXPECT_EQ(indexed.cls, scanned.cls);
  }
}

}  // namespace
