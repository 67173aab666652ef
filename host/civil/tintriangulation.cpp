#include "tintriangulation.h"

#include <CGAL/Convex_hull_traits_adapter_2.h>
#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Spatial_sort_traits_adapter_2.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>
#include <CGAL/convex_hull_2.h>
#include <CGAL/spatial_sort.h>

#include <bit>
#include <cmath>
#include <iterator>
#include <limits>
#include <numeric>
#include <stdexcept>

namespace pelvarhost::civil {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using VertexBase = CGAL::Triangulation_vertex_base_with_info_2<std::uint32_t, Kernel>;
using DataStructure =
    CGAL::Triangulation_data_structure_2<VertexBase, CGAL::Triangulation_face_base_2<Kernel>>;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel, DataStructure>;

// The plan position of a vertex index, for sorting indexes along a space-filling curve.
struct PlanPositionMap {
  using key_type = std::uint32_t;
  using value_type = Kernel::Point_2;
  using reference = Kernel::Point_2;
  using category = boost::readable_property_map_tag;
  const std::vector<AcGePoint3d>* vertices;
  friend Kernel::Point_2 get(const PlanPositionMap& map, std::uint32_t i) {
    const AcGePoint3d& p = (*map.vertices)[i];
    return {p.x, p.y};
  }
};

// An open-addressing table from plan position (as exact bits; +0 and -0 are one
// position) to vertex index. Slots hold index + 1, so 0 is empty; the positions
// themselves stay in the vertex list.
class PositionIndex {
 public:
  // The index of the vertex at p's plan position, or kAbsent after recording that the
  // next vertex (index `next`) sits there.
  static constexpr std::uint32_t kAbsent = std::numeric_limits<std::uint32_t>::max();

  std::uint32_t FindOrAdd(const AcGePoint3d& p, std::uint32_t next, const std::vector<AcGePoint3d>& vertices) {
    if (2 * (m_used + 1) > m_slots.size()) Grow(vertices);
    const std::uint64_t x = Bits(p.x), y = Bits(p.y);
    for (std::size_t slot = Hash(x, y) & Mask();; slot = (slot + 1) & Mask()) {
      const std::uint32_t held = m_slots[slot];
      if (held == 0) {
        m_slots[slot] = next + 1;
        ++m_used;
        return kAbsent;
      }
      const AcGePoint3d& q = vertices[held - 1];
      if (Bits(q.x) == x && Bits(q.y) == y) return held - 1;
    }
  }

 private:
  static std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v + 0.0); }
  static std::size_t Hash(std::uint64_t x, std::uint64_t y) {
    std::uint64_t h = (x ^ (y * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
    return static_cast<std::size_t>(h ^ (h >> 31));
  }
  std::size_t Mask() const { return m_slots.size() - 1; }

  void Grow(const std::vector<AcGePoint3d>& vertices) {
    std::vector<std::uint32_t> old(std::max<std::size_t>(1024, 2 * m_slots.size()), 0);
    old.swap(m_slots);
    for (std::uint32_t held : old) {
      if (held == 0) continue;
      const AcGePoint3d& q = vertices[held - 1];
      std::size_t slot = Hash(Bits(q.x), Bits(q.y)) & Mask();
      while (m_slots[slot] != 0) slot = (slot + 1) & Mask();
      m_slots[slot] = held;
    }
  }

  std::vector<std::uint32_t> m_slots;
  std::size_t m_used = 0;
};

}  // namespace

struct TinTriangulation::Impl {
  std::vector<AcGePoint3d> vertices;
  PositionIndex indexOfPosition;
  // Vertices not yet in the triangulation: they wait until it is needed, so that many
  // batches go in as one spatially sorted pass.
  std::vector<std::uint32_t> pending;
  Delaunay delaunay;
};

TinTriangulation::TinTriangulation() : m_impl(std::make_unique<Impl>()) {}
TinTriangulation::~TinTriangulation() = default;

