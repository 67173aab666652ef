#include "positionindex.h"

#include <algorithm>

namespace pelvarhost::civil {

// Rebuilt from the vertex list, which holds exactly the indexed positions: read in order,
// it costs far less than visiting the old table's slots and their scattered vertices.
void PositionIndex::Reserve(std::size_t more, const std::vector<AcGePoint3d>& vertices) {
  std::size_t size = std::max<std::size_t>(1024, m_slots.size());
  while (size < 2 * (m_used + more + 1)) size *= 2;  // at most half full
  if (size == m_slots.size()) return;
  std::vector<Slot>(size, Slot{0, 0}).swap(m_slots);
  for (std::size_t i = 0; i < m_used; ++i) {
    const std::uint64_t hash = Hash(Bits(vertices[i].x), Bits(vertices[i].y));
    std::size_t slot = hash & Mask();
    while (m_slots[slot].index != 0) slot = (slot + 1) & Mask();
    m_slots[slot] = {static_cast<std::uint32_t>(i + 1), static_cast<std::uint32_t>(hash >> 32)};
  }
}

}  // namespace pelvarhost::civil
