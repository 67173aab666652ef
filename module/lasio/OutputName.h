// The name of a file a command writes from a cloud, asked for with the host's file prompt.
#pragma once
#include <string>

#include "adsdef.h"

// Asks for the file to write, suggesting the cloud file's name with its extension replaced
// by `ending` (for example "_dem.tif"); empty when the user gives none or cancels.
std::wstring AskOutputName(const std::wstring& cloudPath, const std::wstring& ending, const ACHAR* title,
                           const ACHAR* extension);
