// Wide-character file helpers standing in for the Windows C runtime. Paths are wide
// strings; the file system speaks UTF-8.
#pragma once
#include <cstdio>

typedef int errno_t;

// Opens a file named by a wide path; the mode is as for fopen ("rb", "wb", ...).
// Returns 0 and sets *file on success, the errno value otherwise (*file is then null).
// A file opened for reading only must be a regular file (a FIFO or device is EINVAL).
errno_t _wfopen_s(FILE** file, const wchar_t* path, const wchar_t* mode);

// Whole-file writing, the host's one way of writing files: the bytes go to a temporary
// file beside the target (one that a killed writer leaves is removed by the next write to
// that folder), are checked and flushed to disk, and only then renamed to the target; a
// link is written through, a file's mode kept.
// Writes the file at `path`, replacing what is there: 0, or the errno value of the failure
// (the old file is then untouched).
errno_t pvWriteWholeFileW(const wchar_t* path, const void* data, size_t size);
// Writes the bytes once as a new file at the first of `count` paths not taken (a file there
// is never replaced): 0 with its index in *chosen; EEXIST when every name is taken; or the
// errno value of the failure. Nothing is left behind on failure.
errno_t pvWriteNewFileW(const wchar_t* const* paths, size_t count, const void* data, size_t size, size_t* chosen);

// 64-bit file positions, as the Windows runtime names them.
int _fseeki64(FILE* file, long long offset, int origin);
long long _ftelli64(FILE* file);

// Compares two texts ignoring case (Unicode simple case mapping, the same in every locale):
// negative, 0 or positive as for wcscmp. _wcsnicmp compares at most `count` characters.
// A null argument returns _NLSCMPERROR.
#define _NLSCMPERROR 2147483647
int _wcsicmp(const wchar_t* a, const wchar_t* b);
int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count);
