// The About window: its frames at fixed frame counts, the tune's WAV image, and the
// window's life (one at a time, closing on Esc or a click, closed on unload).
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <cmath>
#include <cstring>

#include "gdiplus.h"
#include "rxregsvc.h"
#include "tests/module/ui/WindowFixture.h"
#include "ui/AboutFrame.h"
#include "ui/AboutSound.h"
#include "ui/AboutWindow.h"

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* pkt);

namespace uitest {
namespace {

using Gdiplus::Bitmap;
using Gdiplus::Color;
using Gdiplus::Graphics;

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};

Rgb At(const Bitmap& image, int x, int y) {
  Color c;
  EXPECT_EQ(image.GetPixel(x, y, &c), Gdiplus::Ok);
  return Rgb{c.GetR(), c.GetG(), c.GetB()};
}

// Colour a over the background at alpha.
Rgb Over(Rgb a, int alpha, Rgb under) {
  auto mix = [alpha](int top, int bottom) { return (top * alpha + bottom * (255 - alpha) + 127) / 255; };
  return Rgb{mix(a.r, under.r), mix(a.g, under.g), mix(a.b, under.b)};
}

// The pixel an unsmoothed square drawn at v starts on: the first whose centre it covers.
int FirstPixel(double v) { return static_cast<int>(std::ceil(v - 0.5)); }

bool Near(Rgb a, Rgb b) { return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2; }

std::unique_ptr<Bitmap> Frame(int t, AboutHitAreas* hits = nullptr) {
  static AboutScene scene;
  auto image = std::make_unique<Bitmap>(kAboutWidth, kAboutHeight);
  Graphics g(image.get());
  AboutHitAreas areas;
  DrawAboutFrame(g, scene, t, areas);
  if (hits != nullptr) *hits = areas;
  return image;
}

constexpr Rgb kBackground{6, 6, 9};
constexpr Rgb kTitle{235, 235, 235};
constexpr Rgb kScannerHit{255, 205, 80};

TEST(AboutSceneTest, StarsFollowTheXorshiftGeneratorSeededWith42) {
  uint32_t s = 42;
  auto next = [&s] {
    s ^= s << 13;
    s ^= s >> 17;
    s ^= s << 5;
    return (s & 0xFFFFFF) / 16777216.0;
  };
  std::vector<AboutStar> stars = MakeStars();
  ASSERT_EQ(stars.size(), 190u);
  for (const AboutStar& star : stars) {
    EXPECT_FLOAT_EQ(star.x, static_cast<float>(645 * next()));
    EXPECT_FLOAT_EQ(star.y, static_cast<float>(445 * next()));
    EXPECT_FLOAT_EQ(star.speed, static_cast<float>(1.1 * next() + 0.2));
    EXPECT_FLOAT_EQ(star.brightness, static_cast<float>(0.6 * next() + 0.4));
    EXPECT_FLOAT_EQ(star.twinkleRate, static_cast<float>(0.1 * next() + 0.03));
    EXPECT_FLOAT_EQ(star.phase, static_cast<float>(6.28 * next()));
  }
}

TEST(AboutSceneTest, TerrainGridAndBuildings) {
  std::vector<TerrainPoint> terrain = MakeTerrain();
  ASSERT_EQ(terrain.size(), 3136u);
  // Row 24, column 28: gx = 1/55, gy = -7/55, inside the building at (0.05, 0.1)? No: |gy - 0.1| = 0.227 > 0.18.
  const TerrainPoint& p = terrain[24 * 56 + 28];
  EXPECT_FLOAT_EQ(p.x, static_cast<float>(2.0 * 28 / 55 - 1));
  EXPECT_FLOAT_EQ(p.y, static_cast<float>(2.0 * 24 / 55 - 1));
  EXPECT_FALSE(p.building);
  // Row 31, column 28: gx = 1/55, gy = 7/55 lies in the building at (0.05, 0.1), 0.18 high.
  const TerrainPoint& roof = terrain[31 * 56 + 28];
  EXPECT_TRUE(roof.building);
  double gx = 1.0 / 55, gy = 7.0 / 55;
  double ground = 0.1 * std::sin(3.1 * gx + 1.7) + 0.08 * std::cos(2.6 * gy - 0.8) + 0.05 * std::sin(5 * gx + 4 * gy);
  EXPECT_NEAR(roof.height, ground + 0.18, 0.015 + 1e-6);  // the noise term is at most 0.015
  for (const TerrainPoint& t : terrain) {
    EXPECT_GE(t.shade, 0.0f);
    EXPECT_LE(t.shade, 1.0f);
  }
}

TEST(AboutFrameTest, FrameZeroHasTheTitleBarAndStarsAndNoScanner) {
  AboutHitAreas hits;
  auto image = Frame(0, &hits);
  EXPECT_EQ(At(*image, 3, 200), kTitle);    // left edge of the frame rectangle
  EXPECT_EQ(At(*image, 641, 200), kTitle);  // right edge
  EXPECT_EQ(At(*image, 300, 33), kTitle);   // line under the heading
  EXPECT_EQ(At(*image, 617, 15), kTitle);   // close box
  EXPECT_EQ(hits.closeBox.X, 617);
  EXPECT_EQ(hits.closeBox.Width, 19);
  EXPECT_GT(hits.link.X, 16);
  EXPECT_GT(hits.link.Width, 100);
  EXPECT_EQ(At(*image, 1, 1), kBackground);  // outside the frame rectangle

  // Stars where nothing else is drawn show white over the background at their alpha.
  int checked = 0, matching = 0;
  for (const AboutStar& star : MakeStars()) {
    StarSpot spot = PlaceStar(star, 0);
    int x = FirstPixel(spot.x), y = FirstPixel(spot.y);
    if (y <= 34 || y >= 44 || x <= 4 || x >= 640) continue;  // between the heading line and the logo
    ++checked;
    matching += Near(At(*image, x, y), Over(Rgb{255, 255, 255}, spot.alpha, kBackground));
  }
  EXPECT_GT(checked, 0);
  EXPECT_EQ(matching, checked);

  // At frame 0 the scanner stands at -1.6, off the terrain: no hit points.
  for (const ProjectedPoint& p : ProjectTerrain(MakeTerrain(), 0)) EXPECT_FALSE(p.scannerHit);
}

TEST(AboutFrameTest, FrameHundredShowsTheScannerLineAndItsHits) {
  // t = 100: the scanner is at 1.1 - 1.6 = -0.5, drawn at x = 205 * -0.5 + 322.5 = 220.
  EXPECT_NEAR(ScannerPosition(100), -0.5, 1e-12);
  auto image = Frame(100);
  Rgb line = Over(Rgb{255, 190, 60}, 70, kBackground);
  int onLine = 0;
  for (int y = 234; y < 440; ++y) onLine += Near(At(*image, 220, y), line);
  EXPECT_GT(onLine, 100);
  auto before = Frame(0);
  for (int y = 234; y < 440; ++y) EXPECT_FALSE(Near(At(*before, 220, y), line)) << y;

  // Hit points are drawn scanner yellow where no nearer point covers them.
  std::vector<ProjectedPoint> points = ProjectTerrain(MakeTerrain(), 100);
  int hits = 0, shown = 0;
  for (const ProjectedPoint& p : points) {
    if (!p.scannerHit) continue;
    ++hits;
    EXPECT_NEAR(p.screenX, 220, 0.05 * 205 + 1);
    shown += At(*image, FirstPixel(p.screenX), FirstPixel(p.screenY)) == kScannerHit;
  }
  EXPECT_GT(hits, 20);
  EXPECT_GT(shown, hits * 8 / 10);
}

TEST(AboutFrameTest, SameFrameCountSameImage) {
  auto a = Frame(250);
  auto b = Frame(250);
  auto c = Frame(251);
  int differ = 0, differNext = 0;
  for (int y = 0; y < kAboutHeight; y += 3)
    for (int x = 0; x < kAboutWidth; x += 3) {
      differ += !(At(*a, x, y) == At(*b, x, y));
      differNext += !(At(*a, x, y) == At(*c, x, y));
    }
  EXPECT_EQ(differ, 0);
  EXPECT_GT(differNext, 0);  // the animation moves from one frame to the next
}

TEST(AboutSoundTest, WavImageHasTheStandardHeaderAndTheStatedSamples) {
  std::vector<uint8_t> wav = BuildChiptuneWav();
  ASSERT_EQ(wav.size(), 44u + 395136u);
  auto u32 = [&](size_t at) { return wav[at] | wav[at + 1] << 8 | wav[at + 2] << 16 | uint32_t{wav[at + 3]} << 24; };
  auto u16 = [&](size_t at) { return static_cast<uint16_t>(wav[at] | wav[at + 1] << 8); };
  auto sample = [&](size_t n) { return static_cast<int16_t>(u16(44 + 2 * n)); };
  EXPECT_EQ(std::memcmp(wav.data(), "RIFF", 4), 0);
  EXPECT_EQ(u32(4), 36u + 395136u);
  EXPECT_EQ(std::memcmp(wav.data() + 8, "WAVEfmt ", 8), 0);
  EXPECT_EQ(u32(16), 16u);
  EXPECT_EQ(u16(20), 1);      // PCM
  EXPECT_EQ(u16(22), 1);      // mono
  EXPECT_EQ(u32(24), 44100u);
  EXPECT_EQ(u32(28), 88200u);
  EXPECT_EQ(u16(32), 2);
  EXPECT_EQ(u16(34), 16);
  EXPECT_EQ(std::memcmp(wav.data() + 36, "data", 4), 0);
  EXPECT_EQ(u32(40), 395136u);

  // Step 0, sample 0: melody A4 and bass A2 both high, undecayed: 0.6 * 30000.
  EXPECT_EQ(sample(0), 18000);
  // Step 1, first sample (c = 6174): the melody's C5 alone, 6174 * 523.25 / 44100 = 73.26 periods: high.
  EXPECT_EQ(sample(6174), 9000);
  // Step 7 (melody rest), first sample: bass A2 at 43218 * 110 / 44100 = 107.8 periods: low.
  EXPECT_EQ(sample(7 * 6174), -9000);
  // Last sample of step 0: both voices decayed, each with its own rate.
  double j = 6173, c = 6173;
  double melody = 0.3 * (std::fmod(c * 440 / 44100, 1.0) < 0.5 ? 1 : -1) * std::exp(-3.6 * j / 6174);
  double bass = 0.3 * (std::fmod(c * 110 / 44100, 1.0) < 0.5 ? 1 : -1) * std::exp(-1.1 * j / 6174);
  EXPECT_EQ(sample(6173), static_cast<int16_t>((melody + bass) * 30000));
  // Steps 7, 15, 23 and 31 rest the melody; step 1 rests the bass.
  EXPECT_EQ(NoteFrequency(0), 0.0);
  EXPECT_DOUBLE_EQ(NoteFrequency(69), 440.0);
  EXPECT_NEAR(NoteFrequency(45), 110.0, 1e-9);
}

QWidget* AboutWidget() {
  for (QWidget* top : QApplication::topLevelWidgets())
    if (top->isVisible() && top->windowTitle() == "Pelvar" && (top->windowFlags() & Qt::WindowStaysOnTopHint))
      return top;
  return nullptr;
}

void RunEvents(int ms) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

TEST_F(WindowTest, AboutOpensOnceAnimatesAndClosesOnEscapeOrAClick) {
  PelvarAboutCommand();
  ASSERT_TRUE(AboutWindowOpen());
  HWND first = AboutWindowHandle();
  QWidget* widget = AboutWidget();
  ASSERT_NE(widget, nullptr);
  EXPECT_EQ(widget->size(), QSize(645, 445));
  EXPECT_EQ(AboutFrameCount(), 0);
  PelvarAboutCommand();  // a quick second open brings the same window forward
  EXPECT_EQ(AboutWindowHandle(), first);
  RunEvents(200);
  EXPECT_GT(AboutFrameCount(), 0);

  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(widget, &escape);
  EXPECT_FALSE(AboutWindowOpen());
  RunEvents(50);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(AboutWidget(), nullptr);

  PelvarAboutCommand();  // a new opening starts from frame 0
  ASSERT_TRUE(AboutWindowOpen());
  EXPECT_EQ(AboutFrameCount(), 0);
  QMouseEvent click(QEvent::MouseButtonPress, QPointF(300, 300), QPointF(300, 300), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
  QCoreApplication::sendEvent(AboutWidget(), &click);
  EXPECT_FALSE(AboutWindowOpen());
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(WindowTest, UnloadingTheModuleClosesTheOpenAboutWindow) {
  ASSERT_EQ(acrxEntryPoint(AcRx::kInitAppMsg, nullptr), AcRx::kRetOK);
  PelvarAboutCommand();
  ASSERT_TRUE(AboutWindowOpen());
  ASSERT_EQ(acrxEntryPoint(AcRx::kUnloadAppMsg, nullptr), AcRx::kRetOK);
  EXPECT_FALSE(AboutWindowOpen());
  EXPECT_EQ(AboutWidget(), nullptr);
  EXPECT_EQ(PanelPaletteSet(), nullptr);  // the panel shown at load is gone too
  RunEvents(100);                         // no timer of the closed window fires
}

}  // namespace
}  // namespace uitest
