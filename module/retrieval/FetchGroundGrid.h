// The ground grid of a fetched cloud: the lowest ground point of every cell, the empty
// cells filled from their neighbours.
#pragma once
#include <cstdint>
#include <vector>

#include "retrieval/EptTypes.h"

// A cloud file stores a grid of at most this many columns and rows.
inline constexpr std::int32_t kMaxGroundGridSide = 4096;

struct GroundGridSize {
  std::int32_t nx = 0, ny = 0;  // columns and rows
  double cell = 0;              // side of a cell, in drawing units
};

// Columns W / cell and rows H / cell, each rounded (halves away from zero) plus one; either
// may exceed kMaxGroundGridSide, which the caller refuses.
GroundGridSize FetchGroundGridSize(const ZoneRectangle& rect, double cell);

// The grid over the rectangle, row by row from ymin upward, west to east within a row:
// each cell holds the lowest class 2 or 20 point that falls into it (a point goes to the
// nearest cell centre, limited to the grid), then passes fill every empty cell with the
// mean of its filled neighbours (3 x 3 block, values of the same pass counting) until none
// is left or nx + ny passes have run. Empty when no ground point was fetched at all: such a
// cloud carries no grid rather than one of empty cells.
std::vector<float> BuildFetchGroundGrid(const EptFetchResult& points, const ZoneRectangle& rect,
                                        const GroundGridSize& size);
