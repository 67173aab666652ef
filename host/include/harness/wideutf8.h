// UTF-8 <-> wide text conversion of the host, for the host itself and for tests that
// compare the host's wide texts with files and output in UTF-8.
#pragma once
#include <string>
#include <string_view>

namespace pelvarhost {
// UTF-8 <-> wide (UTF-32 on this platform). Invalid UTF-8 bytes become U+FFFD.
std::string WideToUtf8(std::wstring_view text);
std::wstring Utf8ToWide(std::string_view text);
}  // namespace pelvarhost
