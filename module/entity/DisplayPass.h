// One display pass over a cloud image: the thinning to what a viewport can show and the
// colour bucket of a point (entity/BucketSort.h sorts a pass's points by it). Also the
// nearest visible point for object snap. Plain functions over the image; the entity
// supplies its settings and draws the result.
#pragma once
#include <cstdint>

#include "cloudfile/KmqData.h"
#include "entity/ColourTables.h"
#include "entity/Visibility.h"
#include "gepnt2d.h"
#include "gepnt3d.h"

// What one pass selects: the visibility rule, the colour mode (0 class, 1 intensity,
// 2 elevation; other values colour by class) and the override classes (null for none).
struct DisplaySettings {
  VisibilityRule rule;
  uint8_t colorMode = 0;
  const uint8_t* overrides = nullptr;
};

inline constexpr double kMinPixelsPerUnit = 0.000001;
inline constexpr double kPointsPerPixel = 0.6;
inline constexpr double kSnapRadius = 15.0;

// The viewport's scale at the cloud: the mean of the pixels along x and y, at least 1e-6.
double PixelsPerUnit(const AcGePoint2d& pixelArea);

// How many points each chunk may offer at this scale and density (percent): about 0.6
// points per screen pixel of one chunk cell.
double ChunkPointBudget(const KmqData& data, uint16_t density, double pixelsPerUnit);

// How many of a chunk's n stored points are considered: a prefix of at least one point.
uint32_t ChunkTake(uint32_t count, double budget);

// A point's cloud coordinates.
inline AcGePoint3d DecodePoint(const KmqData& data, const KmqPoint& p) {
  return {DecodeX(data, p), DecodeY(data, p), DecodeZ(data, p)};
}

// The bucket of a point in the given colour mode.
int PointBucket(uint8_t colorMode, unsigned effectiveClass, uint16_t intensity, uint16_t maxIntensity,
                uint16_t quantisedZ);

// The chunk cell of a cloud position: column and row truncated toward zero, from cell sizes
// computed in single precision. Far or NaN positions are held just outside the grid, where
// they reach no chunk.
struct ChunkCell {
  int col = 0;
  int row = 0;
};
ChunkCell ChunkCellOf(const KmqData& data, double x, double y);

// The nearest visible point in plan strictly closer than sqrt(bestD2) to (x, y), in cloud
// coordinates, searching the chunk cell of (x, y) and its eight neighbours (rows, then
// columns, ascending; file order within a cell; the first of equals wins). On success
// bestD2 becomes the point's squared distance and index its position in the file.
// A position whose cell is not finite or lies far outside the grid finds nothing.
bool FindNearestVisible(const KmqData& data, const VisibilityRule& rule, const uint8_t* overrides, double x, double y,
                        double& bestD2, uint32_t& index);

// The nearest visible point in plan within kSnapRadius of (x, y), in cloud coordinates,
// searching the pick point's chunk cell and its eight neighbours. False when there is none.
bool NearestVisiblePoint(const KmqData& data, const DisplaySettings& settings, double x, double y,
                         AcGePoint3d& nearest);
