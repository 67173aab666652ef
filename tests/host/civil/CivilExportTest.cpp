// The civil commands through the host's command line: CIVILLIST, CIVILCS, LANDXMLOUT
// (read back with pugixml) and DXFOUT (read back with our own DXF reader); and civil
// objects saved with a drawing and read back.
#include <pugixml.hpp>

#include <algorithm>
#include <fstream>
#include <regex>
#include <sstream>

#include "CivilFixture.h"
#include "DxfReader.h"
#include "aeccdb.h"
#include "civilcommands.h"
#include "civilhooks.h"
#include "hostinput.h"
#include "hostoutput.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace acad = Autodesk::AutoCAD::DatabaseServices;
namespace c3d = Autodesk::Civil;
using Autodesk::AutoCAD::Geometry::Point3d;
using Autodesk::AutoCAD::Geometry::Point3dCollection;

namespace {

std::string Coordinates(double northing, double easting, double elevation) {
  std::ostringstream text;
  text << northing << " " << easting << " " << elevation;
  return text.str();
}

}  // namespace

class CivilCommands : public CivilFixture {
 protected:
  void SetUp() override {
    CivilFixture::SetUp();
    pelvarhost::RegisterCivilCommands();
  }
  void TearDown() override {
    pelvarhost::RemoveCivilCommands();
    pelvarhost::ResetInput();
    CivilFixture::TearDown();
  }

  // Runs a command with the given answers and returns what it printed.
  std::string Run(const wchar_t* command, const std::wstring& answers = L"") {
    pelvarhost::ResetInput();
    pelvarhost::AddInputSource(pelvarhost::MakeTextInput(answers));
    pelvarhost::FinishOutputLine();  // each run starts on an empty line
    pelvarhost::OutputCapture capture;
    pelvarhost::RunTypedCommand(command);
    return capture.Text();
  }

  // Two surfaces (a square of four points and a triangle), three COGO points and two
  // feature lines, plus host entities for DXF.
  void BuildDrawing() {
    AddSurface(L"EG", L"existing ground", {{0, 0, 10}, {100, 0, 11}, {100, 100, 12}, {0, 100, 13}});
    AddSurface(L"Pad", L"", {{10, 10, 1}, {20, 10, 2}, {10, 20, 3}});
    auto points = c3d::ApplicationServices::CivilApplication::ActiveDocument()->CogoPoints();
    points.Add(Point3d(1.5, 2.25, 3.125), L"TREE", true);
    points.Add(Point3d(-4, 5, 6), L"MH", true);
    points.Add(Point3d(7, 8, 9), L"", true);
    c3d::DatabaseServices::FeatureLine::Create(
        L"Crest", acad::ObjectId(Append3dPolyline({{0, 0, 1}, {5, 0, 2}, {5, 5, 3}})));
    c3d::DatabaseServices::FeatureLine::Create(L"Toe", acad::ObjectId(Append3dPolyline({{1, 1, 1}, {2, 2, 2}})));
  }

  void AddSurface(const std::wstring& name, const std::wstring& description, std::vector<Point3d> vertices) {
    auto tr = Db().TransactionManager().StartTransaction();
    auto id = c3d::DatabaseServices::TinSurface::Create(Db(), name);
    auto* surface = dynamic_cast<c3d::DatabaseServices::TinSurface*>(tr->GetObject(id, acad::OpenMode::ForWrite));
    surface->Description(description);
    Point3dCollection collection;
    for (const Point3d& p : vertices) collection.Add(p);
    surface->AddVertices(collection);
    tr->Commit();
  }
};

