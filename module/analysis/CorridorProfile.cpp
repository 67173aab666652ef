#include "analysis/CorridorProfile.h"

#include <algorithm>
#include <cmath>
#include <cwchar>
#include <optional>
#include <string>
#include <vector>

#include "aced.h"
#include "analysis/CloudChoice.h"
#include "analysis/CloudView.h"
#include "analysis/CorridorStations.h"
#include "analysis/KeywordPrompt.h"
#include "analysis/ProfilePolyline.h"
#include "civil/CivilBridge.h"
#include "dbcurve.h"
#include "entity/OpenedObject.h"

namespace {

constexpr const ACHAR* kTitle = L"Profile over ACTIVE classes (tick only Bridge in the panel for a bridge deck).";
constexpr double kDefaultHalfWidth = 5.0;
constexpr double kDefaultStep = 5.0;
constexpr double kMinSampleSpacing = 1.0;
constexpr double kLengthSlack = 1e-9;
constexpr const ACHAR* kTooManyStations = L"\nToo many stations (more than %.0f); use a longer station step.";

void PrintActiveClasses(uint32_t mask) {
  acutPrintf(L"\nActive classes:");
  for (int c = 0; c < 32; ++c)
    if ((mask >> c) & 1u) acutPrintf(L" %d", c);
}

// The picked centreline, open for read; null when nothing was picked or opened, or (after
// "Not a curve.") when it is no curve or cannot tell its length.
struct Centreline {
  OpenedObject<AcDbCurve> curve;
  double startDistance = 0.0;
  double length = 0.0;
};

std::optional<Centreline> AskCentreline() {
  ads_name picked;
  ads_point where;
  if (acedEntSel(L"\nSelect centerline (line/polyline): ", picked, where) != RTNORM) return std::nullopt;
  AcDbObjectId id;
  AcDbEntity* entity = nullptr;
  if (acdbGetObjectId(id, picked) != Acad::eOk || acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != Acad::eOk)
    return std::nullopt;
  OpenedObject<AcDbEntity> opened(entity);
  AcDbCurve* curve = AcDbCurve::cast(entity);
  double p0 = 0.0, p1 = 0.0, d0 = 0.0, d1 = 0.0;
  if (curve == nullptr || curve->getStartParam(p0) != Acad::eOk || curve->getEndParam(p1) != Acad::eOk ||
      curve->getDistAtParam(p0, d0) != Acad::eOk || curve->getDistAtParam(p1, d1) != Acad::eOk ||
      !std::isfinite(d1 - d0)) {
    acutPrintf(L"\nNot a curve.");
    return std::nullopt;
  }
  Centreline line;
  line.curve = OpenedObject<AcDbCurve>(curve);
  opened.release();
  line.startDistance = d0;
  line.length = d1 - d0;
  return line;
}

// A positive, finite number typed at the prompt, else the default.
double AskPositive(const ACHAR* prompt, double fallback) {
  ads_real value = 0.0;
  if (acedGetReal(prompt, &value) == RTNORM && value > 0 && std::isfinite(value)) return value;
  return fallback;
}

StationElevation AskStationElevation() {
  return AnswersKeyword(L"Max Median", L"\nStation elevation [Max/Median] <Max>: ", L"Median") ? StationElevation::Median
                                                                                             : StationElevation::Max;
}

// Samples the curve every max(1, step / 2) along its length, in cloud coordinates.
// False when that would take more samples than stations are allowed.
bool SampleCentreline(const Centreline& line, double step, const AcGeMatrix3d& toCloud, std::vector<double>& xs,
                      std::vector<double>& ys) {
  const double spacing = std::max(kMinSampleSpacing, step / 2);
  if (!(CorridorStationCount(line.length, spacing) <= kMaxCorridorStations)) return false;
  for (uint32_t k = 0;; ++k) {
    const double s = k * spacing;
    if (!(s <= line.length + kLengthSlack)) break;
    AcGePoint3d point;
    if (line.curve->getPointAtDist(line.startDistance + std::min(s, line.length), point) != Acad::eOk) continue;
    const AcGePoint3d local = toCloud * point;
    xs.push_back(local.x);
    ys.push_back(local.y);
  }
  return true;
}

// Every visible point of the cloud, decoded, in file order.
struct CandidateColumns {
  std::vector<double> x, y, z;
};

CandidateColumns GatherVisiblePoints(const CloudView& view) {
  CandidateColumns columns;
  const KmqData& data = *view.data;
  const VisibilityRule rule = VisibilityRuleOf(view);
  const uint8_t* overrides = OverrideBytesOf(view);
  for (size_t i = 0; i < data.pointCount; ++i) {
    const KmqPoint& p = data.points[i];
    const double z = DecodeZ(data, p);
    if (!IsPointVisible(rule, EffectiveClass(p.cls, overrides, i), z)) continue;
    columns.x.push_back(DecodeX(data, p));
    columns.y.push_back(DecodeY(data, p));
    columns.z.push_back(z);
  }
  return columns;
}

void OfferFeatureLine(AcDbObjectId polyline, const std::wstring& cloudName) {
  if (AnswersKeyword(L"Yes No", L"\nConvert to Civil 3D feature line? [Yes/No] <Yes>: ", L"No")) return;
  const std::wstring name = L"PROF " + cloudName;
  std::wstring error;
  if (Civil_PolyToFeatureLine(static_cast<std::uint64_t>(polyline.asOldId()), name.c_str(), error))
    acutPrintf(L"\nFeature line \"%ls\" created.", name.c_str());
  else
    acutPrintf(L"\nFeature line failed (Civil 3D required): %ls. 3D polyline kept.", error.c_str());
}

}  // namespace

