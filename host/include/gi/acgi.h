// The graphics interface: what an entity draws itself with. The graphics system hands an
// entity a world draw (viewport-independent geometry) and, when worldDraw returns false,
// one viewport draw per viewport (geometry that depends on that viewport's zoom).
#pragma once
#include "dbcolor.h"
#include "dbid.h"
#include "gemat3d.h"
#include "gepnt2d.h"
#include "gepnt3d.h"
#include "gidrawable.h"
#include "rxobject.h"

enum AcGiFillType { kAcGiFillAlways = 1, kAcGiFillNever = 2 };

enum AcGiRegenType {
  eAcGiRegenTypeInvalid = 0,
  kAcGiStandardDisplay = 2,
  kAcGiHideOrShadeCommand = 3,
  kAcGiRenderCommand = 4,
  kAcGiShadedDisplay = kAcGiRenderCommand,
  kAcGiForExplode = 5,
  kAcGiSaveWorldDrawForProxy = 6
};

// Properties of the geometry drawn next: colour, layer, fill.
class AcGiSubEntityTraits : public AcRxObject {
 public:
  virtual void setColor(const Adesk::UInt16 color) = 0;
  virtual void setTrueColor(const AcCmEntityColor& color) = 0;
  virtual void setLayer(const AcDbObjectId layerId) = 0;
  virtual void setFillType(const AcGiFillType fillType) = 0;
  virtual void setSelectionMarker(const Adesk::LongPtr markerId) {}
  virtual Adesk::UInt16 color() const = 0;
  virtual AcCmEntityColor trueColor() const = 0;
  virtual AcDbObjectId layerId() const = 0;
  virtual AcGiFillType fillType() const = 0;
};

class AcGiDrawableTraits : public AcGiSubEntityTraits {};

// The primitives. Points are in model coordinates: the product of the pushed model
// transforms maps them to world coordinates.
class AcGiGeometry : public AcRxObject {
 public:
  virtual Adesk::Boolean polyline(const Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList,
                                  const AcGeVector3d* pNormal = nullptr,
                                  Adesk::LongPtr lBaseSubEntMarker = -1) const = 0;
  virtual Adesk::Boolean polypoint(const Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList,
                                   const AcGeVector3d* pNormals = nullptr,
                                   const Adesk::LongPtr* pSubEntMarkers = nullptr) const = 0;
  // A circle as a closed polyline of 64 segments in the plane of the normal.
  virtual Adesk::Boolean circle(const AcGePoint3d& center, const double radius,
                                const AcGeVector3d& normal) const;
  virtual Adesk::Boolean pushModelTransform(const AcGeMatrix3d& xMat) = 0;
  virtual Adesk::Boolean popModelTransform() = 0;
  virtual AcGeMatrix3d getModelToWorldTransform() const = 0;
};

class AcGiWorldGeometry : public AcGiGeometry {};
class AcGiViewportGeometry : public AcGiGeometry {};

// One viewport as the drawing sees it.
class AcGiViewport : public AcRxObject {
 public:
  // How many pixels one drawing unit spans at the given world point, along screen x and y.
  virtual void getNumPixelsInUnitSquare(const AcGePoint3d& givenWorldpt, AcGePoint2d& pixelArea,
                                        bool bIncludePerspective = true) const = 0;
  virtual void getModelToEyeTransform(AcGeMatrix3d& xform) const { xform = AcGeMatrix3d::kIdentity; }
};

class AcGiCommonDraw : public AcRxObject {
 public:
  virtual AcGiGeometry* rawGeometry() const = 0;
  virtual AcGiRegenType regenType() const = 0;
  virtual Adesk::Boolean regenAbort() const { return Adesk::kFalse; }
  virtual AcGiSubEntityTraits& subEntityTraits() const = 0;
  virtual Adesk::Boolean isDragging() const { return Adesk::kFalse; }
};

class AcGiWorldDraw : public AcGiCommonDraw {
 public:
  virtual AcGiWorldGeometry& geometry() const = 0;
};

class AcGiViewportDraw : public AcGiCommonDraw {
 public:
  virtual AcGiViewportGeometry& geometry() const = 0;
  virtual AcGiViewport& viewport() const = 0;
  virtual Adesk::UInt32 sequenceNumber() const { return 0; }
};
