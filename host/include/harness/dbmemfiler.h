// A filer over a byte buffer in memory: the drawing file and the proxies use it to hold
// each object's record, and tests use it to check an object's filing.
#pragma once
#include <cstdint>
#include <vector>
#include "dbfiler.h"

namespace pelvarhost {

class MemoryFiler : public AcDbDwgFiler {
 public:
  explicit MemoryFiler(AcDbDatabase* database = nullptr, AcDb::FilerType type = AcDb::kFileFiler);
  // A filer that reads the given bytes.
  MemoryFiler(std::vector<std::uint8_t> bytes, AcDbDatabase* database = nullptr,
              AcDb::FilerType type = AcDb::kFileFiler);

  const std::vector<std::uint8_t>& bytes() const { return m_bytes; }
  std::vector<std::uint8_t> takeBytes();
  size_t readPosition() const { return m_readPos; }
  bool atEnd() const { return m_readPos >= m_bytes.size(); }
  void rewind() { m_readPos = 0; }

  Acad::ErrorStatus filerStatus() const override { return m_status; }
  AcDb::FilerType filerType() const override { return m_type; }
  void setFilerStatus(Acad::ErrorStatus status) override { m_status = status; }
  void resetFilerStatus() override { m_status = Acad::eOk; }
  AcDbDatabase* database() const override { return m_database; }

  Acad::ErrorStatus readBool(bool* value) override;
  Acad::ErrorStatus writeBool(bool value) override;
  Acad::ErrorStatus readBoolean(Adesk::Boolean* value) override;
  Acad::ErrorStatus writeBoolean(Adesk::Boolean value) override;
  Acad::ErrorStatus readInt8(Adesk::Int8* value) override;
  Acad::ErrorStatus writeInt8(Adesk::Int8 value) override;
  Acad::ErrorStatus readUInt8(Adesk::UInt8* value) override;
  Acad::ErrorStatus writeUInt8(Adesk::UInt8 value) override;
  Acad::ErrorStatus readInt16(Adesk::Int16* value) override;
  Acad::ErrorStatus writeInt16(Adesk::Int16 value) override;
  Acad::ErrorStatus readUInt16(Adesk::UInt16* value) override;
  Acad::ErrorStatus writeUInt16(Adesk::UInt16 value) override;
  Acad::ErrorStatus readInt32(Adesk::Int32* value) override;
  Acad::ErrorStatus writeInt32(Adesk::Int32 value) override;
  Acad::ErrorStatus readUInt32(Adesk::UInt32* value) override;
  Acad::ErrorStatus writeUInt32(Adesk::UInt32 value) override;
  Acad::ErrorStatus readInt64(Adesk::Int64* value) override;
  Acad::ErrorStatus writeInt64(Adesk::Int64 value) override;
  Acad::ErrorStatus readUInt64(Adesk::UInt64* value) override;
  Acad::ErrorStatus writeUInt64(Adesk::UInt64 value) override;
  Acad::ErrorStatus readDouble(double* value) override;
  Acad::ErrorStatus writeDouble(double value) override;
  Acad::ErrorStatus readString(AcString& value) override;
  Acad::ErrorStatus writeString(const ACHAR* value) override;
  Acad::ErrorStatus writeString(const AcString& value) override;
  Acad::ErrorStatus readBytes(void* buffer, Adesk::UIntPtr length) override;
  Acad::ErrorStatus writeBytes(const void* buffer, Adesk::UIntPtr length) override;
  Acad::ErrorStatus readPoint2d(AcGePoint2d* value) override;
  Acad::ErrorStatus writePoint2d(const AcGePoint2d& value) override;
  Acad::ErrorStatus readPoint3d(AcGePoint3d* value) override;
  Acad::ErrorStatus writePoint3d(const AcGePoint3d& value) override;
  Acad::ErrorStatus readVector3d(AcGeVector3d* value) override;
  Acad::ErrorStatus writeVector3d(const AcGeVector3d& value) override;
  Acad::ErrorStatus readDbHandle(AcDbHandle* value) override;
  Acad::ErrorStatus writeDbHandle(const AcDbHandle& value) override;
  Acad::ErrorStatus readHardOwnershipId(AcDbHardOwnershipId* id) override;
  Acad::ErrorStatus writeHardOwnershipId(const AcDbHardOwnershipId& id) override;
  Acad::ErrorStatus readSoftOwnershipId(AcDbSoftOwnershipId* id) override;
  Acad::ErrorStatus writeSoftOwnershipId(const AcDbSoftOwnershipId& id) override;
  Acad::ErrorStatus readHardPointerId(AcDbHardPointerId* id) override;
  Acad::ErrorStatus writeHardPointerId(const AcDbHardPointerId& id) override;
  Acad::ErrorStatus readSoftPointerId(AcDbSoftPointerId* id) override;
  Acad::ErrorStatus writeSoftPointerId(const AcDbSoftPointerId& id) override;

 private:
  Acad::ErrorStatus take(void* out, size_t length);
  Acad::ErrorStatus put(const void* in, size_t length);
  Acad::ErrorStatus readId(AcDbObjectId* id);
  Acad::ErrorStatus writeId(const AcDbObjectId& id);

  std::vector<std::uint8_t> m_bytes;
  size_t m_readPos = 0;
  Acad::ErrorStatus m_status = Acad::eOk;
  AcDb::FilerType m_type;
  AcDbDatabase* m_database;
};

}  // namespace pelvarhost
