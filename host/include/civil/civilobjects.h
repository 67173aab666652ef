// The civil object model's objects as the managed API hands them out (wrappers over the
// database-resident AeccDb* objects), and their static creators.
#pragma once
#include <cstdint>
#include <string>

#include "civildatabase.h"

class AeccDbSurface;
class AeccDbSurfaceTin;
class AeccDbCogoPoint;
class AeccDbFeatureLine;

namespace Autodesk::Civil::DatabaseServices {

using Autodesk::AutoCAD::DatabaseServices::Database;
using Autodesk::AutoCAD::DatabaseServices::Entity;
using Autodesk::AutoCAD::DatabaseServices::ObjectId;
using Autodesk::AutoCAD::DatabaseServices::ObjectIdCollection;
using Autodesk::AutoCAD::Geometry::Point3d;
using Autodesk::AutoCAD::Geometry::Point3dCollection;

struct GeneralSurfaceProperties {
  int NumberOfPoints = 0;
  double MinimumElevation = 0.0;
  double MaximumElevation = 0.0;
};

struct TinSurfaceProperties {
  int NumberOfTriangles = 0;
};

// What AddVertices did (how many vertices it was given).
struct SurfaceOperationAddTinMultipleVertices {
  int Count = 0;
};

class Surface : public Entity {
 public:
  explicit Surface(AeccDbSurface* native);
  System::String Name() const;
  // Raises ArgumentException when another surface has that name (ignoring case).
  void Name(const std::wstring& name);
  System::String Description() const;
  void Description(const std::wstring& description);
  GeneralSurfaceProperties GetGeneralProperties() const;

 protected:
  AeccDbSurface& NativeSurface() const;
};

class TinSurface : public Surface {
 public:
  explicit TinSurface(AeccDbSurfaceTin* native);
  // A new empty TIN surface in model space; raises ArgumentException when the name is
  // empty or taken by another surface (ignoring case).
  static ObjectId Create(const Database& database, const std::wstring& surfaceName);
  // Adds the vertices and triangulates; raises ArgumentException for a non-finite
  // coordinate (nothing is added then).
  SurfaceOperationAddTinMultipleVertices AddVertices(const Point3dCollection& vertices);
  TinSurfaceProperties GetTinProperties() const;

 private:
  AeccDbSurfaceTin& NativeTin() const;
};

class CogoPoint : public Entity {
 public:
  explicit CogoPoint(AeccDbCogoPoint* native);
  std::uint32_t PointNumber() const;
  Point3d Location() const;
  System::String RawDescription() const;
  void RawDescription(const std::wstring& description);
};

class CogoPointCollection {
 public:
  explicit CogoPointCollection(AcDbDatabase* database) : m_database(database) {}
  // A new point. With useNextPointNumSetting the number is the drawing's next point
  // number (moved past numbers in use) and the setting advances past it; otherwise the
  // lowest free number.
  ObjectId Add(const Point3d& location, const std::wstring& description, bool useNextPointNumSetting);
  int Count() const;

 private:
  AcDbDatabase* m_database;
};

class FeatureLine : public Entity {
 public:
  explicit FeatureLine(AeccDbFeatureLine* native);
  // A feature line following a polyline (3D polyline, polyline or line) in the
  // polyline's database and layer; the polyline is left as it is. Raises
  // ArgumentException when the name is taken by another feature line (ignoring case) or
  // the object is not a polyline.
  static ObjectId Create(const std::wstring& featureLineName, const ObjectId& polylineId);
  System::String Name() const;
  int PointsCount() const;
};

}  // namespace Autodesk::Civil::DatabaseServices
