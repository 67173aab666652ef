// The undo history of each drawing. Host-internal.
//
// Every command (and every write lock of a document outside a command) is one group. The
// first time an object of a drawing is opened for write in a group (assertWriteEnabled)
// its state is filed out through an undo filer; an appended object is recorded as absent
// and the drawing's header (handle seed, current layer and colour, view) as it was.
// Undoing a group files each recorded object back in (appended ones leave the database)
// and keeps the state it replaced, so that redoing it puts that state back the same way.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

class AcDbDatabase;
class AcDbObject;
class AcRxClass;
class AcDbStub;

namespace pelvarhost {

// Marks the span of one group; nested spans join the outermost one, whose name the group
// takes. Only drawings that existed when the outermost span began are recorded.
class UndoGroupSpan {
 public:
  explicit UndoGroupSpan(const std::wstring& name);
  ~UndoGroupSpan();
  UndoGroupSpan(const UndoGroupSpan&) = delete;
  UndoGroupSpan& operator=(const UndoGroupSpan&) = delete;
};

// Begins and ends a group span by hand (document locks, which are not scoped).
void BeginUndoSpan(const std::wstring& name);
void EndUndoSpan();

// Nothing is recorded while one lives (reading a drawing, classes coming and going).
class UndoSuspension {
 public:
  UndoSuspension();
  ~UndoSuspension();
  UndoSuspension(const UndoSuspension&) = delete;
  UndoSuspension& operator=(const UndoSuspension&) = delete;
};

// Hooks of the database: called before the change they announce.
void RecordObjectChange(AcDbObject& object);
// An object is about to be appended (before it takes a handle), and has been appended.
void RecordObjectAppend(AcDbDatabase& database);
void RecordAppendedStub(AcDbStub* stub);
void RecordHeaderChange(AcDbDatabase& database);

// Forgets a drawing's history (opening a drawing, classes coming and going); prints
// `reason` when there was something to forget.
void ClearUndoHistory(AcDbDatabase& database, const wchar_t* reason = nullptr);
// Clears the history of every drawing whose records hold objects of the class (or of any
// class derived from it); prints `reason` once for each drawing cleared.
void ClearUndoHistoriesHolding(AcRxClass* cls, const wchar_t* reason);

// What an undo or redo of up to `count` groups did: the names of the groups, in the order
// they were undone or redone, and whether the history ran out first.
struct UndoOutcome {
  std::vector<std::wstring> names;
  bool ranOut = false;
  bool blocked = false;  // an object of the group was open: nothing was done
};
UndoOutcome UndoGroups(AcDbDatabase& database, int count);
UndoOutcome RedoGroups(AcDbDatabase& database, int count);

// The name of the group the next undo or redo would apply ("" when there is none).
std::wstring NextUndoName(const AcDbDatabase& database);
std::wstring NextRedoName(const AcDbDatabase& database);
int UndoGroupCount(const AcDbDatabase& database);

// The most bytes of records a drawing's history keeps; beyond it the oldest groups go.
inline constexpr std::size_t kDefaultUndoLimitBytes = std::size_t{256} << 20;
void SetUndoLimitBytes(std::size_t bytes);

}  // namespace pelvarhost
