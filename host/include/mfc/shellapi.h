// Stand-in for the shell: opening a document or a web address with its program.
#pragma once
#include "windows.h"

// Opens file (a path or a web address) with the desktop's program for it; the result is
// above 32 on success, as the shell's.
HINSTANCE ShellExecuteW(HWND window, LPCWSTR operation, LPCWSTR file, LPCWSTR parameters, LPCWSTR directory,
                        INT showCommand);
