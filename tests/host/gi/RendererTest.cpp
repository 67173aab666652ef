// The raster renderer: where world geometry lands in the image, in which colour, and what
// the graphics interface hands a custom entity.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <utility>

#include "acgi.h"
#include "aced.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "hostgraphics.h"
#include "hostrender.h"

namespace rendertest {

// An entity of the test that draws a unit square through a model transform in its
// viewport drawing, in a true colour, and remembers the scale the viewport reported.
class TestSquare : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(TestSquare);
  static inline int worldDraws = 0, viewportDraws = 0;
  static inline double pixelsX = 0, pixelsY = 0;
  bool drawInWorld = false;

 protected:
  Adesk::Boolean subWorldDraw(AcGiWorldDraw* draw) override {
    ++worldDraws;
    if (drawInWorld) drawSquare(draw->geometry(), draw->subEntityTraits());
    return drawInWorld;
  }
  void subViewportDraw(AcGiViewportDraw* draw) override {
    ++viewportDraws;
    AcGePoint2d area;
    draw->viewport().getNumPixelsInUnitSquare(AcGePoint3d(0, 0, 0), area);
    pixelsX = area.x, pixelsY = area.y;
    drawSquare(draw->geometry(), draw->subEntityTraits());
  }

 private:
  static void drawSquare(AcGiGeometry& geometry, AcGiSubEntityTraits& traits) {
    traits.setTrueColor(AcCmEntityColor(10, 200, 30));
    // A unit square scaled by 20 and moved to (-60, 20): corners (-60, 20) to (-40, 40).
    AcGeMatrix3d place = AcGeMatrix3d::translation(AcGeVector3d(-60, 20, 0)) * AcGeMatrix3d::scaling(20);
    geometry.pushModelTransform(place);
    const AcGePoint3d corners[5] = {{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}, {0, 0, 0}};
    geometry.polyline(5, corners);
    const AcGePoint3d centre(0.5, 0.5, 0);
    geometry.polypoint(1, &centre);
    geometry.popModelTransform();
  }
};
ACRX_NO_CONS_DEFINE_MEMBERS(TestSquare, AcDbEntity)

// An entity of the test that draws two large point sets, each with one call, for an
// 800 x 400 image of a view 100 high (four pixels per unit): every pixel centre once in
// green, in a scrambled order, mixed with points off the image and not-a-number points;
// then every pixel centre of the left half once in blue. A call this large is drawn on
// more than one thread.
class TestSpray : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(TestSpray);
  static constexpr int kWidth = 800, kHeight = 400;

 protected:
  Adesk::Boolean subWorldDraw(AcGiWorldDraw*) override { return Adesk::kFalse; }
  void subViewportDraw(AcGiViewportDraw* draw) override {
    draw->subEntityTraits().setTrueColor(AcCmEntityColor(0, 255, 0));
    std::vector<AcGePoint3d> all;
    for (const AcGePoint3d& p : PixelCentres(kWidth)) {
      all.push_back(p);
      if (all.size() % 97 == 0) all.emplace_back(-100.5, p.y, 0);  // left of the image
      if (all.size() % 89 == 0) all.emplace_back(std::nan(""), p.y, 0);
    }
    draw->geometry().polypoint(static_cast<Adesk::UInt32>(all.size()), all.data());
    draw->subEntityTraits().setTrueColor(AcCmEntityColor(0, 0, 255));
    const std::vector<AcGePoint3d> left = PixelCentres(kWidth / 2);
    draw->geometry().polypoint(static_cast<Adesk::UInt32>(left.size()), left.data());
  }

 private:
  // The centre of each pixel of the first `columns` columns, once, in a scrambled order.
  static std::vector<AcGePoint3d> PixelCentres(int columns) {
    std::vector<AcGePoint3d> points;
    const int count = columns * kHeight;
    for (int n = 0; n < count; ++n) {
      const int pixel = static_cast<int>((static_cast<long long>(n) * 7919) % count);  // 7919 is prime to the count
      const int column = pixel % columns, row = pixel / columns;
      points.emplace_back((column + 0.5 - kWidth / 2) / 4.0, (kHeight / 2 - row - 0.5) / 4.0, 0);
    }
    return points;
  }
};
ACRX_NO_CONS_DEFINE_MEMBERS(TestSpray, AcDbEntity)

}  // namespace rendertest

