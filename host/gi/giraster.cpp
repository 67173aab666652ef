// Raster images, the colour-index palette and the view-to-pixel mapping.
#include <algorithm>
#include <array>
#include <cmath>

#include "hostrender.h"

namespace pelvarhost {
namespace {

// The first ten colour indexes as the host shows them on a dark background.
constexpr std::array<RgbColour, 10> kBasicAci = {{
    {255, 255, 255},  // 0, by block: shown white
    {255, 0, 0},      // 1 red
    {255, 255, 0},    // 2 yellow
    {0, 255, 0},      // 3 green
    {0, 255, 255},    // 4 cyan
    {0, 0, 255},      // 5 blue
    {255, 0, 255},    // 6 magenta
    {255, 255, 255},  // 7 white
    {128, 128, 128},  // 8 dark grey
    {192, 192, 192},  // 9 light grey
}};

// Indexes 250 to 255: greys from dark to white.
constexpr std::array<std::uint8_t, 6> kAciGreys = {51, 91, 132, 173, 214, 255};

// Indexes 10 to 249: 24 hues in steps of 15 degrees, ten shades each (five brightness
// levels, every second shade half-saturated).
RgbColour AciWheelColour(int index) {
  constexpr double kBrightness[5] = {1.0, 0.8, 0.6, 0.5, 0.3};
  double hue = ((index - 10) / 10) * 15.0;
  int shade = index % 10;
  double value = kBrightness[shade / 2];
  double saturation = shade % 2 == 0 ? 1.0 : 0.5;
  double h = hue / 60.0;
  double c = value * saturation;
  double x = c * (1 - std::fabs(std::fmod(h, 2.0) - 1));
  double r = 0, g = 0, b = 0;
  switch (static_cast<int>(h)) {
    case 0: r = c, g = x; break;
    case 1: r = x, g = c; break;
    case 2: g = c, b = x; break;
    case 3: g = x, b = c; break;
    case 4: r = x, b = c; break;
    default: r = c, b = x; break;
  }
  double m = value - c;
  auto channel = [m](double v) { return static_cast<std::uint8_t>(std::lround((v + m) * 255)); };
  return {channel(r), channel(g), channel(b)};
}

}  // namespace

RgbColour AciColour(int colorIndex) {
  if (colorIndex >= 0 && colorIndex < static_cast<int>(kBasicAci.size())) return kBasicAci[colorIndex];
  if (colorIndex >= 10 && colorIndex <= 249) return AciWheelColour(colorIndex);
  if (colorIndex >= 250 && colorIndex <= 255) {
    std::uint8_t grey = kAciGreys[colorIndex - 250];
    return {grey, grey, grey};
  }
  return kBasicAci[7];
}

RgbColour RasterImage::at(int x, int y) const {
  const std::uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
  return {p[0], p[1], p[2]};
}


ViewMapping ViewMapping::Fit(const ViewRecord& view, int width, int height) {
  ViewMapping mapping;
  mapping.centerX = view.centerX;
  mapping.centerY = view.centerY;
  mapping.width = width;
  mapping.height = height;
  mapping.pixelsPerUnit = view.height > 0 ? height / view.height : 1.0;
  return mapping;
}

}  // namespace pelvarhost
