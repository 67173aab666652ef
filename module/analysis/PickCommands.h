// PELVARPICK and PELVARCOGO: elevations read out of the drawing's clouds at clicked positions.
#pragma once

// Reports the nearest visible cloud point under one click, the ground there and the
// point's height above that ground.
void PelvarPickCommand();

// Places Civil 3D COGO points at clicked positions, with the elevation of the ground grid
// or of the nearest visible cloud point, described by the class it came from.
void PelvarCogoCommand();
