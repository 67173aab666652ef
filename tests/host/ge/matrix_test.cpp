// Matrix algebra checked against independent routes.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "acge.h"

namespace {

constexpr double kTol = 1e-9;

void ExpectNear(const AcGePoint3d& expected, const AcGePoint3d& actual) {
  EXPECT_NEAR(expected.x, actual.x, kTol);
  EXPECT_NEAR(expected.y, actual.y, kTol);
  EXPECT_NEAR(expected.z, actual.z, kTol);
}

AcGeMatrix3d RandomAffine(std::mt19937& rng) {
  std::uniform_real_distribution<double> angle(-3.0, 3.0), coord(-100.0, 100.0), scale(0.2, 5.0);
  AcGeVector3d axis(coord(rng), coord(rng), coord(rng));
  return AcGeMatrix3d::translation({coord(rng), coord(rng), coord(rng)}) *
         AcGeMatrix3d::rotation(angle(rng), axis, {coord(rng), coord(rng), coord(rng)}) *
         AcGeMatrix3d::scaling(scale(rng), {coord(rng), coord(rng), coord(rng)});
}

TEST(Matrix, InverseTimesMatrixIsIdentity) {
  std::mt19937 rng(20270101);
  for (int i = 0; i < 200; ++i) {
    AcGeMatrix3d m = RandomAffine(rng);
    AcGeTol tol;
    tol.setEqualVector(1e-9);
    EXPECT_TRUE((m.inverse() * m).isEqualTo(AcGeMatrix3d::kIdentity, tol));
    EXPECT_TRUE((m * m.inverse()).isEqualTo(AcGeMatrix3d::kIdentity, tol));
    AcGeMatrix3d copy = m;
    copy.invert();
    EXPECT_TRUE(copy.isEqualTo(m.inverse(), tol));
  }
}

TEST(Matrix, RotationMovesKnownPoints) {
  const double quarter = AcGe::kPi / 2;
  ExpectNear({0, 1, 0}, AcGeMatrix3d::rotation(quarter, AcGeVector3d::kZAxis) * AcGePoint3d(1, 0, 0));
  ExpectNear({0, 0, 1}, AcGeMatrix3d::rotation(quarter, AcGeVector3d::kXAxis) * AcGePoint3d(0, 1, 0));
  ExpectNear({1, 0, 0}, AcGeMatrix3d::rotation(quarter, AcGeVector3d::kYAxis) * AcGePoint3d(0, 0, 1));
  // About a centre: (12, 10) turns a quarter about (10, 10) to (10, 12).
  ExpectNear({10, 12, 5}, AcGeMatrix3d::rotation(quarter, AcGeVector3d::kZAxis, {10, 10, 0}) *
                              AcGePoint3d(12, 10, 5));
  // A third of a turn about the (1,1,1) diagonal cycles the axes.
  ExpectNear({0, 1, 0}, AcGeMatrix3d::rotation(2 * AcGe::kPi / 3, {1, 1, 1}) * AcGePoint3d(1, 0, 0));
}

TEST(Matrix, ProductAppliesTheRightFactorFirst) {
  AcGeMatrix3d move = AcGeMatrix3d::translation({5, 0, 0});
  AcGeMatrix3d turn = AcGeMatrix3d::rotation(AcGe::kPi / 2, AcGeVector3d::kZAxis);
  ExpectNear({0, 6, 0}, (turn * move) * AcGePoint3d(1, 0, 0));  // move, then turn
  ExpectNear({5, 1, 0}, (move * turn) * AcGePoint3d(1, 0, 0));  // turn, then move
  AcGeMatrix3d pre = move;
  pre.preMultBy(turn);
  EXPECT_TRUE(pre.isEqualTo(turn * move));
  AcGeMatrix3d post = move;
  post.postMultBy(turn);
  EXPECT_TRUE(post.isEqualTo(move * turn));
  AcGeMatrix3d product;
  product.setToProduct(move, turn);
  EXPECT_TRUE(product.isEqualTo(move * turn));
}

TEST(Matrix, PointAndVectorTransformsAgree) {
  std::mt19937 rng(7);
  AcGeMatrix3d m = RandomAffine(rng);
  AcGePoint3d a(1, 2, 3), b(-4, 5, 0.5);
  AcGePoint3d ta = a, tb;
  ta.transformBy(m);
  tb.setToProduct(m, b);
  // A vector transforms like the difference of two transformed points.
  AcGeVector3d v = b - a;
  v.transformBy(m);
  EXPECT_TRUE(v.isEqualTo(tb - ta, AcGeTol()));
  ExpectNear(ta, m * a);
}

TEST(Matrix, ScalingMirroringAndEntries) {
  ExpectNear({3, 3, 3}, AcGeMatrix3d::scaling(2, {1, 1, 1}) * AcGePoint3d(2, 2, 2));
  ExpectNear({0, -2, 0}, AcGeMatrix3d::mirroring({0, 0, 0}) * AcGePoint3d(0, 2, 0));
  ExpectNear({2, 5, 7}, AcGeMatrix3d::mirroring({1, 0, 0}, {1, 0, 0}) * AcGePoint3d(0, 5, 7));
  AcGeMatrix3d m = AcGeMatrix3d::translation({4, 5, 6});
  EXPECT_EQ(4.0, m.entry[0][3]);
  EXPECT_EQ(5.0, m(1, 3));
  EXPECT_EQ(6.0, m[2][3]);
  EXPECT_TRUE(m.translation().isEqualTo({4, 5, 6}));
  EXPECT_NEAR(8.0, AcGeMatrix3d::scaling(2).det(), kTol);
  AcGeMatrix3d singular = AcGeMatrix3d::scaling(0);
  EXPECT_TRUE(singular.isSingular());
  EXPECT_FALSE(AcGeMatrix3d::kIdentity.isSingular());
}

TEST(Array, AppendsFindsAndRemoves) {
  AcGePoint3dArray points;
  EXPECT_TRUE(points.isEmpty());
  EXPECT_EQ(0, points.append({1, 2, 3}));
  EXPECT_EQ(1, points.append({4, 5, 6}));
  EXPECT_EQ(2, points.length());
  EXPECT_EQ(2, points.logicalLength());
  EXPECT_EQ(AcGePoint3d(4, 5, 6), points.at(1));
  EXPECT_EQ(1, points.find(AcGePoint3d(4, 5, 6)));
  points.removeAt(0);
  EXPECT_EQ(AcGePoint3d(4, 5, 6), points[0]);
  points.removeAll();
  EXPECT_TRUE(points.isEmpty());
}

}  // namespace

// Lengths and distances of huge and tiny vectors come out finite and exact to rounding:
// the squares of their parts would overflow or underflow.
TEST(Vector, LengthsOfHugeAndTinyVectors) {
  const struct {
    AcGePoint3d from, to;
    double length;
  } cases[] = {{{0, 0, 0}, {3, 4, 0}, 5},
               {{-1e300, 0, 0}, {1e300, 0, 0}, 2e300},
               {{0, 0, 0}, {3e300, 4e300, 0}, 5e300},
               {{0, 0, 0}, {0, 3e-300, 4e-300}, 5e-300}};
  for (const auto& c : cases)
    EXPECT_DOUBLE_EQ(c.from.distanceTo(c.to), c.length) << c.to.x << " " << c.to.y << " " << c.to.z;
}
