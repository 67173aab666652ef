// Line, point, lightweight polyline and 3D polyline.
#include "dbents.h"

#include <cmath>
#include <cwchar>

#include "dbimpl.h"
#include "wideformat.h"

ACRX_DXF_DEFINE_MEMBERS(AcDbLine, AcDbCurve, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, LINE, "")
ACRX_DXF_DEFINE_MEMBERS(AcDbPoint, AcDbEntity, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, POINT, "")
ACRX_DXF_DEFINE_MEMBERS(AcDbPolyline, AcDbCurve, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, LWPOLYLINE, "")
ACRX_DXF_DEFINE_MEMBERS(AcDb3dPolyline, AcDbCurve, AcDb::kDHL_CURRENT, AcDb::kMReleaseCurrent, 0, POLYLINE, "")

namespace {
// Largest vertex count a filed polyline may claim (guards against damaged records).
constexpr Adesk::UInt32 kMaxFiledVertices = 1u << 26;

std::wstring PointText(const wchar_t* label, const AcGePoint3d& p) {
  return pelvarhost::FormatWide(L"%ls X=%.4f  Y=%.4f  Z=%.4f", label, p.x, p.y, p.z);
}

std::wstring NumberText(const wchar_t* label, double value) { return pelvarhost::FormatWide(L"%ls%.4f", label, value); }

void ListChain(const AcDbCurve& curve, const AcGePoint3dArray& vertices, std::vector<std::wstring>& lines) {
  for (const AcGePoint3d& p : vertices) lines.push_back(PointText(L"at point", p));
  double end = 0.0, length = 0.0;
  if (curve.getEndParam(end) == Acad::eOk && curve.getDistAtParam(end, length) == Acad::eOk)
    lines.push_back(NumberText(L"Length = ", length));
}

// True when the matrix keeps planes of constant Z as planes of constant Z.
bool KeepsXYPlane(const AcGeMatrix3d& m) {
  return m.entry[2][0] == 0.0 && m.entry[2][1] == 0.0 && m.entry[0][2] == 0.0 && m.entry[1][2] == 0.0 &&
         m.entry[3][0] == 0.0 && m.entry[3][1] == 0.0 && m.entry[3][2] == 0.0;
}
}  // namespace

// --- Line.

AcDbLine::AcDbLine() = default;
AcDbLine::AcDbLine(const AcGePoint3d& start, const AcGePoint3d& end) : m_start(start), m_end(end) {}

AcGePoint3d AcDbLine::startPoint() const {
  assertReadEnabled();
  return m_start;
}
AcGePoint3d AcDbLine::endPoint() const {
  assertReadEnabled();
  return m_end;
}
Acad::ErrorStatus AcDbLine::setStartPoint(const AcGePoint3d& point) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  m_start = point;
  return Acad::eOk;
}
Acad::ErrorStatus AcDbLine::setEndPoint(const AcGePoint3d& point) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  m_end = point;
  return Acad::eOk;
}

void AcDbLine::getVertexChain(AcGePoint3dArray& chain) const {
  chain.append(m_start);
  chain.append(m_end);
}

Acad::ErrorStatus AcDbLine::subTransformBy(const AcGeMatrix3d& xform) {
  m_start.transformBy(xform);
  m_end.transformBy(xform);
  return Acad::eOk;
}

void AcDbLine::subList(std::vector<std::wstring>& lines) const {
  lines.push_back(PointText(L"from point,", m_start));
  lines.push_back(PointText(L"to point,", m_end));
  lines.push_back(NumberText(L"Length = ", m_start.distanceTo(m_end)));
}

Acad::ErrorStatus AcDbLine::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbEntity::dwgInFields(filer); status != Acad::eOk) return status;
  filer->readPoint3d(&m_start);
  filer->readPoint3d(&m_end);
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbLine::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbEntity::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writePoint3d(m_start);
  filer->writePoint3d(m_end);
  return filer->filerStatus();
}

// --- Point.

AcDbPoint::AcDbPoint() = default;
AcDbPoint::AcDbPoint(const AcGePoint3d& position) : m_position(position) {}

