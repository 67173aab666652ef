// Wide-character file and text helpers standing in for the Windows C runtime.
// Paths and host texts are wide strings; the file system and the terminal speak UTF-8.
#pragma once
#include <cstdio>
#include <string>
#include <string_view>

typedef int errno_t;

// Opens a file named by a wide path; the mode is as for fopen ("rb", "wb", ...).
// Returns 0 and sets *file on success, the errno value otherwise (*file is then null).
errno_t _wfopen_s(FILE** file, const wchar_t* path, const wchar_t* mode);

// 64-bit file positions, as the Windows runtime names them.
int _fseeki64(FILE* file, long long offset, int origin);
long long _ftelli64(FILE* file);

namespace pelvarhost {
// UTF-8 <-> wide (UTF-32 on this platform). Invalid UTF-8 bytes become U+FFFD.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
}  // namespace pelvarhost
