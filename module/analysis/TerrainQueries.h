// Questions asked of the clouds behind a list of views: the ground elevation under a plan
// position and the nearest visible cloud point.
#pragma once
#include <cstdint>

#include "analysis/CloudView.h"
#include "cloudfile/KmqData.h"
#include "gepnt3d.h"

// The search radius for the nearest cloud point, in the cloud's unit (ft).
inline constexpr double kNearestSearchRadius = 25.0;

// Ground elevation (cloud z) at cloud (x, y), interpolated bilinearly between the four
// nodes of the ground grid around it. False when the grid has fewer than two nodes on an
// axis, when the position is off the grid (the far edges are on it; NaN is off it), or
// when the interpolated value is not finite.
bool GroundAtLocal(const KmqData& data, double x, double y, double& z);

// Ground elevation (world z) at world (x, y) from the first view whose grid covers the
// position; clouds are not blended. False when no grid covers it.
bool GroundElevationAt(const CloudViews& views, double x, double y, double& z);

// A visible cloud point as the nearest-point search reports it.
struct CloudPointHit {
  AcGePoint3d world;      // its position in world coordinates
  uint8_t cls = 0;        // its effective class
  uint8_t intensity = 0;  // its 8-bit intensity
};

// The visible point nearest in plan to the world position over all views, strictly closer
// than the radius, searching only the 3 x 3 chunk cells around the position in each cloud.
// Ties keep the first found (view order, then row, column and file order).
bool NearestCloudPoint(const CloudViews& views, const AcGePoint3d& world, double radius, CloudPointHit& hit);
