// Opening objects: writers exclude, readers share, upgradeOpen, erase and iterators.
#include <gtest/gtest.h>

#include "dbapserv.h"
#include "dbents.h"
#include "dbsymtb.h"

namespace {

AcDbObjectId AddLine(AcDbDatabase& db, const AcGePoint3d& a, const AcGePoint3d& b) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(Acad::eOk, acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite));
  auto* line = new AcDbLine(a, b);
  AcDbObjectId id;
  EXPECT_EQ(Acad::eOk, space->appendAcDbEntity(id, line));
  EXPECT_TRUE(line->isWriteEnabled());
  line->close();
  space->close();
  return id;
}

std::vector<AcDbObjectId> IdsInModelSpace(AcDbDatabase& db) {
  std::vector<AcDbObjectId> ids;
  AcDbBlockTable* table = nullptr;
  EXPECT_EQ(Acad::eOk, db.getSymbolTable(table, AcDb::kForRead));
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(Acad::eOk, table->getAt(L"*MODEL_SPACE", space, AcDb::kForRead));  // any case
  table->close();
  AcDbBlockTableRecordIterator* it = nullptr;
  space->newIterator(it);
  for (; !it->done(); it->step()) {
    AcDbEntity* entity = nullptr;
    EXPECT_EQ(Acad::eOk, it->getEntity(entity, AcDb::kForRead));
    ids.push_back(entity->objectId());
    entity->close();
  }
  delete it;
  space->close();
  return ids;
}

TEST(OpenRules, DefaultDrawingHasSpacesAndLayerZero) {
  AcDbDatabase db;
  AcDbBlockTable* blocks = nullptr;
  ASSERT_EQ(Acad::eOk, db.getBlockTable(blocks, AcDb::kForRead));
  EXPECT_TRUE(blocks->has(L"*Model_Space"));
  EXPECT_TRUE(blocks->has(L"*Paper_Space"));
  AcDbObjectId id;
  EXPECT_EQ(Acad::eOk, blocks->getIdAt(L"*Model_Space", id));
  EXPECT_EQ(db.modelSpaceId(), id);
  EXPECT_EQ(Acad::eKeyNotFound, blocks->getIdAt(L"nope", id));
  blocks->close();
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(Acad::eOk, db.getLayerTable(layers, AcDb::kForRead));
  EXPECT_EQ(Acad::eOk, layers->getIdAt(L"0", id));
  EXPECT_EQ(db.clayer(), id);
  layers->close();
  EXPECT_FALSE(db.isModified());
}

TEST(OpenRules, WriterExcludesEveryoneReadersShare) {
  AcDbDatabase db;
  AcDbObjectId id = AddLine(db, {0, 0, 0}, {1, 0, 0});
  AcDbLine* writer = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(writer, id, AcDb::kForWrite));
  AcDbLine* other = nullptr;
  EXPECT_EQ(Acad::eWasOpenForWrite, acdbOpenObject(other, id, AcDb::kForRead));
  EXPECT_EQ(Acad::eWasOpenForWrite, acdbOpenObject(other, id, AcDb::kForWrite));
  EXPECT_EQ(nullptr, other);
  EXPECT_EQ(Acad::eOk, writer->close());

  AcDbLine *r1 = nullptr, *r2 = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(r1, id, AcDb::kForRead));
  ASSERT_EQ(Acad::eOk, acdbOpenObject(r2, id, AcDb::kForRead));
  EXPECT_EQ(r1, r2);
  EXPECT_EQ(Acad::eWasOpenForRead, acdbOpenObject(other, id, AcDb::kForWrite));
  EXPECT_EQ(Acad::eHadMultipleReaders, r1->upgradeOpen());
  r2->close();
  EXPECT_EQ(Acad::eOk, r1->upgradeOpen());
  EXPECT_TRUE(r1->isWriteEnabled());
  EXPECT_EQ(Acad::eOk, r1->setEndPoint({2, 0, 0}));
  EXPECT_EQ(Acad::eOk, r1->downgradeOpen());
  EXPECT_FALSE(r1->isWriteEnabled());
  EXPECT_EQ(Acad::eOk, r1->close());
  // Once closed, a further close is misuse and is reported, not ignored.
  int errorsBefore = pelvarhost::OpenStateErrorCount();
  EXPECT_EQ(Acad::eInvalidOpenState, r1->close());
  EXPECT_EQ(errorsBefore + 1, pelvarhost::OpenStateErrorCount());
}

