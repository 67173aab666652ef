// PELVARPROFC, the class-corridor profile: whatever is visible in one cloud (a bridge deck,
// a roof line) profiled along a centreline curve of the drawing.
#pragma once

void PelvarCorridorProfileCommand();
