// Every one of the 72 bucket colours against values worked out here from the palette
// palette numbers, and the bucket rules at their edges.
#include <gtest/gtest.h>

#include <cmath>

#include "entity/ColourTables.h"

namespace {

struct Rgb {
  int r, g, b;
};

// The ten class rows of the palette, in row order, with their LAS classes.
constexpr int kRowClass[10] = {1, 2, 3, 4, 5, 6, 7, 9, 17, 20};
constexpr Rgb kRows[10] = {{86, 96, 112},  {168, 173, 181}, {111, 145, 96}, {122, 166, 104}, {82, 127, 82},
                           {255, 140, 90}, {85, 85, 85},    {76, 155, 232}, {180, 140, 232}, {138, 133, 120}};
// The four shade factors and the sixteen greys, as listed.
constexpr double kShades[4] = {0.55, 0.55 + 0.65 / 3, 0.55 + 1.3 / 3, 1.2};
constexpr int kGreys[16] = {40, 54, 68, 82, 97, 111, 125, 139, 154, 168, 182, 196, 211, 225, 239, 254};
constexpr Rgb kStops[5] = {{15, 35, 90}, {26, 140, 155}, {80, 175, 80}, {235, 200, 60}, {230, 70, 50}};

int Shade(int channel, double factor) { return static_cast<int>(std::fmin(channel * factor, 255.0)); }

Rgb RampOracle(double t) {
  if (t > 0.9999) t = 0.9999;
  double s = 4 * t;
  int k = static_cast<int>(std::floor(s));
  double f = s - k;
  auto mix = [f](int a, int b) { return static_cast<int>(a + (b - a) * f); };
  return {mix(kStops[k].r, kStops[k + 1].r), mix(kStops[k].g, kStops[k + 1].g), mix(kStops[k].b, kStops[k + 1].b)};
}

Rgb OracleColour(int bucket) {
  if (bucket < 40) {
    const Rgb& row = kRows[bucket / 4];
    double f = kShades[bucket % 4];
    return {Shade(row.r, f), Shade(row.g, f), Shade(row.b, f)};
  }
  if (bucket < 56) return {kGreys[bucket - 40], kGreys[bucket - 40], kGreys[bucket - 40]};
  return RampOracle((bucket - 56) / 15.0);
}

TEST(ColourTables, AllSeventyTwoBucketColoursMatchTheStatedNumbers) {
  for (int b = 0; b < kColourBucketCount; ++b) {
    PaletteColour c = BucketColour(b);
    Rgb want = OracleColour(b);
    EXPECT_EQ(c.red, want.r) << "bucket " << b;
    EXPECT_EQ(c.green, want.g) << "bucket " << b;
    EXPECT_EQ(c.blue, want.b) << "bucket " << b;
  }
}

TEST(ColourTables, KnownColoursSpelledOut) {
  EXPECT_EQ(BucketColour(71), (PaletteColour{230, 70, 50}));   // top of the ramp
  EXPECT_EQ(BucketColour(56), (PaletteColour{15, 35, 90}));    // bottom of the ramp
  EXPECT_EQ(BucketColour(40), (PaletteColour{40, 40, 40}));    // darkest grey
  EXPECT_EQ(BucketColour(55), (PaletteColour{254, 254, 254}));
  EXPECT_EQ(BucketColour(23), (PaletteColour{255, 168, 108}));  // building, brightest: capped red
  EXPECT_EQ(BucketColour(0), (PaletteColour{47, 52, 61}));      // unclassified, darkest shade
}

TEST(ColourTables, ClassRowsFollowTheTableAndUnlistedClassesUseRowZero) {
  for (int row = 0; row < 10; ++row) EXPECT_EQ(ClassPaletteRowOf(kRowClass[row]), row);
  for (unsigned cls : {0u, 8u, 10u, 12u, 16u, 18u, 19u, 21u, 33u, 255u}) EXPECT_EQ(ClassPaletteRowOf(cls), 0) << cls;
}

TEST(ColourTables, ClassBucketsUseFourIntensityShades) {
  // maxIntensity 399: quarters of 400.
  EXPECT_EQ(ClassBucket(2, 0, 399), 4);
  EXPECT_EQ(ClassBucket(2, 99, 399), 4);
  EXPECT_EQ(ClassBucket(2, 100, 399), 5);
  EXPECT_EQ(ClassBucket(2, 399, 399), 7);
  EXPECT_EQ(ClassBucket(20, 65535, 65535), 39);
  EXPECT_EQ(ClassBucket(12, 300, 399), 3);  // unlisted class: row 0
  // An intensity above the image's maximum stays in the brightest shade.
  EXPECT_EQ(ClassBucket(6, 5000, 1), 23);
}

TEST(ColourTables, IntensityBucketsSpanSixteenGreys) {
  EXPECT_EQ(IntensityBucket(0, 1), 40);
  EXPECT_EQ(IntensityBucket(0, 65535), 40);
  EXPECT_EQ(IntensityBucket(65535, 65535), 55);
  EXPECT_EQ(IntensityBucket(4095, 65535), 40);
  EXPECT_EQ(IntensityBucket(4096, 65535), 41);
  EXPECT_EQ(IntensityBucket(1, 1), 48);  // 16 * 1 / 2
}

TEST(ColourTables, ElevationBucketsSplitTheCodeRangeInSixteen) {
  EXPECT_EQ(ElevationBucket(0), 56);
  EXPECT_EQ(ElevationBucket(4095), 56);
  EXPECT_EQ(ElevationBucket(4096), 57);
  EXPECT_EQ(ElevationBucket(65535), 71);
}

}  // namespace
