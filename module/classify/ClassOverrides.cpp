#include "classify/ClassOverrides.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/TerrainQueries.h"

namespace {

constexpr uint32_t kCodeCount = 65536;

// Upper bounds of the height bands of the automatic classification (feet above ground).
constexpr double kNoiseBelow = -3.0;
constexpr double kLowVegetationBelow = 6.5;
constexpr double kMediumVegetationBelow = 16.0;

// The run of codes whose decoded value lies inside the interval, where `below` and `above`
// tell a value left or right of it. Decoding is monotonic in the code (rising for a positive
// size, falling for a negative one), so the codes below and above form a prefix and a suffix
// and two binary searches find the run. A size or origin that is not finite is scanned.
template <class Below, class Above>
CodeRun CodesBetween(float size, double origin, Below below, Above above) {
  auto value = [&](uint32_t code) { return DecodeCode(static_cast<uint16_t>(code), size, origin); };
  if (!std::isfinite(size) || !std::isfinite(origin)) {
    CodeRun run;
    for (uint32_t code = 0; code < kCodeCount; ++code) {
      const double v = value(code);
      if (below(v) || above(v) || std::isnan(v)) continue;
      if (run.empty()) run.first = code;
      run.last = code;
    }
    return run;
  }
  auto firstCodeWhere = [&](auto holds) {
    uint32_t low = 0, high = kCodeCount;
    while (low < high) {
      const uint32_t mid = (low + high) / 2;
      if (holds(value(mid))) {
        high = mid;
      } else {
        low = mid + 1;
      }
    }
    return low;
  };
  const bool rising = size >= 0.0f;
  const uint32_t first = rising ? firstCodeWhere([&](double v) { return !below(v); })
                                : firstCodeWhere([&](double v) { return !above(v); });
  const uint32_t end = rising ? firstCodeWhere(above) : firstCodeWhere(below);
  if (first >= end) return CodeRun{};
  return CodeRun{first, end - 1};
}

struct EditRuns {
  CodeRun x, y;
};

EditRuns RunsOf(const KmqData& data, const ReclassEdit& edit) {
  return {CodesWithin(data.sizeX, data.originX, edit.minX, edit.maxX),
          CodesWithin(data.sizeY, data.originY, edit.minY, edit.maxY)};
}

uint8_t EditClass(const ReclassEdit& edit) { return static_cast<uint8_t>(edit.cls & 0xFFu); }

// The automatic class of an unclassified point, or kNoOverride when it lies off the grid.
uint8_t AutoClassOf(const KmqData& data, const KmqPoint& point) {
  double ground = 0.0;
  if (!GroundAtLocal(data, DecodeX(data, point), DecodeY(data, point), ground)) return kNoOverride;
  return HeightAboveGroundClass(DecodeZ(data, point) - ground);
}

void ApplyAutoClasses(const KmqData& data, uint8_t* overrides) {
  const KmqPoint* points = data.points.data();
  for (size_t i = 0, n = data.points.size(); i < n; ++i) {
    if (overrides[i] == kNoOverride && points[i].cls == kUnclassified) overrides[i] = AutoClassOf(data, points[i]);
  }
}

}  // namespace

uint8_t HeightAboveGroundClass(double heightAboveGround) {
  if (heightAboveGround < kNoiseBelow) return kLowNoise;
  if (heightAboveGround < kLowVegetationBelow) return kLowVegetation;
  if (heightAboveGround < kMediumVegetationBelow) return kMediumVegetation;
  return kHighVegetation;
}

CodeRun CodesWithin(float size, double origin, double low, double high) {
  if (std::isnan(low) || std::isnan(high)) return CodeRun{};
  return CodesBetween(size, origin, [=](double v) { return v < low; }, [=](double v) { return v > high; });
}

CodeRun CodesFrom(float size, double origin, double low, double high) {
  if (std::isnan(low) || std::isnan(high)) return CodeRun{};
  return CodesBetween(size, origin, [=](double v) { return v < low; }, [=](double v) { return v >= high; });
}

void ComputeClassOverrides(const KmqData& data, std::span<const ReclassEdit> edits, bool autoClassify,
                           ClassOverrideArray& overrides) {
  overrides.assign(data.points.size(), kNoOverride);
  // Classes by height come last, over every point no edit claimed.
  for (const ReclassEdit& edit : edits) ApplyNewReclassEdit(data, edit, false, overrides);
  if (autoClassify) ApplyAutoClasses(data, overrides.data());
}

