// The drawing file (.pvd).
//
// Layout (little-endian):
//   "PVD1"  format version (uint32)  payload length (uint64)
//   payload:
//     view centre x, y and height (3 doubles), current layer handle, current colour (uint16),
//     handle seed, handles of the block table, layer table, model space and paper space,
//     class count (uint32) and per class its name and DXF name (strings),
//     object count (uint32) and per object: handle, class index (uint32), owner handle,
//     record length (uint32) and the record (the object's filed data)
//   CRC-32 of everything before it (uint32)
#include "dbdrawing.h"

#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "dbimpl.h"
#include "dbmemfiler.h"
#include "dbproxy.h"
#include "dbsymtb.h"
#include "hostfiles.h"
#include "dbundo.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace {

constexpr char kMagic[4] = {'P', 'V', 'D', '1'};
constexpr Adesk::UInt32 kFormatVersion = 1;
constexpr size_t kHeaderSize = 16;  // magic, version, payload length
constexpr size_t kChecksumSize = 4;
constexpr Adesk::UInt32 kMaxClasses = 1u << 16;
// The largest drawing read (a drawing holds entities only: clouds stay in their own files).
// A larger file, or one whose header does not fit its size, is refused before it is read.
constexpr std::uint64_t kMaxDrawingBytes = std::uint64_t{1} << 30;

const std::wstring kTruncated = L"drawing file is truncated";
const std::wstring kNotADrawing = L"not a pelvar drawing";
const std::wstring kChecksumMismatch = L"drawing checksum mismatch";

thread_local std::wstring lastError;

struct ObjectRecord {
  Adesk::UInt64 handle = 0;
  Adesk::UInt32 classIndex = 0;
  Adesk::UInt64 owner = 0;
  std::vector<std::uint8_t> bytes;
};

struct ClassName {
  std::wstring name;
  std::wstring dxfName;
};

std::wstring Quoted(const std::wstring& text) { return L"\"" + text + L"\""; }

template <typename T>
T LoadLE(const std::uint8_t* at) {
  T value;
  std::memcpy(&value, at, sizeof(T));
  return value;
}

Adesk::UInt32 Checksum(const std::uint8_t* data, size_t length) {
  uLong crc = crc32(0L, Z_NULL, 0);
  while (length > 0) {
    uInt chunk = static_cast<uInt>(std::min<size_t>(length, 1u << 30));
    crc = crc32(crc, data, chunk);
    data += chunk;
    length -= chunk;
  }
  return static_cast<Adesk::UInt32>(crc);
}

// --- Saving.

ClassName ClassOf(const AcDbObject* object) {
  if (const AcDbProxyEntity* proxy = AcDbProxyEntity::cast(object))
    return {proxy->originalClassName(), proxy->originalDxfName()};
  return {object->isA()->name(), object->isA()->dxfName()};
}

bool CollectRecords(AcDbDatabase& db, std::vector<ClassName>& classes, std::vector<ObjectRecord>& records,
                    std::wstring& error) {
  std::map<std::wstring, Adesk::UInt32> classIndex;
  for (auto& [handle, stub] : pelvarhost::DbAccess::Impl(db).stubs) {
    if (stub->object == nullptr || stub->erased) continue;
    ClassName cls = ClassOf(stub->object);
    auto [it, added] = classIndex.emplace(cls.name, static_cast<Adesk::UInt32>(classes.size()));
    if (added) classes.push_back(cls);
    pelvarhost::MemoryFiler filer(&db);
    Acad::ErrorStatus status = pelvarhost::FileOutObject(stub->object, filer);
    if (status != Acad::eOk) {
      error = L"object " + AcDbHandle(handle).toString() + L" (" + cls.name + L") could not be written: " +
              acadErrorStatusText(status);
      return false;
    }
    records.push_back({handle, it->second, stub->object->ownerId().handle().value(), filer.takeBytes()});
  }
  return true;
}