AcGePoint3d AcDbPoint::position() const {
  assertReadEnabled();
  return m_position;
}
Acad::ErrorStatus AcDbPoint::setPosition(const AcGePoint3d& position) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  m_position = position;
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::subTransformBy(const AcGeMatrix3d& xform) {
  m_position.transformBy(xform);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPoint::subGetGeomExtents(AcDbExtents& extents) const {
  return extents.set(m_position, m_position);
}

Acad::ErrorStatus AcDbPoint::subGetOsnapPoints(AcDb::OsnapMode mode, Adesk::GsMarker, const AcGePoint3d&,
                                               const AcGePoint3d&, const AcGeMatrix3d&,
                                               AcGePoint3dArray& snapPoints, AcDbIntArray& geomIds) const {
  if (mode == AcDb::kOsModeNode || mode == AcDb::kOsModeNear) {
    snapPoints.append(m_position);
    geomIds.append(0);
  }
  return Acad::eOk;
}

void AcDbPoint::getWireframe(AcArray<AcGePoint3dArray>&, AcGePoint3dArray& points) const {
  points.append(m_position);
}

void AcDbPoint::subList(std::vector<std::wstring>& lines) const { lines.push_back(PointText(L"at point", m_position)); }

Acad::ErrorStatus AcDbPoint::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbEntity::dwgInFields(filer); status != Acad::eOk) return status;
  filer->readPoint3d(&m_position);
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbPoint::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbEntity::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writePoint3d(m_position);
  return filer->filerStatus();
}

// --- Lightweight polyline.

AcDbPolyline::AcDbPolyline() = default;
AcDbPolyline::AcDbPolyline(unsigned int numVerts) { m_points.reserve(numVerts); }

Acad::ErrorStatus AcDbPolyline::addVertexAt(unsigned int index, const AcGePoint2d& point, double, double, double) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  if (index > m_points.size()) return Acad::eInvalidIndex;
  m_points.insert(m_points.begin() + index, point);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::removeVertexAt(unsigned int index) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  if (index >= m_points.size()) return Acad::eInvalidIndex;
  m_points.erase(m_points.begin() + index);
  return Acad::eOk;
}

unsigned int AcDbPolyline::numVerts() const {
  assertReadEnabled();
  return static_cast<unsigned int>(m_points.size());
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint2d& point) const {
  assertReadEnabled();
  if (index >= m_points.size()) return Acad::eInvalidIndex;
  point = m_points[index];
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::getPointAt(unsigned int index, AcGePoint3d& point) const {
  AcGePoint2d p;
  if (Acad::ErrorStatus status = getPointAt(index, p); status != Acad::eOk) return status;
  point.set(p.x, p.y, m_elevation);
  return Acad::eOk;
}

Acad::ErrorStatus AcDbPolyline::setPointAt(unsigned int index, const AcGePoint2d& point) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  if (index >= m_points.size()) return Acad::eInvalidIndex;
  m_points[index] = point;
  return Acad::eOk;
}

void AcDbPolyline::setClosed(Adesk::Boolean closed) {
  if (pelvarhost::RequireWrite(this) == Acad::eOk) m_closed = closed;
}

Adesk::Boolean AcDbPolyline::isClosed() const {
  assertReadEnabled();
  return m_closed;
}

double AcDbPolyline::elevation() const {
  assertReadEnabled();
  return m_elevation;
}

void AcDbPolyline::setElevation(double elevation) {
  if (pelvarhost::RequireWrite(this) == Acad::eOk) m_elevation = elevation;
}

void AcDbPolyline::getVertexChain(AcGePoint3dArray& chain) const {
  for (const AcGePoint2d& p : m_points) chain.append(AcGePoint3d(p.x, p.y, m_elevation));
  if (m_closed && m_points.size() > 1) chain.append(chain.first());
}

// The polyline stays in a plane of constant Z: a transform that tilts it is refused.
Acad::ErrorStatus AcDbPolyline::subTransformBy(const AcGeMatrix3d& xform) {
  if (!KeepsXYPlane(xform)) return Acad::eCannotScaleNonUniformly;
  double newElevation = m_elevation;
  for (AcGePoint2d& p : m_points) {
    AcGePoint3d q = xform * AcGePoint3d(p.x, p.y, m_elevation);
    p.set(q.x, q.y);
    newElevation = q.z;
  }
  if (m_points.empty()) newElevation = (xform * AcGePoint3d(0.0, 0.0, m_elevation)).z;
  m_elevation = newElevation;
  return Acad::eOk;
}

void AcDbPolyline::subList(std::vector<std::wstring>& lines) const {
  lines.push_back(m_closed ? L"Closed" : L"Open");
  lines.push_back(NumberText(L"Elevation = ", m_elevation));
  AcGePoint3dArray vertices;
  for (const AcGePoint2d& p : m_points) vertices.append(AcGePoint3d(p.x, p.y, m_elevation));
  ListChain(*this, vertices, lines);
}

