// Per-point override classes of a cloud: the rectangle edits applied in order (later edits
// win) and, with automatic classification on, the unclassified points that no edit touched
// given a class by their height above the ground grid. One byte per point in file order;
// kNoOverride (255) leaves the point's stored class in force.
#pragma once
#include <cstdint>
#include <span>

#include "cloudfile/KmqData.h"
#include "entity/LasClasses.h"
#include "entity/Pelvar.h"

// The class of an unclassified point at height h above the ground (feet):
// below -3 noise (7), below 6.5 low (3), below 16 medium (4), else high vegetation (5).
uint8_t HeightAboveGroundClass(double heightAboveGround);

// The codes 0..65535 of one axis whose decoded coordinate (code / 65535 * size + origin)
// lies in [low, high]; decoding is monotonic in the code, so they form one run [first, last].
struct CodeRun {
  uint32_t first = 1;
  uint32_t last = 0;
  bool empty() const { return first > last; }
  bool contains(uint16_t code) const { return first <= code && code <= last; }
};
CodeRun CodesWithin(float size, double origin, double low, double high);
// The same for the half-open interval [low, high).
CodeRun CodesFrom(float size, double origin, double low, double high);

// The whole array from scratch: filled with kNoOverride, every edit applied in order, then
// the automatic classes when `autoClassify` is on. `overrides` is resized to the point count.
void ComputeClassOverrides(const KmqData& data, std::span<const ReclassEdit> edits, bool autoClassify,
                           ClassOverrideArray& overrides);

// Rebuilds the entity's override classes from its edits and automatic-classification
// switch over `data` (creating, refilling in place, or dropping the array) and clears the
// dirty mark. Pelvar::ClassOverrides() calls it when the mark is set.
void RebuildClassOverrides(const Pelvar& entity, const KmqData& data);

// Brings an array that was current before `edit` up to date with it (same result as
// ComputeClassOverrides over the longer list) in one pass over the points; a cloud the
// edit misses is not scanned at all. Returns the number of points inside whose stored
// class differs from the edit's.
uint32_t ApplyNewReclassEdit(const KmqData& data, const ReclassEdit& edit, bool autoClassify,
                             ClassOverrideArray& overrides);

// Brings an array that was current for the edit list `before` up to date with `after` in
// place when one list starts with the other (edits added or taken back at the end, as undo
// and redo do): new edits are applied, and only the points inside edits taken back are
// classed again. False (nothing changed) when the lists differ otherwise.
bool UpdateClassOverrides(const KmqData& data, std::span<const ReclassEdit> before,
                          std::span<const ReclassEdit> after, bool autoClassify, ClassOverrideArray& overrides);

// The number of points inside the edit whose stored class differs from the edit's class.
uint32_t CountReclassifiedPoints(const KmqData& data, const ReclassEdit& edit);
