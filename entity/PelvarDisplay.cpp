// Display and geometry of the cloud entity: provisional, outline-free versions until the
// cloud display lands (it replaces this file). The entity draws nothing, has no extents
// and offers no snap points; moving it only changes its transform.
#include "entity/Pelvar.h"

Adesk::Boolean Pelvar::subWorldDraw(AcGiWorldDraw* worldDraw) {
  // False asks the host for the viewport-dependent drawing as well.
  return Adesk::kFalse;
}

void Pelvar::subViewportDraw(AcGiViewportDraw* viewportDraw) {}

Acad::ErrorStatus Pelvar::subGetOsnapPoints(AcDb::OsnapMode osnapMode, Adesk::GsMarker gsSelectionMark,
                                            const AcGePoint3d& pickPoint, const AcGePoint3d& lastPoint,
                                            const AcGeMatrix3d& viewXform, AcGePoint3dArray& snapPoints,
                                            AcDbIntArray& geomIds) const {
  return Acad::eOk;
}

Acad::ErrorStatus Pelvar::subTransformBy(const AcGeMatrix3d& xform) {
  assertWriteEnabled();
  // The new transformation applies after the old one.
  m_transform.preMultBy(xform);
  return Acad::eOk;
}

Acad::ErrorStatus Pelvar::subGetGeomExtents(AcDbExtents& extents) const {
  return Acad::eInvalidExtents;
}
