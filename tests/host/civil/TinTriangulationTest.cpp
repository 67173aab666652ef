// The TIN against independent oracles: the triangle count of a planar triangulation
// (2n - 2 - h with h hull vertices, from our own convex hull) and Delaunay's empty
// circumcircle, checked by brute force.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>
#include <random>

#include "tintriangulation.h"

using pelvarhost::civil::TinFace;
using pelvarhost::civil::TinTriangulation;

namespace {

std::vector<AcGePoint3d> RandomPoints(std::size_t n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> coordinate(0.0, 1000.0);
  std::vector<AcGePoint3d> points;
  for (std::size_t i = 0; i < n; ++i) points.emplace_back(coordinate(random), coordinate(random), coordinate(random) / 10);
  return points;
}

long double Cross(const AcGePoint3d& o, const AcGePoint3d& a, const AcGePoint3d& b) {
  return (static_cast<long double>(a.x) - o.x) * (static_cast<long double>(b.y) - o.y) -
         (static_cast<long double>(a.y) - o.y) * (static_cast<long double>(b.x) - o.x);
}

// Vertices of the convex hull (monotone chain, collinear hull points left out).
std::size_t HullVertexCount(std::vector<AcGePoint3d> points) {
  std::sort(points.begin(), points.end(), [](auto& a, auto& b) { return a.x < b.x || (a.x == b.x && a.y < b.y); });
  std::vector<AcGePoint3d> hull(2 * points.size());
  std::size_t k = 0;
  for (std::size_t i = 0; i < points.size(); ++i) {
    while (k >= 2 && Cross(hull[k - 2], hull[k - 1], points[i]) <= 0) --k;
    hull[k++] = points[i];
  }
  for (std::size_t i = points.size() - 1, t = k + 1; i > 0; --i) {
    while (k >= t && Cross(hull[k - 2], hull[k - 1], points[i - 1]) <= 0) --k;
    hull[k++] = points[i - 1];
  }
  return k - 1;
}

// Positive when d lies strictly inside the circumcircle of the counter-clockwise a, b, c.
long double InCircle(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& c, const AcGePoint3d& d) {
  long double adx = a.x - d.x, ady = a.y - d.y, bdx = b.x - d.x, bdy = b.y - d.y, cdx = c.x - d.x, cdy = c.y - d.y;
  long double ad = adx * adx + ady * ady, bd = bdx * bdx + bdy * bdy, cd = cdx * cdx + cdy * cdy;
  return adx * (bdy * cd - bd * cdy) - ady * (bdx * cd - bd * cdx) + ad * (bdx * cdy - bdy * cdx);
}

}  // namespace

TEST(TinTriangulation, TriangleCountIsTwoNMinusTwoMinusHullForPointsInGeneralPosition) {
  for (unsigned seed : {1u, 2u, 3u}) {
    std::vector<AcGePoint3d> points = RandomPoints(2000, seed);
    TinTriangulation tin;
    tin.Add(points);
    std::size_t n = points.size();
    EXPECT_EQ(tin.FaceCount(), 2 * n - 2 - HullVertexCount(points)) << "seed " << seed;
    EXPECT_EQ(tin.Faces().size(), tin.FaceCount());
  }
}

TEST(TinTriangulation, EveryFaceIsCounterClockwiseAndItsCircumcircleHoldsNoOtherVertex) {
  std::vector<AcGePoint3d> points = RandomPoints(300, 7);
  TinTriangulation tin;
  tin.Add(points);
  const std::vector<AcGePoint3d>& v = tin.Vertices();
  for (const TinFace& f : tin.Faces()) {
    ASSERT_GT(Cross(v[f[0]], v[f[1]], v[f[2]]), 0);
    for (std::uint32_t i = 0; i < v.size(); ++i) {
      if (i == f[0] || i == f[1] || i == f[2]) continue;
      ASSERT_LE(InCircle(v[f[0]], v[f[1]], v[f[2]], v[i]), 1e-6L) << "vertex " << i << " inside a face's circle";
    }
  }
}

TEST(TinTriangulation, BatchesGiveTheSameTriangulationAsOneCall) {
  std::vector<AcGePoint3d> points = RandomPoints(1000, 11);
  TinTriangulation whole, batched;
  whole.Add(points);
  batched.Add({points.begin(), points.begin() + 333});
  batched.Add({points.begin() + 333, points.end()});
  EXPECT_EQ(batched.FaceCount(), whole.FaceCount());
  EXPECT_EQ(batched.Vertices().size(), points.size());
}

TEST(TinTriangulation, ALaterVertexAtTheSamePlanPositionReplacesTheElevation) {
  TinTriangulation tin;
  tin.Add({{0, 0, 1}, {10, 0, 2}, {0, 10, 3}, {10, 0, 9}});
  tin.Add({{0, 0, 5}, {-0.0, 10, 7}});
  ASSERT_EQ(tin.Vertices().size(), 3u);
  EXPECT_EQ(tin.Vertices()[0].z, 5);
  EXPECT_EQ(tin.Vertices()[1].z, 9);
  EXPECT_EQ(tin.Vertices()[2].z, 7);
  EXPECT_EQ(tin.FaceCount(), 1u);
}

TEST(TinTriangulation, CollinearOrTooFewPointsMakeNoFaces) {
  TinTriangulation tin;
  tin.Add({{0, 0, 0}, {1, 1, 0}, {2, 2, 0}, {3, 3, 0}});
  EXPECT_EQ(tin.FaceCount(), 0u);
  EXPECT_TRUE(tin.Faces().empty());
  TinTriangulation empty;
  empty.Add({});
  EXPECT_EQ(empty.FaceCount(), 0u);
}

