// Records the largest single allocation made through operator new while armed, so tests can
// show that a load never allocated for data a file does not hold; and fails one large
// allocation on request, so tests can show what a lack of memory does.
#pragma once
#include <cstddef>

namespace allocation_tracker {

// Starts recording from zero.
void Arm();
// Stops recording and returns the largest request seen since Arm().
size_t Disarm();
// Makes the next request of at least `bytes` bytes fail with std::bad_alloc, once.
void FailNextAtLeast(size_t bytes);
// True once that failure has happened (and clears any failure still waiting).
bool TakeFailure();

}  // namespace allocation_tracker
