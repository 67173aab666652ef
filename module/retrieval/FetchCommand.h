// PELVARFETCH: every point of the newest survey over a drawn rectangle, at full density, in
// the drawing's state-plane zone, written to a new cloud file and attached.
#pragma once

void PelvarFetchCommand();
