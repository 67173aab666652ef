// The host's one comparison of names ignoring case (commands, keywords, registry keys,
// modules, civil object names): the CRT stand-in's case folding over string views.
#pragma once
#include <string_view>

namespace pelvarhost {
bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b);
}  // namespace pelvarhost
