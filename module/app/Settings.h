// The user's settings in the registry key HKCU\Software\Pelvar. Failures are silent:
// readers fall back, the writer returns false.
#pragma once
#include <cstdint>
#include <string>

inline constexpr const wchar_t* kSettingsKey = L"Software\\Pelvar";
inline constexpr const wchar_t* kDefaultClassMaskValue = L"DefaultClassMask";
inline constexpr const wchar_t* kLocalEptRootValue = L"LocalEptRoot";
// Longest mirror folder kept, in characters (a 1024-byte buffer of UTF-16 with its NUL).
inline constexpr size_t kLocalEptRootMaxChars = 511;

// The class mask new clouds start with: the stored 4-byte REG_DWORD, else the fallback.
uint32_t ReadDefaultClassMask(uint32_t fallback);
// Stores the mask as REG_DWORD, creating the key when missing; true when stored.
bool WriteDefaultClassMask(uint32_t mask);
// The local mirror folder (REG_SZ) as stored, or empty when absent, of another type or
// longer than kLocalEptRootMaxChars.
std::wstring ReadLocalEptRoot();
// Stores the mirror folder as REG_SZ (its terminator counted), creating the key when
// missing; true when stored.
bool WriteLocalEptRoot(const std::wstring& root);
