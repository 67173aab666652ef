// How a file's points come into a state-plane zone: kept (a unit change at most) when the
// file is in that zone, reprojected on the common ellipsoid when both are NAD83 (its
// realisations count as one datum, so no datum shift is ever applied between them), or
// transformed by PROJ's best available operation otherwise.
#pragma once
#include <cstddef>
#include <optional>
#include <string>

#include "geo/StatePlaneZone.h"
#include "lasio/FileSystem.h"

enum class PlanKind { kSameZone, kReprojection, kTransformation };

struct ZonePlan {
  PlanKind kind = PlanKind::kSameZone;
  double xyScale = 1.0;      // kSameZone: file unit / zone unit
  double zScale = 1.0;       // heights: file height unit / zone unit
  PjPtr operation;           // the others: file (east, north) to zone (east, north)
  std::wstring operationName;
  double accuracyMetres = -1;  // stated accuracy of a transformation; -1 when unknown
};

// True when the file's system is the zone's projection on a NAD83 datum, whatever the unit.
bool IsSystemOfZone(const FileSystem& system, const StatePlaneZone& zone);

// The first zone of the table that is the file's system, or null.
const StatePlaneZone* TableZoneOf(const FileSystem& system);

// The plan, or nothing (with `error` set) when PROJ has no operation into the zone.
std::optional<ZonePlan> PlanIntoZone(const FileSystem& system, const StatePlaneZone& zone, std::wstring& error);

// Brings `count` points into the zone in place; false when one of them has no image there.
bool MapPoints(const ZonePlan& plan, double* x, double* y, double* z, std::size_t count);
