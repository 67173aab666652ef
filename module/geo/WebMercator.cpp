// Spherical Web Mercator (EPSG:3857) on a sphere of the GRS80 semi-major axis.
#include <cmath>

#include "geo/Projections.h"
#include "geo/detail/Grs80.h"

using namespace geo_detail;

void LonLatToWebMercator(double lon, double lat, double& x, double& y) {
    x = lon * kDegree * kSemiMajorAxis;
    y = std::log(std::tan(lat * kDegree * 0.5 + kQuarterPi)) * kSemiMajorAxis;
}

void WebMercatorToLonLat(double x, double y, double& lon, double& lat) {
    lon = (x / kSemiMajorAxis) / kDegree;
    lat = (2.0 * std::atan(std::exp(y / kSemiMajorAxis)) - kHalfPi) / kDegree;
}
