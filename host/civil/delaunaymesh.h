// A Delaunay triangulation in plan kept in flat arrays, built by incremental insertion
// (Bowyer-Watson: the triangles whose circumcircle holds the new point are replaced by
// a fan around it). The outline is closed by ghost triangles, each joining an outline
// edge to a vertex at infinity, so that a point beyond the outline is inserted like any
// other. Vertices are numbered from 1 in the order they are given; 0 is infinity.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "planpredicates.h"

namespace pelvarhost::civil {

class DelaunayMesh {
 public:
  using Progress = std::function<void(std::size_t done, std::size_t total)>;
  static constexpr std::uint32_t kInfinite = 0;

  // Points (finite) are appended, then inserted together: every point not yet in the
  // triangulation goes in, in the order appended, but for one at the position of a
  // vertex already in; the points wait while all of them so far are collinear. `progress` (if set) hears of every
  // kProgressStep inserted points.
  void Reserve(std::size_t more);
  void Append(const PlanXy& point) { points_.push_back(point); }
  void InsertAppended(const Progress& progress);
  static constexpr std::size_t kProgressStep = 1u << 17;

  bool HasFaces() const { return !triangles_.empty(); }
  std::size_t FaceCount() const { return triangles_.size() - ghosts_; }
  // Each finite triangle's vertices, counter-clockwise.
  void ForEachFace(const std::function<void(std::uint32_t, std::uint32_t, std::uint32_t)>& face) const;
  // Each edge between two vertices once, told whether it is on the outline.
  void ForEachEdge(const std::function<void(std::uint32_t, std::uint32_t, bool outline)>& edge) const;

 private:
  // Edge i of a triangle runs from vertex i to vertex i + 1 (mod 3); its twin is the same
  // edge seen from the neighbouring triangle, as 3 * triangle + edge.
  struct Triangle {
    std::array<std::uint32_t, 3> vertex;
    std::array<std::uint32_t, 3> twin;
  };
  struct BoundaryEdge {
    std::uint32_t from, to, outsideTwin;
  };

  bool IsGhost(std::uint32_t t) const;
  std::array<std::uint32_t, 3> Seed();
  void InsertPoint(std::uint32_t p);
  std::uint32_t Locate(std::uint32_t p) const;
  bool InConflict(std::uint32_t t, std::uint32_t p) const;
  void DigCavity(std::uint32_t first, std::uint32_t p);
  void FillCavity(std::uint32_t p);
  void Link(std::uint32_t halfEdge, std::uint32_t twin);

  std::vector<PlanXy> points_{PlanXy{0, 0}};  // [0] stands for infinity
  std::size_t inserted_ = 0;                  // points_[1 .. inserted_] are in the triangulation
  std::vector<Triangle> triangles_;
  std::vector<std::uint8_t> inCavity_;  // per triangle
  std::size_t ghosts_ = 0;
  std::uint32_t lastTriangle_ = 0;  // a finite triangle at the last inserted point
  // Scratch of one insertion.
  std::vector<std::uint32_t> cavity_, stack_;
  std::vector<BoundaryEdge> boundary_;
  std::vector<std::uint32_t> fanFrom_;  // per vertex: the new triangle whose outer edge starts there
};

}  // namespace pelvarhost::civil
