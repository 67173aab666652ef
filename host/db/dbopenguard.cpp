#include "dbopenguard.h"

#include <functional>

#include "dbdatabase.h"
#include "dbimpl.h"

namespace pelvarhost {
namespace {

// One object may hold at most this many opens (readers, a writer, notifiers).
constexpr int kMostOpensOfOneObject = 1024;

void ForEachOpenObject(const std::function<void(AcDbObject*)>& visit) {
  for (AcDbDatabase* db : LiveDatabases()) {
    for (auto& [handle, stub] : DbAccess::Impl(*db).stubs) {
      AcDbObject* object = stub->object;
      if (object != nullptr && object->isReadEnabled()) visit(object);
    }
  }
}

}  // namespace

OpenObjectsGuard::OpenObjectsGuard() {
  ForEachOpenObject([this](AcDbObject* object) { openBefore_.insert(object); });
}

void OpenObjectsGuard::CloseOpenedSince() const {
  ForEachOpenObject([this](AcDbObject* object) {
    if (openBefore_.count(object) != 0) return;
    for (int i = 0; i < kMostOpensOfOneObject && object->isReadEnabled(); ++i) object->close();
  });
}

}  // namespace pelvarhost
