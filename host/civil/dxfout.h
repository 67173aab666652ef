// ASCII DXF (release 12) export of a drawing's model space for other CAD programs:
// layers, lines, points, polylines and 3D polylines, and the civil objects as such
// entities (COGO points as points, feature lines as 3D polylines, TIN faces as 3DFACEs).
#pragma once
#include <cstddef>
#include <string>

class AcDbDatabase;

namespace pelvarhost::civil {

struct DxfExportCounts {
  std::size_t layers = 0;
  std::size_t entities = 0;  // DXF entities written (one per TIN face)
  std::size_t skipped = 0;   // model-space entities of other kinds
};

// False with `error` set when the file cannot be written.
bool WriteDxf(AcDbDatabase* database, const std::wstring& path, DxfExportCounts& counts, std::wstring& error);

}  // namespace pelvarhost::civil
