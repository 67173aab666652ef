#include "dxfout.h"

#include <cstdio>
#include <sstream>

#include "aeccdb.h"
#include "civilcontents.h"
#include "civilmodel.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "hostfiles.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace pelvarhost::civil {
namespace {

constexpr char kCaret = '^';
constexpr std::uint32_t kControlShift = 0x40;  // "^J" is the line feed, 0x4A - 0x40
constexpr std::uint32_t kReplacementCharacter = 0xFFFD;

bool IsUnicodeScalar(std::uint32_t code) { return code <= 0x10FFFF && (code < 0xD800 || code > 0xDFFF); }

// A text value of a release-12 file, which is read in the drawing's ANSI code page: every
// character beyond ASCII is written as the "\U+XXXX" escape that CAD programs decode (and
// a character beyond the 16-bit range as its two UTF-16 halves), never as raw UTF-8 bytes.
// A value is one line: control characters (a line break would end it and start a group of
// its own) take CAD's caret form, "^J" for a line feed, and a caret itself is "^ ".
std::string DxfText(const std::wstring& value) {
  std::string text;
  auto escape = [&text](unsigned unit) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "\\U+%04X", unit);
    text += buffer;
  };
  for (wchar_t c : value) {
    auto code = static_cast<std::uint32_t>(c);
    if (!IsUnicodeScalar(code)) code = kReplacementCharacter;
    if (code < 0x20) {
      text += kCaret;
      text += static_cast<char>(code + kControlShift);
    } else if (code == static_cast<std::uint32_t>(kCaret)) {
      text += "^ ";
    } else if (code < 0x80) {
      text += static_cast<char>(code);
    } else if (code < 0x10000) {
      escape(code);
    } else {
      escape(0xD800 + ((code - 0x10000) >> 10));
      escape(0xDC00 + ((code - 0x10000) & 0x3FF));
    }
  }
  return text;
}

// Group code / value pairs, each on its own line.
class DxfStream {
 public:
  void Pair(int code, const std::string& value) { m_out << code << '\n' << value << '\n'; }
  void Pair(int code, const std::wstring& value) { Pair(code, DxfText(value)); }
  void Pair(int code, const char* value) { Pair(code, std::string(value)); }
  void Pair(int code, int value) { Pair(code, std::to_string(value)); }
  void Number(int code, double value) { Pair(code, FormatNumber(value)); }
  // A point with group codes base, base+10, base+20.
  void Point(int base, const AcGePoint3d& p) {
    Number(base, p.x);
    Number(base + 10, p.y);
    Number(base + 20, p.z);
  }
  std::string Text() const { return m_out.str(); }

 private:
  std::ostringstream m_out;
};

void BeginEntity(DxfStream& dxf, const char* type, const std::wstring& layer) {
  dxf.Pair(0, type);
  dxf.Pair(8, layer);
}

void WritePolyline(DxfStream& dxf, const std::wstring& layer, const std::vector<AcGePoint3d>& points, bool closed,
                   bool is3d) {
  constexpr int kClosed = 1, k3dPolyline = 8, k3dVertex = 32;
  BeginEntity(dxf, "POLYLINE", layer);
  dxf.Pair(66, 1);
  dxf.Point(10, AcGePoint3d(0, 0, is3d || points.empty() ? 0.0 : points.front().z));
  dxf.Pair(70, (closed ? kClosed : 0) | (is3d ? k3dPolyline : 0));
  for (const AcGePoint3d& point : points) {
    BeginEntity(dxf, "VERTEX", layer);
    dxf.Point(10, point);
    dxf.Pair(70, is3d ? k3dVertex : 0);
  }
  BeginEntity(dxf, "SEQEND", layer);
}

void WriteLayers(AcDbDatabase* database, DxfStream& dxf, DxfExportCounts& counts) {
  dxf.Pair(0, "SECTION");
  dxf.Pair(2, "TABLES");
  dxf.Pair(0, "TABLE");
  dxf.Pair(2, "LAYER");
  AcDbLayerTable* table = nullptr;
  if (database->getLayerTable(table, AcDb::kForRead) == Acad::eOk) {
    dxf.Pair(70, static_cast<int>(table->recordIds().size()));
    for (const AcDbObjectId& id : table->recordIds()) {
      AcDbLayerTableRecord* layer = nullptr;
      if (acdbOpenObject(layer, id, AcDb::kForRead) != Acad::eOk) continue;
      dxf.Pair(0, "LAYER");
      dxf.Pair(2, layer->name());
      dxf.Pair(70, 0);
      dxf.Pair(62, layer->isOff() ? -layer->colorIndex() : layer->colorIndex());
      dxf.Pair(6, "CONTINUOUS");
      layer->close();
      ++counts.layers;
    }
    table->close();
  }
  dxf.Pair(0, "ENDTAB");
  dxf.Pair(0, "ENDSEC");
}

