// Transactions over the host database: objects opened through a transaction stay open
// until it ends; an abandoned transaction replays its log backwards (created objects are
// erased, changed objects get their filed state back).
#include <algorithm>
#include <map>

#include "civilmodel.h"
#include "dbapserv.h"
#include "dbimpl.h"
#include "dbmemfiler.h"

namespace Autodesk::AutoCAD::DatabaseServices {

namespace {

struct HeldObject {
  AcDbObject* native = nullptr;
  OpenMode mode = OpenMode::ForRead;
  std::unique_ptr<DBObject> wrapper;
};

struct LogRecord {
  AcDbObjectId id;
  bool created = false;
  bool wasErased = false;
  std::vector<std::uint8_t> fields;
};

}  // namespace

struct Transaction::Impl {
  AcDbDatabase* database = nullptr;
  std::map<AcDbStub*, HeldObject> held;
  std::vector<LogRecord> log;
  bool ended = false;

  bool Logged(const AcDbObjectId& id) const {
    return std::any_of(log.begin(), log.end(), [&](const LogRecord& r) { return r.id == id; });
  }
};

namespace {

// The running transactions of each database, innermost last. A database appears only
// while it has a running transaction.
std::map<AcDbDatabase*, std::vector<Transaction*>>& RunningTransactions() {
  static std::map<AcDbDatabase*, std::vector<Transaction*>> running;
  return running;
}

Transaction* Top(AcDbDatabase* database) {
  auto& running = RunningTransactions();
  auto it = running.find(database);
  return it == running.end() || it->second.empty() ? nullptr : it->second.back();
}

// The transaction that encloses `inner`, or null.
Transaction* Enclosing(AcDbDatabase* database, Transaction* inner) {
  auto& stack = RunningTransactions()[database];
  auto it = std::find(stack.begin(), stack.end(), inner);
  return it == stack.begin() || it == stack.end() ? nullptr : *(it - 1);
}

void Unregister(AcDbDatabase* database, Transaction* transaction) {
  auto& running = RunningTransactions();
  auto it = running.find(database);
  if (it == running.end()) return;
  std::erase(it->second, transaction);
  if (it->second.empty()) running.erase(it);
}

void CloseHeld(Transaction::Impl& impl) {
  for (auto& [stub, held] : impl.held) {
    held.wrapper.reset();
    held.native->close();
  }
  impl.held.clear();
}

void Replay(const LogRecord& record) {
  AcDbObject* object = nullptr;
  if (acdbOpenAcDbObject(object, record.id, AcDb::kForWrite, true) != Acad::eOk) return;
  if (record.created) {
    if (!object->isErased()) object->erase();
  } else {
    pelvarhost::MemoryFiler filer(record.fields, record.id.database());
    object->dwgInFields(&filer);
    if (object->isErased() != record.wasErased) object->erase(record.wasErased);
  }
  object->close();
}

LogRecord Snapshot(const AcDbObject& object) {
  LogRecord record;
  record.id = object.objectId();
  record.wasErased = object.isErased();
  pelvarhost::MemoryFiler filer(object.database());
  object.dwgOutFields(&filer);
  record.fields = filer.takeBytes();
  return record;
}

}  // namespace

Transaction::Transaction(AcDbDatabase* database) : m_impl(std::make_unique<Impl>()) {
  m_impl->database = database;
  RunningTransactions()[database].push_back(this);
}

Transaction::~Transaction() {
  if (!m_impl->ended) Abort();
}

DBObject* Transaction::GetObject(const ObjectId& id, OpenMode mode, bool openErased) {
  if (m_impl->ended) throw System::InvalidOperationException(L"The transaction has already ended.");
  if (id.IsNull()) throw Runtime::Exception(Acad::eNullObjectId);
  if (!pelvarhost::civil::IsLiveId(id.Native())) throw Runtime::Exception(Acad::eUnknownHandle);
  AcDbStub* stub = id.Native().stub();
  if (auto it = m_impl->held.find(stub); it != m_impl->held.end()) {
    HeldObject& held = it->second;
    if (mode == OpenMode::ForWrite && held.mode != OpenMode::ForWrite) {
      Runtime::ThrowIfFailed(held.native->upgradeOpen());
      held.mode = OpenMode::ForWrite;
      pelvarhost::civil::RecordBeforeChange(*held.native);
    }
    return held.wrapper.get();
  }
  AcDbObject* native = nullptr;
  AcDb::OpenMode nativeMode = mode == OpenMode::ForWrite ? AcDb::kForWrite : AcDb::kForRead;
  Runtime::ThrowIfFailed(acdbOpenAcDbObject(native, id.Native(), nativeMode, openErased));
  HeldObject& held = m_impl->held[stub];
  held.native = native;
  held.mode = mode;
  held.wrapper = pelvarhost::civil::WrapObject(native);
  if (mode == OpenMode::ForWrite) pelvarhost::civil::RecordBeforeChange(*native);
  return held.wrapper.get();
}

void Transaction::Commit() {
  if (m_impl->ended) throw System::InvalidOperationException(L"The transaction has already ended.");
  CloseHeld(*m_impl);
  // An inner transaction's changes become part of the enclosing one, which may still
  // abandon them.
  if (Transaction* outer = Enclosing(m_impl->database, this)) {
    for (LogRecord& record : m_impl->log)
      if (!outer->m_impl->Logged(record.id)) outer->m_impl->log.push_back(std::move(record));
  }
  m_impl->log.clear();
  m_impl->ended = true;
  Unregister(m_impl->database, this);
}

void Transaction::Abort() {
  if (m_impl->ended) return;
  CloseHeld(*m_impl);
  for (auto it = m_impl->log.rbegin(); it != m_impl->log.rend(); ++it) Replay(*it);
  m_impl->log.clear();
  m_impl->ended = true;
  Unregister(m_impl->database, this);
}

std::unique_ptr<Transaction> TransactionManager::StartTransaction() {
  if (m_database == nullptr) throw Runtime::Exception(Acad::eNoDatabase);
  return std::unique_ptr<Transaction>(new Transaction(m_database));
}

Transaction* TransactionManager::TopTransaction() const { return Top(m_database); }

int TransactionManager::NumberOfActiveTransactions() const {
  auto& running = RunningTransactions();
  auto it = running.find(m_database);
  return it == running.end() ? 0 : static_cast<int>(it->second.size());
}

DatabaseServices::TransactionManager Database::TransactionManager() const {
  return DatabaseServices::TransactionManager(m_native);
}

Database HostApplicationServices::WorkingDatabase() {
  return Database(acdbHostApplicationServices()->workingDatabase());
}

}  // namespace Autodesk::AutoCAD::DatabaseServices

namespace pelvarhost::civil {

namespace dbs = Autodesk::AutoCAD::DatabaseServices;

// The host's way to a transaction's log, which the public class keeps private.
struct TransactionLog {
  static dbs::Transaction::Impl& Of(dbs::Transaction& transaction) { return transaction.impl(); }
};

void RecordCreated(AcDbDatabase* database, const AcDbObjectId& id) {
  dbs::Transaction* top = dbs::TransactionManager(database).TopTransaction();
  if (top == nullptr) return;
  dbs::LogRecord record;
  record.id = id;
  record.created = true;
  TransactionLog::Of(*top).log.push_back(std::move(record));
}

void RecordBeforeChange(const AcDbObject& object) {
  dbs::Transaction* top = dbs::TransactionManager(object.database()).TopTransaction();
  if (top == nullptr || TransactionLog::Of(*top).Logged(object.objectId())) return;
  TransactionLog::Of(*top).log.push_back(dbs::Snapshot(object));
}

}  // namespace pelvarhost::civil
