// The pieces of a crop: which points are kept and with which class, the cut of the ground
// grid, the label, the free output name, and the file they make read back by the reader.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cmath>
#include <fstream>
#include <tuple>

#include "app/WholeFile.h"
#include "classify/CropCut.h"
#include "cloudfile/CloudReader.h"
#include "cloudfile/KmqFormat.h"
#include "tests/module/classify/ClassifyFixture.h"
#include "tests/module/classify/ExactCloud.h"

namespace classifytest {
namespace {

// An image made in memory, so that columns the reader always fills can be short here.
KmqData ImageOf(const crafted::Cloud& cloud, size_t intensities) {
  KmqData d;
  d.originX = cloud.originX, d.originY = cloud.originY, d.originZ = cloud.originZ;
  d.sizeX = cloud.sizeX, d.sizeY = cloud.sizeY, d.sizeZ = cloud.sizeZ;
  d.pointCount = static_cast<uint32_t>(cloud.points.size());
  d.groundNx = cloud.groundNx, d.groundNy = cloud.groundNy, d.groundCell = cloud.groundCell;
  d.groundOriginX = cloud.groundOriginX, d.groundOriginY = cloud.groundOriginY;
  d.groundZBase = cloud.groundZBase, d.groundZSpan = cloud.groundZSpan;
  d.ground = KmqArray<uint16_t>(cloud.ground.size());
  std::copy(cloud.ground.begin(), cloud.ground.end(), d.ground.begin());
  d.points = KmqArray<KmqPoint>(cloud.points.size());
  for (size_t i = 0; i < cloud.points.size(); ++i) {
    const crafted::Point& p = cloud.points[i];
    d.points[i] = {p.qx, p.qy, p.qz, p.cls, static_cast<uint8_t>(p.intensity >> 8)};
  }
  d.intensity16 = KmqArray<uint16_t>(intensities);
  for (size_t i = 0; i < intensities; ++i) d.intensity16[i] = cloud.points[i].intensity;
  std::snprintf(d.tileName, sizeof d.tileName, "%s", cloud.tileName.c_str());
  return d;
}

TEST(CropPoints, LowEdgesAreKeptHighEdgesAreNotAndOverridesGiveTheClass) {
  crafted::Cloud cloud = ExactCloud();
  cloud.points = {PointAt(1010, 2010, 4, 2, 100), PointAt(1030, 2010, 5, 2, 200), PointAt(1010, 2030, 6, 2, 300),
                  PointAt(1020, 2020, 7, 2, 400), PointAt(1009, 2020, 8, 2, 500), PointAt(1029, 2029, 9, 1, 600)};
  const KmqData data = ImageOf(cloud, 4);  // the last two points have no intensity
  const uint8_t overrides[] = {255, 6, 6, 9, 6, 17};
  CroppedPoints kept = KeepPointsInside(data, overrides, CropRectOf(1030, 2030, 1010, 2010));
  EXPECT_EQ(kept.x, (std::vector<double>{1010, 1020, 1029}));
  EXPECT_EQ(kept.y, (std::vector<double>{2010, 2020, 2029}));
  EXPECT_EQ(kept.z, (std::vector<double>{-1.0, 0.5, 1.5}));
  EXPECT_EQ(kept.cls, (std::vector<uint8_t>{2, 9, 17}));
  EXPECT_EQ(kept.intensity, (std::vector<uint16_t>{100, 400, 0}));
  EXPECT_EQ(KeepPointsInside(data, nullptr, CropRectOf(1010, 2010, 1030, 2030)).cls, (std::vector<uint8_t>{2, 2, 1}));
  EXPECT_EQ(KeepPointsInside(data, nullptr, CropRectOf(1011, 2011, 1019, 2019)).size(), 0u);
}

// The grid of ExactCloud: 10 x 10 nodes, 10 ft apart, from (1000, 2000).
TEST(CropGround, TheCutCoversTheRectangleWithWholeCellsOrTheWholeAxisItMisses) {
  crafted::Cloud cloud = ExactCloud();
  for (size_t k = 0; k < cloud.ground.size(); ++k) cloud.ground[k] = static_cast<uint16_t>(k * 600);
  const KmqData data = ImageOf(cloud, 0);

  GroundGrid inner = CutGroundGrid(data, CropRectOf(1025, 2031, 1041, 2049));
  EXPECT_EQ(std::tie(inner.nx, inner.ny), std::make_tuple(uint16_t{4}, uint16_t{3}));  // columns 2..5, rows 3..5
  EXPECT_EQ(inner.originX, 1020.0);
  EXPECT_EQ(inner.originY, 2030.0);
  EXPECT_EQ(inner.cell, 10.0f);
  ASSERT_EQ(inner.heights.size(), 12u);
  EXPECT_EQ(inner.heights[0], 32 * 600 / 65535.0f * 0.01f);  // node (2, 3)
  EXPECT_EQ(inner.heights[11], 55 * 600 / 65535.0f * 0.01f);  // node (5, 5)

  GroundGrid beyondRight = CutGroundGrid(data, CropRectOf(1500, 2031, 1600, 2049));
  EXPECT_EQ(std::tie(beyondRight.nx, beyondRight.ny), std::make_tuple(uint16_t{10}, uint16_t{3}));
  EXPECT_EQ(beyondRight.originX, 1000.0);
  GroundGrid farAway = CutGroundGrid(data, CropRectOf(-1e300, -1e300, 1e300, 1e300));
  EXPECT_EQ(std::tie(farAway.nx, farAway.ny), std::make_tuple(uint16_t{10}, uint16_t{10}));
  GroundGrid outside = CutGroundGrid(data, CropRectOf(5000, 5000, 6000, 6000));
  EXPECT_EQ(std::tie(outside.nx, outside.ny), std::make_tuple(uint16_t{10}, uint16_t{10}));
  EXPECT_EQ(outside.heights.size(), 100u);
}

TEST(CropGround, NoGridOrACellThatIsNotAFinitePositiveSizeGivesNoGrid) {
  for (float cell : {0.0f, -10.0f, std::nanf(""), INFINITY}) {
    crafted::Cloud cloud = ExactCloud();
    cloud.groundCell = cell;
    GroundGrid grid = CutGroundGrid(ImageOf(cloud, 0), CropRectOf(1000, 2000, 1050, 2050));
    EXPECT_EQ(grid.nx, 0) << cell;
    EXPECT_TRUE(grid.heights.empty()) << cell;
  }
  crafted::Cloud none = ExactCloud();
  none.groundNx = none.groundNy = 0;
  none.ground.clear();
  EXPECT_EQ(CutGroundGrid(ImageOf(none, 0), CropRectOf(1000, 2000, 1050, 2050)).heights.size(), 0u);
}

TEST(CropLabels, ALabelOfTwelveOrMoreKeepsElevenCharacters) {
  crafted::Cloud cloud = ExactCloud();
  const std::pair<std::string, std::string> cases[] = {{"ABCDEFGHIJKLMNOP", "ABCDEFGHIJK-CROP"},
                                                       {"ABCDEFGHIJKL", "ABCDEFGHIJK-CROP"},
                                                       {"ABCDEFGHIJK", "ABCDEFGHIJK-CROP"},
                                                       {"tile5", "tile5-CROP"}};
  for (const auto& [label, expected] : cases) {
    cloud.tileName = label;
    EXPECT_EQ(CropLabel(ImageOf(cloud, 0)), expected);
  }
}

TEST(CropNames, TheFirstFreeNameBesideTheSourceIsTaken) {
  pelvartest::TempFolder folder("cropnames");
  auto touch = [](const fs::path& p) { std::ofstream(p) << "x"; };
  const std::wstring source = Wide(folder / "tile.kmt");
  EXPECT_EQ(FirstFreeCropPath(source), Wide(folder / "tile_crop.kmt"));
  touch(folder / "tile_crop.kmt");
  EXPECT_EQ(FirstFreeCropPath(source), Wide(folder / "tile_crop2.kmt"));
  touch(folder / "tile_crop2.kmt.partial");  // a leftover of a killed save takes no name
  EXPECT_EQ(FirstFreeCropPath(source), Wide(folder / "tile_crop2.kmt"));
  EXPECT_EQ(FirstFreeCropPath(Wide(folder / "tile_crop.kmt")), Wide(folder / "tile_crop_crop.kmt"));
  fs::create_directories(folder / "v1.2");
  EXPECT_EQ(FirstFreeCropPath(Wide(folder / "v1.2" / "tile")), Wide(folder / "v1.2" / "tile_crop.kmt"));
  EXPECT_EQ(FirstFreeCropPath(L"tile.v2.kmt"), L"tile.v2_crop.kmt");
}

TEST(CropFiles, SavingNeverLeavesAPartialFileAndNeverReplacesOne) {
  pelvartest::TempFolder folder("cropsave");
  const std::vector<uint8_t> bytes(3000, 7);
  EXPECT_TRUE(WriteNewWholeFile(Wide(folder / "a.kmt"), bytes));
  EXPECT_EQ(fs::file_size(folder / "a.kmt"), 3000u);
  // A taken name is never replaced, and nothing is left beside it.
  EXPECT_FALSE(WriteNewWholeFile(Wide(folder / "a.kmt"), std::vector<uint8_t>(10, 1)));
  EXPECT_EQ(fs::file_size(folder / "a.kmt"), 3000u);
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.path()), fs::directory_iterator()), 1);
  EXPECT_FALSE(WriteNewWholeFile(Wide(folder / "no such folder" / "c.kmt"), bytes));
}

