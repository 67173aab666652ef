// A proxy entity stands in for an entity whose class is not available: its class was
// never registered, was deleted (its module unloaded), or its reader asked for a proxy
// (eMakeMeProxy). It keeps the class's own part of the record byte for byte and writes it
// back unchanged, after the common entity fields (layer, colour) as they stand now; it
// draws nothing. When the class is registered again
// the database brings the object back to life from the kept record.
#pragma once
#include <cstdint>
#include <vector>
#include "dbmain.h"

class AcDbProxyEntity : public AcDbEntity {
 public:
  ACRX_DECLARE_MEMBERS(AcDbProxyEntity);

  enum GraphicsMetafileType { kNoMetafile = 0, kBoundingBox = 1, kFullGraphics = 2 };
  enum AllowedOperationBit {
    kNoOperation = 0,
    kEraseAllowed = 0x1,
    kTransformAllowed = 0x2,
    kColorChangeAllowed = 0x4,
    kLayerChangeAllowed = 0x8,
    kLinetypeChangeAllowed = 0x10,
    kLinetypeScaleChangeAllowed = 0x20,
    kVisibilityChangeAllowed = 0x40,
    kCloningAllowed = 0x80,
    kLineWeightChangeAllowed = 0x100,
    kPlotStyleNameChangeAllowed = 0x200,
    kAllButCloningAllowed = 0x37F,
    kDisableProxyWarning = 0x400,
    kMaterialChangeAllowed = 0x800,
    kAllAllowedBits = 0xBFF
  };

  AcDbProxyEntity();
  // A proxy for a record of `className` (DXF name `dxfName`) whose filed bytes, from the
  // entity's own dwgOutFields, are `record`.
  AcDbProxyEntity(const ACHAR* className, const ACHAR* dxfName, std::vector<std::uint8_t> record);

  const ACHAR* originalClassName() const;
  const ACHAR* originalDxfName() const;
  int proxyFlags() const { return m_proxyFlags; }
  GraphicsMetafileType graphicsMetafileType() const { return kNoMetafile; }
  const std::vector<std::uint8_t>& originalRecord() const { return m_record; }
  // The record as it is saved now: the common entity fields as they stand (a layer or
  // colour changed while the class was away is kept), then the class's own bytes unchanged.
  std::vector<std::uint8_t> currentRecord() const;

  // Reads back the common entity fields (layer, colour) from the kept record and keeps
  // all of it; writes the record unchanged.
  Acad::ErrorStatus dwgInFields(AcDbDwgFiler* filer) override;
  Acad::ErrorStatus dwgOutFields(AcDbDwgFiler* filer) const override;

 protected:
  Adesk::Boolean subWorldDraw(AcGiWorldDraw* worldDraw) override { return Adesk::kTrue; }
  void subList(std::vector<std::wstring>& lines) const override;

 private:
  AcString m_className;
  AcString m_dxfName;
  std::vector<std::uint8_t> m_record;
  size_t m_commonBytes = 0;  // length of the common entity fields at the record's start; 0 if unreadable
  int m_proxyFlags = kNoOperation;
};
