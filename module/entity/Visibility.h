// Which points of a cloud are visible: one rule shared by the display, the snap, the
// analysis commands, cropping and the panel.
//
// A point's effective class is its override byte when there is one and it is not 255,
// else its stored class. It is visible when bit (class mod 32) of the class mask is set
// and, with the elevation window on, its cloud Z lies within [elevMin, elevMax].
#pragma once
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class Pelvar;
struct KmqData;

// The settings of one cloud that decide visibility.
struct VisibilityRule {
  uint32_t classMask = 0;
  bool elevFilterOn = false;
  double elevMin = 0.0;
  double elevMax = 0.0;

  bool operator==(const VisibilityRule&) const = default;
};

// The rule of a cloud entity (open for read).
VisibilityRule VisibilityRuleOf(const Pelvar& entity);

// The bytes of an entity's override array, or null when it has none or its length does not
// match the cloud's point count (such an array is never read).
const uint8_t* OverrideBytes(const std::shared_ptr<std::vector<uint8_t>>& overrides, const KmqData& data);

// The class a point counts as. `overrides` is the entity's override array (one byte per
// point, 255 = none) or null when it has none.
inline uint8_t EffectiveClass(uint8_t storedClass, const uint8_t* overrides, size_t pointIndex) {
  if (overrides != nullptr && overrides[pointIndex] != 255) return overrides[pointIndex];
  return storedClass;
}

// True when the mask shows the class (classes 32 and above wrap to bit class mod 32).
inline bool IsClassShown(uint32_t classMask, unsigned cls) {
  return ((classMask >> (cls % 32u)) & 1u) != 0;
}

// True when the elevation window lets a point at cloud Z through (bounds inclusive).
inline bool IsInElevationWindow(const VisibilityRule& rule, double cloudZ) {
  return !rule.elevFilterOn || (rule.elevMin <= cloudZ && cloudZ <= rule.elevMax);
}

inline bool IsPointVisible(const VisibilityRule& rule, unsigned effectiveClass, double cloudZ) {
  return IsClassShown(rule.classMask, effectiveClass) && IsInElevationWindow(rule, cloudZ);
}
