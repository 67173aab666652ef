// Opening a drawing's model space the way the module's commands and reactor do: through
// the block table's "*Model_Space" record.
#pragma once
#include "dbsymtb.h"

inline constexpr const ACHAR* kModelSpaceName = L"*Model_Space";

// Opens the block table for read, looks up model space, opens it in the given mode and
// closes the block table again. Null when any step fails (nothing is left open).
AcDbBlockTableRecord* OpenModelSpace(AcDbDatabase* database, AcDb::OpenMode mode);
