// Rendering a drawing's view: raster implementations of the graphics interface and the
// walk over model space.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <thread>
#include <utility>
#include <vector>

#include "acgi.h"
#include "dbmain.h"
#include "dbsymtb.h"
#include "hostgraphics.h"
#include "hostrender.h"

namespace pelvarhost {
namespace {

// A call with fewer points than this is drawn on one thread.
constexpr size_t kPointsWorthAThread = size_t{1} << 18;

// Draws into the image: 1-pixel lines and dots, through a stack of model transforms.
class RasterPen {
 public:
  RasterPen(RasterImage& image, const ViewMapping& mapping, RenderStats& stats)
      : image_(image), mapping_(mapping), stats_(stats) {}

  void setColour(RgbColour colour) { colour_ = colour; }
  RgbColour colour() const { return colour_; }

  void push(const AcGeMatrix3d& xform) {
    stack_.push_back(modelToWorld_);
    modelToWorld_ = modelToWorld_ * xform;
  }
  bool pop() {
    if (stack_.empty()) return false;
    modelToWorld_ = stack_.back();
    stack_.pop_back();
    return true;
  }
  const AcGeMatrix3d& modelToWorld() const { return modelToWorld_; }

  void polyline(const AcGePoint3d* vertices, size_t count) {
    for (size_t i = 1; i < count; ++i) {
      worldLine(modelToWorld_ * vertices[i - 1], modelToWorld_ * vertices[i]);
      ++stats_.polylineSegments;
    }
    if (count == 1) polypoint(vertices, 1);
  }

  // Every point of one call has the same colour, so the order in which its pixels are set
  // does not change the picture: a large call is shared between two threads, each setting
  // its half of the points' pixels (with relaxed atomic stores, as both may set one pixel).
  void polypoint(const AcGePoint3d* vertices, size_t count) {
    stats_.points += count;
    auto setOwn = [this](int x, int y) { image_.set(x, y, colour_); };
    const size_t half = count >= kPointsWorthAThread && std::thread::hardware_concurrency() > 1 ? count / 2 : 0;
    if (half == 0) {
      plotPoints(vertices, count, setOwn);
      return;
    }
    auto setShared = [this](int x, int y) {
      std::uint8_t* p = &image_.rgb[(static_cast<size_t>(y) * image_.width + x) * 3];
      std::atomic_ref<std::uint8_t>(p[0]).store(colour_.red, std::memory_order_relaxed);
      std::atomic_ref<std::uint8_t>(p[1]).store(colour_.green, std::memory_order_relaxed);
      std::atomic_ref<std::uint8_t>(p[2]).store(colour_.blue, std::memory_order_relaxed);
    };
    std::thread helper;
    try {
      helper = std::thread([&] { plotPoints(vertices + half, count - half, setShared); });
    } catch (...) {  // no thread to be had (std::system_error, std::bad_alloc)
      plotPoints(vertices, count, setOwn);
      return;
    }
    plotPoints(vertices, half, setShared);
    helper.join();
  }

  void worldLine(const AcGePoint3d& a, const AcGePoint3d& b) {
    double x0 = mapping_.pixelX(a.x), y0 = mapping_.pixelY(a.y);
    double x1 = mapping_.pixelX(b.x), y1 = mapping_.pixelY(b.y);
    if (!std::isfinite(x0) || !std::isfinite(y0) || !std::isfinite(x1) || !std::isfinite(y1)) return;
    if (!ClipToImage(x0, y0, x1, y1)) return;
    // With far-away endpoints the clipped ends carry rounding errors of their own size:
    // keep them on the image so that the walk stays within its pixels.
    x0 = std::clamp(x0, 0.0, static_cast<double>(image_.width));
    x1 = std::clamp(x1, 0.0, static_cast<double>(image_.width));
    y0 = std::clamp(y0, 0.0, static_cast<double>(image_.height));
    y1 = std::clamp(y1, 0.0, static_cast<double>(image_.height));
    RasterLine(x0, y0, x1, y1);
  }

