// How a TIN surface shows in a plan view, as CAD programs draw one: its triangle edges
// where they lie far enough apart to be told apart, else its outline and a regular mesh
// over it. The outline is the vertices' convex hull, so a view that shows no edges needs
// no triangulation. The edges are asked for when a view first shows them and kept in a
// grid of cells over the surface, so that a view reads only the cells it shows.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "gepnt3d.h"
#include "tintriangulation.h"

class AcGiViewport;

namespace pelvarhost::civil {

struct PlanRect {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
  bool Overlaps(const PlanRect& other) const {
    return minX <= other.maxX && other.minX <= maxX && minY <= other.maxY && other.minY <= maxY;
  }
};

// What a view shows: the plan rectangle in sight and its scale.
struct PlanView {
  PlanRect visible;
  double pixelsPerUnit = 1;
};

// The view of a viewport (plan, looking down); a viewport of unknown extent sees everything.
PlanView PlanViewOf(const AcGiViewport& viewport);

// Receives one straight segment to draw.
using SegmentSink = std::function<void(const AcGePoint3d& from, const AcGePoint3d& to)>;

class TinWireframe {
 public:
  // Edges shorter than this on average (in pixels) give way to the outline and the mesh: at
  // 10 pixels the edges of a triangulated grid cover about a third of the surface.
  static constexpr double kMinEdgePixels = 10.0;
  // The mesh's lines lie at least this many pixels apart.
  static constexpr double kMeshPixels = 24.0;

  // The vertices must stay as they are while the wireframe is used; hull is their convex
  // hull (TinTriangulation::Hull), edges gives their triangulation's edges when needed.
  TinWireframe(const std::vector<AcGePoint3d>& vertices, const std::vector<std::uint32_t>& hull,
               std::function<TinEdges()> edges);

  // Hands out the segments that show the surface in the view; segments wholly outside the
  // view are mostly left out, never one that crosses it.
  void Draw(const PlanView& view, const SegmentSink& segment);
  // Hands out the segments of the outline (the vertices' convex hull), wherever they lie.
  void DrawOutline(const SegmentSink& segment) const;
  // Whether the vertices make any triangle (three of them not on one line).
  bool HasFaces() const { return outline_.size() >= 3; }
  // Judged by the mean edge length of a Delaunay triangulation of as many vertices spread
  // evenly over the hull, which is close to the true one for survey points and grids.
  bool ShowsEdgesAt(double pixelsPerUnit) const { return meanEdgeLength_ * pixelsPerUnit >= kMinEdgePixels; }
  // The mesh's spacing in drawing units at a scale: 1, 2 or 5 times a power of ten.
  static double MeshStep(double pixelsPerUnit);

 private:
  void IndexEdges();
  void DrawEdgesIn(const PlanRect& visible, const SegmentSink& segment) const;
  void DrawOutlineAndMesh(const PlanView& view, const SegmentSink& segment) const;
  void DrawMeshLine(int axis, double at, const SegmentSink& segment) const;
  PlanRect EdgeBox(const TinEdge& edge) const;
  int CellColumn(double x) const;
  int CellRow(double y) const;

  const std::vector<AcGePoint3d>& vertices_;
  std::function<TinEdges()> edgeSource_;
  bool indexed_ = false;
  std::vector<TinEdge> outline_;
  std::vector<TinEdge> longEdges_;        // edges longer than a cell, tested one by one
  std::vector<TinEdge> cellEdges_;        // the other edges, cell by cell (by their midpoint)
  std::vector<std::uint32_t> cellStart_;  // where each cell's edges start, and the end
  PlanRect extent_;
  double cell_ = 1;
  int columns_ = 1, rows_ = 1;
  double meanEdgeLength_ = 0;
};

}  // namespace pelvarhost::civil
