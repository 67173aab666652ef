// The C runtime's case-insensitive comparisons and the UTF-8 conversion of the Windows
// stand-in, as a module calls them.
#include <gtest/gtest.h>

#include <string>

#include "windows.h"

namespace {

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

TEST(CaseInsensitiveCompare, FoldsUnicodeCaseAndOrdersLikeWcscmp) {
  EXPECT_EQ(_wcsicmp(L"Surface", L"SURFACE"), 0);
  EXPECT_EQ(_wcsicmp(L"Gr\u00e9ve", L"GR\u00c9VE"), 0);  // beyond ASCII in the "C" locale too
  EXPECT_EQ(_wcsicmp(L"\u03a3\u03b9\u03b3\u03bc\u03b1", L"\u03c3\u0399\u0393\u039c\u0391"), 0);
  EXPECT_NE(_wcsicmp(L"\u00e9", L"e"), 0);
  EXPECT_EQ(Sign(_wcsicmp(L"abc", L"ABD")), -1);
  EXPECT_EQ(Sign(_wcsicmp(L"abcd", L"ABC")), 1);
  EXPECT_EQ(Sign(_wcsicmp(L"", L"a")), -1);
  EXPECT_EQ(_wcsnicmp(L"PelvarX", L"pelvarY", 6), 0);
  EXPECT_NE(_wcsnicmp(L"PelvarX", L"pelvarY", 7), 0);
  EXPECT_EQ(_wcsicmp(nullptr, L"a"), _NLSCMPERROR);
}

TEST(MultiByteToWideChar, ConvertsUtf8WithTheWindowsLengthRules) {
  const char* text = "Gr\xc3\xa9ve \xe2\x82\xac";  // "Gréve €"
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0), 8);  // with the terminator
  wchar_t buffer[8];
  ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer, 8), 8);
  EXPECT_EQ(std::wstring(buffer), L"Gr\u00e9ve \u20ac");
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, 2, buffer, 8), 2);  // a counted prefix, no terminator
  EXPECT_EQ(std::wstring(buffer, 2), L"Gr");

  SetLastError(ERROR_SUCCESS);
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, buffer, 7), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(MultiByteToWideChar(1252, 0, text, -1, buffer, 8), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, "\xff", 1, buffer, 8), 1);  // invalid byte
  EXPECT_EQ(buffer[0], L'\ufffd');
}

}  // namespace
