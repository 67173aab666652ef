// Symbol tables, their records, and the iterators over records and block entities.
#include "dbsymtb.h"

#include "dbimpl.h"

ACRX_NO_CONS_DEFINE_MEMBERS(AcDbSymbolTable, AcDbObject)
ACRX_NO_CONS_DEFINE_MEMBERS(AcDbSymbolTableRecord, AcDbObject)
ACRX_DXF_DEFINE_MEMBERS(AcDbBlockTable, AcDbSymbolTable, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, BLOCK_TABLE, "")
ACRX_DXF_DEFINE_MEMBERS(AcDbLayerTable, AcDbSymbolTable, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, LAYER_TABLE, "")
ACRX_DXF_DEFINE_MEMBERS(AcDbBlockTableRecord, AcDbSymbolTableRecord, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, BLOCK_RECORD, "")
ACRX_DXF_DEFINE_MEMBERS(AcDbLayerTableRecord, AcDbSymbolTableRecord, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, LAYER, "")

namespace {
bool IsLive(AcDbObjectId id) { return id.stub() != nullptr && id.stub()->object != nullptr && !id.isErased(); }

// Makes a new object resident under `owner`; it stays open for write.
Acad::ErrorStatus MakeResident(AcDbObject* owner, AcDbObject* object, AcDbObjectId& id) {
  if (object == nullptr) return Acad::eNullObjectPointer;
  if (!object->isNewObject()) return Acad::eAlreadyInDb;
  if (owner->database() == nullptr) return Acad::eNoDatabase;
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(owner); status != Acad::eOk) return status;
  id = pelvarhost::DbAccess::Impl(*owner->database()).addObject(object, owner->objectId());
  return id.isNull() ? Acad::eHandleInUse : Acad::eOk;
}
}  // namespace

// --- Tables.

AcDbSymbolTable::~AcDbSymbolTable() = default;

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* entryName, AcDbObjectId& recordId,
                                         bool getErasedRecord) const {
  assertReadEnabled();
  recordId.setNull();
  if (entryName == nullptr) return Acad::eInvalidInput;
  for (AcDbObjectId id : m_records) {
    if (id.stub() == nullptr || id.stub()->object == nullptr) continue;
    if (id.isErased() && !getErasedRecord) continue;
    auto* record = static_cast<const AcDbSymbolTableRecord*>(id.stub()->object);
    if (AcString(record->name()).compareNoCase(entryName) == 0) {
      recordId = id;
      return Acad::eOk;
    }
  }
  return Acad::eKeyNotFound;
}

Acad::ErrorStatus AcDbSymbolTable::getAt(const ACHAR* entryName, AcDbSymbolTableRecord*& record,
                                         AcDb::OpenMode mode, bool openErasedRecord) const {
  record = nullptr;
  AcDbObjectId id;
  if (Acad::ErrorStatus status = getAt(entryName, id, openErasedRecord); status != Acad::eOk) return status;
  return acdbOpenObject(record, id, mode, openErasedRecord);
}

bool AcDbSymbolTable::has(const ACHAR* name) const {
  AcDbObjectId id;
  return getAt(name, id) == Acad::eOk;
}

bool AcDbSymbolTable::has(AcDbObjectId id) const {
  assertReadEnabled();
  for (AcDbObjectId recordId : m_records)
    if (recordId == id && IsLive(id)) return true;
  return false;
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbSymbolTableRecord* record) {
  AcDbObjectId unused;
  return add(unused, record);
}

Acad::ErrorStatus AcDbSymbolTable::add(AcDbObjectId& recordId, AcDbSymbolTableRecord* record) {
  recordId.setNull();
  if (record == nullptr) return Acad::eNullObjectPointer;
  if (record->name()[0] == 0) return Acad::eInvalidSymbolTableName;
  if (has(record->name())) return Acad::eDuplicateRecordName;
  if (Acad::ErrorStatus status = MakeResident(this, record, recordId); status != Acad::eOk) return status;
  linkRecord(recordId);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTable::newIterator(AcDbSymbolTableIterator*& iterator, bool atBeginning,
                                               bool skipDeleted) const {
  assertReadEnabled();
  iterator = new AcDbSymbolTableIterator(this, skipDeleted);
  iterator->start(atBeginning, skipDeleted);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTable::getAt(const ACHAR* entryName, AcDbBlockTableRecord*& record,
                                        AcDb::OpenMode mode, bool openErasedRecord) const {
  record = nullptr;
  AcDbObjectId id;
  if (Acad::ErrorStatus status = getAt(entryName, id, openErasedRecord); status != Acad::eOk) return status;
  return acdbOpenObject(record, id, mode, openErasedRecord);
}

Acad::ErrorStatus AcDbLayerTable::getAt(const ACHAR* entryName, AcDbLayerTableRecord*& record,
                                        AcDb::OpenMode mode, bool openErasedRecord) const {
  record = nullptr;
  AcDbObjectId id;
  if (Acad::ErrorStatus status = getAt(entryName, id, openErasedRecord); status != Acad::eOk) return status;
  return acdbOpenObject(record, id, mode, openErasedRecord);
}

// --- Records.

AcDbSymbolTableRecord::~AcDbSymbolTableRecord() = default;

Acad::ErrorStatus AcDbSymbolTableRecord::getName(const ACHAR*& name) const {
  assertReadEnabled();
  name = m_name.kwszPtr();
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::getName(AcString& name) const {
  assertReadEnabled();
  name = m_name;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::setName(const ACHAR* name) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  if (name == nullptr || *name == 0) return Acad::eInvalidSymbolTableName;
  m_name = name;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableRecord::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbObject::dwgInFields(filer); status != Acad::eOk) return status;
  filer->readString(m_name);
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbSymbolTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbObject::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writeString(m_name);
  return filer->filerStatus();
}

Adesk::UInt16 AcDbLayerTableRecord::colorIndex() const {
  assertReadEnabled();
  return m_colorIndex;
}

Acad::ErrorStatus AcDbLayerTableRecord::setColorIndex(Adesk::UInt16 color) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  if (color < 1 || color > 255) return Acad::eInvalidInput;
  m_colorIndex = color;
  return Acad::eOk;
}

bool AcDbLayerTableRecord::isOff() const {
  assertReadEnabled();
  return m_off;
}

void AcDbLayerTableRecord::setIsOff(bool off) {
  if (pelvarhost::RequireWrite(this) == Acad::eOk) m_off = off;
}

Acad::ErrorStatus AcDbLayerTableRecord::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbSymbolTableRecord::dwgInFields(filer); status != Acad::eOk) return status;
  filer->readUInt16(&m_colorIndex);
  filer->readBool(&m_off);
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbLayerTableRecord::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbSymbolTableRecord::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writeUInt16(m_colorIndex);
  filer->writeBool(m_off);
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbEntity* entity) {
  AcDbObjectId unused;
  return appendAcDbEntity(unused, entity);
}

