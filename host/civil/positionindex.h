// An open-addressing table from plan position (as exact bits; +0 and -0 are one position)
// to vertex index, for keeping one TIN vertex per position. A slot holds index + 1 (0 is
// empty) and a tag of the position's hash, so that a probe passing other positions rarely
// has to read their vertices; the positions themselves stay in the vertex list.
#pragma once
#include <bit>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <vector>

#include "gepnt3d.h"

namespace pelvarhost::civil {

class PositionIndex {
 public:
  static constexpr std::uint32_t kAbsent = std::numeric_limits<std::uint32_t>::max();

  // Makes room for `more` positions beyond those held, so that a batch adds without
  // growing the table on the way. `vertices` holds the indexed positions and no others.
  void Reserve(std::size_t more, const std::vector<AcGePoint3d>& vertices);

  // The index of the vertex at p's plan position, or kAbsent after recording that the
  // next vertex (index `next`) sits there.
  std::uint32_t FindOrAdd(const AcGePoint3d& p, std::uint32_t next, const std::vector<AcGePoint3d>& vertices) {
    if (2 * (m_used + 1) > m_slots.size()) Reserve(1, vertices);
    const std::uint64_t x = Bits(p.x), y = Bits(p.y), hash = Hash(x, y);
    const auto tag = static_cast<std::uint32_t>(hash >> 32);
    for (std::size_t slot = hash & Mask();; slot = (slot + 1) & Mask()) {
      const Slot held = m_slots[slot];
      if (held.index == 0) {
        m_slots[slot] = {next + 1, tag};
        ++m_used;
        return kAbsent;
      }
      if (held.tag != tag) continue;
      const AcGePoint3d& q = vertices[held.index - 1];
      if (Bits(q.x) == x && Bits(q.y) == y) return held.index - 1;
    }
  }

  // Starts fetching the slot where p's search begins (a batch asks a little ahead).
  void Prefetch(const AcGePoint3d& p) const {
    if (!m_slots.empty()) __builtin_prefetch(&m_slots[Hash(Bits(p.x), Bits(p.y)) & Mask()]);
  }

 private:
  struct Slot {
    std::uint32_t index, tag;
  };
  static std::uint64_t Bits(double v) { return std::bit_cast<std::uint64_t>(v + 0.0); }
  static std::uint64_t Hash(std::uint64_t x, std::uint64_t y) {
    const std::uint64_t h = (x ^ (y * 0x9E3779B97F4A7C15ull)) * 0xBF58476D1CE4E5B9ull;
    return h ^ (h >> 31);
  }
  std::size_t Mask() const { return m_slots.size() - 1; }

  std::vector<Slot> m_slots;
  std::size_t m_used = 0;
};

}  // namespace pelvarhost::civil
