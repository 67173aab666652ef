// Building the complete image of a KMQ2 cloud file from point columns and a ground grid.
#pragma once
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

// Returns the whole file (2176 + 2*nx*ny + 9*n bytes, n = x.size()), ready for one write.
// x, y, z, cls and intensity hold n entries each; ground holds nx*ny heights row by row from
// the grid origin (NaN for an empty cell). The label's first 16 characters name the tile;
// centre and radius describe the square the points were cut from. The same input always
// gives the same bytes. Inputs that disagree (a column whose length is not n, a grid that is
// not nx*ny heights, more points than 32 bits can count) give an empty result and nothing
// is read. Beyond that nothing is checked: a file outside the reader's limits (for example
// with no points) is built all the same and refused on loading. The points are worked on in
// `parts` parts at once (0: as many as the cores and the point count are worth); the bytes
// are the same for any number.
std::vector<uint8_t> BuildCloudFile(std::span<const double> x, std::span<const double> y,
                                    std::span<const double> z, std::span<const uint8_t> cls,
                                    std::span<const uint16_t> intensity, std::span<const float> ground,
                                    uint16_t nx, uint16_t ny, float cellSize, double gridOriginX,
                                    double gridOriginY, std::string_view label, double centreX,
                                    double centreY, float radius, uint32_t epsg, unsigned parts = 0);
