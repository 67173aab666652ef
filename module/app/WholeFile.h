// Writing a file whole or not at all: the bytes go to a temporary file beside the target,
// every write and the close are checked, and only then is the temporary file renamed.
#pragma once
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

// The temporary file's name for a target: the target's name with this appended.
inline constexpr wchar_t kTemporarySuffix[] = L".partial";

enum class RenameOutcome { kDone, kNameTaken, kFailed };

// Writes the bytes to the temporary file of `path`. Its name, or empty (nothing left
// behind) when the file cannot be created or a write or the close fails.
std::wstring WriteTemporaryFile(const std::wstring& path, std::span<const std::uint8_t> bytes);

// Renames the temporary file to `path`. With `replace` off a file already at `path` is
// left alone and kNameTaken returned (the temporary file stays for another name); on
// kFailed the temporary file is removed.
RenameOutcome CommitTemporaryFile(const std::wstring& temporary, const std::wstring& path, bool replace);

// Both steps, replacing any file at `path`; false (nothing left behind) on any failure.
bool WriteWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes);

// Both steps, never replacing a file at `path`: false (nothing left behind) on any failure or
// when `path` has been taken meanwhile.
bool WriteNewWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes);

// Writes the bytes whole under the first of the names nameFor(1), nameFor(2), ... (at most
// `maxNames` tried) that no file has yet, so that no earlier file is replaced. The path
// written, or empty with `failedPath` set to the path that could not be written (nothing is
// left behind).
std::wstring WriteUnderFirstFreeName(const std::function<std::wstring(int)>& nameFor, int maxNames,
                                     std::span<const std::uint8_t> bytes, std::wstring& failedPath);

// Reads the whole file; false (bytes empty) when it cannot be opened or read, is empty or
// holds more than `maxBytes`.
bool ReadWholeFileBytes(const std::wstring& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes);
