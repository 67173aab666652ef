// Database objects and entities, and opening objects by id.
#pragma once
#include <string>
#include <vector>
#include "acadstrc.h"
#include "acdb.h"
#include "acstring.h"
#include "dbextents.h"
#include "dbfiler.h"
#include "dbid.h"
#include "dbidar.h"
#include "dbintar.h"
#include "gept3dar.h"
#include "gidrawable.h"
#include "rxboiler.h"

class AcDbDatabase;
class AcDbEntity;
namespace pelvarhost {
struct DbAccess;
}  // namespace pelvarhost

// An object of a drawing database. A new object belongs to its creator (delete it if it
// is never added); once added to a database (appendAcDbEntity, AcDbSymbolTable::add) the
// database owns it: open it by id, close it when done, never delete it.
// A new object is open for write until it is added and closed.
class AcDbObject : public AcGiDrawable {
 public:
  ACRX_DECLARE_MEMBERS(AcDbObject);
  ~AcDbObject() override;

  AcDbObjectId objectId() const;
  AcDbObjectId ownerId() const { return m_ownerId; }
  Acad::ErrorStatus setOwnerId(AcDbObjectId ownerId);
  AcDbHandle handle() const { return objectId().handle(); }
  void getAcDbHandle(AcDbHandle& handle) const { handle = objectId().handle(); }
  AcDbDatabase* database() const;
  // True while the object is not in a database.
  bool isNewObject() const { return m_stub == nullptr; }

  bool isErased() const;
  // Erases (or with false, unerases) the object; it must be open for write.
  Acad::ErrorStatus erase(bool erasing = true);

  // Ends one read or the write access to a database-resident object.
  Acad::ErrorStatus close();
  // From read to write when this is the only reader (eHadMultipleReaders otherwise).
  Acad::ErrorStatus upgradeOpen();
  Acad::ErrorStatus downgradeOpen();
  bool isReadEnabled() const;
  bool isWriteEnabled() const;
  bool isNotifyEnabled() const { return m_notifyOpens > 0; }
  // Report misuse (a read or change without the access) as a host error on stderr; the
  // call goes on, and pelvarhost::OpenStateErrorCount() counts it.
  void assertReadEnabled() const;
  void assertWriteEnabled(bool autoUndo = true, bool recordModified = true);
  void assertNotifyEnabled() const {}

  virtual Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer);
  virtual Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const;

  Adesk::Boolean isPersistent() const override { return m_stub != nullptr; }
  Adesk::LongPtr id() const override { return objectId().asOldId(); }

 protected:
  AcDbObject();

 private:
  // Host internals, reached only through the host's private accessor.
  friend struct pelvarhost::DbAccess;
  AcDbStub* stub() const { return m_stub; }
  void attachToStub(AcDbStub* stub) { m_stub = stub; }
  // Called by acdbOpenObject: grants one access, or says why not.
  Acad::ErrorStatus grantOpen(AcDb::OpenMode mode);
  // Drops all access (the database takes a freshly read object, or an object is replaced).
  void resetOpenState();

  AcDbStub* m_stub = nullptr;
  AcDbObjectId m_ownerId;
  int m_readers = 0;
  bool m_writeOpen = true;  // a new object is open for write
  int m_notifyOpens = 0;
};

// A graphical object of a block (model space, paper space). Entities carry a layer (by
// name) and a colour index (256 = by layer).
class AcDbEntity : public AcDbObject {
 public:
  ACRX_DECLARE_MEMBERS(AcDbEntity);
  ~AcDbEntity() override;

  AcDbObjectId blockId() const { return ownerId(); }

  // The layer's name; valid while the entity is open and its layer unchanged.
  const ACHAR* layer() const;
  AcDbObjectId layerId() const;
  // eKeyNotFound when the entity is in a database that has no such layer.
  Acad::ErrorStatus setLayer(const ACHAR* layerName, Adesk::Boolean doSubents = true,
                             bool allowHiddenLayer = false);
  Acad::ErrorStatus setLayer(AcDbObjectId layerId, Adesk::Boolean doSubents = true,
                             bool allowHiddenLayer = false);
  Adesk::UInt16 colorIndex() const;
  Acad::ErrorStatus setColorIndex(Adesk::UInt16 color, Adesk::Boolean doSubents = true);
  // The database's current layer and colour (the working database when null).
  void setDatabaseDefaults(AcDbDatabase* database = nullptr);