uint32_t ApplyNewReclassEdit(const KmqData& data, const ReclassEdit& edit, bool autoClassify,
                             ClassOverrideArray& overrides) {
  EditRuns runs = RunsOf(data, edit);
  if (runs.x.empty() || runs.y.empty()) return 0;
  const uint8_t cls = EditClass(edit);
  // An edit to "no override" hands its points back to the automatic classification.
  const bool reclassifyByHeight = autoClassify && cls == kNoOverride;
  const KmqPoint* points = data.points.data();
  uint8_t* bytes = overrides.data();
  uint32_t changed = 0;
  for (size_t i = 0, n = data.points.size(); i < n; ++i) {
    const KmqPoint& p = points[i];
    if (!runs.x.contains(p.qx) || !runs.y.contains(p.qy)) continue;
    changed += p.cls != cls;
    bytes[i] = (reclassifyByHeight && p.cls == kUnclassified) ? AutoClassOf(data, p) : cls;
  }
  return changed;
}

namespace {

bool Inside(const EditRuns& runs, const KmqPoint& p) { return runs.x.contains(p.qx) && runs.y.contains(p.qy); }

// Classes again the points inside the edits taken back, from the edits that stay.
void TakeBackEdits(const KmqData& data, std::span<const ReclassEdit> kept, std::span<const ReclassEdit> removed,
                   bool autoClassify, ClassOverrideArray& overrides) {
  std::vector<EditRuns> removedRuns;
  for (const ReclassEdit& edit : removed)
    if (EditRuns runs = RunsOf(data, edit); !runs.x.empty() && !runs.y.empty()) removedRuns.push_back(runs);
  if (removedRuns.empty()) return;
  // The box around the edits taken back rules out most points with two comparisons.
  EditRuns box = removedRuns.front();
  for (const EditRuns& runs : removedRuns) {
    box.x = {std::min(box.x.first, runs.x.first), std::max(box.x.last, runs.x.last)};
    box.y = {std::min(box.y.first, runs.y.first), std::max(box.y.last, runs.y.last)};
  }
  std::vector<EditRuns> keptRuns;
  for (const ReclassEdit& edit : kept) keptRuns.push_back(RunsOf(data, edit));
  const KmqPoint* points = data.points.data();
  uint8_t* bytes = overrides.data();
  for (size_t i = 0, n = data.points.size(); i < n; ++i) {
    const KmqPoint& p = points[i];
    if (!Inside(box, p) ||
        std::none_of(removedRuns.begin(), removedRuns.end(), [&p](const EditRuns& runs) { return Inside(runs, p); }))
      continue;
    uint8_t cls = kNoOverride;
    for (size_t k = 0; k < keptRuns.size(); ++k)
      if (Inside(keptRuns[k], p)) cls = EditClass(kept[k]);
    if (autoClassify && cls == kNoOverride && p.cls == kUnclassified) cls = AutoClassOf(data, p);
    bytes[i] = cls;
  }
}

bool StartsWith(std::span<const ReclassEdit> list, std::span<const ReclassEdit> prefix) {
  return prefix.size() <= list.size() && std::equal(prefix.begin(), prefix.end(), list.begin());
}

}  // namespace

bool UpdateClassOverrides(const KmqData& data, std::span<const ReclassEdit> before,
                          std::span<const ReclassEdit> after, bool autoClassify, ClassOverrideArray& overrides) {
  if (overrides.size() != data.points.size()) return false;
  if (StartsWith(after, before)) {
    for (const ReclassEdit& edit : after.subspan(before.size()))
      ApplyNewReclassEdit(data, edit, autoClassify, overrides);
    return true;
  }
  if (!StartsWith(before, after)) return false;
  TakeBackEdits(data, after, before.subspan(after.size()), autoClassify, overrides);
  return true;
}

uint32_t CountReclassifiedPoints(const KmqData& data, const ReclassEdit& edit) {
  EditRuns runs = RunsOf(data, edit);
  if (runs.x.empty() || runs.y.empty()) return 0;
  const uint8_t cls = EditClass(edit);
  uint32_t changed = 0;
  for (const KmqPoint& p : data.points) changed += runs.x.contains(p.qx) && runs.y.contains(p.qy) && p.cls != cls;
  return changed;
}

void RebuildClassOverrides(const Pelvar& entity, const KmqData& data) {
  ClassOverridesPtr& slot = entity.classOverridesSlot();
  const std::vector<ReclassEdit>& edits = entity.reclassEdits();
  if (edits.empty() && !entity.autoClassify()) {
    slot.reset();
  } else {
    // Views that took the array keep seeing it: it is refilled in place, never replaced.
    if (!slot) slot = std::make_shared<ClassOverrideArray>();
    ComputeClassOverrides(data, edits, entity.autoClassify(), *slot);
  }
  entity.setOverridesDirty(false);
}
