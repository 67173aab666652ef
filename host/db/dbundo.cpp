// The undo history of each drawing: groups of object states filed through the objects' own
// filing, swapped with the live state on undo and redo.
#include "dbundo.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <optional>
#include <unordered_map>
#include <unordered_set>

#include "aced.h"
#include "dbimpl.h"
#include "dbmemfiler.h"
#include "dbsymtb.h"

namespace pelvarhost {

namespace {

// What the drawing's header holds besides its objects.
struct HeaderState {
  Adesk::UInt64 nextHandle = 1;
  AcDbObjectId clayer;
  Adesk::UInt16 cecolor = 0;
  ViewRecord view;
};

// One object's state: absent (not in the database), or present with its filed fields.
struct ObjectState {
  bool present = false;
  bool erased = false;
  AcRxClass* cls = nullptr;
  AcDbObjectId owner;
  std::vector<std::uint8_t> bytes;
};

// The object and the state that is not live now: before the group while the group is done,
// after it while the group is undone.
struct UndoRecord {
  AcDbStub* stub = nullptr;
  ObjectState kept;
};

// Bookkeeping cost of one record besides its bytes, so that many tiny records count too.
constexpr std::size_t kRecordOverhead = sizeof(UndoRecord) + 32;

struct UndoGroup {
  std::wstring name;
  std::vector<UndoRecord> records;
  std::unordered_set<AcDbStub*> recorded;  // while the group is open
  HeaderState before;
  HeaderState after;
  std::size_t bytes = 0;
};

}  // namespace

struct UndoHistory {
  std::deque<UndoGroup> done;      // oldest first
  std::deque<UndoGroup> undone;    // the next to redo last
  std::optional<UndoGroup> open;   // the group of the running command
  std::size_t bytes = 0;
  std::uint64_t armedSpan = 0;     // the span during which this drawing is recorded
  bool toldOfLimit = false;
  // Stubs of objects that undo took out of the database; ids may still name them, so they
  // live as long as the drawing.
  std::unordered_map<AcDbStub*, std::unique_ptr<AcDbStub>> detached;
};

void UndoHistoryDeleter::operator()(UndoHistory* history) const { delete history; }

namespace {

struct SpanState {
  int depth = 0;
  std::wstring name;
  std::uint64_t serial = 0;
  int suspended = 0;
  std::size_t limitBytes = kDefaultUndoLimitBytes;
};

SpanState& Span() {
  static SpanState state;
  return state;
}

UndoHistory& HistoryOf(AcDbDatabase& database) {
  auto& slot = DbAccess::Impl(database).undo;
  if (slot == nullptr) slot.reset(new UndoHistory());
  return *slot;
}

const UndoHistory* PeekHistory(const AcDbDatabase& database) { return DbAccess::Impl(database).undo.get(); }

HeaderState HeaderOf(const AcDbDatabaseImpl& impl) {
  return HeaderState{impl.nextHandle, impl.clayer, impl.cecolor, impl.view};
}

bool SameView(const ViewRecord& a, const ViewRecord& b) {
  return a.centerX == b.centerX && a.centerY == b.centerY && a.height == b.height;
}

bool SameHeader(const HeaderState& a, const HeaderState& b) {
  return a.nextHandle == b.nextHandle && a.clayer == b.clayer && a.cecolor == b.cecolor && SameView(a.view, b.view);
}

// Puts back the header fields the group changed, as they were on the `to` side.
void SetChangedHeaderFields(AcDbDatabaseImpl& impl, const HeaderState& from, const HeaderState& to) {
  if (from.nextHandle != to.nextHandle) impl.nextHandle = to.nextHandle;
  if (!(from.clayer == to.clayer)) impl.clayer = to.clayer;
  if (from.cecolor != to.cecolor) impl.cecolor = to.cecolor;
  if (!SameView(from.view, to.view)) impl.view = to.view;
}

std::size_t RecordBytes(const UndoRecord& record) { return kRecordOverhead + record.kept.bytes.size(); }

std::size_t GroupBytes(const UndoGroup& group) {
  std::size_t bytes = 0;
  for (const UndoRecord& record : group.records) bytes += RecordBytes(record);
  return bytes;
}

bool IsOpen(const AcDbObject* object) { return object != nullptr && object->isReadEnabled(); }

ObjectState Capture(AcDbStub* stub) {
  ObjectState state;
  AcDbObject* object = stub->object;
  if (object == nullptr) return state;
  state.present = true;
  state.erased = stub->erased;
  state.cls = object->isA();
  state.owner = object->ownerId();
  MemoryFiler filer(stub->database, AcDb::kUndoFiler);
  FileOutObject(object, filer);
  state.bytes = filer.takeBytes();
  return state;
}

// --- Taking objects out of the database and putting them back.

void LinkToOwner(AcDbObjectId id, AcDbObjectId owner, bool link) {
  if (owner.isNull() || owner.stub()->object == nullptr) return;
  AcDbObject* ownerObject = owner.stub()->object;
  if (auto* table = AcDbSymbolTable::cast(ownerObject)) {
    link ? table->linkRecord(id) : table->unlinkRecord(id);
  } else if (auto* block = AcDbBlockTableRecord::cast(ownerObject)) {
    link ? block->linkEntity(id) : block->unlinkEntity(id);
  }
}

void TakeOut(AcDbDatabaseImpl& impl, UndoHistory& history, AcDbStub* stub) {
  AcDbObject* object = stub->object;
  if (object == nullptr) return;
  LinkToOwner(AcDbObjectId(stub), object->ownerId(), false);
  stub->object = nullptr;
  stub->erased = true;
  delete object;
  auto it = impl.stubs.find(stub->handle);
  if (it != impl.stubs.end() && it->second.get() == stub) {
    history.detached.emplace(stub, std::move(it->second));
    impl.stubs.erase(it);
  }
}

// Makes an object of the recorded class for a stub that undo took out; false when the
// class cannot make one.
bool PutBack(AcDbDatabaseImpl& impl, UndoHistory& history, AcDbStub* stub, const ObjectState& state) {
  AcRxObject* created = state.cls != nullptr ? state.cls->create() : nullptr;
  AcDbObject* object = AcDbObject::cast(created);
  if (object == nullptr) {
    delete created;
    return false;
  }
  auto it = history.detached.find(stub);
  if (it != history.detached.end() && impl.stubs.try_emplace(stub->handle, std::move(it->second)).second)
    history.detached.erase(it);
  DbAccess::AttachToStub(*object, stub);
  object->setOwnerId(state.owner);
  DbAccess::ResetOpenState(*object);
  stub->object = object;
  LinkToOwner(AcDbObjectId(stub), state.owner, true);
  return true;
}

void FileIn(AcDbStub* stub, const ObjectState& state) {
  AcDbObject* object = stub->object;
  DbAccess::GrantOpen(*object, AcDb::kForWrite);
  MemoryFiler filer(state.bytes, stub->database, AcDb::kUndoFiler);
  object->dwgInFields(&filer);
  DbAccess::ResetOpenState(*object);
  stub->erased = state.erased;
}

void Restore(AcDbDatabaseImpl& impl, UndoHistory& history, AcDbStub* stub, const ObjectState& state) {
  if (!state.present) {
    TakeOut(impl, history, stub);
    return;
  }
  if (stub->object == nullptr && !PutBack(impl, history, stub, state)) return;
  FileIn(stub, state);
}

// Exchanges the live state of every object of the group with the kept one, newest change
// first when undoing, and sets the header as it was on the other side.
void ApplyGroup(AcDbDatabase& database, UndoHistory& history, UndoGroup& group, bool undoing) {
  AcDbDatabaseImpl& impl = DbAccess::Impl(database);
  const UndoSuspension quiet;
  auto swap = [&](UndoRecord& record) {
    ObjectState live = Capture(record.stub);
    Restore(impl, history, record.stub, record.kept);
    record.kept = std::move(live);
  };
  if (undoing) {
    std::for_each(group.records.rbegin(), group.records.rend(), swap);
    SetChangedHeaderFields(impl, group.after, group.before);
  } else {
    std::for_each(group.records.begin(), group.records.end(), swap);
    SetChangedHeaderFields(impl, group.before, group.after);
  }
  history.bytes -= group.bytes;
  group.bytes = GroupBytes(group);
  history.bytes += group.bytes;
  impl.modified = true;
  impl.graphicsGeneration++;
}

bool AnyObjectOpen(const UndoGroup& group) {
  return std::any_of(group.records.begin(), group.records.end(),
                     [](const UndoRecord& record) { return IsOpen(record.stub->object); });
}

void DropRedo(UndoHistory& history) {
  for (const UndoGroup& group : history.undone) history.bytes -= group.bytes;
  history.undone.clear();
}

void DropAll(UndoHistory& history) {
  DropRedo(history);
  history.done.clear();
  history.open.reset();
  history.bytes = 0;
}

// Drops the oldest groups while the history holds more than its limit (the newest stays).
void KeepWithinLimit(UndoHistory& history) {
  bool dropped = false;
  while (history.bytes > Span().limitBytes && history.done.size() > 1) {
    history.bytes -= history.done.front().bytes;
    history.done.pop_front();
    dropped = true;
  }
  if (dropped && !history.toldOfLimit) {
    history.toldOfLimit = true;
    acutPrintf(L"\nThe undo history is full (%zu MB): its oldest steps are dropped.", Span().limitBytes >> 20);
  }
}

void CloseGroup(AcDbDatabase& database, UndoHistory& history) {
  UndoGroup group = std::move(*history.open);
  history.open.reset();
  group.after = HeaderOf(DbAccess::Impl(database));
  group.recorded.clear();
  if (group.records.empty() && SameHeader(group.before, group.after)) return;
  group.bytes = GroupBytes(group);
  history.bytes += group.bytes;
  history.done.push_back(std::move(group));
  KeepWithinLimit(history);
}

// The history to record into for this drawing now, with its open group; null when
// nothing is recorded (no span, a drawing made during the span, undo itself running).
UndoHistory* RecordingHistory(AcDbDatabase& database) {
  SpanState& span = Span();
  if (span.depth == 0 || span.suspended > 0) return nullptr;
  UndoHistory& history = HistoryOf(database);
  if (history.armedSpan != span.serial) return nullptr;
  if (!history.open) {
    DropRedo(history);
    history.open.emplace();
    history.open->name = span.name;
    history.open->before = HeaderOf(DbAccess::Impl(database));
  }
  return &history;
}

void AddRecord(UndoHistory& history, AcDbStub* stub, ObjectState kept) {
  if (!history.open->recorded.insert(stub).second) return;
  history.open->records.push_back(UndoRecord{stub, std::move(kept)});
}

bool HoldsClass(const UndoHistory& history, AcRxClass* cls) {
  auto holds = [cls](const UndoRecord& record) {
    const AcDbObject* live = record.stub->object;
    return (live != nullptr && live->isA()->isDerivedFrom(cls)) ||
           (record.kept.cls != nullptr && record.kept.cls->isDerivedFrom(cls));
  };
  auto groupHolds = [&holds](const UndoGroup& group) {
    return std::any_of(group.records.begin(), group.records.end(), holds);
  };
  return std::any_of(history.done.begin(), history.done.end(), groupHolds) ||
         std::any_of(history.undone.begin(), history.undone.end(), groupHolds) ||
         (history.open && groupHolds(*history.open));
}

}  // namespace

// --- Spans.

void BeginUndoSpan(const std::wstring& name) {
  SpanState& span = Span();
  if (span.depth++ > 0) return;
  span.name = name;
  span.serial++;
  for (AcDbDatabase* database : LiveDatabases()) HistoryOf(*database).armedSpan = span.serial;
}

void EndUndoSpan() {
  SpanState& span = Span();
  if (span.depth == 0 || --span.depth > 0) return;
  for (AcDbDatabase* database : LiveDatabases()) {
    UndoHistory* history = DbAccess::Impl(*database).undo.get();
    if (history != nullptr && history->open) CloseGroup(*database, *history);
  }
}

UndoGroupSpan::UndoGroupSpan(const std::wstring& name) { BeginUndoSpan(name); }
UndoGroupSpan::~UndoGroupSpan() { EndUndoSpan(); }

UndoSuspension::UndoSuspension() { Span().suspended++; }
UndoSuspension::~UndoSuspension() { Span().suspended--; }

// --- Hooks.

void RecordObjectChange(AcDbObject& object) {
  AcDbStub* stub = DbAccess::Stub(object);
  if (stub == nullptr || stub->database == nullptr) return;
  UndoHistory* history = RecordingHistory(*stub->database);
  if (history == nullptr || history->open->recorded.count(stub) > 0) return;
  const UndoSuspension quiet;  // filing out must not record again
  AddRecord(*history, stub, Capture(stub));
}

void RecordObjectAppend(AcDbDatabase& database) { RecordingHistory(database); }

void RecordAppendedStub(AcDbStub* stub) {
  if (UndoHistory* history = RecordingHistory(*stub->database)) AddRecord(*history, stub, ObjectState{});
}

void RecordHeaderChange(AcDbDatabase& database) { RecordingHistory(database); }

// --- Clearing.

void ClearUndoHistory(AcDbDatabase& database, const wchar_t* reason) {
  UndoHistory* history = DbAccess::Impl(database).undo.get();
  if (history == nullptr) return;
  const bool hadSteps = !history->done.empty() || !history->undone.empty();
  DropAll(*history);
  if (hadSteps && reason != nullptr) acutPrintf(L"\n%ls", reason);
}

// Silent outside commands: classes go at the program's end too, when nobody reads it.
void ClearUndoHistoriesHolding(AcRxClass* cls, const wchar_t* reason) {
  const wchar_t* told = Span().depth > 0 ? reason : nullptr;
  for (AcDbDatabase* database : LiveDatabases()) {
    UndoHistory* history = DbAccess::Impl(*database).undo.get();
    if (history != nullptr && HoldsClass(*history, cls)) ClearUndoHistory(*database, told);
  }
}

// --- Undo and redo.

namespace {

// Moves up to `count` groups from one list to the other, applying each.
UndoOutcome StepGroups(AcDbDatabase& database, int count, bool undoing) {
  UndoOutcome outcome;
  UndoHistory& history = HistoryOf(database);
  std::deque<UndoGroup>& from = undoing ? history.done : history.undone;
  std::deque<UndoGroup>& to = undoing ? history.undone : history.done;
  for (int i = 0; i < count; ++i) {
    if (from.empty()) {
      outcome.ranOut = true;
      break;
    }
    if (AnyObjectOpen(from.back())) {
      outcome.blocked = true;
      break;
    }
    ApplyGroup(database, history, from.back(), undoing);
    outcome.names.push_back(from.back().name);
    to.push_back(std::move(from.back()));
    from.pop_back();
  }
  return outcome;
}

}  // namespace

UndoOutcome UndoGroups(AcDbDatabase& database, int count) { return StepGroups(database, count, true); }
UndoOutcome RedoGroups(AcDbDatabase& database, int count) { return StepGroups(database, count, false); }

std::wstring NextUndoName(const AcDbDatabase& database) {
  const UndoHistory* history = PeekHistory(database);
  return history != nullptr && !history->done.empty() ? history->done.back().name : std::wstring();
}

std::wstring NextRedoName(const AcDbDatabase& database) {
  const UndoHistory* history = PeekHistory(database);
  return history != nullptr && !history->undone.empty() ? history->undone.back().name : std::wstring();
}

int UndoGroupCount(const AcDbDatabase& database) {
  const UndoHistory* history = PeekHistory(database);
  return history != nullptr ? static_cast<int>(history->done.size()) : 0;
}

void SetUndoLimitBytes(std::size_t bytes) { Span().limitBytes = bytes; }

}  // namespace pelvarhost
