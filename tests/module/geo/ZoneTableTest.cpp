// The zone table's shape, its lookups, and each row's parameters checked against the EPSG
// definitions as PROJ reads them from its own database.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <set>
#include <string>

#include "ProjOracle.h"
#include "geo/StatePlaneZone.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace {

struct KindAndUnitCounts {
    int transverseMercator = 0, conic = 0, hotine = 0, surveyFeet = 0, feet = 0, metres = 0;
};

KindAndUnitCounts CountRows(std::size_t count) {
    KindAndUnitCounts counts;
    for (std::size_t i = 0; i < count; ++i) {
        const StatePlaneZone& zone = kStatePlaneZones[i];
        counts.transverseMercator += zone.kind == kZoneTransverseMercator;
        counts.conic += zone.kind == kZoneLambertConic;
        counts.hotine += zone.kind == kZoneHotineObliqueMercator;
        counts.surveyFeet += zone.unitMetres == 0.304800609601219;
        counts.feet += zone.unitMetres == 0.3048;
        counts.metres += zone.unitMetres == 1.0;
    }
    return counts;
}

TEST(ZoneTableShape, OpensWithTheOneHundredTwentyCivilZonesOfTheStatedKindsAndUnits) {
    const KindAndUnitCounts civil = CountRows(kCivil3dZoneCount);
    EXPECT_EQ(kCivil3dZoneCount, 120u);
    EXPECT_EQ(civil.transverseMercator, 54);
    EXPECT_EQ(civil.conic, 66);
    EXPECT_EQ(civil.surveyFeet, 90);
    EXPECT_EQ(civil.feet, 12);
    EXPECT_EQ(civil.metres, 18);
}

TEST(ZoneTableShape, HoldsEveryStatePlaneCodeOfTheNad83Family) {
    const KindAndUnitCounts all = CountRows(kStatePlaneZoneCount);
    EXPECT_EQ(kStatePlaneZones.size(), 906u);
    EXPECT_EQ(all.transverseMercator, 352);
    EXPECT_EQ(all.conic, 551);
    EXPECT_EQ(all.hotine, 3);
    EXPECT_EQ(all.surveyFeet + all.feet + all.metres, 906);
}

TEST(ZoneTableShape, CodesAndNamesAreUniqueAndCivilCodesUniqueAmongTheirOwners) {
    std::set<std::uint32_t> codes;
    std::set<std::wstring> civilCodes, names;
    for (const StatePlaneZone& zone : kStatePlaneZones) {
        EXPECT_TRUE(codes.insert(zone.epsg).second) << zone.epsg;
        EXPECT_TRUE(names.insert(zone.name).second) << zone.epsg;
    }
    for (std::size_t i = 0; i < kCivil3dZoneCount; ++i) {
        ASSERT_NE(kStatePlaneZones[i].civilCode, nullptr) << i;
        EXPECT_TRUE(civilCodes.insert(kStatePlaneZones[i].civilCode).second) << kStatePlaneZones[i].epsg;
    }
}

// The projection-defining fields of two rows, compared exactly.
bool SameZoneAndUnit(const StatePlaneZone& a, const StatePlaneZone& b) {
    return a.kind == b.kind && a.lat0 == b.lat0 && a.lon0 == b.lon0 && a.k0 == b.k0 &&
           a.falseEasting == b.falseEasting && a.falseNorthing == b.falseNorthing && a.stdParallel1 == b.stdParallel1 &&
           a.stdParallel2 == b.stdParallel2 && a.unitMetres == b.unitMetres && a.azimuth == b.azimuth &&
           a.rectifiedGridAngle == b.rectifiedGridAngle;
}

bool HasCivilZoneLike(const StatePlaneZone& zone) {
    for (std::size_t j = 0; j < kCivil3dZoneCount; ++j)
        if (SameZoneAndUnit(zone, kStatePlaneZones[j])) return true;
    return false;
}

