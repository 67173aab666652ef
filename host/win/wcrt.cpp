#include "wcrt.h"

#include <sys/stat.h>

#include <cerrno>

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

errno_t _wfopen_s(FILE** file, const wchar_t* path, const wchar_t* mode) {
  if (file == nullptr) return EINVAL;
  *file = nullptr;
  if (path == nullptr || mode == nullptr) return EINVAL;
  std::string narrowMode = pelvarhost::WideToUtf8(mode);
  // The Windows runtime ignores its text/binary letters here; on this platform "b" is a no-op too.
  errno = 0;
  *file = std::fopen(pelvarhost::WideToUtf8(path).c_str(), narrowMode.c_str());
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