TEST_F(CivilCommands, CivilListShowsEveryObjectAndTheCode) {
  BuildDrawing();
  // The command line leaves out a line break at the start of an empty line.
  EXPECT_EQ(Run(L"CIVILLIST"),
            "Coordinate system: (none)"
            "\nSurfaces: 2"
            "\n  \"EG\" (existing ground): 4 points, 2 triangles"
            "\n  \"Pad\" (): 3 points, 1 triangles"
            "\nCOGO points: 3"
            "\n  1: 1.5000, 2.2500, 3.1250 \"TREE\""
            "\n  2: -4.0000, 5.0000, 6.0000 \"MH\""
            "\n  3: 7.0000, 8.0000, 9.0000 \"\""
            "\nFeature lines: 2"
            "\n  \"Crest\": 3 vertices"
            "\n  \"Toe\": 2 vertices");
}

TEST_F(CivilCommands, CivilCsSetsTheCodeAndEnterKeepsIt) {
  std::string first = Run(L"CIVILCS", L"NAD83-PA-S\n");
  EXPECT_NE(first.find("Coordinate system code <(none)>: "), std::string::npos);
  EXPECT_NE(first.find("\nCoordinate system code set to \"NAD83-PA-S\"."), std::string::npos);
  std::string second = Run(L"CIVILCS", L"\n");
  EXPECT_NE(second.find("Coordinate system code <NAD83-PA-S>: "), std::string::npos);
  EXPECT_EQ(second.find("set to"), std::string::npos);
  auto code = c3d::ApplicationServices::CivilApplication::ActiveDocument()
                  ->Settings().DrawingSettings().UnitZoneSettings().CoordinateSystemCode();
  EXPECT_EQ(code, System::String(L"NAD83-PA-S"));
}

TEST_F(CivilCommands, WithoutTheCivilModelTheCivilCommandsSaySo) {
  pelvarhost::SetHostHasCivil(false);
  for (const wchar_t* command : {L"CIVILLIST", L"CIVILCS", L"LANDXMLOUT"})
    EXPECT_EQ(Run(command, L"x\n"), "Civil 3D is not available.") << pelvarhost::WideToUtf8(command);
}

TEST_F(CivilCommands, LandXmlHoldsEverySurfacePointAndFeatureLine) {
  BuildDrawing();
  c3d::ApplicationServices::CivilApplication::ActiveDocument()->Settings().DrawingSettings().UnitZoneSettings()
      .CoordinateSystemCode(std::wstring(L"EPSG:2272"));
  std::filesystem::path path = TempPath("out.xml");
  std::string printed = Run(L"LANDXMLOUT", path.wstring() + L"\n");
  EXPECT_NE(printed.find("\nLandXML written to " + path.string() + ": 2 surfaces, 3 points, 2 feature lines."),
            std::string::npos)
      << printed;

  pugi::xml_document xml;
  ASSERT_TRUE(xml.load_file(path.c_str()));
  pugi::xml_node root = xml.child("LandXML");
  EXPECT_STREQ(root.attribute("version").value(), "1.2");
  EXPECT_STREQ(root.child("CoordinateSystem").attribute("name").value(), "EPSG:2272");

  std::vector<std::tuple<std::string, std::size_t, std::size_t>> surfaces;
  for (pugi::xml_node s : root.child("Surfaces").children("Surface")) {
    pugi::xml_node definition = s.child("Definition");
    EXPECT_STREQ(definition.attribute("surfType").value(), "TIN");
    std::size_t points = std::distance(definition.child("Pnts").children("P").begin(), definition.child("Pnts").children("P").end());
    std::size_t faces = 0;
    for (pugi::xml_node f : definition.child("Faces").children("F")) {
      std::istringstream ids(f.text().get());
      std::size_t a = 0, b = 0, c = 0;
      ids >> a >> b >> c;
      EXPECT_TRUE(a >= 1 && a <= points && b >= 1 && b <= points && c >= 1 && c <= points) << f.text().get();
      ++faces;
    }
    surfaces.emplace_back(s.attribute("name").value(), points, faces);
  }
  using Row = std::tuple<std::string, std::size_t, std::size_t>;
  EXPECT_EQ(surfaces, (std::vector<Row>{{"EG", 4, 2}, {"Pad", 3, 1}}));
  EXPECT_STREQ(root.child("Surfaces").child("Surface").child("Definition").child("Pnts").child("P").text().get(),
               Coordinates(0, 0, 10).c_str());

  std::vector<std::tuple<std::string, std::string, std::string>> cg;
  for (pugi::xml_node p : root.child("CgPoints").children("CgPoint"))
    cg.emplace_back(p.attribute("name").value(), p.attribute("desc").value(), p.text().get());
  using CgRow = std::tuple<std::string, std::string, std::string>;
  EXPECT_EQ(cg, (std::vector<CgRow>{{"1", "TREE", Coordinates(2.25, 1.5, 3.125)},
                                     {"2", "MH", Coordinates(5, -4, 6)},
                                     {"3", "", Coordinates(8, 7, 9)}}));

  std::vector<std::pair<std::string, std::size_t>> features;
  for (pugi::xml_node f : root.child("PlanFeatures").children("PlanFeature")) {
    pugi::xml_node geometry = f.child("CoordGeom");
    features.emplace_back(f.attribute("name").value(),
                          std::distance(geometry.children("Line").begin(), geometry.children("Line").end()));
  }
  EXPECT_EQ(features, (std::vector<std::pair<std::string, std::size_t>>{{"Crest", 2}, {"Toe", 1}}));
  pugi::xml_node secondLine = root.child("PlanFeatures").child("PlanFeature").child("CoordGeom").child("Line").next_sibling("Line");
  EXPECT_STREQ(secondLine.child("Start").text().get(), Coordinates(0, 5, 2).c_str());
  EXPECT_STREQ(secondLine.child("End").text().get(), Coordinates(5, 5, 3).c_str());
  std::filesystem::remove(path);
}

