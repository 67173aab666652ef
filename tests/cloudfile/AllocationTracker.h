// Records the largest single allocation made through operator new while armed, so tests can
// show that a load never allocated for data a file does not hold.
#pragma once
#include <cstddef>

namespace allocation_tracker {

// Starts recording from zero.
void Arm();
// Stops recording and returns the largest request seen since Arm().
size_t Disarm();

}  // namespace allocation_tracker
