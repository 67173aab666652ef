// Visual themes. This host draws controls in its own style; the theme names are kept.
#pragma once
#include "windows.h"

HRESULT SetWindowTheme(HWND window, LPCWSTR subAppName, LPCWSTR subIdList);
