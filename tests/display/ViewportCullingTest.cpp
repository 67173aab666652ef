// Chunks whose cells lie outside the viewport are left out of the pass: what reaches the
// screen is the same as when every chunk is drawn.
#include <gtest/gtest.h>

#include <algorithm>

#include "gemat3d.h"
#include "tests/display/CloudFixtures.h"
#include "tests/display/RecordingDraw.h"

namespace {

using recording::Draw;
using recording::DrawCall;

// The points of each colour, in the order drawn, as world points.
std::vector<std::pair<uint32_t, AcGePoint3d>> WorldPoints(const Draw& draw) {
  std::vector<std::pair<uint32_t, AcGePoint3d>> points;
  for (const DrawCall& call : draw.log.calls) {
    if (call.kind != DrawCall::Polypoint) continue;
    for (const AcGePoint3d& p : call.points)
      points.emplace_back(static_cast<uint32_t>(call.colour.red() << 16 | call.colour.green() << 8 | call.colour.blue()),
                          call.modelTransform * p);
  }
  return points;
}

struct Window {
  double x0, y0, x1, y1;
  bool Contains(const AcGePoint3d& p) const { return p.x >= x0 && p.x <= x1 && p.y >= y0 && p.y <= y1; }
};

class Culling : public testing::TestWithParam<int> {};

// Zoomed in on a part of the cloud (moved and rotated by the entity transform): every point
// the full pass puts on the screen, and only those off it are missing.
TEST_P(Culling, LeavesOutOnlyPointsOffTheScreen) {
  const double ppu = 4.0, widthPx = 320, heightPx = 200;
  auto entity = fixtures::EntityForCloud(fixtures::GridCloud(16, 60, fixtures::AllGround), "cull.kmt");
  entity->setClassMask(0xFFFFFFFF);
  AcGeMatrix3d transform = AcGeMatrix3d::translation(AcGeVector3d(50, -20, 0));
  if (GetParam() == 1) transform = transform * AcGeMatrix3d::rotation(0.4, AcGeVector3d::kZAxis, AcGePoint3d(1200, 2200, 0));
  entity->setTransform(transform);
  const AcGePoint2d centre(1180, 2230);

  Draw full(ppu);
  entity->viewportDraw(full.viewport());
  Draw culled(ppu);
  culled.setWindow(centre, widthPx, heightPx);
  entity->viewportDraw(culled.viewport());

  Window screen{centre.x - widthPx / 2 / ppu, centre.y - heightPx / 2 / ppu, centre.x + widthPx / 2 / ppu,
                centre.y + heightPx / 2 / ppu};
  auto all = WorldPoints(full), kept = WorldPoints(culled);
  decltype(all) onScreenAll, onScreenKept;
  std::copy_if(all.begin(), all.end(), std::back_inserter(onScreenAll), [&](auto& p) { return screen.Contains(p.second); });
  std::copy_if(kept.begin(), kept.end(), std::back_inserter(onScreenKept),
               [&](auto& p) { return screen.Contains(p.second); });
  ASSERT_GT(onScreenAll.size(), 100u);
  ASSERT_EQ(onScreenKept.size(), onScreenAll.size());
  for (size_t i = 0; i < onScreenAll.size(); ++i) {
    EXPECT_EQ(onScreenKept[i].first, onScreenAll[i].first);
    EXPECT_TRUE(onScreenKept[i].second.isEqualTo(onScreenAll[i].second));
  }
  EXPECT_LT(kept.size() * 3, all.size());  // most of the cloud was off the screen
}

INSTANTIATE_TEST_SUITE_P(PlainAndRotated, Culling, testing::Values(0, 1));

TEST(Culling, AViewportWithoutExtentDrawsEveryChunk) {
  auto entity = fixtures::EntityForCloud(fixtures::GridCloud(8, 10, fixtures::AllGround), "nocull.kmt");
  Draw draw(1000.0);
  entity->viewportDraw(draw.viewport());
  EXPECT_EQ(draw.log.PointsDrawn(), 8u * 8u * 10u);
}

}  // namespace
