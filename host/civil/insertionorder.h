// The order in which points go into an incremental triangulation: a biased randomized
// insertion order (rounds of growing size, picked at random but reproducibly), each round
// along a Hilbert curve, so that every point is found a few steps from the previous one.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "planpredicates.h"

namespace pelvarhost::civil {

struct InsertionOrder {
  std::vector<std::uint32_t> order;  // the indexes of the points in insertion order
  // Per place in `order`: which half of the points' extent the point lies in, split
  // across x where the curve passes from the first half to the second.
  std::vector<std::uint8_t> half;
  std::size_t lastRounds = 0;  // where in `order` the last two (largest) rounds start
};

InsertionOrder OrderForInsertion(const std::vector<PlanXy>& points);

}  // namespace pelvarhost::civil
