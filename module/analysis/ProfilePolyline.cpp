#include "analysis/ProfilePolyline.h"

#include <memory>

#include "db3dpoly.h"
#include "dbapserv.h"
#include "entity/ModelSpace.h"
#include "entity/OpenedObject.h"

AcDbObjectId EnsureProfileLayer() {
  AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
  AcDbLayerTable* opened = nullptr;
  if (database == nullptr || database->getLayerTable(opened, AcDb::kForRead) != Acad::eOk) return AcDbObjectId();
  OpenedObject<AcDbLayerTable> table(opened);
  AcDbObjectId layerId;
  if (table->getAt(kProfileLayerName, layerId) == Acad::eOk) return layerId;
  if (table->upgradeOpen() != Acad::eOk) return AcDbObjectId();
  auto layer = std::make_unique<AcDbLayerTableRecord>();
  layer->setName(kProfileLayerName);
  layer->setColorIndex(kProfileLayerColour);
  if (table->add(layerId, layer.get()) != Acad::eOk) return AcDbObjectId();
  OpenedObject<AcDbLayerTableRecord> added(layer.release());
  return layerId;
}

AcDbObjectId AppendProfilePolyline(const AcGePoint3dArray& vertices, AcDbObjectId layerId) {
  AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
  AcGePoint3dArray points = vertices;
  auto polyline = std::make_unique<AcDb3dPolyline>(AcDb::k3dSimplePoly, points, Adesk::kFalse);
  polyline->setDatabaseDefaults(database);
  if (!layerId.isNull() && polyline->setLayer(layerId, Adesk::kTrue, false) != Acad::eOk) return AcDbObjectId();
  OpenedObject<AcDbBlockTableRecord> space(OpenModelSpace(database, AcDb::kForWrite));
  AcDbObjectId id;
  if (!space || space->appendAcDbEntity(id, polyline.get()) != Acad::eOk) return AcDbObjectId();
  OpenedObject<AcDb3dPolyline> appended(polyline.release());
  return id;
}
