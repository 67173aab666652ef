#include "tintriangulation.h"

#include <CGAL/Convex_hull_traits_adapter_2.h>
#include <CGAL/Exact_predicates_inexact_constructions_kernel.h>
#include <CGAL/convex_hull_2.h>

#include <cmath>
#include <exception>
#include <iterator>
#include <limits>
#include <numeric>
#include <stdexcept>
#include <thread>

#include "delaunaymesh.h"
#include "insertionorder.h"
#include "positionindex.h"
#include "roomfor.h"

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

}  // namespace

struct TinTriangulation::Impl {
  std::vector<AcGePoint3d> vertices;
  PositionIndex indexOfPosition;
  // Points added but not yet merged into the vertices: batches are merged in one pass
  // when the vertices are next asked for, so that the position table is sized once.
  std::vector<AcGePoint3d> arriving;
  // Vertices [0, meshed) are in the triangulation; the rest wait until it is needed, so
  // that many batches go in as one spatially sorted pass.
  std::size_t meshed = 0;
  DelaunayMesh mesh;
  std::vector<std::uint32_t> vertexOfMeshPoint{kNoVertex};  // mesh point i is vertex [i]; [0] is infinity
  Progress progress;
  static constexpr std::uint32_t kNoVertex = std::numeric_limits<std::uint32_t>::max();

  // Into the vertices; vertexOfArriving (if given) learns each arriving point's vertex.
  void MergeArriving(std::vector<std::uint32_t>* vertexOfArriving = nullptr);
  // Inserts every vertex and arriving point not yet in the triangulation.
  void TriangulateWaiting();
  // After a failure partway (no memory): the next use triangulates every vertex afresh.
  // Merging the arriving points again finds those merged already at their positions.
  void ForgetTriangulation() {
    mesh = DelaunayMesh();
    meshed = 0;
    vertexOfMeshPoint.assign(1, kNoVertex);
  }
};

TinTriangulation::TinTriangulation() : m_impl(std::make_unique<Impl>()) {}
TinTriangulation::~TinTriangulation() = default;

void TinTriangulation::SetProgress(Progress progress) { m_impl->progress = std::move(progress); }

void TinTriangulation::Add(const std::vector<AcGePoint3d>& points) {
  Impl& impl = *m_impl;
  // Slots are index + 1 and the top index means "absent".
  if (points.size() > std::numeric_limits<std::uint32_t>::max() - 2 - impl.vertices.size() - impl.arriving.size())
    throw std::length_error("too many TIN vertices");
  RoomFor(impl.arriving, points.size());
  for (const AcGePoint3d& p : points)
    if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z)) impl.arriving.push_back(p);  // else no place in a triangulation
}

void TinTriangulation::Impl::MergeArriving(std::vector<std::uint32_t>* vertexOfArriving) {
  if (arriving.empty()) return;
  indexOfPosition.Reserve(arriving.size(), vertices);
  RoomFor(vertices, arriving.size());
  if (vertexOfArriving) vertexOfArriving->resize(arriving.size());
  constexpr std::size_t kLookAhead = 16;  // positions whose slots are being fetched
  for (std::size_t i = 0; i < arriving.size(); ++i) {
    if (i + kLookAhead < arriving.size()) indexOfPosition.Prefetch(arriving[i + kLookAhead]);
    const AcGePoint3d& p = arriving[i];
    const auto next = static_cast<std::uint32_t>(vertices.size());
    std::uint32_t vertex = indexOfPosition.FindOrAdd(p, next, vertices);
    if (vertex != PositionIndex::kAbsent) {
      vertices[vertex].z = p.z;
    } else {
      vertex = next;
      vertices.push_back(p);
    }
    if (vertexOfArriving) (*vertexOfArriving)[i] = vertex;
  }
  std::vector<AcGePoint3d>().swap(arriving);
}

// The positions still to insert are the vertices not yet in the triangulation and the
// arriving points as they came, repeats included (the triangulation leaves out a
// position it holds already). Meanwhile another thread merges the arriving points into
// the vertices; afterwards each new triangulation point learns its vertex.
void TinTriangulation::Impl::TriangulateWaiting() {
  const std::size_t unmeshed = vertices.size() - meshed;
  if (unmeshed + arriving.size() == 0) return;
  std::vector<PlanXy> plan;
  plan.reserve(unmeshed + arriving.size());
  for (std::size_t i = meshed; i < vertices.size(); ++i) plan.push_back({vertices[i].x, vertices[i].y});
  for (const AcGePoint3d& p : arriving) plan.push_back({p.x, p.y});

  InsertionOrder ordering;
  std::vector<std::uint32_t> vertexOfArriving;
  std::exception_ptr mergeFailure;
  {
    const std::jthread merge([this, &vertexOfArriving, &mergeFailure] {
      try {
        MergeArriving(&vertexOfArriving);
      } catch (...) {
        mergeFailure = std::current_exception();
      }
    });
    ordering = OrderForInsertion(plan);
    mesh.Reserve(plan.size());
    for (std::size_t i = 0; i < plan.size(); ++i) mesh.Append(plan[ordering.order[i]], ordering.half[i]);
    std::vector<PlanXy>().swap(plan);
    // The small early rounds go in on one thread and spread over the whole extent; the
    // last two on two.
    mesh.InsertAppended(ordering.lastRounds, progress);
  }
  if (mergeFailure) std::rethrow_exception(mergeFailure);
  RoomFor(vertexOfMeshPoint, ordering.order.size());
  for (const std::uint32_t i : ordering.order)
    vertexOfMeshPoint.push_back(static_cast<std::uint32_t>(i < unmeshed ? meshed + i : vertexOfArriving[i - unmeshed]));
  meshed = vertices.size();
}

TinTriangulation::Impl& TinTriangulation::Triangulated() const {
  try {
    m_impl->TriangulateWaiting();
  } catch (...) {
    m_impl->ForgetTriangulation();
    throw;
  }
  return *m_impl;
}

void TinTriangulation::Clear() {
  Progress progress = std::move(m_impl->progress);
  m_impl = std::make_unique<Impl>();
  m_impl->progress = std::move(progress);
}

const std::vector<AcGePoint3d>& TinTriangulation::Vertices() const {
  m_impl->MergeArriving();
  return m_impl->vertices;
}

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
  const std::vector<AcGePoint3d>& vertices = Vertices();
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
