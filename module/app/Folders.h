// Making sure a folder can take the files a command is about to write, before the command
// spends time on the work.
#pragma once
#include <string>

// Creates the folder and every missing parent (each with the default rights, as the
// desktop creates the user's folders); true when the folder can then be written: a probe
// file is created in it and removed again. An empty folder names the current one.
bool EnsureWritableFolder(const std::wstring& folder);
