// A LAS file's coordinate system as PROJ reads it: its horizontal part, the unit of its
// coordinates and of its heights, and whether its datum is one of the NAD83 realisations.
#pragma once
#include <optional>
#include <string>

#include "lasio/GeoKeys.h"
#include "lasio/ProjObjects.h"

struct FileSystem {
  PjPtr horizontal;              // projected or geographic, two axes
  bool projected = false;
  double unitMetres = 1.0;       // of the horizontal coordinates (projected systems)
  double heightUnitMetres = 1.0;
  bool nad83 = false;            // NAD83 or a realisation of it, on GRS 1980
  std::wstring name;
};

// The system, or nothing (with `error` set) when PROJ cannot read the definition or it is
// neither projected nor geographic. Heights are in the unit of the WKT's vertical system,
// else of key 4099, else of the vertical system of key 4096, else of the horizontal axes
// (metres for a geographic system).
std::optional<FileSystem> ReadFileSystem(const NamedSystem& named, std::wstring& error);

// True for a datum name of the NAD83 family, as EPSG or ESRI spell them.
bool IsNad83DatumName(const std::string& name);
