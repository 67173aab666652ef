// The database: objects by handle, the default drawing, current settings, the working database.
#include <algorithm>

#include "dbapserv.h"
#include "dbdrawing.h"
#include "dbimpl.h"
#include "dbsymtb.h"
#include "dbundo.h"

namespace pelvarhost {
std::vector<AcDbDatabase*>& LiveDatabases() {
  static std::vector<AcDbDatabase*> databases;
  return databases;
}
}  // namespace pelvarhost

AcDbDatabaseImpl::~AcDbDatabaseImpl() {
  for (auto& [handle, stub] : stubs) {
    delete stub->object;
    stub->object = nullptr;
  }
}

AcDbStub* AcDbDatabaseImpl::stubFor(Adesk::UInt64 handle, bool create) {
  auto it = stubs.find(handle);
  if (it != stubs.end()) return it->second.get();
  if (!create || handle == 0) return nullptr;
  auto stub = std::make_unique<AcDbStub>();
  stub->database = self;
  stub->handle = handle;
  AcDbStub* raw = stub.get();
  stubs.emplace(handle, std::move(stub));
  // The last handle leaves no next one: the seed stays on it, taken, and adding fails.
  nextHandle = std::max(nextHandle, handle == kLastHandle ? handle : handle + 1);
  return raw;
}

void AcDbDatabaseImpl::swapContents(AcDbDatabaseImpl& other) {
  std::swap(stubs, other.stubs);
  std::swap(nextHandle, other.nextHandle);
  std::swap(blockTable, other.blockTable);
  std::swap(layerTable, other.layerTable);
  std::swap(modelSpace, other.modelSpace);
  std::swap(paperSpace, other.paperSpace);
  std::swap(clayer, other.clayer);
  std::swap(cecolor, other.cecolor);
  std::swap(view, other.view);
  std::swap(fileName, other.fileName);
  std::swap(graphicsGeneration, other.graphicsGeneration);
  std::swap(modified, other.modified);
}

AcDbObjectId AcDbDatabaseImpl::addObject(AcDbObject* object, AcDbObjectId owner) {
  if (stubs.count(nextHandle) != 0) return AcDbObjectId::kNull;  // the handles are used up
  pelvarhost::RecordObjectAppend(*self);
  AcDbStub* stub = stubFor(nextHandle, true);
  stub->object = object;
  pelvarhost::RecordAppendedStub(stub);
  pelvarhost::DbAccess::AttachToStub(*object, stub);
  object->setOwnerId(owner);
  modified = true;
  graphicsGeneration++;
  return AcDbObjectId(stub);
}

namespace {

// Adds a new record to a table of a database being built, and closes it.
AcDbObjectId AddDefaultRecord(AcDbDatabaseImpl& impl, AcDbObjectId tableId, AcDbSymbolTableRecord* record,
                              const wchar_t* name) {
  record->setName(name);
  AcDbObjectId id = impl.addObject(record, tableId);
  static_cast<AcDbSymbolTable*>(tableId.stub()->object)->linkRecord(id);
  record->close();
  return id;
}

void BuildDefaultDrawing(AcDbDatabaseImpl& impl) {
  auto* blockTable = new AcDbBlockTable();
  impl.blockTable = impl.addObject(blockTable, AcDbObjectId::kNull);
  blockTable->close();
  auto* layerTable = new AcDbLayerTable();
  impl.layerTable = impl.addObject(layerTable, AcDbObjectId::kNull);
  layerTable->close();
  impl.modelSpace = AddDefaultRecord(impl, impl.blockTable, new AcDbBlockTableRecord(),
                                     pelvarhost::kModelSpaceName);
  impl.paperSpace = AddDefaultRecord(impl, impl.blockTable, new AcDbBlockTableRecord(),
                                     pelvarhost::kPaperSpaceName);
  impl.clayer = AddDefaultRecord(impl, impl.layerTable, new AcDbLayerTableRecord(),
                                 pelvarhost::kLayerZeroName);
  impl.modified = false;
}

}  // namespace

AcRxClass* AcDbDatabase::desc() {
  static AcRxClass* cls = newAcRxClass(L"AcDbDatabase", L"AcRxObject");
  return cls;
}
AcRxClass* AcDbDatabase::isA() const { return desc(); }
AcDbDatabase* AcDbDatabase::cast(const AcRxObject* object) {
  return (object != nullptr && object->isKindOf(desc()))
             ? static_cast<AcDbDatabase*>(const_cast<AcRxObject*>(object))
             : nullptr;
}

