// Curve queries, extents, transforms and LIST lines of the host entities.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dbents.h"

namespace {

// The 3-4-5 and 6-8-10 triangles make lengths exact: segments of 5 and 10 units.
AcDb3dPolyline* Staircase() {
  AcGePoint3dArray vertices;
  vertices.append({0, 0, 0});
  vertices.append({3, 4, 0});
  vertices.append({3, 4 + 6, 8});
  return new AcDb3dPolyline(AcDb::k3dSimplePoly, vertices);
}

TEST(Curves, DistancesAlongA3dPolyline) {
  AcDb3dPolyline* poly = Staircase();
  double end = 0, dist = 0, param = 0;
  ASSERT_EQ(Acad::eOk, poly->getEndParam(end));
  EXPECT_EQ(2.0, end);
  ASSERT_EQ(Acad::eOk, poly->getDistAtParam(end, dist));
  EXPECT_DOUBLE_EQ(15.0, dist);
  ASSERT_EQ(Acad::eOk, poly->getDistAtParam(1.5, dist));
  EXPECT_DOUBLE_EQ(10.0, dist);
  ASSERT_EQ(Acad::eOk, poly->getParamAtDist(10.0, param));
  EXPECT_DOUBLE_EQ(1.5, param);
  AcGePoint3d p;
  ASSERT_EQ(Acad::eOk, poly->getPointAtDist(10.0, p));
  EXPECT_TRUE(p.isEqualTo({3, 7, 4}));
  ASSERT_EQ(Acad::eOk, poly->getPointAtParam(0.4, p));
  EXPECT_TRUE(p.isEqualTo({1.2, 1.6, 0}));
  EXPECT_EQ(Acad::eInvalidInput, poly->getPointAtDist(15.5, p));
  EXPECT_EQ(Acad::eInvalidInput, poly->getPointAtParam(-0.1, p));
  AcGePoint3d onCurve;
  ASSERT_EQ(Acad::eOk, poly->getClosestPointTo({10, 2, 0}, onCurve));
  EXPECT_TRUE(onCurve.isEqualTo({3, 4, 0}));
  ASSERT_EQ(Acad::eOk, poly->getDistAtPoint({3, 7, 4}, dist));
  EXPECT_NEAR(10.0, dist, 1e-9);
  delete poly;
}

TEST(Curves, ParametersAndDistancesThatAreNotNumbersAreRefused) {
  AcDb3dPolyline* poly = Staircase();
  const double nan = std::nan("");
  const double inf = std::numeric_limits<double>::infinity();
  double dist = -1, param = -1;
  AcGePoint3d p(7, 7, 7);
  for (double bad : {nan, inf, -inf}) {
    EXPECT_EQ(Acad::eInvalidInput, poly->getDistAtParam(bad, dist)) << bad;
    EXPECT_EQ(Acad::eInvalidInput, poly->getPointAtParam(bad, p)) << bad;
    EXPECT_EQ(Acad::eInvalidInput, poly->getParamAtDist(bad, param)) << bad;
    EXPECT_EQ(Acad::eInvalidInput, poly->getPointAtDist(bad, p)) << bad;
  }
  EXPECT_EQ(-1.0, dist);
  EXPECT_EQ(-1.0, param);
  EXPECT_EQ(AcGePoint3d(7, 7, 7), p);
  delete poly;
}

TEST(Curves, ClosedPolylineGoesBackToItsStart) {
  AcDbPolyline pline;
  pline.addVertexAt(0, {0, 0});
  pline.addVertexAt(1, {4, 0});
  pline.addVertexAt(2, {4, 3});
  pline.setClosed(true);
  double end = 0, length = 0;
  ASSERT_EQ(Acad::eOk, pline.getEndParam(end));
  EXPECT_EQ(3.0, end);
  ASSERT_EQ(Acad::eOk, pline.getDistAtParam(end, length));
  EXPECT_DOUBLE_EQ(12.0, length);
  EXPECT_EQ(Acad::eInvalidIndex, pline.addVertexAt(7, {0, 0}));
}

TEST(Curves, DegenerateCurvesSaySo) {
  AcDb3dPolyline empty;
  double param;
  EXPECT_EQ(Acad::eDegenerateGeometry, empty.getEndParam(param));
  AcDbExtents extents;
  EXPECT_EQ(Acad::eInvalidExtents, empty.getGeomExtents(extents));
}

TEST(Curves, TransformMovesTheGeometryAndTheExtents) {
  AcDb3dPolyline* poly = Staircase();
  AcGeMatrix3d xform = AcGeMatrix3d::rotation(AcGe::kPi / 2, AcGeVector3d::kZAxis) *
                       AcGeMatrix3d::translation({1, 0, 0});
  ASSERT_EQ(Acad::eOk, poly->transformBy(xform));
  AcGePoint3d p;
  poly->getPointAt(1, p);
  EXPECT_TRUE(p.isEqualTo({-4, 4, 0}));
  AcDbExtents extents;
  ASSERT_EQ(Acad::eOk, poly->getGeomExtents(extents));
  EXPECT_TRUE(extents.minPoint().isEqualTo({-10, 1, 0}));
  EXPECT_TRUE(extents.maxPoint().isEqualTo({0, 4, 8}));
  delete poly;

  AcDbPolyline flat;
  flat.addVertexAt(0, {1, 1});
  EXPECT_EQ(Acad::eCannotScaleNonUniformly,
            flat.transformBy(AcGeMatrix3d::rotation(0.3, AcGeVector3d::kXAxis)));
  ASSERT_EQ(Acad::eOk, flat.transformBy(AcGeMatrix3d::translation({0, 0, 7})));
  EXPECT_EQ(7.0, flat.elevation());
}

TEST(Curves, ExtentsTransformUsesAllEightCorners) {
  AcDbExtents box({0, 0, 0}, {2, 1, 1});
  box.transformBy(AcGeMatrix3d::rotation(AcGe::kPi / 4, AcGeVector3d::kZAxis));
  const double r = std::sqrt(0.5);
  EXPECT_NEAR(-r, box.minPoint().x, 1e-12);
  EXPECT_NEAR(0.0, box.minPoint().y, 1e-12);
  EXPECT_NEAR(2 * r, box.maxPoint().x, 1e-12);
  EXPECT_NEAR(3 * r, box.maxPoint().y, 1e-12);
  AcDbExtents bad;
  EXPECT_EQ(Acad::eInvalidExtents, bad.set({1, 0, 0}, {0, 0, 0}));
  EXPECT_FALSE(bad.isValid());
}

TEST(Curves, OsnapOffersEndsMiddlesAndNodes) {
  AcDbLine line({0, 0, 0}, {10, 0, 0});
  AcGePoint3dArray snaps;
  AcDbIntArray ids;
  line.getOsnapPoints(AcDb::kOsModeEnd, 0, {1, 1, 0}, {0, 0, 0}, AcGeMatrix3d::kIdentity, snaps, ids);
  line.getOsnapPoints(AcDb::kOsModeMid, 0, {1, 1, 0}, {0, 0, 0}, AcGeMatrix3d::kIdentity, snaps, ids);
  line.getOsnapPoints(AcDb::kOsModeNear, 0, {3, 2, 0}, {0, 0, 0}, AcGeMatrix3d::kIdentity, snaps, ids);
  ASSERT_EQ(4, snaps.length());
  EXPECT_EQ(AcGePoint3d(10, 0, 0), snaps[1]);
  EXPECT_EQ(AcGePoint3d(5, 0, 0), snaps[2]);
  EXPECT_EQ(AcGePoint3d(3, 0, 0), snaps[3]);
  EXPECT_EQ(4, ids.length());
  AcDbPoint point({1, 2, 3});
  snaps.removeAll();
  point.getOsnapPoints(AcDb::kOsModeNode, 0, {0, 0, 0}, {0, 0, 0}, AcGeMatrix3d::kIdentity, snaps, ids);
  ASSERT_EQ(1, snaps.length());
  EXPECT_EQ(AcGePoint3d(1, 2, 3), snaps[0]);
}

TEST(Curves, ListDescribesKeyGeometry) {
  AcDbLine line({0, 0, 0}, {3, 4, 0});
  std::vector<std::wstring> lines;
  line.list(lines);
  const std::vector<std::wstring> expected = {
      L"LINE  Layer: \"0\"",
      L"Space: not in a drawing",
      L"Handle = 0",
      L"Color: BYLAYER",
      L"from point, X=0.0000  Y=0.0000  Z=0.0000",
      L"to point, X=3.0000  Y=4.0000  Z=0.0000",
      L"Length = 5.0000"};
  EXPECT_EQ(expected, lines);
}

}  // namespace
