#include "acstring.h"

#include "wcrt.h"

int AcString::compareNoCase(const ACHAR* other) const {
  const int order = _wcsicmp(m_text.c_str(), other != nullptr ? other : L"");
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}
