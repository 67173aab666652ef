// Curves measured along a chain of straight segments (lines and polylines).
#include "dbcurve.h"

#include <algorithm>
#include <cmath>

ACRX_NO_CONS_DEFINE_MEMBERS(AcDbCurve, AcDbEntity)

namespace {
// Parameters and distances this close outside the curve still count as on it.
constexpr double kParamTolerance = 1.0e-9;

struct Chain {
  AcGePoint3dArray points;
  bool usable() const { return points.length() >= 2; }
  int segments() const { return points.length() - 1; }
  double segmentLength(int i) const { return points[i].distanceTo(points[i + 1]); }
  // True when the parameter lies on the chain, within the tolerance (never for NaN).
  bool holdsParam(double param) const {
    return param >= -kParamTolerance && param <= segments() + kParamTolerance;
  }
};

// Closest point on segment [a, b] to p, with its fraction along the segment.
double ClosestFraction(const AcGePoint3d& a, const AcGePoint3d& b, const AcGePoint3d& p) {
  AcGeVector3d ab = b - a;
  double len2 = ab.lengthSqrd();
  if (len2 == 0.0) return 0.0;
  return std::clamp((p - a).dotProduct(ab) / len2, 0.0, 1.0);
}
}  // namespace

AcDbCurve::~AcDbCurve() = default;

void AcDbCurve::getVertexChain(AcGePoint3dArray&) const {}

#define PELVAR_CHAIN(name)         \
  Chain name;                      \
  getVertexChain(name.points);     \
  if (!name.usable()) return Acad::eDegenerateGeometry

Adesk::Boolean AcDbCurve::isClosed() const { return Adesk::kFalse; }

Acad::ErrorStatus AcDbCurve::getStartParam(double& param) const {
  assertReadEnabled();
  PELVAR_CHAIN(chain);
  param = 0.0;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getEndParam(double& param) const {
  assertReadEnabled();
  PELVAR_CHAIN(chain);
  param = chain.segments();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getStartPoint(AcGePoint3d& point) const {
  assertReadEnabled();
  PELVAR_CHAIN(chain);
  point = chain.points.first();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getEndPoint(AcGePoint3d& point) const {
  assertReadEnabled();
  PELVAR_CHAIN(chain);
  point = chain.points.last();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getPointAtParam(double param, AcGePoint3d& point) const {
  assertReadEnabled();
  PELVAR_CHAIN(chain);
  if (!chain.holdsParam(param)) return Acad::eInvalidInput;
  param = std::clamp(param, 0.0, static_cast<double>(chain.segments()));
  int i = std::min(static_cast<int>(std::floor(param)), chain.segments() - 1);
  double f = param - i;
  point = chain.points[i] + (chain.points[i + 1] - chain.points[i]) * f;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getDistAtParam(double param, double& dist) const {
  assertReadEnabled();
  PELVAR_CHAIN(chain);
  if (!chain.holdsParam(param)) return Acad::eInvalidInput;
  param = std::clamp(param, 0.0, static_cast<double>(chain.segments()));
  int whole = std::min(static_cast<int>(std::floor(param)), chain.segments() - 1);
  dist = 0.0;
  for (int i = 0; i < whole; ++i) dist += chain.segmentLength(i);
  dist += chain.segmentLength(whole) * (param - whole);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getParamAtDist(double dist, double& param) const {
  assertReadEnabled();
  PELVAR_CHAIN(chain);
  if (dist < -kParamTolerance) return Acad::eInvalidInput;
  double walked = 0.0;
  for (int i = 0; i < chain.segments(); ++i) {
    double len = chain.segmentLength(i);
    if (dist <= walked + len) {
      param = i + (len > 0.0 ? std::max(0.0, dist - walked) / len : 0.0);
      return Acad::eOk;
    }
    walked += len;
  }
  if (dist <= walked + kParamTolerance) {
    param = chain.segments();
    return Acad::eOk;
  }
  return Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbCurve::getPointAtDist(double dist, AcGePoint3d& point) const {
  double param = 0.0;
  if (Acad::ErrorStatus status = getParamAtDist(dist, param); status != Acad::eOk) return status;
  return getPointAtParam(param, point);
}

Acad::ErrorStatus AcDbCurve::getClosestPointTo(const AcGePoint3d& given, AcGePoint3d& onCurve,
                                               Adesk::Boolean) const {
  assertReadEnabled();
  PELVAR_CHAIN(chain);
  double best = -1.0;
  for (int i = 0; i < chain.segments(); ++i) {
    const AcGePoint3d& a = chain.points[i];
    const AcGePoint3d& b = chain.points[i + 1];
    AcGePoint3d candidate = a + (b - a) * ClosestFraction(a, b, given);
    double d = candidate.distanceTo(given);
    if (best < 0.0 || d < best) {
      best = d;
      onCurve = candidate;
    }
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::getParamAtPoint(const AcGePoint3d& point, double& param) const {
  assertReadEnabled();
  PELVAR_CHAIN(chain);
  for (int i = 0; i < chain.segments(); ++i) {
    const AcGePoint3d& a = chain.points[i];
    const AcGePoint3d& b = chain.points[i + 1];
    double f = ClosestFraction(a, b, point);
    if ((a + (b - a) * f).isEqualTo(point, AcGeTol())) {
      param = i + f;
      return Acad::eOk;
    }
  }
  return Acad::eInvalidInput;
}

Acad::ErrorStatus AcDbCurve::getDistAtPoint(const AcGePoint3d& point, double& dist) const {
  double param = 0.0;
  if (Acad::ErrorStatus status = getParamAtPoint(point, param); status != Acad::eOk) return status;
  return getDistAtParam(param, dist);
}

Acad::ErrorStatus AcDbCurve::subGetGeomExtents(AcDbExtents& extents) const {
  AcGePoint3dArray points;
  getVertexChain(points);
  if (points.isEmpty()) return Acad::eInvalidExtents;
  extents = AcDbExtents();
  for (const AcGePoint3d& p : points) extents.addPoint(p);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbCurve::subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker, const AcGePoint3d& pick,
                                               const AcGePoint3d&, const AcGeMatrix3d&,
                                               AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const {
  AcGePoint3dArray points;
  getVertexChain(points);
  if (points.isEmpty()) return Acad::eOk;
  switch (mode) {
    case AcDb::kOsModeEnd:
      for (int i = 0; i < points.length(); ++i) {
        if (i > 0 && i == points.length() - 1 && points[i] == points[0]) break;  // closed: once
        snapPoints.append(points[i]);
        geomIds.append(0);
      }
      break;
    case AcDb::kOsModeMid:
      for (int i = 0; i + 1 < points.length(); ++i) {
        snapPoints.append(points[i] + (points[i + 1] - points[i]) * 0.5);
        geomIds.append(0);
      }
      break;
    case AcDb::kOsModeNear: {
      AcGePoint3d nearest;
      if (getClosestPointTo(pick, nearest) == Acad::eOk) {
        snapPoints.append(nearest);
        geomIds.append(0);
      }
      break;
    }
    default:
      break;
  }
  return Acad::eOk;
}

void AcDbCurve::getWireframe(AcArray<AcGePoint3dArray>& polylines, AcGePoint3dArray&) const {
  AcGePoint3dArray points;
  getVertexChain(points);
  if (points.length() >= 2) polylines.append(points);
}
