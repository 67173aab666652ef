// Weaving the planes of a KMQ2 file into the 8-byte records of the loaded image.
#pragma once
#include <cstddef>
#include <cstdint>

#include "cloudfile/KmqFormat.h"

// One block's slices of the five planes.
struct PlaneSlices {
  const uint16_t* qx;
  const uint16_t* qy;
  const uint16_t* qz;
  const uint8_t* cls;
  const uint16_t* intensity;
};

// Writes `count` records made from the slices into `out` and raises `most` to the largest
// intensity among them. Each record's byte 7 is the high byte of its 16-bit intensity.
void WeaveRecords(const PlaneSlices& p, size_t count, KmqPoint* out, uint16_t& most);
