#include "landxml.h"

#include <cstdint>
#include <ctime>
#include <sstream>

#include <pugixml.hpp>

#include "hostfiles.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace pelvarhost::civil {
namespace {

constexpr const char* kLandXmlNamespace = "http://www.landxml.org/schema/LandXML-1.2";

constexpr wchar_t kReplacementCharacter = 0xFFFD;

std::string Utf8(const std::wstring& text) { return WideToUtf8(text); }

// The characters an XML 1.0 document can hold.
bool IsXmlCharacter(wchar_t c) {
  const auto code = static_cast<std::uint32_t>(c);
  return code == 0x9 || code == 0xA || code == 0xD || (code >= 0x20 && code <= 0xD7FF) ||
         (code >= 0xE000 && code <= 0xFFFD) || (code >= 0x10000 && code <= 0x10FFFF);
}

// A name or description as XML text: what XML cannot hold (most control characters, lone
// surrogates, U+FFFE) becomes U+FFFD, so the document stays well-formed whatever it holds.
std::string XmlText(const std::wstring& text) {
  std::wstring held = text;
  for (wchar_t& c : held)
    if (!IsXmlCharacter(c)) c = kReplacementCharacter;
  return WideToUtf8(held);
}

// "northing easting elevation"
std::string PointText(const AcGePoint3d& p) {
  return FormatNumber(p.y) + " " + FormatNumber(p.x) + " " + FormatNumber(p.z);
}

void AddHeader(pugi::xml_node root, const CivilContents& contents) {
  root.append_attribute("xmlns") = kLandXmlNamespace;
  root.append_attribute("version") = "1.2";
  std::time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  char date[16], time[16];
  std::strftime(date, sizeof date, "%Y-%m-%d", &utc);
  std::strftime(time, sizeof time, "%H:%M:%S", &utc);
  root.append_attribute("date") = date;
  root.append_attribute("time") = time;
  pugi::xml_node imperial = root.append_child("Units").append_child("Imperial");
  imperial.append_attribute("areaUnit") = "squareFoot";
  imperial.append_attribute("linearUnit") = "USSurveyFoot";
  imperial.append_attribute("volumeUnit") = "cubicFeet";
  imperial.append_attribute("temperatureUnit") = "fahrenheit";
  imperial.append_attribute("pressureUnit") = "inHG";
  if (contents.coordinateSystemCode && !contents.coordinateSystemCode->empty())
    root.append_child("CoordinateSystem").append_attribute("name") = XmlText(*contents.coordinateSystemCode).c_str();
  pugi::xml_node application = root.append_child("Application");
  application.append_attribute("name") = "pelvar";
  application.append_attribute("manufacturer") = "Mardel Geomatics";
}

void AddCgPoints(pugi::xml_node root, const std::vector<CogoPointRecord>& points) {
  if (points.empty()) return;
  pugi::xml_node group = root.append_child("CgPoints");
  for (const CogoPointRecord& point : points) {
    pugi::xml_node node = group.append_child("CgPoint");
    node.append_attribute("name") = std::to_string(point.number).c_str();
    node.append_attribute("desc") = XmlText(point.rawDescription).c_str();
    node.text() = PointText(point.location).c_str();
  }
}

void AddSurface(pugi::xml_node surfaces, const SurfaceRecord& surface) {
  pugi::xml_node node = surfaces.append_child("Surface");
  node.append_attribute("name") = XmlText(surface.name).c_str();
  node.append_attribute("desc") = XmlText(surface.description).c_str();
  pugi::xml_node definition = node.append_child("Definition");
  definition.append_attribute("surfType") = "TIN";
  pugi::xml_node pnts = definition.append_child("Pnts");
  for (std::size_t i = 0; i < surface.vertices.size(); ++i) {
    pugi::xml_node p = pnts.append_child("P");
    p.append_attribute("id") = static_cast<unsigned long long>(i + 1);
    p.text() = PointText(surface.vertices[i]).c_str();
  }
  pugi::xml_node faces = definition.append_child("Faces");
  for (const TinFace& face : surface.faces) {
    std::string text = std::to_string(face[0] + 1) + " " + std::to_string(face[1] + 1) + " " + std::to_string(face[2] + 1);
    faces.append_child("F").text() = text.c_str();
  }
}

void AddPlanFeature(pugi::xml_node features, const FeatureLineRecord& line) {
  pugi::xml_node node = features.append_child("PlanFeature");
  node.append_attribute("name") = XmlText(line.name).c_str();
  pugi::xml_node geometry = node.append_child("CoordGeom");
  for (std::size_t i = 1; i < line.points.size(); ++i) {
    pugi::xml_node segment = geometry.append_child("Line");
    segment.append_child("Start").text() = PointText(line.points[i - 1]).c_str();
    segment.append_child("End").text() = PointText(line.points[i]).c_str();
  }
}

}  // namespace

bool WriteLandXml(const CivilContents& contents, const std::wstring& path, std::wstring& error) {
  pugi::xml_document document;
  pugi::xml_node declaration = document.append_child(pugi::node_declaration);
  declaration.append_attribute("version") = "1.0";
  declaration.append_attribute("encoding") = "UTF-8";
  pugi::xml_node root = document.append_child("LandXML");
  AddHeader(root, contents);
  AddCgPoints(root, contents.points);
  if (!contents.surfaces.empty()) {
    pugi::xml_node surfaces = root.append_child("Surfaces");
    for (const SurfaceRecord& surface : contents.surfaces) AddSurface(surfaces, surface);
  }
  if (!contents.featureLines.empty()) {
    pugi::xml_node features = root.append_child("PlanFeatures");
    for (const FeatureLineRecord& line : contents.featureLines) AddPlanFeature(features, line);
  }
  std::ostringstream text;
  document.save(text, "  ", pugi::format_default, pugi::encoding_utf8);
  const std::string bytes = text.str();
  std::string why;
  if (WriteWholeFile(Utf8(path), std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()), true,
                     why) != WriteOutcome::kDone) {
    error = Utf8ToWide(why);
    return false;
  }
  return true;
}

}  // namespace pelvarhost::civil
