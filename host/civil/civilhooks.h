// Test hooks of the civil model: what AddVertices was called with.
#pragma once
#include <cstddef>
#include <vector>

namespace pelvarhost::civil {

// The vertex count of every TinSurface::AddVertices call since the last reset.
std::vector<std::size_t> AddVerticesCallSizes();
void ResetAddVerticesCallSizes();

}  // namespace pelvarhost::civil
