// The document reactor: a cloud in model space shows the panel when its drawing becomes
// active; clouds in paper space, in blocks or erased do not count.
#include <gtest/gtest.h>

#include "acdocman.h"
#include "app/DocReactor.h"
#include "dbents.h"
#include "tests/module/attach/AttachFixture.h"
#include "tests/support/AppendEntity.h"

namespace attachtest {
namespace {

enum class Place { ModelSpace, PaperSpace, Block, ErasedInModelSpace, Nowhere };

// A document whose drawing holds a line in model space and, at the given place, a cloud.
std::unique_ptr<AcApDocument> DocumentWithCloud(Place place) {
  auto db = std::make_unique<AcDbDatabase>();
  pelvartest::AppendEntity(db->modelSpaceId(), new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0)));
  AcDbObjectId spaceId;
  switch (place) {
    case Place::ModelSpace:
    case Place::ErasedInModelSpace: spaceId = db->modelSpaceId(); break;
    case Place::PaperSpace: spaceId = db->paperSpaceId(); break;
    case Place::Block: {
      AcDbBlockTable* table = nullptr;
      EXPECT_EQ(db->getBlockTable(table, AcDb::kForWrite), Acad::eOk);
      auto* block = new AcDbBlockTableRecord();
      block->setName(L"CLOUDS");
      EXPECT_EQ(table->add(spaceId, block), Acad::eOk);
      block->close();
      table->close();
      break;
    }
    case Place::Nowhere: break;
  }
  if (!spaceId.isNull()) {
    auto* cloud = new Pelvar();
    AcDbBlockTableRecord* space = nullptr;
    EXPECT_EQ(acdbOpenObject(space, spaceId, AcDb::kForWrite), Acad::eOk);
    EXPECT_EQ(space->appendAcDbEntity(cloud), Acad::eOk);
    space->close();
    if (place == Place::ErasedInModelSpace) {
      EXPECT_EQ(cloud->erase(), Acad::eOk);
    }
    cloud->close();
  }
  return std::make_unique<AcApDocument>(std::move(db), L"Drawing1.pvd", true);
}

class DocReactorTest : public testing::TestWithParam<std::pair<Place, int>> {
 protected:
  void SetUp() override { ResetPanelCalls(); }
};

TEST_P(DocReactorTest, ActivationShowsThePanelOnlyForACloudInModelSpace) {
  auto [place, shows] = GetParam();
  std::unique_ptr<AcApDocument> document = DocumentWithCloud(place);
  PelvarDocReactor().documentActivated(document.get());
  EXPECT_EQ(PanelCalls().show, shows);
  EXPECT_EQ(PanelCalls().refresh, 0);  // the stand-in panel is never visible
  EXPECT_EQ(pelvarhost::OpenStateErrorCount(), 0);
}

INSTANTIATE_TEST_SUITE_P(Places, DocReactorTest,
                         testing::Values(std::pair{Place::ModelSpace, 1}, std::pair{Place::PaperSpace, 0},
                                         std::pair{Place::Block, 0}, std::pair{Place::ErasedInModelSpace, 0},
                                         std::pair{Place::Nowhere, 0}));

TEST(DocReactor, ANullDocumentAndClosingADrawingLeaveAHiddenPanelAlone) {
  ResetPanelCalls();
  PelvarDocReactor().documentActivated(nullptr);
  std::unique_ptr<AcApDocument> document = DocumentWithCloud(Place::ModelSpace);
  PelvarDocReactor().documentToBeDestroyed(document.get());
  EXPECT_EQ(PanelCalls().show, 0);
  EXPECT_EQ(PanelCalls().hide, 0);
}

TEST(DocReactor, ClosingADrawingHidesAVisiblePanel) {
  ResetPanelCalls();
  SetPanelVisibleForTest(true);
  std::unique_ptr<AcApDocument> document = DocumentWithCloud(Place::Nowhere);
  PelvarDocReactor().documentToBeDestroyed(document.get());
  EXPECT_EQ(PanelCalls().hide, 1);
  EXPECT_FALSE(IsPanelVisible());
  // Hidden now, a second close leaves it alone.
  PelvarDocReactor().documentToBeDestroyed(document.get());
  EXPECT_EQ(PanelCalls().hide, 1);
  EXPECT_EQ(PanelCalls().show + PanelCalls().refresh, 0);
}

TEST(DocReactor, ActivationRefreshesAVisiblePanelWithOrWithoutClouds) {
  for (auto [place, shows] : {std::pair{Place::ModelSpace, 1}, std::pair{Place::PaperSpace, 0}}) {
    ResetPanelCalls();
    SetPanelVisibleForTest(true);
    std::unique_ptr<AcApDocument> document = DocumentWithCloud(place);
    PelvarDocReactor().documentActivated(document.get());
    EXPECT_EQ(PanelCalls().show, shows);
    EXPECT_EQ(PanelCalls().refresh, 1);
    EXPECT_EQ(PanelCalls().hide, 0);
  }
  // A null document still refreshes the visible panel, and shows nothing.
  ResetPanelCalls();
  SetPanelVisibleForTest(true);
  PelvarDocReactor().documentActivated(nullptr);
  EXPECT_EQ(PanelCalls().show, 0);
  EXPECT_EQ(PanelCalls().refresh, 1);
  ResetPanelCalls();
}

TEST(DocReactor, OpeningADrawingWithACloudThroughTheDocumentManagerShowsThePanel) {
  ResetPanelCalls();
  acDocManager->addReactor(&PelvarDocReactor());
  auto db = std::make_unique<AcDbDatabase>();
  {
    // The same content in a database the document manager takes over.
    auto* cloud = new Pelvar();
    AcDbBlockTableRecord* space = nullptr;
    ASSERT_EQ(acdbOpenObject(space, db->modelSpaceId(), AcDb::kForWrite), Acad::eOk);
    ASSERT_EQ(space->appendAcDbEntity(cloud), Acad::eOk);
    cloud->close();
    space->close();
  }
  AcApDocument* opened = acDocManager->addDocument(std::move(db), L"WithCloud.pvd", false);
  EXPECT_EQ(PanelCalls().show, 1);
  acDocManager->closeDocument(opened);
  acDocManager->removeReactor(&PelvarDocReactor());
  EXPECT_EQ(PanelCalls().show, 1);
}

}  // namespace
}  // namespace attachtest
