// Object ids: the lasting name of an object within an open database.
#pragma once
#include <cstddef>
#include <functional>
#include "dbhandle.h"

class AcDbDatabase;
class AcDbStub;  // host-internal record of one object of a database

class AcDbObjectId {
 public:
  AcDbObjectId() = default;
  explicit AcDbObjectId(AcDbStub* stub) : m_stub(stub) {}

  static const AcDbObjectId kNull;

  bool isNull() const { return m_stub == nullptr; }
  void setNull() { m_stub = nullptr; }
  bool isValid() const { return m_stub != nullptr; }
  bool isErased() const;
  AcDbHandle handle() const;
  AcDbDatabase* database() const;
  Adesk::IntPtr asOldId() const { return reinterpret_cast<Adesk::IntPtr>(m_stub); }
  AcDbStub* stub() const { return m_stub; }

  bool operator==(const AcDbObjectId& other) const { return m_stub == other.m_stub; }
  bool operator!=(const AcDbObjectId& other) const { return m_stub != other.m_stub; }
  bool operator<(const AcDbObjectId& other) const;  // by handle, then by database
  explicit operator bool() const { return m_stub != nullptr; }

 private:
  AcDbStub* m_stub = nullptr;
};

// Reference kinds used by the filer; on this host they all file as the target's handle.
class AcDbHardOwnershipId : public AcDbObjectId {
 public:
  AcDbHardOwnershipId() = default;
  AcDbHardOwnershipId(const AcDbObjectId& id) : AcDbObjectId(id) {}  // NOLINT
};
class AcDbSoftOwnershipId : public AcDbObjectId {
 public:
  AcDbSoftOwnershipId() = default;
  AcDbSoftOwnershipId(const AcDbObjectId& id) : AcDbObjectId(id) {}  // NOLINT
};
class AcDbHardPointerId : public AcDbObjectId {
 public:
  AcDbHardPointerId() = default;
  AcDbHardPointerId(const AcDbObjectId& id) : AcDbObjectId(id) {}  // NOLINT
};
class AcDbSoftPointerId : public AcDbObjectId {
 public:
  AcDbSoftPointerId() = default;
  AcDbSoftPointerId(const AcDbObjectId& id) : AcDbObjectId(id) {}  // NOLINT
};

template <>
struct std::hash<AcDbObjectId> {
  size_t operator()(const AcDbObjectId& id) const noexcept {
    return std::hash<const void*>()(id.stub());
  }
};
