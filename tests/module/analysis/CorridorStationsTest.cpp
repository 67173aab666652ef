// Corridor stations: the indexed search against the direct scan on a generated cloud, and
// small cases whose stations are worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "analysis/CorridorStations.h"
#include "tools/samplegen/SampleCloud.h"

namespace {

struct Columns {
  std::vector<double> x, y, z;
  CorridorCandidates View() const { return {x, y, z}; }
  void Add(double px, double py, double pz) { x.push_back(px), y.push_back(py), z.push_back(pz); }
};

// Samples every `spacing` along the straight legs through the corners.
Columns Centreline(const std::vector<std::pair<double, double>>& corners, double spacing) {
  Columns line;
  for (size_t leg = 1; leg < corners.size(); ++leg) {
    auto [ax, ay] = corners[leg - 1];
    auto [bx, by] = corners[leg];
    const int parts = std::max(1, static_cast<int>(std::hypot(bx - ax, by - ay) / spacing));
    for (int k = leg == 1 ? 0 : 1; k <= parts; ++k) line.Add(ax + (bx - ax) * k / parts, ay + (by - ay) * k / parts, 0);
  }
  return line;
}

void ExpectSameStations(const CorridorResult& indexed, const CorridorResult& scanned) {
  ASSERT_EQ(indexed.stations.size(), scanned.stations.size());
  for (size_t k = 0; k < indexed.stations.size(); ++k) {
    const CorridorStation &a = indexed.stations[k], &b = scanned.stations[k];
    EXPECT_EQ(a.chainage, b.chainage);
    EXPECT_EQ(a.x, b.x);
    EXPECT_EQ(a.y, b.y);
    EXPECT_EQ(a.z, b.z) << "station " << k;
    EXPECT_EQ(a.nearCount, b.nearCount) << "station " << k;
  }
}

TEST(CorridorStations, TheIndexedSearchGivesTheScansStationsOnAGeneratedCloud) {
  SampleCloudRequest request;
  request.pointCount = 60'000;
  request.seed = 41;
  const SampleCloud cloud = GenerateSampleCloud(request);
  Columns all, deck;
  for (size_t i = 0; i < cloud.x.size(); ++i) {
    all.Add(cloud.x[i], cloud.y[i], cloud.z[i]);
    if (cloud.cls[i] == 17) deck.Add(cloud.x[i], cloud.y[i], cloud.z[i]);
  }
  ASSERT_GT(deck.x.size(), 100u);
  const double cx = request.centreX, cy = request.centreY;
  const Columns line = Centreline({{cx - 900, cy - 950}, {cx + 100, cy + 20}, {cx - 300, cy + 700}, {cx + 950, cy + 990}}, 2.5);
  // Along the middle of the deck (the bridge runs along y), a little beyond both ends.
  auto [lowY, highY] = std::minmax_element(deck.y.begin(), deck.y.end());
  auto [lowX, highX] = std::minmax_element(deck.x.begin(), deck.x.end());
  const double deckX = (*lowX + *highX) / 2;
  const Columns deckLine = Centreline({{deckX, *lowY - 10}, {deckX, *highY + 10}}, 2.5);
  struct Case {
    const Columns* line;
    const Columns* candidates;
    double step, halfWidth;
  };
  for (Case c : {Case{&line, &all, 5.0, 5.0}, Case{&line, &all, 20.0, 60.0}, Case{&deckLine, &deck, 1.3, 2.0},
                 Case{&deckLine, &deck, 5.0, 5.0}}) {
    for (StationElevation mode : {StationElevation::Max, StationElevation::Median}) {
      SCOPED_TRACE(testing::Message() << "step " << c.step << ", half-width " << c.halfWidth << ", candidates "
                                      << c.candidates->x.size());
      const CorridorLine centreline{c.line->x, c.line->y};
      const CorridorResult indexed = BuildCorridorStations(centreline, c.step, c.halfWidth, c.candidates->View(), mode);
      ExpectSameStations(indexed,
                         BuildCorridorStationsByScan(centreline, c.step, c.halfWidth, c.candidates->View(), mode));
      EXPECT_GT(indexed.stations.size(), 10u);
    }
  }
}

TEST(CorridorStations, ManyEqualElevationsGiveTheSameMedianQuickly) {
  Columns candidates;
  std::mt19937 random(7);
  for (int i = 0; i < 200'000; ++i) candidates.Add(i % 7 * 0.01, (i / 7) % 5 * 0.01, random() % 3 == 0 ? 12.5 : 12.0);
  const Columns line = Centreline({{0, 0}, {1, 0}}, 1.0);
  const CorridorResult result = BuildCorridorStations({line.x, line.y}, 5.0, 3.0, candidates.View(), StationElevation::Median);
  ASSERT_EQ(result.stations.size(), 1u);
  EXPECT_EQ(result.stations[0].z, 12.0);
  EXPECT_EQ(result.stations[0].nearCount, 200'000);
}

TEST(CorridorStations, SmallCasesWorkedOutByHand) {
  // A 101 ft line sampled every 2.5 ft: stations at 0, 5, ..., 100; the end is not sampled.
  Columns lineSamples;
  for (int k = 0; k * 2.5 <= 101.0; ++k) lineSamples.Add(k * 2.5, 0, 0);
  Columns points;
  for (int k = 0; k <= 20; ++k) points.Add(k * 5.0, 4.0, 100.0 + k);  // one point 4 ft beside each station
  points.Add(50.0, -3.0, 1.0);
  points.Add(50.0, 2.0, 3.0);
  points.Add(50.0, 0.0, 2.0);  // station 50 sees 1, 2, 3 and 110: median 3, maximum 110
  points.Add(103.0, 3.0, 500.0);  // within 5 ft of the last station (a disc, not a band)
  CorridorResult median = BuildCorridorStations({lineSamples.x, lineSamples.y}, 5.0, 5.0, points.View(), StationElevation::Median);
  ASSERT_EQ(median.stations.size(), 21u);
  EXPECT_EQ(median.stations[10].chainage, 50.0);
  EXPECT_EQ(median.stations[10].nearCount, 4);
  EXPECT_EQ(median.stations[10].z, 3.0);  // 1, 2, 3, 110: the upper middle
  EXPECT_EQ(median.stations[20].chainage, 100.0);
  EXPECT_EQ(median.stations[20].z, 500.0);  // 120 and 500: the upper one
  CorridorResult max = BuildCorridorStations({lineSamples.x, lineSamples.y}, 5.0, 5.0, points.View(), StationElevation::Max);
  EXPECT_EQ(max.stations[10].z, 110.0);
  EXPECT_EQ(max.stations[3].z, 103.0);
  EXPECT_EQ(max.stations[3].y, 0.0);

  // A station with nothing within the half-width is left out; an exact half-width counts.
  Columns sparse;
  sparse.Add(0.0, 0.0, 1.0);         // stations 0 and 5 (exactly 5 ft)
  sparse.Add(10.0, 5.0, 2.0);        // station 10 (exactly 5 ft)
  sparse.Add(20.0, 5.0000001, 3.0);  // none
  CorridorResult skipped = BuildCorridorStations({lineSamples.x, lineSamples.y}, 5.0, 5.0, sparse.View(), StationElevation::Max);
  ASSERT_EQ(skipped.stations.size(), 3u);
  EXPECT_EQ(skipped.stations[1].chainage, 5.0);
  EXPECT_EQ(skipped.stations[2].chainage, 10.0);
  EXPECT_EQ(skipped.stations[2].z, 2.0);
}

TEST(CorridorStations, ShortLinesAndTooManyStations) {
  Columns points;
  points.Add(1.0, 0.0, 1.0);
  const Columns four = Centreline({{0, 0}, {4, 0}}, 1.0);
  EXPECT_EQ(BuildCorridorStations({four.x, four.y}, 5.0, 5.0, points.View(), StationElevation::Max).stations.size(), 1u);
  const Columns one = Centreline({{0, 0}}, 1.0);
  EXPECT_TRUE(BuildCorridorStations({one.x, one.y}, 5.0, 5.0, points.View(), StationElevation::Max).stations.empty());
  const Columns still = Centreline({{3, 3}, {3, 3}}, 1.0);
  EXPECT_TRUE(BuildCorridorStations({still.x, still.y}, 5.0, 5.0, points.View(), StationElevation::Max).stations.empty());

  const Columns longLine = Centreline({{0, 0}, {2'000'000, 0}}, 2'000'000.0);
  CorridorResult refused = BuildCorridorStations({longLine.x, longLine.y}, 1.0, 5.0, points.View(), StationElevation::Max);
  EXPECT_TRUE(refused.tooManyStations);
  EXPECT_TRUE(refused.stations.empty());
  CorridorResult taken = BuildCorridorStations({longLine.x, longLine.y}, 2.5, 5.0, points.View(), StationElevation::Max);
  EXPECT_FALSE(taken.tooManyStations);
  EXPECT_EQ(taken.stations.size(), 3u);  // 0, 2.5 and 5 ft from the point at 1 ft
}

TEST(CorridorStations, StationsStandAtWholeMultiplesOfTheStep) {
  const Columns line = Centreline({{0, 0}, {1000, 0}}, 1000.0);
  Columns points;
  for (int k = 0; k <= 10000; ++k) points.Add(k * 0.1, 0.0, 1.0);
  const CorridorResult result = BuildCorridorStations({line.x, line.y}, 0.1, 0.01, points.View(), StationElevation::Max);
  ASSERT_EQ(result.stations.size(), 10001u);
  for (size_t k = 0; k < result.stations.size(); ++k) ASSERT_EQ(result.stations[k].chainage, k * 0.1);
}

}  // namespace
