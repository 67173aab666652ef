// Override classes of cloud entities: edits applied one at a time against the array built
// from scratch and a point-by-point oracle, the edge and order rules, the height bands of
// the automatic classification, clearing, and the array's life as a shared cache.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "classify/ClassOverrides.h"
#include "classify/ReclassEdits.h"
#include "hostoutput.h"
#include "tests/module/classify/ClassifyFixture.h"
#include "tests/module/classify/ExactCloud.h"

namespace classifytest {
namespace {

constexpr double kPi = 3.14159265358979323846;

// What the two ways give for one cloud after each step.
struct Comparison {
  std::vector<uint8_t> kept;     // the entity's array, kept up to date edit by edit
  std::vector<uint8_t> scratch;  // built from scratch over the stored edits and switch
  std::vector<uint8_t> oracle;   // the literal rule
  bool hasArray = false;
  bool expectsArray = false;
};

Comparison Compare(Pelvar& cloud) {
  Comparison c;
  KmqDataPtr data = cloud.CloudData();
  ClassOverridesPtr overrides = cloud.ClassOverrides();
  c.hasArray = overrides != nullptr;
  if (overrides) c.kept = *overrides;
  c.expectsArray = !cloud.reclassEdits().empty() || cloud.autoClassify();
  if (c.expectsArray) {
    ComputeClassOverrides(*data, cloud.reclassEdits(), cloud.autoClassify(), c.scratch);
    c.oracle = OracleOverrides(*data, cloud.reclassEdits(), cloud.autoClassify());
  }
  return c;
}

uint32_t OracleCount(const KmqData& d, const ReclassEdit& e) {
  std::vector<uint8_t> inside = OracleOverrides(d, {ReclassEdit{e.minX, e.minY, e.maxX, e.maxY, 0}}, false);
  uint32_t count = 0;
  for (size_t i = 0; i < inside.size(); ++i) count += inside[i] == 0 && d.points[i].cls != (e.cls & 0xFF);
  return count;
}

class OverrideArrayTest : public DrawingTest {};

// Many random rectangles over two clouds (one rotated and moved), with resets and the
// automatic classification switched on and off: the array kept edit by edit equals the
// array built from scratch byte for byte, and both equal the oracle.
TEST_F(OverrideArrayTest, EditsAppliedOneAtATimeGiveTheArrayBuiltFromScratch) {
  WriteRelabelledSample(File("a.kmt"), 20000, 5, 3);
  WriteRelabelledSample(File("b.kmt"), 12000, 6, 4);
  AcGeMatrix3d turned = AcGeMatrix3d::rotation(kPi / 6, AcGeVector3d::kZAxis, AcGePoint3d(2230000, 1370000, 0));
  turned.preMultBy(AcGeMatrix3d::translation(AcGeVector3d(300, -200, 0)));
  const AcDbObjectId ids[2] = {AddCloud(File("a.kmt")), AddCloud(File("b.kmt"), turned)};

  std::mt19937_64 random(20261207);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
  int resets = 0, switches = 0, edits = 0, classesOfNone = 0;
  for (int step = 0; step < 160; ++step) {  // the last step compares
    const int action = static_cast<int>(random() % 16);
    if (action == 0) {
      pelvarhost::OutputCapture quiet;
      ClearReclassEdits();
      ++resets;
    } else if (action <= 2) {
      OpenedObject<Pelvar> cloud = Open(ids[random() % 2]);
      cloud->setAutoClassify(!cloud->autoClassify());
      cloud->setOverridesDirty(true);
      ++switches;
    } else {
      // Corners anywhere over the tiles and beyond them, in either order.
      AcGePoint3d a(uniform(2228800, 2231200), uniform(1368800, 1371200), 0);
      AcGePoint3d b = a + AcGeVector3d(uniform(-600, 600), uniform(-600, 600), 0);
      const uint8_t cls = random() % 12 == 0 ? uint8_t{255} : static_cast<uint8_t>(random() % 20);
      classesOfNone += cls == 255;
      uint32_t expected = 0;
      for (AcDbObjectId id : ids) {
        OpenedObject<Pelvar> cloud = Open(id, AcDb::kForRead);
        AcGeMatrix3d toCloud = cloud->transform().inverse();
        AcGePoint3d ca = toCloud * a, cb = toCloud * b;
        expected += OracleCount(*cloud->CloudData(), ReclassEdit{std::min(ca.x, cb.x), std::min(ca.y, cb.y),
                                                                  std::max(ca.x, cb.x), std::max(ca.y, cb.y), cls});
      }
      EXPECT_EQ(ApplyReclassRect(a, b, cls), expected) << "step " << step;
      ++edits;
    }
    // Looking at the arrays brings them up to date; between looks, edits also meet arrays
    // that a switch or a reset left to be rebuilt.
    if (random() % 3 != 0 && step != 159) continue;
    for (AcDbObjectId id : ids) {
      OpenedObject<Pelvar> cloud = Open(id, AcDb::kForRead);
      Comparison c = Compare(*cloud);
      ASSERT_EQ(c.hasArray, c.expectsArray) << "step " << step;
      ASSERT_TRUE(c.kept == c.scratch) << "step " << step;
      ASSERT_TRUE(c.scratch == c.oracle) << "step " << step;
    }
  }
  EXPECT_GT(resets, 3);
  EXPECT_GT(switches, 10);
  EXPECT_GT(classesOfNone, 3);
  EXPECT_GT(edits, 100);
}

// Undo and redo move the end of the edit list: the array that follows in place equals the
// array built from scratch, edits taken back or added, classes by height on or off.
TEST_F(OverrideArrayTest, AnArrayFollowsEditsTakenBackOrAddedAtTheEndOfTheList) {
  WriteRelabelledSample(File("a.kmt"), 20000, 5, 3);
  OpenedObject<Pelvar> cloud = Open(AddCloud(File("a.kmt")), AcDb::kForRead);
  const KmqData& data = *cloud->CloudData();
  std::mt19937_64 random(24);
  auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(random); };
  std::vector<ReclassEdit> edits;
  for (int k = 0; k < 12; ++k) {
    const double x = uniform(2229000, 2230800), y = uniform(1369000, 1370800);
    edits.push_back({x, y, x + uniform(50, 600), y + uniform(50, 600), uint16_t(k % 5 == 0 ? 255 : random() % 20)});
  }
  const std::span<const ReclassEdit> all(edits);
  const std::tuple<size_t, size_t, bool> steps[] = {{12, 11, false}, {12, 11, true}, {12, 5, true},
                                                     {12, 0, false},  {3, 12, true},   {7, 7, true}};
  for (const auto& [from, to, byHeight] : steps) {
    ClassOverrideArray followed, scratch;
    ComputeClassOverrides(data, all.first(from), byHeight, followed);
    ASSERT_TRUE(UpdateClassOverrides(data, all.first(from), all.first(to), byHeight, followed));
    ComputeClassOverrides(data, all.first(to), byHeight, scratch);
    EXPECT_TRUE(followed == scratch) << from << " -> " << to << (byHeight ? " by height" : "");
  }
}

class ReclassRulesTest : public DrawingTest {
 protected:
  // Points on a 10 ft lattice from (1000, 2000) to (1100, 2100), classes cycling 1..6.
  AcDbObjectId LatticeCloud() {
    crafted::Cloud cloud = ExactCloud();
    for (int j = 0; j <= 10; ++j)
      for (int i = 0; i <= 10; ++i)
        cloud.points.push_back(PointAt(1000 + 10 * i, 2000 + 10 * j, CodeOfHeight(0), 1 + (i + j) % 6));
    crafted::WriteFile(File("lattice.kmt").string(), cloud.Bytes());
    return AddCloud(File("lattice.kmt"));
  }
  // The class in force at lattice node (i, j) of the cloud.
  static int ClassAt(const std::vector<uint8_t>& overrides, int i, int j) {
    uint8_t o = overrides[j * 11 + i];
    return o != 255 ? o : 1 + (i + j) % 6;
  }
};

TEST_F(ReclassRulesTest, EdgesAreInsideCornerOrderIsFreeAndLaterRectanglesWin) {
  AcDbObjectId id = LatticeCloud();
  // The 3 x 3 lattice nodes on the edges and inside of [1020, 1040] x [2030, 2050], given
  // right-to-left and top-to-bottom; none of the nine is of class 9 already.
  {
    OpenedObject<Pelvar> cloud = Open(id);
    EXPECT_EQ(AddReclassEdit(*cloud, 1040, 2050, 1020, 2030, 9), 9u);
    // Overlapping the first on its right column: later wins there.
    EXPECT_EQ(AddReclassEdit(*cloud, 1040, 2030, 1060, 2050, 17), 9u);
  }
  std::vector<uint8_t> overrides = OverridesOf(id);
  ASSERT_EQ(overrides.size(), 121u);
  for (int j = 0; j <= 10; ++j) {
    for (int i = 0; i <= 10; ++i) {
      const bool inFirst = i >= 2 && i <= 4 && j >= 3 && j <= 5;
      const bool inSecond = i >= 4 && i <= 6 && j >= 3 && j <= 5;
      const int expected = inSecond ? 17 : inFirst ? 9 : 1 + (i + j) % 6;
      EXPECT_EQ(ClassAt(overrides, i, j), expected) << i << "," << j;
    }
  }
  // Just beside an edge is outside.
  OpenedObject<Pelvar> cloud = Open(id);
  EXPECT_EQ(AddReclassEdit(*cloud, 1020.0001, 2030, 1029.9999, 2050, 9), 0u);
}

TEST_F(ReclassRulesTest, PointsAlreadyOfTheClassAreNotCountedButTheEditIsStored) {
  AcDbObjectId id = LatticeCloud();
  OpenedObject<Pelvar> cloud = Open(id);
  // Row j = 1: classes 2,3,4,5,6,1,2,... -> two of the eleven are ground already.
  EXPECT_EQ(AddReclassEdit(*cloud, 1000, 2010, 1100, 2010, 2), 9u);
  EXPECT_EQ(AddReclassEdit(*cloud, 1000, 2010, 1100, 2010, 2), 9u);  // earlier edits do not count
  EXPECT_EQ(cloud->reclassEdits().size(), 2u);
  EXPECT_EQ(AddReclassEdit(*cloud, 5000, 5000, 6000, 6000, 6), 0u);  // holds no point
  ASSERT_EQ(cloud->reclassEdits().size(), 3u);
  EXPECT_EQ(cloud->reclassEdits()[2], (ReclassEdit{5000, 5000, 6000, 6000, 6}));
}

TEST_F(ReclassRulesTest, ACloudWhoseFileIsMissingStoresTheEditAndAppliesItWhenTheFileAppears) {
  AcDbObjectId id = AddCloud(File("later.kmt"));
  {
    OpenedObject<Pelvar> cloud = Open(id);
    EXPECT_EQ(AddReclassEdit(*cloud, 1000, 2000, 1010, 2000, 6), 0u);
    EXPECT_EQ(cloud->ClassOverrides(), nullptr);
  }
  crafted::Cloud exact = ExactCloud();
  exact.points = {PointAt(1000, 2000, 0, 2), PointAt(1010, 2000, 0, 2), PointAt(1020, 2000, 0, 2)};
  crafted::WriteFile(File("later.kmt").string(), exact.Bytes());
  EXPECT_EQ(OverridesOf(id), (std::vector<uint8_t>{6, 6, 255}));
}

// Heights above the flat ground: 10 -> 4, 6.5 -> 4, 16 -> 5, -3 -> 3; the point over the
// raised first node lies 3.01 below it -> 7. Stored ground, a point moved by an edit and a
// point off the grid keep their classes.
TEST_F(ReclassRulesTest, UnclassifiedPointsTakeTheClassOfTheirHeightBand) {
  crafted::Cloud exact = ExactCloud();
  exact.points = {
      PointAt(1050, 2050, CodeOfHeight(10), 1),  PointAt(1030, 2030, CodeOfHeight(6.5), 1),
      PointAt(1070, 2070, CodeOfHeight(16), 1),  PointAt(1030, 2070, CodeOfHeight(-3), 1),
      PointAt(1000, 2000, CodeOfHeight(-3), 1),  PointAt(1070, 2030, CodeOfHeight(6), 1),
      PointAt(1040, 2040, CodeOfHeight(30), 2),  PointAt(1060, 2060, CodeOfHeight(30), 1),
      PointAt(1200, 2050, CodeOfHeight(30), 1),
  };
  crafted::WriteFile(File("bands.kmt").string(), exact.Bytes());
  AcDbObjectId id = AddCloud(File("bands.kmt"));
  {
    OpenedObject<Pelvar> cloud = Open(id);
    double ground = 0;
    ASSERT_TRUE(GroundAtLocal(*cloud->CloudData(), 1000, 2000, ground));
    EXPECT_EQ(ground, static_cast<double>(0.01f));
    cloud->setAutoClassify(true);
    cloud->setOverridesDirty(true);
    EXPECT_EQ(AddReclassEdit(*cloud, 1060, 2060, 1060, 2060, 6), 1u);
  }
  EXPECT_EQ(OverridesOf(id), (std::vector<uint8_t>{4, 4, 5, 3, 7, 3, 255, 6, 255}));
  EXPECT_EQ(HeightAboveGroundClass(-3.0 - 1e-12), 7);
  EXPECT_EQ(HeightAboveGroundClass(6.5 - 1e-12), 3);
  EXPECT_EQ(HeightAboveGroundClass(16.0 - 1e-12), 4);
}

TEST_F(ReclassRulesTest, ResetKeepsTheClassesByHeightOfACloudWhoseSwitchIsOn) {
  crafted::Cloud exact = ExactCloud();
  exact.points = {PointAt(1050, 2050, CodeOfHeight(10), 1), PointAt(1060, 2050, CodeOfHeight(10), 2)};
  crafted::WriteFile(File("reset.kmt").string(), exact.Bytes());
  AcDbObjectId withSwitch = AddCloud(File("reset.kmt"));
  AcDbObjectId without = AddCloud(File("reset.kmt"));
  AcDbObjectId untouched = AddCloud(File("reset.kmt"));
  {
    OpenedObject<Pelvar> cloud = Open(withSwitch);
    cloud->setAutoClassify(true);
    cloud->setOverridesDirty(true);
  }
  ApplyReclassRect(AcGePoint3d(1000, 2000, 0), AcGePoint3d(1100, 2100, 0), 9);
  {
    OpenedObject<Pelvar> cloud = Open(untouched);
    cloud->setReclassEdits({});
  }
  EXPECT_EQ(OverridesOf(withSwitch), (std::vector<uint8_t>{9, 9}));
  std::string printed;
  {
    pelvarhost::OutputCapture capture;
    ClearReclassEdits();
    printed = capture.Text();
  }
  // The host leaves out the line break of a message that starts its output.
  if (!printed.empty() && printed.front() == '\n') printed.erase(0, 1);
  EXPECT_EQ(printed, "Reclassification cleared on 2 cloud(s).");
  EXPECT_EQ(OverridesOf(withSwitch), (std::vector<uint8_t>{4, 255}));
  EXPECT_EQ(OverridesOf(without), std::vector<uint8_t>{});
  OpenedObject<Pelvar> cloud = Open(withSwitch, AcDb::kForRead);
  EXPECT_TRUE(cloud->reclassEdits().empty());
  EXPECT_TRUE(cloud->autoClassify());
}

// A view that took the array sees later edits: the array is refilled in place.
TEST_F(ReclassRulesTest, AnArrayTakenEarlierSeesLaterEditsInPlace) {
  AcDbObjectId id = LatticeCloud();
  OpenedObject<Pelvar> cloud = Open(id);
  AddReclassEdit(*cloud, 1000, 2000, 1000, 2000, 9);
  ClassOverridesPtr taken = cloud->ClassOverrides();
  ASSERT_NE(taken, nullptr);
  AddReclassEdit(*cloud, 1010, 2000, 1010, 2000, 17);
  EXPECT_EQ((*taken)[1], 17);
  cloud->setAutoClassify(true);
  cloud->setOverridesDirty(true);
  EXPECT_EQ(cloud->ClassOverrides(), taken);
  EXPECT_EQ((*taken)[0], 9);
}

}  // namespace
}  // namespace classifytest