  // Marks the entity for redrawing; the database counts graphics changes.
  void recordGraphicsModified(Adesk::Boolean setModified = true);

  // Public faces of the sub* operations.
  Acad::ErrorStatus transformBy(const AcGeMatrix3d& xform);
  Acad::ErrorStatus getGeomExtents(AcDbExtents& extents) const;
  Acad::ErrorStatus getOsnapPoints(AcDb::OsnapMode osnapMode, Adesk::GsMarker gsSelectionMark,
                                   const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                   const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                   AcDbIntArray& geomIds) const;
  Adesk::UInt32 setAttributes(AcGiDrawableTraits* traits) final;
  Adesk::Boolean worldDraw(AcGiWorldDraw* worldDraw) final;
  void viewportDraw(AcGiViewportDraw* viewportDraw) final;

  // The text lines of the LIST command for this entity: the common lines (class, layer,
  // handle) followed by the type's own key geometry.
  void list(std::vector<std::wstring>& lines) const;

  // Lines and points that show the entity when no graphics of its own are drawn: host
  // entities describe their wireframe here so that any renderer can draw them.
  virtual void getWireframe(AcArray<AcGePoint3dArray>& polylines, AcGePoint3dArray& points) const;

  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 protected:
  AcDbEntity();

  virtual Adesk::UInt32 subSetAttributes(AcGiDrawableTraits* traits);
  virtual Adesk::Boolean subWorldDraw(AcGiWorldDraw* worldDraw);
  virtual void subViewportDraw(AcGiViewportDraw* viewportDraw);
  virtual Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform);
  virtual Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const;
  virtual Acad::ErrorStatus subGetOsnapPoints(AcDb::OsnapMode osnapMode,
                                              Adesk::GsMarker gsSelectionMark,
                                              const AcGePoint3d& pickPoint,
                                              const AcGePoint3d& lastPoint,
                                              const AcGeMatrix3d& viewXform,
                                              AcGePoint3dArray& snapPoints,
                                              AcDbIntArray& geomIds) const;
  // The type's own LIST lines (key geometry); the base adds none.
  virtual void subList(std::vector<std::wstring>& lines) const;

 private:
  std::wstring m_layer = L"0";
  Adesk::UInt16 m_colorIndex = AcDb::kColorByLayer;
};

// Opens a database object by id. Rules: an object open for write cannot be opened again
// until closed (eWasOpenForWrite); readers share it; a writer cannot open an object open
// for read (eWasOpenForRead); an erased object opens only with openErased (eWasErased).
Acad::ErrorStatus acdbOpenAcDbObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased = false);
Acad::ErrorStatus acdbOpenAcDbEntity(AcDbEntity*& entity, AcDbObjectId id, AcDb::OpenMode mode,
                                     bool openErased = false);
Acad::ErrorStatus acdbOpenObject(AcDbObject*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false);

// The typed form: eNotThatKindOfClass (nothing left open) when the object is of another class.
template <typename T>
Acad::ErrorStatus acdbOpenObject(T*& object, AcDbObjectId id, AcDb::OpenMode mode,
                                 bool openErased = false) {
  object = nullptr;
  AcDbObject* opened = nullptr;
  Acad::ErrorStatus status = acdbOpenAcDbObject(opened, id, mode, openErased);
  if (status != Acad::eOk) return status;
  object = T::cast(opened);
  if (object == nullptr) {
    opened->close();
    return Acad::eNotThatKindOfClass;
  }
  return Acad::eOk;
}

namespace pelvarhost {
// How many open-state violations (assertReadEnabled/assertWriteEnabled misuse) were seen,
// and the last one's text.
int OpenStateErrorCount();
std::wstring LastOpenStateError();
}  // namespace pelvarhost

#include "dbdatabase.h"
