// Writing a file whole or not at all, through the host's whole-file writer: the bytes go to
// a temporary file beside the target (removed by a later write if the writer is killed),
// every write is checked and flushed, and only then is the file renamed to the target.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Writes the file, replacing any file at `path`; false (nothing left behind) on any failure.
bool WriteWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes);

// Writes the file without replacing one: false (nothing left behind) on any failure or
// when `path` is taken.
bool WriteNewWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes);

// Writes the bytes once as a new file at the first of `paths` (all in one folder) not taken:
// its index, or -1 (nothing left behind) on a failure or when every name is taken, with
// `failed` then the first path.
int WriteFirstFreeFile(const std::vector<std::wstring>& paths, std::span<const std::uint8_t> bytes,
                       std::wstring& failed);
