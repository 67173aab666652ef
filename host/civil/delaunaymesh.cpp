#include "delaunaymesh.h"

#include <algorithm>
#include <atomic>
#include <exception>
#include <limits>
#include <stdexcept>
#include <thread>
#include <utility>

#include "roomfor.h"

namespace pelvarhost::civil {

namespace {
constexpr std::uint32_t kNone = 0xFFFFFFFFu;
// Below this many points in a half, a second thread is not worth starting.
constexpr std::size_t kFewestPerHalf = 64;
// The other thread tells how far it is this often (in points).
constexpr std::size_t kShareEvery = 1024;

constexpr std::uint32_t Next(std::uint32_t i) { return i == 2 ? 0 : i + 1; }
constexpr std::uint32_t Previous(std::uint32_t i) { return i == 0 ? 2 : i - 1; }

// Whether p, collinear with a and b, lies strictly between them.
bool StrictlyBetween(const PlanXy& a, const PlanXy& b, const PlanXy& p) {
  if (a.x != b.x) return (a.x < p.x && p.x < b.x) || (b.x < p.x && p.x < a.x);
  return (a.y < p.y && p.y < b.y) || (b.y < p.y && p.y < a.y);
}
}  // namespace

// Progress over one insertion pass, told on the calling thread when the count of inserted
// points (its own and what the other thread has shared) passes a step.
class DelaunayMesh::Report {
 public:
  Report(const Progress& progress, std::size_t total) : progress_(progress), total_(total) {}
  void Inserted() {
    ++mine_;
    const std::size_t done = mine_ + others_.load(std::memory_order_relaxed);
    if (progress_ && done >= next_) {
      progress_(done, total_);
      next_ = (done / kProgressStep + 1) * kProgressStep;
    }
  }
  void Share(std::size_t count) { others_.fetch_add(count, std::memory_order_relaxed); }

