// The order in which points go into an incremental triangulation: a biased randomized
// insertion order (rounds of growing size, picked at random but reproducibly), each round
// along a Hilbert curve, so that every point is found a few steps from the previous one.
#pragma once
#include <cstdint>
#include <vector>

#include "planpredicates.h"

namespace pelvarhost::civil {

// The indexes of points (0 .. points.size() - 1) in insertion order.
std::vector<std::uint32_t> InsertionOrder(const std::vector<PlanXy>& points);

}  // namespace pelvarhost::civil
