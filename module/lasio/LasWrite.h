// Encoding a cloud's points as a LAS 1.4 file of point format 6 (LAZ when compressed) with
// the zone's system as an OGC WKT record.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "classify/CropCut.h"

// The scale of a LAS axis that keeps a cloud file's precision on it: the power of ten at
// most a tenth of the cloud's code step (size / 65535).
double LasScaleFor(double cloudSize);

struct LasAxes {
  double scale[3] = {0.001, 0.001, 0.001};
};

// The whole file, or empty with LASzip's reason in `error`. Points carry their class in
// the extended classification byte, their intensity, return 1 of 1.
std::vector<std::uint8_t> EncodeLas(const CroppedPoints& points, const LasAxes& axes, const std::string& wkt,
                                    bool compressed, std::wstring& error);
