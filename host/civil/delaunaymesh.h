// A Delaunay triangulation in plan kept in flat arrays, built by incremental insertion
// (Bowyer-Watson: the triangles whose circumcircle holds the new point are replaced by
// a fan around it). The outline is closed by ghost triangles, each joining an outline
// edge to a vertex at infinity, so that a point beyond the outline is inserted like any
// other. Vertices are numbered from 1 in the order they are given; 0 is infinity.
//
// Once enough points are in, the rest can go in on two threads, each taking the points
// of one half of the extent and touching only triangles whose corners all lie in its
// half. A point whose walk or cavity reaches a triangle it does not own waits, and goes
// in afterwards on one thread.
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

  // Points (finite) are appended with their half (0 or 1) of some split of their extent,
  // then inserted together: every point not yet in the triangulation goes in, in the
  // order appended, but for one at the position of a vertex already in. The first
  // `alone` go in on one thread, the rest on two. The points wait while all of them so
  // far are collinear. `progress` (if set) hears about every kProgressStep inserted
  // points, on the calling thread.
  void Reserve(std::size_t more);
  void Append(const PlanXy& point, std::uint8_t half) {
    points_.push_back(point);
    halves_.push_back(half);
  }
  void InsertAppended(std::size_t alone, const Progress& progress);
  static constexpr std::size_t kProgressStep = 1u << 17;

  bool HasFaces() const { return !triangles_.empty(); }
  std::size_t FaceCount() const { return triangles_.size() - ghosts_ - unused_; }
  // Each finite triangle's vertices, counter-clockwise.
  void ForEachFace(const std::function<void(std::uint32_t, std::uint32_t, std::uint32_t)>& face) const;
  // Each edge between two vertices once, told whether it is on the outline.
  void ForEachEdge(const std::function<void(std::uint32_t, std::uint32_t, bool outline)>& edge) const;

 private:
  // Edge i of a triangle runs from vertex i to vertex i + 1 (mod 3); its twin is the same
  // edge seen from the neighbouring triangle, as 3 * triangle + edge.
  // Made without zeroing: slots set aside for a thread are first touched by that thread.
  struct Triangle {
    Triangle() {}  // left uninitialised on purpose
    Triangle(const std::array<std::uint32_t, 3>& v, const std::array<std::uint32_t, 3>& t) : vertex(v), twin(t) {}
    std::array<std::uint32_t, 3> vertex;
    std::array<std::uint32_t, 3> twin;
  };
  struct BoundaryEdge {
    std::uint32_t from, to, outsideTwin;
  };
  static constexpr std::uint8_t kAnyHalf = 2;  // also the owner of a triangle across the split
  // What one inserting thread holds.
  struct Inserter {
    std::uint8_t half = kAnyHalf;     // the half whose triangles it may touch
    std::uint32_t lastTriangle = 0;  // a finite triangle at its last inserted point
    std::uint32_t nextSlot = 0, endSlot = 0;  // its own slots for new triangles, beside another thread
    std::uint32_t stoppedAt = 0;  // the last of its triangles a failed insertion reached
    std::vector<std::uint32_t> cavity, stack;
    std::vector<BoundaryEdge> boundary;
    std::vector<std::array<std::uint32_t, 2>> waiting;  // points it could not insert, and where they stopped
  };
  class Report;

  std::array<std::uint32_t, 3> Seed();
  bool IsGhost(std::uint32_t t) const;
  bool Owns(const Inserter& in, std::uint32_t t) const { return in.half == kAnyHalf || owner_[t] == in.half; }
  void InsertInHalves(std::uint32_t from, Report& report);
  std::array<Inserter, 2> InsertersFor(const std::array<std::vector<std::uint32_t>, 2>& halves);
  void InsertWaiting(std::vector<std::array<std::uint32_t, 2>>& waiting, Report& report);
  void InsertAll(Inserter& in, const std::vector<std::uint32_t>& points, Report& report, bool calling);
  bool InsertPoint(Inserter& in, std::uint32_t p);
  std::uint32_t Locate(Inserter& in, std::uint32_t p) const;
  bool InConflict(std::uint32_t t, std::uint32_t p) const;
  bool DigCavity(Inserter& in, std::uint32_t first, std::uint32_t p);
  void FillCavity(Inserter& in, std::uint32_t p);
  std::uint32_t NewTriangle(Inserter& in);
  void Link(std::uint32_t halfEdge, std::uint32_t twin);

  std::vector<PlanXy> points_{PlanXy{0, 0}};  // [0] stands for infinity
  std::vector<std::uint8_t> halves_{kAnyHalf};
  std::size_t inserted_ = 0;  // points_[1 .. inserted_] have been inserted
  std::vector<Triangle> triangles_;
  std::vector<std::uint8_t> inCavity_;  // per triangle
  std::vector<std::uint8_t> owner_;     // per triangle, while two threads insert
  std::size_t ghosts_ = 0, unused_ = 0;  // unused: slots set aside for a thread and not needed
  std::vector<std::uint32_t> fanFrom_;   // per vertex: the new triangle whose outer edge starts there
  Inserter alone_;
};

}  // namespace pelvarhost::civil