// However far the rectangle reaches, the new header describes no more than the source's own
// extent (65535 ft square from 1000, 2000), and the reader takes it.
TEST(CropFiles, ARectangleBeyondTheCloudIsCutToItsExtentForTheHeader) {
  crafted::Cloud cloud = ExactCloud();
  cloud.points = {PointAt(1010, 2010, 4, 2, 100), PointAt(1030, 2020, 5, 2, 200)};
  const KmqData data = ImageOf(cloud, 2);
  const std::tuple<CropRect, double, double> cases[] = {  // the rectangle, the centre it gives
      {CropRectOf(-1e308, -1e308, 1e308, 1e308), 1000 + 32767.5, 2000 + 32767.5},
      {CropRectOf(1010, 1e300, 1050, -1e300), 1030, 2000 + 32767.5}};
  for (const auto& [rect, centreX, centreY] : cases) {
    const std::vector<uint8_t> bytes = BuildCropFile(data, KeepPointsInside(data, nullptr, rect), rect);
    EXPECT_EQ(CloudHeaderFailure(bytes), nullptr);
    const KmqHeader header = ParseKmqHeader(bytes.data());
    EXPECT_EQ(std::make_tuple(header.centerX, header.centerY, header.halfSize), std::make_tuple(centreX, centreY, 32767.5f));
  }
}

