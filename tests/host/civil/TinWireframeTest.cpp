// A surface in a plan view: the edges a view reads, the outline and mesh that stand for
// edges too dense to see, and the drawn entity's colours and kept wireframe.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <set>
#include <tuple>

#include "CivilFixture.h"
#include "aeccdb.h"
#include "hostinput.h"
#include "hostrender.h"
#include "tinwireframe.h"

namespace {

using pelvarhost::civil::PlanRect;
using pelvarhost::civil::PlanView;
using pelvarhost::civil::TinTriangulation;
using pelvarhost::civil::TinWireframe;
using Segment = std::tuple<double, double, double, double>;

// An n x n grid of unit spacing from the origin, each point moved a little (seeded), and
// optionally one far vertex east of it that makes a fan of long edges.
std::vector<AcGePoint3d> JitteredGrid(int n, bool farVertex) {
  std::mt19937_64 random(21);
  std::uniform_real_distribution<double> jitter(-0.2, 0.2);
  std::vector<AcGePoint3d> points;
  for (int j = 0; j < n; ++j)
    for (int i = 0; i < n; ++i) points.emplace_back(i + jitter(random), j + jitter(random), 100.0 + 0.1 * i);
  if (farVertex) points.emplace_back(200.0, n / 2.0, 100.0);
  return points;
}

Segment Key(const AcGePoint3d& a, const AcGePoint3d& b) {
  return std::min(Segment{a.x, a.y, b.x, b.y}, Segment{b.x, b.y, a.x, a.y});
}

// Whether the segment has a point in the rectangle, sampled finely for the sizes used here.
bool Crosses(const AcGePoint3d& a, const AcGePoint3d& b, const PlanRect& r) {
  for (double t = 0; t <= 1; t += 1.0 / 4096) {
    const double x = a.x + t * (b.x - a.x), y = a.y + t * (b.y - a.y);
    if (PlanRect{x, y, x, y}.Overlaps(r)) return true;
  }
  return false;
}

std::set<Segment> Drawn(TinWireframe& wireframe, const PlanView& view) {
  std::set<Segment> drawn;
  wireframe.Draw(view, [&](const AcGePoint3d& a, const AcGePoint3d& b) { drawn.insert(Key(a, b)); });
  return drawn;
}

TEST(TinWireframe, AViewDrawsEveryEdgeThatCrossesItAndFewOthers) {
  TinTriangulation tin;
  tin.Add(JitteredGrid(60, true));
  const auto edges = tin.Edges();
  TinWireframe wireframe(tin.Vertices(), tin.Hull(), [&] { return tin.Edges(); });
  struct Case {
    const char* name;
    PlanRect visible;
  } cases[] = {
      {"a corner", {-5, -5, 8, 6}},
      {"the middle", {25, 25, 33, 31}},
      {"only the long edges of the far vertex", {100, 25, 110, 35}},
      {"beside the surface", {300, 0, 310, 10}},
      {"the whole surface", {-10, -10, 210, 70}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::set<Segment> drawn = Drawn(wireframe, {c.visible, 20.0});
    const PlanRect near{c.visible.minX - 10, c.visible.minY - 10, c.visible.maxX + 10, c.visible.maxY + 10};
    std::size_t crossing = 0, nearby = 0;
    for (const auto& [from, to] : edges.all) {
      const AcGePoint3d &a = tin.Vertices()[from], &b = tin.Vertices()[to];
      if (Crosses(a, b, c.visible)) {
        ++crossing;
        EXPECT_TRUE(drawn.contains(Key(a, b))) << a.x << "," << a.y << " " << b.x << "," << b.y;
      }
      nearby += PlanRect{std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)}.Overlaps(near);
    }
    EXPECT_LE(drawn.size(), nearby);
    EXPECT_GE(drawn.size(), crossing);
  }
}

TEST(TinWireframe, DenseEdgesGiveWayToTheOutlineAndAMeshOnRoundStepsWithoutTriangulating) {
  for (const auto& [pixelsPerUnit, step] : {std::pair{10.0, 5.0}, {2.0, 20.0}, {1.0, 50.0}, {0.5, 50.0}, {0.1, 500.0}})
    EXPECT_DOUBLE_EQ(TinWireframe::MeshStep(pixelsPerUnit), step) << pixelsPerUnit;

  TinTriangulation tin;
  tin.Add(JitteredGrid(120, false));
  const auto edges = tin.Edges();
  int asked = 0;
  TinWireframe wireframe(tin.Vertices(), tin.Hull(), [&] {
    ++asked;
    return tin.Edges();
  });
  ASSERT_FALSE(wireframe.ShowsEdgesAt(2.0));
  const std::set<Segment> drawn = Drawn(wireframe, {{-1000, -1000, 1000, 1000}, 2.0});
  std::size_t outline = 0;
  for (const auto& [from, to] : edges.outline) outline += drawn.contains(Key(tin.Vertices()[from], tin.Vertices()[to]));
  EXPECT_EQ(outline, edges.outline.size());
  // The rest: one line across the (convex) outline at each multiple of 20 along x and y.
  std::size_t mesh = 0;
  for (const auto& [x0, y0, x1, y1] : drawn) {
    const bool vertical = x0 == x1 && std::fmod(x0, 20.0) == 0, horizontal = y0 == y1 && std::fmod(y0, 20.0) == 0;
    if (!vertical && !horizontal) continue;
    ++mesh;
    EXPECT_GT(std::hypot(x1 - x0, y1 - y0), 118.0);
  }
  EXPECT_EQ(mesh, 2u * 6u);  // 0 to 100
  EXPECT_EQ(drawn.size(), outline + mesh);
  // Only views that show edges ask for them, once.
  EXPECT_EQ(asked, 0);
  for (int view = 0; view < 2; ++view) EXPECT_FALSE(Drawn(wireframe, {{0, 0, 5, 5}, 20.0}).empty());
  EXPECT_EQ(asked, 1);
}

class SurfaceDrawing : public CivilFixture {
 protected:
  // A surface of the points on a new layer of the given colour.
  AcDbObjectId Surface(const std::vector<AcGePoint3d>& points, Adesk::UInt16 layerColour, Adesk::UInt16 colour) {
    AcDbLayerTable* layers = nullptr;
    EXPECT_EQ(db->getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
    auto* layer = new AcDbLayerTableRecord();
    layer->setName(L"EG");
    layer->setColorIndex(layerColour);
    EXPECT_EQ(layers->add(layer), Acad::eOk);
    layer->close();
    layers->close();
    auto* surface = new AeccDbSurfaceTin();
    surface->addVertices(points);
    EXPECT_EQ(surface->setLayer(L"EG"), Acad::eOk);
    surface->setColorIndex(colour);
    return Append(surface);
  }
  // The colours of a 200 x 200 image of the view, with the count of pixels of each.
  std::map<std::tuple<int, int, int>, int> Colours(const pelvarhost::ViewRecord& view) {
    const pelvarhost::RasterImage image = pelvarhost::RenderView(*db, view, 200, 200);
    std::map<std::tuple<int, int, int>, int> colours;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) {
        const pelvarhost::RgbColour c = image.at(x, y);
        if (c != pelvarhost::kBackgroundColour) ++colours[{c.red, c.green, c.blue}];
      }
    return colours;
  }
};

TEST_F(SurfaceDrawing, ASurfaceIsDrawnInItsColourWithTheGroundShowingThrough) {
  struct Case {
    const char* name;
    Adesk::UInt16 entityColour;
    pelvarhost::ViewRecord view;
    std::tuple<int, int, int> colour;
  } cases[] = {
      {"by layer, zoomed out", AcDb::kColorByLayer, {60, 60, 160}, {0, 255, 0}},
      {"by layer, zoomed in", AcDb::kColorByLayer, {60, 60, 10}, {0, 255, 0}},
      {"its own colour", 1, {60, 60, 160}, {255, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    db = std::make_unique<AcDbDatabase>();
    acdbHostApplicationServices()->setWorkingDatabase(db.get());
    Surface(JitteredGrid(120, false), 3, c.entityColour);
    const auto colours = Colours(c.view);
    ASSERT_EQ(colours.size(), 1u);
    EXPECT_EQ(colours.begin()->first, c.colour);
    EXPECT_LT(colours.begin()->second, 200 * 200 / 3);  // not a slab
  }
}

TEST_F(SurfaceDrawing, TheKeptWireframeFollowsNewVertices) {
  const AcDbObjectId id = Surface(JitteredGrid(40, false), 7, AcDb::kColorByLayer);
  const pelvarhost::ViewRecord east{60, 20, 40};  // x 40 to 80, beside the first vertices
  EXPECT_TRUE(Colours(east).empty());
  AeccDbSurfaceTin* surface = nullptr;
  ASSERT_EQ(acdbOpenObject(surface, id, AcDb::kForWrite), Acad::eOk);
  std::vector<AcGePoint3d> more = JitteredGrid(40, false);
  for (AcGePoint3d& p : more) p.x += 40;
  surface->addVertices(more);
  surface->close();
  EXPECT_FALSE(Colours(east).empty());
}

}  // namespace

namespace {

// A surface's first view that shows edges triangulates it; a long triangulation lets the
// window run now and then (the break watcher is what the window sets).
TEST_F(SurfaceDrawing, TriangulatingALargeSurfaceLetsTheWindowRun) {
  int heard = 0;
  pelvarhost::SetBreakWatcher([&heard] { ++heard; });
  const struct Watcher {
    ~Watcher() { pelvarhost::SetBreakWatcher(nullptr); }
  } watcher;
  Surface(JitteredGrid(520, false), 7, AcDb::kColorByLayer);  // 270,400 vertices
  EXPECT_EQ(heard, 0) << "adding the vertices triangulates nothing";
  EXPECT_FALSE(Colours({260, 260, 8}).empty());
  EXPECT_GT(heard, 0) << "the triangulation never let the window run";
}

}  // namespace
