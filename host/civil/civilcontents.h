// The civil objects of a drawing read into plain records, for listing and export.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "civilruntime.h"
#include "gepnt3d.h"
#include "tintriangulation.h"

class AcDbDatabase;

namespace pelvarhost::civil {

struct SurfaceRecord {
  std::wstring name;
  std::wstring description;
  std::vector<AcGePoint3d> vertices;
  std::vector<TinFace> faces;
};

struct CogoPointRecord {
  std::uint32_t number = 0;
  AcGePoint3d location;
  std::wstring rawDescription;
};

struct FeatureLineRecord {
  std::wstring name;
  std::wstring layer;
  std::vector<AcGePoint3d> points;
};

struct CivilContents {
  std::vector<SurfaceRecord> surfaces;
  std::vector<CogoPointRecord> points;
  std::vector<FeatureLineRecord> featureLines;
  System::String coordinateSystemCode;
};

// Reads every live civil object of the drawing (each opened for read and closed); an
// object that cannot be opened is left out.
CivilContents ReadCivilContents(AcDbDatabase* database);

// The shortest text that reads back as exactly the same double.
std::string FormatNumber(double value);

}  // namespace pelvarhost::civil
