#include "dbextents.h"

#include <algorithm>
#include <limits>

namespace {
constexpr double kHuge = std::numeric_limits<double>::max();
}

AcDbExtents::AcDbExtents() : m_min(kHuge, kHuge, kHuge), m_max(-kHuge, -kHuge, -kHuge) {}

AcDbExtents::AcDbExtents(const AcGePoint3d& min, const AcGePoint3d& max) : AcDbExtents() { set(min, max); }

Acad::ErrorStatus AcDbExtents::set(const AcGePoint3d& min, const AcGePoint3d& max) {
  if (min.x > max.x || min.y > max.y || min.z > max.z) return Acad::eInvalidExtents;
  m_min = min;
  m_max = max;
  return Acad::eOk;
}

void AcDbExtents::addPoint(const AcGePoint3d& p) {
  for (unsigned i = 0; i < 3; ++i) {
    m_min[i] = std::min(m_min[i], p[i]);
    m_max[i] = std::max(m_max[i], p[i]);
  }
}

void AcDbExtents::addExt(const AcDbExtents& other) {
  if (!other.isValid()) return;
  addPoint(other.m_min);
  addPoint(other.m_max);
}

void AcDbExtents::expandBy(const AcGeVector3d& v) {
  if (!isValid()) return;
  AcGePoint3d a = m_min + v, b = m_max + v;
  addPoint(a);
  addPoint(b);
}

void AcDbExtents::transformBy(const AcGeMatrix3d& m) {
  if (!isValid()) return;
  AcDbExtents box;
  for (int corner = 0; corner < 8; ++corner) {
    AcGePoint3d p((corner & 1) ? m_max.x : m_min.x, (corner & 2) ? m_max.y : m_min.y,
                  (corner & 4) ? m_max.z : m_min.z);
    box.addPoint(m * p);
  }
  *this = box;
}

bool AcDbExtents::isValid() const { return m_min.x <= m_max.x && m_min.y <= m_max.y && m_min.z <= m_max.z; }
