// The entity base: layer, colour, the public faces of the sub* operations, LIST lines.
#include "dbapserv.h"
#include "dbimpl.h"
#include "dbsymtb.h"

ACRX_NO_CONS_DEFINE_MEMBERS(AcDbEntity, AcDbObject)

AcDbEntity::AcDbEntity() = default;
AcDbEntity::~AcDbEntity() = default;

const ACHAR* AcDbEntity::layer() const {
  assertReadEnabled();
  return m_layer.c_str();
}

AcDbObjectId AcDbEntity::layerId() const {
  assertReadEnabled();
  AcDbDatabase* db = database();
  if (db == nullptr) return AcDbObjectId::kNull;
  AcDbLayerTable* table = nullptr;
  if (db->getLayerTable(table, AcDb::kForRead) != Acad::eOk) return AcDbObjectId::kNull;
  AcDbObjectId id;
  table->getIdAt(m_layer.c_str(), id);
  table->close();
  return id;
}

Acad::ErrorStatus AcDbEntity::setLayer(const ACHAR* layerName, Adesk::Boolean, bool) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  if (layerName == nullptr || *layerName == 0) return Acad::eInvalidInput;
  if (AcDbDatabase* db = database()) {
    AcDbLayerTable* table = nullptr;
    if (Acad::ErrorStatus status = db->getLayerTable(table, AcDb::kForRead); status != Acad::eOk)
      return status;
    AcDbObjectId id;
    Acad::ErrorStatus status = table->getIdAt(layerName, id);
    const ACHAR* storedName = nullptr;
    AcDbLayerTableRecord* record = nullptr;
    if (status == Acad::eOk && acdbOpenObject(record, id, AcDb::kForRead) == Acad::eOk) {
      record->getName(storedName);
      m_layer = storedName;  // the layer's own spelling
      record->close();
    }
    table->close();
    if (status != Acad::eOk) return status;
  } else {
    m_layer = layerName;
  }
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::setLayer(AcDbObjectId layerId, Adesk::Boolean doSubents, bool allow) {
  AcDbLayerTableRecord* record = nullptr;
  if (Acad::ErrorStatus status = acdbOpenObject(record, layerId, AcDb::kForRead); status != Acad::eOk)
    return status;
  std::wstring name = record->name();
  record->close();
  return setLayer(name.c_str(), doSubents, allow);
}

Adesk::UInt16 AcDbEntity::colorIndex() const {
  assertReadEnabled();
  return m_colorIndex;
}

Acad::ErrorStatus AcDbEntity::setColorIndex(Adesk::UInt16 color, Adesk::Boolean) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  if (color > AcDb::kColorByLayer) return Acad::eInvalidInput;
  m_colorIndex = color;
  return Acad::eOk;
}

void AcDbEntity::setDatabaseDefaults(AcDbDatabase* db) {
  if (db == nullptr) db = database();
  if (db == nullptr) db = acdbHostApplicationServices()->workingDatabase();
  if (db == nullptr || pelvarhost::RequireWrite(this) != Acad::eOk) return;
  AcDbLayerTableRecord* record = nullptr;
  if (acdbOpenObject(record, db->clayer(), AcDb::kForRead) == Acad::eOk) {
    m_layer = record->name();
    record->close();
  }
  m_colorIndex = db->cecolorIndex();
}

void AcDbEntity::recordGraphicsModified(Adesk::Boolean setModified) {
  if (setModified && database() != nullptr) pelvarhost::DbAccess::Impl(*database()).graphicsGeneration++;
}

Acad::ErrorStatus AcDbEntity::transformBy(const AcGeMatrix3d& xform) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  Acad::ErrorStatus status = subTransformBy(xform);
  if (status == Acad::eOk) recordGraphicsModified(true);
  return status;
}

Acad::ErrorStatus AcDbEntity::getGeomExtents(AcDbExtents& extents) const {
  assertReadEnabled();
  return subGetGeomExtents(extents);
}