void TinTriangulation::Add(const std::vector<AcGePoint3d>& points) {
  Impl& impl = *m_impl;
  // Slots are index + 1 and the top index means "absent".
  if (points.size() > std::numeric_limits<std::uint32_t>::max() - 2 - impl.vertices.size())
    throw std::length_error("too many TIN vertices");
  for (const AcGePoint3d& p : points) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) continue;  // no place in a triangulation
    const auto next = static_cast<std::uint32_t>(impl.vertices.size());
    const std::uint32_t existing = impl.indexOfPosition.FindOrAdd(p, next, impl.vertices);
    if (existing != PositionIndex::kAbsent) {
      impl.vertices[existing].z = p.z;
      continue;
    }
    impl.vertices.push_back(p);
    impl.pending.push_back(next);
  }
}

TinTriangulation::Impl& TinTriangulation::Triangulated() const {
  Impl& impl = *m_impl;
  if (impl.pending.empty()) return impl;
  // Insert along a space-filling curve (with a coarse random pre-order against bad
  // cases), each point located from the previous one.
  using SortTraits = CGAL::Spatial_sort_traits_adapter_2<Kernel, PlanPositionMap>;
  CGAL::spatial_sort(impl.pending.begin(), impl.pending.end(), SortTraits(PlanPositionMap{&impl.vertices}),
                     CGAL::Hilbert_sort_middle_policy());
  Delaunay::Face_handle hint;
  for (std::uint32_t i : impl.pending) {
    const AcGePoint3d& p = impl.vertices[i];
    Delaunay::Vertex_handle vertex = impl.delaunay.insert(Kernel::Point_2(p.x, p.y), hint);
    vertex->info() = i;
    hint = vertex->face();
  }
  impl.pending.clear();
  impl.pending.shrink_to_fit();
  return impl;
}

void TinTriangulation::Clear() { m_impl = std::make_unique<Impl>(); }

const std::vector<AcGePoint3d>& TinTriangulation::Vertices() const { return m_impl->vertices; }

std::size_t TinTriangulation::FaceCount() const {
  const Delaunay& delaunay = Triangulated().delaunay;
  return delaunay.dimension() == 2 ? delaunay.number_of_faces() : 0;
}

std::vector<TinFace> TinTriangulation::Faces() const {
  std::vector<TinFace> faces;
  const Delaunay& delaunay = Triangulated().delaunay;
  if (delaunay.dimension() != 2) return faces;
  faces.reserve(delaunay.number_of_faces());
  for (auto f = delaunay.finite_faces_begin(); f != delaunay.finite_faces_end(); ++f)
    faces.push_back({f->vertex(0)->info(), f->vertex(1)->info(), f->vertex(2)->info()});
  return faces;
}

std::vector<std::uint32_t> TinTriangulation::Hull() const {
  const std::vector<AcGePoint3d>& vertices = m_impl->vertices;
  std::vector<std::uint32_t> all(vertices.size()), hull;
  std::iota(all.begin(), all.end(), std::uint32_t{0});
  using HullTraits = CGAL::Convex_hull_traits_adapter_2<Kernel, PlanPositionMap>;
  CGAL::convex_hull_2(all.begin(), all.end(), std::back_inserter(hull), HullTraits(PlanPositionMap{&vertices}));
  return hull;
}

TinEdges TinTriangulation::Edges() const {
  TinEdges edges;
  const Delaunay& delaunay = Triangulated().delaunay;
  if (delaunay.dimension() != 2) return edges;
  edges.all.reserve(delaunay.number_of_vertices() + delaunay.number_of_faces());
  for (auto e = delaunay.finite_edges_begin(); e != delaunay.finite_edges_end(); ++e) {
    const auto& [face, opposite] = *e;
    const TinEdge edge{face->vertex(Delaunay::cw(opposite))->info(), face->vertex(Delaunay::ccw(opposite))->info()};
    edges.all.push_back(edge);
    if (delaunay.is_infinite(face) || delaunay.is_infinite(face->neighbor(opposite))) edges.outline.push_back(edge);
  }
  return edges;
}

}  // namespace pelvarhost::civil
