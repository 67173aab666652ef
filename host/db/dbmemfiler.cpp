// The in-memory filer: little-endian fixed-width values, UTF-8 strings after a 32-bit length.
#include "dbmemfiler.h"

#include <cstring>

#include "dbdatabase.h"
#include "rxclass.h"
#include "wcrt.h"
#include "wideutf8.h"

AcRxClass* AcDbDwgFiler::desc() {
  static AcRxClass* cls = newAcRxClass(L"AcDbDwgFiler", L"AcRxObject");
  return cls;
}
AcRxClass* AcDbDwgFiler::isA() const { return desc(); }

namespace pelvarhost {

namespace {
// Longest string a filer accepts back (guards against a damaged length prefix).
constexpr Adesk::UInt32 kMaxStringBytes = 64u * 1024u * 1024u;
}  // namespace

MemoryFiler::MemoryFiler(AcDbDatabase* database, AcDb::FilerType type) : m_type(type), m_database(database) {}

MemoryFiler::MemoryFiler(std::vector<std::uint8_t> bytes, AcDbDatabase* database, AcDb::FilerType type)
    : m_bytes(std::move(bytes)), m_type(type), m_database(database) {}

std::vector<std::uint8_t> MemoryFiler::takeBytes() {
  std::vector<std::uint8_t> out;
  out.swap(m_bytes);
  m_readPos = 0;
  return out;
}

// Reads exactly `length` bytes or fails: past the end the status becomes eEndOfFile,
// and after any failure every read fails and zeroes its output.
Acad::ErrorStatus MemoryFiler::take(void* out, size_t length) {
  if (m_status == Acad::eOk && length > m_bytes.size() - m_readPos) m_status = Acad::eEndOfFile;
  if (m_status != Acad::eOk) {
    if (length > 0) std::memset(out, 0, length);
    return m_status;
  }
  if (length > 0) std::memcpy(out, m_bytes.data() + m_readPos, length);
  m_readPos += length;
  return Acad::eOk;
}

Acad::ErrorStatus MemoryFiler::put(const void* in, size_t length) {
  if (m_status != Acad::eOk) return m_status;
  const auto* bytes = static_cast<const std::uint8_t*>(in);
  m_bytes.insert(m_bytes.end(), bytes, bytes + length);
  return Acad::eOk;
}

#define PELVAR_FILER_PAIR(READ, WRITE, TYPE)                                  \
  Acad::ErrorStatus MemoryFiler::READ(TYPE* value) { return take(value, sizeof(TYPE)); } \
  Acad::ErrorStatus MemoryFiler::WRITE(TYPE value) { return put(&value, sizeof(TYPE)); }

PELVAR_FILER_PAIR(readInt8, writeInt8, Adesk::Int8)
PELVAR_FILER_PAIR(readUInt8, writeUInt8, Adesk::UInt8)
PELVAR_FILER_PAIR(readInt16, writeInt16, Adesk::Int16)
PELVAR_FILER_PAIR(readUInt16, writeUInt16, Adesk::UInt16)
PELVAR_FILER_PAIR(readInt32, writeInt32, Adesk::Int32)
PELVAR_FILER_PAIR(readUInt32, writeUInt32, Adesk::UInt32)
PELVAR_FILER_PAIR(readInt64, writeInt64, Adesk::Int64)
PELVAR_FILER_PAIR(readUInt64, writeUInt64, Adesk::UInt64)
PELVAR_FILER_PAIR(readDouble, writeDouble, double)
#undef PELVAR_FILER_PAIR

// Booleans file as one byte, 0 or 1; any other byte reads as a filer error.
Acad::ErrorStatus MemoryFiler::readBool(bool* value) {
  Adesk::UInt8 byte = 0;
  take(&byte, 1);
  if (m_status == Acad::eOk && byte > 1) m_status = Acad::eFilerError;
  *value = (m_status == Acad::eOk) && byte == 1;
  return m_status;
}

Acad::ErrorStatus MemoryFiler::writeBool(bool value) {
  Adesk::UInt8 byte = value ? 1 : 0;
  return put(&byte, 1);
}

Acad::ErrorStatus MemoryFiler::readBoolean(Adesk::Boolean* value) { return readBool(value); }
Acad::ErrorStatus MemoryFiler::writeBoolean(Adesk::Boolean value) { return writeBool(value); }

Acad::ErrorStatus MemoryFiler::readString(AcString& value) {
  value.setEmpty();
  Adesk::UInt32 length = 0;
  if (take(&length, sizeof(length)) != Acad::eOk) return m_status;
  if (length > kMaxStringBytes) {
    m_status = Acad::eFilerError;
    return m_status;
  }
  if (length > m_bytes.size() - m_readPos) {  // refuse before allocating for bytes that are not there
    m_status = Acad::eEndOfFile;
    return m_status;
  }
  std::string utf8(length, '\0');
  if (take(utf8.data(), length) != Acad::eOk) return m_status;
  // Strings are written from C strings and never hold a NUL: one inside is damage, and
  // would be cut off silently when the text is written again.
  if (utf8.find('\0') != std::string::npos) {
    m_status = Acad::eFilerError;
    return m_status;
  }
  value = AcString(Utf8ToWide(utf8));
  return Acad::eOk;
}

Acad::ErrorStatus MemoryFiler::writeString(const ACHAR* value) {
  std::string utf8 = WideToUtf8(value != nullptr ? value : L"");
  Adesk::UInt32 length = static_cast<Adesk::UInt32>(utf8.size());
  put(&length, sizeof(length));
  return put(utf8.data(), utf8.size());
}

Acad::ErrorStatus MemoryFiler::writeString(const AcString& value) { return writeString(value.kwszPtr()); }

Acad::ErrorStatus MemoryFiler::readBytes(void* buffer, Adesk::UIntPtr length) { return take(buffer, length); }
Acad::ErrorStatus MemoryFiler::writeBytes(const void* buffer, Adesk::UIntPtr length) { return put(buffer, length); }

Acad::ErrorStatus MemoryFiler::readPoint2d(AcGePoint2d* value) {
  readDouble(&value->x);
  return readDouble(&value->y);
}
Acad::ErrorStatus MemoryFiler::writePoint2d(const AcGePoint2d& value) {
  writeDouble(value.x);
  return writeDouble(value.y);
}
Acad::ErrorStatus MemoryFiler::readPoint3d(AcGePoint3d* value) {
  readDouble(&value->x);
  readDouble(&value->y);
  return readDouble(&value->z);
}
Acad::ErrorStatus MemoryFiler::writePoint3d(const AcGePoint3d& value) {
  writeDouble(value.x);
  writeDouble(value.y);
  return writeDouble(value.z);
}
Acad::ErrorStatus MemoryFiler::readVector3d(AcGeVector3d* value) {
  readDouble(&value->x);
  readDouble(&value->y);
  return readDouble(&value->z);
}
Acad::ErrorStatus MemoryFiler::writeVector3d(const AcGeVector3d& value) {
  writeDouble(value.x);
  writeDouble(value.y);
  return writeDouble(value.z);
}

Acad::ErrorStatus MemoryFiler::readDbHandle(AcDbHandle* value) {
  Adesk::UInt64 raw = 0;
  take(&raw, sizeof(raw));
  *value = AcDbHandle(raw);
  return m_status;
}
Acad::ErrorStatus MemoryFiler::writeDbHandle(const AcDbHandle& value) {
  Adesk::UInt64 raw = value.value();
  return put(&raw, sizeof(raw));
}

// Ids file as the handle; reading resolves the handle in the filer's database (making a
// place for an object not read yet) or gives the null id.
Acad::ErrorStatus MemoryFiler::readId(AcDbObjectId* id) {
  AcDbHandle handle;
  readDbHandle(&handle);
  id->setNull();
  if (m_status == Acad::eOk && !handle.isNull() && m_database != nullptr)
    m_database->getAcDbObjectId(*id, true, handle);
  return m_status;
}

Acad::ErrorStatus MemoryFiler::writeId(const AcDbObjectId& id) { return writeDbHandle(id.handle()); }

Acad::ErrorStatus MemoryFiler::readHardOwnershipId(AcDbHardOwnershipId* id) { return readId(id); }
Acad::ErrorStatus MemoryFiler::writeHardOwnershipId(const AcDbHardOwnershipId& id) { return writeId(id); }
Acad::ErrorStatus MemoryFiler::readSoftOwnershipId(AcDbSoftOwnershipId* id) { return readId(id); }
Acad::ErrorStatus MemoryFiler::writeSoftOwnershipId(const AcDbSoftOwnershipId& id) { return writeId(id); }
Acad::ErrorStatus MemoryFiler::readHardPointerId(AcDbHardPointerId* id) { return readId(id); }
Acad::ErrorStatus MemoryFiler::writeHardPointerId(const AcDbHardPointerId& id) { return writeId(id); }
Acad::ErrorStatus MemoryFiler::readSoftPointerId(AcDbSoftPointerId* id) { return readId(id); }
Acad::ErrorStatus MemoryFiler::writeSoftPointerId(const AcDbSoftPointerId& id) { return writeId(id); }

}  // namespace pelvarhost