bool BuildFileBytes(AcDbDatabase& db, std::vector<std::uint8_t>& out, std::wstring& error) {
  std::vector<ClassName> classes;
  std::vector<ObjectRecord> records;
  if (!CollectRecords(db, classes, records, error)) return false;
  const AcDbDatabaseImpl& impl = pelvarhost::DbAccess::Impl(db);
  pelvarhost::MemoryFiler payload(&db);
  payload.writeDouble(impl.view.centerX);
  payload.writeDouble(impl.view.centerY);
  payload.writeDouble(impl.view.height);
  payload.writeUInt64(impl.clayer.handle().value());
  payload.writeUInt16(impl.cecolor);
  payload.writeUInt64(impl.nextHandle);
  for (AcDbObjectId id : {impl.blockTable, impl.layerTable, impl.modelSpace, impl.paperSpace})
    payload.writeUInt64(id.handle().value());
  payload.writeUInt32(static_cast<Adesk::UInt32>(classes.size()));
  for (const ClassName& cls : classes) {
    payload.writeString(cls.name.c_str());
    payload.writeString(cls.dxfName.c_str());
  }
  payload.writeUInt32(static_cast<Adesk::UInt32>(records.size()));
  for (const ObjectRecord& record : records) {
    payload.writeUInt64(record.handle);
    payload.writeUInt32(record.classIndex);
    payload.writeUInt64(record.owner);
    payload.writeUInt32(static_cast<Adesk::UInt32>(record.bytes.size()));
    payload.writeBytes(record.bytes.data(), record.bytes.size());
  }
  const std::vector<std::uint8_t>& body = payload.bytes();
  pelvarhost::MemoryFiler file;
  file.writeBytes(kMagic, sizeof(kMagic));
  file.writeUInt32(kFormatVersion);
  file.writeUInt64(body.size());
  file.writeBytes(body.data(), body.size());
  file.writeUInt32(Checksum(file.bytes().data(), file.bytes().size()));
  out = file.takeBytes();
  return true;
}

// Writes through the host's whole-file writer: the target is always either the old drawing
// or the complete new one, with its mode kept and a link written through.
bool WriteAtomically(const std::wstring& path, const std::vector<std::uint8_t>& bytes, std::wstring& error) {
  std::string why;
  if (pelvarhost::WriteWholeFile(pelvarhost::WideToUtf8(path), bytes, true, why) == pelvarhost::WriteOutcome::kDone)
    return true;
  error = pelvarhost::Utf8ToWide(why);
  return false;
}

// --- Reading.

// Checks the 16-byte header against the file's size: the payload length must leave room
// for the checksum and nothing after it.
bool CheckHeader(const std::uint8_t* header, size_t headerBytes, std::uint64_t fileSize, std::wstring& error) {
  if (fileSize == 0) {
    error = kTruncated;
    return false;
  }
  if (std::memcmp(header, kMagic, std::min(headerBytes, sizeof(kMagic))) != 0) {
    error = kNotADrawing;
    return false;
  }
  if (headerBytes < kHeaderSize) {
    error = kTruncated;
    return false;
  }
  const Adesk::UInt32 version = LoadLE<Adesk::UInt32>(header + 4);
  if (version != kFormatVersion) {
    error = L"unsupported drawing format version " + std::to_wstring(version);
    return false;
  }
  const Adesk::UInt64 length = LoadLE<Adesk::UInt64>(header + 8);
  const std::uint64_t available = fileSize - kHeaderSize;
  if (available < kChecksumSize || length > available - kChecksumSize) {
    error = kTruncated;
    return false;
  }
  if (length != available - kChecksumSize) {
    error = L"drawing file is damaged: unexpected data after the drawing";
    return false;
  }
  return true;
}

