#include "lasio/ProjObjects.h"

PjPtr ZoneSystem(const StatePlaneZone& zone) {
  return PjPtr(proj_create(nullptr, ("EPSG:" + std::to_string(zone.epsg)).c_str()));
}

std::string ZoneWkt(const StatePlaneZone& zone) {
  PjPtr system = ZoneSystem(zone);
  const char* options[] = {"MULTILINE=NO", nullptr};
  const char* wkt = system ? proj_as_wkt(nullptr, system.get(), PJ_WKT1_GDAL, options) : nullptr;
  return wkt != nullptr ? wkt : "";
}

std::wstring PjName(const PJ* object) {
  const char* name = object != nullptr ? proj_get_name(object) : nullptr;
  return WideText(name != nullptr && name[0] != '\0' ? name : "unnamed");
}

std::wstring WideText(const std::string& text) {
  std::wstring wide;
  for (char c : text) wide.push_back(static_cast<unsigned char>(c));
  return wide;
}