AcDbDatabase::AcDbDatabase(bool buildDefaultDrawing, bool) : m_impl(std::make_unique<AcDbDatabaseImpl>(this)) {
  if (buildDefaultDrawing) BuildDefaultDrawing(*m_impl);
  pelvarhost::LiveDatabases().push_back(this);
}

AcDbDatabase::~AcDbDatabase() {
  auto& live = pelvarhost::LiveDatabases();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  if (acdbHostApplicationServices()->workingDatabase() == this)
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
}

namespace {
template <typename Table>
Acad::ErrorStatus OpenTable(AcDbObjectId id, Table*& table, AcDb::OpenMode mode) {
  table = nullptr;
  if (id.isNull()) return Acad::eMissingSymbolTable;
  return acdbOpenObject(table, id, mode);
}
}  // namespace

Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode mode) {
  return OpenTable(m_impl->blockTable, table, mode);
}
Acad::ErrorStatus AcDbDatabase::getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode mode) {
  return OpenTable(m_impl->layerTable, table, mode);
}
Acad::ErrorStatus AcDbDatabase::getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode) {
  return getSymbolTable(table, mode);
}
Acad::ErrorStatus AcDbDatabase::getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode) {
  return getSymbolTable(table, mode);
}

AcDbObjectId AcDbDatabase::blockTableId() const { return m_impl->blockTable; }
AcDbObjectId AcDbDatabase::layerTableId() const { return m_impl->layerTable; }
AcDbObjectId AcDbDatabase::modelSpaceId() const { return m_impl->modelSpace; }
AcDbObjectId AcDbDatabase::paperSpaceId() const { return m_impl->paperSpace; }
AcDbObjectId AcDbDatabase::clayer() const { return m_impl->clayer; }

Acad::ErrorStatus AcDbDatabase::setClayer(AcDbObjectId layerId) {
  AcDbLayerTableRecord* record = nullptr;
  if (layerId.database() != this) return Acad::eWrongDatabase;
  if (Acad::ErrorStatus status = acdbOpenObject(record, layerId, AcDb::kForRead); status != Acad::eOk)
    return status;
  record->close();
  pelvarhost::RecordHeaderChange(*this);
  m_impl->clayer = layerId;
  m_impl->modified = true;
  return Acad::eOk;
}

Adesk::UInt16 AcDbDatabase::cecolorIndex() const { return m_impl->cecolor; }
void AcDbDatabase::setCecolorIndex(Adesk::UInt16 color) {
  pelvarhost::RecordHeaderChange(*this);
  m_impl->cecolor = color;
  m_impl->modified = true;
}
AcDbHandle AcDbDatabase::handseed() const { return m_impl->nextHandle; }
const pelvarhost::ViewRecord& AcDbDatabase::viewRecord() const { return m_impl->view; }
// Zooming and panning change how the drawing is seen, not the drawing: it stays unmodified
// (the view is still one undo step).
void AcDbDatabase::setViewRecord(const pelvarhost::ViewRecord& view) {
  pelvarhost::RecordHeaderChange(*this);
  m_impl->view = view;
}

Acad::ErrorStatus AcDbDatabase::getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound,
                                                const AcDbHandle& handle, Adesk::UInt32) {
  id.setNull();
  if (handle.isNull()) return Acad::eNullHandle;
  AcDbStub* stub = m_impl->stubFor(handle.value(), createIfNotFound);
  if (stub == nullptr) return Acad::eUnknownHandle;
  id = AcDbObjectId(stub);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::addAcDbObject(AcDbObjectId& id, AcDbObject* object) {
  id.setNull();
  if (object == nullptr) return Acad::eNullObjectPointer;
  if (!object->isNewObject()) return Acad::eAlreadyInDb;
  id = m_impl->addObject(object, object->ownerId());
  return id.isNull() ? Acad::eHandleInUse : Acad::eOk;
}

Acad::ErrorStatus AcDbDatabase::getFilename(const ACHAR*& fileName) const {
  fileName = m_impl->fileName.c_str();
  return Acad::eOk;
}

Adesk::UInt64 AcDbDatabase::graphicsGeneration() const { return m_impl->graphicsGeneration; }
bool AcDbDatabase::isModified() const { return m_impl->modified; }

AcDbHostApplicationServices* acdbHostApplicationServices() {
  static AcDbHostApplicationServices services;
  return &services;
}