TEST(OpenRules, ChangesWithoutWriteAccessAreRefusedAndReported) {
  AcDbDatabase db;
  AcDbObjectId id = AddLine(db, {0, 0, 0}, {1, 0, 0});
  AcDbLine* line = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(line, id, AcDb::kForRead));
  int errorsBefore = pelvarhost::OpenStateErrorCount();
  EXPECT_EQ(Acad::eNotOpenForWrite, line->setStartPoint({9, 9, 9}));
  EXPECT_EQ(Acad::eNotOpenForWrite, line->transformBy(AcGeMatrix3d::translation({1, 0, 0})));
  EXPECT_EQ(errorsBefore + 2, pelvarhost::OpenStateErrorCount());
  EXPECT_EQ(L"AcDbLine (handle " + id.handle().toString() + L") changed while not open for write",
            pelvarhost::LastOpenStateError());
  EXPECT_EQ(AcGePoint3d(0, 0, 0), line->startPoint());
  line->close();
}

TEST(OpenRules, TypedOpenOfAnotherClassLeavesNothingOpen) {
  AcDbDatabase db;
  AcDbObjectId id = AddLine(db, {0, 0, 0}, {1, 0, 0});
  AcDbPoint* point = nullptr;
  EXPECT_EQ(Acad::eNotThatKindOfClass, acdbOpenObject(point, id, AcDb::kForWrite));
  EXPECT_EQ(nullptr, point);
  AcDbCurve* curve = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(curve, id, AcDb::kForWrite));  // not left open above
  curve->close();
  AcDbObject* none = nullptr;
  EXPECT_EQ(Acad::eNullObjectId, acdbOpenObject(none, AcDbObjectId::kNull, AcDb::kForRead));
}

TEST(OpenRules, ErasedEntitiesAreSkippedAndOpenOnlyOnRequest) {
  AcDbDatabase db;
  AcDbObjectId a = AddLine(db, {0, 0, 0}, {1, 0, 0});
  AcDbObjectId b = AddLine(db, {0, 0, 0}, {0, 1, 0});
  AcDbObjectId c = AddLine(db, {0, 0, 0}, {0, 0, 1});
  AcDbEntity* entity = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenAcDbEntity(entity, b, AcDb::kForWrite));
  EXPECT_EQ(Acad::eOk, entity->erase());
  EXPECT_EQ(Acad::eWasErased, entity->erase());
  entity->close();
  EXPECT_TRUE(b.isErased());
  EXPECT_EQ((std::vector<AcDbObjectId>{a, c}), IdsInModelSpace(db));
  EXPECT_EQ(Acad::eWasErased, acdbOpenAcDbEntity(entity, b, AcDb::kForRead));
  ASSERT_EQ(Acad::eOk, acdbOpenAcDbEntity(entity, b, AcDb::kForWrite, true));
  EXPECT_EQ(Acad::eOk, entity->erase(false));
  entity->close();
  EXPECT_EQ((std::vector<AcDbObjectId>{a, b, c}), IdsInModelSpace(db));
}

