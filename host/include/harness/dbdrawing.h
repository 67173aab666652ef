// The drawing file of this host (.pvd): reading and atomic saving with error texts.
#pragma once
#include <string>
#include "acadstrc.h"

class AcDbDatabase;

namespace pelvarhost {

// Reads `path` into `database` (its contents are replaced only when the whole file was
// read and checked). On failure returns false and sets `error`, e.g.
// "drawing file is truncated", "not a pelvar drawing", "drawing checksum mismatch".
bool ReadDrawingFile(AcDbDatabase& database, const std::wstring& path, std::wstring& error);
// Saves `database` to `path` through a temporary file in the same folder (written,
// flushed to disk, then renamed over the target). On failure returns false and sets `error`.
bool SaveDrawingFile(AcDbDatabase& database, const std::wstring& path, std::wstring& error);
// The error text of the last failed readDwgFile/saveAs on this thread ("" after success).
std::wstring LastDrawingFileError();

}  // namespace pelvarhost
