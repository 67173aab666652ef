#include "civilcommands.h"

#include <string>

#include "aced.h"
#include "civilapi.h"
#include "civilcontents.h"
#include "dbapserv.h"
#include "dxfout.h"
#include "hostcmdline.h"
#include "landxml.h"

namespace pelvarhost {
namespace {

namespace c3d = Autodesk::Civil;

// The working database, or null after a message.
AcDbDatabase* DrawingOrMessage() {
  AcDbDatabase* database = acdbHostApplicationServices()->workingDatabase();
  if (database == nullptr) acutPrintf(L"\nNo drawing is open.");
  return database;
}

// The active civil document, or nothing after a message.
std::optional<c3d::ApplicationServices::CivilDocument> CivilDocumentOrMessage() {
  if (!HostHasCivil()) {
    acutPrintf(L"\nCivil 3D is not available.");
    return std::nullopt;
  }
  if (DrawingOrMessage() == nullptr) return std::nullopt;
  return c3d::ApplicationServices::CivilApplication::ActiveDocument();
}

std::wstring AskNewFile(const ACHAR* title, const ACHAR* ext) {
  resbuf* rb = acutNewRb(RTSTR);
  std::wstring path;
  if (acedGetFileD(title, L"", ext, 1, rb) == RTNORM && rb->resval.rstring != nullptr) path = rb->resval.rstring;
  acutRelRb(rb);
  return path;
}

std::wstring CodeText(const System::String& code) {
  return code && !code->empty() ? *code : std::wstring(L"(none)");
}

void ListContents(const civil::CivilContents& contents) {
  acutPrintf(L"\nCoordinate system: %ls", CodeText(contents.coordinateSystemCode).c_str());
  acutPrintf(L"\nSurfaces: %zu", contents.surfaces.size());
  for (const civil::SurfaceRecord& s : contents.surfaces)
    acutPrintf(L"\n  \"%ls\" (%ls): %zu points, %zu triangles", s.name.c_str(), s.description.c_str(),
               s.vertices.size(), s.faces.size());
  acutPrintf(L"\nCOGO points: %zu", contents.points.size());
  for (const civil::CogoPointRecord& p : contents.points)
    acutPrintf(L"\n  %u: %.4f, %.4f, %.4f \"%ls\"", p.number, p.location.x, p.location.y, p.location.z,
               p.rawDescription.c_str());
  acutPrintf(L"\nFeature lines: %zu", contents.featureLines.size());
  for (const civil::FeatureLineRecord& f : contents.featureLines)
    acutPrintf(L"\n  \"%ls\": %zu vertices", f.name.c_str(), f.points.size());
}

void CmdCivilList() {
  auto document = CivilDocumentOrMessage();
  if (!document) return;
  ListContents(civil::ReadCivilContents(document->UnmanagedDatabase()));
}

void CmdCivilCs() {
  auto document = CivilDocumentOrMessage();
  if (!document) return;
  auto zone = document->Settings().DrawingSettings().UnitZoneSettings();
  std::wstring prompt = L"\nCoordinate system code <" + CodeText(zone.CoordinateSystemCode()) + L">: ";
  ACHAR answer[256] = {};
  if (acedGetString(1, prompt.c_str(), answer) != RTNORM || answer[0] == L'\0') return;
  try {
    zone.CoordinateSystemCode(std::wstring(answer));
    acutPrintf(L"\nCoordinate system code set to \"%ls\".", answer);
  } catch (const System::Exception& e) {
    acutPrintf(L"\nCIVILCS failed: %ls", e.Message().c_str());
  }
}

void CmdLandXmlOut() {
  auto document = CivilDocumentOrMessage();
  if (!document) return;
  std::wstring path = AskNewFile(L"LandXML file", L"xml");
  if (path.empty()) return;
  civil::CivilContents contents = civil::ReadCivilContents(document->UnmanagedDatabase());
  std::wstring error;
  if (!civil::WriteLandXml(contents, path, error)) {
    acutPrintf(L"\nLANDXMLOUT failed: %ls", error.c_str());
    return;
  }
  acutPrintf(L"\nLandXML written to %ls: %zu surfaces, %zu points, %zu feature lines.", path.c_str(),
             contents.surfaces.size(), contents.points.size(), contents.featureLines.size());
}

void CmdDxfOut() {
  AcDbDatabase* database = DrawingOrMessage();
  if (database == nullptr) return;
  std::wstring path = AskNewFile(L"DXF file", L"dxf");
  if (path.empty()) return;
  civil::DxfExportCounts counts;
  std::wstring error;
  if (!civil::WriteDxf(database, path, counts, error)) {
    acutPrintf(L"\nDXFOUT failed: %ls", error.c_str());
    return;
  }
  acutPrintf(L"\nDXF written to %ls: %zu layers, %zu entities, %zu skipped.", path.c_str(), counts.layers,
             counts.entities, counts.skipped);
}

struct CivilCommand {
  const wchar_t* name;
  AcRxFunctionPtr function;
};

constexpr CivilCommand kCivilCommands[] = {
    {L"CIVILLIST", CmdCivilList},
    {L"CIVILCS", CmdCivilCs},
    {L"LANDXMLOUT", CmdLandXmlOut},
    {L"DXFOUT", CmdDxfOut},
};

}  // namespace

void RegisterCivilCommands() {
  for (const CivilCommand& c : kCivilCommands)
    acedRegCmds->addCommand(kCivilCommandGroup, c.name, c.name, ACRX_CMD_MODAL, c.function);
}

void RemoveCivilCommands() { acedRegCmds->removeGroup(kCivilCommandGroup); }

}  // namespace pelvarhost
