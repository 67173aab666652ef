#include "acstring.h"

#include "wcrt.h"
#include "wideformat.h"

int AcString::compareNoCase(const ACHAR* other) const {
  const int order = _wcsicmp(m_text.c_str(), other != nullptr ? other : L"");
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

AcString& AcString::format(const ACHAR* pszFormat, ...) {
  va_list args;
  va_start(args, pszFormat);
  formatV(pszFormat, args);
  va_end(args);
  return *this;
}

AcString& AcString::formatV(const ACHAR* pszFormat, va_list args) {
  m_text = pelvarhost::FormatWideV(pszFormat, args);
  return *this;
}
