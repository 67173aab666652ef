// Naming helpers of the Civil 3D bridge.
#pragma once
#include <string>
#include <vector>

#include "civilapi.h"

namespace pelvar::civil {

// True when `name` equals one of `names` ignoring letter case (ordinal comparison).
bool NameTaken(const std::vector<std::wstring>& names, const std::wstring& name);

// "{0} ({1})": the name, a space and n in parentheses.
std::wstring SuffixedName(const std::wstring& name, unsigned n);

// The API's string as a wide string; a null string gives an empty one.
std::wstring ToW(const System::String& text);

// The first free surface name of the active document: the base name, else "base (n)"
// for n = 2, 3, ... Any error while collecting the names gives the base name back.
std::wstring Uniquify(Autodesk::AutoCAD::DatabaseServices::Transaction& transaction, const std::wstring& baseName);

}  // namespace pelvar::civil