Acad::ErrorStatus AcDbBlockTableRecord::appendAcDbEntity(AcDbObjectId& entityId, AcDbEntity* entity) {
  entityId.setNull();
  if (entity == nullptr) return Acad::eNullEntityPointer;
  if (Acad::ErrorStatus status = MakeResident(this, entity, entityId); status != Acad::eOk) return status;
  linkEntity(entityId);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecord::newIterator(AcDbBlockTableRecordIterator*& iterator, bool atBeginning,
                                                    bool skipDeleted) const {
  assertReadEnabled();
  iterator = new AcDbBlockTableRecordIterator(this, atBeginning, skipDeleted);
  return Acad::eOk;
}

// --- Iterators.

AcDbSymbolTableIterator::AcDbSymbolTableIterator(const AcDbSymbolTable* table, bool)
    : m_ids(table->recordIds()) {}

void AcDbSymbolTableIterator::start(bool atBeginning, bool skipDeleted) {
  m_index = atBeginning ? 0 : static_cast<int>(m_ids.size()) - 1;
  if (skipDeleted) skipErased(atBeginning);
}

bool AcDbSymbolTableIterator::done() const { return m_index < 0 || m_index >= static_cast<int>(m_ids.size()); }

void AcDbSymbolTableIterator::step(bool forward, bool skipDeleted) {
  m_index += forward ? 1 : -1;
  if (skipDeleted) skipErased(forward);
}

void AcDbSymbolTableIterator::skipErased(bool forward) {
  while (!done() && !IsLive(m_ids[m_index])) m_index += forward ? 1 : -1;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecordId(AcDbObjectId& id) const {
  if (done()) return Acad::eIteratorDone;
  id = m_ids[m_index];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbSymbolTableIterator::getRecord(AcDbSymbolTableRecord*& record, AcDb::OpenMode mode,
                                                     bool openErasedRecord) const {
  record = nullptr;
  if (done()) return Acad::eIteratorDone;
  return acdbOpenObject(record, m_ids[m_index], mode, openErasedRecord);
}

// The iterator reads the record's entity list live (entities appended while iterating
// are visited), so the record must stay in its database while the iterator is used.
AcDbBlockTableRecordIterator::AcDbBlockTableRecordIterator(const AcDbBlockTableRecord* record, bool atBeginning,
                                                           bool skipDeleted)
    : m_recordId(record->objectId()), m_record(record), m_skipDeleted(skipDeleted) {
  start(atBeginning, skipDeleted);
}

void AcDbBlockTableRecordIterator::start(bool atBeginning, bool skipDeleted) {
  m_skipDeleted = skipDeleted;
  m_index = atBeginning ? 0 : static_cast<int>(m_record->entityIds().size()) - 1;
  if (skipDeleted) skipErased(atBeginning);
}

bool AcDbBlockTableRecordIterator::done() const {
  return m_index < 0 || m_index >= static_cast<int>(m_record->entityIds().size());
}

void AcDbBlockTableRecordIterator::step(bool forward, bool skipDeleted) {
  m_index += forward ? 1 : -1;
  if (skipDeleted) skipErased(forward);
}

void AcDbBlockTableRecordIterator::skipErased(bool forward) {
  while (!done() && !IsLive(m_record->entityIds()[m_index])) m_index += forward ? 1 : -1;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntityId(AcDbObjectId& entityId) const {
  entityId.setNull();
  if (done()) return Acad::eIteratorDone;
  entityId = m_record->entityIds()[m_index];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::getEntity(AcDbEntity*& entity, AcDb::OpenMode mode,
                                                          bool openErasedEntity) const {
  entity = nullptr;
  if (done()) return Acad::eIteratorDone;
  return acdbOpenAcDbEntity(entity, m_record->entityIds()[m_index], mode, openErasedEntity);
}

Acad::ErrorStatus AcDbBlockTableRecordIterator::seek(AcDbObjectId id) {
  const auto& ids = m_record->entityIds();
  for (size_t i = 0; i < ids.size(); ++i)
    if (ids[i] == id) {
      m_index = static_cast<int>(i);
      return Acad::eOk;
    }
  return Acad::eKeyNotFound;
}
