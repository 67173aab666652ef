// A drawing with cloud entities for the classification tests: sample clouds written by the
// generator (with a share of points relabelled unclassified, so every height band occurs),
// crafted clouds with exact coordinates, and an independent override oracle.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "analysis/TerrainQueries.h"
#include "cloudfile/CloudReader.h"
#include "dbapserv.h"
#include "dbmain.h"
#include "entity/OpenedObject.h"
#include "entity/Pelvar.h"
#include "entity/PelvarClass.h"
#include "hostinput.h"
#include "tests/module/cloudfile/CraftedCloud.h"
#include "tests/support/AppendEntity.h"
#include "tests/support/TempFolder.h"
#include "tools/samplegen/SampleCloud.h"
#include "wideutf8.h"

namespace classifytest {

namespace fs = std::filesystem;

// A generated tile of `points` points in which every `unclassifiedEvery`-th point is
// relabelled unclassified (0: none), written to `path`.
inline void WriteRelabelledSample(const fs::path& path, uint32_t points, uint64_t seed, uint32_t unclassifiedEvery) {
  SampleCloudRequest request;
  request.pointCount = points;
  request.seed = seed;
  SampleCloud cloud = GenerateSampleCloud(request);
  if (unclassifiedEvery != 0)
    for (size_t i = 0; i < cloud.cls.size(); i += unclassifiedEvery) cloud.cls[i] = 1;
  std::string error;
  ASSERT_TRUE(WriteBytesToFile(path.string(), BuildSampleKmq2(request, cloud), &error)) << error;
}

inline std::wstring Wide(const fs::path& path) { return pelvarhost::Utf8ToWide(path.string()); }

// The literal rule, point by point with this test's own decoding: every edit in order
// (edges inclusive, later edits win), then with `autoClassify` the still-unset unclassified
// points by their height above the ground grid.
inline std::vector<uint8_t> OracleOverrides(const KmqData& d, const std::vector<ReclassEdit>& edits,
                                            bool autoClassify) {
  std::vector<uint8_t> out(d.points.size(), 255);
  auto decode = [](uint16_t q, float size, double origin) { return q / 65535.0 * size + origin; };
  for (const ReclassEdit& e : edits) {
    for (size_t i = 0; i < d.points.size(); ++i) {
      double x = decode(d.points[i].qx, d.sizeX, d.originX);
      if (x < e.minX || x > e.maxX) continue;
      double y = decode(d.points[i].qy, d.sizeY, d.originY);
      if (y >= e.minY && y <= e.maxY) out[i] = static_cast<uint8_t>(e.cls);
    }
  }
  if (!autoClassify) return out;
  for (size_t i = 0; i < d.points.size(); ++i) {
    const KmqPoint& p = d.points[i];
    double ground = 0;
    if (out[i] != 255 || p.cls != 1) continue;
    if (!GroundAtLocal(d, decode(p.qx, d.sizeX, d.originX), decode(p.qy, d.sizeY, d.originY), ground)) continue;
    double h = decode(p.qz, d.sizeZ, d.originZ) - ground;
    out[i] = h < -3 ? 7 : h < 6.5 ? 3 : h < 16 ? 4 : 5;
  }
  return out;
}

// A drawing set as the working database, and a folder for its cloud files.
class DrawingTest : public testing::Test {
 protected:
  static void SetUpTestSuite() { RegisterPelvarClass(); }
  static void TearDownTestSuite() { UnregisterPelvarClass(); }
  void SetUp() override {
    acdbHostApplicationServices()->setWorkingDatabase(&db_);
    pelvarhost::ResetInput();
    ClearCloudCache();
  }
  void TearDown() override {
    acdbHostApplicationServices()->setWorkingDatabase(nullptr);
    pelvarhost::ResetInput();
    ClearCloudCache();
  }

  AcDbObjectId AddCloud(const fs::path& file, const AcGeMatrix3d& transform = AcGeMatrix3d::kIdentity) {
    auto* cloud = new Pelvar();
    cloud->setCloudPath(Wide(file));
    cloud->setTransform(transform);
    return pelvartest::AppendToModelSpace(db_, cloud);
  }

  OpenedObject<Pelvar> Open(AcDbObjectId id, AcDb::OpenMode mode = AcDb::kForWrite) {
    Pelvar* cloud = nullptr;
    EXPECT_EQ(acdbOpenObject(cloud, id, mode), Acad::eOk);
    return OpenedObject<Pelvar>(cloud);
  }

  // The cloud's override bytes as its accessor gives them; empty when it has none.
  std::vector<uint8_t> OverridesOf(AcDbObjectId id) {
    OpenedObject<Pelvar> cloud = Open(id, AcDb::kForRead);
    ClassOverridesPtr overrides = cloud->ClassOverrides();
    return overrides ? *overrides : std::vector<uint8_t>{};
  }

  fs::path File(const std::string& name) const { return folder_.path() / name; }

  AcDbDatabase db_;
  pelvartest::TempFolder folder_{"classify"};
};

}  // namespace classifytest
