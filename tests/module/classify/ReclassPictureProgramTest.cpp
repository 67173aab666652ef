// Views of a reclassified cloud written by the pelvar program (PNGOUT): the edit turns the
// pixels of its rectangle orange and nothing else, Reset brings the first picture back
// pixel for pixel, and each colour mode paints only its own palette.
#include <gtest/gtest.h>

#include <set>
#include <tuple>

#include "entity/ColourTables.h"
#include "hostrender.h"
#include "tests/module/classify/ProgramFixture.h"

namespace classifytest {
namespace {

using pelvarhost::RasterImage;
using pelvarhost::RgbColour;
using Rgb = std::tuple<int, int, int>;

constexpr RgbColour kOutline{255, 255, 255};
constexpr int kBuildingRow = 5;  // row of class 6 in the class palette

std::set<Rgb> Buckets(int first, int end) {
  std::set<Rgb> colours;
  for (int b = first; b < end; ++b) colours.insert({BucketColour(b).red, BucketColour(b).green, BucketColour(b).blue});
  return colours;
}

Rgb Key(const RgbColour& c) { return {c.red, c.green, c.blue}; }

bool IsPoint(const RgbColour& c) { return c != pelvarhost::kBackgroundColour && c != kOutline; }

RasterImage Read(const fs::path& path) {
  RasterImage image;
  std::string error;
  EXPECT_TRUE(pelvarhost::ReadPng(path.string(), image, &error)) << error;
  return image;
}

// How many point pixels have a colour of the set.
int CountIn(const RasterImage& image, const std::set<Rgb>& colours) {
  int count = 0;
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x) count += IsPoint(image.at(x, y)) && colours.count(Key(image.at(x, y)));
  return count;
}

int CountPoints(const RasterImage& image) { return CountIn(image, Buckets(0, kColourBucketCount)); }

TEST_F(ClassifyProgram, PicturesShowTheEditAndEachColourMode) {
  WriteSample("sample.kmt", 60000, 5);
  const std::string png = " 400 250\n";
  pelvartest::PelvarRun run = Run(
      "PELVARATTACH\nsample.kmt\nPNGOUT before.png" + png +
      "PELVARRECLASS\nBuilding\n2229500,1369500\n2230100,1370000\n\nPNGOUT after.png" + png +
      "PELVARMODE\n2230000,1370000\nPNGOUT intensity.png" + png + "PELVARMODE\n2230000,1370000\nPNGOUT elevation.png" +
      png + "PELVARMODE\n2230000,1370000\nPELVARRECLASS\nReset\nPNGOUT reset.png" + png);
  const RasterImage before = Read(home_ / "before.png");
  const RasterImage after = Read(home_ / "after.png");
  const std::set<Rgb> building = Buckets(4 * kBuildingRow, 4 * kBuildingRow + 4);

  // Every pixel the edit changed is now a building shade; the picture gained many of them.
  int changed = 0;
  for (int y = 0; y < after.height; ++y) {
    for (int x = 0; x < after.width; ++x) {
      if (after.at(x, y) == before.at(x, y)) continue;
      ++changed;
      EXPECT_TRUE(building.count(Key(after.at(x, y)))) << x << "," << y;
    }
  }
  EXPECT_GT(changed, 1000);
  EXPECT_GT(CountIn(after, building), CountIn(before, building) + 1000);

  const RasterImage intensity = Read(home_ / "intensity.png");
  const RasterImage elevation = Read(home_ / "elevation.png");
  EXPECT_EQ(CountIn(intensity, Buckets(kFirstIntensityBucket, kFirstElevationBucket)), CountPoints(intensity));
  EXPECT_EQ(CountIn(elevation, Buckets(kFirstElevationBucket, kColourBucketCount)), CountPoints(elevation));
  EXPECT_GT(CountPoints(intensity), 10000);
  EXPECT_EQ(CountPoints(intensity), CountPoints(after));  // the same points, other colours
  EXPECT_EQ(CountPoints(elevation), CountPoints(after));

  const RasterImage reset = Read(home_ / "reset.png");
  EXPECT_TRUE(reset.rgb == before.rgb);
}

}  // namespace
}  // namespace classifytest
