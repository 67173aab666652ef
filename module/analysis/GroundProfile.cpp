#include "analysis/GroundProfile.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "aced.h"
#include "analysis/ProfilePolyline.h"
#include "analysis/TerrainQueries.h"
#include "civil/CivilBridge.h"

namespace {

constexpr double kNoGroundYet = 1e9;
constexpr double kMinStep = 1.0;
constexpr double kMinGradeLength = 0.01;
constexpr int kPreviewOnGrid = 40;
constexpr int kPreviewOffGrid = 1;
constexpr const wchar_t* kFeatureLineName = L"Mardel ground profile";

struct PlanPoint {
  double x = 0.0, y = 0.0;
};

PlanPoint LegSample(const PlanPoint& a, const PlanPoint& b, uint32_t k, uint32_t parts) {
  const double t = static_cast<double>(k) / parts;
  return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

double LegLength(const PlanPoint& a, const PlanPoint& b) { return std::hypot(b.x - a.x, b.y - a.y); }

void Redraw() { acedCommandS(RTSTR, L"_.REDRAW", RTNONE); }

// Draws the ground under a new leg as temporary vectors.
void PreviewLeg(const CloudViews& views, const PlanPoint& a, const PlanPoint& b, uint32_t parts) {
  double z = 0.0;
  bool previousOnGrid = GroundElevationAt(views, a.x, a.y, z);
  ads_point from = {a.x, a.y, previousOnGrid ? z : 0.0};
  for (uint32_t k = 1; k <= parts; ++k) {
    const PlanPoint s = LegSample(a, b, k, parts);
    const bool onGrid = GroundElevationAt(views, s.x, s.y, z);
    ads_point to = {s.x, s.y, onGrid ? z : 0.0};
    acedGrDraw(from, to, previousOnGrid && onGrid ? kPreviewOnGrid : kPreviewOffGrid, 0);
    from[0] = to[0], from[1] = to[1], from[2] = to[2];
    previousOnGrid = onGrid;
  }
}

// The clicked alignment; a click on the previous vertex adds nothing, and a leg that would
// need too many samples is refused and asked again.
std::vector<PlanPoint> AskAlignment(const CloudViews& views, double step) {
  std::vector<PlanPoint> vertices;
  ads_point click;
  if (acedGetPoint(nullptr, L"\nProfile start point: ", click) != RTNORM) return vertices;
  vertices.push_back({click[0], click[1]});
  for (;;) {
    ads_point base = {vertices.back().x, vertices.back().y, 0.0};
    if (acedGetPoint(base, L"\nNext point <Enter to finish>: ", click) != RTNORM) break;
    const PlanPoint next{click[0], click[1]};
    if (next.x == vertices.back().x && next.y == vertices.back().y) continue;
    const std::optional<uint32_t> parts = LegParts(LegLength(vertices.back(), next), step);
    if (!parts) {
      acutPrintf(L"\nThat leg would need more than %.0f samples at %.1f ft; point not taken.", kMaxLegParts, step);
      continue;
    }
    vertices.push_back(next);
    PreviewLeg(views, vertices[vertices.size() - 2], next, *parts);
  }
  return vertices;
}

struct ProfileSamples {
  AcGePoint3dArray points;  // on-grid samples only
  double planLength = 0.0;
  double lowest = 1e18, highest = -1e18;
  int offGrid = 0;
};

ProfileSamples SampleAlignment(const CloudViews& views, const std::vector<PlanPoint>& vertices, double step) {
  ProfileSamples samples;
  for (size_t leg = 0; leg + 1 < vertices.size(); ++leg) {
    const PlanPoint& a = vertices[leg];
    const PlanPoint& b = vertices[leg + 1];
    const double length = LegLength(a, b);
    const uint32_t parts = LegParts(length, step).value_or(1);  // every leg was checked when clicked
    for (uint32_t k = leg == 0 ? 0 : 1; k <= parts; ++k) {
      const PlanPoint s = LegSample(a, b, k, parts);
      double z = 0.0;
      if (!GroundElevationAt(views, s.x, s.y, z)) {
        ++samples.offGrid;
        continue;
      }
      samples.points.append(AcGePoint3d(s.x, s.y, z));
      samples.lowest = std::min(samples.lowest, z);
      samples.highest = std::max(samples.highest, z);
    }
    samples.planLength += length;
  }
  return samples;
}

}  // namespace

double ProfileStep(const CloudViews& views) {
  double finest = kNoGroundYet;
  for (const CloudView& view : views) finest = std::min(finest, static_cast<double>(view.data->groundCell));
  return std::max(kMinStep, 0.5 * finest);
}

std::optional<uint32_t> LegParts(double length, double step) {
  const double parts = std::trunc(length / step);
  if (!(parts <= kMaxLegParts)) return std::nullopt;
  return std::max<uint32_t>(1, static_cast<uint32_t>(parts));
}

void PelvarProfileCommand() {
  CloudViews views;
  if (!CollectCloudViewsOrSayNone(views)) return;
  const double step = ProfileStep(views);
  const std::vector<PlanPoint> vertices = AskAlignment(views, step);
  if (vertices.empty()) return;
  if (vertices.size() < 2) {
    Redraw();
    acutPrintf(L"\nNeed at least two points.");
    return;
  }
  const ProfileSamples samples = SampleAlignment(views, vertices, step);
  if (samples.points.length() < 2) {
    Redraw();
    acutPrintf(L"\nAlignment is outside the cloud ground grid.");
    return;
  }
  const AcDbObjectId layer = EnsureProfileLayer();
  if (layer.isNull()) return;
  const AcDbObjectId polyline = AppendProfilePolyline(samples.points, layer);
  if (polyline.isNull()) return;
  std::wstring error;
  const bool converted =
      Civil_PolyToFeatureLine(static_cast<std::uint64_t>(polyline.asOldId()), kFeatureLineName, error);
  if (!converted && !error.empty()) acutPrintf(L"\n  (FeatureLine: %ls)", error.c_str());
  Redraw();
  const double first = samples.points.first().z, last = samples.points.last().z;
  const double grade = samples.planLength > kMinGradeLength ? (last - first) / samples.planLength * 100.0 : 0.0;
  acutPrintf(L"\n%ls: %d samples, plan length %.1f ft, elev %.2f..%.2f ft, grade %.2f%%%ls",
             converted ? L"Feature line" : L"3D polyline (convert: 'Create Feature Line from Objects')",
             samples.points.length(), samples.planLength, samples.lowest, samples.highest, grade,
             samples.offGrid > 0 ? L"  (part of alignment was off-grid)" : L"");
}
