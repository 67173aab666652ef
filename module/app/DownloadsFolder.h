// The user's Downloads folder, where fetched clouds are written and the attach prompt opens.
#pragma once
#include <string>

// The folder from the shell, with a folder separator appended, or empty when the shell
// cannot name it.
std::wstring DownloadsFolderWithSeparator();
