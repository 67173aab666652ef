// What the import reads from a LAS or LAZ file before its points: the header facts it
// needs and the records that name the coordinate system (the OGC WKT record and the
// GeoTIFF keys), from the variable length records and, in LAS 1.4, the extended ones.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

// One GeoTIFF key entry as stored: its id, where its value lives (0: in `value` itself,
// 34736: in the doubles, 34737: in the ASCII text), the count and the value or index.
struct GeoKeyEntry {
  std::uint16_t id = 0, location = 0, count = 0, value = 0;
};

struct LasFileFacts {
  std::uint8_t versionMinor = 0;
  std::uint8_t pointFormat = 0;    // compression bits cleared
  std::uint64_t pointCount = 0;    // LAS 1.4: the 64-bit count (the legacy one when that is 0)
  std::uint16_t globalEncoding = 0;
  std::string wkt;                 // the OGC WKT record of any owner, NULs removed; empty when none
  std::vector<GeoKeyEntry> geoKeys;  // in the file's order
  std::vector<double> geoDoubles;
  std::string geoAscii;
};

// The facts, or nothing when the bytes are not a LAS 1.0 to 1.4 header with point format
// 0 to 10, or a record runs past the end of the bytes.
std::optional<LasFileFacts> ReadLasFileFacts(std::span<const std::uint8_t> bytes);
