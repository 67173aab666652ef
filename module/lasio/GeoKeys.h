// The coordinate system a LAS file names, as text PROJ reads: its WKT record when it has
// one, else the EPSG code of its GeoTIFF keys (projected, else geographic); with the
// vertical keys that say what unit its heights are in.
#pragma once
#include <cstdint>
#include <string>

#include "lasio/LasFile.h"

struct NamedSystem {
  std::string definition;               // WKT or "EPSG:<code>"; empty when the file names none
  std::uint16_t verticalUnitCode = 0;   // key 4099, an EPSG unit code; 0 when absent
  std::uint16_t verticalSystemCode = 0; // key 4096, an EPSG vertical CRS code; 0 when absent
};

// Keys are looked up by id wherever they stand (writers do not all sort them); a key that is
// undefined (0) or user-defined (32767) names nothing.
NamedSystem SystemNamedBy(const LasFileFacts& facts);