namespace {

using rendertest::TestSpray;
using rendertest::TestSquare;
using pelvarhost::RasterImage;
using pelvarhost::RgbColour;

constexpr RgbColour kRed{255, 0, 0}, kGreen{0, 255, 0}, kBlue{0, 0, 255}, kYellow{255, 255, 0};

// A view of height 100 around the origin in a 200 x 100 image: one pixel per unit, world
// (x, y) in pixel column x + 100, row 50 - y.
const pelvarhost::ViewRecord kView{0.0, 0.0, 100.0};

void Append(AcDbDatabase& db, AcDbEntity* entity, Adesk::UInt16 colour) {
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  entity->setColorIndex(colour);
  ASSERT_EQ(space->appendAcDbEntity(entity), Acad::eOk);
  entity->close();
  space->close();
}


class RendererTest : public testing::Test {
 protected:
  void SetUp() override { pelvarhost::ClearTemporaryVectors(); }
  void TearDown() override { pelvarhost::ClearTemporaryVectors(); }
  RasterImage Render() { return pelvarhost::RenderView(db_, kView, 200, 100, &stats_); }
  AcDbDatabase db_;
  pelvarhost::RenderStats stats_;
};

TEST_F(RendererTest, AnEmptyDrawingIsTheDarkBackground) {
  RasterImage image = Render();
  ASSERT_EQ(image.width, 200);
  ASSERT_EQ(image.height, 100);
  for (int y = 0; y < 100; y += 7)
    for (int x = 0; x < 200; x += 7) ASSERT_EQ(image.at(x, y), pelvarhost::kBackgroundColour);
  EXPECT_EQ(stats_.entities, 0u);
}

TEST_F(RendererTest, ALineIsAOnePixelLineInItsColourIndex) {
  Append(db_, new AcDbLine(AcGePoint3d(-10, 0.5, 0), AcGePoint3d(10, 0.5, 0)), 1);
  RasterImage image = Render();
  for (int x = 90; x < 110; ++x) EXPECT_EQ(image.at(x, 49), kRed) << x;
  EXPECT_EQ(image.at(85, 49), pelvarhost::kBackgroundColour);
  EXPECT_EQ(image.at(115, 49), pelvarhost::kBackgroundColour);
  EXPECT_EQ(image.at(100, 48), pelvarhost::kBackgroundColour);
  EXPECT_EQ(image.at(100, 50), pelvarhost::kBackgroundColour);
}

TEST_F(RendererTest, APointIsOnePixelAndLinesLeavingTheViewAreClipped) {
  Append(db_, new AcDbPoint(AcGePoint3d(20.5, 20.5, 0)), 3);
  Append(db_, new AcDbLine(AcGePoint3d(-1e6, -30.5, 0), AcGePoint3d(1e6, -30.5, 0)), 5);
  RasterImage image = Render();
  EXPECT_EQ(image.at(120, 29), kGreen);
  EXPECT_EQ(image.at(121, 29), pelvarhost::kBackgroundColour);
  EXPECT_EQ(image.at(0, 80), kBlue);
  EXPECT_EQ(image.at(199, 80), kBlue);
  EXPECT_EQ(stats_.points, 1u);
}

TEST_F(RendererTest, AnEntityByLayerTakesItsLayersColour) {
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(db_.getLayerTable(layers, AcDb::kForWrite), Acad::eOk);
  auto* layer = new AcDbLayerTableRecord();
  layer->setName(L"WATER");
  layer->setColorIndex(5);
  ASSERT_EQ(layers->add(layer), Acad::eOk);
  layer->close();
  layers->close();
  auto* line = new AcDbLine(AcGePoint3d(0.5, -10, 0), AcGePoint3d(0.5, 10, 0));
  ASSERT_EQ(line->setLayer(L"WATER"), Acad::eOk);
  Append(db_, line, AcDb::kColorByLayer);
  EXPECT_EQ(Render().at(100, 45), kBlue);
}

TEST_F(RendererTest, TemporaryVectorsAreDrawnOnTopInTheirColour) {
  Append(db_, new AcDbLine(AcGePoint3d(-10, 0.5, 0), AcGePoint3d(10, 0.5, 0)), 1);
  ads_point from = {0.5, -20, 0}, to = {0.5, 20, 0};
  ASSERT_EQ(acedGrDraw(from, to, 2, 0), RTNORM);
  RasterImage image = Render();
  EXPECT_EQ(image.at(100, 49), kYellow);  // the crossing: the vector wins
  EXPECT_EQ(image.at(100, 35), kYellow);
  EXPECT_EQ(image.at(95, 49), kRed);
  EXPECT_EQ(stats_.temporaryVectors, 1u);
}

TEST_F(RendererTest, ACustomEntityGetsViewportDrawingWhenWorldDrawingReturnsFalse) {
  TestSquare::worldDraws = TestSquare::viewportDraws = 0;
  Append(db_, new TestSquare(), 7);
  pelvarhost::ViewRecord zoomed{0.0, 0.0, 50.0};  // two pixels per unit
  RasterImage image = pelvarhost::RenderView(db_, zoomed, 200, 100);
  EXPECT_EQ(TestSquare::worldDraws, 1);
  EXPECT_EQ(TestSquare::viewportDraws, 1);
  EXPECT_DOUBLE_EQ(TestSquare::pixelsX, 2.0);
  EXPECT_DOUBLE_EQ(TestSquare::pixelsY, 2.0);
  const RgbColour square{10, 200, 30};
  // Corners (-60, 20) and (-40, 40) at two pixels per unit: columns -20 and 20, rows 10
  // and -30, so the bottom edge runs along row 10 and the right edge up column 20.
  EXPECT_EQ(image.at(10, 10), square);
  EXPECT_EQ(image.at(20, 5), square);
  EXPECT_EQ(image.at(21, 5), pelvarhost::kBackgroundColour);
}

TEST_F(RendererTest, AnEntityThatDrawsInTheWorldIsNotAskedForViewportDrawing) {
  TestSquare::worldDraws = TestSquare::viewportDraws = 0;
  auto* square = new TestSquare();
  square->drawInWorld = true;
  Append(db_, square, 7);
  RasterImage image = Render();
  EXPECT_EQ(TestSquare::worldDraws, 1);
  EXPECT_EQ(TestSquare::viewportDraws, 0);
  // Centre dot of the square at (-50, 30): column 50, row 20.
  EXPECT_EQ(image.at(50, 20), (RgbColour{10, 200, 30}));
  // The bottom edge y = 20 from x -60 to -40: row 30, columns 40 to 60.
  EXPECT_EQ(image.at(45, 30), (RgbColour{10, 200, 30}));
}

TEST_F(RendererTest, LargePointCallsSetEveryPixelTheyReachAndLaterCallsStayOnTop) {
  Append(db_, new TestSpray(), 7);
  RasterImage image = pelvarhost::RenderView(db_, kView, TestSpray::kWidth, TestSpray::kHeight, &stats_);
  for (int y = 0; y < TestSpray::kHeight; ++y)
    for (int x = 0; x < TestSpray::kWidth; ++x)
      ASSERT_EQ(image.at(x, y), x < TestSpray::kWidth / 2 ? kBlue : kGreen) << x << "," << y;
  EXPECT_GT(stats_.points, 1.5 * TestSpray::kWidth * TestSpray::kHeight);
}

TEST_F(RendererTest, GeometryFarOffOrNotANumberLeavesOnlyWhatIsInView) {
  const double nan = std::nan(""), inf = std::numeric_limits<double>::infinity();
  Append(db_, new AcDbPoint(AcGePoint3d(1e300, -1e300, 0)), 1);
  Append(db_, new AcDbPoint(AcGePoint3d(3e9, 0.5, 0)), 1);
  Append(db_, new AcDbPoint(AcGePoint3d(nan, 0.5, 0)), 1);
  Append(db_, new AcDbLine(AcGePoint3d(nan, 0.5, 0), AcGePoint3d(5, 5, 0)), 1);
  Append(db_, new AcDbLine(AcGePoint3d(-inf, 10.5, 0), AcGePoint3d(inf, 10.5, 0)), 1);
  Append(db_, new AcDbLine(AcGePoint3d(0.5, 1e300, 0), AcGePoint3d(0.5, 2e300, 0)), 1);
  RasterImage image = Render();
  EXPECT_EQ(stats_.entities, 6u);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 200; ++x) ASSERT_EQ(image.at(x, y), pelvarhost::kBackgroundColour) << x << "," << y;

