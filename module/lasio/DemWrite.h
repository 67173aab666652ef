// A cloud's ground grid as a GeoTIFF DEM made by GDAL: one Float32 band, one pixel per grid
// node centred on it, north row first, tiled and DEFLATE-compressed, in the given system.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cloudfile/KmqData.h"

// The whole file, or empty with GDAL's reason in `error`. The cloud has a ground grid.
std::vector<std::uint8_t> EncodeDem(const KmqData& data, const std::string& wkt, std::wstring& error);

// GDAL's geotransform of the grid: west edge, cell, 0, north edge, 0, -cell.
void DemGeoTransform(const KmqData& data, double transform[6]);
