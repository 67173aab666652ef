#include "lasio/ZonePlan.h"

#include <proj_experimental.h>

#include <cmath>
#include <cstdlib>

namespace {

// Unit ratios this close to 1 are 1: PROJ's survey foot and the table's differ in the last
// digits only.
constexpr double kSameUnitTolerance = 1e-12;

double UnitRatio(double from, double to) {
  double ratio = from / to;
  return std::fabs(ratio - 1.0) < kSameUnitTolerance ? 1.0 : ratio;
}

PjPtr Normalised(PjPtr operation) {
  if (!operation) return operation;
  return PjPtr(proj_normalize_for_visualization(nullptr, operation.get()));
}

// The file's projection onto the zone's geodetic system, then the zone's projection.
PjPtr ProjectionOnly(const FileSystem& system, const PJ* zoneSystem) {
  PjPtr geodetic(proj_crs_get_geodetic_crs(nullptr, zoneSystem));
  if (!geodetic) return nullptr;
  PjPtr rebased(proj_crs_alter_geodetic_crs(nullptr, system.horizontal.get(), geodetic.get()));
  if (!rebased) return nullptr;
  return Normalised(PjPtr(proj_create_crs_to_crs_from_pj(nullptr, rebased.get(), zoneSystem, nullptr, nullptr)));
}

// PROJ's best operation whose grids are at hand.
PjPtr BestOperation(const FileSystem& system, const PJ* zoneSystem) {
  PJ_OPERATION_FACTORY_CONTEXT* factory = proj_create_operation_factory_context(nullptr, nullptr);
  if (factory == nullptr) return nullptr;
  proj_operation_factory_context_set_grid_availability_use(nullptr, factory,
                                                           PROJ_GRID_AVAILABILITY_DISCARD_OPERATION_IF_MISSING_GRID);
  proj_operation_factory_context_set_spatial_criterion(nullptr, factory, PROJ_SPATIAL_CRITERION_PARTIAL_INTERSECTION);
  PJ_OBJ_LIST* list = proj_create_operations(nullptr, system.horizontal.get(), zoneSystem, factory);
  PjPtr best;
  for (int i = 0, n = list != nullptr ? proj_list_get_count(list) : 0; i < n && !best; ++i) {
    PjPtr candidate(proj_list_get(nullptr, list, i));
    if (candidate && proj_coordoperation_is_instantiable(nullptr, candidate.get())) best = std::move(candidate);
  }
  proj_list_destroy(list);
  proj_operation_factory_context_destroy(factory);
  return Normalised(std::move(best));
}

// The zone of the EPSG codes PROJ recognises the system as, when one is in the table: the
// quick way to the answer the scan of the whole table also finds.
const StatePlaneZone* IdentifiedZone(const FileSystem& system) {
  int* confidence = nullptr;
  PJ_OBJ_LIST* candidates = proj_identify(nullptr, system.horizontal.get(), "EPSG", nullptr, &confidence);
  const StatePlaneZone* found = nullptr;
  for (int i = 0, n = candidates != nullptr ? proj_list_get_count(candidates) : 0; i < n && found == nullptr; ++i) {
    PjPtr candidate(proj_list_get(nullptr, candidates, i));
    const char* code = candidate ? proj_get_id_code(candidate.get(), 0) : nullptr;
    const StatePlaneZone* zone = code != nullptr ? FindZoneByEpsg(static_cast<std::uint32_t>(std::atol(code))) : nullptr;
    if (zone != nullptr && IsSystemOfZone(system, *zone)) found = zone;
  }
  proj_int_list_destroy(confidence);
  proj_list_destroy(candidates);
  return found;
}


}  // namespace

bool IsSystemOfZone(const FileSystem& system, const StatePlaneZone& zone) {
  if (!system.projected || !system.nad83) return false;
  PjPtr zoneSystem = ZoneSystem(zone);
  if (!zoneSystem) return false;
  PjPtr ours(proj_crs_get_coordoperation(nullptr, system.horizontal.get()));
  PjPtr theirs(proj_crs_get_coordoperation(nullptr, zoneSystem.get()));
  return ours && theirs && proj_is_equivalent_to(ours.get(), theirs.get(), PJ_COMP_EQUIVALENT);
}

const StatePlaneZone* TableZoneOf(const FileSystem& system) {
  if (!system.projected || !system.nad83) return nullptr;
  if (const StatePlaneZone* zone = IdentifiedZone(system)) return zone;
  for (const StatePlaneZone& zone : kStatePlaneZones)
    if (IsSystemOfZone(system, zone)) return &zone;
  return nullptr;
}

std::optional<ZonePlan> PlanIntoZone(const FileSystem& system, const StatePlaneZone& zone, std::wstring& error) {
  ZonePlan plan;
  plan.zScale = UnitRatio(system.heightUnitMetres, zone.unitMetres);
  if (IsSystemOfZone(system, zone)) {
    plan.xyScale = UnitRatio(system.unitMetres, zone.unitMetres);
    return plan;
  }
  PjPtr zoneSystem = ZoneSystem(zone);
  if (zoneSystem && system.nad83) {
    plan.kind = PlanKind::kReprojection;
    plan.operation = ProjectionOnly(system, zoneSystem.get());
  } else if (zoneSystem) {
    plan.kind = PlanKind::kTransformation;
    plan.operation = BestOperation(system, zoneSystem.get());
  }
  if (!plan.operation) {
    error = L"PROJ cannot transform " + system.name + L" into " + zone.name;
    return std::nullopt;
  }
  plan.operationName = PjName(plan.operation.get());
  plan.accuracyMetres = proj_coordoperation_get_accuracy(nullptr, plan.operation.get());
  return plan;
}

bool MapPoints(const ZonePlan& plan, double* x, double* y, double* z, std::size_t count) {
  bool finite = true;
  if (plan.kind == PlanKind::kSameZone) {
    if (plan.xyScale != 1.0)
      for (std::size_t i = 0; i < count; ++i) x[i] *= plan.xyScale, y[i] *= plan.xyScale;
  } else {
    proj_trans_generic(plan.operation.get(), PJ_FWD, x, sizeof(double), count, y, sizeof(double), count, nullptr, 0,
                       0, nullptr, 0, 0);
    for (std::size_t i = 0; i < count && finite; ++i) finite = std::isfinite(x[i]) && std::isfinite(y[i]);
  }
  if (plan.zScale != 1.0)
    for (std::size_t i = 0; i < count; ++i) z[i] *= plan.zScale;
  return finite;
}
