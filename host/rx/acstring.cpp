#include "acstring.h"

#include <cwctype>

int AcString::compareNoCase(const ACHAR* other) const {
  const wchar_t* a = m_text.c_str();
  const wchar_t* b = other != nullptr ? other : L"";
  for (;; ++a, ++b) {
    wint_t ca = std::towlower(static_cast<wint_t>(*a));
    wint_t cb = std::towlower(static_cast<wint_t>(*b));
    if (ca != cb) return ca < cb ? -1 : 1;
    if (*a == 0) return 0;
  }
}
