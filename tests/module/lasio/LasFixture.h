// Points around a place in Oregon, made into files of a given system, and the cloud files
// the import writes, compared point by point with what they should hold.
#pragma once
#include <proj.h>

#include <string>
#include <vector>

#include "cloudfile/CloudReader.h"
#include "geo/Projections.h"
#include "geo/StatePlaneZone.h"
#include "tests/module/lasio/LasSample.h"
#include "tests/support/pelvar_run.h"

namespace lasiotest {

// Oregon North (ft): the zone the drawings of these tests are in.
inline constexpr std::uint32_t kZoneEpsg = 2269;
inline constexpr double kCentreLon = -122.68, kCentreLat = 45.52;

// A point in degrees and metres, with its class and a unique intensity.
struct GeoPoint {
  double lon, lat, metres;
  std::uint8_t cls;
  std::uint16_t intensity;
};

inline std::vector<GeoPoint> GeoPoints(int n, bool extendedClasses) {
  std::vector<GeoPoint> points;
  for (int i = 0; i < n; ++i) {
    std::uint8_t cls = i % 3 == 0 ? 2 : (extendedClasses && i % 3 == 1 ? 40 : 6);
    points.push_back({kCentreLon + (i % 20) * 0.0004 - 0.004, kCentreLat + (i / 20) * 0.0003 - 0.0015,
                      30.0 + (i * 7 % 13), cls, static_cast<std::uint16_t>(i + 1)});
  }
  return points;
}

struct PjOwner {
  explicit PjOwner(PJ* p) : pj(p, proj_destroy) {}
  std::unique_ptr<PJ, PJ* (*)(PJ*)> pj;
  PJ* get() const { return pj.get(); }
};

// The points as a file of the system would hold them: projected from their degrees (taken
// on the system's own datum), heights in `heightUnit` metres.
inline std::vector<SamplePoint> FilePoints(const std::vector<GeoPoint>& geo, const std::string& system,
                                           double heightUnit) {
  PjOwner crs(proj_create(nullptr, system.c_str()));
  PjOwner geodetic(proj_crs_get_geodetic_crs(nullptr, crs.get()));
  PjOwner raw(proj_create_crs_to_crs_from_pj(nullptr, geodetic.get(), crs.get(), nullptr, nullptr));
  PjOwner op(proj_normalize_for_visualization(nullptr, raw.get()));
  std::vector<SamplePoint> points;
  for (const GeoPoint& g : geo) {
    PJ_COORD c = proj_trans(op.get(), PJ_FWD, proj_coord(g.lon, g.lat, 0, 0));
    points.push_back({c.xy.x, c.xy.y, g.metres / heightUnit, g.cls, g.intensity});
  }
  return points;
}

struct ZonePoint {
  double x, y, z;
};

// Where the points belong in the zone with no datum shift: the zone's own projection of
// their degrees.
inline std::vector<ZonePoint> ZonePointsOf(const std::vector<GeoPoint>& geo) {
  const StatePlaneZone& zone = *FindZoneByEpsg(kZoneEpsg);
  std::vector<ZonePoint> out;
  for (const GeoPoint& g : geo) {
    ZonePoint p{0, 0, g.metres / zone.unitMetres};
    LonLatToZone(zone, g.lon, g.lat, p.x, p.y);
    out.push_back(p);
  }
  return out;
}

// Where PROJ's own choice of operation puts the file's points in the zone.
inline std::vector<ZonePoint> ProjZonePoints(const std::vector<SamplePoint>& file, const std::string& system,
                                             double heightUnit) {
  PjOwner raw(proj_create_crs_to_crs(nullptr, system.c_str(), ("EPSG:" + std::to_string(kZoneEpsg)).c_str(), nullptr));
  PjOwner op(proj_normalize_for_visualization(nullptr, raw.get()));
  std::vector<ZonePoint> out;
  for (const SamplePoint& p : file) {
    PJ_COORD c = proj_trans(op.get(), PJ_FWD, proj_coord(p.x, p.y, 0, 0));
    out.push_back({c.xy.x, c.xy.y, p.z * heightUnit / FindZoneByEpsg(kZoneEpsg)->unitMetres});
  }
  return out;
}

// Every point of the cloud file (found by its unique intensity) lies within the file's
// quantisation (and `slack`) of where it should, with its class.
inline void ExpectCloudPoints(const std::filesystem::path& kmt, const std::vector<ZonePoint>& expected,
                              const std::vector<std::uint8_t>& classes, double slack) {
  std::wstring error;
  KmqDataPtr data = LoadCloudFile(kmt.wstring(), &error);
  ASSERT_TRUE(data) << kmt << ": " << std::string(error.begin(), error.end());
  ASSERT_EQ(data->pointCount, expected.size());
  EXPECT_EQ(data->epsg, kZoneEpsg);
  double tx = data->sizeX / 65535.0 * 0.5 + slack, ty = data->sizeY / 65535.0 * 0.5 + slack,
         tz = data->sizeZ / 65535.0 * 0.5 + slack;
  int wrong = 0;
  for (std::uint32_t i = 0; i < data->pointCount; ++i) {
    const KmqPoint& p = data->points[i];
    std::size_t k = data->intensity16[i] - 1u;
    ASSERT_LT(k, expected.size());
    bool ok = std::fabs(DecodeX(*data, p) - expected[k].x) <= tx && std::fabs(DecodeY(*data, p) - expected[k].y) <= ty &&
              std::fabs(DecodeZ(*data, p) - expected[k].z) <= tz && p.cls == classes[k];
    if (!ok && ++wrong <= 3) ADD_FAILURE() << kmt << " point " << k << " at " << DecodeX(*data, p) << "," << DecodeY(*data, p);
  }
  EXPECT_EQ(wrong, 0) << kmt;
  EXPECT_GT(data->groundNx, 0u);
}

}  // namespace lasiotest
