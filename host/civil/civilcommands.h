// The host's civil commands (group "CIVIL"):
//   CIVILLIST   lists the drawing's surfaces, COGO points, feature lines and its
//               coordinate-system code
//   CIVILCS     sets the drawing's coordinate-system code
//   LANDXMLOUT  writes the civil objects to a LandXML 1.2 file
//   DXFOUT      writes model space to an ASCII DXF file (works without the civil model)
// Without the civil model the civil ones print "\nCivil 3D is not available."
#pragma once

namespace pelvarhost {

inline constexpr const wchar_t* kCivilCommandGroup = L"CIVIL";

void RegisterCivilCommands();
void RemoveCivilCommands();

}  // namespace pelvarhost
