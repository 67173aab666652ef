// The cloud entity: one cloud file placed in a drawing, with the user's display and
// classification settings. It never stores points; it loads the file's shared image on
// first use through the cloud cache.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cloudfile/KmqData.h"
#include "dbmain.h"
#include "gemat3d.h"

// One rectangle reclassification in cloud coordinates (min <= max, edges inclusive).
// `cls` is filed as 16 bits; only its low 8 bits are the new LAS class.
struct ReclassEdit {
  double minX = 0.0;
  double minY = 0.0;
  double maxX = 0.0;
  double maxY = 0.0;
  uint16_t cls = 0;

  bool operator==(const ReclassEdit&) const = default;
};

// Per-point override classes, one byte per point in file order; 255 = no override.
// Shared between the entity and the views that took it, refilled in place on rebuild.
using ClassOverrideArray = std::vector<uint8_t>;
using ClassOverridesPtr = std::shared_ptr<ClassOverrideArray>;
inline constexpr uint8_t kNoOverride = 255;

class Pelvar : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(Pelvar);

  static constexpr Adesk::Int16 kRecordVersion = 4;
  static constexpr uint32_t kDefaultClassMask = 0xFFFFFFC5u;
  static constexpr uint8_t kColorByClass = 0;
  static constexpr uint8_t kColorByIntensity = 1;
  static constexpr uint8_t kColorByElevation = 2;
  static constexpr uint16_t kDefaultDensity = 100;

  Pelvar();
  ~Pelvar() override;
  Pelvar(const Pelvar&) = delete;
  Pelvar& operator=(const Pelvar&) = delete;

  // --- Filed fields: read on an entity open for read.
  const std::wstring& cloudPath() const;
  const AcGeMatrix3d& transform() const;
  uint32_t classMask() const;
  uint8_t colorMode() const;
  uint16_t density() const;
  const std::vector<ReclassEdit>& reclassEdits() const;
  bool elevFilterOn() const;
  double elevMin() const;
  double elevMax() const;
  bool autoClassify() const;

  // --- Changes: the entity must be open for write. Callers that change what is drawn
  // call recordGraphicsModified(true) afterwards; callers that change the edits or the
  // automatic-classification switch also call setOverridesDirty(true).
  // Setting the path also drops the loaded image, so the next use loads the new file.
  void setCloudPath(const std::wstring& path);
  void setTransform(const AcGeMatrix3d& transform);
  void setClassMask(uint32_t mask);
  void setColorMode(uint8_t mode);
  void setDensity(uint16_t percent);
  void setReclassEdits(std::vector<ReclassEdit> edits);
  void appendReclassEdit(const ReclassEdit& edit);
  void setElevationWindow(bool on, double minZ, double maxZ);
  void setAutoClassify(bool on);

  // --- Caches (not filed; usable on an entity open for read).
  // The loaded image of cloudPath, or null. A failed load is not remembered.
  KmqDataPtr CloudData() const;
  // The current override classes, or null. Rebuilds them first when marked dirty.
  ClassOverridesPtr ClassOverrides() const;
  bool overridesDirty() const;
  void setOverridesDirty(bool dirty) const;
  // The override array slot itself, for the rebuild that creates, refills or drops it.
  ClassOverridesPtr& classOverridesSlot() const;
  // Drops the cached image (the next CloudData() loads the file again).
  void releaseCloudData() const;

  // --- Host operations, in the order of the host's virtual table.
 protected:
  Adesk::UInt32 subSetAttributes(AcGiDrawableTraits* traits) override;
  Adesk::Boolean subWorldDraw(AcGiWorldDraw* worldDraw) override;
  void subViewportDraw(AcGiViewportDraw* viewportDraw) override;

 public:
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 protected:
  Acad::ErrorStatus subGetOsnapPoints(AcDb::OsnapMode osnapMode, Adesk::GsMarker gsSelectionMark,
                                      const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                      const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                      AcDbIntArray& geomIds) const override;
  Acad::ErrorStatus subTransformBy(const AcGeMatrix3d& xform) override;
  Acad::ErrorStatus subGetGeomExtents(AcDbExtents& extents) const override;
  // LIST: the cloud's file, points, tile, zone and display settings.
  void subList(std::vector<std::wstring>& lines) const override;

 private:
  std::wstring m_cloudPath;
  AcGeMatrix3d m_transform;
  uint32_t m_classMask = kDefaultClassMask;
  uint8_t m_colorMode = kColorByClass;
  uint16_t m_density = kDefaultDensity;
  mutable KmqDataPtr m_cloudData;
  std::vector<ReclassEdit> m_reclassEdits;
  mutable ClassOverridesPtr m_classOverrides;
  mutable bool m_overridesDirty = false;
  bool m_elevFilterOn = false;
  double m_elevMin = 0.0;
  double m_elevMax = 0.0;
  bool m_autoClassify = false;
};
