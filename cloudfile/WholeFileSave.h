// Saving a file whole or not at all: the bytes go to a temporary file beside the target,
// every write and the close are checked, and only then is the file renamed into place.
#pragma once
#include <cstdint>
#include <span>
#include <string>

// Writes `bytes` to `path`. On failure nothing is left behind (the partial temporary file
// is removed) and false is returned. The temporary file is created new and never replaces
// a file that exists already.
bool SaveWholeFile(const std::wstring& path, std::span<const uint8_t> bytes);

// The temporary name SaveWholeFile writes to before renaming.
std::wstring TemporarySavePath(const std::wstring& path);
