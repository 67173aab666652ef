// The host's raster renderer: draws a drawing's view into an RGB image and writes PNG files.
// Every entity of model space is drawn through the graphics interface (worldDraw, and
// viewportDraw when worldDraw returns false), host entities through their wireframe;
// polylines are 1-pixel lines, points 1-pixel dots; acedGrDraw vectors go on top.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "dbdatabase.h"

namespace pelvarhost {

struct RgbColour {
  std::uint8_t red = 0, green = 0, blue = 0;
  bool operator==(const RgbColour&) const = default;
};

inline constexpr RgbColour kBackgroundColour{33, 40, 48};
inline constexpr int kDefaultImageWidth = 1600;
inline constexpr int kDefaultImageHeight = 1000;
inline constexpr int kMaxImageSide = 16384;

// The colour a colour index shows on the dark background (7 is white; 256 and 0, by layer
// and by block, fall back to white).
RgbColour AciColour(int colorIndex);

struct RasterImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint8_t> rgb;  // width * height * 3, rows from the top

  RgbColour at(int x, int y) const;
  void set(int x, int y, RgbColour colour) {  // inline: drawing a cloud sets millions of pixels
    std::uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
    p[0] = colour.red;
    p[1] = colour.green;
    p[2] = colour.blue;
  }
  bool contains(int x, int y) const { return x >= 0 && y >= 0 && x < width && y < height; }
};

// How world coordinates map to pixels: the view's centre is the image centre and its
// height fills the image height; the width follows from the image's aspect.
struct ViewMapping {
  double centerX = 0, centerY = 0;
  double pixelsPerUnit = 1;
  int width = 0, height = 0;

  static ViewMapping Fit(const ViewRecord& view, int width, int height);
  double pixelX(double worldX) const { return (worldX - centerX) * pixelsPerUnit + width / 2.0; }
  double pixelY(double worldY) const { return height / 2.0 - (worldY - centerY) * pixelsPerUnit; }
};

// Counts of what one render drew, for tests and diagnostics.
struct RenderStats {
  std::uint64_t entities = 0;
  std::uint64_t polylineSegments = 0;
  std::uint64_t points = 0;
  std::uint64_t temporaryVectors = 0;
};

// Renders model space of the database in the given view. Entities are opened for read and
// closed again.
RasterImage RenderView(AcDbDatabase& database, const ViewRecord& view, int width, int height,
                       RenderStats* stats = nullptr);

// Writes an 8-bit RGB PNG; false with the reason in *error when it cannot be written.
bool WritePng(const std::string& path, const RasterImage& image, std::string* error = nullptr);
// Reads an 8-bit RGB or RGBA PNG (for tests and tools); false with the reason in *error.
bool ReadPng(const std::string& path, RasterImage& image, std::string* error = nullptr);

// Registers the host's graphics services: the PNGOUT command and the object-snap hook that
// asks the entities of model space for their snap points. RemoveHostGraphics undoes it.
void InstallHostGraphics();
void RemoveHostGraphics();

}  // namespace pelvarhost
