// The binary filer through which objects write and read their data.
// Every read returns the filer's status; once a read has failed the filer keeps its
// error status, later reads fail too, and every value read on failure is zeroed.
#pragma once
#include "AdAChar.h"
#include "acadstrc.h"
#include "acdb.h"
#include "acstring.h"
#include "dbid.h"
#include "gepnt2d.h"
#include "gepnt3d.h"
#include "gevec3d.h"
#include "rxobject.h"

class AcDbDwgFiler : public AcRxObject {
 public:
  static AcRxClass* desc();
  AcRxClass* isA() const override;

  virtual Acad::ErrorStatus filerStatus() const = 0;
  virtual AcDb::FilerType filerType() const = 0;
  virtual void setFilerStatus(Acad::ErrorStatus status) = 0;
  virtual void resetFilerStatus() = 0;
  // The database whose ids the filer resolves (may be null: ids then file as null).
  virtual AcDbDatabase* database() const { return nullptr; }

  virtual Acad::ErrorStatus readBool(bool* value) = 0;
  virtual Acad::ErrorStatus writeBool(bool value) = 0;
  virtual Acad::ErrorStatus readBoolean(Adesk::Boolean* value) = 0;
  virtual Acad::ErrorStatus writeBoolean(Adesk::Boolean value) = 0;
  virtual Acad::ErrorStatus readInt8(Adesk::Int8* value) = 0;
  virtual Acad::ErrorStatus writeInt8(Adesk::Int8 value) = 0;
  virtual Acad::ErrorStatus readUInt8(Adesk::UInt8* value) = 0;
  virtual Acad::ErrorStatus writeUInt8(Adesk::UInt8 value) = 0;
  virtual Acad::ErrorStatus readInt16(Adesk::Int16* value) = 0;
  virtual Acad::ErrorStatus writeInt16(Adesk::Int16 value) = 0;
  virtual Acad::ErrorStatus readUInt16(Adesk::UInt16* value) = 0;
  virtual Acad::ErrorStatus writeUInt16(Adesk::UInt16 value) = 0;
  virtual Acad::ErrorStatus readInt32(Adesk::Int32* value) = 0;
  virtual Acad::ErrorStatus writeInt32(Adesk::Int32 value) = 0;
  virtual Acad::ErrorStatus readUInt32(Adesk::UInt32* value) = 0;
  virtual Acad::ErrorStatus writeUInt32(Adesk::UInt32 value) = 0;
  virtual Acad::ErrorStatus readInt64(Adesk::Int64* value) = 0;
  virtual Acad::ErrorStatus writeInt64(Adesk::Int64 value) = 0;
  virtual Acad::ErrorStatus readUInt64(Adesk::UInt64* value) = 0;
  virtual Acad::ErrorStatus writeUInt64(Adesk::UInt64 value) = 0;
  virtual Acad::ErrorStatus readDouble(double* value) = 0;
  virtual Acad::ErrorStatus writeDouble(double value) = 0;
  // Strings are filed as UTF-8 bytes after a 32-bit length.
  virtual Acad::ErrorStatus readString(AcString& value) = 0;
  virtual Acad::ErrorStatus writeString(const ACHAR* value) = 0;
  virtual Acad::ErrorStatus writeString(const AcString& value) = 0;
  virtual Acad::ErrorStatus readBytes(void* buffer, Adesk::UIntPtr length) = 0;
  virtual Acad::ErrorStatus writeBytes(const void* buffer, Adesk::UIntPtr length) = 0;
  virtual Acad::ErrorStatus readPoint2d(AcGePoint2d* value) = 0;
  virtual Acad::ErrorStatus writePoint2d(const AcGePoint2d& value) = 0;
  virtual Acad::ErrorStatus readPoint3d(AcGePoint3d* value) = 0;
  virtual Acad::ErrorStatus writePoint3d(const AcGePoint3d& value) = 0;
  virtual Acad::ErrorStatus readVector3d(AcGeVector3d* value) = 0;
  virtual Acad::ErrorStatus writeVector3d(const AcGeVector3d& value) = 0;
  virtual Acad::ErrorStatus readDbHandle(AcDbHandle* value) = 0;
  virtual Acad::ErrorStatus writeDbHandle(const AcDbHandle& value) = 0;
  // Object references file as the target's handle and read back through database().
  virtual Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId* id) = 0;
  virtual Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) = 0;
  virtual Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId* id) = 0;
  virtual Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) = 0;
  virtual Acad::ErrorStatus readHardPointerId(AcDbHardPointerId* id) = 0;
  virtual Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) = 0;
  virtual Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId* id) = 0;
  virtual Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) = 0;
};
