#include "delaunaymesh.h"

#include <limits>
#include <stdexcept>
#include <utility>

#include "roomfor.h"

namespace pelvarhost::civil {

namespace {
constexpr std::uint32_t kNoEdge = 0xFFFFFFFFu;
constexpr std::uint32_t Next(std::uint32_t i) { return i == 2 ? 0 : i + 1; }
constexpr std::uint32_t Previous(std::uint32_t i) { return i == 0 ? 2 : i - 1; }

// Whether p, collinear with a and b, lies strictly between them.
bool StrictlyBetween(const PlanXy& a, const PlanXy& b, const PlanXy& p) {
  if (a.x != b.x) return (a.x < p.x && p.x < b.x) || (b.x < p.x && p.x < a.x);
  return (a.y < p.y && p.y < b.y) || (b.y < p.y && p.y < a.y);
}
}  // namespace

// Half-edges are numbered 3 * triangle + edge in 32 bits, and there are about two
// triangles per point.
void DelaunayMesh::Reserve(std::size_t more) {
  constexpr std::size_t kMostPoints = std::numeric_limits<std::uint32_t>::max() / 6 - 1;
  if (more > kMostPoints - points_.size()) throw std::length_error("too many TIN vertices");
  RoomFor(points_, more);
}

void DelaunayMesh::InsertAppended(const Progress& progress) {
  // A triangulation of n points has fewer than 2n triangles, ghosts included.
  const std::size_t more = 2 * points_.size() - triangles_.size();
  RoomFor(triangles_, more);
  RoomFor(inCavity_, more);
  fanFrom_.resize(points_.size());
  std::uint32_t first = static_cast<std::uint32_t>(inserted_) + 1;
  std::array<std::uint32_t, 3> seed{};
  if (!HasFaces()) {
    seed = Seed();
    if (seed[2] == 0) return;
    first = 2;
  }
  const std::size_t total = points_.size() - 1 - inserted_;
  std::size_t done = 0;
  for (std::uint32_t p = first; p < points_.size(); ++p) {
    if (p == seed[1] || p == seed[2]) continue;
    InsertPoint(p);
    if (progress && ++done % kProgressStep == 0) progress(done, total);
  }
  inserted_ = points_.size() - 1;
}

// The first triangle: point 1, the first point at another position and the first point
// off their line, with its three ghosts. Gives those points (the last 0 if every point
// so far is on one line).
std::array<std::uint32_t, 3> DelaunayMesh::Seed() {
  const auto size = static_cast<std::uint32_t>(points_.size());
  std::uint32_t a = 1, b = 2;
  while (b < size && points_[b].x == points_[a].x && points_[b].y == points_[a].y) ++b;
  int turn = 0;
  std::uint32_t c = b + 1;
  for (; c < size; ++c)
    if ((turn = Orientation(points_[a], points_[b], points_[c])) != 0) break;
  if (turn == 0) return {a, b, 0};
  const std::array<std::uint32_t, 3> seed{a, b, c};
  if (turn < 0) std::swap(a, b);
  // The ghost beyond edge x -> y of the triangle is (y, x, infinity).
  triangles_ = {{{a, b, c}, {}}, {{b, a, kInfinite}, {}}, {{c, b, kInfinite}, {}}, {{a, c, kInfinite}, {}}};
  inCavity_.assign(triangles_.size(), 0);
  for (std::uint32_t i = 0; i < 3; ++i) {
    const std::uint32_t ghost = i + 1, nextGhost = Next(i) + 1;
    Link(i, 3 * ghost);                       // the triangle's edge and its ghost's
    Link(3 * ghost + 2, 3 * nextGhost + 1);  // infinity -> y against y -> infinity
  }
  ghosts_ = 3;
  lastTriangle_ = 0;
  return seed;
}

bool DelaunayMesh::IsGhost(std::uint32_t t) const {
  const auto& v = triangles_[t].vertex;
  return v[0] == kInfinite || v[1] == kInfinite || v[2] == kInfinite;
}

// A point at the position of a vertex already in is left out: its walk ends at a
// triangle of that vertex.
void DelaunayMesh::InsertPoint(std::uint32_t p) {
  const std::uint32_t t = Locate(p);
  for (const std::uint32_t v : triangles_[t].vertex)
    if (v != kInfinite && points_[v].x == points_[p].x && points_[v].y == points_[p].y) return;
  DigCavity(t, p);
  FillCavity(p);
}

// Walks from the last insertion towards p, across any edge that has p strictly on its
// far side: ends in the finite triangle holding p or in the ghost beyond the outline edge
// p lies outside of. (On a Delaunay triangulation such a walk never cycles.)
std::uint32_t DelaunayMesh::Locate(std::uint32_t p) const {
  const PlanXy& point = points_[p];
  std::uint32_t t = lastTriangle_, cameAcross = kNoEdge;
  for (;;) {
    const Triangle& triangle = triangles_[t];
    std::uint32_t crossing = kNoEdge;
    for (std::uint32_t i = 0; i < 3 && crossing == kNoEdge; ++i) {
      if (3 * t + i == cameAcross) continue;
      if (Orientation(points_[triangle.vertex[i]], points_[triangle.vertex[Next(i)]], point) < 0)
        crossing = triangle.twin[i];
    }
    if (crossing == kNoEdge) return t;
    t = crossing / 3;
    cameAcross = crossing;
    if (IsGhost(t)) return t;
  }
}

// Whether p lies strictly inside t's circumcircle; a ghost's "circle" is the open half
// plane beyond its outline edge together with the open edge itself.
bool DelaunayMesh::InConflict(std::uint32_t t, std::uint32_t p) const {
  const auto& v = triangles_[t].vertex;
  if (v[0] != kInfinite && v[1] != kInfinite && v[2] != kInfinite)
    return InCircle(points_[v[0]], points_[v[1]], points_[v[2]], points_[p]) > 0;
  const std::uint32_t at = v[0] == kInfinite ? 0 : v[1] == kInfinite ? 1 : 2;
  const PlanXy &from = points_[v[Next(at)]], &to = points_[v[Previous(at)]];
  const int side = Orientation(from, to, points_[p]);
  return side != 0 ? side > 0 : StrictlyBetween(from, to, points_[p]);
}

// The triangles in conflict with p (connected, starting from the one that holds it) and
// the edges around them, counter-clockwise as seen from inside.
void DelaunayMesh::DigCavity(std::uint32_t first, std::uint32_t p) {
  cavity_.clear();
  boundary_.clear();
  stack_.assign(1, first);
  cavity_.push_back(first);
  inCavity_[first] = 1;
  while (!stack_.empty()) {
    const std::uint32_t t = stack_.back();
    stack_.pop_back();
    ghosts_ -= IsGhost(t) ? 1 : 0;
    for (std::uint32_t i = 0; i < 3; ++i) {
      const std::uint32_t twin = triangles_[t].twin[i], neighbour = twin / 3;
      if (inCavity_[neighbour]) continue;
      if (InConflict(neighbour, p)) {
        inCavity_[neighbour] = 1;
        cavity_.push_back(neighbour);
        stack_.push_back(neighbour);
      } else {
        boundary_.push_back({triangles_[t].vertex[i], triangles_[t].vertex[Next(i)], twin});
      }
    }
  }
}

// Replaces the cavity by the fan joining p to its boundary edges, reusing the cavity's
// triangles and adding the two more the fan needs.
void DelaunayMesh::FillCavity(std::uint32_t p) {
  while (cavity_.size() < boundary_.size()) {
    cavity_.push_back(static_cast<std::uint32_t>(triangles_.size()));
    triangles_.emplace_back();
    inCavity_.push_back(0);
  }
  for (std::size_t j = 0; j < boundary_.size(); ++j) {
    const BoundaryEdge& edge = boundary_[j];
    const std::uint32_t t = cavity_[j];
    triangles_[t].vertex = {edge.from, edge.to, p};
    inCavity_[t] = 0;
    Link(3 * t, edge.outsideTwin);
    fanFrom_[edge.from] = t;
    if (edge.from == kInfinite || edge.to == kInfinite) {
      ++ghosts_;
    } else {
      lastTriangle_ = t;
    }
  }
  // Edge to -> p of one fan triangle against p -> to of the next.
  for (std::size_t j = 0; j < boundary_.size(); ++j) Link(3 * cavity_[j] + 1, 3 * fanFrom_[boundary_[j].to] + 2);
}

void DelaunayMesh::Link(std::uint32_t halfEdge, std::uint32_t twin) {
  triangles_[halfEdge / 3].twin[halfEdge % 3] = twin;
  triangles_[twin / 3].twin[twin % 3] = halfEdge;
}

void DelaunayMesh::ForEachFace(const std::function<void(std::uint32_t, std::uint32_t, std::uint32_t)>& face) const {
  for (std::uint32_t t = 0; t < triangles_.size(); ++t) {
    if (IsGhost(t)) continue;
    const auto& v = triangles_[t].vertex;
    face(v[0], v[1], v[2]);
  }
}

void DelaunayMesh::ForEachEdge(const std::function<void(std::uint32_t, std::uint32_t, bool)>& edge) const {
  for (std::uint32_t t = 0; t < triangles_.size(); ++t) {
    if (IsGhost(t)) continue;
    const Triangle& triangle = triangles_[t];
    for (std::uint32_t i = 0; i < 3; ++i) {
      const std::uint32_t neighbour = triangle.twin[i] / 3;
      const bool outline = IsGhost(neighbour);
      if (outline || neighbour > t) edge(triangle.vertex[i], triangle.vertex[Next(i)], outline);
    }
  }
}

}  // namespace pelvarhost::civil
