#include "entity/ModelSpace.h"

AcDbBlockTableRecord* OpenModelSpace(AcDbDatabase* database, AcDb::OpenMode mode) {
  if (database == nullptr) return nullptr;
  AcDbBlockTable* table = nullptr;
  if (database->getSymbolTable(table, AcDb::kForRead) != Acad::eOk) return nullptr;
  AcDbObjectId spaceId;
  Acad::ErrorStatus status = table->getIdAt(kModelSpaceName, spaceId);
  table->close();
  if (status != Acad::eOk) return nullptr;
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, spaceId, mode) != Acad::eOk) return nullptr;
  return space;
}

void VisitModelSpaceEntities(AcDbDatabase* database, const std::function<bool(const AcDbEntity&)>& visit) {
  VisitModelSpaceEntities(database, AcDb::kForRead, [&visit](AcDbEntity& entity) { return visit(entity); });
}

void VisitModelSpaceEntities(AcDbDatabase* database, AcDb::OpenMode mode,
                             const std::function<bool(AcDbEntity&)>& visit) {
  AcDbBlockTableRecord* space = OpenModelSpace(database, AcDb::kForRead);
  if (space == nullptr) return;
  AcDbBlockTableRecordIterator* it = nullptr;
  if (space->newIterator(it) == Acad::eOk) {
    bool goOn = true;
    for (; goOn && !it->done(); it->step()) {
      AcDbEntity* entity = nullptr;
      if (it->getEntity(entity, mode) != Acad::eOk) continue;
      goOn = visit(*entity);
      entity->close();
    }
    delete it;
  }
  space->close();
}
