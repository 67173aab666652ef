// The pieces of an import that need no prompt: the points' rectangle and ground grid, the
// cloud file's label and the names it is written under.
#pragma once
#include <cstdint>
#include <string>

#include "geo/StatePlaneZone.h"
#include "retrieval/EptTypes.h"
#include "retrieval/FetchGroundGrid.h"

// The smallest rectangle holding every point (the points are not empty).
ZoneRectangle BoundsOf(const EptFetchResult& points);

// The fetch's ground grid over the rectangle (cells of 10 feet), its cell doubled until
// the grid fits a cloud file.
GroundGridSize ImportGridSize(const StatePlaneZone& zone, const ZoneRectangle& rect);

// The source's file name without folder and extension.
std::wstring FileStem(const std::wstring& path);

// The source's folder with its separator (empty for a bare name).
std::wstring FolderOf(const std::wstring& path);

// The first 16 characters of the stem, each outside ASCII as '?'.
std::string ImportLabel(const std::wstring& path);

// "STEM.kmt" for k = 1, "STEM_k.kmt" after that.
std::wstring ImportFileName(const std::wstring& stem, int k);
