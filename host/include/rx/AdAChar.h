// The host's character type: every text the host sees is a wide string.
#pragma once
#include <cwchar>

typedef wchar_t ACHAR;

#ifndef ACRX_T
#define ACRX_T(text) L##text
#endif
