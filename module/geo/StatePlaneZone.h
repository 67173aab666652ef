// The compiled-in table of NAD83 state-plane zones and its two lookups.
// Each row carries the zone's EPSG definition as rounded decimals; the projections in
// "geo/Projections.h" use them exactly as stored. The table holds one row per EPSG code of
// the 1983 state-plane zones on every realisation of NAD83 (NAD83, HARN, NSRS2007, 2011,
// CORS96, PA11) in every unit EPSG publishes: first the kCivil3dZoneCount zones that carry
// their own Civil 3D codes, then the other codes in ascending order. Those later rows carry
// the Civil 3D code of the earlier row with the same zone and unit, or none (null).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

// Values of StatePlaneZone::kind.
inline constexpr std::int32_t kZoneTransverseMercator = 0;
inline constexpr std::int32_t kZoneLambertConic = 1;  // two standard parallels
inline constexpr std::int32_t kZoneHotineObliqueMercator = 2;  // variant A (Alaska zone 1)

// Lengths of the zones' linear units in metres, as stored in the table. The survey foot
// is the stored 15-digit decimal, not the exact ratio 1200/3937.
inline constexpr double kUnitMetre = 1.0;
inline constexpr double kUnitUsSurveyFoot = 0.304800609601219;
inline constexpr double kUnitInternationalFoot = 0.3048;

struct StatePlaneZone {
    std::uint32_t epsg;         // EPSG code of the projected CRS
    const wchar_t* civilCode;   // coordinate-system code as Civil 3D stores it, or null
    std::int32_t kind;          // kZoneTransverseMercator, kZoneLambertConic or kZoneHotineObliqueMercator
    double lat0;                // latitude of origin (of the projection centre for Hotine), degrees
    double lon0;                // central meridian (longitude of the projection centre for Hotine), degrees
    double k0;                  // central scale factor (on the initial line for Hotine; 1 for conics)
    double falseEasting;        // metres
    double falseNorthing;       // metres
    double stdParallel1;        // degrees (conics; 0 otherwise)
    double stdParallel2;        // degrees (conics; 0 otherwise)
    double unitMetres;          // length of the zone's unit in metres
    const wchar_t* name;        // EPSG name, printed in messages
    double azimuth = 0;             // Hotine: azimuth of the initial line at the centre, degrees
    double rectifiedGridAngle = 0;  // Hotine: angle from the rectified to the skew grid, degrees
};

// Rows in the table, and how many of them open it with their own Civil 3D codes.
inline constexpr std::size_t kStatePlaneZoneCount = 906;
inline constexpr std::size_t kCivil3dZoneCount = 120;
extern const std::array<StatePlaneZone, kStatePlaneZoneCount> kStatePlaneZones;

// The first row with this EPSG code, or null.
const StatePlaneZone* FindZoneByEpsg(std::uint32_t epsg);

// The first row whose Civil 3D code equals `civilCode` unit for unit (case-sensitive,
// whole string), or null; only the first kCivil3dZoneCount rows are searched, since every
// later code repeats one of theirs. A null `civilCode` finds nothing.
const StatePlaneZone* FindZoneByCivilCode(const wchar_t* civilCode);
