// Helpers for the cloud entity tests: a snapshot of the filed fields, a fully set entity,
// a record written by hand through the host filer, drawings in a temporary folder.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "dbmemfiler.h"
#include "dbsymtb.h"
#include "entity/Pelvar.h"
#include "tests/support/AppendEntity.h"
#include "tests/support/TempFolder.h"

namespace pelvartest {

// Every filed field of an entity, compared exactly (matrices entry by entry, bit for bit).
struct FiledSnapshot {
  std::wstring cloudPath;
  std::vector<double> matrix;
  uint32_t classMask = 0;
  uint8_t colorMode = 0;
  uint16_t density = 0;
  std::vector<ReclassEdit> edits;
  bool elevFilterOn = false;
  double elevMin = 0, elevMax = 0;
  bool autoClassify = false;
  bool operator==(const FiledSnapshot&) const = default;
};

inline FiledSnapshot Snapshot(const Pelvar& p) {
  FiledSnapshot s;
  s.cloudPath = p.cloudPath();
  for (unsigned r = 0; r < 4; ++r)
    for (unsigned c = 0; c < 4; ++c) s.matrix.push_back(p.transform().entry[r][c]);
  s.classMask = p.classMask();
  s.colorMode = p.colorMode();
  s.density = p.density();
  s.edits = p.reclassEdits();
  s.elevFilterOn = p.elevFilterOn();
  s.elevMin = p.elevMin();
  s.elevMax = p.elevMax();
  s.autoClassify = p.autoClassify();
  return s;
}

// A matrix with sixteen different entries that no default could reproduce.
inline AcGeMatrix3d DistinctMatrix() {
  AcGeMatrix3d m;
  for (unsigned r = 0; r < 4; ++r)
    for (unsigned c = 0; c < 4; ++c) m.entry[r][c] = 1.0 / 3.0 + r * 10.0 + c * 0.125 - 7.0 * (r == c);
  return m;
}

// An entity whose every filed field differs from its default.
inline void FillAllFields(Pelvar& p, const std::wstring& path = L"/clouds/tile \u00e9t\u00e9 1.kmt") {
  p.setCloudPath(path);
  p.setTransform(DistinctMatrix());
  p.setClassMask(0x80000046u);
  p.setColorMode(2);
  p.setDensity(37);
  p.setReclassEdits({{1.5, 2.5, 10.25, 20.75, 6}, {-4.0, -3.0, 0.5, 0.25, 17}, {100.0, 200.0, 300.0, 400.0, 0x1FF}});
  p.setElevationWindow(true, 812.125, 1044.5);
  p.setAutoClassify(true);
}

// The common entity data of a default entity, as the base class files it.
inline std::vector<uint8_t> EntityPrefix() {
  Pelvar p;
  pelvarhost::MemoryFiler filer;
  p.AcDbEntity::dwgOutFields(&filer);
  return filer.bytes();
}

// Writes a record of the given version by hand, field by field in the documented order,
// with the fields of `s` that the version carries; `extra` is appended after them.
inline std::vector<uint8_t> HandRecord(int16_t version, const FiledSnapshot& s,
                                       const std::vector<uint8_t>& extra = {}) {
  Pelvar base;
  pelvarhost::MemoryFiler filer;
  base.AcDbEntity::dwgOutFields(&filer);
  filer.writeInt16(version);
  filer.writeString(s.cloudPath.c_str());
  for (double v : s.matrix) filer.writeDouble(v);
  filer.writeUInt32(s.classMask);
  filer.writeUInt8(s.colorMode);
  filer.writeUInt16(s.density);
  if (version >= 2) {
    filer.writeUInt32(static_cast<uint32_t>(s.edits.size()));
    for (const ReclassEdit& e : s.edits) {
      filer.writeDouble(e.minX);
      filer.writeDouble(e.minY);
      filer.writeDouble(e.maxX);
      filer.writeDouble(e.maxY);
      filer.writeInt16(static_cast<int16_t>(e.cls));
    }
  }
  if (version >= 3) {
    filer.writeBool(s.elevFilterOn);
    filer.writeDouble(s.elevMin);
    filer.writeDouble(s.elevMax);
  }
  if (version >= 4) filer.writeBool(s.autoClassify);
  if (!extra.empty()) filer.writeBytes(extra.data(), extra.size());
  return filer.bytes();
}

inline std::vector<uint8_t> RecordOf(const Pelvar& p) {
  pelvarhost::MemoryFiler filer;
  EXPECT_EQ(p.dwgOutFields(&filer), Acad::eOk);
  return filer.bytes();
}

// Appends an entity to the database's model space and closes it; returns its handle, which
// survives saving and reopening the drawing.
inline AcDbHandle AppendForHandle(AcDbDatabase& db, AcDbEntity* entity) {
  return AppendToModelSpace(db, entity).handle();
}

inline AcDbObjectId IdOf(AcDbDatabase& db, const AcDbHandle& handle) {
  AcDbObjectId id;
  EXPECT_EQ(db.getAcDbObjectId(id, false, handle), Acad::eOk);
  return id;
}

}  // namespace pelvartest
