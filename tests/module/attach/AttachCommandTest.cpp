// PELVARATTACH in-process: the prompt's default, the summary and reminder, the zoom, the
// default class mask from the registry, one disk read per file, and refused files.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "app/AttachCommand.h"
#include "entity/ColourTables.h"
#include "hostgraphics.h"
#include "tests/module/attach/AttachFixture.h"
#include "tests/module/cloudfile/CraftedCloud.h"
#include "tests/module/display/RecordingDraw.h"
#include "wideutf8.h"

namespace attachtest {

std::string AttachTest::RunAttach(const std::wstring& answers) {
  pelvarhost::AddInputSource(pelvarhost::MakeTextInput(answers));
  std::string text;
  {
    pelvarhost::OutputCapture capture;
    PelvarAttachCommand();
    text = capture.Text();
  }
  // Whether the host starts the first line with a break, and ends a cancelled prompt's
  // line, depends on what was printed before: compare from the first prompt on.
  if (!text.empty() && text.front() != '\n') text.insert(0, "\n");
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}

namespace {

using recording::DrawCall;

constexpr const char* kSampleSummary =
    "\nGA West sample: 2000 pts, square R=1000 ft @ (2230000.00, 1370000.00) EPSG:2240."
    "\nAttached. Set the drawing coordinate system to EPSG:2240 before trusting positions.";

TEST_F(AttachTest, PrintsThePromptWithTheDownloadsFolderTheSummaryAndTheReminder) {
  WriteSample("sample.kmt");
  std::string out = RunAttach(L"sample.kmt\n");
  std::string prompt = "\nSelect Mardel cloud <" + downloads_.string() + "/>: sample.kmt";
  EXPECT_EQ(out, prompt + kSampleSummary);
  ASSERT_EQ(CloudIds().size(), 1u);
  EXPECT_EQ(PanelCalls().show, 1);
}

TEST_F(AttachTest, AVisiblePanelIsShownAndRefreshedAfterTheAttach) {
  WriteSample("sample.kmt");
  SetPanelVisibleForTest(true);
  RunAttach(L"sample.kmt\n");
  ASSERT_EQ(CloudIds().size(), 1u);
  EXPECT_EQ(PanelCalls().show, 1);
  EXPECT_EQ(PanelCalls().refresh, 1);
  // A file the reader refuses touches the panel not at all.
  fs::path refused = downloads_ / "refused.kmt";
  std::ofstream(refused, std::ios::binary) << "KMQ9";
  ResetPanelCalls();
  SetPanelVisibleForTest(true);
  EXPECT_EQ(RunAttach(L"refused.kmt\n"), "\nSelect Mardel cloud <" + downloads_.string() +
                                               "/>: refused.kmt\nCloud load failed: truncated header");
  EXPECT_EQ(PanelCalls().show + PanelCalls().refresh + PanelCalls().hide, 0);
  ResetPanelCalls();
}

TEST_F(AttachTest, TheNewCloudNamesTheFileWithDefaultsAndTheIdentityTransform) {
  fs::path file = WriteSample("sample.kmt");
  RunAttach(L"sample.kmt\n");
  std::vector<AcDbObjectId> ids = CloudIds();
  ASSERT_EQ(ids.size(), 1u);
  Pelvar* cloud = nullptr;
  ASSERT_EQ(acdbOpenObject(cloud, ids[0], AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(cloud->cloudPath(), pelvarhost::Utf8ToWide(file.string()));
  EXPECT_TRUE(cloud->transform().isEqualTo(AcGeMatrix3d::kIdentity));
  EXPECT_EQ(cloud->classMask(), 0xFFFFFFC5u);
  EXPECT_EQ(cloud->colorMode(), 0);
  EXPECT_EQ(cloud->density(), 100);
  EXPECT_EQ(std::wstring(cloud->layer()), L"0");
  cloud->close();
}

TEST_F(AttachTest, ZoomsToTheSquareWidenedByThreePercent) {
  WriteSample("sample.kmt");
  RunAttach(L"sample.kmt\n");
  KmqDataPtr data = LoadCloudFile(pelvarhost::Utf8ToWide((downloads_ / "sample.kmt").string()));
  ASSERT_TRUE(data);
  // The window: origin - 3 % to origin + 103 % of the size on each axis. ZOOM fits it to a
  // 4:3 view, so the taller of height and width / (4/3) is the view height.
  double width = 1.06 * data->sizeX, height = 1.06 * data->sizeY;
  const pelvarhost::ViewRecord& view = db_.viewRecord();
  EXPECT_NEAR(view.centerX, data->originX + 0.5 * data->sizeX, 1e-6);
  EXPECT_NEAR(view.centerY, data->originY + 0.5 * data->sizeY, 1e-6);
  EXPECT_NEAR(view.height, std::max(height, width / (4.0 / 3.0)), 1e-6);
}

TEST_F(AttachTest, RegeneratesOnceAfterTheZoom) {
  WriteSample("sample.kmt");
  // What the view looked like at each regeneration.
  std::vector<double> heightsAtRegen;
  pelvarhost::SetDisplayListener([&](pelvarhost::DisplayEvent event) {
    if (event == pelvarhost::DisplayEvent::Regen) heightsAtRegen.push_back(db_.viewRecord().height);
  });
  RunAttach(L"sample.kmt\n");
  pelvarhost::SetDisplayListener(nullptr);
  KmqDataPtr data = LoadCloudFile(pelvarhost::Utf8ToWide((downloads_ / "sample.kmt").string()));
  ASSERT_TRUE(data);
  ASSERT_EQ(heightsAtRegen.size(), 1u);
  EXPECT_NEAR(heightsAtRegen[0], std::max(1.06 * data->sizeY, 1.06 * data->sizeX / (4.0 / 3.0)), 1e-6);
}

TEST_F(AttachTest, TheDialogAddsTheCloudExtensionAndWantsAnExistingFile) {
  WriteSample("sample.kmt");
  std::string out = RunAttach(L"missing\nsample\n");
  const std::string prompt = "\nSelect Mardel cloud <" + downloads_.string() + "/>: ";
  EXPECT_EQ(out, prompt + "missing\nFile not found: " + downloads_.string() + "/missing.kmt" + prompt + "sample" +
                     kSampleSummary);
  EXPECT_EQ(CloudIds().size(), 1u);
}

TEST_F(AttachTest, AStoredDefaultMaskOfFourShowsGroundOnly) {
  DWORD four = 4;
  StoreSetting(L"DefaultClassMask", REG_DWORD, &four, sizeof four);
  WriteSample("sample.kmt", 20000);
  RunAttach(L"sample.kmt\n");
  std::vector<AcDbObjectId> ids = CloudIds();
  ASSERT_EQ(ids.size(), 1u);
  EXPECT_EQ(MaskOf(ids[0]), 4u);
  Pelvar* cloud = nullptr;
  ASSERT_EQ(acdbOpenObject(cloud, ids[0], AcDb::kForRead), Acad::eOk);
  recording::Draw draw(1.0);
  cloud->viewportDraw(draw.viewport());
  cloud->close();
  ASSERT_GT(draw.log.PointsDrawn(), 0u);
  // Ground is palette row 1: buckets 4 to 7 and nothing else.
  for (const DrawCall& call : draw.log.calls) {
    bool groundShade = false;
    for (int b = 4; b <= 7; ++b) {
      PaletteColour c = BucketColour(b);
      groundShade = groundShade || (call.colour.red() == c.red && call.colour.green() == c.green &&
                                    call.colour.blue() == c.blue);
    }
    EXPECT_TRUE(groundShade);
  }
}

TEST_F(AttachTest, ADefaultMaskOfAnotherTypeOrSizeIsIgnored) {
  WriteSample("sample.kmt");
  const wchar_t text[] = L"4";
  StoreSetting(L"DefaultClassMask", REG_SZ, text, sizeof text);
  RunAttach(L"sample.kmt\n");
  uint64_t wide = 4;
  StoreSetting(L"DefaultClassMask", REG_QWORD, &wide, sizeof wide);
  RunAttach(L"sample.kmt\n");
  StoreSetting(L"DefaultClassMask", REG_DWORD, &wide, sizeof wide);  // a DWORD of 8 bytes
  RunAttach(L"sample.kmt\n");
  std::vector<AcDbObjectId> ids = CloudIds();
  ASSERT_EQ(ids.size(), 3u);
  for (AcDbObjectId id : ids) EXPECT_EQ(MaskOf(id), 0xFFFFFFC5u);
}

TEST_F(AttachTest, AttachingTheSameFileTwiceReadsItOnce) {
  fs::path file = WriteSample("sample.kmt");
  RunAttach(L"sample.kmt\n");
  // Spoil the file on disk: a second read would fail.
  std::ofstream(file, std::ios::binary | std::ios::trunc) << "KMT1 spoiled";
  std::string out = RunAttach(L"sample.kmt\n");
  EXPECT_NE(out.find(kSampleSummary), std::string::npos) << out;
  std::vector<AcDbObjectId> ids = CloudIds();
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(CloudCacheSize(), 1u);
  Pelvar *first = nullptr, *second = nullptr;
  ASSERT_EQ(acdbOpenObject(first, ids[0], AcDb::kForRead), Acad::eOk);
  ASSERT_EQ(acdbOpenObject(second, ids[1], AcDb::kForRead), Acad::eOk);
  EXPECT_EQ(first->CloudData().get(), second->CloudData().get());
  first->close();
  second->close();
}

TEST_F(AttachTest, ATileNameOfSixteenCharactersPrintsInFull) {
  WriteSample("long.kmt", 2000, "ABCDEFGHIJKLMNOPQRST");
  std::string out = RunAttach(L"long.kmt\n");
  EXPECT_NE(out.find("\nABCDEFGHIJKLMNOP: 2000 pts"), std::string::npos) << out;
}

TEST_F(AttachTest, CancellingTheFilePromptPrintsNothingMoreAndAddsNothing) {
  std::string out = RunAttach(L"^C\n");
  EXPECT_EQ(out, "\nSelect Mardel cloud <" + downloads_.string() + "/>: *Cancel*");
  EXPECT_TRUE(CloudIds().empty());
  EXPECT_EQ(PanelCalls().show, 0);
}

// Each refused file: the reader's own message inside the command's frame, nothing added.
class RefusedFile : public AttachTest, public testing::WithParamInterface<std::string> {};

TEST_P(RefusedFile, PrintsTheReadersMessageAndAddsNothing) {
  crafted::Cloud cloud;
  cloud.points = crafted::NumberedPoints(10);
  std::vector<uint8_t> bytes = cloud.Bytes();
  const std::string kind = GetParam();
  if (kind == "web tile") std::memcpy(bytes.data(), "KMT1", 4);
  if (kind == "bad magic") std::memcpy(bytes.data(), "ABCD", 4);
  if (kind == "truncated header") bytes.resize(60);
  if (kind == "truncated points") bytes.resize(bytes.size() - 3);
  if (kind == "empty") bytes.clear();
  fs::path file = downloads_ / "refused.kmt";
  std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::streamsize>(bytes.size()));
  // The message the reader gives for this file, asked directly.
  std::wstring message;
  ASSERT_FALSE(LoadCloudFile(pelvarhost::Utf8ToWide(file.string()), &message));
  ASSERT_FALSE(message.empty());

  std::string out = RunAttach(L"refused.kmt\n");
  EXPECT_EQ(out, "\nSelect Mardel cloud <" + downloads_.string() + "/>: refused.kmt\nCloud load failed: " +
                     pelvarhost::WideToUtf8(message));
  EXPECT_TRUE(CloudIds().empty());
  EXPECT_EQ(PanelCalls().show, 0);
}

INSTANTIATE_TEST_SUITE_P(ReaderFailures, RefusedFile,
                         testing::Values("web tile", "bad magic", "truncated header", "truncated points", "empty"));

TEST_F(AttachTest, TheWebTileMessageIsTheReadersWording) {
  crafted::Cloud cloud;
  cloud.magic = "KMT1";
  cloud.points = crafted::NumberedPoints(4);
  std::vector<uint8_t> bytes = cloud.Bytes();
  std::ofstream(downloads_ / "web.kmt", std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  std::string out = RunAttach(L"web.kmt\n");
  EXPECT_NE(out.find("\nCloud load failed: this .kmt is a web tile without the plugin payload - re-export the "
                     "square from the viewer"),
            std::string::npos)
      << out;
}

}  // namespace
}  // namespace attachtest
