#include "lasio/GeoKeys.h"

#include <algorithm>

namespace {

constexpr std::uint16_t kGeographicTypeKey = 2048;
constexpr std::uint16_t kProjectedTypeKey = 3072;
constexpr std::uint16_t kVerticalSystemKey = 4096;
constexpr std::uint16_t kVerticalUnitsKey = 4099;
constexpr std::uint16_t kUserDefined = 32767;
constexpr std::uint16_t kValueInKey = 0;  // the key's value is its own last field

// The code a key holds in itself, or 0 when the key is missing, stored elsewhere or says
// "user-defined".
std::uint16_t KeyCode(const LasFileFacts& facts, std::uint16_t id) {
  auto key = std::find_if(facts.geoKeys.begin(), facts.geoKeys.end(),
                          [id](const GeoKeyEntry& entry) { return entry.id == id; });
  if (key == facts.geoKeys.end() || key->location != kValueInKey || key->value == kUserDefined) return 0;
  return key->value;
}

bool IsOnlySpace(const std::string& text) {
  return std::all_of(text.begin(), text.end(), [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); });
}

}  // namespace

NamedSystem SystemNamedBy(const LasFileFacts& facts) {
  NamedSystem named;
  named.verticalUnitCode = KeyCode(facts, kVerticalUnitsKey);
  named.verticalSystemCode = KeyCode(facts, kVerticalSystemKey);
  if (!IsOnlySpace(facts.wkt)) {
    named.definition = facts.wkt;
  } else if (std::uint16_t code = KeyCode(facts, kProjectedTypeKey); code != 0) {
    named.definition = "EPSG:" + std::to_string(code);
  } else if (std::uint16_t code = KeyCode(facts, kGeographicTypeKey); code != 0) {
    named.definition = "EPSG:" + std::to_string(code);
  }
  return named;
}