Acad::ErrorStatus AcDbEntity::getOsnapPoints(AcDb::OsnapMode osnapMode, Adesk::GsMarker marker,
                                             const AcGePoint3d& pickPoint,
                                             const AcGePoint3d& lastPoint,
                                             const AcGeMatrix3d& viewXform,
                                             AcGePoint3dArray& snapPoints,
                                             AcDbIntArray& geomIds) const {
  assertReadEnabled();
  return subGetOsnapPoints(osnapMode, marker, pickPoint, lastPoint, viewXform, snapPoints, geomIds);
}

Adesk::UInt32 AcDbEntity::setAttributes(AcGiDrawableTraits* traits) { return subSetAttributes(traits); }
Adesk::Boolean AcDbEntity::worldDraw(AcGiWorldDraw* draw) { return subWorldDraw(draw); }
void AcDbEntity::viewportDraw(AcGiViewportDraw* draw) { subViewportDraw(draw); }

Adesk::UInt32 AcDbEntity::subSetAttributes(AcGiDrawableTraits*) { return kDrawableIsAnEntity; }
Adesk::Boolean AcDbEntity::subWorldDraw(AcGiWorldDraw*) { return Adesk::kTrue; }
void AcDbEntity::subViewportDraw(AcGiViewportDraw*) {}
Acad::ErrorStatus AcDbEntity::subTransformBy(const AcGeMatrix3d&) { return Acad::eNotApplicable; }
Acad::ErrorStatus AcDbEntity::subGetGeomExtents(AcDbExtents&) const { return Acad::eInvalidExtents; }

Acad::ErrorStatus AcDbEntity::subGetOsnapPoints(AcDb::OsnapMode, Adesk::GsMarker, const AcGePoint3d&,
                                                const AcGePoint3d&, const AcGeMatrix3d&,
                                                AcGePoint3dArray&, AcDbIntArray&) const {
  return Acad::eOk;
}

void AcDbEntity::getWireframe(AcArray<AcGePoint3dArray>&, AcGePoint3dArray&) const {}

namespace {
std::wstring SpaceName(const AcDbEntity& entity) {
  AcDbDatabase* db = entity.database();
  if (db == nullptr) return L"not in a drawing";
  if (entity.ownerId() == db->modelSpaceId()) return L"Model space";
  if (entity.ownerId() == db->paperSpaceId()) return L"Paper space";
  return L"Block";
}

std::wstring ColorText(Adesk::UInt16 color) {
  if (color == AcDb::kColorByLayer) return L"BYLAYER";
  if (color == AcDb::kColorByBlock) return L"BYBLOCK";
  return std::to_wstring(color);
}
}  // namespace

void AcDbEntity::list(std::vector<std::wstring>& lines) const {
  assertReadEnabled();
  const AcRxClass* cls = isA();
  std::wstring typeName = cls->dxfName()[0] != 0 ? cls->dxfName() : cls->name();
  lines.push_back(typeName + L"  Layer: \"" + m_layer + L"\"");
  lines.push_back(L"Space: " + SpaceName(*this));
  lines.push_back(L"Handle = " + handle().toString());
  lines.push_back(L"Color: " + ColorText(m_colorIndex));
  subList(lines);
}

void AcDbEntity::subList(std::vector<std::wstring>&) const {}

Acad::ErrorStatus AcDbEntity::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbObject::dwgInFields(filer); status != Acad::eOk) return status;
  AcString layerName;
  Adesk::UInt16 color = AcDb::kColorByLayer;
  filer->readString(layerName);
  filer->readUInt16(&color);
  if (filer->filerStatus() != Acad::eOk) return filer->filerStatus();
  m_layer = layerName.isEmpty() ? std::wstring(pelvarhost::kLayerZeroName) : layerName.str();
  m_colorIndex = color;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbEntity::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbObject::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writeString(m_layer.c_str());
  filer->writeUInt16(m_colorIndex);
  return filer->filerStatus();
}
