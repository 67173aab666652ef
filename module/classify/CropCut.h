// The pieces of a crop, as plain functions over a loaded cloud: the points inside a
// rectangle with their effective classes, the part of the ground grid that covers it,
// the new label and the name of the new file.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cloudfile/KmqData.h"

// A rectangle in the cloud's own frame (min <= max). Points on the low edges are inside,
// points on the high edges are not.
struct CropRect {
  double minX = 0, minY = 0, maxX = 0, maxY = 0;
};
CropRect CropRectOf(double x1, double y1, double x2, double y2);

// The kept points as the cloud writer takes them, in the source's file order.
struct CroppedPoints {
  std::vector<double> x, y, z;
  std::vector<uint8_t> cls;
  std::vector<uint16_t> intensity;
  size_t size() const { return x.size(); }
};
// `overrides` is the entity's override array (255 = none) or null.
CroppedPoints KeepPointsInside(const KmqData& data, const uint8_t* overrides, const CropRect& rect);

// A ground grid in the form the cloud writer takes it. No nodes: no grid.
struct GroundGrid {
  std::vector<float> heights;  // nx * ny, row by row
  uint16_t nx = 0, ny = 0;
  float cell = 0;
  double originX = 0, originY = 0;
};
// The cells of the source grid that cover the rectangle (widened to whole cells, at most
// one more on each side), or the whole range of an axis the rectangle misses. A source
// without a grid, or whose cell size is not a finite positive number, gives no grid.
GroundGrid CutGroundGrid(const KmqData& data, const CropRect& rect);

// The source label (11 characters kept when it has 12 or more) followed by "-CROP".
std::string CropLabel(const KmqData& data);

// The source path without the extension of its file name, with "_crop.kmt" appended; when that file (or its
// temporary save name) exists, the first free of "_crop2.kmt", "_crop3.kmt", ...
// Empty when no free name is found.
std::wstring FirstFreeCropPath(const std::wstring& sourcePath);

// The whole new file: the kept points, the cut grid, the label, the rectangle's centre and
// half its larger side, the source's EPSG code.
std::vector<uint8_t> BuildCropFile(const KmqData& data, const CroppedPoints& points, const CropRect& rect);