void PelvarCorridorProfileCommand() {
  OpenedObject<Pelvar> cloud(SelectCloud(AcDb::kForRead, kTitle));
  if (!cloud) return;
  KmqDataPtr data = cloud->CloudData();
  if (!data) {
    acutPrintf(L"\nCloud file is not available.");
    return;
  }
  const CloudView view = MakeCloudView(*cloud, data);
  PrintActiveClasses(view.classMask);
  std::optional<Centreline> line = AskCentreline();
  if (!line) return;
  const double halfWidth = AskPositive(L"\nCorridor half-width, ft <5>: ", kDefaultHalfWidth);
  const double step = AskPositive(L"\nStation step, ft <5>: ", kDefaultStep);
  const StationElevation mode = AskStationElevation();

  std::vector<double> lineX, lineY;
  const bool sampled = SampleCentreline(*line, step, view.toCloud, lineX, lineY);
  line.reset();
  if (!sampled) {
    acutPrintf(kTooManyStations, kMaxCorridorStations);
    return;
  }
  const CandidateColumns candidates = GatherVisiblePoints(view);
  if (candidates.x.empty()) {
    acutPrintf(L"\nNo points in the active classes.");
    return;
  }
  const CorridorResult result =
      BuildCorridorStations({lineX, lineY}, step, halfWidth, {candidates.x, candidates.y, candidates.z}, mode);
  if (result.tooManyStations) {
    acutPrintf(kTooManyStations, kMaxCorridorStations);
    return;
  }
  if (result.stations.size() < 2) {
    acutPrintf(L"\nFewer than 2 stations had points (corridor too narrow or classes off).");
    return;
  }
  AcGePoint3dArray vertices;
  for (const CorridorStation& s : result.stations) vertices.append(view.toWorld * AcGePoint3d(s.x, s.y, s.z));
  const std::wstring cloudName = TileNameText(*data);
  cloud.reset();
  const AcDbObjectId polyline = AppendProfilePolyline(vertices, AcDbObjectId());
  if (polyline.isNull()) {
    acutPrintf(L"\nAppend failed.");
    return;
  }
  acutPrintf(L"\n%zu stations, %.0f ft. 3D polyline created.", result.stations.size(), result.stations.back().chainage);
  OfferFeatureLine(polyline, cloudName);
}