// Writes one model-space entity; false when it is of a kind DXF export leaves out.
bool WriteEntity(const AcDbEntity& entity, DxfStream& dxf, DxfExportCounts& counts) {
  std::wstring layer = entity.layer();
  if (const auto* line = AcDbLine::cast(&entity)) {
    BeginEntity(dxf, "LINE", layer);
    dxf.Point(10, line->startPoint());
    dxf.Point(11, line->endPoint());
  } else if (const auto* point = AcDbPoint::cast(&entity)) {
    BeginEntity(dxf, "POINT", layer);
    dxf.Point(10, point->position());
  } else if (const auto* poly = AcDbPolyline::cast(&entity)) {
    std::vector<AcGePoint3d> points;
    for (unsigned i = 0; i < poly->numVerts(); ++i) {
      AcGePoint3d p;
      poly->getPointAt(i, p);
      points.push_back(p);
    }
    WritePolyline(dxf, layer, points, poly->isClosed(), false);
  } else if (const auto* poly3d = AcDb3dPolyline::cast(&entity)) {
    AcGePoint3dArray vertices;
    poly3d->getVertices(vertices);
    std::vector<AcGePoint3d> points;
    for (int i = 0; i < vertices.length(); ++i) points.push_back(vertices[i]);
    WritePolyline(dxf, layer, points, poly3d->isClosed(), true);
  } else if (const auto* cogo = AeccDbCogoPoint::cast(&entity)) {
    BeginEntity(dxf, "POINT", layer);
    dxf.Point(10, cogo->location());
  } else if (const auto* feature = AeccDbFeatureLine::cast(&entity)) {
    WritePolyline(dxf, layer, feature->points(), false, true);
  } else if (const auto* tin = AeccDbSurfaceTin::cast(&entity)) {
    const std::vector<AcGePoint3d>& vertices = tin->vertices();
    for (const TinFace& face : tin->faces()) {
      BeginEntity(dxf, "3DFACE", layer);
      dxf.Point(10, vertices[face[0]]);
      dxf.Point(11, vertices[face[1]]);
      dxf.Point(12, vertices[face[2]]);
      dxf.Point(13, vertices[face[2]]);
      ++counts.entities;
    }
    return true;
  } else {
    return false;
  }
  ++counts.entities;
  return true;
}

void WriteEntities(AcDbDatabase* database, DxfStream& dxf, DxfExportCounts& counts) {
  dxf.Pair(0, "SECTION");
  dxf.Pair(2, "ENTITIES");
  for (const AcDbObjectId& id : ModelSpaceIdsOf(database, AcDbEntity::desc())) {
    AcDbEntity* entity = nullptr;
    if (acdbOpenAcDbEntity(entity, id, AcDb::kForRead) != Acad::eOk) {
      ++counts.skipped;
      continue;
    }
    if (!WriteEntity(*entity, dxf, counts)) ++counts.skipped;
    entity->close();
  }
  dxf.Pair(0, "ENDSEC");
}

}  // namespace

bool WriteDxf(AcDbDatabase* database, const std::wstring& path, DxfExportCounts& counts, std::wstring& error) {
  counts = {};
  DxfStream dxf;
  dxf.Pair(0, "SECTION");
  dxf.Pair(2, "HEADER");
  dxf.Pair(9, "$ACADVER");
  dxf.Pair(1, "AC1009");
  dxf.Pair(0, "ENDSEC");
  WriteLayers(database, dxf, counts);
  WriteEntities(database, dxf, counts);
  dxf.Pair(0, "EOF");
  const std::string& text = dxf.Text();
  std::string why;
  if (WriteWholeFile(WideToUtf8(path), std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()),
                     true, why) != WriteOutcome::kDone) {
    error = Utf8ToWide(why);
    return false;
  }
  return true;
}

}  // namespace pelvarhost::civil
