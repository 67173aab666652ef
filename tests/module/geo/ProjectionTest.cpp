// Properties of the projections that need no oracle: origins, symmetry of the standard
// parallels, caching that leaves results unchanged, result tests and unit handling.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "geo/Projections.h"

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

const StatePlaneZone& Zone(std::uint32_t epsg) {
    const StatePlaneZone* zone = FindZoneByEpsg(epsg);
    EXPECT_NE(zone, nullptr) << epsg;
    return zone ? *zone : kStatePlaneZones[0];
}

TEST(ZoneOrigin, TransverseMercatorOriginGivesExactlyTheFalseOrigin) {
    for (const StatePlaneZone& zone : kStatePlaneZones) {
        if (zone.kind != kZoneTransverseMercator) continue;
        double easting = 0, northing = 0;
        ASSERT_TRUE(LonLatToZone(zone, zone.lon0, zone.lat0, easting, northing));
        EXPECT_EQ(easting, zone.falseEasting / zone.unitMetres) << zone.epsg;
        EXPECT_EQ(northing, zone.falseNorthing / zone.unitMetres) << zone.epsg;
    }
}

TEST(ZoneOrigin, ConicOriginGivesTheFalseOriginToAMicrometre) {
    for (const StatePlaneZone& zone : kStatePlaneZones) {
        if (zone.kind != kZoneLambertConic) continue;
        double easting = 0, northing = 0;
        ASSERT_TRUE(LonLatToZone(zone, zone.lon0, zone.lat0, easting, northing));
        EXPECT_NEAR(easting * zone.unitMetres, zone.falseEasting, 1e-6) << zone.epsg;
        EXPECT_NEAR(northing * zone.unitMetres, zone.falseNorthing, 1e-6) << zone.epsg;
    }
}

TEST(ConicParallels, OrderOfTheStandardParallelsDoesNotMatter) {
    // Kentucky North lists its parallels south first, most rows north first.
    for (const std::uint32_t epsg : {2246u, 3418u}) {
        const StatePlaneZone& zone = Zone(epsg);
        StatePlaneZone swapped = zone;
        std::swap(swapped.stdParallel1, swapped.stdParallel2);
        for (const double dLat : {-1.0, 0.0, 1.5}) {
            const double lon = zone.lon0 + 1.25, lat = zone.lat0 + dLat;
            double e1 = 0, n1 = 0, e2 = 0, n2 = 0;
            ASSERT_TRUE(LonLatToZone(zone, lon, lat, e1, n1));
            ASSERT_TRUE(LonLatToZone(swapped, lon, lat, e2, n2));
            EXPECT_NEAR(e1, e2, 1e-6) << epsg;
            EXPECT_NEAR(n1, n2, 1e-6) << epsg;
            double lonBack = 0, latBack = 0;
            ASSERT_TRUE(ZoneToLonLat(swapped, e1, n1, lonBack, latBack));
            EXPECT_NEAR(lonBack, lon, 1e-10) << epsg;
            EXPECT_NEAR(latBack, lat, 1e-10) << epsg;
        }
    }
}

TEST(ZoneCaching, ACopiedRowGivesBitIdenticalResults) {
    // Table rows use cached constants, a copy derives them afresh: the bits must agree.
    for (const StatePlaneZone& zone : kStatePlaneZones) {
        const StatePlaneZone copy = zone;
        const double lon = zone.lon0 + 0.7, lat = zone.lat0 + 1.3;
        double e1 = 0, n1 = 0, e2 = 0, n2 = 0;
        LonLatToZone(zone, lon, lat, e1, n1);
        LonLatToZone(copy, lon, lat, e2, n2);
        EXPECT_EQ(e1, e2) << zone.epsg;
        EXPECT_EQ(n1, n2) << zone.epsg;
        double lonA = 0, latA = 0, lonB = 0, latB = 0;
        ZoneToLonLat(zone, e1, n1, lonA, latA);
        ZoneToLonLat(copy, e1, n1, lonB, latB);
        EXPECT_EQ(lonA, lonB) << zone.epsg;
        EXPECT_EQ(latA, latB) << zone.epsg;
    }
}