namespace classifytest {
namespace {

// The runs of codes against decoding every code, for rising, falling, flat and broken axes.
TEST(CodeRuns, HoldExactlyTheCodesWhoseDecodedValueIsInside) {
  std::mt19937_64 random(77);
  const float sizes[] = {2000.0f, 0.01f, 65535.0f, -300.0f, 0.0f, std::nanf(""), INFINITY};
  for (float size : sizes) {
    for (int trial = 0; trial < 15; ++trial) {
      const double origin = std::uniform_real_distribution<double>(-5000, 5000)(random);
      double low = origin + std::uniform_real_distribution<double>(-0.2, 1.2)(random) * size;
      double high = origin + std::uniform_real_distribution<double>(-0.2, 1.2)(random) * size;
      if (trial % 5 == 0) low = high = DecodeCode(static_cast<uint16_t>(random() % 65536), size, origin);
      if (low > high) std::swap(low, high);
      const CodeRun within = CodesWithin(size, origin, low, high);
      const CodeRun from = CodesFrom(size, origin, low, high);
      for (uint32_t q = 0; q < 65536; ++q) {
        const double v = q / 65535.0 * size + origin;
        ASSERT_EQ(within.contains(static_cast<uint16_t>(q)), low <= v && v <= high) << size << " " << q;
        ASSERT_EQ(from.contains(static_cast<uint16_t>(q)), low <= v && v < high) << size << " " << q;
      }
    }
  }
  EXPECT_TRUE(CodesWithin(100.0f, 0.0, std::nan(""), 50.0).empty());
}

}  // namespace
}  // namespace classifytest
