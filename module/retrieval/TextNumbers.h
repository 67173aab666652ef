// Numbers read from outside text (the survey index, EPT JSON) in the C locale whatever the
// program's locale, with overflow reported instead of undefined.
#pragma once
#include <charconv>
#include <string_view>
#include <system_error>

// Reads a number at the start of `text` (an optional '+' or '-' sign, then digits; for
// floating types also a fraction, an exponent, "inf" or "nan"). Returns the count of
// characters used, or 0 when none form a number or the value does not fit the type.
template <typename Number>
size_t ReadLeadingNumber(std::string_view text, Number& value) {
  size_t sign = !text.empty() && text[0] == '+' ? 1 : 0;
  if (sign == 1 && text.size() > 1 && text[1] == '-') return 0;
  const char* begin = text.data() + sign;
  const char* end = text.data() + text.size();
  std::from_chars_result result{};
  if constexpr (std::is_floating_point_v<Number>)
    result = std::from_chars(begin, end, value, std::chars_format::general);
  else
    result = std::from_chars(begin, end, value, 10);
  if (result.ec != std::errc()) return 0;
  return static_cast<size_t>(result.ptr - text.data());
}

inline bool IsTextSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// `text` without its leading white space.
inline std::string_view SkipSpace(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsTextSpace(text[i])) ++i;
  return text.substr(i);
}
