// Shared bookkeeping of the civil model and the managed object wrappers' base classes.
#include "civilmodel.h"

#include "aeccdb.h"
#include "civilobjects.h"
#include "dbimpl.h"
#include "dbsymtb.h"
#include "hostcmdline.h"

namespace pelvarhost::civil {

void RequireCivilModel() {
  if (!HostHasCivil()) throw System::InvalidOperationException(kCivilUnavailableMessage);
}

const AcDbObject* PeekObject(const AcDbObjectId& id) {
  if (id.isNull() || id.stub()->erased) return nullptr;
  return id.stub()->object;
}

bool IsLiveId(const AcDbObjectId& id) {
  if (id.isNull()) return false;
  for (AcDbDatabase* database : LiveDatabases())
    for (const auto& [handle, stub] : pelvarhost::DbAccess::Impl(*database).stubs)
      if (stub.get() == id.stub()) return true;
  return false;
}

std::vector<AcDbObjectId> ModelSpaceIdsOf(AcDbDatabase* database, AcRxClass* cls) {
  std::vector<AcDbObjectId> ids;
  if (database == nullptr) return ids;
  const auto* modelSpace = AcDbBlockTableRecord::cast(PeekObject(database->modelSpaceId()));
  if (modelSpace == nullptr) return ids;
  for (const AcDbObjectId& id : modelSpace->entityIds()) {
    const AcDbObject* object = PeekObject(id);
    if (object != nullptr && object->isKindOf(cls)) ids.push_back(id);
  }
  return ids;
}

AcDbObjectId AppendCivilEntity(AcDbDatabase* database, AcDbEntity* entity) {
  using Autodesk::AutoCAD::Runtime::ThrowIfFailed;
  AcDbBlockTableRecord* modelSpace = nullptr;
  Acad::ErrorStatus status = acdbOpenObject(modelSpace, database->modelSpaceId(), AcDb::kForWrite);
  if (status != Acad::eOk) {
    delete entity;
    ThrowIfFailed(status);
  }
  entity->setDatabaseDefaults(database);
  AcDbObjectId id;
  status = modelSpace->appendAcDbEntity(id, entity);
  modelSpace->close();
  if (status != Acad::eOk) {
    delete entity;
    ThrowIfFailed(status);
  }
  entity->close();
  RecordCreated(database, id);
  return id;
}

std::unique_ptr<Autodesk::AutoCAD::DatabaseServices::DBObject> WrapObject(AcDbObject* native) {
  namespace civil = Autodesk::Civil::DatabaseServices;
  namespace acad = Autodesk::AutoCAD::DatabaseServices;
  if (auto* tin = AeccDbSurfaceTin::cast(native)) return std::make_unique<civil::TinSurface>(tin);
  if (auto* surface = AeccDbSurface::cast(native)) return std::make_unique<civil::Surface>(surface);
  if (auto* point = AeccDbCogoPoint::cast(native)) return std::make_unique<civil::CogoPoint>(point);
  if (auto* line = AeccDbFeatureLine::cast(native)) return std::make_unique<civil::FeatureLine>(line);
  if (auto* entity = AcDbEntity::cast(native)) return std::make_unique<acad::Entity>(entity);
  return std::make_unique<acad::DBObject>(native);
}

}  // namespace pelvarhost::civil

namespace Autodesk::AutoCAD::DatabaseServices {

ObjectId::ObjectId(std::intptr_t oldId) : m_id(reinterpret_cast<AcDbStub*>(oldId)) {}

DatabaseServices::ObjectId DBObject::Id() const { return DatabaseServices::ObjectId(m_native->objectId()); }
bool DBObject::IsErased() const { return m_native->isErased(); }
bool DBObject::IsWriteEnabled() const { return m_native->isWriteEnabled(); }

void DBObject::Erase() {
  AcDbObject& native = WritableNative();
  Runtime::ThrowIfFailed(native.erase());
}

AcDbObject& DBObject::WritableNative() const {
  if (!m_native->isWriteEnabled()) throw Runtime::Exception(Acad::eNotOpenForWrite);
  return *m_native;
}

Entity::Entity(AcDbEntity* native) : DBObject(native) {}
std::wstring Entity::Layer() const { return NativeEntity().layer(); }
AcDbEntity& Entity::NativeEntity() const { return *static_cast<AcDbEntity*>(UnmanagedObject()); }

}  // namespace Autodesk::AutoCAD::DatabaseServices
