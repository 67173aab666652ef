// PROJ objects owned by smart pointers, and the zone's own PROJ system. Every PROJ call of
// the module uses PROJ's default context: the commands run on one thread.
#pragma once
#include <proj.h>

#include <memory>
#include <string>

#include "geo/StatePlaneZone.h"

struct PjDeleter {
  void operator()(PJ* object) const noexcept { proj_destroy(object); }
};
using PjPtr = std::unique_ptr<PJ, PjDeleter>;

// The zone's projected system from PROJ's database ("EPSG:<code>"), or null.
PjPtr ZoneSystem(const StatePlaneZone& zone);

// The zone's system as one-line OGC WKT 1 (GDAL's flavour, with its EPSG authority), or
// empty when PROJ does not know the code.
std::string ZoneWkt(const StatePlaneZone& zone);

// An object's name as wide text ("unnamed" when it has none).
std::wstring PjName(const PJ* object);

// Text of the C library (ASCII, UTF-8 passed through byte by byte) as wide text.
std::wstring WideText(const std::string& text);
