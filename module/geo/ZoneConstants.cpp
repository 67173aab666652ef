// Derives and caches the per-zone constants of the projections.
#include "geo/detail/ZoneConstants.h"

#include <array>
#include <functional>

#include "geo/detail/Grs80.h"
#include "geo/detail/HotineObliqueMercator.h"
#include "geo/detail/LambertConic.h"
#include "geo/detail/TransverseMercator.h"

namespace geo_detail {
namespace {

using ConstantsTable = std::array<ZoneConstants, kStatePlaneZoneCount>;

const ConstantsTable& TableConstants() {
    static const ConstantsTable table = [] {
        ConstantsTable derived;
        for (std::size_t i = 0; i < kStatePlaneZoneCount; ++i) derived[i] = DeriveZoneConstants(kStatePlaneZones[i]);
        return derived;
    }();
    return table;
}

// The index of `zone` in kStatePlaneZones, or the count when it is not a row of it.
std::size_t TableIndexOf(const StatePlaneZone& zone) {
    const std::less<const StatePlaneZone*> before;
    const StatePlaneZone* first = kStatePlaneZones.data();
    const StatePlaneZone* end = first + kStatePlaneZoneCount;
    if (before(&zone, first) || !before(&zone, end)) return kStatePlaneZoneCount;
    return static_cast<std::size_t>(&zone - first);
}

}  // namespace

ZoneConstants DeriveZoneConstants(const StatePlaneZone& zone) {
    ZoneConstants constants;
    constants.lambda0 = zone.lon0 * kDegree;
    constants.phi0 = zone.lat0 * kDegree;
    constants.k0 = zone.k0;
    if (zone.kind == kZoneLambertConic) {
        DeriveLambertConicConstants(zone.stdParallel1 * kDegree, zone.stdParallel2 * kDegree, constants);
    } else if (zone.kind == kZoneHotineObliqueMercator) {
        DeriveHotineConstants(zone.azimuth * kDegree, zone.rectifiedGridAngle * kDegree, constants);
    } else {
        DeriveTransverseMercatorConstants(constants);
    }
    return constants;
}

ZoneConstants ZoneConstantsFor(const StatePlaneZone& zone) {
    const std::size_t index = TableIndexOf(zone);
    return index < kStatePlaneZoneCount ? TableConstants()[index] : DeriveZoneConstants(zone);
}

}  // namespace geo_detail
