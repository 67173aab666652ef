// Writing a file whole or not at all, through the host's whole-file writer: the bytes go to
// a temporary file beside the target (removed by a later write if the writer is killed),
// every write is checked and flushed, and only then is the file renamed to the target.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// Writes the file, replacing any file at `path`; false (nothing left behind) on any failure.
bool WriteWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes);

// Writes the file without replacing one: false (nothing left behind) on any failure or
// when `path` is taken.
bool WriteNewWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes);

// Writes the bytes whole under the first of the names nameFor(1), nameFor(2), ... (at most
// `maxNames` tried) that no file has yet, so that no earlier file is replaced. The path
// written, or empty (nothing left behind) on a failure or when every name is taken, with
// `failedPath` then the first name.
std::wstring WriteUnderFirstFreeName(const std::function<std::wstring(int)>& nameFor, int maxNames,
                                     std::span<const std::uint8_t> bytes, std::wstring& failedPath);

// Reads the whole file; false (bytes empty) when it cannot be opened or read, is empty or
// holds more than `maxBytes`.
bool ReadWholeFileBytes(const std::wstring& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes);
