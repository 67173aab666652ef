// Drawing commands: LINE, PLINE, 3DPOLY, POINT.
#include "apcommon.h"
#include "apcommands.h"

namespace pelvarhost::cmd {

void CmdLine() {
  if (!HaveDrawing()) return;
  ads_point from, to;
  if (acedGetPoint(nullptr, L"\nSpecify first point: ", from) != RTNORM) return;
  while (acedGetPoint(from, L"\nSpecify next point or [Enter to finish]: ", to) == RTNORM) {
    AppendToModelSpace(new AcDbLine(ToPoint(from), ToPoint(to)));
    ads_point_set(to, from);
  }
}

// Vertices until Enter; "Close" ends a figure of three or more vertices closed.
// Esc drops the figure.
bool AskVertices(std::vector<AcGePoint3d>& vertices, bool* closed) {
  ads_point p;
  if (acedGetPoint(nullptr, L"\nSpecify start point: ", p) != RTNORM) return false;
  vertices.push_back(ToPoint(p));
  while (true) {
    ads_point last = {vertices.back().x, vertices.back().y, vertices.back().z};
    acedInitGet(0, vertices.size() >= 2 ? L"Close" : L"");
    int rc = acedGetPoint(last, vertices.size() >= 2 ? L"\nSpecify next point or [Close]: "
                                                     : L"\nSpecify next point: ", p);
    if (rc == RTNORM) {
      vertices.push_back(ToPoint(p));
    } else if (rc == RTKWORD) {
      *closed = true;
      return true;
    } else {
      return rc == RTNONE;
    }
  }
}

void CmdPline() {
  if (!HaveDrawing()) return;
  std::vector<AcGePoint3d> vertices;
  bool closed = false;
  if (!AskVertices(vertices, &closed) || vertices.size() < 2) return;
  auto* pline = new AcDbPolyline();
  for (unsigned int i = 0; i < vertices.size(); ++i) pline->addVertexAt(i, AcGePoint2d(vertices[i].x, vertices[i].y));
  pline->setElevation(vertices.front().z);
  pline->setClosed(closed);
  AppendToModelSpace(pline);
}

void Cmd3dPoly() {
  if (!HaveDrawing()) return;
  std::vector<AcGePoint3d> vertices;
  bool closed = false;
  if (!AskVertices(vertices, &closed) || vertices.size() < 2) return;
  auto* poly = new AcDb3dPolyline();
  for (const AcGePoint3d& v : vertices) poly->appendVertex(v);
  if (closed) poly->makeClosed();
  AppendToModelSpace(poly);
}

void CmdPoint() {
  if (!HaveDrawing()) return;
  ads_point p;
  if (acedGetPoint(nullptr, L"\nSpecify a point: ", p) != RTNORM) return;
  AppendToModelSpace(new AcDbPoint(ToPoint(p)));
}

}  // namespace pelvarhost::cmd
