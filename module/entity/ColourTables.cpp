#include "entity/ColourTables.h"

#include <algorithm>

namespace {

constexpr double kShadeBase = 0.55;
constexpr double kShadeStep = 0.65;
constexpr double kGreyBase = 40.0;
constexpr double kGreySpan = 214.0;
constexpr double kRampTop = 0.9999;
constexpr unsigned kQuantisedZPerBucket = 4096;

// Which quarter (or sixteenth) of the cloud's intensity range a point falls into.
unsigned IntensityStep(uint16_t intensity, uint16_t maxIntensity, unsigned steps) {
  unsigned step = steps * static_cast<unsigned>(intensity) / (static_cast<unsigned>(maxIntensity) + 1u);
  return std::min(step, steps - 1);
}

uint8_t ShadeChannel(uint8_t channel, double factor) {
  return static_cast<uint8_t>(std::min(channel * factor, 255.0));
}

PaletteColour ClassShade(int bucket) {
  const PaletteColour& base = kClassPalette[bucket / kShadesPerClass].colour;
  double factor = kShadeBase + kShadeStep * (bucket % kShadesPerClass) / 3.0;
  return {ShadeChannel(base.red, factor), ShadeChannel(base.green, factor), ShadeChannel(base.blue, factor)};
}

PaletteColour IntensityGrey(int bucket) {
  auto grey = static_cast<uint8_t>(kGreyBase + kGreySpan * (bucket - kFirstIntensityBucket) / 15.0);
  return {grey, grey, grey};
}

uint8_t RampChannel(uint8_t from, uint8_t to, double f) {
  return static_cast<uint8_t>(from + (static_cast<double>(to) - from) * f);
}

}  // namespace

int ClassPaletteRowOf(unsigned lasClass) {
  for (size_t row = 0; row < kClassPalette.size(); ++row)
    if (kClassPalette[row].lasClass == lasClass) return static_cast<int>(row);
  return 0;
}

int ClassBucket(unsigned lasClass, uint16_t intensity, uint16_t maxIntensity) {
  return kShadesPerClass * ClassPaletteRowOf(lasClass) +
         static_cast<int>(IntensityStep(intensity, maxIntensity, kShadesPerClass));
}

int IntensityBucket(uint16_t intensity, uint16_t maxIntensity) {
  return kFirstIntensityBucket + static_cast<int>(IntensityStep(intensity, maxIntensity, kIntensityBucketCount));
}

int ElevationBucket(uint16_t quantisedZ) {
  return kFirstElevationBucket + static_cast<int>(quantisedZ / kQuantisedZPerBucket);
}

PaletteColour ElevationRampAt(double t) {
  t = std::clamp(t, 0.0, kRampTop);
  double s = 4.0 * t;
  int k = static_cast<int>(s);
  double f = s - k;
  const PaletteColour& a = kElevationRamp[k];
  const PaletteColour& b = kElevationRamp[k + 1];
  return {RampChannel(a.red, b.red, f), RampChannel(a.green, b.green, f), RampChannel(a.blue, b.blue, f)};
}

PaletteColour BucketColour(int bucket) {
  if (bucket < kFirstIntensityBucket) return ClassShade(bucket);
  if (bucket < kFirstElevationBucket) return IntensityGrey(bucket);
  return ElevationRampAt((bucket - kFirstElevationBucket) / 15.0);
}
