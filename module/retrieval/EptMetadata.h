// The two things read from a dataset's ept.json: its bounds and whether its horizontal
// spatial reference is Web Mercator.
#pragma once
#include <optional>
#include <string_view>

#include "retrieval/EptTypes.h"

// The six numbers of the first "bounds" array: min X, Y, Z, max X, Y, Z. Nothing when the
// key or six numbers are missing, a number is not finite, or max X is not above min X.
std::optional<EptBounds> ParseEptBounds(std::string_view json);

// True when the text names EPSG 3857 ("3857" quoted, ":3857"), or names no horizontal
// reference at all.
bool IsWebMercatorDataset(std::string_view json);
