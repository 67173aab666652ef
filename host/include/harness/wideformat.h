// printf-style wide formatting into a string that grows until the whole text fits, for the
// host's own texts (the module has AcString::format): nothing is cut short or overrun, and
// a huge number is printed in full.
#pragma once
#include <cstdarg>
#include <string>

namespace pelvarhost {
std::wstring FormatWide(const wchar_t* format, ...);
std::wstring FormatWideV(const wchar_t* format, va_list args);
}  // namespace pelvarhost
