#include "wcrt.h"
#include "hostfiles.h"
#include "textcase.h"
#include "wideutf8.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdint>
#include <cwctype>
#include <limits>

namespace pelvarhost {

std::string WideToUtf8(std::wstring_view text) {
  std::string out;
  out.reserve(text.size());
  for (wchar_t wc : text) {
    auto c = static_cast<char32_t>(wc);
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

namespace {
// Length of the sequence a lead byte opens, or 0 for a byte that cannot lead.
int SequenceLength(unsigned char lead) {
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}
}  // namespace

std::wstring Utf8ToWide(std::string_view text) {
  std::wstring out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    auto lead = static_cast<unsigned char>(text[i]);
    int len = SequenceLength(lead);
    if (len == 0 || i + len > text.size()) {
      out.push_back(L'\uFFFD');
      ++i;
      continue;
    }
    char32_t c = len == 1 ? lead : (lead & (0xFF >> (len + 1)));
    bool ok = true;
    for (int k = 1; k < len; ++k) {
      auto b = static_cast<unsigned char>(text[i + k]);
      if ((b & 0xC0) != 0x80) { ok = false; break; }
      c = (c << 6) | (b & 0x3F);
    }
    bool overlong = (len == 3 && c < 0x800) || (len == 4 && c < 0x10000);
    if (!ok || overlong || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      out.push_back(L'\uFFFD');
      ++i;
      continue;
    }
    out.push_back(static_cast<wchar_t>(c));
    i += len;
  }
  return out;
}

}  // namespace pelvarhost

namespace {

// Reading opens regular files only; a folder is refused as Windows refuses it.
errno_t OpenForReading(FILE** file, const std::string& path) {
  std::string why;
  const int fd = pelvarhost::OpenRegularFile(path, std::numeric_limits<std::uint64_t>::max(), nullptr, why);
  if (fd < 0) return errno == EISDIR ? EACCES : errno;
  *file = ::fdopen(fd, "rb");
  if (*file != nullptr) return 0;
  const int error = errno;
  ::close(fd);
  return error;
}

}  // namespace

errno_t _wfopen_s(FILE** file, const wchar_t* path, const wchar_t* mode) {
  if (file == nullptr) return EINVAL;
  *file = nullptr;
  if (path == nullptr || mode == nullptr) return EINVAL;
  std::string narrowMode = pelvarhost::WideToUtf8(mode);
  const std::string narrowPath = pelvarhost::WideToUtf8(path);
  if (narrowMode.starts_with('r') && narrowMode.find('+') == std::string::npos) return OpenForReading(file, narrowPath);
  // The Windows runtime ignores its text/binary letters here; on this platform "b" is a no-op too.
  errno = 0;
  *file = std::fopen(narrowPath.c_str(), narrowMode.c_str());
  if (*file == nullptr) return errno != 0 ? errno : ENOENT;
  // Windows refuses to open a folder as a file; this platform's fopen does not.
  struct stat info {};
  if (fstat(fileno(*file), &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fclose(*file);
    *file = nullptr;
    return EACCES;
  }
  return 0;
}

int _fseeki64(FILE* file, long long offset, int origin) { return fseeko(file, static_cast<off_t>(offset), origin); }

long long _ftelli64(FILE* file) { return static_cast<long long>(ftello(file)); }

namespace {

// One character's upper case by the Unicode simple case mapping, through a locale of our
// own so that comparisons do not change with the process's locale ("C" folds ASCII only).
wint_t UpperCase(wchar_t c) {
  static const locale_t folding = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
  if (folding != static_cast<locale_t>(0)) return towupper_l(static_cast<wint_t>(c), folding);
  return c >= L'a' && c <= L'z' ? static_cast<wint_t>(c - L'a' + L'A') : static_cast<wint_t>(c);
}

}  // namespace

int _wcsnicmp(const wchar_t* a, const wchar_t* b, size_t count) {
  if (a == nullptr || b == nullptr) return _NLSCMPERROR;
  for (size_t i = 0; i < count; ++i) {
    const wint_t ca = UpperCase(a[i]);
    const wint_t cb = UpperCase(b[i]);
    if (ca != cb) return ca < cb ? -1 : 1;
    if (a[i] == L'\0') return 0;
  }
  return 0;
}

int _wcsicmp(const wchar_t* a, const wchar_t* b) { return _wcsnicmp(a, b, SIZE_MAX); }

namespace pelvarhost {

bool SameTextIgnoringCase(std::wstring_view a, std::wstring_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (UpperCase(a[i]) != UpperCase(b[i])) return false;
  return true;
}

std::wstring FoldedText(std::wstring_view text) {
  std::wstring folded(text);
  for (wchar_t& c : folded) c = static_cast<wchar_t>(UpperCase(c));
  return folded;
}

}  // namespace pelvarhost
