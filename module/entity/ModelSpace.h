// Opening a drawing's model space the way the module's commands and reactor do: through
// the block table's "*Model_Space" record.
#pragma once
#include <functional>

#include "dbsymtb.h"

inline constexpr const ACHAR* kModelSpaceName = L"*Model_Space";

// Opens the block table for read, looks up model space, opens it in the given mode and
// closes the block table again. Null when any step fails (nothing is left open).
AcDbBlockTableRecord* OpenModelSpace(AcDbDatabase* database, AcDb::OpenMode mode);

// Opens the live entities of the database's model space for read one after another, in
// drawing order, hands each to `visit` and closes it again; stops at the first `visit` that
// returns false. Nothing happens when model space cannot be opened.
void VisitModelSpaceEntities(AcDbDatabase* database, const std::function<bool(const AcDbEntity&)>& visit);

// The same walk with each entity opened for write, for commands that change them; every
// entity is visited.
void ModifyModelSpaceEntities(AcDbDatabase* database, const std::function<void(AcDbEntity&)>& visit);
// The same walk with each entity opened in the given mode; an entity that cannot be opened
// so is skipped.
void VisitModelSpaceEntities(AcDbDatabase* database, AcDb::OpenMode mode,
                             const std::function<bool(AcDbEntity&)>& visit);
