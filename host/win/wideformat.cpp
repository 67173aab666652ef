#include "wideformat.h"

#include <cwchar>
#include <vector>

namespace pelvarhost {
namespace {
constexpr size_t kFirstRoom = 256;
// Beyond this the text is taken to be unformattable (vswprintf fails for an encoding error
// as it does for want of room, and says nothing of the room it needs).
constexpr size_t kMaxFormattedChars = size_t{1} << 24;
}  // namespace

std::wstring FormatWideV(const wchar_t* format, va_list args) {
  if (format == nullptr) return {};
  std::vector<wchar_t> room(kFirstRoom);
  while (true) {
    va_list copy;
    va_copy(copy, args);
    const int n = std::vswprintf(room.data(), room.size(), format, copy);
    va_end(copy);
    if (n >= 0 && static_cast<size_t>(n) < room.size()) return std::wstring(room.data(), static_cast<size_t>(n));
    if (room.size() >= kMaxFormattedChars) return std::wstring(format);
    room.resize(room.size() * 4);
  }
}

std::wstring FormatWide(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = FormatWideV(format, args);
  va_end(args);
  return text;
}

}  // namespace pelvarhost