 private:
  // One pixel in each column the line crosses (each row, for a steep line), taken at the
  // column's centre: no gaps, whatever the rounding of the ends.
  void RasterLine(double x0, double y0, double x1, double y1) {
    const bool steep = std::fabs(y1 - y0) > std::fabs(x1 - x0);
    if (steep) {
      std::swap(x0, y0);
      std::swap(x1, y1);
    }
    if (x0 > x1) {
      std::swap(x0, x1);
      std::swap(y0, y1);
    }
    const double slope = x1 > x0 ? (y1 - y0) / (x1 - x0) : 0.0;
    const int last = static_cast<int>(std::floor(x1));
    for (int major = static_cast<int>(std::floor(x0)); major <= last; ++major) {
      const double at = std::clamp(major + 0.5, x0, x1);
      const double minor = y0 + (at - x0) * slope;
      if (steep)
        plot(minor, at);
      else
        plot(at, minor);
    }
  }

  // The points through the model transform and the view, each pixel on the image set. The
  // transform and the view are read once into locals: the pixel stores could otherwise
  // alias them and have them read again for every point.
  template <typename SetPixel>
  void plotPoints(const AcGePoint3d* vertices, size_t count, const SetPixel& set) const {
    const AcGeMatrix3d& m = modelToWorld_;
    const double m00 = m.entry[0][0], m01 = m.entry[0][1], m02 = m.entry[0][2], m03 = m.entry[0][3];
    const double m10 = m.entry[1][0], m11 = m.entry[1][1], m12 = m.entry[1][2], m13 = m.entry[1][3];
    const ViewMapping mapping = mapping_;
    const double width = image_.width, height = image_.height;
    for (size_t i = 0; i < count; ++i) {
      const AcGePoint3d& p = vertices[i];
      const double x = mapping.pixelX(m00 * p.x + m01 * p.y + m02 * p.z + m03);
      const double y = mapping.pixelY(m10 * p.x + m11 * p.y + m12 * p.z + m13);
      if (x >= 0.0 && y >= 0.0 && x < width && y < height) set(static_cast<int>(x), static_cast<int>(y));
    }
  }

  // Positions off the image (NaN included) are dropped before they become pixel indexes.
  bool onImage(double x, double y) const { return x >= 0.0 && y >= 0.0 && x < image_.width && y < image_.height; }

  void plot(double x, double y) {
    if (!onImage(x, y)) return;
    image_.set(static_cast<int>(x), static_cast<int>(y), colour_);
  }

  // Liang-Barsky clipping of a segment to the image rectangle; false when nothing is left.
  bool ClipToImage(double& x0, double& y0, double& x1, double& y1) const {
    double t0 = 0, t1 = 1;
    double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0, image_.width - 1e-9 - x0, y0, image_.height - 1e-9 - y0};
    for (int i = 0; i < 4; ++i) {
      if (p[i] == 0) {
        if (q[i] < 0) return false;
        continue;
      }
      double t = q[i] / p[i];
      if (p[i] < 0) {
        if (t > t1) return false;
        if (t > t0) t0 = t;
      } else {
        if (t < t0) return false;
        if (t < t1) t1 = t;
      }
    }
    double sx = x0, sy = y0;
    x0 = sx + t0 * dx, y0 = sy + t0 * dy;
    x1 = sx + t1 * dx, y1 = sy + t1 * dy;
    return true;
  }

  RasterImage& image_;
  const ViewMapping& mapping_;
  RenderStats& stats_;
  RgbColour colour_ = AciColour(7);
  AcGeMatrix3d modelToWorld_;
  std::vector<AcGeMatrix3d> stack_;
};

// The colour of a layer, by id (white when the layer cannot be read).
RgbColour LayerColour(AcDbObjectId layerId) {
  AcDbLayerTableRecord* layer = nullptr;
  if (acdbOpenObject(layer, layerId, AcDb::kForRead) != Acad::eOk) return AciColour(7);
  RgbColour colour = AciColour(layer->colorIndex());
  layer->close();
  return colour;
}

class RasterTraits final : public AcGiDrawableTraits {
 public:
  explicit RasterTraits(RasterPen& pen) : pen_(pen) {}

