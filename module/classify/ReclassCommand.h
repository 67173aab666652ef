// PELVARRECLASS: gives the points inside drawn rectangles a new class in every cloud of the
// drawing, or clears all such edits ("Reset").
#pragma once

void PelvarReclassCommand();
