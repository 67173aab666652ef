#include "classify/ReclassEdits.h"

#include <algorithm>

#include "aced.h"
#include "classify/ClassOverrides.h"
#include "dbapserv.h"
#include "entity/ModelSpace.h"

namespace {

AcDbDatabase* WorkingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }

// True when the entity's override array matches its edits and switch as they stand.
bool OverridesAreCurrent(const Pelvar& entity, const KmqData& data) {
  if (entity.overridesDirty()) return false;
  const ClassOverridesPtr& overrides = entity.classOverridesSlot();
  if (!overrides) return entity.reclassEdits().empty() && !entity.autoClassify();
  return overrides->size() == data.points.size();
}

ReclassEdit SortedEdit(double x1, double y1, double x2, double y2, uint8_t cls) {
  return ReclassEdit{std::min(x1, x2), std::min(y1, y2), std::max(x1, x2), std::max(y1, y2), cls};
}

}  // namespace

uint32_t AddReclassEdit(Pelvar& entity, double x1, double y1, double x2, double y2, uint8_t cls) {
  const ReclassEdit edit = SortedEdit(x1, y1, x2, y2, cls);
  KmqDataPtr data = entity.CloudData();
  const bool wasCurrent = data && OverridesAreCurrent(entity, *data);
  entity.appendReclassEdit(edit);
  entity.setOverridesDirty(true);
  entity.recordGraphicsModified(true);
  if (!data) return 0;
  if (!wasCurrent) {
    RebuildClassOverrides(entity, *data);
    return CountReclassifiedPoints(*data, edit);
  }
  // The array held every earlier edit: only the new rectangle needs applying.
  ClassOverridesPtr& overrides = entity.classOverridesSlot();
  if (!overrides) overrides = std::make_shared<ClassOverrideArray>(data->points.size(), kNoOverride);
  uint32_t changed = ApplyNewReclassEdit(*data, edit, entity.autoClassify(), *overrides);
  entity.setOverridesDirty(false);
  return changed;
}

uint32_t ApplyReclassRect(const AcGePoint3d& corner1, const AcGePoint3d& corner2, uint8_t cls) {
  uint32_t total = 0;
  ModifyModelSpaceEntities(WorkingDatabase(), [&](AcDbEntity& entity) {
    Pelvar* cloud = Pelvar::cast(&entity);
    if (cloud == nullptr) return;
    const AcGeMatrix3d toCloud = cloud->transform().inverse();
    const AcGePoint3d a = toCloud * AcGePoint3d(corner1.x, corner1.y, 0.0);
    const AcGePoint3d b = toCloud * AcGePoint3d(corner2.x, corner2.y, 0.0);
    total += AddReclassEdit(*cloud, a.x, a.y, b.x, b.y, cls);
  });
  return total;
}

void ClearReclassEdits() {
  int cleared = 0;
  ModifyModelSpaceEntities(WorkingDatabase(), [&](AcDbEntity& entity) {
    Pelvar* cloud = Pelvar::cast(&entity);
    if (cloud == nullptr || cloud->reclassEdits().empty()) return;
    cloud->setReclassEdits({});
    if (cloud->autoClassify()) {
      // The classes by height stay: rebuild the array from the switch alone.
      cloud->setOverridesDirty(true);
    } else {
      cloud->classOverridesSlot().reset();
      cloud->setOverridesDirty(false);
    }
    cloud->recordGraphicsModified(true);
    ++cleared;
  });
  acutPrintf(L"\nReclassification cleared on %d cloud(s).", cleared);
}
