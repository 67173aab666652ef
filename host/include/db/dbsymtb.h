// Symbol tables (blocks, layers), their records and the block record's entity iterator.
#pragma once
#include <vector>
#include "dbmain.h"

class AcDbSymbolTableRecord;
class AcDbSymbolTableIterator;
class AcDbBlockTableRecord;
class AcDbBlockTableRecordIterator;
class AcDbLayerTableRecord;

// A table of named records. Names compare without regard to case.
class AcDbSymbolTable : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSymbolTable);
  ~AcDbSymbolTable() override;

  Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbSymbolTableRecord*& record,
                          AcDb::OpenMode mode, bool openErasedRecord = false) const;
  Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                          bool getErasedRecord = false) const;
  Acad::ErrorStatus getIdAt(const ACHAR* entryName, AcDbObjectId& recordId,
                            bool getErasedRecord = false) const {
    return getAt(entryName, recordId, getErasedRecord);
  }
  bool has(const ACHAR* name) const;
  bool has(AcDbObjectId id) const;
  // The table must be open for write and in a database; the record becomes resident
  // (eDuplicateRecordName when the name is taken, eInvalidSymbolTableName when empty).
  Acad::ErrorStatus add(AcDbSymbolTableRecord* record);
  Acad::ErrorStatus add(AcDbObjectId& recordId, AcDbSymbolTableRecord* record);
  Acad::ErrorStatus newIterator(AcDbSymbolTableIterator*& iterator, bool atBeginning = true,
                                bool skipDeleted = true) const;

  // Host internals: the record ids in the order added.
  const std::vector<AcDbObjectId>& recordIds() const { return m_records; }
  void linkRecord(AcDbObjectId id) { m_records.push_back(id); }
  void unlinkRecord(AcDbObjectId id) { std::erase(m_records, id); }

 protected:
  AcDbSymbolTable() = default;

 private:
  std::vector<AcDbObjectId> m_records;
};

class AcDbSymbolTableRecord : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbSymbolTableRecord);
  ~AcDbSymbolTableRecord() override;

  Acad::ErrorStatus getName(const ACHAR*& name) const;
  Acad::ErrorStatus getName(AcString& name) const;
  Acad::ErrorStatus setName(const ACHAR* name);
  const ACHAR* name() const { return m_name.kwszPtr(); }

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 protected:
  AcDbSymbolTableRecord() = default;

 private:
  AcString m_name;
};

class AcDbSymbolTableIterator {
 public:
  AcDbSymbolTableIterator(const AcDbSymbolTable* table, bool skipDeleted);
  void start(bool atBeginning = true, bool skipDeleted = true);
  bool done() const;
  void step(bool forward = true, bool skipDeleted = true);
  Acad::ErrorStatus getRecordId(AcDbObjectId& id) const;
  Acad::ErrorStatus getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                              bool openErasedRecord = false) const;

 private:
  void skipErased(bool forward);
  std::vector<AcDbObjectId> m_ids;
  int m_index = 0;
};

class AcDbBlockTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockTable);
  AcDbBlockTable() = default;
  using AcDbSymbolTable::getAt;
  Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbBlockTableRecord*& record,
                          AcDb::OpenMode mode, bool openErasedRecord = false) const;
};

class AcDbBlockTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbBlockTableRecord);
  AcDbBlockTableRecord() = default;

  // The record must be open for write and in a database; the entity becomes resident,
  // owned by the database, and stays open for write (close it). The entity's layer and
  // colour are kept (call setDatabaseDefaults first for the current ones).
  Acad::ErrorStatus appendAcDbEntity(AcDbEntity* entity);
  Acad::ErrorStatus appendAcDbEntity(AcDbObjectId& entityId, AcDbEntity* entity);
  Acad::ErrorStatus newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning = true,
                                bool skipDeleted = true) const;

  // Host internals: the entity ids in the order appended (erased ones included).
  const std::vector<AcDbObjectId>& entityIds() const { return m_entities; }
  void linkEntity(AcDbObjectId id) { m_entities.push_back(id); }
  void unlinkEntity(AcDbObjectId id) { std::erase(m_entities, id); }

 private:
  std::vector<AcDbObjectId> m_entities;
};

// Walks a block's entities in the order appended, skipping erased ones. The iterator
// belongs to the caller (delete it).
class AcDbBlockTableRecordIterator {
 public:
  AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* record, bool atBeginning,
                               bool skipDeleted);
  void start(bool atBeginning = true, bool skipDeleted = true);
  bool done() const;
  void step(bool forward = true, bool skipDeleted = true);
  Acad::ErrorStatus getEntityId(AcDbObjectId& entityId) const;
  Acad::ErrorStatus getEntity(AcDbEntity*& entity, AcDb::OpenMode mode,
                              bool openErasedEntity = false) const;
  Acad::ErrorStatus seek(AcDbObjectId id);

 private:
  void skipErased(bool forward);
  AcDbObjectId m_recordId;
  const AcDbBlockTableRecord* m_record;
  int m_index = 0;
  bool m_skipDeleted = true;
};

class AcDbLayerTable : public AcDbSymbolTable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLayerTable);
  AcDbLayerTable() = default;
  using AcDbSymbolTable::getAt;
  Acad::ErrorStatus getAt(const ACHAR* entryName, AcDbLayerTableRecord*& record,
                          AcDb::OpenMode mode, bool openErasedRecord = false) const;
};

class AcDbLayerTableRecord : public AcDbSymbolTableRecord {
 public:
  ACRX_DECLARE_MEMBERS(AcDbLayerTableRecord);
  AcDbLayerTableRecord() = default;

  // The layer's colour index, 1 to 255 (default 7, white).
  Adesk::UInt16 colorIndex() const;
  Acad::ErrorStatus setColorIndex(Adesk::UInt16 color);
  bool isOff() const;
  void setIsOff(bool off);

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 private:
  Adesk::UInt16 m_colorIndex = 7;
  bool m_off = false;
};
