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
