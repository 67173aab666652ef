// The display's colours: 72 colour buckets, ten class rows of shades, sixteen greys of
// intensity and sixteen steps of the elevation ramp.
#pragma once
#include <array>
#include <cstdint>

struct PaletteColour {
  uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const PaletteColour&) const = default;
};

struct ClassPaletteRow {
  uint8_t lasClass;
  PaletteColour colour;
};

// The row order fixes the bucket numbers; classes not listed use row 0.
inline constexpr std::array<ClassPaletteRow, 10> kClassPalette = {{
    {1, {86, 96, 112}},     // unclassified
    {2, {168, 173, 181}},   // ground
    {3, {111, 145, 96}},    // low vegetation
    {4, {122, 166, 104}},   // medium vegetation
    {5, {82, 127, 82}},     // high vegetation
    {6, {255, 140, 90}},    // building
    {7, {85, 85, 85}},      // low noise
    {9, {76, 155, 232}},    // water
    {17, {180, 140, 232}},  // bridge deck
    {20, {138, 133, 120}},  // ignored ground
}};

// Five equally spaced stops from the lowest to the highest point of a cloud.
inline constexpr std::array<PaletteColour, 5> kElevationRamp = {{
    {15, 35, 90}, {26, 140, 155}, {80, 175, 80}, {235, 200, 60}, {230, 70, 50},
}};

inline constexpr int kColourBucketCount = 72;
inline constexpr int kShadesPerClass = 4;
inline constexpr int kFirstIntensityBucket = 40;
inline constexpr int kIntensityBucketCount = 16;
inline constexpr int kFirstElevationBucket = 56;
inline constexpr int kElevationBucketCount = 16;

// Row of kClassPalette for a LAS class (0 when the class is not listed).
int ClassPaletteRowOf(unsigned lasClass);

// Bucket numbers. Intensities are 16-bit; maxIntensity is the cloud's largest (at least 1).
int ClassBucket(unsigned lasClass, uint16_t intensity, uint16_t maxIntensity);
int IntensityBucket(uint16_t intensity, uint16_t maxIntensity);
int ElevationBucket(uint16_t quantisedZ);

// The ramp's colour at t (clamped to [0, 0.9999]).
PaletteColour ElevationRampAt(double t);

// The colour every point of a bucket is drawn in.
PaletteColour BucketColour(int bucket);
