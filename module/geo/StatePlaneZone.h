// The compiled-in table of supported NAD83 state-plane zones and its two lookups.
// Each row carries the zone's EPSG definition as rounded decimals; the projections in
// "geo/Projections.h" use them exactly as stored.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// Values of StatePlaneZone::kind.
inline constexpr std::int32_t kZoneTransverseMercator = 0;
inline constexpr std::int32_t kZoneLambertConic = 1;  // two standard parallels

// Lengths of the zones' linear units in metres, as stored in the table. The survey foot
// is the stored 15-digit decimal, not the exact ratio 1200/3937.
inline constexpr double kUnitMetre = 1.0;
inline constexpr double kUnitUsSurveyFoot = 0.304800609601219;
inline constexpr double kUnitInternationalFoot = 0.3048;

struct StatePlaneZone {
    std::uint32_t epsg;         // EPSG code of the projected CRS
    const wchar_t* civilCode;   // coordinate-system code as Civil 3D stores it
    std::int32_t kind;          // kZoneTransverseMercator or kZoneLambertConic
    double lat0;                // latitude of origin, degrees
    double lon0;                // central meridian, degrees, west negative
    double k0;                  // central scale factor (transverse Mercator; 1 for conics)
    double falseEasting;        // metres
    double falseNorthing;       // metres
    double stdParallel1;        // degrees (conics; 0 otherwise)
    double stdParallel2;        // degrees (conics; 0 otherwise)
    double unitMetres;          // length of the zone's unit in metres
    const wchar_t* name;        // EPSG name, printed in messages
};

inline constexpr std::size_t kStatePlaneZoneCount = 120;
extern const std::array<StatePlaneZone, kStatePlaneZoneCount> kStatePlaneZones;

// The first row with this EPSG code, or null.
const StatePlaneZone* FindZoneByEpsg(std::uint32_t epsg);

// The first row whose Civil 3D code equals `civilCode` unit for unit (case-sensitive,
// whole string), or null. A null `civilCode` finds nothing.
const StatePlaneZone* FindZoneByCivilCode(const wchar_t* civilCode);
