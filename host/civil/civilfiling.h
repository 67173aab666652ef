// Filing helpers shared by the civil model's objects.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dbfiler.h"

namespace pelvarhost::civil {

// Every civil record starts with its version; a newer one stays a proxy.
inline constexpr Adesk::UInt16 kCivilRecordVersion = 1;

Acad::ErrorStatus ReadRecordVersion(AcDbDwgFiler* filer);
Acad::ErrorStatus ReadWide(AcDbDwgFiler* filer, std::wstring& value);
// A point list: its count, then the points. A count beyond what the record holds ends
// in the filer's error, never in a huge allocation.
Acad::ErrorStatus ReadPoints(AcDbDwgFiler* filer, std::vector<AcGePoint3d>& points);
void WritePoints(AcDbDwgFiler* filer, const std::vector<AcGePoint3d>& points);

}  // namespace pelvarhost::civil
