#include "analysis/SurfaceCommand.h"

#include <cmath>
#include <cwchar>
#include <string>

#include "aced.h"
#include "acstring.h"
#include "analysis/KeywordPrompt.h"
#include "civil/CivilBridge.h"

namespace {


void AppendVertex(const AcGeMatrix3d& toWorld, double x, double y, double z, std::vector<double>& vertices) {
  const AcGePoint3d world = toWorld * AcGePoint3d(x, y, z);
  if (!std::isfinite(world.x) || !std::isfinite(world.y) || !std::isfinite(world.z)) return;
  vertices.insert(vertices.end(), {world.x, world.y, world.z});
}

void AppendGridNodes(const CloudView& view, std::vector<double>& vertices) {
  const KmqData& data = *view.data;
  const size_t nodes = static_cast<size_t>(data.groundNx) * data.groundNy;
  if (data.ground.size() < nodes) return;
  for (uint32_t j = 0; j < data.groundNy; ++j) {
    const double y = data.groundOriginY + static_cast<float>(j) * data.groundCell;
    for (uint32_t i = 0; i < data.groundNx; ++i) {
      const double x = data.groundOriginX + static_cast<float>(i) * data.groundCell;
      AppendVertex(view.toWorld, x, y, DecodeGroundCode(data, data.ground[j * size_t{data.groundNx} + i]), vertices);
    }
  }
}

bool IsGroundClass(uint8_t cls) { return cls == 2 || cls == 20; }

void AppendGroundPoints(const CloudView& view, std::vector<double>& vertices) {
  const KmqData& data = *view.data;
  const VisibilityRule rule = VisibilityRuleOf(view);
  const uint8_t* overrides = OverrideBytesOf(view);
  for (size_t i = 0; i < data.pointCount; ++i) {
    const KmqPoint& p = data.points[i];
    if (!IsGroundClass(EffectiveClass(p.cls, overrides, i))) continue;
    const double z = DecodeZ(data, p);
    if (!IsInElevationWindow(rule, z)) continue;
    AppendVertex(view.toWorld, DecodeX(data, p), DecodeY(data, p), z, vertices);
  }
}

SurfaceSource AskSurfaceSource() {
  return AnswersKeyword(L"Points Grid", L"\nBuild surface from [Points/Grid] <Points>: ", L"Grid")
             ? SurfaceSource::Grid
             : SurfaceSource::Points;
}

}  // namespace

void AppendSurfaceVertices(const CloudView& view, SurfaceSource source, std::vector<double>& vertices) {
  if (source == SurfaceSource::Grid)
    AppendGridNodes(view, vertices);
  else
    AppendGroundPoints(view, vertices);
}

void PelvarSurfaceCommand() {
  CloudViews views;
  if (!CollectCloudViewsOrSayNone(views)) return;
  const SurfaceSource source = AskSurfaceSource();
  std::vector<double> vertices;
  for (const CloudView& view : views) AppendSurfaceVertices(view, source, vertices);
  if (vertices.empty()) {
    acutPrintf(L"\nNo source points (ground classes / grid empty).");
    return;
  }
  const size_t count = vertices.size() / 3;
  const bool grid = source == SurfaceSource::Grid;
  const KmqData& first = *views.front().data;
  const std::wstring cloudName = TileNameText(first);
  AcString name, description;
  name.format(L"EG Mardel %ls R%.0f%ls", cloudName.c_str(), static_cast<double>(first.halfSize), grid ? L" (grid)" : L"");
  description.format(L"KMQ1 %ls, %zu %ls, EPSG:2240 ftUS", cloudName.c_str(), count,
                     grid ? L"grid nodes" : L"class 2/20 points");
  std::wstring result;
  if (Civil_CreateTinSurface(name, description, vertices.data(), count, result))
    acutPrintf(L"\nSurface \"%ls\": %zu vertices.", result.c_str(), count);
  else
    acutPrintf(L"\nSurface creation failed (Civil 3D required): %ls", result.c_str());
}
