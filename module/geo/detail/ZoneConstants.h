// Per-zone quantities derived from a StatePlaneZone row that every projection call of the
// zone needs. They are a pure function of the row; rows of kStatePlaneZones have theirs
// computed once and reused, which gives the same bits as computing them per call.
#pragma once
#include "geo/StatePlaneZone.h"

namespace geo_detail {

struct ZoneConstants {
    double lambda0 = 0;           // central meridian, radians
    double phi0 = 0;              // latitude of origin, radians
    double k0 = 1;                // central scale factor (transverse Mercator)
    double meridianAtOrigin = 0;  // meridian distance of the latitude of origin (transverse Mercator)
    double n = 0;                 // cone constant (conic)
    double aF = 0;                // a·m(φ1) / (n·t(φ1)ⁿ) (conic)
    double rho0 = 0;              // radius of the latitude of origin (conic)
    double hotineB = 0;           // B, A and H of the Hotine oblique Mercator
    double hotineA = 0;
    double hotineH = 0;
    double sinGamma0 = 0;         // the initial line's azimuth at the natural origin
    double cosGamma0 = 0;
    double sinGammaC = 0;         // the angle from the rectified to the skew grid
    double cosGammaC = 0;
};

// Computes the constants of `zone` from its row.
ZoneConstants DeriveZoneConstants(const StatePlaneZone& zone);

// The constants of `zone`: cached when it is a row of kStatePlaneZones, derived otherwise.
ZoneConstants ZoneConstantsFor(const StatePlaneZone& zone);

}  // namespace geo_detail
