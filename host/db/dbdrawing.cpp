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

#include <fcntl.h>
#include <unistd.h>
#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "dbimpl.h"
#include "dbmemfiler.h"
#include "dbproxy.h"
#include "dbsymtb.h"
#include "dbundo.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace {

constexpr char kMagic[4] = {'P', 'V', 'D', '1'};
constexpr Adesk::UInt32 kFormatVersion = 1;
constexpr size_t kHeaderSize = 16;  // magic, version, payload length
constexpr size_t kChecksumSize = 4;
constexpr Adesk::UInt32 kMaxClasses = 1u << 16;

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

std::wstring ErrnoText() { return pelvarhost::Utf8ToWide(std::strerror(errno)); }
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

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

void SyncFolderOf(const std::string& path) {
  size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    ::fsync(fd);
    ::close(fd);
  }
}

// Writes the bytes beside the target, flushes them to disk and renames over the target,
// so that the target is always either the old drawing or the complete new one.
bool WriteAtomically(const std::wstring& path, const std::vector<std::uint8_t>& bytes, std::wstring& error) {
  const std::string target = pelvarhost::WideToUtf8(path);
  const std::string temporary = target + ".tmp" + std::to_string(::getpid());
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) {
    error = L"cannot create " + Quoted(pelvarhost::Utf8ToWide(temporary)) + L": " + ErrnoText();
    return false;
  }
  bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
  std::wstring reason = ok ? L"" : ErrnoText();
  if (::close(fd) != 0 && ok) {
    ok = false;
    reason = ErrnoText();
  }
  if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
    error = L"cannot replace " + Quoted(path) + L": " + ErrnoText();
    ::unlink(temporary.c_str());
    return false;
  }
  if (!ok) {
    error = L"cannot write " + Quoted(path) + L": " + reason;
    ::unlink(temporary.c_str());
    return false;
  }
  SyncFolderOf(target);
  return true;
}

// --- Reading.

bool ReadWholeFile(const std::wstring& path, std::vector<std::uint8_t>& bytes, std::wstring& error, int& errorNumber) {
  FILE* file = nullptr;
  errorNumber = _wfopen_s(&file, path.c_str(), L"rb");
  if (file == nullptr) {
    errno = errorNumber;
    error = L"cannot open " + Quoted(path) + L": " + ErrnoText();
    return false;
  }
  std::uint8_t buffer[1 << 16];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof(buffer), file)) > 0) bytes.insert(bytes.end(), buffer, buffer + n);
  bool failed = std::ferror(file) != 0;
  std::fclose(file);
  if (failed) {
    error = L"cannot read " + Quoted(path);
    errorNumber = EIO;
    return false;
  }
  return true;
}

// Checks the frame (magic, version, length, checksum); on success `payload` is the body.
bool CheckFrame(const std::vector<std::uint8_t>& file, std::vector<std::uint8_t>& payload, std::wstring& error) {
  if (file.empty()) {
    error = kTruncated;
    return false;
  }
  const size_t prefix = std::min(file.size(), sizeof(kMagic));
  if (std::memcmp(file.data(), kMagic, prefix) != 0) {
    error = kNotADrawing;
    return false;
  }
  if (file.size() < kHeaderSize) {
    error = kTruncated;
    return false;
  }
  const Adesk::UInt32 version = LoadLE<Adesk::UInt32>(file.data() + 4);
  if (version != kFormatVersion) {
    error = L"unsupported drawing format version " + std::to_wstring(version);
    return false;
  }
  const Adesk::UInt64 length = LoadLE<Adesk::UInt64>(file.data() + 8);
  const size_t available = file.size() - kHeaderSize;
  if (available < kChecksumSize || length > available - kChecksumSize) {
    error = kTruncated;
    return false;
  }
  if (length != available - kChecksumSize) {
    error = L"drawing file is damaged: unexpected data after the drawing";
    return false;
  }
  const size_t checked = kHeaderSize + length;
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
  int errorNumber = 0;
  if (!ReadWholeFile(path, file, error, errorNumber) || !CheckFrame(file, payload, error)) return false;
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
