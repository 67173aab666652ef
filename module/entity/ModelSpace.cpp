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

namespace {

// Walks model space (opened for read) with each entity opened in `mode` while `visit`
// returns true.
template <class Visit>
void WalkModelSpace(AcDbDatabase* database, AcDb::OpenMode mode, Visit visit) {
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

}  // namespace

void VisitModelSpaceEntities(AcDbDatabase* database, const std::function<bool(const AcDbEntity&)>& visit) {
  WalkModelSpace(database, AcDb::kForRead, [&](AcDbEntity& entity) { return visit(entity); });
}

void VisitModelSpaceEntities(AcDbDatabase* database, AcDb::OpenMode mode,
                             const std::function<bool(AcDbEntity&)>& visit) {
  WalkModelSpace(database, mode, visit);
}

void ModifyModelSpaceEntities(AcDbDatabase* database, const std::function<void(AcDbEntity&)>& visit) {
  WalkModelSpace(database, AcDb::kForWrite, [&](AcDbEntity& entity) {
    visit(entity);
    return true;
  });
}
