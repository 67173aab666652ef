// Proxy entities, and turning objects into proxies and back as their classes come and go.
#include "dbproxy.h"

#include <utility>

#include "dbimpl.h"
#include "dbmemfiler.h"
#include "dbundo.h"
#include "rxclasshooks.h"

ACRX_DXF_DEFINE_MEMBERS(AcDbProxyEntity, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0,
                        ACAD_PROXY_ENTITY, "")

AcDbProxyEntity::AcDbProxyEntity() = default;

AcDbProxyEntity::AcDbProxyEntity(const ACHAR* className, const ACHAR* dxfName, std::vector<std::uint8_t> record)
    : m_className(className), m_dxfName(dxfName), m_record(std::move(record)) {
  if (AcRxClass* cls = acrxFindAcRxClass(className)) m_proxyFlags = cls->proxyFlags();
  // The record starts with the common entity fields: take the layer and colour from it and
  // remember where the class's own data begins, so that edits of those fields are kept.
  pelvarhost::MemoryFiler filer(m_record);
  if (AcDbEntity::dwgInFields(&filer) == Acad::eOk && filer.filerStatus() == Acad::eOk)
    m_commonBytes = filer.readPosition();
}

std::vector<std::uint8_t> AcDbProxyEntity::currentRecord() const {
  if (m_commonBytes == 0) return m_record;
  pelvarhost::MemoryFiler filer(database());
  AcDbEntity::dwgOutFields(&filer);
  std::vector<std::uint8_t> bytes = filer.takeBytes();
  bytes.insert(bytes.end(), m_record.begin() + static_cast<std::ptrdiff_t>(m_commonBytes), m_record.end());
  return bytes;
}

const ACHAR* AcDbProxyEntity::originalClassName() const { return m_className.kwszPtr(); }
const ACHAR* AcDbProxyEntity::originalDxfName() const { return m_dxfName.kwszPtr(); }

Acad::ErrorStatus AcDbProxyEntity::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbProxyEntity::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  const std::vector<std::uint8_t> record = currentRecord();
  return filer->writeBytes(record.data(), record.size());
}

void AcDbProxyEntity::subList(std::vector<std::wstring>& lines) const {
  lines.push_back(L"Proxy of class " + m_className.str() + L" (" + std::to_wstring(m_record.size()) +
                  L" bytes kept)");
}

namespace {

bool IsOpen(const AcDbObject* object) { return object->isReadEnabled() || object->isWriteEnabled(); }

// Replaces the stub's object by `replacement` (already filled), deleting the old one.
void Replace(AcDbStub* stub, AcDbObject* replacement) {
  AcDbObject* old = stub->object;
  pelvarhost::DbAccess::AttachToStub(*replacement, stub);
  replacement->setOwnerId(old->ownerId());
  pelvarhost::DbAccess::ResetOpenState(*replacement);
  stub->object = replacement;
  delete old;
}

constexpr const wchar_t* kClearedAtUnload =
    L"Undo history cleared: objects of an unloaded module became proxies.";
constexpr const wchar_t* kClearedAtLoad = L"Undo history cleared: proxies became objects of a loaded module.";

void MakeProxiesOf(AcRxClass* deletedClass) {
  // The history's records of these objects could not be filed back into proxies.
  pelvarhost::ClearUndoHistoriesHolding(deletedClass, kClearedAtUnload);
  const pelvarhost::UndoSuspension quiet;
  for (AcDbDatabase* db : pelvarhost::LiveDatabases()) {
    for (auto& [handle, stub] : pelvarhost::DbAccess::Impl(*db).stubs) {
      AcDbObject* object = stub->object;
      if (object == nullptr || !object->isA()->isDerivedFrom(deletedClass)) continue;
      if (IsOpen(object))
        pelvarhost::ReportOpenStateError(std::wstring(object->isA()->name()) + L" (handle " +
                                         AcDbHandle(handle).toString() +
                                         L") was still open when its class was deleted");
      pelvarhost::MemoryFiler filer(db);
      pelvarhost::FileOutObject(object, filer);
      const AcRxClass* cls = object->isA();
      Replace(stub.get(), new AcDbProxyEntity(cls->name(), cls->dxfName(), filer.takeBytes()));
    }
  }
}

// A proxy whose class is registered (with a pseudo-constructor) again is read back into
// a new object of that class; when that fails it stays a proxy.
void RestoreProxies() {
  const pelvarhost::UndoSuspension quiet;
  for (AcDbDatabase* db : pelvarhost::LiveDatabases()) {
    bool historyCleared = false;
    for (auto& [handle, stub] : pelvarhost::DbAccess::Impl(*db).stubs) {
      auto* proxy = AcDbProxyEntity::cast(stub->object);
      if (proxy == nullptr || IsOpen(proxy)) continue;
      AcRxClass* cls = acrxFindAcRxClass(proxy->originalClassName());
      if (cls == nullptr || cls == AcDbProxyEntity::desc()) continue;
      AcRxObject* created = cls->create();
      AcDbObject* object = AcDbObject::cast(created);
      if (object == nullptr) {
        delete created;
        continue;
      }
      // The proxy is read and the new object filled as if each were open: neither is open
      // to anyone else while the class comes back.
      pelvarhost::DbAccess::GrantOpen(*proxy, AcDb::kForRead);
      std::vector<std::uint8_t> record = proxy->currentRecord();
      pelvarhost::DbAccess::ResetOpenState(*proxy);
      pelvarhost::DbAccess::AttachToStub(*object, stub.get());
      object->setOwnerId(proxy->ownerId());
      pelvarhost::MemoryFiler filer(record, db);
      pelvarhost::DbAccess::GrantOpen(*object, AcDb::kForWrite);
      Acad::ErrorStatus status = object->dwgInFields(&filer);
      pelvarhost::DbAccess::ResetOpenState(*object);
      if (status == Acad::eOk && filer.filerStatus() == Acad::eOk) {
        if (!std::exchange(historyCleared, true)) pelvarhost::ClearUndoHistory(*db, kClearedAtLoad);
        Replace(stub.get(), object);
      } else {
        pelvarhost::DbAccess::AttachToStub(*object, nullptr);
        delete object;
      }
    }
  }
}

}  // namespace

namespace pelvarhost {
void InstallProxyHooks() { SetClassLifecycleHooks(&MakeProxiesOf, &RestoreProxies); }
}  // namespace pelvarhost
