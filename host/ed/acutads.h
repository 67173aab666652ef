// Command-line output of the host.
#pragma once
#include <cwchar>

typedef wchar_t ACHAR;

// printf-style output to the command line with wide formatting (%ls for wide strings).
// "\n" starts a new line; "\r" returns to the start of the current line.
int acutPrintf(const ACHAR* format, ...);
