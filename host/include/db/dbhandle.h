// A database handle: a 64-bit number unique within one drawing and kept across save/open.
#pragma once
#include <string>
#include "adesk.h"

class AcDbHandle {
 public:
  AcDbHandle() = default;
  AcDbHandle(Adesk::UInt64 value) : m_value(value) {}  // NOLINT: implicit like the host's
  explicit AcDbHandle(const wchar_t* hexText);

  bool isNull() const { return m_value == 0; }
  void setNull() { m_value = 0; }
  Adesk::UInt64 value() const { return m_value; }
  operator Adesk::UInt64() const { return m_value; }  // NOLINT
  AcDbHandle& operator++() { ++m_value; return *this; }
  AcDbHandle operator+(Adesk::UInt64 n) const { return AcDbHandle(m_value + n); }
  bool operator==(const AcDbHandle& other) const { return m_value == other.m_value; }
  bool operator!=(const AcDbHandle& other) const { return m_value != other.m_value; }
  bool operator<(const AcDbHandle& other) const { return m_value < other.m_value; }

  // Upper-case hexadecimal without leading zeros ("0" for the null handle).
  bool getIntoAsciiBuffer(wchar_t* buffer, size_t bufferLength) const;
  std::wstring toString() const;

 private:
  Adesk::UInt64 m_value = 0;
};