  // A line from far outside across the view is cut to the image and drawn whole.
  Append(db_, new AcDbLine(AcGePoint3d(-1e12, -20.5, 0), AcGePoint3d(1e12, -20.5, 0)), 3);
  image = Render();
  for (int x = 0; x < 200; ++x) ASSERT_EQ(image.at(x, 70), kGreen) << x;
}

TEST_F(RendererTest, AViewThatIsNotANumberOrAnImageWithoutPixelsDrawsNothing) {
  Append(db_, new AcDbLine(AcGePoint3d(-10, 0.5, 0), AcGePoint3d(10, 0.5, 0)), 1);
  RasterImage image = pelvarhost::RenderView(db_, {std::nan(""), 0.0, 100.0}, 20, 10);
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 20; ++x) ASSERT_EQ(image.at(x, y), pelvarhost::kBackgroundColour);
  for (auto [width, height] : {std::pair{0, 100}, std::pair{-5, 100}, std::pair{100, -1}, std::pair{-3, -3}}) {
    RasterImage none = pelvarhost::RenderView(db_, kView, width, height);
    EXPECT_EQ(none.width, 0);
    EXPECT_EQ(none.height, 0);
    EXPECT_TRUE(none.rgb.empty());
  }
}

TEST(AciColours, TheFirstSevenAreTheNamedColours) {
  EXPECT_EQ(pelvarhost::AciColour(1), kRed);
  EXPECT_EQ(pelvarhost::AciColour(2), kYellow);
  EXPECT_EQ(pelvarhost::AciColour(3), kGreen);
  EXPECT_EQ(pelvarhost::AciColour(4), (RgbColour{0, 255, 255}));
  EXPECT_EQ(pelvarhost::AciColour(5), kBlue);
  EXPECT_EQ(pelvarhost::AciColour(6), (RgbColour{255, 0, 255}));
  EXPECT_EQ(pelvarhost::AciColour(7), (RgbColour{255, 255, 255}));
  EXPECT_EQ(pelvarhost::AciColour(10), kRed);  // the wheel starts at red
  EXPECT_EQ(pelvarhost::AciColour(255), (RgbColour{255, 255, 255}));
}

}  // namespace
