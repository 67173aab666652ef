// The host's wide string class (a thin value wrapper).
#pragma once
#include <cstdarg>
#include <string>
#include "AdAChar.h"

class AcString {
 public:
  AcString() = default;
  AcString(const ACHAR* text) : m_text(text != nullptr ? text : L"") {}  // NOLINT: implicit like the host's
  AcString(const std::wstring& text) : m_text(text) {}                    // NOLINT

  const ACHAR* kwszPtr() const { return m_text.c_str(); }
  const ACHAR* constPtr() const { return m_text.c_str(); }
  operator const ACHAR*() const { return m_text.c_str(); }  // NOLINT
  const std::wstring& str() const { return m_text; }

  bool isEmpty() const { return m_text.empty(); }
  unsigned length() const { return static_cast<unsigned>(m_text.size()); }
  AcString& setEmpty() { m_text.clear(); return *this; }
  // 0 when equal ignoring case, negative or positive like wcscmp otherwise.
  int compareNoCase(const ACHAR* other) const;
  // Replaces the text with the swprintf-style formatting of the arguments, whatever its
  // length (no fixed buffer: a huge number is printed in full, a long name whole).
  AcString& format(const ACHAR* pszFormat, ...);
  AcString& formatV(const ACHAR* pszFormat, va_list args);

  AcString& operator+=(const AcString& other) { m_text += other.m_text; return *this; }
  AcString operator+(const AcString& other) const { return AcString(m_text + other.m_text); }
  bool operator==(const AcString& other) const { return m_text == other.m_text; }
  bool operator!=(const AcString& other) const { return m_text != other.m_text; }
  bool operator==(const ACHAR* other) const { return m_text == (other != nullptr ? other : L""); }

 private:
  std::wstring m_text;
};