Acad::ErrorStatus AcDbPolyline::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbEntity::dwgInFields(filer); status != Acad::eOk) return status;
  Adesk::UInt32 count = 0;
  filer->readUInt32(&count);
  if (count > kMaxFiledVertices) filer->setFilerStatus(Acad::eFilerError);
  std::vector<AcGePoint2d> points;
  for (Adesk::UInt32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
    AcGePoint2d p;
    filer->readPoint2d(&p);
    points.push_back(p);
  }
  filer->readDouble(&m_elevation);
  filer->readBool(&m_closed);
  if (filer->filerStatus() == Acad::eOk) m_points = std::move(points);
  return filer->filerStatus();
}

Acad::ErrorStatus AcDbPolyline::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbEntity::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writeUInt32(static_cast<Adesk::UInt32>(m_points.size()));
  for (const AcGePoint2d& p : m_points) filer->writePoint2d(p);
  filer->writeDouble(m_elevation);
  filer->writeBool(m_closed);
  return filer->filerStatus();
}

// --- 3D polyline.

AcDb3dPolyline::AcDb3dPolyline() = default;

AcDb3dPolyline::AcDb3dPolyline(AcDb::Poly3dType, AcGePoint3dArray& vertices, Adesk::Boolean closed)
    : m_points(vertices.begin(), vertices.end()), m_closed(closed) {}

Acad::ErrorStatus AcDb3dPolyline::appendVertex(const AcGePoint3d& point) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  m_points.push_back(point);
  return Acad::eOk;
}

unsigned int AcDb3dPolyline::numVerts() const {
  assertReadEnabled();
  return static_cast<unsigned int>(m_points.size());
}

Acad::ErrorStatus AcDb3dPolyline::getPointAt(unsigned int index, AcGePoint3d& point) const {
  assertReadEnabled();
  if (index >= m_points.size()) return Acad::eInvalidIndex;
  point = m_points[index];
  return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::setPointAt(unsigned int index, const AcGePoint3d& point) {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  if (index >= m_points.size()) return Acad::eInvalidIndex;
  m_points[index] = point;
  return Acad::eOk;
}

void AcDb3dPolyline::getVertices(AcGePoint3dArray& vertices) const {
  assertReadEnabled();
  for (const AcGePoint3d& p : m_points) vertices.append(p);
}

Acad::ErrorStatus AcDb3dPolyline::makeClosed() {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  m_closed = true;
  return Acad::eOk;
}

Acad::ErrorStatus AcDb3dPolyline::makeOpen() {
  if (Acad::ErrorStatus status = pelvarhost::RequireWrite(this); status != Acad::eOk) return status;
  m_closed = false;
  return Acad::eOk;
}

Adesk::Boolean AcDb3dPolyline::isClosed() const {
  assertReadEnabled();
  return m_closed;
}

void AcDb3dPolyline::getVertexChain(AcGePoint3dArray& chain) const {
  for (const AcGePoint3d& p : m_points) chain.append(p);
  if (m_closed && m_points.size() > 1) chain.append(chain.first());
}

Acad::ErrorStatus AcDb3dPolyline::subTransformBy(const AcGeMatrix3d& xform) {
  for (AcGePoint3d& p : m_points) p.transformBy(xform);
  return Acad::eOk;
}

void AcDb3dPolyline::subList(std::vector<std::wstring>& lines) const {
  lines.push_back(m_closed ? L"Closed" : L"Open");
  AcGePoint3dArray vertices;
  for (const AcGePoint3d& p : m_points) vertices.append(p);
  ListChain(*this, vertices, lines);
}

Acad::ErrorStatus AcDb3dPolyline::dwgInFields(AcDbDwgFiler* filer) {
  if (Acad::ErrorStatus status = AcDbEntity::dwgInFields(filer); status != Acad::eOk) return status;
  Adesk::UInt32 count = 0;
  filer->readUInt32(&count);
  if (count > kMaxFiledVertices) filer->setFilerStatus(Acad::eFilerError);
  std::vector<AcGePoint3d> points;
  for (Adesk::UInt32 i = 0; i < count && filer->filerStatus() == Acad::eOk; ++i) {
    AcGePoint3d p;
    filer->readPoint3d(&p);
    points.push_back(p);
  }
  filer->readBool(&m_closed);
  if (filer->filerStatus() == Acad::eOk) m_points = std::move(points);
  return filer->filerStatus();
}

Acad::ErrorStatus AcDb3dPolyline::dwgOutFields(AcDbDwgFiler* filer) const {
  if (Acad::ErrorStatus status = AcDbEntity::dwgOutFields(filer); status != Acad::eOk) return status;
  filer->writeUInt32(static_cast<Adesk::UInt32>(m_points.size()));
  for (const AcGePoint3d& p : m_points) filer->writePoint3d(p);
  filer->writeBool(m_closed);
  return filer->filerStatus();
}
