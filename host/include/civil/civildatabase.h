// The managed drawing-database layer the civil object model is used through: object
// ids, the working database, transactions and the object wrappers they hand out.
#pragma once
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "civilruntime.h"
#include "dbid.h"

class AcDbDatabase;
class AcDbObject;
class AcDbEntity;
namespace pelvarhost::civil {
struct TransactionLog;
}  // namespace pelvarhost::civil

namespace Autodesk::AutoCAD::DatabaseServices {

enum class OpenMode { ForRead = 0, ForWrite = 1, ForNotify = 2 };

class ObjectId {
 public:
  ObjectId() = default;
  // Rebuilds an id from its old-style integer form (AcDbObjectId::asOldId).
  explicit ObjectId(std::intptr_t oldId);
  explicit ObjectId(const AcDbObjectId& id) : m_id(id) {}

  bool IsNull() const { return m_id.isNull(); }
  bool IsErased() const { return m_id.isErased(); }
  std::intptr_t OldIdPtr() const { return m_id.asOldId(); }
  const AcDbObjectId& Native() const { return m_id; }
  bool operator==(const ObjectId& other) const { return m_id == other.m_id; }

 private:
  AcDbObjectId m_id;
};

using ObjectIdCollection = std::vector<ObjectId>;

class Transaction;

class TransactionManager {
 public:
  explicit TransactionManager(AcDbDatabase* database) : m_database(database) {}
  // A new transaction on top of the running ones; disposing it (destroying the
  // pointer) without Commit abandons every change made through it.
  std::unique_ptr<Transaction> StartTransaction();
  Transaction* TopTransaction() const;
  int NumberOfActiveTransactions() const;

 private:
  AcDbDatabase* m_database;
};

class Database {
 public:
  explicit Database(AcDbDatabase* native) : m_native(native) {}
  DatabaseServices::TransactionManager TransactionManager() const;
  AcDbDatabase* UnmanagedObject() const { return m_native; }

 private:
  AcDbDatabase* m_native;
};

class HostApplicationServices {
 public:
  // The working database (its UnmanagedObject is null when no drawing is open).
  static Database WorkingDatabase();
};

// An open database object as the managed API hands it out: valid until the transaction
// that opened it ends.
class DBObject {
 public:
  explicit DBObject(AcDbObject* native) : m_native(native) {}
  virtual ~DBObject() = default;
  DBObject(const DBObject&) = delete;
  DBObject& operator=(const DBObject&) = delete;

  DatabaseServices::ObjectId Id() const;
  bool IsErased() const;
  bool IsWriteEnabled() const;
  // Erases the object; it must be open for write.
  void Erase();
  AcDbObject* UnmanagedObject() const { return m_native; }

 protected:
  // The native object, or eNotOpenForWrite raised when it is only open for read.
  AcDbObject& WritableNative() const;

 private:
  AcDbObject* m_native;
};

class Entity : public DBObject {
 public:
  explicit Entity(AcDbEntity* native);
  std::wstring Layer() const;
  AcDbEntity& NativeEntity() const;
};

class Transaction {
 public:
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;

  // Opens the object for this transaction (it stays open until the transaction ends);
  // raises the database status (eWasErased, eWasOpenForWrite, ...) when it cannot.
  DBObject* GetObject(const ObjectId& id, OpenMode mode, bool openErased = false);
  // Keeps every change and closes every object this transaction opened.
  void Commit();
  // Undoes every change made through this transaction and closes its objects.
  void Abort();

  // The transaction's open objects and log; defined by the host.
  struct Impl;

 private:
  friend class TransactionManager;
  friend struct pelvarhost::civil::TransactionLog;
  Impl& impl() { return *m_impl; }
  explicit Transaction(AcDbDatabase* database);
  std::unique_ptr<Impl> m_impl;
};

}  // namespace Autodesk::AutoCAD::DatabaseServices
