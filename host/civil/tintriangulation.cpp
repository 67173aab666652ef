#include "tintriangulation.h"

#include <CGAL/Convex_hull_traits_adapter_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/convex_hull_2.h>

#include <bit>
#include <cmath>
#include <iterator>
#include <limits>
#include <numeric>
#include <stdexcept>

#include "delaunaymesh.h"
#include "insertionorder.h"

namespace pelvarhost::civil {

namespace {

using Kernel = CGAL::Exact_predicates_inexact_constructions_kernel;

// The plan position of a vertex index, for the convex hull.
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
  DelaunayMesh mesh;
  std::vector<std::uint32_t> vertexOfMeshPoint{kNoVertex};  // mesh point i is vertex [i]; [0] is infinity
  Progress progress;
  static constexpr std::uint32_t kNoVertex = std::numeric_limits<std::uint32_t>::max();
};

TinTriangulation::TinTriangulation() : m_impl(std::make_unique<Impl>()) {}
TinTriangulation::~TinTriangulation() = default;

void TinTriangulation::SetProgress(Progress progress) { m_impl->progress = std::move(progress); }

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
  std::vector<PlanXy> plan(impl.pending.size());
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const AcGePoint3d& p = impl.vertices[impl.pending[i]];
    plan[i] = {p.x, p.y};
  }
  const std::vector<std::uint32_t> order = InsertionOrder(plan);
  std::vector<PlanXy> ordered(order.size());
  impl.vertexOfMeshPoint.reserve(impl.vertexOfMeshPoint.size() + order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    ordered[i] = plan[order[i]];
    impl.vertexOfMeshPoint.push_back(impl.pending[order[i]]);
  }
  impl.pending.clear();
  impl.pending.shrink_to_fit();
  plan.clear();
  plan.shrink_to_fit();
  impl.mesh.Insert(ordered, impl.progress);
  return impl;
}

void TinTriangulation::Clear() {
  Progress progress = std::move(m_impl->progress);
  m_impl = std::make_unique<Impl>();
  m_impl->progress = std::move(progress);
}

const std::vector<AcGePoint3d>& TinTriangulation::Vertices() const { return m_impl->vertices; }

std::size_t TinTriangulation::FaceCount() const {
  const DelaunayMesh& mesh = Triangulated().mesh;
  return mesh.HasFaces() ? mesh.FaceCount() : 0;
}

std::vector<TinFace> TinTriangulation::Faces() const {
  std::vector<TinFace> faces;
  const Impl& impl = Triangulated();
  faces.reserve(impl.mesh.HasFaces() ? impl.mesh.FaceCount() : 0);
  const std::vector<std::uint32_t>& vertex = impl.vertexOfMeshPoint;
  impl.mesh.ForEachFace([&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
    faces.push_back({vertex[a], vertex[b], vertex[c]});
  });
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
  const Impl& impl = Triangulated();
  if (!impl.mesh.HasFaces()) return edges;
  edges.all.reserve(impl.vertices.size() + impl.mesh.FaceCount());
  const std::vector<std::uint32_t>& vertex = impl.vertexOfMeshPoint;
  impl.mesh.ForEachEdge([&](std::uint32_t from, std::uint32_t to, bool outline) {
    const TinEdge edge{vertex[from], vertex[to]};
    edges.all.push_back(edge);
    if (outline) edges.outline.push_back(edge);
  });
  return edges;
}

}  // namespace pelvarhost::civil
