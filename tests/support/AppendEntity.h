// Appends a new entity to a block record of a drawing (model space unless told otherwise)
// and closes both again; the test fails at the caller when that does not work.
#pragma once
#include <gtest/gtest.h>

#include "dbdatabase.h"
#include "dbsymtb.h"

namespace pelvartest {

inline AcDbObjectId AppendEntity(AcDbObjectId spaceId, AcDbEntity* entity) {
  AcDbObjectId id;
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(acdbOpenObject(space, spaceId, AcDb::kForWrite), Acad::eOk);
  if (space == nullptr) {
    delete entity;
    return id;
  }
  EXPECT_EQ(space->appendAcDbEntity(id, entity), Acad::eOk);
  space->close();
  entity->close();
  return id;
}

inline AcDbObjectId AppendToModelSpace(AcDbDatabase& db, AcDbEntity* entity) {
  return AppendEntity(db.modelSpaceId(), entity);
}

}  // namespace pelvartest