TEST_F(CivilCommands, DxfHoldsLayersHostEntitiesAndCivilObjects) {
  BuildDrawing();
  Append(new AcDbLine(AcGePoint3d(1, 2, 3), AcGePoint3d(4, 5, 6)));
  Append(new AcDbPoint(AcGePoint3d(7, 8, 9)));
  auto* lw = new AcDbPolyline();
  lw->addVertexAt(0, AcGePoint2d(0, 0));
  lw->addVertexAt(1, AcGePoint2d(3, 0));
  lw->addVertexAt(2, AcGePoint2d(3, 4));
  lw->setClosed(true);
  lw->setElevation(2.5);
  Append(lw);
  std::filesystem::path path = TempPath("out.dxf");
  std::string printed = Run(L"DXFOUT", path.wstring() + L"\n");
  // 2 + 1 TIN faces, 3 COGO points, 2 feature lines, and the 4 host entities left over
  // after the feature lines' own 3D polylines (still there: only the bridge erases them).
  EXPECT_NE(printed.find("\nDXF written to " + path.string() + ": 1 layers, 13 entities, 0 skipped."),
            std::string::npos)
      << printed;

  dxftest::Drawing dxf = dxftest::ReadDxf(path.string());
  EXPECT_TRUE(dxf.ended);
  EXPECT_EQ(dxf.version, "AC1009");
  ASSERT_EQ(dxf.layers.size(), 1u);
  EXPECT_EQ(dxf.layers[0].Text(2), "0");
  EXPECT_EQ(dxf.OfType("3DFACE").size(), 3u);
  EXPECT_EQ(dxf.OfType("POINT").size(), 4u);
  ASSERT_EQ(dxf.OfType("LINE").size(), 1u);
  const dxftest::Entity& line = *dxf.OfType("LINE")[0];
  EXPECT_EQ(line.Number(10), 1);
  EXPECT_EQ(line.Number(21), 5);
  EXPECT_EQ(line.Number(31), 6);
  std::vector<const dxftest::Entity*> polylines = dxf.OfType("POLYLINE");
  ASSERT_EQ(polylines.size(), 5u);  // 2 source 3D polylines, 2 feature lines, 1 polyline
  const dxftest::Entity& flat = *polylines.back();
  EXPECT_EQ(flat.Int(70), 1);
  EXPECT_EQ(flat.Number(30), 2.5);
  ASSERT_EQ(flat.vertices.size(), 3u);
  EXPECT_EQ(flat.vertices[2].Number(10), 3);
  EXPECT_EQ(flat.vertices[2].Number(20), 4);
  const dxftest::Entity& crest = *polylines[1];  // model-space order: source, its feature line, ...
  EXPECT_EQ(crest.Int(70), 8);
  ASSERT_EQ(crest.vertices.size(), 3u);
  EXPECT_EQ(crest.vertices[2].Number(30), 3);
  EXPECT_EQ(crest.vertices[2].Int(70), 32);
  std::filesystem::remove(path);
}