// A later row carries a Civil 3D code exactly when a row of its zone and unit owns one, and then
// a code of that zone and unit. (Georgia West in survey feet, 2240, lends "GA83-WF" to 6447.)
TEST(ZoneTableShape, LaterRowsBorrowTheCivilCodeOfTheirZoneAndUnit) {
    int borrowers = 0;
    for (std::size_t i = kCivil3dZoneCount; i < kStatePlaneZoneCount; ++i) {
        const StatePlaneZone& zone = kStatePlaneZones[i];
        if (zone.civilCode == nullptr) {
            EXPECT_FALSE(HasCivilZoneLike(zone)) << zone.epsg;
            continue;
        }
        const StatePlaneZone* lender = FindZoneByCivilCode(zone.civilCode);
        ASSERT_NE(lender, nullptr) << zone.epsg;
        EXPECT_TRUE(SameZoneAndUnit(zone, *lender)) << zone.epsg << " and " << lender->epsg;
        ++borrowers;
    }
    EXPECT_GT(borrowers, 300);
    ASSERT_NE(FindZoneByEpsg(6447), nullptr);
    EXPECT_STREQ(FindZoneByEpsg(6447)->civilCode, L"GA83-WF");
}

TEST(ZoneTableShape, UnusedFieldsHoldTheirNeutralValues) {
    for (const StatePlaneZone& zone : kStatePlaneZones) {
        if (zone.kind == kZoneLambertConic) {
            EXPECT_EQ(zone.k0, 1.0) << zone.epsg;
        }
        if (zone.kind != kZoneLambertConic) {
            EXPECT_EQ(zone.stdParallel1, 0.0) << zone.epsg;
            EXPECT_EQ(zone.stdParallel2, 0.0) << zone.epsg;
        }
        if (zone.kind != kZoneHotineObliqueMercator) {
            EXPECT_EQ(zone.azimuth, 0.0) << zone.epsg;
            EXPECT_EQ(zone.rectifiedGridAngle, 0.0) << zone.epsg;
        }
    }
}

TEST(ZoneTableShape, EveryCodeFitsTheShortIntegerPrompt) {
    for (const StatePlaneZone& zone : kStatePlaneZones) EXPECT_LE(zone.epsg, 32767u) << zone.epsg;
}

TEST(ZoneTableRows, TellingRowsHoldTheirRoundedDecimals) {
    const StatePlaneZone* hawaii3 = FindZoneByEpsg(3759);
    ASSERT_NE(hawaii3, nullptr);
    EXPECT_EQ(hawaii3->lat0, 21.16666667);
    EXPECT_EQ(hawaii3->falseEasting, 500000.00001);
    const StatePlaneZone* indianaEast = FindZoneByEpsg(2965);
    ASSERT_NE(indianaEast, nullptr);
    EXPECT_EQ(indianaEast->lon0, -85.66666667);
    EXPECT_EQ(indianaEast->k0, 0.999966667);
    EXPECT_EQ(indianaEast->falseEasting, 99999.999898);
    EXPECT_EQ(indianaEast->falseNorthing, 249999.999898);
    const StatePlaneZone* michiganNorth = FindZoneByEpsg(2251);
    ASSERT_NE(michiganNorth, nullptr);
    EXPECT_EQ(michiganNorth->falseEasting, 7999999.999968);
    EXPECT_EQ(michiganNorth->stdParallel1, 47.08333333);
    EXPECT_EQ(michiganNorth->stdParallel2, 45.48333333);
    EXPECT_EQ(michiganNorth->unitMetres, 0.3048);
    const StatePlaneZone* louisianaSouth = FindZoneByEpsg(3452);
    ASSERT_NE(louisianaSouth, nullptr);
    EXPECT_EQ(louisianaSouth->falseEasting, 999999.99999);
    EXPECT_EQ(louisianaSouth->lon0, -91.33333333);
}

