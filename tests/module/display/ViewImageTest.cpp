// Pictures of a sample cloud rendered by the host: the three colour modes, hidden classes,
// an elevation window and a rotation. Each test writes its PNG (for a look) and checks
// facts of the pixels against the colour tables.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <functional>
#include <numbers>
#include <set>
#include <string>

#include <unistd.h>

#include "cloudfile/CloudReader.h"
#include "dbsymtb.h"
#include "entity/ColourTables.h"
#include "hostrender.h"
#include "tests/module/display/CloudFixtures.h"
#include "tools/samplegen/SampleCloud.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace {

namespace fs = std::filesystem;
using pelvarhost::RasterImage;
using pelvarhost::RgbColour;

constexpr int kWidth = 400, kHeight = 250;

std::set<RgbColour, bool (*)(const RgbColour&, const RgbColour&)> ColourSet() {
  return std::set<RgbColour, bool (*)(const RgbColour&, const RgbColour&)>(
      [](const RgbColour& a, const RgbColour& b) {
        return std::tie(a.red, a.green, a.blue) < std::tie(b.red, b.green, b.blue);
      });
}

RgbColour Rgb(const PaletteColour& c) { return {c.red, c.green, c.blue}; }

class CloudPicture : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    samplePath_ = new std::string(fixtures::WriteSampleCloudFile("pelvar_display_picture_sample", 60000, 5));
    ASSERT_FALSE(samplePath_->empty());
  }
  static void TearDownTestSuite() {
    fs::remove(*samplePath_);
    delete samplePath_;
  }

  // Puts the cloud, with the change applied, into model space of a new drawing and returns
  // the picture of the view that shows the whole square.
  RasterImage Picture(const std::string& name, const std::function<void(Pelvar&)>& change) {
    AcDbDatabase db_;
    auto* cloud = new Pelvar();
    cloud->setCloudPath(pelvarhost::Utf8ToWide(*samplePath_));
    change(*cloud);
    AcDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(acdbOpenObject(space, db_.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(space->appendAcDbEntity(cloud), Acad::eOk);
    cloud->close();
    space->close();
    pelvarhost::ViewRecord view{2230000.0, 1370000.0, 2200.0};
    RasterImage image = pelvarhost::RenderView(db_, view, kWidth, kHeight, &stats_);
    EXPECT_TRUE(pelvarhost::WritePng(testing::TempDir() + "pelvar_display_" + name + ".png", image));
    return image;
  }

  // The colours of the image other than the background and the outline (white).
  static auto PointColours(const RasterImage& image) {
    auto colours = ColourSet();
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x) {
        RgbColour c = image.at(x, y);
        if (c != pelvarhost::kBackgroundColour && c != RgbColour{255, 255, 255}) colours.insert(c);
      }
    return colours;
  }

  // The share of white pixels along the square's bottom edge (points may cover a few).
  static double OutlineShare(const RasterImage& image) {
    double halfSide = 1000 * kHeight / 2200.0;  // pixels
    int row = static_cast<int>(std::floor(kHeight / 2.0 + halfSide));
    if (row >= kHeight) row = kHeight - 1;
    int white = 0, total = 0;
    for (int x = static_cast<int>(kWidth / 2.0 - halfSide) + 2; x < static_cast<int>(kWidth / 2.0 + halfSide) - 2; ++x) {
      ++total;
      white += image.at(x, row) == RgbColour{255, 255, 255} || image.at(x, row - 1) == RgbColour{255, 255, 255};
    }
    return total == 0 ? 0.0 : static_cast<double>(white) / total;
  }

  // How much wider than tall the water-coloured pixels spread (variance of x over variance of y).
  static double WaterSpread(const RasterImage& image) {
    auto water = ColourSet();
    for (int shade = 0; shade < 4; ++shade) water.insert(Rgb(BucketColour(28 + shade)));
    double n = 0, sx = 0, sy = 0, sxx = 0, syy = 0;
    for (int y = 0; y < image.height; ++y)
      for (int x = 0; x < image.width; ++x)
        if (water.count(image.at(x, y))) n += 1, sx += x, sy += y, sxx += double(x) * x, syy += double(y) * y;
    EXPECT_GT(n, 50);
    double vx = sxx / n - (sx / n) * (sx / n), vy = syy / n - (sy / n) * (sy / n);
    return vx / vy;
  }

  static inline std::string* samplePath_ = nullptr;
  pelvarhost::RenderStats stats_;
};