  // The entity's own colour and layer, in force until the entity changes them.
  void startEntity(const AcDbEntity& entity) {
    layerId_ = entity.layerId();
    fillType_ = kAcGiFillNever;
    setColor(entity.colorIndex());
  }

  void setColor(const Adesk::UInt16 color) override {
    colorIndex_ = color;
    trueColor_.setColorIndex(static_cast<Adesk::Int16>(color));
    pen_.setColour(color == AcDb::kColorByLayer ? LayerColour(layerId_) : AciColour(color));
  }
  void setTrueColor(const AcCmEntityColor& color) override {
    if (!color.isByColor()) {
      setColor(static_cast<Adesk::UInt16>(color.colorIndex()));
      return;
    }
    trueColor_ = color;
    pen_.setColour({color.red(), color.green(), color.blue()});
  }
  void setLayer(const AcDbObjectId layerId) override { layerId_ = layerId; }
  void setFillType(const AcGiFillType fillType) override { fillType_ = fillType; }
  Adesk::UInt16 color() const override { return colorIndex_; }
  AcCmEntityColor trueColor() const override { return trueColor_; }
  AcDbObjectId layerId() const override { return layerId_; }
  AcGiFillType fillType() const override { return fillType_; }

 private:
  RasterPen& pen_;
  Adesk::UInt16 colorIndex_ = AcDb::kColorByLayer;
  AcCmEntityColor trueColor_;
  AcDbObjectId layerId_;
  AcGiFillType fillType_ = kAcGiFillNever;
};

// The primitives of either geometry interface, drawn with the pen.
template <class GeometryBase>
class RasterGeometry final : public GeometryBase {
 public:
  explicit RasterGeometry(RasterPen& pen) : pen_(pen) {}
  Adesk::Boolean polyline(const Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList, const AcGeVector3d*,
                          Adesk::LongPtr) const override {
    if (pVertexList == nullptr) return Adesk::kFalse;
    pen_.polyline(pVertexList, nbPoints);
    return Adesk::kFalse;  // false: the drawing was not aborted
  }
  Adesk::Boolean polypoint(const Adesk::UInt32 nbPoints, const AcGePoint3d* pVertexList, const AcGeVector3d*,
                           const Adesk::LongPtr*) const override {
    if (pVertexList == nullptr) return Adesk::kFalse;
    pen_.polypoint(pVertexList, nbPoints);
    return Adesk::kFalse;
  }
  Adesk::Boolean pushModelTransform(const AcGeMatrix3d& xMat) override {
    pen_.push(xMat);
    return Adesk::kTrue;
  }
  Adesk::Boolean popModelTransform() override { return pen_.pop(); }
  AcGeMatrix3d getModelToWorldTransform() const override { return pen_.modelToWorld(); }

 private:
  RasterPen& pen_;
};

class RasterViewport final : public AcGiViewport {
 public:
  explicit RasterViewport(const ViewMapping& mapping) : mapping_(mapping) {}
  void getNumPixelsInUnitSquare(const AcGePoint3d&, AcGePoint2d& pixelArea, bool) const override {
    pixelArea.set(mapping_.pixelsPerUnit, mapping_.pixelsPerUnit);
  }
  void getWorldToEyeTransform(AcGeMatrix3d& xform) const override {
    xform = AcGeMatrix3d::translation(AcGeVector3d(-mapping_.centerX, -mapping_.centerY, 0));
  }
  void getViewportDcCorners(AcGePoint2d& lowerLeft, AcGePoint2d& upperRight) const override {
    lowerLeft.set(0, 0);
    upperRight.set(mapping_.width, mapping_.height);
  }

 private:
  const ViewMapping& mapping_;
};

class RasterWorldDraw final : public AcGiWorldDraw {
 public:
  RasterWorldDraw(RasterGeometry<AcGiWorldGeometry>& geometry, RasterTraits& traits)
      : geometry_(geometry), traits_(traits) {}
  AcGiGeometry* rawGeometry() const override { return &geometry_; }
  AcGiRegenType regenType() const override { return kAcGiStandardDisplay; }
  AcGiSubEntityTraits& subEntityTraits() const override { return traits_; }
  AcGiWorldGeometry& geometry() const override { return geometry_; }