TEST(ZoneLookup, FindsByEpsgCode) {
    const StatePlaneZone* zone = FindZoneByEpsg(2240);
    ASSERT_NE(zone, nullptr);
    EXPECT_STREQ(zone->name, L"NAD83 / Georgia West (ftUS)");
    EXPECT_EQ(FindZoneByEpsg(4326), nullptr);
    EXPECT_EQ(FindZoneByEpsg(0), nullptr);
}

TEST(ZoneLookup, FindsByExactCivilCodeOnly) {
    const StatePlaneZone* zone = FindZoneByCivilCode(L"LA83-SF-MOD");
    ASSERT_NE(zone, nullptr);
    EXPECT_EQ(zone->epsg, 3452u);
    EXPECT_EQ(FindZoneByCivilCode(L"la83-sf-mod"), nullptr);
    EXPECT_EQ(FindZoneByCivilCode(L"LA83-SF"), nullptr);
    EXPECT_EQ(FindZoneByCivilCode(L"LA83-SF-MOD "), nullptr);
    EXPECT_EQ(FindZoneByCivilCode(L""), nullptr);
    EXPECT_EQ(FindZoneByCivilCode(nullptr), nullptr);
}

TEST(ZoneLookup, EveryRowIsFoundByItsCodeAndACivilCodeByItsOwner) {
    for (std::size_t i = 0; i < kStatePlaneZoneCount; ++i) {
        const StatePlaneZone& zone = kStatePlaneZones[i];
        EXPECT_EQ(FindZoneByEpsg(zone.epsg), &zone);
        const StatePlaneZone* byCivil = FindZoneByCivilCode(zone.civilCode);
        if (i < kCivil3dZoneCount) {
            EXPECT_EQ(byCivil, &zone);
        } else if (byCivil != nullptr) {
            EXPECT_LT(byCivil - kStatePlaneZones.data(), static_cast<std::ptrdiff_t>(kCivil3dZoneCount));
        }
    }
}

using geo_test::MakeContext;
using geo_test::MakeCrs;
using geo_test::ProjObject;

constexpr double kRadiansPerDegree = 0.017453292519943295;

// The largest error of rounding `degrees` to ten significant digits, with a little slack
// for the double nearest the decimal.
double TenDigitTolerance(double degrees) {
    if (degrees == 0) return 1e-12;
    return 0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(degrees))) - 9) + 1e-12;
}

// One parameter of a conversion, in radians, metres or unity.
struct Parameter {
    bool found = false;
    double si = 0;
    double published = 0;
};

Parameter ReadParameter(PJ_CONTEXT* ctx, PJ* conversion, const char* name) {
    Parameter result;
    const int index = proj_coordoperation_get_param_index(ctx, conversion, name);
    if (index < 0) return result;
    double factor = 0;
    result.found = proj_coordoperation_get_param(ctx, conversion, index, nullptr, nullptr, nullptr, &result.published,
                                                 nullptr, &factor, nullptr, nullptr, nullptr, nullptr) != 0;
    result.si = result.published * factor;
    return result;
}

struct ParameterNames {
    const char* method;
    const char* lat0;
    const char* lon0;
    const char* falseEasting;
    const char* falseNorthing;
    const char* k0;  // null where the kind has no scale factor
};

constexpr ParameterNames kTransverseMercatorNames{"9807", "Latitude of natural origin", "Longitude of natural origin",
                                                  "False easting", "False northing", "Scale factor at natural origin"};
constexpr ParameterNames kConicNames{"9802", "Latitude of false origin", "Longitude of false origin",
                                     "Easting at false origin", "Northing at false origin", nullptr};
constexpr ParameterNames kHotineNames{"9812", "Latitude of projection centre", "Longitude of projection centre",
                                      "False easting", "False northing", "Scale factor on initial line"};

const ParameterNames& NamesOf(std::int32_t kind) {
    if (kind == kZoneLambertConic) return kConicNames;
    if (kind == kZoneHotineObliqueMercator) return kHotineNames;
    return kTransverseMercatorNames;
}

