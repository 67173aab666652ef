// PELVARIMPORT end to end: files made in the test are imported by a pelvar script, and the
// cloud files written beside them are read back point by point.
#include <gtest/gtest.h>

#include <functional>

#include "tests/module/lasio/LasFixture.h"

namespace lasiotest {
namespace {

using pelvartest::PelvarRun;
using pelvartest::RunPelvar;
using pelvartest::TempFolder;

constexpr int kPoints = 400;
constexpr double kUsFoot = 1200.0 / 3937.0;

std::string Wkt1(const std::string& definition) {
  PjOwner crs(proj_create(nullptr, definition.c_str()));
  const char* options[] = {"MULTILINE=NO", nullptr};
  return proj_as_wkt(nullptr, crs.get(), PJ_WKT1_GDAL, options);
}

// NAD83(HARN) / Oregon GIC Lambert (ft) as an ESRI writer spells it, without any code.
std::string EsriHarnLambert() {
  PjOwner crs(proj_create(nullptr, "EPSG:2994"));
  std::string wkt = proj_as_wkt(nullptr, crs.get(), PJ_WKT1_ESRI, nullptr);
  return "PROJCS[\"NAD_1983_HARN_Lambert_Conformal_Conic\"" + wkt.substr(wkt.find(','));
}

std::vector<std::uint8_t> ClassesOf(const std::vector<GeoPoint>& geo, bool extended) {
  std::vector<std::uint8_t> classes;
  for (const GeoPoint& g : geo) classes.push_back(extended ? g.cls : g.cls & 0x1F);
  return classes;
}

TEST(ImportProgram, EveryPointFormatAndHeaderVersionRoundTrips) {
  TempFolder home("import-formats");
  std::string script = "PELVARIMPORT\n";
  for (int format = 0; format <= 10; ++format) {
    LasShape shape;
    shape.pointFormat = static_cast<std::uint8_t>(format);
    shape.versionMinor = format >= 6 || format % 2 == 1 ? 4 : 2;
    shape.legacyCountZero = shape.versionMinor == 4;
    shape.compressed = format % 2 == 0;
    shape.vlrs = {shape.versionMinor == 4 ? WktVlr(Wkt1("EPSG:2269")) : GeoKeyVlr({{1024, 1}, {3072, 2269}})};
    std::vector<GeoPoint> geo = GeoPoints(kPoints, format >= 6);
    std::string name = "f" + std::to_string(format) + (shape.compressed ? ".laz" : ".las");
    WriteLas(home / name, shape, FilePoints(geo, "EPSG:2269", 0.3048));
    script += (home / name).string() + "\n";
  }
  PelvarRun run = RunPelvar(home.path(), script + "\n");
  EXPECT_NE(run.out.find("Zone from the file: NAD83 / Oregon North (ft) (EPSG:2269)."), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("Reading 400 pts (LAS 1.4, point format 10)."), std::string::npos) << run.out;
  for (int format = 0; format <= 10; ++format) {
    SCOPED_TRACE(format);
    std::vector<GeoPoint> geo = GeoPoints(kPoints, format >= 6);
    ExpectCloudPoints(home / ("f" + std::to_string(format) + ".kmt"), ZonePointsOf(geo), ClassesOf(geo, format >= 6),
                      0.002);
  }
}

struct SystemCase {
  const char* name;
  std::function<std::vector<Vlr>()> records;
  std::string system;     // what the file's coordinates are made in
  double heightUnit;      // metres per height unit of the file
  bool expectProj;        // checked against PROJ's own operation (else: no datum shift)
  const char* message;    // the line that says how the points come in
};

TEST(ImportProgram, SystemsAndUnitsComeIntoTheDrawingsZone) {
  const std::vector<SystemCase> cases = {
      {"esri_harn", [] { return std::vector<Vlr>{WktVlr(EsriHarnLambert())}; }, "EPSG:2994", 0.3048, false,
       "Reprojecting NAD_1983_HARN_Lambert_Conformal_Conic into NAD83 / Oregon North (ft) (NAD83 realisations as one "
       "datum: projection only)."},
      {"owner_beside_user_keys",
       [] { return std::vector<Vlr>{GeoKeyVlr({{3072, 32767}, {1024, 1}}), WktVlr(Wkt1("EPSG:2913"), "liblas")}; },
       "EPSG:2913", 0.3048, false, "NAD83(HARN) / Oregon North (ft) is the zone's system; coordinates kept."},
      {"unsorted_metre_keys", [] { return std::vector<Vlr>{GeoKeyVlr({{4099, 9001}, {3072, 32126}, {1024, 1}})}; },
       "EPSG:32126", 1.0, false,
       "NAD83 / Oregon North is the zone's system; coordinates kept, converted to the zone's unit."},
      {"metre_keys_us_foot_heights", [] { return std::vector<Vlr>{GeoKeyVlr({{3072, 32126}, {4099, 9003}})}; },
       "EPSG:32126", kUsFoot, false, "coordinates kept, converted to the zone's unit."},
      {"compound_wkt_foot_heights", [] { return std::vector<Vlr>{WktVlr(Wkt1("EPSG:32126+6360"))}; }, "EPSG:32126",
       kUsFoot, false, "coordinates kept, converted to the zone's unit."},
      {"utm_wgs84", [] { return std::vector<Vlr>{GeoKeyVlr({{1024, 1}, {3072, 32610}})}; }, "EPSG:32610", 1.0, true,
       "Transforming WGS 84 / UTM zone 10N into NAD83 / Oregon North (ft) with "},
  };
  TempFolder home("import-systems");
  std::string script = "CIVILCS\nOR83-NIF\nPELVARIMPORT\n";
  std::vector<GeoPoint> geo = GeoPoints(kPoints, false);
  for (const SystemCase& c : cases) {
    LasShape shape;
    shape.pointFormat = 1;
    shape.vlrs = c.records();
    WriteLas(home / (std::string(c.name) + ".las"), shape, FilePoints(geo, c.system, c.heightUnit));
    script += (home / (std::string(c.name) + ".las")).string() + "\n";
  }
  PelvarRun run = RunPelvar(home.path(), script + "\n");
  for (const SystemCase& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NE(run.out.find(c.message), std::string::npos) << run.out;
    std::vector<SamplePoint> file = FilePoints(geo, c.system, c.heightUnit);
    std::vector<ZonePoint> expected = c.expectProj ? ProjZonePoints(file, c.system, c.heightUnit) : ZonePointsOf(geo);
    ExpectCloudPoints(home / (std::string(c.name) + ".kmt"), expected, ClassesOf(geo, false), 0.005);
  }
}

}  // namespace
}  // namespace lasiotest
