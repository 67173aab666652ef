#include "tintriangulation.h"

#include <CGAL/Delaunay_triangulation_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/Triangulation_vertex_base_with_info_2.h>

#include <algorithm>
#include <bit>
#include <unordered_map>
#include <utility>

namespace pelvarhost::civil {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;
using VertexBase = CGAL::Triangulation_vertex_base_with_info_2<std::uint32_t, Kernel>;
using DataStructure =
    CGAL::Triangulation_data_structure_2<VertexBase, CGAL::Triangulation_face_base_2<Kernel>>;
using Delaunay = CGAL::Delaunay_triangulation_2<Kernel, DataStructure>;

// A plan position as exact bits (+0 and -0 are one position).
struct PlanKey {
  std::uint64_t x;
  std::uint64_t y;
  bool operator==(const PlanKey&) const = default;
};

PlanKey KeyOf(const AcGePoint3d& p) {
  return {std::bit_cast<std::uint64_t>(p.x + 0.0), std::bit_cast<std::uint64_t>(p.y + 0.0)};
}

struct PlanKeyHash {
  std::size_t operator()(const PlanKey& k) const noexcept {
    std::uint64_t h = k.x * 0x9E3779B97F4A7C15ull;
    h ^= (k.y + 0x632BE59BD9B4E019ull + (h << 6) + (h >> 2));
    return static_cast<std::size_t>(h);
  }
};

}  // namespace

struct TinTriangulation::Impl {
  // New positions wait here until the triangulation is needed, so that many batches
  // are inserted in one spatially sorted pass.
  std::vector<std::pair<Kernel::Point_2, std::uint32_t>> pending;
  Delaunay delaunay;
  std::vector<AcGePoint3d> vertices;
  std::unordered_map<PlanKey, std::uint32_t, PlanKeyHash> indexOfPosition;
};

TinTriangulation::TinTriangulation() : m_impl(std::make_unique<Impl>()) {}
TinTriangulation::~TinTriangulation() = default;

void TinTriangulation::Add(const std::vector<AcGePoint3d>& points) {
  std::vector<std::pair<Kernel::Point_2, std::uint32_t>>& fresh = m_impl->pending;
  // Grow the position index geometrically: reserving exactly each batch's need would
  // rehash the whole index once per batch.
  auto& index = m_impl->indexOfPosition;
  const std::size_t needed = index.size() + points.size();
  if (needed > index.bucket_count() * index.max_load_factor()) index.reserve(std::max(needed, 2 * index.size()));
  for (const AcGePoint3d& p : points) {
    auto [it, inserted] = m_impl->indexOfPosition.try_emplace(
        KeyOf(p), static_cast<std::uint32_t>(m_impl->vertices.size()));
    if (!inserted) {
      m_impl->vertices[it->second].z = p.z;
      continue;
    }
    m_impl->vertices.push_back(p);
    fresh.emplace_back(Kernel::Point_2(p.x, p.y), it->second);
  }
}

TinTriangulation::Impl& TinTriangulation::Triangulated() const {
  if (!m_impl->pending.empty()) {
    // The range insertion sorts along a space-filling curve first.
    m_impl->delaunay.insert(m_impl->pending.begin(), m_impl->pending.end());
    m_impl->pending.clear();
    m_impl->pending.shrink_to_fit();
  }
  return *m_impl;
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

}  // namespace pelvarhost::civil
