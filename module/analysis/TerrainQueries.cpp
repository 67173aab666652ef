#include "analysis/TerrainQueries.h"

#include <algorithm>
#include <cmath>

#include "analysis/NearestPointIndex.h"

namespace {

double NodeElevation(const KmqData& data, int i, int j) {
  return DecodeGroundCode(data, data.ground[static_cast<size_t>(j) * data.groundNx + i]);
}

}  // namespace

bool GroundAtLocal(const KmqData& data, double x, double y, double& z) {
  const int nx = data.groundNx, ny = data.groundNy;
  if (nx < 2 || ny < 2 || data.ground.size() < static_cast<size_t>(nx) * ny) return false;
  const double cell = data.groundCell;
  const double gx = (x - data.groundOriginX) / cell;
  const double gy = (y - data.groundOriginY) / cell;
  // Written so that NaN fails every comparison and counts as off the grid.
  if (!(gx >= 0.0 && gx <= nx - 1 && gy >= 0.0 && gy <= ny - 1)) return false;
  const int i = std::min(static_cast<int>(gx), nx - 2);
  const int j = std::min(static_cast<int>(gy), ny - 2);
  const double fx = gx - i, fy = gy - j;
  const double value = NodeElevation(data, i, j) * (1 - fx) * (1 - fy) + NodeElevation(data, i + 1, j) * fx * (1 - fy) +
                       NodeElevation(data, i, j + 1) * (1 - fx) * fy + NodeElevation(data, i + 1, j + 1) * fx * fy;
  if (!std::isfinite(value)) return false;
  z = value;
  return true;
}

bool GroundElevationAt(const CloudViews& views, double x, double y, double& z) {
  for (const CloudView& view : views) {
    const AcGePoint3d local = view.toCloud * AcGePoint3d(x, y, 0.0);
    double ground = 0.0;
    if (!GroundAtLocal(*view.data, local.x, local.y, ground)) continue;
    z = (view.toWorld * AcGePoint3d(local.x, local.y, ground)).z;
    return true;
  }
  return false;
}

bool NearestCloudPoint(const CloudViews& views, const AcGePoint3d& world, double radius, CloudPointHit& hit) {
  double best = radius * radius;
  bool found = false;
  for (const CloudView& view : views) {
    const KmqData& data = *view.data;
    const AcGePoint3d local = view.toCloud * world;
    uint32_t index = 0;
    const uint8_t* overrides = OverrideBytesOf(view);
    if (!NearestPointIndexOf(view.data)->FindNearestVisible(VisibilityRuleOf(view), overrides, local.x, local.y, best,
                                                            index))
      continue;
    const KmqPoint& p = data.points[index];
    hit.world = view.toWorld * AcGePoint3d(DecodeX(data, p), DecodeY(data, p), DecodeZ(data, p));
    hit.cls = EffectiveClass(p.cls, overrides, index);
    hit.intensity = p.intensity;
    found = true;
  }
  return found;
}
