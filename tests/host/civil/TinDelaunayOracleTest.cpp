// The TIN's triangulation against CGAL's Delaunay triangulation of the same vertices, on
// seeded point sets chosen to be hard: clusters, collinear runs, repeated positions,
// cocircular lattices, and coordinates near either end of the double range. Where points
// are cocircular the two may pick different diagonals, so what must agree is what any
// Delaunay triangulation of the vertices shares: the triangle count and the outline; and
// every triangle must turn counter-clockwise with no vertex strictly inside its circle.
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <random>
#include <set>
#include <utility>

#include "tintriangulation.h"

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using Point = Kernel::Point_2;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel>;
using EdgeSet = std::set<std::pair<Point, Point>>;

std::vector<AcGePoint3d> Uniform(std::mt19937& random, std::size_t n, double low, double high) {
  std::uniform_real_distribution<double> coordinate(low, high);
  std::vector<AcGePoint3d> points;
  for (std::size_t i = 0; i < n; ++i) points.emplace_back(coordinate(random), coordinate(random), 0);
  return points;
}

std::vector<AcGePoint3d> Clusters(std::mt19937& random) {
  std::vector<AcGePoint3d> points;
  for (const double centre : {0.0, 1e4, 1e6}) {
    std::normal_distribution<double> near(centre, 1e-3);
    for (int i = 0; i < 150; ++i) points.emplace_back(near(random), near(random), 0);
  }
  return points;
}

// Runs of evenly spaced points on horizontal, vertical and diagonal lines, with a few
// loose points between them.
std::vector<AcGePoint3d> CollinearRuns(std::mt19937& random) {
  std::vector<AcGePoint3d> points = Uniform(random, 40, 0, 100);
  for (int i = 0; i <= 100; ++i) {
    points.emplace_back(i * 1.0, 50, 0);
    points.emplace_back(25, i * 1.0, 0);
    points.emplace_back(i * 1.0, i * 1.0, 0);
  }
  return points;
}

// A hundred points on one line (no triangle yet), then points around it.
std::vector<AcGePoint3d> LineThenScatter(std::mt19937& random) {
  std::vector<AcGePoint3d> points;
  for (int i = 0; i < 100; ++i) points.emplace_back(i, 2.0 * i, 0);
  const std::vector<AcGePoint3d> around = Uniform(random, 300, 0, 200);
  points.insert(points.end(), around.begin(), around.end());
  return points;
}

std::vector<AcGePoint3d> Repeated(std::mt19937& random) {
  std::vector<AcGePoint3d> points = Uniform(random, 300, -1, 1);
  for (std::size_t i = 0; i < 300; i += 3) points.push_back(points[i]);
  points.emplace_back(0.0, 0.0, 0);
  points.emplace_back(-0.0, 0.0, 1);
  std::shuffle(points.begin(), points.end(), random);
  return points;
}

// Every lattice point of a square, and the 36 lattice points of one circle (65^2 is a sum
// of two squares in four ways).
std::vector<AcGePoint3d> Lattice(std::mt19937&) {
  std::vector<AcGePoint3d> points;
  for (int i = 0; i < 20; ++i)
    for (int j = 0; j < 20; ++j) points.emplace_back(i, j, 0);
  for (int x = -65; x <= 65; ++x) {
    const int y = static_cast<int>(std::lround(std::sqrt(65.0 * 65 - x * x)));
    if (x * x + y * y != 65 * 65) continue;
    points.emplace_back(200 + x, 200 + y, 0);
    points.emplace_back(200 + x, 200 - y, 0);
  }
  return points;
}

EdgeSet Undirected(EdgeSet edges) {
  EdgeSet undirected;
  for (auto [a, b] : edges) undirected.insert(b < a ? std::pair(b, a) : std::pair(a, b));
  return undirected;
}

EdgeSet OracleOutline(const Delaunay& oracle) {
  EdgeSet outline;
  if (oracle.dimension() < 2) return outline;
  for (auto e = oracle.finite_edges_begin(); e != oracle.finite_edges_end(); ++e)
    if (oracle.is_infinite(e->first) || oracle.is_infinite(e->first->neighbor(e->second)))
      outline.insert({e->first->vertex(Delaunay::cw(e->second))->point(),
                      e->first->vertex(Delaunay::ccw(e->second))->point()});
  return Undirected(outline);
}

}  // namespace

TEST(TinTriangulation, AgreesWithCgalsDelaunayTriangulationOnHardPointSets) {
  struct Case {
    const char* name;
    std::function<std::vector<AcGePoint3d>(std::mt19937&)> points;
    std::size_t triangulatedAfter = 0;  // points added and triangulated before the rest, if any
  };
  const std::vector<Case> cases = {
      {"random", [](std::mt19937& r) { return Uniform(r, 600, 0, 1000); }},
      {"random, triangulated in between", [](std::mt19937& r) { return Uniform(r, 600, 0, 1000); }, 150},
      {"collinear first, triangulated in between", LineThenScatter, 100},
      {"clustered", Clusters},
      {"collinear runs", CollinearRuns},
      {"repeated positions", Repeated},
      {"cocircular lattice", Lattice},
      {"tiny", [](std::mt19937& r) { return Uniform(r, 150, 0, 1e-300); }},
      {"huge", [](std::mt19937& r) { return Uniform(r, 150, -1e300, 1e300); }},
      {"far from the origin", [](std::mt19937& r) { return Uniform(r, 300, 1e7, 1e7 + 1e-6); }},
      {"all on one line", [](std::mt19937&) { return std::vector<AcGePoint3d>{{0, 0, 0}, {2, 1, 0}, {4, 2, 0}, {-6, -3, 0}}; }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::mt19937 random(2027);
    pelvarhost::civil::TinTriangulation tin;
    const std::vector<AcGePoint3d> points = c.points(random);
    tin.Add({points.begin(), points.begin() + c.triangulatedAfter});
    tin.FaceCount();
    tin.Add({points.begin() + c.triangulatedAfter, points.end()});
    std::vector<Point> vertices;
    for (const AcGePoint3d& v : tin.Vertices()) vertices.emplace_back(v.x, v.y);
    Delaunay oracle(vertices.begin(), vertices.end());
    ASSERT_EQ(tin.FaceCount(), oracle.dimension() == 2 ? oracle.number_of_faces() : 0);

    for (const pelvarhost::civil::TinFace& f : tin.Faces()) {
      const Point &a = vertices[f[0]], &b = vertices[f[1]], &c = vertices[f[2]];
      ASSERT_EQ(CGAL::orientation(a, b, c), CGAL::LEFT_TURN);
      for (const Point& v : vertices)
        ASSERT_NE(CGAL::side_of_oriented_circle(a, b, c, v), CGAL::ON_POSITIVE_SIDE) << v << " inside " << a << ' ' << b << ' ' << c;
    }
    EdgeSet outline;
    for (const pelvarhost::civil::TinEdge& e : tin.Edges().outline) outline.insert({vertices[e[0]], vertices[e[1]]});
    EXPECT_EQ(Undirected(outline), OracleOutline(oracle));
  }
}
