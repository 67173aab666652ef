// Writing a file whole or not at all: the bytes go to a temporary file beside the target,
// every write and the close are checked, and only then is the temporary file renamed.
#pragma once
#include <cstdint>
#include <span>
#include <string>

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
