// DWG filing of the cloud entity. The entity always writes record version 4; it reads
// versions 1 to 4, giving the fields a record lacks their defaults, and asks the host to
// keep any other version as a proxy so that a newer record survives a round trip intact.
#include <utility>
#include <vector>

#include "classify/ClassOverrides.h"
#include "entity/Pelvar.h"

namespace {

// Record versions and the fields each one added.
constexpr Adesk::Int16 kFirstVersion = 1;
constexpr Adesk::Int16 kEditsSince = 2;
constexpr Adesk::Int16 kElevationWindowSince = 3;
constexpr Adesk::Int16 kAutoClassifySince = 4;

// The filed fields, read completely before any of them reaches the entity.
struct FiledFields {
  std::wstring cloudPath;
  AcGeMatrix3d transform;
  Adesk::UInt32 classMask = Pelvar::kDefaultClassMask;
  Adesk::UInt8 colorMode = Pelvar::kColorByClass;
  Adesk::UInt16 density = Pelvar::kDefaultDensity;
  std::vector<ReclassEdit> edits;
  bool elevFilterOn = false;
  double elevMin = 0.0;
  double elevMax = 0.0;
  bool autoClassify = false;
};

void WriteMatrix(AcDbDwgFiler* filer, const AcGeMatrix3d& m) {
  for (unsigned row = 0; row < 4; ++row)
    for (unsigned col = 0; col < 4; ++col) filer->writeDouble(m.entry[row][col]);
}

void ReadMatrix(AcDbDwgFiler* filer, AcGeMatrix3d& m) {
  for (unsigned row = 0; row < 4; ++row)
    for (unsigned col = 0; col < 4; ++col) filer->readDouble(&m.entry[row][col]);
}

void WriteEdit(AcDbDwgFiler* filer, const ReclassEdit& edit) {
  filer->writeDouble(edit.minX);
  filer->writeDouble(edit.minY);
  filer->writeDouble(edit.maxX);
  filer->writeDouble(edit.maxY);
  filer->writeInt16(static_cast<Adesk::Int16>(edit.cls));
}

// Reads the edit list. The count comes from the file, so nothing is reserved for it up
// front and reading stops at the first failure (a damaged count cannot run away).
void ReadEdits(AcDbDwgFiler* filer, std::vector<ReclassEdit>& edits) {
  Adesk::UInt32 count = 0;
  if (filer->readUInt32(&count) != Acad::eOk) return;
  for (Adesk::UInt32 i = 0; i < count; ++i) {
    ReclassEdit edit;
    Adesk::Int16 cls = 0;
    filer->readDouble(&edit.minX);
    filer->readDouble(&edit.minY);
    filer->readDouble(&edit.maxX);
    filer->readDouble(&edit.maxY);
    if (filer->readInt16(&cls) != Acad::eOk) return;
    edit.cls = static_cast<uint16_t>(cls);
    edits.push_back(edit);
  }
}

void ReadFields(AcDbDwgFiler* filer, Adesk::Int16 version, FiledFields& fields) {
  AcString path;
  if (filer->readString(path) == Acad::eOk) fields.cloudPath = path.str();
  ReadMatrix(filer, fields.transform);
  filer->readUInt32(&fields.classMask);
  filer->readUInt8(&fields.colorMode);
  filer->readUInt16(&fields.density);
  if (version >= kEditsSince) ReadEdits(filer, fields.edits);
  if (version >= kElevationWindowSince) {
    filer->readBool(&fields.elevFilterOn);
    filer->readDouble(&fields.elevMin);
    filer->readDouble(&fields.elevMax);
  }
  if (version >= kAutoClassifySince) filer->readBool(&fields.autoClassify);
}

}  // namespace

Acad::ErrorStatus Pelvar::dwgOutFields(AcDbDwgFiler* filer) const {
  assertReadEnabled();
  Acad::ErrorStatus status = AcDbEntity::dwgOutFields(filer);
  if (status != Acad::eOk) return status;
  filer->writeInt16(kRecordVersion);
  filer->writeString(m_cloudPath.c_str());
  WriteMatrix(filer, m_transform);
  filer->writeUInt32(m_classMask);
  filer->writeUInt8(m_colorMode);
  filer->writeUInt16(m_density);
  filer->writeUInt32(static_cast<Adesk::UInt32>(m_reclassEdits.size()));
  for (const ReclassEdit& edit : m_reclassEdits) WriteEdit(filer, edit);
  filer->writeBool(m_elevFilterOn);
  filer->writeDouble(m_elevMin);
  filer->writeDouble(m_elevMax);
  filer->writeBool(m_autoClassify);
  return filer->filerStatus();
}

Acad::ErrorStatus Pelvar::dwgInFields(AcDbDwgFiler* filer) {
  assertWriteEnabled();
  Acad::ErrorStatus status = AcDbEntity::dwgInFields(filer);
  if (status != Acad::eOk) return status;
  Adesk::Int16 version = 0;
  status = filer->readInt16(&version);
  if (status != Acad::eOk) return status;
  // A version this code does not know (newer, or never written) is kept by the host as a
  // proxy with its bytes intact rather than misread.
  if (version < kFirstVersion || version > kRecordVersion) return Acad::eMakeMeProxy;

  FiledFields fields;
  ReadFields(filer, version, fields);
  status = filer->filerStatus();
  // A record that could not be read whole leaves the entity as it was.
  if (status != Acad::eOk) return status;

  // Undo and redo file the entity back in over itself: its caches stay when they still hold.
  const bool keepsCaches = filer->filerType() == AcDb::kUndoFiler && fields.cloudPath == m_cloudPath;
  const bool sameAutoClassify = fields.autoClassify == m_autoClassify;
  std::vector<ReclassEdit> previousEdits = std::move(m_reclassEdits);
  m_cloudPath = std::move(fields.cloudPath);
  m_transform = fields.transform;
  m_classMask = fields.classMask;
  m_colorMode = fields.colorMode;
  m_density = fields.density;
  m_reclassEdits = std::move(fields.edits);
  m_elevFilterOn = fields.elevFilterOn;
  m_elevMin = fields.elevMin;
  m_elevMax = fields.elevMax;
  m_autoClassify = fields.autoClassify;
  // A drawing read, or another file: load the image again on next use.
  if (!keepsCaches) m_cloudData.reset();
  // The override array is derived from the edits and the switch. Undo and redo add or take
  // back edits at the end of the list: the array follows in place; otherwise it is dropped
  // and rebuilt on next use.
  const bool overridesFollowed = keepsCaches && sameAutoClassify && !m_overridesDirty && m_classOverrides &&
                                 m_cloudData &&
                                 UpdateClassOverrides(*m_cloudData, previousEdits, m_reclassEdits, m_autoClassify,
                                                      *m_classOverrides);
  if (!overridesFollowed) {
    m_classOverrides.reset();
    m_overridesDirty = !m_reclassEdits.empty() || m_autoClassify;
  }
  return status;
}