 private:
  const Progress& progress_;
  std::size_t total_, mine_ = 0, next_ = kProgressStep;
  std::atomic<std::size_t> others_{0};
};

// Half-edges are numbered 3 * triangle + edge in 32 bits, and there are about two
// triangles per point.
void DelaunayMesh::Reserve(std::size_t more) {
  constexpr std::size_t kMostPoints = std::numeric_limits<std::uint32_t>::max() / 6 - 1;
  if (more > kMostPoints - points_.size()) throw std::length_error("too many TIN vertices");
  RoomFor(points_, more);
  RoomFor(halves_, more);
}

void DelaunayMesh::InsertAppended(std::size_t alone, const Progress& progress) {
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
  Report report(progress, points_.size() - 1 - inserted_);
  const auto split = static_cast<std::uint32_t>(std::min(inserted_ + 1 + alone, points_.size()));
  std::vector<std::uint32_t> points;
  for (std::uint32_t p = first; p < split; ++p)
    if (p != seed[1] && p != seed[2]) points.push_back(p);
  InsertAll(alone_, points, report, true);
  InsertInHalves(std::max(split, first), report);
  inserted_ = points_.size() - 1;
}

// Points [from, end) go in on two threads by half, then those that had to wait.
void DelaunayMesh::InsertInHalves(std::uint32_t from, Report& report) {
  std::array<std::vector<std::uint32_t>, 2> halves;
  for (std::uint32_t p = from; p < points_.size(); ++p) halves[halves_[p] & 1].push_back(p);
  if (halves[0].size() < kFewestPerHalf || halves[1].size() < kFewestPerHalf) {
    for (auto& half : halves) InsertAll(alone_, half, report, true);
    return;
  }
  std::array<Inserter, 2> inserters = InsertersFor(halves);
  std::exception_ptr secondFailed;
  {
    const std::jthread second([this, &inserters, &halves, &report, &secondFailed] {
      try {
        InsertAll(inserters[1], halves[1], report, false);
      } catch (...) {
        secondFailed = std::current_exception();
      }
    });
    InsertAll(inserters[0], halves[0], report, true);
  }
  if (secondFailed) std::rethrow_exception(secondFailed);
  std::vector<std::uint8_t>().swap(owner_);
  for (Inserter& in : inserters) {
    unused_ += in.endSlot - in.nextSlot;
    for (std::uint32_t t = in.nextSlot; t < in.endSlot; ++t) triangles_[t].vertex = {kInfinite, kInfinite, kInfinite};
  }
  std::vector<std::array<std::uint32_t, 2>> waiting = std::move(inserters[0].waiting);
  waiting.insert(waiting.end(), inserters[1].waiting.begin(), inserters[1].waiting.end());
  InsertWaiting(waiting, report);
}

// Marks which triangles each half owns (those with every corner in it) and sets aside
// two new triangles per point for each.
std::array<DelaunayMesh::Inserter, 2> DelaunayMesh::InsertersFor(
    const std::array<std::vector<std::uint32_t>, 2>& halves) {
  owner_.resize(triangles_.size());
  for (std::uint32_t t = 0; t < triangles_.size(); ++t) {
    const auto& v = triangles_[t].vertex;
    const std::uint8_t half = halves_[v[0]];
    owner_[t] = !IsGhost(t) && halves_[v[1]] == half && halves_[v[2]] == half ? half : kAnyHalf;
  }
  std::array<Inserter, 2> inserters;
  auto slots = static_cast<std::uint32_t>(triangles_.size());
  for (std::uint8_t half = 0; half < 2; ++half) {
    Inserter& in = inserters[half];
    in.half = half;
    in.nextSlot = slots;
    in.endSlot = slots += static_cast<std::uint32_t>(2 * halves[half].size());
    const auto owned = std::find(owner_.begin(), owner_.end(), half);
    in.lastTriangle = owned == owner_.end() ? kNone : static_cast<std::uint32_t>(owned - owner_.begin());
  }
  triangles_.resize(slots);
  inCavity_.resize(slots);
  owner_.resize(slots);
  return inserters;
}

// In the order they came, each walk starting from the last insertion or from where its
// first walk stopped, whichever is nearer.
void DelaunayMesh::InsertWaiting(std::vector<std::array<std::uint32_t, 2>>& waiting, Report& report) {
  std::sort(waiting.begin(), waiting.end());
  const auto distance = [this](std::uint32_t p, std::uint32_t t) {
    const PlanXy &a = points_[p], &b = points_[triangles_[t].vertex[0]];
    return (a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y);
  };
  for (const auto& [p, near] : waiting) {
    // (Since it stopped there, that triangle may have become a ghost.)
    if (near != kNone && !IsGhost(near) && distance(p, near) < distance(p, alone_.lastTriangle)) alone_.lastTriangle = near;
    InsertPoint(alone_, p);
    report.Inserted();
  }
}

// The calling thread reports; another shares its count now and then. An inserter bound
// to a half keeps the points it could not insert.
void DelaunayMesh::InsertAll(Inserter& in, const std::vector<std::uint32_t>& points, Report& report, bool calling) {
  std::size_t unshared = 0;
  for (const std::uint32_t p : points) {
    if (!InsertPoint(in, p)) {
      in.waiting.push_back({p, in.stoppedAt});
    } else if (calling) {
      report.Inserted();
    } else if (++unshared == kShareEvery) {
      report.Share(std::exchange(unshared, 0));
    }
  }
  report.Share(unshared);
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
  alone_.lastTriangle = 0;
  return seed;
}

bool DelaunayMesh::IsGhost(std::uint32_t t) const {
  const auto& v = triangles_[t].vertex;
  return v[0] == kInfinite || v[1] == kInfinite || v[2] == kInfinite;
}

// False when p must wait (it reaches triangles the inserter does not own). A point at
// the position of a vertex already in is left out: its walk ends at a triangle of that
// vertex.
bool DelaunayMesh::InsertPoint(Inserter& in, std::uint32_t p) {
  const std::uint32_t t = Locate(in, p);
  if (t == kNone) return false;
  for (const std::uint32_t v : triangles_[t].vertex)
    if (v != kInfinite && points_[v].x == points_[p].x && points_[v].y == points_[p].y) return true;
  if (!DigCavity(in, t, p)) {
    in.stoppedAt = t;
    return false;
  }
  FillCavity(in, p);
  return true;
}

// Walks from the last insertion towards p, across any edge that has p strictly on its
// far side: ends in the finite triangle holding p or in the ghost beyond the outline edge
// p lies outside of (kNone on reaching a triangle the inserter does not own). On a
// Delaunay triangulation such a walk never cycles.
std::uint32_t DelaunayMesh::Locate(Inserter& in, std::uint32_t p) const {
  const PlanXy& point = points_[p];
  std::uint32_t t = in.lastTriangle, cameAcross = kNone;
  in.stoppedAt = kNone;
  if (t == kNone) return kNone;
  for (;;) {
    const Triangle& triangle = triangles_[t];
    std::uint32_t crossing = kNone;
    for (std::uint32_t i = 0; i < 3 && crossing == kNone; ++i) {
      if (3 * t + i == cameAcross) continue;
      if (Orientation(points_[triangle.vertex[i]], points_[triangle.vertex[Next(i)]], point) < 0)
        crossing = triangle.twin[i];
    }
    if (crossing == kNone) return t;
    if (!Owns(in, crossing / 3)) {
      in.stoppedAt = t;
      return kNone;
    }
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
// the edges around them, counter-clockwise as seen from inside. False, with nothing
// changed, when the cavity or a triangle around it is not the inserter's.
bool DelaunayMesh::DigCavity(Inserter& in, std::uint32_t first, std::uint32_t p) {
  in.cavity.assign(1, first);
  in.boundary.clear();
  in.stack.assign(1, first);
  inCavity_[first] = 1;
  bool owned = true;
  while (!in.stack.empty() && owned) {
    const std::uint32_t t = in.stack.back();
    in.stack.pop_back();
    for (std::uint32_t i = 0; i < 3 && owned; ++i) {
      const std::uint32_t twin = triangles_[t].twin[i], neighbour = twin / 3;
      owned = Owns(in, neighbour);  // (a triangle not owned is never in the cavity)
      if (!owned) break;
      if (inCavity_[neighbour]) continue;
      if (InConflict(neighbour, p)) {
        inCavity_[neighbour] = 1;
        in.cavity.push_back(neighbour);
        in.stack.push_back(neighbour);
      } else {
        in.boundary.push_back({triangles_[t].vertex[i], triangles_[t].vertex[Next(i)], twin});
      }
    }
  }
  if (!owned) {
    for (const std::uint32_t t : in.cavity) inCavity_[t] = 0;
    return false;
  }
  for (const std::uint32_t t : in.cavity)
    if (IsGhost(t)) --ghosts_;  // only a lone inserter meets ghosts
  return true;
}

// Replaces the cavity by the fan joining p to its boundary edges, reusing the cavity's
// triangles and adding the two more the fan needs.
void DelaunayMesh::FillCavity(Inserter& in, std::uint32_t p) {
  while (in.cavity.size() < in.boundary.size()) in.cavity.push_back(NewTriangle(in));
  for (std::size_t j = 0; j < in.boundary.size(); ++j) {
    const BoundaryEdge& edge = in.boundary[j];
    const std::uint32_t t = in.cavity[j];
    triangles_[t].vertex = {edge.from, edge.to, p};
    inCavity_[t] = 0;
    Link(3 * t, edge.outsideTwin);
    fanFrom_[edge.from] = t;
    if (edge.from == kInfinite || edge.to == kInfinite) {
      ++ghosts_;  // only a lone inserter makes ghosts
    } else {
      in.lastTriangle = t;
    }
  }
  // Edge to -> p of one fan triangle against p -> to of the next.
  for (std::size_t j = 0; j < in.boundary.size(); ++j)
    Link(3 * in.cavity[j] + 1, 3 * fanFrom_[in.boundary[j].to] + 2);
}

std::uint32_t DelaunayMesh::NewTriangle(Inserter& in) {
  if (in.half == kAnyHalf) {
    triangles_.emplace_back();
    inCavity_.push_back(0);
    return static_cast<std::uint32_t>(triangles_.size() - 1);
  }
  owner_[in.nextSlot] = in.half;
  return in.nextSlot++;
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
