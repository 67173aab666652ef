// Zone forward and inverse: degrees and zone units outside, radians and metres from the
// false origin inside, with the projection chosen by the row's kind.
#include <cmath>
#include <limits>

#include "geo/Projections.h"
#include "geo/detail/Grs80.h"
#include "geo/detail/HotineObliqueMercator.h"
#include "geo/detail/LambertConic.h"
#include "geo/detail/TransverseMercator.h"
#include "geo/detail/ZoneConstants.h"

using namespace geo_detail;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

bool BothFinite(double a, double b) { return std::isfinite(a) && std::isfinite(b); }

// The result test: both results finite, and both inputs too, so that an infinite input
// that the arithmetic happens to carry to a finite place (a conic's pole) still fails.
bool FiniteResult(double inA, double inB, double outA, double outB) {
    return BothFinite(inA, inB) && BothFinite(outA, outB);
}

// A longitude in degrees brought into [−180, 180] when it falls outside, as it can for
// points of a zone that spans the antimeridian.
double FoldLongitude(double lon) {
    if (lon > 180.0) return lon - 360.0;
    if (lon < -180.0) return lon + 360.0;
    return lon;
}

}  // namespace

bool LonLatToZone(const StatePlaneZone& zone, double lon, double lat, double& easting, double& northing) {
    const ZoneConstants constants = ZoneConstantsFor(zone);
    const double lambda = lon * kDegree;
    const double phi = lat * kDegree;
    double x = kNaN;
    double y = kNaN;
    if (zone.kind == kZoneTransverseMercator) {
        TransverseMercatorForward(constants, lambda, phi, x, y);
    } else if (zone.kind == kZoneLambertConic) {
        LambertConicForward(constants, lambda, phi, x, y);
    } else if (zone.kind == kZoneHotineObliqueMercator) {
        HotineForward(constants, lambda, phi, x, y);
    }
    easting = (x + zone.falseEasting) / zone.unitMetres;
    northing = (y + zone.falseNorthing) / zone.unitMetres;
    return FiniteResult(lon, lat, easting, northing);
}

bool ZoneToLonLat(const StatePlaneZone& zone, double easting, double northing, double& lon, double& lat) {
    const ZoneConstants constants = ZoneConstantsFor(zone);
    const double x = zone.unitMetres * easting - zone.falseEasting;
    const double y = zone.unitMetres * northing - zone.falseNorthing;
    double lambda = kNaN;
    double phi = kNaN;
    if (zone.kind == kZoneTransverseMercator) {
        TransverseMercatorInverse(constants, x, y, lambda, phi);
    } else if (zone.kind == kZoneLambertConic) {
        LambertConicInverse(constants, x, y, lambda, phi);
    } else if (zone.kind == kZoneHotineObliqueMercator) {
        HotineInverse(constants, x, y, lambda, phi);
    }
    lon = FoldLongitude(lambda / kDegree);
    lat = phi / kDegree;
    return FiniteResult(easting, northing, lon, lat);
}

double MetresToZoneUnits(const StatePlaneZone& zone, double metres) {
    if (zone.unitMetres == kUnitMetre) return metres;
    return metres * (1.0 / zone.unitMetres);
}
