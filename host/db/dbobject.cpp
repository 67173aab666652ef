// Database objects: ids, handles, open states, erasing and the base filing.
#include <cstdio>
#include <cwchar>

#include "dbdatabase.h"
#include "dbimpl.h"
#include "dbundo.h"
#include "dbsymtb.h"
#include "hostoutput.h"
#include "wcrt.h"
#include "wideformat.h"
#include "wideutf8.h"

namespace {
constexpr int kMaxReaders = 256;

struct OpenStateErrors {
  int count = 0;
  std::wstring last;
};

OpenStateErrors& Errors() {
  static OpenStateErrors errors;
  return errors;
}

// The objects the drawing's header names (its tables, the two spaces, the current layer):
// a drawing saved without one of them could not be read back.
bool IsNamedByHeader(AcDbStub* stub) {
  const AcDbDatabaseImpl& db = pelvarhost::DbAccess::Impl(*stub->database);
  const AcDbObjectId id(stub);
  return id == db.blockTable || id == db.layerTable || id == db.modelSpace || id == db.paperSpace ||
         id == db.clayer;
}

// Layer "0" belongs to every drawing, as the tables and spaces do.
bool IsLayerZero(const AcDbObject* object) {
  const auto* layer = AcDbLayerTableRecord::cast(object);
  return layer != nullptr && std::wcscmp(layer->name(), L"0") == 0;
}

std::wstring Describe(const AcDbObject* object) {
  std::wstring text = object->isA() != nullptr ? object->isA()->name() : L"object";
  if (!object->isNewObject()) text += L" (handle " + pelvarhost::HandleText(object->objectId()) + L")";
  return text;
}
}  // namespace

namespace pelvarhost {

void ReportOpenStateError(const std::wstring& text) {
  Errors().count++;
  Errors().last = text;
  WriteDiagnosticLine("Host error: " + WideToUtf8(text));
}

int OpenStateErrorCount() { return Errors().count; }
std::wstring LastOpenStateError() { return Errors().last; }

Acad::ErrorStatus RequireWrite(AcDbObject* object) {
  object->assertWriteEnabled();
  return object->isWriteEnabled() ? Acad::eOk : Acad::eNotOpenForWrite;
}

Acad::ErrorStatus FileOutObject(const AcDbObject* object, AcDbDwgFiler& filer) {
  if (object->isReadEnabled()) return object->dwgOutFields(&filer);
  auto* mutableObject = const_cast<AcDbObject*>(object);
  pelvarhost::DbAccess::GrantOpen(*mutableObject, AcDb::kForRead);
  Acad::ErrorStatus status = object->dwgOutFields(&filer);
  mutableObject->close();
  return status;
}

std::wstring HandleText(const AcDbObjectId& id) { return id.handle().toString(); }

}  // namespace pelvarhost

// --- Handles and ids.

AcDbHandle::AcDbHandle(const wchar_t* hexText) {
  m_value = hexText != nullptr ? std::wcstoull(hexText, nullptr, 16) : 0;
}

bool AcDbHandle::getIntoAsciiBuffer(wchar_t* buffer, size_t bufferLength) const {
  std::wstring text = toString();
  if (buffer == nullptr || text.size() + 1 > bufferLength) return false;
  std::wcscpy(buffer, text.c_str());
  return true;
}

std::wstring AcDbHandle::toString() const {
  return pelvarhost::FormatWide(L"%llX", static_cast<unsigned long long>(m_value));
}

const AcDbObjectId AcDbObjectId::kNull;

bool AcDbObjectId::isErased() const { return m_stub != nullptr && m_stub->erased; }
AcDbHandle AcDbObjectId::handle() const { return m_stub != nullptr ? m_stub->handle : 0; }
AcDbDatabase* AcDbObjectId::database() const { return m_stub != nullptr ? m_stub->database : nullptr; }

bool AcDbObjectId::operator<(const AcDbObjectId& other) const {
  if (handle() != other.handle()) return handle() < other.handle();
  return m_stub < other.m_stub;
}

// --- The drawable base.

AcRxClass* AcGiDrawable::desc() {
  static AcRxClass* cls = newAcRxClass(L"AcGiDrawable", L"AcRxObject");
  return cls;
}
AcRxClass* AcGiDrawable::isA() const { return desc(); }
AcGiDrawable* AcGiDrawable::cast(const AcRxObject* object) {
  return (object != nullptr && object->isKindOf(desc()))
             ? static_cast<AcGiDrawable*>(const_cast<AcRxObject*>(object))
             : nullptr;
}

// --- Objects.

ACRX_NO_CONS_DEFINE_MEMBERS(AcDbObject, AcGiDrawable)

AcDbObject::AcDbObject() = default;
AcDbObject::~AcDbObject() = default;

