// A drawing: its objects, symbol tables, current settings and saved view.
#pragma once
#include <memory>
#include <string>
#include "acadstrc.h"
#include "acdb.h"
#include "dbid.h"
#include "rxobject.h"

class AcDbBlockTable;
class AcDbLayerTable;
class AcDbObject;
struct AcDbDatabaseImpl;
namespace pelvarhost {
struct DbAccess;
}  // namespace pelvarhost

namespace pelvarhost {
// The view saved with a drawing: the centre and height of the visible area in world units.
struct ViewRecord {
  double centerX = 0.0;
  double centerY = 0.0;
  double height = 100.0;
};
}  // namespace pelvarhost

class AcDbDatabase : public AcRxObject {
 public:
  static AcRxClass* desc();
  AcRxClass* isA() const override;
  static AcDbDatabase* cast(const AcRxObject* object);

  // With buildDefaultDrawing the database holds "*Model_Space", "*Paper_Space" and
  // layer "0"; without, it is empty until readDwgFile fills it.
  explicit AcDbDatabase(bool buildDefaultDrawing = true, bool noDocument = false);
  ~AcDbDatabase() override;
  AcDbDatabase(const AcDbDatabase&) = delete;
  AcDbDatabase& operator=(const AcDbDatabase&) = delete;

  Acad::ErrorStatus getSymbolTable(AcDbBlockTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getSymbolTable(AcDbLayerTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getBlockTable(AcDbBlockTable*& table, AcDb::OpenMode mode);
  Acad::ErrorStatus getLayerTable(AcDbLayerTable*& table, AcDb::OpenMode mode);
  AcDbObjectId blockTableId() const;
  AcDbObjectId layerTableId() const;
  AcDbObjectId modelSpaceId() const;
  AcDbObjectId paperSpaceId() const;
  AcDbObjectId currentSpaceId() const { return modelSpaceId(); }

  AcDbObjectId clayer() const;
  Acad::ErrorStatus setClayer(AcDbObjectId layerId);
  Adesk::UInt16 cecolorIndex() const;
  void setCecolorIndex(Adesk::UInt16 color);
  // The next handle the database will give out.
  AcDbHandle handseed() const;
  const pelvarhost::ViewRecord& viewRecord() const;
  void setViewRecord(const pelvarhost::ViewRecord& view);

  // The id of the object with that handle; eUnknownHandle when there is none.
  Acad::ErrorStatus getAcDbObjectId(AcDbObjectId& id, bool createIfNotFound,
                                    const AcDbHandle& handle, Adesk::UInt32 xRefId = 0);
  // Adds an object that is owned by no block (the owner id is left as set).
  Acad::ErrorStatus addAcDbObject(AcDbObjectId& id, AcDbObject* object);

  // Reads a drawing file (.pvd) into this database, replacing its contents only when the
  // whole file was read; pelvarhost::LastDrawingFileError() tells why it failed.
  Acad::ErrorStatus readDwgFile(const ACHAR* fileName);
  // Saves atomically (temporary file, fsync, rename) and remembers the file name.
  Acad::ErrorStatus saveAs(const ACHAR* fileName);
  Acad::ErrorStatus getFilename(const ACHAR*& fileName) const;

  // Counts every graphics change and added or erased entity, for redraw decisions.
  Adesk::UInt64 graphicsGeneration() const;
  // True when changed since it was created, read or saved.
  bool isModified() const;

 private:
  // Host internals, reached only through the host's private accessor.
  friend struct pelvarhost::DbAccess;
  std::unique_ptr<AcDbDatabaseImpl> m_impl;
};
