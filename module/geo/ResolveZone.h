// Settles the state-plane zone of the current drawing for the commands that work in
// geographic or Web Mercator coordinates.
#pragma once
#include "geo/StatePlaneZone.h"

// The zone of the current drawing, from (in this order) the first cloud in model space
// with a non-zero EPSG code in the table, the drawing's Civil 3D coordinate-system code,
// or an EPSG code typed at a prompt. Null when none could be settled; every message it
// prints is its own. Never cached: each call resolves anew.
const StatePlaneZone* ResolveZone();

// The first two steps of ResolveZone: the zone of the first cloud or of the drawing's code,
// null when neither names one (nothing is asked).
const StatePlaneZone* ResolveZoneWithoutAsking();

// The last step of ResolveZone: says the drawing has no zone and asks for an EPSG code of
// the table; null when none was given or the code is not in the table.
const StatePlaneZone* AskZone();