void ExpectAngle(PJ_CONTEXT* ctx, PJ* conversion, const char* name, double stored, unsigned epsg) {
    const Parameter p = ReadParameter(ctx, conversion, name);
    ASSERT_TRUE(p.found) << "EPSG:" << epsg << " " << name;
    const double degrees = p.si / kRadiansPerDegree;
    EXPECT_NEAR(stored, degrees, TenDigitTolerance(degrees)) << "EPSG:" << epsg << " " << name;
}

void ExpectLength(PJ_CONTEXT* ctx, PJ* conversion, const char* name, double stored, unsigned epsg) {
    const Parameter p = ReadParameter(ctx, conversion, name);
    ASSERT_TRUE(p.found) << "EPSG:" << epsg << " " << name;
    EXPECT_NEAR(stored, p.si, 5e-7 + 1e-15 * std::fabs(p.si)) << "EPSG:" << epsg << " " << name;
}

double AxisUnitMetres(PJ_CONTEXT* ctx, PJ* crs) {
    ProjObject cs(proj_crs_get_coordinate_system(ctx, crs));
    double factor = 0;
    if (!cs || !proj_cs_get_axis_info(ctx, cs.get(), 0, nullptr, nullptr, nullptr, &factor, nullptr, nullptr, nullptr))
        return 0;
    return factor;
}

TEST(ZoneTableAgainstProj, EveryRowMatchesItsEpsgDefinition) {
    auto ctx = MakeContext();
    for (const StatePlaneZone& zone : kStatePlaneZones) {
        SCOPED_TRACE("EPSG:" + std::to_string(zone.epsg));
        ProjObject crs = MakeCrs(ctx.get(), zone.epsg);
        ASSERT_TRUE(crs);
        EXPECT_EQ(pelvarhost::WideToUtf8(zone.name), proj_get_name(crs.get()));
        // PROJ gives the survey foot as 1200/3937; the table stores its 15-digit decimal.
        EXPECT_NEAR(zone.unitMetres, AxisUnitMetres(ctx.get(), crs.get()), 1e-15);

        ProjObject conversion(proj_crs_get_coordoperation(ctx.get(), crs.get()));
        ASSERT_TRUE(conversion);
        const char* methodCode = nullptr;
        ASSERT_TRUE(proj_coordoperation_get_method_info(ctx.get(), conversion.get(), nullptr, nullptr, &methodCode));
        const ParameterNames& names = NamesOf(zone.kind);
        ASSERT_STREQ(methodCode, names.method);

        ExpectAngle(ctx.get(), conversion.get(), names.lat0, zone.lat0, zone.epsg);
        ExpectAngle(ctx.get(), conversion.get(), names.lon0, zone.lon0, zone.epsg);
        ExpectLength(ctx.get(), conversion.get(), names.falseEasting, zone.falseEasting, zone.epsg);
        ExpectLength(ctx.get(), conversion.get(), names.falseNorthing, zone.falseNorthing, zone.epsg);
        if (zone.kind == kZoneLambertConic) {
            ExpectAngle(ctx.get(), conversion.get(), "Latitude of 1st standard parallel", zone.stdParallel1, zone.epsg);
            ExpectAngle(ctx.get(), conversion.get(), "Latitude of 2nd standard parallel", zone.stdParallel2, zone.epsg);
        } else {
            const Parameter k0 = ReadParameter(ctx.get(), conversion.get(), names.k0);
            ASSERT_TRUE(k0.found);
            EXPECT_EQ(zone.k0, k0.published);
        }
        if (zone.kind == kZoneHotineObliqueMercator) {
            ExpectAngle(ctx.get(), conversion.get(), "Azimuth of initial line", zone.azimuth, zone.epsg);
            ExpectAngle(ctx.get(), conversion.get(), "Angle from Rectified to Skew Grid", zone.rectifiedGridAngle,
                        zone.epsg);
        }
    }
}

}  // namespace