TEST(TinTriangulation, AGridWithCocircularSquaresStillGivesTwoTrianglesPerCell) {
  std::vector<AcGePoint3d> grid;
  for (int i = 0; i < 10; ++i)
    for (int j = 0; j < 10; ++j) grid.emplace_back(i, j, i + j);
  TinTriangulation tin;
  tin.Add(grid);
  EXPECT_EQ(tin.FaceCount(), 2u * 9 * 9);
}

// Many positions, added in several calls before and after the triangulation is built,
// against a map kept alongside: one vertex per position, in order of first arrival,
// holding the last elevation given for it.
TEST(TinTriangulation, RepeatedPositionsAcrossManyCallsKeepOneVertexWithTheLastElevation) {
  std::mt19937 random(20271);
  const std::vector<AcGePoint3d> positions = RandomPoints(12000, 20272);
  std::uniform_int_distribution<std::size_t> pick(0, positions.size() - 1);
  std::map<std::pair<double, double>, std::size_t> firstArrival;
  std::vector<AcGePoint3d> expected;
  TinTriangulation tin;
  for (int call = 0; call < 6; ++call) {
    std::vector<AcGePoint3d> batch;
    for (int i = 0; i < 5000; ++i) {
      AcGePoint3d p = positions[pick(random)];
      p.z = call * 10000.0 + i;
      batch.push_back(p);
      auto [it, fresh] = firstArrival.try_emplace({p.x, p.y}, expected.size());
      if (fresh) {
        expected.push_back(p);
      } else {
        expected[it->second].z = p.z;
      }
    }
    tin.Add(batch);
    if (call % 2 == 1) {
      EXPECT_GT(tin.FaceCount(), 0u) << "call " << call;
    }
  }
  ASSERT_EQ(tin.Vertices().size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    ASSERT_EQ(tin.Vertices()[i].x, expected[i].x) << i;
    ASSERT_EQ(tin.Vertices()[i].y, expected[i].y) << i;
    ASSERT_EQ(tin.Vertices()[i].z, expected[i].z) << i;
  }
  // Every vertex is in the triangulation: the faces reach each index.
  std::vector<bool> reached(expected.size(), false);
  for (const TinFace& face : tin.Faces())
    for (std::uint32_t v : face) reached.at(v) = true;
  EXPECT_EQ(std::count(reached.begin(), reached.end(), false), 0);
}

namespace {

// A crafted drawing can hold vertices no triangulation can place: they are dropped, and the
// finite ones triangulate as if the others were never there.
TEST(TinTriangulation, NonFiniteVerticesAreDropped) {
  constexpr double inf = std::numeric_limits<double>::infinity();
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  const std::vector<AcGePoint3d> square = {{0, 0, 1}, {10, 0, 2}, {10, 10, 3}, {0, 10, 4}};
  for (const AcGePoint3d& bad : {AcGePoint3d(inf, 0, 0), AcGePoint3d(0, -inf, 0), AcGePoint3d(nan, 5, 0),
                                 AcGePoint3d(5, 5, nan), AcGePoint3d(5, 5, inf)}) {
    std::vector<AcGePoint3d> points = square;
    points.insert(points.begin() + 2, bad);
    TinTriangulation tin;
    tin.Add(points);
    EXPECT_EQ(tin.Vertices().size(), 4u);
    EXPECT_EQ(tin.FaceCount(), 2u);
  }
}

}  // namespace

// A window hears how far a long triangulation is, in steps, up to the vertex count; the
// callback outlives Clear.
TEST(TinTriangulation, ProgressIsHeardInRisingStepsUpToTheVertexCount) {
  std::vector<std::pair<std::size_t, std::size_t>> heard;
  TinTriangulation tin;
  tin.SetProgress([&heard](std::size_t done, std::size_t total) { heard.emplace_back(done, total); });
  tin.Clear();
  tin.Add(RandomPoints(270000, 5));
  EXPECT_GT(tin.FaceCount(), 0u);
  ASSERT_EQ(heard.size(), 2u);
  for (std::size_t i = 0; i < heard.size(); ++i) {
    EXPECT_EQ(heard[i].second, tin.Vertices().size());
    EXPECT_LT(heard[i].first, heard[i].second);
    if (i > 0) {
      EXPECT_GT(heard[i].first, heard[i - 1].first);
    }
  }
}

// A triangulation that fails partway (here its progress callback throws, as a failed
// allocation would) is built afresh at the next use: the same faces as a TIN that never
// failed, before and after more points arrive.
TEST(TinTriangulation, AFailureWhileTriangulatingLeavesNoHalfBuiltTriangulation) {
  const std::vector<AcGePoint3d> first = RandomPoints(300000, 8), more = RandomPoints(1000, 9);
  TinTriangulation failing, plain;
  failing.SetProgress([](std::size_t, std::size_t) { throw std::bad_alloc(); });
  failing.Add(first);
  plain.Add(first);
  EXPECT_THROW(failing.FaceCount(), std::bad_alloc);
  failing.SetProgress(nullptr);
  for (const auto* batch : {&more, &first}) {
    EXPECT_EQ(failing.FaceCount(), plain.FaceCount());
    EXPECT_EQ(failing.Faces(), plain.Faces());
    failing.Add(*batch);
    plain.Add(*batch);
  }
}
