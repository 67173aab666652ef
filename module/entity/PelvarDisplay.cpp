// Display and geometry of the cloud entity: the outline of its square, its points thinned
// to the viewport and coloured by bucket, its extents, its transformation and its snap.
// A cloud whose file cannot be loaded draws nothing, has no extents and offers no snap; so
// does one whose points cannot be gathered for want of memory: nothing is thrown to the host.
#include <mutex>
#include <new>

#include "acgi.h"
#include "entity/BucketSort.h"
#include "entity/DisplayPass.h"
#include "entity/Pelvar.h"

namespace {

AcGePoint3d BoxCentre(const KmqData& data) {
  return {data.originX + 0.5 * data.sizeX, data.originY + 0.5 * data.sizeY, data.originZ + 0.5 * data.sizeZ};
}

AcCmEntityColor TrueColour(const PaletteColour& colour) {
  AcCmEntityColor entityColour;
  entityColour.setRGB(colour.red, colour.green, colour.blue);
  return entityColour;
}

// Draws under the entity's transform, popped again on every path.
class ModelTransformScope {
 public:
  ModelTransformScope(AcGiGeometry& geometry, const AcGeMatrix3d& transform) : geometry_(geometry) {
    geometry_.pushModelTransform(transform);
  }
  ~ModelTransformScope() { geometry_.popModelTransform(); }
  ModelTransformScope(const ModelTransformScope&) = delete;
  ModelTransformScope& operator=(const ModelTransformScope&) = delete;

 private:
  AcGiGeometry& geometry_;
};

// The sorting space of the display, kept between passes so that regenerating a large
// cloud does not ask the system for hundreds of megabytes each time; trimmed when passes
// keep needing far less. One pass at a time uses it: a pass that finds it taken (a drawing
// rendered on another thread meanwhile) sorts into space of its own.
class SortingSpace {
 public:
  SortingSpace() : held_(shared().mutex, std::try_to_lock) {}
  ~SortingSpace() {
    if (held_.owns_lock()) shared().points.TrimAfterUse();
  }
  SortingSpace(const SortingSpace&) = delete;
  SortingSpace& operator=(const SortingSpace&) = delete;
  BucketedPoints& get() { return held_.owns_lock() ? shared().points : own_; }

 private:
  struct Shared {
    std::mutex mutex;
    BucketedPoints points;
  };
  static Shared& shared() {
    static Shared space;
    return space;
  }
  std::unique_lock<std::mutex> held_;
  BucketedPoints own_;
};

// One polypoint per bucket that holds points, in bucket order, each in its colour.
void DrawBuckets(AcGiViewportDraw& draw, const BucketedPoints& sorted) {
  for (int b = 0; b < kColourBucketCount; ++b) {
    if (sorted.count(b) == 0) continue;
    draw.subEntityTraits().setTrueColor(TrueColour(BucketColour(b)));
    draw.geometry().polypoint(static_cast<Adesk::UInt32>(sorted.count(b)), sorted.of(b));
  }
}

}  // namespace

Adesk::Boolean Pelvar::subWorldDraw(AcGiWorldDraw* worldDraw) {
  // False asks the host for the viewport-dependent drawing of the points as well.
  try {
    KmqDataPtr data = CloudData();
    if (!data || worldDraw == nullptr) return Adesk::kFalse;
    const double x0 = data->originX, y0 = data->originY, z = data->originZ;
    const double x1 = x0 + data->sizeX, y1 = y0 + data->sizeY;
    const AcGePoint3d outline[5] = {{x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}, {x0, y0, z}};
    worldDraw->subEntityTraits().setFillType(kAcGiFillNever);
    ModelTransformScope placed(worldDraw->geometry(), m_transform);
    worldDraw->geometry().polyline(5, outline);
  } catch (const std::bad_alloc&) {
  }
  return Adesk::kFalse;
}

void Pelvar::subViewportDraw(AcGiViewportDraw* viewportDraw) {
  try {
    KmqDataPtr data = CloudData();
    if (!data || viewportDraw == nullptr) return;
    AcGePoint3d centre = m_transform * BoxCentre(*data);
    AcGePoint2d pixelArea;
    viewportDraw->viewport().getNumPixelsInUnitSquare(centre, pixelArea, true);
    double pixelsPerUnit = PixelsPerUnit(pixelArea);
    double budget = ChunkPointBudget(*data, m_density, pixelsPerUnit);

    ClassOverridesPtr overrides = ClassOverrides();
    DisplaySettings settings{VisibilityRuleOf(*this), m_colorMode, OverrideBytes(overrides, *data)};
    SortingSpace space;
    SortIntoBuckets(data, settings, budget, space.get());

    ModelTransformScope placed(viewportDraw->geometry(), m_transform);
    DrawBuckets(*viewportDraw, space.get());
  } catch (const std::bad_alloc&) {
  }
}

Acad::ErrorStatus Pelvar::subGetOsnapPoints(AcDb::OsnapMode osnapMode, Adesk::GsMarker gsSelectionMark,
                                            const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                            const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                            AcDbIntArray& geomIds) const {
  if (osnapMode != AcDb::kOsModeNode && osnapMode != AcDb::kOsModeNear) return Acad::eOk;
  try {
    KmqDataPtr data = CloudData();
    if (!data) return Acad::eOk;
    AcGePoint3d cloudPick = m_transform.inverse() * pickPoint;
    ClassOverridesPtr overrides = ClassOverrides();
    DisplaySettings settings{VisibilityRuleOf(*this), m_colorMode, OverrideBytes(overrides, *data)};
    AcGePoint3d nearest;
    if (NearestVisiblePoint(*data, settings, cloudPick.x, cloudPick.y, nearest)) {
      snapPoints.append(m_transform * nearest);
      geomIds.append(0);
    }
  } catch (const std::bad_alloc&) {
  }
  return Acad::eOk;
}

Acad::ErrorStatus Pelvar::subTransformBy(const AcGeMatrix3d& xform) {
  assertWriteEnabled();
  // The new transformation applies after the old one; the cloud file is never touched.
  m_transform.preMultBy(xform);
  return Acad::eOk;
}

Acad::ErrorStatus Pelvar::subGetGeomExtents(AcDbExtents& extents) const {
  KmqDataPtr data;
  try {
    data = CloudData();
  } catch (const std::bad_alloc&) {
  }
  if (!data) return Acad::eInvalidExtents;
  AcGePoint3d low(data->originX, data->originY, data->originZ);
  AcGePoint3d high(data->originX + data->sizeX, data->originY + data->sizeY, data->originZ + data->sizeZ);
  extents.set(low, high);
  extents.transformBy(m_transform);
  return Acad::eOk;
}
