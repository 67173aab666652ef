// Capacity for more items in a vector, growing geometrically so that many small batches
// stay cheap.
#pragma once
#include <algorithm>
#include <cstddef>
#include <vector>

namespace pelvarhost::civil {

template <typename T>
void RoomFor(std::vector<T>& items, std::size_t more) {
  if (items.capacity() - items.size() < more) items.reserve(std::max(2 * items.capacity(), items.size() + more));
}

}  // namespace pelvarhost::civil