// A DXF value is one line of the code page: beyond ASCII as "\U+XXXX" escapes, control
// characters in CAD's caret form and a caret as "^ ", so no name can end the file early.
TEST_F(CivilCommands, DxfTextIsOneAsciiLineWhateverTheNameHolds) {
  const std::pair<std::wstring, std::string> cases[] = {
      {L"Talus \u00e9boul\u00e9 \u2013 nord", "Talus \\U+00E9boul\\U+00E9 \\U+2013 nord"},
      {L"a\n0\nEOF", "a^J0^JEOF"},
      {L"tab\there\r", "tab^Ihere^M"},
      {L"x^y", "x^ y"},
      {L"\U0001F30B lava", "\\U+D83C\\U+DF0B lava"},
  };
  AcDbLayerTable* table = nullptr;
  ASSERT_EQ(db->getLayerTable(table, AcDb::kForWrite), Acad::eOk);
  for (const auto& [name, escaped] : cases) {
    auto* layer = new AcDbLayerTableRecord();
    layer->setName(name.c_str());
    ASSERT_EQ(table->add(layer), Acad::eOk);
    layer->close();
  }
  table->close();
  for (const auto& [name, escaped] : cases) {
    auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
    line->setLayer(name.c_str());
    Append(line);
  }
  std::filesystem::path path = TempPath("escapes.dxf");
  Run(L"DXFOUT", path.wstring() + L"\n");

  std::ifstream in(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
  dxftest::Drawing dxf = dxftest::ReadDxf(path.string());
  EXPECT_TRUE(dxf.ended);
  const std::vector<const dxftest::Entity*> lines = dxf.OfType("LINE");
  ASSERT_EQ(dxf.layers.size(), std::size(cases) + 1);
  ASSERT_EQ(lines.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(dxf.layers[i + 1].Text(2), cases[i].second);
    EXPECT_EQ(lines[i]->Text(8), cases[i].second);
  }
  std::filesystem::remove(path);
}

// Characters XML cannot hold become U+FFFD in every name and description; the rest is kept.
TEST_F(CivilCommands, LandXmlStaysWellFormedWhateverTheNamesHold) {
  const std::pair<std::wstring, std::string> cases[] = {
      {L"TREE\x01", "TREE\xEF\xBF\xBD"},
      {L"\x1f\x0b<&>\"", "\xEF\xBF\xBD\xEF\xBF\xBD<&>\""},
      {L"a\uFFFEb", "a\xEF\xBF\xBD" "b"},
      {L"\u00e9t\u00e9 \U0001F30B\ttab", "\xC3\xA9t\xC3\xA9 \xF0\x9F\x8C\x8B\ttab"},
  };
  auto document = c3d::ApplicationServices::CivilApplication::ActiveDocument();
  for (const auto& [text, held] : cases) document->CogoPoints().Add(Point3d(1, 2, 3), text, true);
  AddSurface(cases[0].first, cases[1].first, {{0, 0, 10}, {100, 0, 11}, {100, 100, 12}});
  document->Settings().DrawingSettings().UnitZoneSettings().CoordinateSystemCode(cases[2].first);
  std::filesystem::path path = TempPath("hostile.xml");
  Run(L"LANDXMLOUT", path.wstring() + L"\n");

  pugi::xml_document xml;
  ASSERT_EQ(xml.load_file(path.c_str()).status, pugi::status_ok);
  pugi::xml_node root = xml.child("LandXML");
  std::vector<std::string> descriptions;
  for (pugi::xml_node point : root.child("CgPoints").children("CgPoint"))
    descriptions.push_back(point.attribute("desc").value());
  ASSERT_EQ(descriptions.size(), std::size(cases));
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(descriptions[i], cases[i].second);
  pugi::xml_node surface = root.child("Surfaces").child("Surface");
  EXPECT_EQ(std::string(surface.attribute("name").value()), cases[0].second);
  EXPECT_EQ(std::string(surface.attribute("desc").value()), cases[1].second);
  EXPECT_EQ(std::string(root.child("CoordinateSystem").attribute("name").value()), cases[2].second);
  std::filesystem::remove(path);
}

// LIST prints coordinates however large in full, with nothing cut short.
TEST_F(CivilCommands, HugeCoordinatesAreListedInFull) {
  Append(new AcDbPoint(AcGePoint3d(1e300, 0, 0)));
  Append(new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(-1e150, 0, -1e-300)));
  c3d::ApplicationServices::CivilApplication::ActiveDocument()->CogoPoints().Add(Point3d(0, -1e300, 1e300), L"", true);
  std::string listed;
  for (const AcDbObjectId& id : pelvarhost::civil::ModelSpaceIdsOf(db.get(), AcDbEntity::desc())) {
    AcDbEntity* entity = nullptr;
    ASSERT_EQ(acdbOpenAcDbEntity(entity, id, AcDb::kForRead), Acad::eOk);
    std::vector<std::wstring> lines;
    entity->list(lines);
    entity->close();
    for (const std::wstring& line : lines) listed += pelvarhost::WideToUtf8(line) + "\n";
  }
  for (const char* pattern : {"at point X=1\\d{300}\\.0000  Y=0\\.0000  Z=0\\.0000\n",
                              "to point, X=-\\d{150}\\.0000  Y=0\\.0000  Z=-0\\.0000\nLength = \\d{150}\\.0000\n",
                              "Point number: 1  at X=0\\.0000  Y=-1\\d{300}\\.0000  Z=1\\d{300}\\.0000\n"})
    EXPECT_TRUE(std::regex_search(listed, std::regex(pattern))) << pattern << "\n" << listed;
}

