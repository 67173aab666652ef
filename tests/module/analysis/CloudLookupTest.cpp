// Collecting the views of a drawing and choosing one cloud, in process with scripted answers.
#include <gtest/gtest.h>

#include "analysis/CloudChoice.h"
#include "analysis/CloudView.h"
#include "dbents.h"
#include "entity/OpenedObject.h"
#include "hostinput.h"
#include "hostoutput.h"
#include "tests/module/analysis/ViewFixture.h"

namespace {

using viewtest::WriteCloud;

class CloudLookup : public viewtest::DrawingTest {
 protected:
  void SetUp() override {
    DrawingTest::SetUp();
    pelvarhost::ResetInput();
  }
  void TearDown() override {
    pelvarhost::ResetInput();
    DrawingTest::TearDown();
  }

  // Runs the choice with the answers and returns the chosen entity's id (null when none)
  // and what was printed.
  template <typename Chooser>
  std::pair<AcDbObjectId, std::string> Choose(const std::wstring& answers, Chooser&& choose) {
    pelvarhost::AddInputSource(pelvarhost::MakeTextInput(answers));
    AcDbObjectId id;
    std::string text;
    {
      pelvarhost::OutputCapture capture;
      OpenedObject<Pelvar> chosen(choose());
      if (chosen) id = chosen->objectId();
      text = capture.Text();
    }
    // The host leaves out a line break at the start of a line: compare from the title on.
    if (text.empty() || text.front() != '\n') text.insert(0, "\n");
    if (text.back() == '\n') text.pop_back();
    return {id, text};
  }

  terrain::Cloud cloud_;
};

TEST_F(CloudLookup, ViewsFollowModelSpaceOrderCopyTheSettingsAndSkipMissingFiles) {
  std::wstring path = WriteCloud(cloud_, "a.kmt");
  AddCloudEntity(L"/no/such/file.kmt");
  AcDbObjectId first = AddCloudEntity(path, AcGeMatrix3d::translation(AcGeVector3d(5, 6, 7)));
  pelvartest::AppendToModelSpace(db_, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  AcDbObjectId second = AddCloudEntity(path);
  {
    Pelvar* entity = nullptr;
    ASSERT_EQ(acdbOpenObject(entity, second, AcDb::kForWrite), Acad::eOk);
    OpenedObject<Pelvar> guard(entity);
    entity->setClassMask(0x4u);
    entity->setElevationWindow(true, 101.5, 120.25);
  }
  CloudViews views = {CloudView{}};
  CollectCloudViews(views);
  ASSERT_EQ(views.size(), 2u);
  EXPECT_EQ(views[0].data, views[1].data);  // one cached image
  EXPECT_EQ(views[0].toWorld.translation(), AcGeVector3d(5, 6, 7));
  EXPECT_EQ(views[0].toCloud.translation(), AcGeVector3d(-5, -6, -7));
  EXPECT_EQ(views[0].classMask, Pelvar::kDefaultClassMask);
  EXPECT_FALSE(views[0].elevFilterOn);
  EXPECT_EQ(views[1].classMask, 0x4u);
  EXPECT_TRUE(views[1].elevFilterOn);
  EXPECT_EQ(views[1].elevMin, 101.5);
  EXPECT_EQ(views[1].elevMax, 120.25);
  EXPECT_EQ(views[0].classOverrides, nullptr);
  (void)first;
}

TEST_F(CloudLookup, ADrawingWhoseOnlyCloudIsMissingHasNoViews) {
  AddCloudEntity(L"/no/such/file.kmt");
  CloudViews views;
  CollectCloudViews(views);
  EXPECT_TRUE(views.empty());
}

TEST_F(CloudLookup, EnterOrEscAtTheSelectionTakeTheFirstCloud) {
  pelvartest::AppendToModelSpace(db_, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  AcDbObjectId first = AddCloudEntity(WriteCloud(cloud_, "a.kmt"));
  AddCloudEntity(WriteCloud(cloud_, "a.kmt"));
  for (const wchar_t* answer : {L"\n", L"^C\n"}) {
    auto [chosen, out] = Choose(answer, [] { return SelectCloud(AcDb::kForRead, L"Title here."); });
    EXPECT_EQ(chosen, first);
    EXPECT_EQ(out.rfind("\nTitle here.\nSelect cloud <Enter = first in drawing>: ", 0), 0u) << out;
  }
}

TEST_F(CloudLookup, PickingSomethingElseOrAnEmptyDrawingSaySo) {
  pelvartest::AppendToModelSpace(db_, new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(10, 0, 0)));
  auto [none, out] = Choose(L"\n", [] { return SelectCloud(AcDb::kForWrite, L"T"); });
  EXPECT_TRUE(none.isNull());
  EXPECT_EQ(out, "\nT\nSelect cloud <Enter = first in drawing>: \nNo PELVAR in this drawing.");

  auto [line, lineOut] = Choose(L"5,0\n", [] { return SelectCloud(AcDb::kForWrite, L"T"); });
  EXPECT_TRUE(line.isNull());
  EXPECT_EQ(lineOut, "\nT\nSelect cloud <Enter = first in drawing>: 5,0\nNot a PELVAR entity.");

  auto [picked, pickOut] = Choose(L"5,0\n", [] { return PickCloud(); });
  EXPECT_TRUE(picked.isNull());
  EXPECT_EQ(pickOut, "\nSelect Mardel cloud: 5,0\nNot a PELVAR entity.");

  auto [cancelled, cancelOut] = Choose(L"^C\n", [] { return PickCloud(); });
  EXPECT_TRUE(cancelled.isNull());
  EXPECT_EQ(cancelOut.find("Not a PELVAR"), std::string::npos);
}

TEST_F(CloudLookup, APickedCloudComesBackOpenInTheAskedMode) {
  AcDbObjectId id = AddCloudEntity(WriteCloud(cloud_, "a.kmt"));
  pelvarhost::AddInputSource(pelvarhost::MakeTextInput(L"1000,2000\n"));
  pelvarhost::OutputCapture capture;
  OpenedObject<Pelvar> picked(PickCloud());
  ASSERT_TRUE(picked);
  EXPECT_EQ(picked->objectId(), id);
  EXPECT_TRUE(picked->isWriteEnabled());
}

}  // namespace