TEST_F(CloudPicture, ByClassEveryPixelIsAShadeOfAShownClass) {
  RasterImage image = Picture("class", [](Pelvar&) {});
  auto allowed = ColourSet();
  for (int row : {1, 5, 6, 7, 8, 9}) {  // shown by default: 2, 6, 7, 9, 17, 20 (1, 3, 4, 5 hidden)
    for (int shade = 0; shade < 4; ++shade) allowed.insert(Rgb(BucketColour(4 * row + shade)));
  }
  for (int shade = 0; shade < 4; ++shade) allowed.insert(Rgb(BucketColour(shade)));  // other classes: row 0
  auto seen = PointColours(image);
  ASSERT_FALSE(seen.empty());
  for (const RgbColour& c : seen) EXPECT_TRUE(allowed.count(c)) << int(c.red) << "," << int(c.green) << "," << int(c.blue);
  // Buildings (orange) and ground (grey) are both in the picture.
  bool building = false, ground = false;
  for (int shade = 0; shade < 4; ++shade) {
    building = building || seen.count(Rgb(BucketColour(20 + shade)));
    ground = ground || seen.count(Rgb(BucketColour(4 + shade)));
  }
  EXPECT_TRUE(building);
  EXPECT_TRUE(ground);
  EXPECT_GT(OutlineShare(image), 0.7);
  EXPECT_GT(WaterSpread(image), 1.0);  // the river runs across the picture
}

TEST_F(CloudPicture, HiddenBuildingsLeaveNoOrange) {
  RasterImage image = Picture("no_buildings", [](Pelvar& c) { c.setClassMask(Pelvar::kDefaultClassMask & ~(1u << 6)); });
  auto seen = PointColours(image);
  ASSERT_FALSE(seen.empty());
  for (int shade = 0; shade < 4; ++shade) EXPECT_EQ(seen.count(Rgb(BucketColour(20 + shade))), 0u);
}

TEST_F(CloudPicture, ByIntensityEveryPixelIsOneOfTheSixteenGreys) {
  RasterImage image = Picture("intensity", [](Pelvar& c) { c.setColorMode(Pelvar::kColorByIntensity); });
  auto greys = ColourSet();
  for (int b = kFirstIntensityBucket; b < kFirstElevationBucket; ++b) greys.insert(Rgb(BucketColour(b)));
  auto seen = PointColours(image);
  ASSERT_GT(seen.size(), 2u);
  for (const RgbColour& c : seen) EXPECT_TRUE(greys.count(c)) << int(c.red);
}

TEST_F(CloudPicture, ByElevationEveryPixelIsARampStep) {
  RasterImage image = Picture("elevation", [](Pelvar& c) { c.setColorMode(Pelvar::kColorByElevation); });
  auto ramp = ColourSet();
  for (int b = kFirstElevationBucket; b < kColourBucketCount; ++b) ramp.insert(Rgb(BucketColour(b)));
  auto seen = PointColours(image);
  ASSERT_GT(seen.size(), 3u);
  for (const RgbColour& c : seen) EXPECT_TRUE(ramp.count(c));
}

TEST_F(CloudPicture, AnElevationWindowDrawsFewerPoints) {
  uint64_t all = 0;
  Picture("window_off", [](Pelvar&) {});
  all = stats_.points;
  KmqDataPtr data = LoadCloudFile(pelvarhost::Utf8ToWide(*samplePath_));
  ASSERT_TRUE(data);
  double low = data->originZ + 0.2 * data->sizeZ, high = data->originZ + 0.4 * data->sizeZ;
  Picture("window_on", [&](Pelvar& c) { c.setElevationWindow(true, low, high); });
  EXPECT_GT(stats_.points, 0u);
  EXPECT_LT(stats_.points, all);
}

TEST_F(CloudPicture, RotatedAQuarterTurnTheOutlineStaysASquareAroundTheCentre) {
  RasterImage image = Picture("rotated", [](Pelvar& c) {
    c.transformBy(AcGeMatrix3d::rotation(std::numbers::pi / 2, AcGeVector3d::kZAxis, AcGePoint3d(2230000, 1370000, 0)));
  });
  // A quarter turn about the centre maps the square onto itself, so the outline is where it
  // was, while the river now runs up the picture.
  EXPECT_GT(OutlineShare(image), 0.7);
  EXPECT_LT(WaterSpread(image), 1.0);
}

}  // namespace