AcDbObjectId AcDbObject::objectId() const { return AcDbObjectId(m_stub); }
AcDbDatabase* AcDbObject::database() const { return m_stub != nullptr ? m_stub->database : nullptr; }

Acad::ErrorStatus AcDbObject::setOwnerId(AcDbObjectId ownerId) {
  m_ownerId = ownerId;
  return Acad::eOk;
}

bool AcDbObject::isErased() const { return m_stub != nullptr && m_stub->erased; }

Acad::ErrorStatus AcDbObject::erase(bool erasing) {
  if (m_stub == nullptr) return Acad::eNotInDatabase;
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  if (m_stub->erased == erasing) return erasing ? Acad::eWasErased : Acad::eWasNotErased;
  if (erasing && (IsNamedByHeader(m_stub) || IsLayerZero(this))) return Acad::eCannotBeErasedByCaller;
  m_stub->erased = erasing;
  AcDbDatabaseImpl& db = pelvarhost::DbAccess::Impl(*m_stub->database);
  db.modified = true;
  db.graphicsGeneration++;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::grantOpen(AcDb::OpenMode mode) {
  if (m_writeOpen) return Acad::eWasOpenForWrite;
  switch (mode) {
    case AcDb::kForWrite:
      if (m_readers > 0) return Acad::eWasOpenForRead;
      if (m_notifyOpens > 0) return Acad::eWasOpenForNotify;
      m_writeOpen = true;
      return Acad::eOk;
    case AcDb::kForRead:
      if (m_readers >= kMaxReaders) return Acad::eAtMaxReaders;
      m_readers++;
      return Acad::eOk;
    case AcDb::kForNotify:
      m_notifyOpens++;
      return Acad::eOk;
  }
  return Acad::eInvalidInput;
}

void AcDbObject::resetOpenState() {
  m_readers = 0;
  m_writeOpen = false;
  m_notifyOpens = 0;
}

Acad::ErrorStatus AcDbObject::close() {
  if (m_stub == nullptr) return Acad::eNotInDatabase;
  if (m_writeOpen) {
    m_writeOpen = false;
    pelvarhost::DbAccess::Impl(*m_stub->database).modified = true;
    return Acad::eOk;
  }
  if (m_readers > 0) {
    m_readers--;
    return Acad::eOk;
  }
  if (m_notifyOpens > 0) {
    m_notifyOpens--;
    return Acad::eOk;
  }
  pelvarhost::ReportOpenStateError(Describe(this) + L" closed while not open");
  return Acad::eInvalidOpenState;
}

Acad::ErrorStatus AcDbObject::upgradeOpen() {
  if (m_writeOpen) return Acad::eWasOpenForWrite;
  if (m_readers == 0) return Acad::eNotOpenForRead;
  if (m_readers > 1) return Acad::eHadMultipleReaders;
  m_readers = 0;
  m_writeOpen = true;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbObject::downgradeOpen() {
  if (!m_writeOpen) return Acad::eWasNotOpenForWrite;
  if (m_stub == nullptr) return Acad::eNotInDatabase;
  m_writeOpen = false;
  m_readers = 1;
  pelvarhost::DbAccess::Impl(*m_stub->database).modified = true;
  return Acad::eOk;
}

bool AcDbObject::isReadEnabled() const { return m_writeOpen || m_readers > 0 || m_notifyOpens > 0; }
bool AcDbObject::isWriteEnabled() const { return m_writeOpen; }

void AcDbObject::assertReadEnabled() const {
  if (!isReadEnabled()) pelvarhost::ReportOpenStateError(Describe(this) + L" read while not open");
}

// The first change of an object in an undo group files its state into the history.
void AcDbObject::assertWriteEnabled(bool autoUndo, bool) {
  if (!isWriteEnabled())
    pelvarhost::ReportOpenStateError(Describe(this) + L" changed while not open for write");
  else if (autoUndo)
    pelvarhost::RecordObjectChange(*this);
}

Acad::ErrorStatus AcDbObject::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbObject::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  return filer->filerStatus();
}

// --- Opening by id.

Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased) {
  object = nullptr;
  AcDbStub* stub = id.stub();
  if (stub == nullptr) return Acad::eNullObjectId;
  if (stub->object == nullptr) return Acad::ePermanentlyErased;
  if (stub->erased && !openErased) return Acad::eWasErased;
  Acad::ErrorStatus status = pelvarhost::DbAccess::GrantOpen(*stub->object, mode);
  if (status != Acad::eOk) return status;
  object = stub->object;
  return Acad::eOk;
}

Acad::ErrorStatus acdbOpenObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased) {
  return acdbOpenAcDbObject(object, id, mode, openErased);
}

Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& entity, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased) {
  return acdbOpenObject<AcDbEntity>(entity, id, mode, openErased);
}
