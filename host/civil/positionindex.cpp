#include "positionindex.h"

#include <algorithm>

namespace pelvarhost::civil {

void PositionIndex::Reserve(std::size_t more, const std::vector<AcGePoint3d>& vertices) {
  std::size_t size = std::max<std::size_t>(1024, m_slots.size());
  while (size < 2 * (m_used + more + 1)) size *= 2;  // at most half full
  if (size == m_slots.size()) return;
  std::vector<Slot> old(size, Slot{0, 0});
  old.swap(m_slots);
  for (const Slot& held : old) {
    if (held.index == 0) continue;
    const AcGePoint3d& q = vertices[held.index - 1];
    std::size_t slot = Hash(Bits(q.x), Bits(q.y)) & Mask();
    while (m_slots[slot].index != 0) slot = (slot + 1) & Mask();
    m_slots[slot] = held;
  }
}

}  // namespace pelvarhost::civil
