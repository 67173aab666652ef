#include "ui/AboutFrame.h"

#include <algorithm>
#include <cmath>
#include <iterator>

using namespace Gdiplus;

namespace {

constexpr const wchar_t* kMono = L"Consolas";
constexpr const wchar_t* kLogo = L"Pelvar";
constexpr const wchar_t* kTagline = L"USGS point clouds, straight into Civil 3D";
constexpr const wchar_t* kHeading = L"P E L V A R    -    L I D A R   I N   Y O U R   C A D";
constexpr const wchar_t* kAuthorLine = L"Mardel Geomatics 2027";
constexpr const wchar_t* kCloseHint = L"[ESC] / click to close";

// 32 slots; slots 3, 6, 12, 18, 24 and 30 (from 1) are empty.
constexpr const wchar_t* kCrawl[32] = {
    L"A LONG TIME AGO, IN A",       L"SURVEY FAR, FAR AWAY...",   L"",
    L"LASER PULSES RAINED",         L"ON FIELDS AND ROOFTOPS",    L"",
    L"BILLIONS OF RETURNS",         L"WAITED IN THE ARCHIVE",     L"FOR SOMEONE TO ASK",
    L"WHERE THE GROUND LIES",       L"UNDER THE TREES",           L"",
    L"NOW THEY COME ASHORE",        L"IN YOUR DRAWING",           L"CLASSED AND COLOURED",
    L"THINNED TO YOUR ZOOM",        L"READY TO BE MEASURED",      L"",
    L"PICK A POINT",                L"CUT A PROFILE",             L"BUILD A SURFACE",
    L"PLACE YOUR COGO POINTS",      L"CROP WHAT YOU NEED",        L"",
    L"NO MORE WAITING",             L"FOR THE FIELD CREW",        L"THE TERRAIN IS HERE",
    L"AND IT IS IN 3D",             L"GOOD LUCK, SURVEYOR",       L"",
    L"MAY THE POINTS",              L"BE WITH YOU",
};

constexpr int kCrawlSpacing = 22;
constexpr double kCrawlSpeed = 0.5;
constexpr double kCrawlPeriod = 918;
constexpr double kCrawlBand = 126;
constexpr double kCrawlTop = 130;

void DrawStars(Graphics& g, const AboutScene& scene, int t) {
  for (const AboutStar& star : scene.stars) {
    StarSpot spot = PlaceStar(star, t);
    SolidBrush white(Color(static_cast<BYTE>(spot.alpha), 255, 255, 255));
    g.FillRectangle(&white, static_cast<REAL>(spot.x), static_cast<REAL>(spot.y), static_cast<REAL>(spot.side),
                    static_cast<REAL>(spot.side));
  }
}

Color TerrainColour(const ProjectedPoint& p) {
  if (p.scannerHit) return Color(255, 205, 80);
  double k = p.building ? 0.38 * p.shade + 0.62 : 0.55 * p.shade + 0.45;
  auto scale = [k](int v) { return static_cast<BYTE>(std::clamp(k * v, 0.0, 255.0)); };
  return p.building ? Color(scale(255), scale(140), scale(90)) : Color(scale(150), scale(160), scale(178));
}

void DrawTerrain(Graphics& g, const AboutScene& scene, int t) {
  std::vector<ProjectedPoint> points = ProjectTerrain(scene.terrain, t);
  double scanner = ScannerPosition(t);
  if (scanner > -1.05 && scanner < 1.05) {
    Pen line(Color(70, 255, 190, 60), 1);
    auto x = static_cast<REAL>(ScannerScreenX(scanner));
    g.DrawLine(&line, x, 232.7f, x, 446.0f);
  }
  for (const ProjectedPoint& p : points) {
    SolidBrush brush(TerrainColour(p));
    REAL side = p.depth < 0 ? 2.0f : 1.0f;
    g.FillRectangle(&brush, p.screenX, p.screenY, side, side);
  }
}

void DrawCrawl(Graphics& g, int t) {
  double scroll = std::fmod(kCrawlSpeed * t, kCrawlPeriod);
  StringFormat centred;
  centred.SetAlignment(StringAlignmentCenter);
  for (int i = 0; i < static_cast<int>(std::size(kCrawl)); ++i) {
    double slot = kCrawlSpacing * i - scroll;
    if (slot < 0 || slot > kCrawlBand || kCrawl[i][0] == L'\0') continue;
    double g1 = slot / kCrawlBand;
    double p = std::pow(1 - g1, 1.4);
    Font font(kMono, static_cast<REAL>(15 * (0.34 + 0.66 * g1)), FontStyleBold, UnitPixel);
    SolidBrush brush(Color(static_cast<BYTE>(255 * std::min(1.0, 1.6 * g1)), 255, 200, 64));
    RectF box(0, static_cast<REAL>(kCrawlTop + kCrawlBand * (1 - p)), kAboutWidth, 24);
    g.DrawString(kCrawl[i], -1, &font, box, &centred, &brush);
  }
}

void DrawLogo(Graphics& g) {
  g.SetSmoothingMode(SmoothingModeAntiAlias);
  g.SetTextRenderingHint(TextRenderingHintAntiAlias);
  StringFormat centred;
  centred.SetAlignment(StringAlignmentCenter);
  centred.SetLineAlignment(StringAlignmentCenter);
  FontFamily mono(kMono);
  GraphicsPath logo;
  logo.AddString(kLogo, -1, &mono, FontStyleBold, 44, RectF(0, 46, kAboutWidth, 66), &centred);
  SolidBrush shadow(Color(0, 0, 0));
  for (int shift = 4; shift >= 1; --shift) {
    g.TranslateTransform(static_cast<REAL>(shift), static_cast<REAL>(shift));
    g.FillPath(&shadow, &logo);
    g.ResetTransform();
  }
  RectF bounds;
  logo.GetBounds(&bounds);
  LinearGradientBrush gradient(bounds, Color(255, 214, 150), Color(214, 122, 58), LinearGradientModeVertical);
  g.FillPath(&gradient, &logo);
  Pen outline(Color(180, 255, 245, 210), 1);
  g.TranslateTransform(-1, -1);
  g.DrawPath(&outline, &logo);
  g.ResetTransform();
  Font tagFont(kMono, 13, FontStyleRegular, UnitPixel);
  SolidBrush grey(Color(150, 158, 175));
  g.DrawString(kTagline, -1, &tagFont, RectF(0, 108, kAboutWidth, 20), &centred, &grey);
}

void DrawTitleBar(Graphics& g, AboutHitAreas& hits) {
  Pen pen(Color(235, 235, 235), 1);
  g.DrawRectangle(&pen, 3, 3, 638, 438);
  g.DrawLine(&pen, 4, 33, 641, 33);
  StringFormat centred;
  centred.SetAlignment(StringAlignmentCenter);
  centred.SetLineAlignment(StringAlignmentCenter);
  Font heading(kMono, 12, FontStyleBold, UnitPixel);
  SolidBrush light(Color(235, 235, 235));
  g.DrawString(kHeading, -1, &heading, RectF(0, 4, kAboutWidth, 28), &centred, &light);
  hits.closeBox = RectF(617, 7, 19, 19);
  g.DrawRectangle(&pen, hits.closeBox.X, hits.closeBox.Y, hits.closeBox.Width, hits.closeBox.Height);
  Font cross(kMono, 13, FontStyleBold, UnitPixel);
  g.DrawString(L"X", -1, &cross, hits.closeBox, &centred, &light);
}

void DrawFooter(Graphics& g, AboutHitAreas& hits) {
  Font font(kMono, 12, FontStyleRegular, UnitPixel);
  RectF author;
  g.MeasureString(kAuthorLine, -1, &font, PointF(0, 0), &author);
  const REAL top = 417 - author.Height;  // the footer's texts stand on row 417
  SolidBrush grey(Color(150, 158, 175));
  g.DrawString(kAuthorLine, -1, &font, PointF(16, top), &grey);
  PointF linkAt(16 + author.Width + 10, top);
  g.MeasureString(kAboutLink, -1, &font, linkAt, &hits.link);
  SolidBrush blue(Color(110, 200, 235));
  g.DrawString(kAboutLink, -1, &font, linkAt, &blue);
  Pen underline(Color(110, 200, 235), 1);
  REAL lineY = hits.link.Y + hits.link.Height - 2;
  g.DrawLine(&underline, hits.link.X, lineY, hits.link.X + hits.link.Width, lineY);
  RectF hint;
  g.MeasureString(kCloseHint, -1, &font, PointF(0, 0), &hint);
  g.DrawString(kCloseHint, -1, &font, PointF(kAboutWidth - 18 - hint.Width, top), &grey);
}

}  // namespace

void DrawAboutFrame(Graphics& g, const AboutScene& scene, int t, AboutHitAreas& hits) {
  g.ResetTransform();
  g.Clear(Color(6, 6, 9));
  g.SetSmoothingMode(SmoothingModeNone);
  DrawStars(g, scene, t);
  DrawTerrain(g, scene, t);
  g.SetTextRenderingHint(TextRenderingHintAntiAlias);
  DrawCrawl(g, t);
  DrawLogo(g);
  g.SetSmoothingMode(SmoothingModeNone);
  DrawTitleBar(g, hits);
  DrawFooter(g, hits);
}
