// Wide-character file helpers standing in for the Windows C runtime. Paths are wide
// strings; the file system speaks UTF-8.
#pragma once
#include <cstdio>

typedef int errno_t;

// Opens a file named by a wide path; the mode is as for fopen ("rb", "wb", ...).
// Returns 0 and sets *file on success, the errno value otherwise (*file is then null).
errno_t _wfopen_s(FILE** file, const wchar_t* path, const wchar_t* mode);

// 64-bit file positions, as the Windows runtime names them.
int _fseeki64(FILE* file, long long offset, int origin);
long long _ftelli64(FILE* file);

// Compares two texts ignoring case (Unicode simple case mapping, the same in every locale):
// negative, 0 or positive as for wcscmp. _wcsnicmp compares at most `count` characters.
// A null argument returns _NLSCMPERROR.
#define _NLSCMPERROR 2147483647
int _wcsicmp(const wchar_t* a, const wchar_t* b);
int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count);
