// Settling the drawing's zone: an attached cloud first, then the drawing's Civil 3D code,
// then a typed EPSG code. Driven in-process with scripted answers and a captured command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "civilapplication.h"
#include "cloudfile/CloudReader.h"
#include "dbapserv.h"
#include "dbsymtb.h"
#include "entity/Pelvar.h"
#include "entity/PelvarClass.h"
#include "geo/ResolveZone.h"
#include "hostcmdline.h"
#include "hostinput.h"
#include "acutads.h"
#include "hostoutput.h"
#include "tests/support/AppendEntity.h"
#include "tests/support/TempFolder.h"
#include "tools/samplegen/SampleCloud.h"
#include "wcrt.h"
#include "wideutf8.h"

namespace {


constexpr const wchar_t* kPromptLine = L"Command: ZONE";

// What the command line shows for the given output of the resolution.
std::string Transcript(const std::string& printed) { return "Command: ZONE" + printed + "\n"; }

class ResolveZoneTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterPelvarClass(); }
  static void TearDownTestSuite() { UnregisterPelvarClass(); }

  void SetUp() override {
    pelvarhost::SetHostHasCivil(true);
    acdbHostApplicationServices()->setWorkingDatabase(db_.get());
    pelvarhost::ResetInput();
    pelvarhost::FinishOutputLine();
  }
  void TearDown() override {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    db_.reset();
    ClearCloudCache();
    pelvarhost::ResetInput();
  }

  // Writes a small sample cloud of the given zone and attaches it to model space.
  void AttachCloud(uint32_t epsg, const std::string& name) {
    SampleCloudRequest request;
    request.pointCount = 2000;
    request.epsg = epsg;
    std::string path = (folder_ / name).string();
    ASSERT_TRUE(WriteSampleCloud(request, path, false));
    AttachPath(pelvarhost::Utf8ToWide(path));
  }

  void AttachPath(const std::wstring& path) {
    auto* cloud = new Pelvar();
    cloud->setCloudPath(path);
    pelvartest::AppendToModelSpace(*db_, cloud);
  }

  void SetDrawingCode(const std::wstring& code) {
    Autodesk::Civil::Settings::SettingsUnitZone(db_.get()).CoordinateSystemCode(code);
  }

  // Runs ResolveZone with the given answers and returns the zone's EPSG code (0 for none);
  // `printed` receives everything it wrote.
  uint32_t Resolve(const std::wstring& answers, std::string& printed) {
    pelvarhost::AddInputSource(pelvarhost::MakeTextInput(answers));
    pelvarhost::OutputCapture out;
    acutPrintf(L"%ls", kPromptLine);  // as if typed at the command prompt, so leading breaks show
    const StatePlaneZone* zone = ResolveZone();
    pelvarhost::FinishOutputLine();
    printed = out.Text();
    return zone != nullptr ? zone->epsg : 0;
  }

  pelvartest::TempFolder folder_{"zone"};
  std::unique_ptr<AcDbDatabase> db_ = std::make_unique<AcDbDatabase>();
};

TEST_F(ResolveZoneTest, TheFirstAttachedCloudWinsOverLaterCloudsAndTheDrawingCode) {
  AttachCloud(2240, "georgia.kmt");
  AttachCloud(3418, "iowa.kmt");
  SetDrawingCode(L"LA83-SF-MOD");
  std::string printed;
  EXPECT_EQ(Resolve(L"", printed), 2240u);
  EXPECT_EQ(printed, Transcript("\nZone from the attached cloud: NAD83 / Georgia West (ftUS) (EPSG:2240)."));
}

// Codes of later NAD83 realisations, other units and Alaska zone 1 resolve from a cloud and
// from the prompt, and the zone line names the code given; a drawing code still finds the
// zone that owns it, and one no zone owns still leads to the prompt.
TEST_F(ResolveZoneTest, EveryRealisationAndUnitResolvesUnderItsOwnCode) {
  struct Case {
    std::uint32_t cloud;
    const wchar_t* drawingCode;
    const wchar_t* typed;
    std::uint32_t expected;
    const char* printed;
  };
  const Case cases[] = {
      {6447, L"GA83-WF", L"", 6447,
       "\nZone from the attached cloud: NAD83(2011) / Georgia West (ftUS) (EPSG:6447)."},
      {26931, L"", L"", 26931, "\nZone from the attached cloud: NAD83 / Alaska zone 1 (EPSG:26931)."},
      {0, L"GA83-WF", L"", 2240, "\nZone from drawing settings GA83-WF: NAD83 / Georgia West (ftUS) (EPSG:2240)."},
      {0, L"AK83-1", L"6394\n", 6394, "\nNo zone in the drawing.\nState-plane EPSG code (e.g. 2240): 6394"},
      {0, L"", L"2881\n", 2881, "\nNo zone in the drawing.\nState-plane EPSG code (e.g. 2240): 2881"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.expected);
    TearDown();
    db_ = std::make_unique<AcDbDatabase>();
    SetUp();
    if (c.cloud != 0) AttachCloud(c.cloud, "cloud" + std::to_string(c.cloud) + ".kmt");
    SetDrawingCode(c.drawingCode);
    std::string printed;
    EXPECT_EQ(Resolve(c.typed, printed), c.expected);
    EXPECT_EQ(printed, Transcript(c.printed));
  }
}

