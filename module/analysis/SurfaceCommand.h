// PELVARSURF: one Civil 3D existing-ground TIN surface from every cloud of the drawing,
// built from their ground points or from the nodes of their ground grids.
#pragma once
#include <vector>

#include "analysis/CloudView.h"

enum class SurfaceSource { Points, Grid };

// Appends the world x, y, z of every vertex the view gives for the source: the ground-grid
// nodes row by row, or the points of effective class 2 or 20 that pass the elevation
// window (the class mask is not consulted), in file order. Vertices that are not finite
// are left out.
void AppendSurfaceVertices(const CloudView& view, SurfaceSource source, std::vector<double>& vertices);

void PelvarSurfaceCommand();
