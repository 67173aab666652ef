// LandXML 1.2 export of a drawing's civil objects: TIN surfaces with their points and
// faces, COGO points as CgPoints and feature lines as PlanFeatures.
#pragma once
#include <string>

#include "civilcontents.h"

namespace pelvarhost::civil {

// Writes the contents to `path` (UTF-8 XML). False with `error` set when it cannot.
// Coordinates are written northing, easting, elevation, as LandXML orders them.
bool WriteLandXml(const CivilContents& contents, const std::wstring& path, std::wstring& error);

}  // namespace pelvarhost::civil
