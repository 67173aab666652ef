#include "civilfiling.h"

#include <algorithm>

namespace pelvarhost::civil {

Acad::ErrorStatus ReadRecordVersion(AcDbDwgFiler* filer) {
  Adesk::UInt16 version = 0;
  if (Acad::ErrorStatus status = filer->readUInt16(&version); status != Acad::eOk) return status;
  if (version > kCivilRecordVersion) return Acad::eMakeMeProxy;
  return version == 0 ? Acad::eInvalidInput : Acad::eOk;
}

Acad::ErrorStatus ReadWide(AcDbDwgFiler* filer, std::wstring& value) {
  AcString text;
  Acad::ErrorStatus status = filer->readString(text);
  value = text.str();
  return status;
}

Acad::ErrorStatus ReadPoints(AcDbDwgFiler* filer, std::vector<AcGePoint3d>& points) {
  constexpr Adesk::UInt64 kReserveLimit = 1 << 20;
  points.clear();
  Adesk::UInt64 count = 0;
  if (Acad::ErrorStatus status = filer->readUInt64(&count); status != Acad::eOk) return status;
  points.reserve(static_cast<std::size_t>(std::min(count, kReserveLimit)));
  for (Adesk::UInt64 i = 0; i < count; ++i) {
    AcGePoint3d point;
    if (Acad::ErrorStatus status = filer->readPoint3d(&point); status != Acad::eOk) {
      points.clear();
      return status;
    }
    points.push_back(point);
  }
  return Acad::eOk;
}

void WritePoints(AcDbDwgFiler* filer, const std::vector<AcGePoint3d>& points) {
  filer->writeUInt64(points.size());
  for (const AcGePoint3d& point : points) filer->writePoint3d(point);
}

}  // namespace pelvarhost::civil