TEST_F(CivilCommands, CivilObjectsAndSettingsSurviveASavedDrawing) {
  BuildDrawing();
  c3d::ApplicationServices::CivilApplication::ActiveDocument()->Settings().DrawingSettings().UnitZoneSettings()
      .CoordinateSystemCode(std::wstring(L"NAD83-NJ"));
  std::string before = Run(L"CIVILLIST");
  std::filesystem::path path = TempPath("civil.pvd");
  ASSERT_EQ(db->saveAs(path.wstring().c_str()), Acad::eOk);
  auto reopened = std::make_unique<AcDbDatabase>(false);
  ASSERT_EQ(reopened->readDwgFile(path.wstring().c_str()), Acad::eOk);
  acdbHostApplicationServices()->setWorkingDatabase(reopened.get());
  EXPECT_EQ(Run(L"CIVILLIST"), before);
  // The next point number came back with the settings.
  c3d::ApplicationServices::CivilApplication::ActiveDocument()->CogoPoints().Add(Point3d(0, 0, 0), L"NEW", true);
  EXPECT_NE(Run(L"CIVILLIST").find("\n  4: 0.0000, 0.0000, 0.0000 \"NEW\""), std::string::npos);
  acdbHostApplicationServices()->setWorkingDatabase(db.get());
  std::filesystem::remove(path);
}
