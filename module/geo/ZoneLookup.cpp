// Lookups in the zone table: linear scans from the first row, first match wins.
#include <cwchar>

#include "geo/StatePlaneZone.h"

const StatePlaneZone* FindZoneByEpsg(std::uint32_t epsg) {
    for (const StatePlaneZone& zone : kStatePlaneZones) {
        if (zone.epsg == epsg) return &zone;
    }
    return nullptr;
}

const StatePlaneZone* FindZoneByCivilCode(const wchar_t* civilCode) {
    if (civilCode == nullptr) return nullptr;
    for (std::size_t i = 0; i < kCivil3dZoneCount; ++i) {
        if (std::wcscmp(kStatePlaneZones[i].civilCode, civilCode) == 0) return &kStatePlaneZones[i];
    }
    return nullptr;
}
