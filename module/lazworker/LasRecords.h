// The points of a whole LAS or LAZ file as its records hold them: raw integer coordinates
// with the header's scale and offset, and the record fields the module uses. This is what
// the decoder program answers, so it is all the module ever learns of a file's points.
#pragma once
#include <cstdint>
#include <vector>

inline constexpr std::uint8_t kFirstExtendedPointFormat = 6;
inline constexpr std::uint8_t kLastPointFormat = 10;

struct LasPointRecord {
  std::int32_t x = 0, y = 0, z = 0;  // raw: world = raw * scale + offset
  std::uint16_t intensity = 0;
  // The classification byte whole: for formats 0 to 5 the class in the low five bits with
  // the synthetic, key-point and withheld flags above it; for formats 6 to 10 the class.
  std::uint8_t classification = 0;
  std::uint8_t returnNumber = 0;
  std::uint8_t numberOfReturns = 0;
  bool operator==(const LasPointRecord&) const = default;
};

struct LasPointSet {
  std::uint8_t pointFormat = 0;
  double scale[3] = {1, 1, 1};   // X, Y, Z
  double offset[3] = {0, 0, 0};  // X, Y, Z
  std::uint64_t announcedCount = 0;  // the number of points the header announces
  std::vector<LasPointRecord> points;

  double worldX(const LasPointRecord& p) const { return p.x * scale[0] + offset[0]; }
  double worldY(const LasPointRecord& p) const { return p.y * scale[1] + offset[1]; }
  double worldZ(const LasPointRecord& p) const { return p.z * scale[2] + offset[2]; }
  // The point's class: the low five bits of the classification byte for formats 0 to 5,
  // the whole byte for formats 6 to 10.
  std::uint8_t pointClass(const LasPointRecord& p) const {
    return pointFormat >= kFirstExtendedPointFormat ? p.classification : p.classification & kLegacyClassBits;
  }
  static constexpr std::uint8_t kLegacyClassBits = 0x1F;
};
