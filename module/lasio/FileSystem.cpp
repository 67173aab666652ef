#include "lasio/FileSystem.h"

#include <cctype>
#include <cmath>

namespace {

constexpr double kGrs80SemiMajor = 6378137.0;
constexpr double kGrs80InverseFlattening = 298.257222101;
constexpr double kEllipsoidTolerance = 1e-6;

// The unit of a system's first axis in metres (or radians), or 0 when it has no axis.
double FirstAxisUnit(const PJ* crs) {
  PjPtr cs(proj_crs_get_coordinate_system(nullptr, crs));
  double factor = 0;
  if (!cs || proj_cs_get_axis_count(nullptr, cs.get()) < 1 ||
      !proj_cs_get_axis_info(nullptr, cs.get(), 0, nullptr, nullptr, nullptr, &factor, nullptr, nullptr, nullptr))
    return 0;
  return factor;
}

double UnitOfCode(std::uint16_t code) {
  double factor = 0;
  std::string text = std::to_string(code);
  if (!proj_uom_get_info_from_database(nullptr, "EPSG", text.c_str(), nullptr, &factor, nullptr)) return 0;
  return factor;
}

double UnitOfVerticalSystem(std::uint16_t code) {
  PjPtr vertical(proj_create(nullptr, ("EPSG:" + std::to_string(code)).c_str()));
  return vertical ? FirstAxisUnit(vertical.get()) : 0;
}

bool OnGrs80(const PJ* crs) {
  PjPtr ellipsoid(proj_get_ellipsoid(nullptr, crs));
  double a = 0, b = 0, inverseFlattening = 0;
  int computed = 0;
  return ellipsoid && proj_ellipsoid_get_parameters(nullptr, ellipsoid.get(), &a, &b, &computed, &inverseFlattening) &&
         std::fabs(a - kGrs80SemiMajor) < kEllipsoidTolerance &&
         std::fabs(inverseFlattening - kGrs80InverseFlattening) < kEllipsoidTolerance;
}

bool IsNad83(const PJ* crs) {
  PjPtr datum(proj_crs_get_datum_forced(nullptr, crs));
  const char* name = datum ? proj_get_name(datum.get()) : nullptr;
  return name != nullptr && IsNad83DatumName(name) && OnGrs80(crs);
}

// The horizontal part of a compound or bound system, or the system itself; the vertical
// part's unit goes to `heightUnit` when there is one.
PjPtr HorizontalPart(PjPtr crs, double& heightUnit) {
  if (proj_get_type(crs.get()) == PJ_TYPE_BOUND_CRS) crs.reset(proj_get_source_crs(nullptr, crs.get()));
  if (crs && proj_get_type(crs.get()) == PJ_TYPE_COMPOUND_CRS) {
    PjPtr vertical(proj_crs_get_sub_crs(nullptr, crs.get(), 1));
    if (vertical) heightUnit = FirstAxisUnit(vertical.get());
    crs.reset(proj_crs_get_sub_crs(nullptr, crs.get(), 0));
    if (crs && proj_get_type(crs.get()) == PJ_TYPE_BOUND_CRS) crs.reset(proj_get_source_crs(nullptr, crs.get()));
  }
  return crs;
}

}  // namespace

bool IsNad83DatumName(const std::string& name) {
  std::string plain;
  for (char c : name)
    if (std::isalnum(static_cast<unsigned char>(c))) plain.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
  return plain.rfind("nad83", 0) == 0 || plain.rfind("nad1983", 0) == 0 ||
         plain.find("northamerican1983") != std::string::npos || plain.find("northamericandatum1983") != std::string::npos;
}

std::optional<FileSystem> ReadFileSystem(const NamedSystem& named, std::wstring& error) {
  PjPtr crs(proj_create(nullptr, named.definition.c_str()));
  double heightUnit = 0;
  if (crs) crs = HorizontalPart(std::move(crs), heightUnit);
  PJ_TYPE type = crs ? proj_get_type(crs.get()) : PJ_TYPE_UNKNOWN;
  bool projected = type == PJ_TYPE_PROJECTED_CRS;
  if (!projected && type != PJ_TYPE_GEOGRAPHIC_2D_CRS && type != PJ_TYPE_GEOGRAPHIC_3D_CRS) {
    error = L"PROJ does not read its coordinate system as a projected or geographic one";
    return std::nullopt;
  }
  FileSystem system;
  system.projected = projected;
  system.unitMetres = projected ? FirstAxisUnit(crs.get()) : 1.0;
  if (heightUnit <= 0 && named.verticalUnitCode != 0) heightUnit = UnitOfCode(named.verticalUnitCode);
  if (heightUnit <= 0 && named.verticalSystemCode != 0) heightUnit = UnitOfVerticalSystem(named.verticalSystemCode);
  system.heightUnitMetres = heightUnit > 0 ? heightUnit : system.unitMetres;
  system.nad83 = IsNad83(crs.get());
  system.name = PjName(crs.get());
  system.horizontal = std::move(crs);
  if (!(system.unitMetres > 0)) {
    error = L"its coordinate system has no linear unit";
    return std::nullopt;
  }
  return system;
}
