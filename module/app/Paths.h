// How the module joins folder and file names on this platform.
#pragma once

// The folder separator (a backslash on Windows).
inline constexpr wchar_t kFolderSeparator = L'/';
