// Per-point cost of turning archive points (Web Mercator) into zone coordinates:
// WebMercatorToZone (the route the fetch takes) and the two steps WebMercatorToLonLat then
// LonLatToZone, against PROJ's proj_trans_generic over the same points and the same
// conversion, for a transverse Mercator zone, a conic zone and the oblique Mercator of
// Alaska zone 1.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "geo/Projections.h"

#include <proj.h>

namespace {

constexpr std::size_t kPointCount = 100000;
constexpr std::uint32_t kTransverseMercatorZone = 2240;  // Georgia West (ftUS)
constexpr std::uint32_t kConicZone = 3418;               // Iowa South (ftUS)
constexpr std::uint32_t kHotineZone = 26931;             // Alaska zone 1

struct WebMercatorPoints {
    std::vector<double> x, y;
};

// Points spread over a square degree around the zone's origin, seeded for repeatability.
WebMercatorPoints MakePoints(const StatePlaneZone& zone) {
    std::mt19937_64 random(20270101u + zone.epsg);
    std::uniform_real_distribution<double> offset(-0.5, 0.5);
    WebMercatorPoints points;
    points.x.resize(kPointCount);
    points.y.resize(kPointCount);
    for (std::size_t i = 0; i < kPointCount; ++i) {
        LonLatToWebMercator(zone.lon0 + offset(random), zone.lat0 + 1.0 + offset(random), points.x[i], points.y[i]);
    }
    return points;
}

enum class PelvarRoute { kDirect, kTwoSteps };

void PelvarWebMercatorToZone(benchmark::State& state, std::uint32_t epsg, PelvarRoute route) {
    const StatePlaneZone& zone = *FindZoneByEpsg(epsg);
    const WebMercatorPoints points = MakePoints(zone);
    std::vector<double> easting(kPointCount), northing(kPointCount);
    for (auto _ : state) {
        for (std::size_t i = 0; i < kPointCount; ++i) {
            if (route == PelvarRoute::kDirect) {
                WebMercatorToZone(zone, points.x[i], points.y[i], easting[i], northing[i]);
            } else {
                double lon = 0, lat = 0;
                WebMercatorToLonLat(points.x[i], points.y[i], lon, lat);
                LonLatToZone(zone, lon, lat, easting[i], northing[i]);
            }
        }
        benchmark::DoNotOptimize(easting.data());
        benchmark::DoNotOptimize(northing.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPointCount));
}

BENCHMARK_CAPTURE(PelvarWebMercatorToZone, TransverseMercator, kTransverseMercatorZone, PelvarRoute::kDirect)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PelvarWebMercatorToZone, Conic, kConicZone, PelvarRoute::kDirect)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PelvarWebMercatorToZone, Hotine, kHotineZone, PelvarRoute::kDirect)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PelvarWebMercatorToZone, TransverseMercatorTwoSteps, kTransverseMercatorZone, PelvarRoute::kTwoSteps)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PelvarWebMercatorToZone, ConicTwoSteps, kConicZone, PelvarRoute::kTwoSteps)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(PelvarWebMercatorToZone, HotineTwoSteps, kHotineZone, PelvarRoute::kTwoSteps)
    ->Unit(benchmark::kMillisecond);

// PROJ's best case: an explicit pipeline doing what ours does (spherical Web Mercator
// inverse, then the zone projection with EPSG's parameters, then the zone's unit), with no
// datum step and no choice among candidate operations.
const char* ExplicitPipeline(std::uint32_t epsg) {
    switch (epsg) {
        case kTransverseMercatorZone:
            return "+proj=pipeline +step +inv +proj=webmerc +a=6378137 +b=6378137 "
                   "+step +proj=tmerc +lat_0=30 +lon_0=-84.1666666666667 +k=0.9999 +x_0=699999.999898 +y_0=0 +ellps=GRS80 "
                   "+step +proj=unitconvert +xy_in=m +xy_out=us-ft";
        case kHotineZone:
            return "+proj=pipeline +step +inv +proj=webmerc +a=6378137 +b=6378137 "
                   "+step +proj=omerc +no_uoff +lat_0=57 +lonc=-133.666666666667 +alpha=323.130102361111 "
                   "+gamma=323.130102361111 +k=0.9999 +x_0=5000000 +y_0=-5000000 +ellps=GRS80";
        default:
            return "+proj=pipeline +step +inv +proj=webmerc +a=6378137 +b=6378137 "
                   "+step +proj=lcc +lat_0=40 +lon_0=-93.5 +lat_1=41.7833333333333 +lat_2=40.6166666666667 "
                   "+x_0=500000.00001016 +y_0=0 +ellps=GRS80 +step +proj=unitconvert +xy_in=m +xy_out=us-ft";
    }
}

enum class ProjRoute { kCrsToCrs, kExplicitPipeline };

void ProjWebMercatorToZone(benchmark::State& state, std::uint32_t epsg, ProjRoute route) {
    const StatePlaneZone& zone = *FindZoneByEpsg(epsg);
    const WebMercatorPoints points = MakePoints(zone);
    PJ_CONTEXT* ctx = proj_context_create();
    PJ* transform = nullptr;
    if (route == ProjRoute::kCrsToCrs) {
        const std::string target = "EPSG:" + std::to_string(epsg);
        PJ* raw = proj_create_crs_to_crs(ctx, "EPSG:3857", target.c_str(), nullptr);
        if (raw) transform = proj_normalize_for_visualization(ctx, raw);
        proj_destroy(raw);
    } else {
        transform = proj_create(ctx, ExplicitPipeline(epsg));
    }
    if (!transform) {
        state.SkipWithError("PROJ could not build the transformation");
        proj_context_destroy(ctx);
        return;
    }
    std::vector<double> x(kPointCount), y(kPointCount);
    for (auto _ : state) {
        x = points.x;
        y = points.y;
        proj_trans_generic(transform, PJ_FWD, x.data(), sizeof(double), kPointCount, y.data(), sizeof(double),
                           kPointCount, nullptr, 0, 0, nullptr, 0, 0);
        benchmark::DoNotOptimize(x.data());
        benchmark::DoNotOptimize(y.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * kPointCount));
    proj_destroy(transform);
    proj_context_destroy(ctx);
}

BENCHMARK_CAPTURE(ProjWebMercatorToZone, TransverseMercatorCrsToCrs, kTransverseMercatorZone, ProjRoute::kCrsToCrs)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ProjWebMercatorToZone, TransverseMercatorPipeline, kTransverseMercatorZone,
                  ProjRoute::kExplicitPipeline)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ProjWebMercatorToZone, ConicCrsToCrs, kConicZone, ProjRoute::kCrsToCrs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ProjWebMercatorToZone, ConicPipeline, kConicZone, ProjRoute::kExplicitPipeline)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ProjWebMercatorToZone, HotineCrsToCrs, kHotineZone, ProjRoute::kCrsToCrs)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(ProjWebMercatorToZone, HotinePipeline, kHotineZone, ProjRoute::kExplicitPipeline)
    ->Unit(benchmark::kMillisecond);


}  // namespace
