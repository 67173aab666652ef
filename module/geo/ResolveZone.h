// Settles the state-plane zone of the current drawing for the commands that work in
// geographic or Web Mercator coordinates.
#pragma once
#include "geo/StatePlaneZone.h"

// The zone of the current drawing, from (in this order) the first cloud in model space
// with a non-zero EPSG code in the table, the drawing's Civil 3D coordinate-system code,
// or an EPSG code typed at a prompt. Null when none could be settled; every message it
// prints is its own. Never cached: each call resolves anew.
const StatePlaneZone* ResolveZone();