bool ReadExactly(int fd, std::uint8_t* into, size_t count) {
  size_t done = 0;
  while (done < count) {
    const ssize_t n = ::read(fd, into + done, count - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

// Reads a regular file of at most kMaxDrawingBytes whose header fits its size; the header
// is read and checked before anything else is allocated or read.
bool ReadDrawingBytes(const std::wstring& path, std::vector<std::uint8_t>& file, std::wstring& error) {
  std::string why;
  std::uint64_t size = 0;
  const int fd = pelvarhost::OpenRegularFile(pelvarhost::WideToUtf8(path), kMaxDrawingBytes, &size, why);
  if (fd < 0) {
    error = L"cannot open " + Quoted(path) + L": " + pelvarhost::Utf8ToWide(why);
    return false;
  }
  std::uint8_t header[kHeaderSize] = {};
  const size_t headerBytes = static_cast<size_t>(std::min<std::uint64_t>(size, kHeaderSize));
  bool read = ReadExactly(fd, header, headerBytes);
  const bool fits = read && CheckHeader(header, headerBytes, size, error);
  if (fits) {
    file.assign(header, header + kHeaderSize);
    file.resize(static_cast<size_t>(size));
    read = ReadExactly(fd, file.data() + kHeaderSize, file.size() - kHeaderSize);
  }
  ::close(fd);
  if (!read) error = L"cannot read " + Quoted(path);
  return read && fits;
}

// Checks the checksum of a file whose header was checked; on success `payload` is the body.
bool CheckFrame(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& payload, std::wstring& error) {
  const size_t checked = file.size() - kChecksumSize;
  if (Checksum(file.data(), checked) != LoadLE<Adesk::UInt32>(file.data() + checked)) {
    error = kChecksumMismatch;
    return false;
  }
  payload.assign(file.begin() + kHeaderSize, file.begin() + static_cast<std::ptrdiff_t>(checked));
  return true;
}

AcDbObject* NewObjectOf(const ClassName& cls) {
  AcRxClass* registered = acrxFindAcRxClass(cls.name.c_str());
  if (registered == nullptr || registered == AcDbProxyEntity::desc()) return nullptr;
  AcRxObject* created = registered->create();
  AcDbObject* object = AcDbObject::cast(created);
  if (object == nullptr) delete created;
  return object;
}

// Reads one object record into the database; unknown classes and records that ask for
// it become proxies.
bool ReadObject(AcDbDatabase& db, const ClassName& cls, const ObjectRecord& record, std::wstring& error) {
  AcDbStub* stub = pelvarhost::DbAccess::Impl(db).stubFor(record.handle, true);
  if (stub == nullptr || stub->object != nullptr) {
    error = L"drawing file is damaged: object handle " + AcDbHandle(record.handle).toString() + L" is not unique";
    return false;
  }
  AcDbObjectId owner;
  if (record.owner != 0) db.getAcDbObjectId(owner, true, record.owner);
  AcDbObject* object = NewObjectOf(cls);
  if (object != nullptr) {
    pelvarhost::DbAccess::AttachToStub(*object, stub);
    pelvarhost::MemoryFiler filer(record.bytes, &db);
    Acad::ErrorStatus status = object->dwgInFields(&filer);
    if (status == Acad::eOk) status = filer.filerStatus();
    if (status != Acad::eOk) {
      pelvarhost::DbAccess::AttachToStub(*object, nullptr);
      delete object;
      object = nullptr;
      if (status != Acad::eMakeMeProxy) {
        error = L"drawing file is damaged: object " + AcDbHandle(record.handle).toString() + L" (" + cls.name +
                L") could not be read: " + acadErrorStatusText(status);
        return false;
      }
    }
  }
  if (object == nullptr) object = new AcDbProxyEntity(cls.name.c_str(), cls.dxfName.c_str(), record.bytes);
  pelvarhost::DbAccess::AttachToStub(*object, stub);
  object->setOwnerId(owner);
  pelvarhost::DbAccess::ResetOpenState(*object);
  stub->object = object;
  return true;
}

// Rebuilds the tables' record lists and the blocks' entity lists from the owners.
void LinkOwners(AcDbDatabaseImpl& impl) {
  for (auto& [handle, stub] : impl.stubs) {
    AcDbObject* object = stub->object;
    if (object == nullptr || object->ownerId().isNull()) continue;
    AcDbObject* owner = object->ownerId().stub()->object;
    if (auto* table = AcDbSymbolTable::cast(owner); table != nullptr && AcDbSymbolTableRecord::cast(object))
      table->linkRecord(AcDbObjectId(stub.get()));
    else if (auto* block = AcDbBlockTableRecord::cast(owner); block != nullptr && AcDbEntity::cast(object))
      block->linkEntity(AcDbObjectId(stub.get()));
  }
}

bool ResolveHeaderId(AcDbDatabase& db, Adesk::UInt64 handle, AcRxClass* expected, AcDbObjectId& id,
                     const wchar_t* what, std::wstring& error) {
  id.setNull();
  AcDbStub* stub = pelvarhost::DbAccess::Impl(db).stubFor(handle, false);
  if (stub == nullptr || stub->object == nullptr || !stub->object->isKindOf(expected)) {
    error = std::wstring(L"drawing file is damaged: the ") + what + L" is missing";
    return false;
  }
  id = AcDbObjectId(stub);
  return true;
}

bool ReadPayload(AcDbDatabase& db, const std::vector<std::uint8_t>& payload, std::wstring& error) {
  pelvarhost::MemoryFiler filer(payload, &db);
  AcDbDatabaseImpl& impl = pelvarhost::DbAccess::Impl(db);
  Adesk::UInt64 clayer = 0, seed = 0, tables[4] = {0, 0, 0, 0};
  filer.readDouble(&impl.view.centerX);
  filer.readDouble(&impl.view.centerY);
  filer.readDouble(&impl.view.height);
  filer.readUInt64(&clayer);
  filer.readUInt16(&impl.cecolor);
  filer.readUInt64(&seed);
  for (Adesk::UInt64& handle : tables) filer.readUInt64(&handle);
  Adesk::UInt32 classCount = 0;
  filer.readUInt32(&classCount);
  if (classCount > kMaxClasses) filer.setFilerStatus(Acad::eFilerError);
  std::vector<ClassName> classes;
  for (Adesk::UInt32 i = 0; i < classCount && filer.filerStatus() == Acad::eOk; ++i) {
    AcString name, dxfName;
    filer.readString(name);
    filer.readString(dxfName);
    classes.push_back({name.str(), dxfName.str()});
  }
  Adesk::UInt32 objectCount = 0;
  filer.readUInt32(&objectCount);
  for (Adesk::UInt32 i = 0; i < objectCount && filer.filerStatus() == Acad::eOk; ++i) {
    ObjectRecord record;
    Adesk::UInt32 length = 0;
    filer.readUInt64(&record.handle);
    filer.readUInt32(&record.classIndex);
    filer.readUInt64(&record.owner);
    filer.readUInt32(&length);
    if (filer.filerStatus() != Acad::eOk) break;
    if (length > payload.size() - filer.readPosition() || record.classIndex >= classes.size() || record.handle == 0) {
      error = L"drawing file is damaged: bad object record";
      return false;
    }
    record.bytes.resize(length);
    filer.readBytes(record.bytes.data(), length);
    if (!ReadObject(db, classes[record.classIndex], record, error)) return false;
  }
  if (filer.filerStatus() != Acad::eOk || !filer.atEnd()) {
    error = L"drawing file is damaged: the object table does not match its length";
    return false;
  }
  LinkOwners(impl);
  if (!ResolveHeaderId(db, tables[0], AcDbBlockTable::desc(), impl.blockTable, L"block table", error) ||
      !ResolveHeaderId(db, tables[1], AcDbLayerTable::desc(), impl.layerTable, L"layer table", error) ||
      !ResolveHeaderId(db, tables[2], AcDbBlockTableRecord::desc(), impl.modelSpace, L"model space", error) ||
      !ResolveHeaderId(db, tables[3], AcDbBlockTableRecord::desc(), impl.paperSpace, L"paper space", error) ||
      !ResolveHeaderId(db, clayer, AcDbLayerTableRecord::desc(), impl.clayer, L"current layer", error))
    return false;
  impl.nextHandle = std::max(impl.nextHandle, seed);
  return true;
}

}  // namespace

namespace pelvarhost {

bool ReadDrawingFile(AcDbDatabase& database, const std::wstring& path, std::wstring& error) {
  std::vector<std::uint8_t> file, payload;
  if (!ReadDrawingBytes(path, file, error) || !CheckFrame(file, payload, error)) return false;
  // Read into a fresh state; the database keeps its old contents unless everything was read.
  const UndoSuspension quiet;
  AcDbDatabaseImpl previous(&database);
  pelvarhost::DbAccess::Impl(database).swapContents(previous);
  if (!ReadPayload(database, payload, error)) {
    pelvarhost::DbAccess::Impl(database).swapContents(previous);  // `previous` now holds the partial read and frees it
    return false;
  }
  AcDbDatabaseImpl& impl = pelvarhost::DbAccess::Impl(database);
  impl.fileName = path;
  impl.modified = false;
  impl.graphicsGeneration = previous.graphicsGeneration + 1;
  ClearUndoHistory(database);  // a drawing read starts a history of its own
  return true;
}

bool SaveDrawingFile(AcDbDatabase& database, const std::wstring& path, std::wstring& error) {
  std::vector<std::uint8_t> bytes;
  if (!BuildFileBytes(database, bytes, error) || !WriteAtomically(path, bytes, error)) return false;
  pelvarhost::DbAccess::Impl(database).fileName = path;
  pelvarhost::DbAccess::Impl(database).modified = false;
  return true;
}

std::wstring LastDrawingFileError() { return lastError; }

}  // namespace pelvarhost

Acad::ErrorStatus AcDbDatabase::readDwgFile(const ACHAR* fileName) {
  lastError.clear();
  if (fileName == nullptr) return Acad::eInvalidInput;
  std::wstring error;
  if (pelvarhost::ReadDrawingFile(*this, fileName, error)) return Acad::eOk;
  lastError = error;
  if (error.rfind(L"cannot open", 0) == 0) return Acad::eFileNotFound;
  if (error == kChecksumMismatch) return Acad::eDwgCRCDoesNotMatch;
  if (error == kTruncated) return Acad::eEndOfFile;
  if (error == kNotADrawing || error.rfind(L"unsupported", 0) == 0) return Acad::eInvalidDwgVersion;
  return Acad::eDwgObjectImproperlyRead;
}

Acad::ErrorStatus AcDbDatabase::saveAs(const ACHAR* fileName) {
  lastError.clear();
  if (fileName == nullptr) return Acad::eInvalidInput;
  std::wstring error;
  if (pelvarhost::SaveDrawingFile(*this, fileName, error)) return Acad::eOk;
  lastError = error;
  return Acad::eFileAccessErr;
}
