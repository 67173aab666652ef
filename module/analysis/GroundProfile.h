// PELVARPROF, the ground profile: a clicked plan alignment resampled at a fixed step and
// draped on the clouds' ground grids as a 3D polyline (or a Civil 3D feature line).
#pragma once
#include <cstdint>
#include <optional>

#include "analysis/CloudView.h"

// A leg is never cut into more parts than this; a longer leg is refused.
inline constexpr double kMaxLegParts = 1'000'000;

// The sampling step for the views: half the finest ground spacing, at least 1 ft.
double ProfileStep(const CloudViews& views);

// Number of equal parts of a leg of plan length `length` at step `step`:
// max(1, trunc(length / step)); none when that would exceed kMaxLegParts or is not a number.
std::optional<uint32_t> LegParts(double length, double step);

void PelvarProfileCommand();
