// The control panel's dark colours and section-header font.
#pragma once
#include "afxwin.h"

inline constexpr COLORREF kPanelBackground = RGB(43, 48, 58);
inline constexpr COLORREF kHeaderBackground = RGB(59, 68, 83);
inline constexpr COLORREF kEditBackground = RGB(30, 34, 42);
inline constexpr COLORREF kNormalText = RGB(214, 219, 226);
inline constexpr COLORREF kHeaderText = RGB(230, 234, 240);
inline constexpr COLORREF kFrameColour = RGB(84, 94, 108);
inline constexpr COLORREF kAccentColour = RGB(79, 193, 199);
inline constexpr COLORREF kButtonFace = RGB(52, 59, 70);
inline constexpr COLORREF kPressedButtonFace = RGB(46, 52, 64);

inline constexpr const wchar_t* kHeaderFontFace = L"Segoe UI";
inline constexpr int kHeaderFontHeight = -13;
inline constexpr int kHeaderFontWeight = 600;
