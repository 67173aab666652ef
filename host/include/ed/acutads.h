// Command-line output and result-buffer lists of the host.
#pragma once
#include <cwchar>

#include "adsdef.h"

typedef wchar_t ACHAR;

// printf-style output to the command line with wide formatting (%ls for wide strings;
// %s is a char* string as in the C library's wide printf).
// "\n" starts a new line; "\r" returns to the start of the current line.
int acutPrintf(const ACHAR* format, ...);

// A new result buffer of the given type (strings start null, values zero).
struct resbuf* acutNewRb(int type);
// Releases a whole list, with the strings it owns.
int acutRelRb(struct resbuf* rb);
// Builds a list from (type, value) pairs ended by 0 or RTNONE: RTSTR const ACHAR*,
// RTREAL double, RTSHORT int, RTLONG int, RTPOINT/RT3DPOINT const ads_real*,
// RTENAME const ads_name, RTLB/RTLE/RTDOTE/RTNIL/RTT with no value.
struct resbuf* acutBuildList(int rtype, ...);
