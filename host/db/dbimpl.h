// Host-internal state of databases and their objects. Not for modules.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "dbmain.h"

namespace pelvarhost {
struct UndoHistory;
struct UndoHistoryDeleter {
  void operator()(UndoHistory* history) const;
};
}  // namespace pelvarhost

class AcDbStub {
 public:
  AcDbDatabase* database = nullptr;
  Adesk::UInt64 handle = 0;
  AcDbObject* object = nullptr;  // owned by the database
  bool erased = false;
};

struct AcDbDatabaseImpl {
  explicit AcDbDatabaseImpl(AcDbDatabase* owner) : self(owner) {}
  ~AcDbDatabaseImpl();

  static constexpr Adesk::UInt64 kLastHandle = ~Adesk::UInt64{0};
  // Gives the object the next handle and makes it resident (the database owns it); a null
  // id, the object left alone, when no handle is left.
  AcDbObjectId addObject(AcDbObject* object, AcDbObjectId owner);
  // The stub of a handle, made when missing and `create` is set.
  AcDbStub* stubFor(Adesk::UInt64 handle, bool create);
  // Exchanges everything but the owning database (used to commit a completely read file).
  void swapContents(AcDbDatabaseImpl& other);

  AcDbDatabase* self;
  std::map<Adesk::UInt64, std::unique_ptr<AcDbStub>> stubs;  // in handle order
  Adesk::UInt64 nextHandle = 1;
  AcDbObjectId blockTable;
  AcDbObjectId layerTable;
  AcDbObjectId modelSpace;
  AcDbObjectId paperSpace;
  AcDbObjectId clayer;
  Adesk::UInt16 cecolor = AcDb::kColorByLayer;
  pelvarhost::ViewRecord view;
  std::wstring fileName;
  Adesk::UInt64 graphicsGeneration = 0;
  bool modified = false;
  // The drawing's undo history (made on first use; it stays with the database when a
  // read replaces the contents).
  std::unique_ptr<pelvarhost::UndoHistory, pelvarhost::UndoHistoryDeleter> undo;
};

namespace pelvarhost {

// Every database alive in the process (for turning objects into proxies and back).
std::vector<AcDbDatabase*>& LiveDatabases();

// eOk when the object may be changed; otherwise reports the misuse and says why not.
Acad::ErrorStatus RequireWrite(AcDbObject* object);

// Files the object out even when it is closed (read access is taken for the call).
Acad::ErrorStatus FileOutObject(const AcDbObject* object, AcDbDwgFiler& filer);

// Records an open-state violation (printed to stderr, counted).
void ReportOpenStateError(const std::wstring& text);

// Standard names of the built-in layers and blocks.
constexpr const wchar_t* kModelSpaceName = L"*Model_Space";
constexpr const wchar_t* kPaperSpaceName = L"*Paper_Space";
constexpr const wchar_t* kLayerZeroName = L"0";

// Text for a handle in LIST output and messages (upper-case hexadecimal).
std::wstring HandleText(const AcDbObjectId& id);

}  // namespace pelvarhost

namespace pelvarhost {
// The host's way to the internals of databases and their objects; the public classes keep
// them private, so that only the host reaches them.
struct DbAccess {
  static AcDbDatabaseImpl& Impl(AcDbDatabase& database) { return *database.m_impl; }
  static const AcDbDatabaseImpl& Impl(const AcDbDatabase& database) { return *database.m_impl; }
  static AcDbStub* Stub(const AcDbObject& object) { return object.stub(); }
  static void AttachToStub(AcDbObject& object, AcDbStub* stub) { object.attachToStub(stub); }
  static Acad::ErrorStatus GrantOpen(AcDbObject& object, AcDb::OpenMode mode) { return object.grantOpen(mode); }
  static void ResetOpenState(AcDbObject& object) { object.resetOpenState(); }
};
}  // namespace pelvarhost