TEST(ZoneResultTest, NonFiniteInputIsReportedWithOutputsWritten) {
    for (const std::uint32_t epsg : {2240u, 3418u}) {
        const StatePlaneZone& zone = Zone(epsg);
        double a = 1, b = 1;
        EXPECT_FALSE(LonLatToZone(zone, kNaN, 33.0, a, b)) << epsg;
        EXPECT_TRUE(std::isnan(a)) << epsg;
        // An infinite northing reaches a conic's pole with finite arithmetic: still a failure.
        a = b = 12345;
        EXPECT_FALSE(ZoneToLonLat(zone, 2000000.0, kInf, a, b)) << epsg;
        EXPECT_NE(b, 12345) << epsg;
    }
}

TEST(ZoneResultTest, UnknownProjectionKindFails) {
    StatePlaneZone zone = Zone(2240);
    zone.kind = 7;
    double a = 0, b = 0;
    EXPECT_FALSE(LonLatToZone(zone, -84.0, 33.0, a, b));
    EXPECT_FALSE(ZoneToLonLat(zone, 2000000.0, 1000000.0, a, b));
}

TEST(ZoneUnits, SameMetresInEveryUnit) {
    // Michigan North in international feet: a point's easting in feet times 0.3048 is the
    // metric offset from the false origin plus the false easting.
    const StatePlaneZone& feet = Zone(2251);
    StatePlaneZone metres = feet;
    metres.unitMetres = 1.0;
    double eFeet = 0, nFeet = 0, eMetres = 0, nMetres = 0;
    ASSERT_TRUE(LonLatToZone(feet, -86.0, 46.0, eFeet, nFeet));
    ASSERT_TRUE(LonLatToZone(metres, -86.0, 46.0, eMetres, nMetres));
    EXPECT_NEAR(eFeet * 0.3048, eMetres, 1e-8);
    EXPECT_NEAR(nFeet * 0.3048, nMetres, 1e-8);
}

TEST(ZoneUnits, HeightsFollowTheZoneUnit) {
    EXPECT_EQ(MetresToZoneUnits(Zone(26961), 123.456), 123.456);
    EXPECT_DOUBLE_EQ(MetresToZoneUnits(Zone(2240), 0.304800609601219 * 1000.0), 1000.0);
    EXPECT_EQ(MetresToZoneUnits(Zone(2240), 10.0), 10.0 * (1.0 / 0.304800609601219));
    EXPECT_DOUBLE_EQ(MetresToZoneUnits(Zone(2251), 3.048), 10.0);
}

TEST(ZoneInverse, LongitudesComeBackWithinHalfATurn) {
    const StatePlaneZone& aleutians = Zone(26940);
    double easting = 0, northing = 0, lon = 0, lat = 0;
    ASSERT_TRUE(LonLatToZone(aleutians, 175.0, 52.0, easting, northing));
    ASSERT_TRUE(ZoneToLonLat(aleutians, easting, northing, lon, lat));
    EXPECT_NEAR(lon, 175.0, 1e-9);
    EXPECT_NEAR(lat, 52.0, 1e-9);
    EXPECT_LT(easting * aleutians.unitMetres, aleutians.falseEasting);  // west of the central meridian
}

TEST(WebMercator, OriginMapsToOrigin) {
    double lon = 1, lat = 1;
    WebMercatorToLonLat(0.0, 0.0, lon, lat);
    EXPECT_EQ(lon, 0.0);
    EXPECT_EQ(lat, 0.0);
    double x = 1, y = 1;
    LonLatToWebMercator(0.0, 0.0, x, y);
    EXPECT_EQ(x, 0.0);
    EXPECT_NEAR(y, 0.0, 1e-9);
}

TEST(WebMercator, AntimeridianAndEquatorialCircumference) {
    double x = 0, y = 0;
    LonLatToWebMercator(180.0, 0.0, x, y);
    EXPECT_NEAR(x, 20037508.342789244, 1e-6);
    double lon = 0, lat = 0;
    WebMercatorToLonLat(-20037508.342789244, 0.0, lon, lat);
    EXPECT_NEAR(lon, -180.0, 1e-12);
}

TEST(WebMercator, OverflowIsNotTested) {
    // The Web Mercator operations return whatever the arithmetic gives: at the pole the
    // northing is far beyond any map.
    double x = 0, y = 0;
    LonLatToWebMercator(0.0, 90.0, x, y);
    EXPECT_GT(y, 1e8);
}

}  // namespace
