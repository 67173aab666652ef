// PROJ as an independent oracle for the zone table and the projections: owning wrappers
// around a context and its objects, and the few queries the tests make.
#pragma once
#include <proj.h>

#include <cstdio>
#include <memory>
#include <string>

#include "geo/StatePlaneZone.h"

namespace geo_test {

struct ProjContextDeleter {
    void operator()(PJ_CONTEXT* ctx) const { proj_context_destroy(ctx); }
};
struct ProjObjectDeleter {
    void operator()(PJ* object) const { proj_destroy(object); }
};
using ProjContext = std::unique_ptr<PJ_CONTEXT, ProjContextDeleter>;
using ProjObject = std::unique_ptr<PJ, ProjObjectDeleter>;

inline ProjContext MakeContext() { return ProjContext(proj_context_create()); }

inline ProjObject MakeCrs(PJ_CONTEXT* ctx, unsigned epsg) {
    return ProjObject(proj_create(ctx, ("EPSG:" + std::to_string(epsg)).c_str()));
}

// A transformation from `source` to `target` with longitude first and easting first.
inline ProjObject MakeTransform(PJ_CONTEXT* ctx, const std::string& source, const std::string& target) {
    ProjObject raw(proj_create_crs_to_crs(ctx, source.c_str(), target.c_str(), nullptr));
    if (!raw) return nullptr;
    return ProjObject(proj_normalize_for_visualization(ctx, raw.get()));
}

// The conversion of an EPSG zone from its own geographic CRS (whichever NAD83 realisation it
// is based on, so no datum step), longitude first and easting first.
inline ProjObject MakeZoneTransform(PJ_CONTEXT* ctx, unsigned epsg) {
    ProjObject crs = MakeCrs(ctx, epsg);
    if (!crs) return nullptr;
    ProjObject base(proj_crs_get_geodetic_crs(ctx, crs.get()));
    if (!base) return nullptr;
    ProjObject raw(proj_create_crs_to_crs_from_pj(ctx, base.get(), crs.get(), nullptr, nullptr));
    if (!raw) return nullptr;
    return ProjObject(proj_normalize_for_visualization(ctx, raw.get()));
}

// A projection from longitude and latitude in degrees to metres, given as PROJ string
// parameters ("+proj=lcc +lat_1=40 ... +ellps=GRS80").
inline ProjObject MakeProjection(PJ_CONTEXT* ctx, const std::string& projection) {
    const std::string pipeline = "+proj=pipeline +step +proj=unitconvert +xy_in=deg +xy_out=rad +step " + projection;
    return ProjObject(proj_create(ctx, pipeline.c_str()));
}

// The PROJ parameters of a zone row exactly as stored in the table, output in metres.
inline std::string ProjParametersOf(const StatePlaneZone& zone) {
    char text[512];
    if (zone.kind == kZoneLambertConic) {
        std::snprintf(text, sizeof text,
                      "+proj=lcc +lat_0=%.17g +lon_0=%.17g +lat_1=%.17g +lat_2=%.17g +x_0=%.17g +y_0=%.17g "
                      "+ellps=GRS80 +units=m",
                      zone.lat0, zone.lon0, zone.stdParallel1, zone.stdParallel2, zone.falseEasting,
                      zone.falseNorthing);
    } else if (zone.kind == kZoneHotineObliqueMercator) {
        std::snprintf(text, sizeof text,
                      "+proj=omerc +no_uoff +lat_0=%.17g +lonc=%.17g +alpha=%.17g +gamma=%.17g +k_0=%.17g +x_0=%.17g "
                      "+y_0=%.17g +ellps=GRS80 +units=m",
                      zone.lat0, zone.lon0, zone.azimuth, zone.rectifiedGridAngle, zone.k0, zone.falseEasting,
                      zone.falseNorthing);
    } else {
        std::snprintf(text, sizeof text,
                      "+proj=tmerc +lat_0=%.17g +lon_0=%.17g +k_0=%.17g +x_0=%.17g +y_0=%.17g +ellps=GRS80 +units=m",
                      zone.lat0, zone.lon0, zone.k0, zone.falseEasting, zone.falseNorthing);
    }
    return text;
}

struct LonLatBox {
    double west = 0, south = 0, east = 0, north = 0;
};

// The area of use of an EPSG CRS; east may be less than west across the antimeridian.
inline bool AreaOfUse(PJ_CONTEXT* ctx, unsigned epsg, LonLatBox& box) {
    ProjObject crs = MakeCrs(ctx, epsg);
    return crs && proj_get_area_of_use(ctx, crs.get(), &box.west, &box.south, &box.east, &box.north, nullptr) != 0;
}

inline PJ_COORD Forward(PJ* transform, double a, double b) {
    return proj_trans(transform, PJ_FWD, proj_coord(a, b, 0, 0));
}
inline PJ_COORD Inverse(PJ* transform, double a, double b) {
    return proj_trans(transform, PJ_INV, proj_coord(a, b, 0, 0));
}

}  // namespace geo_test
