// The triangulated irregular network of a TIN surface: its vertices (one per plan
// position) and their Delaunay triangulation in plan.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "gepnt3d.h"

namespace pelvarhost::civil {

using TinFace = std::array<std::uint32_t, 3>;  // vertex indexes, counter-clockwise in plan
using TinEdge = std::array<std::uint32_t, 2>;  // vertex indexes

// Every edge of a triangulation once, and apart from them the edges of its outline (the
// edges with a face on one side only).
struct TinEdges {
  std::vector<TinEdge> all;
  std::vector<TinEdge> outline;
};

class TinTriangulation {
 public:
  TinTriangulation();
  ~TinTriangulation();
  TinTriangulation(const TinTriangulation&) = delete;
  TinTriangulation& operator=(const TinTriangulation&) = delete;

  // Adds points in order. A point at the plan position of a vertex already there (or
  // earlier in the same call) replaces that vertex's elevation, as a TIN keeps one
  // elevation per position. A point with a non-finite coordinate is dropped (a crafted
  // drawing may hold one; no triangulation can place it).
  void Add(const std::vector<AcGePoint3d>& points);
  void Clear();

  // Heard while a triangulation is built, on the building thread, about every 131,072
  // inserted vertices: how many of how many are in. It should return quickly (a window
  // can use it to stay alive) and not call back into this triangulation. None by
  // default; Clear keeps it.
  using Progress = std::function<void(std::size_t done, std::size_t total)>;
  void SetProgress(Progress progress);

  // Triangulation is deferred until faces are asked for (batches add in one pass).
  // Vertices in the order their positions first arrived.
  const std::vector<AcGePoint3d>& Vertices() const;
  std::size_t FaceCount() const;
  std::vector<TinFace> Faces() const;
  TinEdges Edges() const;
  // The convex hull of the vertices in plan, counter-clockwise, without triangulating: the
  // outline of the triangulation (fewer than three vertices when it has no faces).
  std::vector<std::uint32_t> Hull() const;

 private:
  struct Impl;
  // The implementation with every added position inserted into the triangulation.
  Impl& Triangulated() const;
  std::unique_ptr<Impl> m_impl;
};

}  // namespace pelvarhost::civil
