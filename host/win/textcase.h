// The host's one comparison of names ignoring case (commands, keywords, registry keys,
// modules, civil object names): the CRT stand-in's case folding over string views.
#pragma once
#include <string>
#include <string_view>

namespace pelvarhost {
bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b);
// The text in the one case SameTextIgnoringCase compares in (equal folded texts compare same).
std::wstring FoldedText(std::wstring_view text);
}  // namespace pelvarhost