// A generated tile with edits: the cropped file read back holds exactly the points of the
// rectangle with their classes in force, the cut grid, the label and the rectangle's square.
TEST(CropFiles, TheCropReadBackHoldsThePointsOfTheRectangleWithTheirClasses) {
  pelvartest::TempFolder folder("cropfile");
  WriteRelabelledSample(folder / "tile.kmt", 6000, 9, 0);
  ClearCloudCache();
  KmqDataPtr source = LoadCloudFile(Wide(folder / "tile.kmt"));
  ASSERT_TRUE(source);
  std::vector<uint8_t> overrides(source->pointCount, 255);
  for (size_t i = 0; i < overrides.size(); i += 5) overrides[i] = static_cast<uint8_t>(40 + i % 7);
  const CropRect rect = CropRectOf(2229500, 1369400, 2230300, 1370100);

  using Row = std::tuple<double, double, double, int, int>;
  std::vector<Row> expected;
  for (size_t i = 0; i < source->pointCount; ++i) {
    const KmqPoint& p = source->points[i];
    double x = p.qx / 65535.0 * source->sizeX + source->originX;
    double y = p.qy / 65535.0 * source->sizeY + source->originY;
    if (x < rect.minX || x >= rect.maxX || y < rect.minY || y >= rect.maxY) continue;
    expected.emplace_back(x, y, p.qz / 65535.0 * source->sizeZ + source->originZ,
                          overrides[i] != 255 ? overrides[i] : p.cls, source->intensity16[i]);
  }
  CroppedPoints kept = KeepPointsInside(*source, overrides.data(), rect);
  ASSERT_EQ(kept.size(), expected.size());
  ASSERT_TRUE(WriteNewWholeFile(Wide(folder / "tile_crop.kmt"), BuildCropFile(*source, kept, rect)));
  KmqDataPtr crop = LoadCloudFile(Wide(folder / "tile_crop.kmt"));
  ASSERT_TRUE(crop);
  EXPECT_STREQ(crop->tileName, "GA West sam-CROP");
  EXPECT_EQ(crop->centerX, 2229900.0);
  EXPECT_EQ(crop->centerY, 1369750.0);
  EXPECT_EQ(crop->halfSize, 400.0f);
  EXPECT_EQ(crop->epsg, source->epsg);
  // Whole cells around the rectangle, on the source's node lattice.
  const double cell = source->groundCell;
  const double firstColumn = std::floor((rect.minX - source->groundOriginX) / cell);
  EXPECT_EQ(crop->groundNx, std::ceil((rect.maxX - source->groundOriginX) / cell) - firstColumn + 1);
  EXPECT_EQ(crop->groundOriginX, source->groundOriginX + firstColumn * cell);
  std::vector<Row> got;
  for (size_t i = 0; i < crop->pointCount; ++i) {
    const KmqPoint& p = crop->points[i];
    got.emplace_back(p.qx / 65535.0 * crop->sizeX + crop->originX, p.qy / 65535.0 * crop->sizeY + crop->originY,
                     p.qz / 65535.0 * crop->sizeZ + crop->originZ, p.cls, crop->intensity16[i]);
  }
  ASSERT_EQ(got.size(), expected.size());
  // Requantised coordinates move by at most a code of the smaller crop.
  std::vector<bool> used(got.size(), false);
  size_t matched = 0;
  for (const Row& e : expected) {
    for (size_t k = 0; k < got.size(); ++k) {
      if (used[k] || std::get<3>(got[k]) != std::get<3>(e) || std::get<4>(got[k]) != std::get<4>(e)) continue;
      if (std::abs(std::get<0>(got[k]) - std::get<0>(e)) > 0.02 || std::abs(std::get<1>(got[k]) - std::get<1>(e)) > 0.02 ||
          std::abs(std::get<2>(got[k]) - std::get<2>(e)) > 0.01)
        continue;
      used[k] = true;
      ++matched;
      break;
    }
  }
  EXPECT_EQ(matched, expected.size());
}

}  // namespace
}  // namespace classifytest
