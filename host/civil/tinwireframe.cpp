#include "tinwireframe.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "acgi.h"

namespace pelvarhost::civil {
namespace {

constexpr double kEdgesPerCell = 16.0;  // on average: few enough to read past, many enough to keep the grid small
constexpr double kMaxCellsPerSide = 4096.0;
constexpr double kMaxMeshLines = 4096.0;  // per axis, whatever the view's size
constexpr double kInfinity = std::numeric_limits<double>::infinity();
// The mean edge length of the Delaunay triangulation of evenly spread random points, in
// units of the square root of the area per point (32 / 9 pi); a square grid's is 1.14.
constexpr double kMeanDelaunayEdge = 1.1318;

PlanRect Everywhere() { return {-kInfinity, -kInfinity, kInfinity, kInfinity}; }

PlanRect BoxOf(const std::vector<AcGePoint3d>& vertices) {
  PlanRect box{kInfinity, kInfinity, -kInfinity, -kInfinity};
  for (const AcGePoint3d& p : vertices) {
    box.minX = std::min(box.minX, p.x), box.maxX = std::max(box.maxX, p.x);
    box.minY = std::min(box.minY, p.y), box.maxY = std::max(box.maxY, p.y);
  }
  return box;
}

double Coordinate(const AcGePoint3d& p, int axis) { return axis == 0 ? p.x : p.y; }

std::vector<TinEdge> ClosedChain(const std::vector<std::uint32_t>& hull) {
  std::vector<TinEdge> chain;
  if (hull.size() < 3) return chain;
  for (std::size_t i = 0; i < hull.size(); ++i) chain.push_back({hull[i], hull[(i + 1) % hull.size()]});
  return chain;
}

double PlanArea(const std::vector<AcGePoint3d>& vertices, const std::vector<TinEdge>& outline) {
  double twice = 0;
  for (const auto& [from, to] : outline) twice += vertices[from].x * vertices[to].y - vertices[to].x * vertices[from].y;
  return std::fabs(twice) / 2;
}

}  // namespace

PlanView PlanViewOf(const AcGiViewport& viewport) {
  AcGePoint2d pixels;
  viewport.getNumPixelsInUnitSquare(AcGePoint3d::kOrigin, pixels);
  AcGeMatrix3d worldToEye;
  viewport.getWorldToEyeTransform(worldToEye);
  AcGePoint2d lowerLeft, upperRight;
  viewport.getViewportDcCorners(lowerLeft, upperRight);
  PlanView view;
  view.pixelsPerUnit = pixels.x > 0 ? pixels.x : 1.0;
  const double halfWidth = (upperRight.x - lowerLeft.x) / 2 / view.pixelsPerUnit;
  const double halfHeight = (upperRight.y - lowerLeft.y) / 2 / view.pixelsPerUnit;
  if (!(halfWidth > 0 && halfHeight > 0)) {
    view.visible = Everywhere();
    return view;
  }
  // The eye looks at the viewport's centre: the world-to-eye translation is minus the centre.
  const double centreX = -worldToEye.entry[0][3], centreY = -worldToEye.entry[1][3];
  view.visible = {centreX - halfWidth, centreY - halfHeight, centreX + halfWidth, centreY + halfHeight};
  return view;
}

TinWireframe::TinWireframe(const std::vector<AcGePoint3d>& vertices, const std::vector<std::uint32_t>& hull,
                           std::function<TinEdges()> edges)
    : vertices_(vertices), edgeSource_(std::move(edges)), outline_(ClosedChain(hull)), extent_(BoxOf(vertices)) {
  if (HasFaces())
    meanEdgeLength_ = kMeanDelaunayEdge * std::sqrt(PlanArea(vertices_, outline_) / static_cast<double>(vertices_.size()));
}

// Cells of about kEdgesPerCell edges each; an edge that fits in a cell's size goes to the
// cell of its midpoint, so it lies within that cell grown by half a cell.
void TinWireframe::IndexEdges() {
  indexed_ = true;
  const std::vector<TinEdge> edges = edgeSource_().all;
  if (edges.empty()) return;
  const double width = extent_.maxX - extent_.minX, height = extent_.maxY - extent_.minY;
  const double side = std::max(width, height);
  cell_ = std::sqrt(width * height * kEdgesPerCell / static_cast<double>(edges.size()));
  cell_ = std::max({cell_, side / kMaxCellsPerSide, std::numeric_limits<double>::min()});
  columns_ = static_cast<int>(std::min(kMaxCellsPerSide, std::floor(width / cell_))) + 1;
  rows_ = static_cast<int>(std::min(kMaxCellsPerSide, std::floor(height / cell_))) + 1;

  std::vector<std::uint32_t> cellOf(edges.size());
  cellStart_.assign(static_cast<std::size_t>(columns_) * rows_ + 1, 0);
  constexpr std::uint32_t kLong = std::numeric_limits<std::uint32_t>::max();
  for (std::size_t i = 0; i < edges.size(); ++i) {
    const PlanRect box = EdgeBox(edges[i]);
    if (box.maxX - box.minX > cell_ || box.maxY - box.minY > cell_) {
      cellOf[i] = kLong;
      longEdges_.push_back(edges[i]);
      continue;
    }
    cellOf[i] = static_cast<std::uint32_t>(CellRow((box.minY + box.maxY) / 2) * columns_ +
                                           CellColumn((box.minX + box.maxX) / 2));
    ++cellStart_[cellOf[i] + 1];
  }
  for (std::size_t c = 1; c < cellStart_.size(); ++c) cellStart_[c] += cellStart_[c - 1];
  cellEdges_.resize(cellStart_.back());
  std::vector<std::uint32_t> next(cellStart_.begin(), cellStart_.end() - 1);
  for (std::size_t i = 0; i < edges.size(); ++i)
    if (cellOf[i] != kLong) cellEdges_[next[cellOf[i]]++] = edges[i];
}

PlanRect TinWireframe::EdgeBox(const TinEdge& edge) const {
  const AcGePoint3d &a = vertices_[edge[0]], &b = vertices_[edge[1]];
  return {std::min(a.x, b.x), std::min(a.y, b.y), std::max(a.x, b.x), std::max(a.y, b.y)};
}

int TinWireframe::CellColumn(double x) const {
  return static_cast<int>(std::clamp(std::floor((x - extent_.minX) / cell_), 0.0, columns_ - 1.0));
}

int TinWireframe::CellRow(double y) const {
  return static_cast<int>(std::clamp(std::floor((y - extent_.minY) / cell_), 0.0, rows_ - 1.0));
}

void TinWireframe::Draw(const PlanView& view, const SegmentSink& segment) {
  if (!HasFaces() || !view.visible.Overlaps(extent_)) return;
  if (!ShowsEdgesAt(view.pixelsPerUnit)) return DrawOutlineAndMesh(view, segment);
  if (!indexed_) IndexEdges();
  if (!cellStart_.empty()) DrawEdgesIn(view.visible, segment);
}

void TinWireframe::DrawEdgesIn(const PlanRect& visible, const SegmentSink& segment) const {
  const double half = cell_ / 2;
  const int column0 = CellColumn(visible.minX - half), column1 = CellColumn(visible.maxX + half);
  const int row0 = CellRow(visible.minY - half), row1 = CellRow(visible.maxY + half);
  for (int row = row0; row <= row1; ++row) {
    const std::size_t first = static_cast<std::size_t>(row) * columns_;
    for (std::uint32_t i = cellStart_[first + column0]; i < cellStart_[first + column1 + 1]; ++i)
      segment(vertices_[cellEdges_[i][0]], vertices_[cellEdges_[i][1]]);
  }
  for (const TinEdge& edge : longEdges_)
    if (EdgeBox(edge).Overlaps(visible)) segment(vertices_[edge[0]], vertices_[edge[1]]);
}

double TinWireframe::MeshStep(double pixelsPerUnit) {
  const double wanted = kMeshPixels / pixelsPerUnit;
  const double decade = std::pow(10.0, std::floor(std::log10(wanted)));
  for (double factor : {1.0, 2.0, 5.0})
    if (factor * decade >= wanted) return factor * decade;
  return 10.0 * decade;
}

void TinWireframe::DrawOutline(const SegmentSink& segment) const {
  for (const TinEdge& edge : outline_) segment(vertices_[edge[0]], vertices_[edge[1]]);
}

// The mesh lines sit on multiples of the step, so that they stay in place when the view pans.
void TinWireframe::DrawOutlineAndMesh(const PlanView& view, const SegmentSink& segment) const {
  for (const TinEdge& edge : outline_)
    if (EdgeBox(edge).Overlaps(view.visible)) segment(vertices_[edge[0]], vertices_[edge[1]]);
  const double step = MeshStep(view.pixelsPerUnit);
  if (!std::isfinite(step) || !(step > 0)) return;
  const double bounds[2][2] = {{std::max(view.visible.minX, extent_.minX), std::min(view.visible.maxX, extent_.maxX)},
                               {std::max(view.visible.minY, extent_.minY), std::min(view.visible.maxY, extent_.maxY)}};
  for (int axis = 0; axis < 2; ++axis) {
    const double first = std::ceil(bounds[axis][0] / step), last = std::floor(bounds[axis][1] / step);
    for (double k = first; k <= last && k - first < kMaxMeshLines; ++k) DrawMeshLine(axis, k * step, segment);
  }
}

// One mesh line (x = at for axis 0, y = at for axis 1) inside the outline: where it crosses
// the outline it goes in or out, each crossing counted by the half-open rule so that a
// vertex on the line counts once.
void TinWireframe::DrawMeshLine(int axis, double at, const SegmentSink& segment) const {
  const int other = 1 - axis;
  std::vector<AcGePoint3d> crossings;
  for (const TinEdge& edge : outline_) {
    const AcGePoint3d &a = vertices_[edge[0]], &b = vertices_[edge[1]];
    const double ca = Coordinate(a, axis), cb = Coordinate(b, axis);
    if ((ca <= at) == (cb <= at)) continue;
    const double t = (at - ca) / (cb - ca);
    AcGePoint3d p = a + (b - a) * t;
    (axis == 0 ? p.x : p.y) = at;
    crossings.push_back(p);
  }
  std::sort(crossings.begin(), crossings.end(), [other](const AcGePoint3d& p, const AcGePoint3d& q) {
    return Coordinate(p, other) < Coordinate(q, other);
  });
  for (std::size_t i = 1; i < crossings.size(); i += 2) segment(crossings[i - 1], crossings[i]);
}

}  // namespace pelvarhost::civil
