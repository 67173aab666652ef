// An axis-aligned box in world coordinates. A new box is empty (min above max).
#pragma once
#include "acadstrc.h"
#include "gemat3d.h"

class AcDbExtents {
 public:
  AcDbExtents();
  AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max);

  const AcGePoint3d& minPoint() const { return m_min; }
  const AcGePoint3d& maxPoint() const { return m_max; }
  // eInvalidExtents (box unchanged) when min is above max on some axis.
  Acad::ErrorStatus set(const AcGePoint3d& min, const AcGePoint3d& max);
  void addPoint(const AcGePoint3d& point);
  void addExt(const AcDbExtents& other);
  void expandBy(const AcGeVector3d& vector);
  // The box of the eight transformed corners.
  void transformBy(const AcGeMatrix3d& matrix);
  bool isValid() const;  // not empty

 private:
  AcGePoint3d m_min;
  AcGePoint3d m_max;
};