 private:
  RasterGeometry<AcGiWorldGeometry>& geometry_;
  RasterTraits& traits_;
};

class RasterViewportDraw final : public AcGiViewportDraw {
 public:
  RasterViewportDraw(RasterGeometry<AcGiViewportGeometry>& geometry, RasterTraits& traits,
                     RasterViewport& viewport)
      : geometry_(geometry), traits_(traits), viewport_(viewport) {}
  AcGiGeometry* rawGeometry() const override { return &geometry_; }
  AcGiRegenType regenType() const override { return kAcGiStandardDisplay; }
  AcGiSubEntityTraits& subEntityTraits() const override { return traits_; }
  AcGiViewportGeometry& geometry() const override { return geometry_; }
  AcGiViewport& viewport() const override { return viewport_; }

 private:
  RasterGeometry<AcGiViewportGeometry>& geometry_;
  RasterTraits& traits_;
  RasterViewport& viewport_;
};

// Everything one render needs to draw an entity.
class EntityPainter {
 public:
  EntityPainter(RasterImage& image, const ViewMapping& mapping, RenderStats& stats)
      : pen_(image, mapping, stats),
        traits_(pen_),
        worldGeometry_(pen_),
        viewportGeometry_(pen_),
        viewport_(mapping),
        worldDraw_(worldGeometry_, traits_),
        viewportDraw_(viewportGeometry_, traits_, viewport_) {}

  void paint(AcDbEntity& entity) {
    traits_.startEntity(entity);
    AcArray<AcGePoint3dArray> polylines;
    AcGePoint3dArray points;
    entity.getWireframe(polylines, points);
    for (const AcGePoint3dArray& chain : polylines) pen_.polyline(chain.asArrayPtr(), chain.length());
    pen_.polypoint(points.asArrayPtr(), points.length());
    if (!entity.worldDraw(&worldDraw_)) entity.viewportDraw(&viewportDraw_);
    while (pen_.pop()) {
    }  // an entity that forgot to pop leaves no transform behind
  }

  void temporaryVector(const TemporaryVector& v) {
    pen_.setColour(AciColour(v.colour));
    pen_.worldLine(AcGePoint3d(v.from[0], v.from[1], v.from[2]), AcGePoint3d(v.to[0], v.to[1], v.to[2]));
  }

 private:
  RasterPen pen_;
  RasterTraits traits_;
  RasterGeometry<AcGiWorldGeometry> worldGeometry_;
  RasterGeometry<AcGiViewportGeometry> viewportGeometry_;
  RasterViewport viewport_;
  RasterWorldDraw worldDraw_;
  RasterViewportDraw viewportDraw_;
};

void PaintModelSpace(AcDbDatabase& database, EntityPainter& painter, RenderStats& stats) {
  AcDbBlockTableRecord* space = nullptr;
  if (acdbOpenObject(space, database.modelSpaceId(), AcDb::kForRead) != Acad::eOk) return;
  AcDbBlockTableRecordIterator* it = nullptr;
  if (space->newIterator(it) == Acad::eOk) {
    for (; !it->done(); it->step()) {
      AcDbEntity* entity = nullptr;
      if (it->getEntity(entity, AcDb::kForRead) != Acad::eOk) continue;
      painter.paint(*entity);
      entity->close();
      ++stats.entities;
    }
    delete it;
  }
  space->close();
}

}  // namespace

RasterImage RenderView(AcDbDatabase& database, const ViewRecord& view, int width, int height, RenderStats* stats) {
  RasterImage image;
  if (width <= 0 || height <= 0) width = height = 0;  // no pixels: an empty image
  image.width = width;
  image.height = height;
  image.rgb.resize(static_cast<size_t>(width) * height * 3);
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) image.set(x, y, kBackgroundColour);
  RenderStats counted;
  ViewMapping mapping = ViewMapping::Fit(view, width, height);
  EntityPainter painter(image, mapping, counted);
  PaintModelSpace(database, painter, counted);
  for (const TemporaryVector& v : TemporaryVectors()) {
    painter.temporaryVector(v);
    ++counted.temporaryVectors;
  }
  if (stats != nullptr) *stats = counted;
  return image;
}

}  // namespace pelvarhost