TEST(OpenRules, TheDrawingsOwnTablesSpacesLayerZeroAndCurrentLayerCannotBeErased) {
  AcDbDatabase db;
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(Acad::eOk, db.getLayerTable(layers, AcDb::kForWrite));
  auto* spare = new AcDbLayerTableRecord();
  spare->setName(L"SPARE");
  AcDbObjectId spareId;
  ASSERT_EQ(Acad::eOk, layers->add(spareId, spare));
  spare->close();
  layers->close();
  for (AcDbObjectId id : {db.blockTableId(), db.layerTableId(), db.modelSpaceId(), db.paperSpaceId(), db.clayer()}) {
    AcDbObject* object = nullptr;
    ASSERT_EQ(Acad::eOk, acdbOpenObject(object, id, AcDb::kForWrite));
    EXPECT_EQ(Acad::eCannotBeErasedByCaller, object->erase()) << object->isA()->name();
    EXPECT_FALSE(object->isErased());
    object->close();
  }
  // Another layer can go; once it is current, it cannot.
  AcDbObject* object = nullptr;
  ASSERT_EQ(Acad::eOk, db.setClayer(spareId));
  ASSERT_EQ(Acad::eOk, acdbOpenObject(object, spareId, AcDb::kForWrite));
  EXPECT_EQ(Acad::eCannotBeErasedByCaller, object->erase());
  object->close();
  AcDbObjectId zero;
  AcDbLayerTable* table = nullptr;
  ASSERT_EQ(Acad::eOk, db.getLayerTable(table, AcDb::kForRead));
  ASSERT_EQ(Acad::eOk, table->getIdAt(L"0", zero));
  table->close();
  ASSERT_EQ(Acad::eOk, db.setClayer(zero));
  ASSERT_EQ(Acad::eOk, acdbOpenObject(object, spareId, AcDb::kForWrite));
  EXPECT_EQ(Acad::eOk, object->erase());
  object->close();
  // Layer "0" stays even when another layer is current.
  ASSERT_EQ(Acad::eOk, acdbOpenObject(object, spareId, AcDb::kForWrite, true));
  EXPECT_EQ(Acad::eOk, object->erase(false));
  object->close();
  ASSERT_EQ(Acad::eOk, db.setClayer(spareId));
  ASSERT_EQ(Acad::eOk, acdbOpenObject(object, zero, AcDb::kForWrite));
  EXPECT_EQ(Acad::eCannotBeErasedByCaller, object->erase());
  EXPECT_FALSE(object->isErased());
  object->close();
}

TEST(OpenRules, NewObjectsBelongToTheCallerUntilAdded) {
  AcDbDatabase db;
  auto* line = new AcDbLine({0, 0, 0}, {1, 1, 1});
  EXPECT_TRUE(line->isNewObject());
  EXPECT_TRUE(line->isWriteEnabled());
  EXPECT_EQ(Acad::eNotInDatabase, line->close());
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(space, db.modelSpaceId(), AcDb::kForRead));
  EXPECT_EQ(Acad::eNotOpenForWrite, space->appendAcDbEntity(line));  // the record is only read
  EXPECT_TRUE(line->isNewObject());
  space->close();
  delete line;  // never added: the caller's to delete
}

TEST(OpenRules, LayersAndDefaultsComeFromTheDatabase) {
  AcDbDatabase db;
  AcDbLayerTable* layers = nullptr;
  ASSERT_EQ(Acad::eOk, db.getLayerTable(layers, AcDb::kForWrite));
  auto* layer = new AcDbLayerTableRecord();
  layer->setName(L"PELVAR_PROFILE");
  AcDbObjectId layerId;
  ASSERT_EQ(Acad::eOk, layers->add(layerId, layer));
  layer->close();
  auto* duplicate = new AcDbLayerTableRecord();
  duplicate->setName(L"pelvar_profile");
  EXPECT_EQ(Acad::eDuplicateRecordName, layers->add(duplicate));
  delete duplicate;
  layers->close();
  ASSERT_EQ(Acad::eOk, db.setClayer(layerId));
  db.setCecolorIndex(3);

  auto* line = new AcDbLine({0, 0, 0}, {1, 0, 0});
  line->setDatabaseDefaults(&db);
  EXPECT_STREQ(L"PELVAR_PROFILE", line->layer());
  EXPECT_EQ(3, line->colorIndex());
  AcDbBlockTableRecord* space = nullptr;
  ASSERT_EQ(Acad::eOk, acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite));
  ASSERT_EQ(Acad::eOk, space->appendAcDbEntity(line));
  space->close();
  EXPECT_EQ(Acad::eKeyNotFound, line->setLayer(L"MISSING"));
  EXPECT_EQ(Acad::eOk, line->setLayer(L"pelvar_profile"));
  EXPECT_STREQ(L"PELVAR_PROFILE", line->layer());  // the layer's own spelling
  EXPECT_EQ(layerId, line->layerId());
  line->close();
}

TEST(OpenRules, WorkingDatabaseIsForgottenWhenDestroyed) {
  {
    AcDbDatabase db;
    acdbHostApplicationServices()->setWorkingDatabase(&db);
    EXPECT_EQ(&db, acdbHostApplicationServices()->workingDatabase());
  }
  EXPECT_EQ(nullptr, acdbHostApplicationServices()->workingDatabase());
}

}  // namespace