TEST_F(ResolveZoneTest, CloudsThatFailToLoadOrNameAnUnknownZoneArePassedOverSilently) {
  AttachPath(L"/nonexistent/missing.kmt");
  AttachCloud(32617, "utm.kmt");  // a UTM code: not a state-plane zone
  SetDrawingCode(L"LA83-SF-MOD");
  std::string printed;
  EXPECT_EQ(Resolve(L"", printed), 3452u);
  EXPECT_EQ(printed, Transcript("\nZone from drawing settings LA83-SF-MOD: NAD83 / Louisiana South (ftUS) (EPSG:3452)."));
}

TEST_F(ResolveZoneTest, TheDrawingCodeComparesExactly) {
  SetDrawingCode(L"la83-sf-mod");
  std::string printed;
  EXPECT_EQ(Resolve(L"2240\n", printed), 2240u);
  EXPECT_EQ(printed, Transcript("\nNo zone in the drawing.\nState-plane EPSG code (e.g. 2240): 2240"));
}

TEST_F(ResolveZoneTest, TheDrawingCodeComparesAsAWholeString) {
  SetDrawingCode(std::wstring(L"LA83-SF-MOD\0X", 13));
  std::string printed;
  EXPECT_EQ(Resolve(L"\n", printed), 0u);
  EXPECT_EQ(printed, Transcript("\nNo zone in the drawing.\nState-plane EPSG code (e.g. 2240): "));
}

TEST_F(ResolveZoneTest, ACloudCodeBeyondSixteenBitsIsNotTakenForItsLowBits) {
  AttachCloud(65536u + 2240u, "wide.kmt");
  std::string printed;
  EXPECT_EQ(Resolve(L"\n", printed), 0u);
  EXPECT_EQ(printed, Transcript("\nNo zone in the drawing.\nState-plane EPSG code (e.g. 2240): "));
}

TEST_F(ResolveZoneTest, AtThePromptANumberBeyondTheShortRangeIsAskedAgain) {
  std::string printed;
  EXPECT_EQ(Resolve(L"67776\n2240\n", printed), 2240u);
  EXPECT_EQ(printed, Transcript("\nNo zone in the drawing.\nState-plane EPSG code (e.g. 2240): 67776"
                                "\nRequires an integer between -32768 and 32767."
                                "\nState-plane EPSG code (e.g. 2240): 2240"));
}

TEST_F(ResolveZoneTest, ANegativeOrZeroCodeIsRefusedWithItsNumber) {
  for (const char* typed : {"-2240", "0"}) {
    std::string printed;
    EXPECT_EQ(Resolve(pelvarhost::Utf8ToWide(std::string(typed) + "\n"), printed), 0u) << typed;
    EXPECT_EQ(printed, Transcript(std::string("\nNo zone in the drawing.\nState-plane EPSG code (e.g. 2240): ") +
                                  typed + "\nEPSG:" + typed + " is not in the zone table."));
  }
}

TEST_F(ResolveZoneTest, APromptedCodeOutsideTheTableIsRefusedWithItsNumber) {
  std::string printed;
  EXPECT_EQ(Resolve(L"4326\n", printed), 0u);
  EXPECT_EQ(printed, Transcript("\nNo zone in the drawing.\nState-plane EPSG code (e.g. 2240): 4326"
            "\nEPSG:4326 is not in the zone table."));
}

TEST_F(ResolveZoneTest, EscOrEnterAtThePromptGivesNoZoneAndNoFurtherOutput) {
  for (const wchar_t* answer : {L"^C\n", L"\n"}) {
    std::string printed;
    EXPECT_EQ(Resolve(answer, printed), 0u) << pelvarhost::WideToUtf8(answer);
    std::string echoed = answer[0] == L'^' ? "*Cancel*" : "";
    EXPECT_EQ(printed, Transcript("\nNo zone in the drawing.\nState-plane EPSG code (e.g. 2240): " + echoed));
  }
}

TEST_F(ResolveZoneTest, WithoutTheCivilModelTheDrawingCodeIsSkippedAndThePromptAsks) {
  pelvarhost::SetHostHasCivil(false);
  std::string printed;
  EXPECT_EQ(Resolve(L"3418\n", printed), 3418u);
  EXPECT_EQ(printed, Transcript("\nNo zone in the drawing.\nState-plane EPSG code (e.g. 2240): 3418"));
}

}  // namespace
