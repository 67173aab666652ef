// Drawing one frame of the About window into its back buffer.
#pragma once
#include <vector>

#include "gdiplus.h"
#include "ui/AboutScene.h"

struct AboutScene {
  std::vector<AboutStar> stars = MakeStars();
  std::vector<TerrainPoint> terrain = MakeTerrain();
};

// The parts of the window a click or the cursor may hit, as drawn.
struct AboutHitAreas {
  Gdiplus::RectF link;
  Gdiplus::RectF closeBox;
};

inline constexpr const wchar_t* kAboutLink = L"https://mardel.example/pelvar";

// Draws frame t: background, stars, terrain with the scanner, crawl, logo, title bar, footer.
void DrawAboutFrame(Gdiplus::Graphics& g, const AboutScene& scene, int t, AboutHitAreas& hits);
