// Views over known clouds for the query tests, and an in-process drawing for the tests of
// the cloud lookup: a working database whose model space the test fills.
#pragma once
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "analysis/CloudView.h"
#include "cloudfile/CloudReader.h"
#include "dbapserv.h"
#include "dbdatabase.h"
#include "entity/Pelvar.h"
#include "tests/module/analysis/KnownTerrain.h"
#include "tests/module/cloudfile/CraftedCloud.h"
#include "tests/support/AppendEntity.h"

namespace viewtest {

// Writes the cloud into the test folder and returns the file's path.
inline std::wstring WriteCloud(const terrain::Cloud& cloud, const std::string& file) {
  return crafted::WriteTestFile(file, cloud.Bytes());
}

// A view as a command would take it from an entity with these settings.
inline CloudView ViewOf(const std::wstring& path, const AcGeMatrix3d& toWorld = AcGeMatrix3d::kIdentity,
                        uint32_t mask = Pelvar::kDefaultClassMask) {
  CloudView view;
  view.data = LoadCloudFile(path);
  EXPECT_NE(view.data, nullptr);
  view.toWorld = toWorld;
  view.toCloud = toWorld.inverse();
  view.classMask = mask;
  return view;
}

// File index of the point stored at cloud (x, y) (the writer reorders points by chunk).
inline size_t IndexAt(const KmqData& data, double x, double y) {
  for (size_t i = 0; i < data.pointCount; ++i)
    if (DecodeX(data, data.points[i]) == x && DecodeY(data, data.points[i]) == y) return i;
  ADD_FAILURE() << "no point at " << x << ", " << y;
  return 0;
}

// A working drawing for the duration of a test.
class DrawingTest : public testing::Test {
 protected:
  void SetUp() override {
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
    ClearCloudCache();
  }
  void TearDown() override {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    ClearCloudCache();
  }

  AcDbObjectId AddCloudEntity(const std::wstring& path, const AcGeMatrix3d& transform = AcGeMatrix3d::kIdentity) {
    auto* cloud = new Pelvar();
    cloud->setCloudPath(path);
    cloud->setTransform(transform);
    return pelvartest::AppendToModelSpace(db_, cloud);
  }

  AcDbDatabase db_;
};

}  // namespace viewtest
