// The surface's vertices from one view: which points and nodes are taken, in world coordinates.
#include <gtest/gtest.h>

#include <limits>

#include "analysis/SurfaceCommand.h"
#include "tests/module/analysis/ViewFixture.h"

namespace {

using viewtest::ViewOf;
using viewtest::WriteCloud;

TEST(SurfaceVertices, GroundPointsByEffectiveClassInsideTheWindowWhateverTheMask) {
  terrain::Cloud cloud;
  const terrain::Point ground = cloud.AddAt(100, 100, 0.0, 2);
  const terrain::Point ignored = cloud.AddAt(200, 100, -5.0, 20);
  cloud.AddAt(300, 100, 5.0, 6);
  CloudView view = ViewOf(WriteCloud(cloud, "s.kmt"), AcGeMatrix3d::translation(AcGeVector3d(10, 20, 30)), 0u);
  std::vector<double> vertices;
  AppendSurfaceVertices(view, SurfaceSource::Points, vertices);
  ASSERT_EQ(vertices.size(), 6u);
  // File order follows the chunks: both points lie in the same chunk row, ground first.
  EXPECT_EQ(vertices[0], ground.x + 10);
  EXPECT_EQ(vertices[1], ground.y + 20);
  EXPECT_EQ(vertices[2], ground.z + 30);
  EXPECT_EQ(vertices[5], ignored.z + 30);

  // The window leaves out the class-20 point below its lower bound.
  view.elevFilterOn = true;
  view.elevMin = ignored.z + 0.5;
  view.elevMax = 1000;
  vertices.clear();
  AppendSurfaceVertices(view, SurfaceSource::Points, vertices);
  EXPECT_EQ(vertices.size(), 3u);

  // Overrides: the roof point becomes ground, the ground point a roof.
  view.elevFilterOn = false;
  view.classOverrides = std::make_shared<ClassOverrideArray>(view.data->pointCount, kNoOverride);
  (*view.classOverrides)[viewtest::IndexAt(*view.data, 1100, 2100)] = 6;
  (*view.classOverrides)[viewtest::IndexAt(*view.data, 1300, 2100)] = 2;
  vertices.clear();
  AppendSurfaceVertices(view, SurfaceSource::Points, vertices);
  ASSERT_EQ(vertices.size(), 6u);
  EXPECT_EQ(vertices[0], 1200 + 10);
  EXPECT_EQ(vertices[3], 1300 + 10);
}

TEST(SurfaceVertices, EveryGridNodeRowByRowOnTheKnownPlane) {
  terrain::Cloud cloud;
  cloud.nodesX = 3, cloud.nodesY = 4;
  CloudView view = ViewOf(WriteCloud(cloud, "g.kmt"));
  std::vector<double> vertices;
  AppendSurfaceVertices(view, SurfaceSource::Grid, vertices);
  ASSERT_EQ(vertices.size(), 12u * 3);
  for (int j = 0, v = 0; j < 4; ++j) {
    for (int i = 0; i < 3; ++i, v += 3) {
      EXPECT_EQ(vertices[v], 1000 + 12.0 * i);
      EXPECT_EQ(vertices[v + 1], 2000 + 12.0 * j);
    }
  }
}

TEST(SurfaceVertices, NonFiniteVerticesAreLeftOut) {
  terrain::Cloud cloud;
  cloud.AddAt(100, 100, 0.0, 2);
  AcGeMatrix3d broken = AcGeMatrix3d::translation(AcGeVector3d(std::numeric_limits<double>::infinity(), 0, 0));
  CloudView view = ViewOf(WriteCloud(cloud, "n.kmt"));
  view.toWorld = broken;
  std::vector<double> vertices;
  AppendSurfaceVertices(view, SurfaceSource::Points, vertices);
  AppendSurfaceVertices(view, SurfaceSource::Grid, vertices);
  EXPECT_TRUE(vertices.empty());
}

}  // namespace
