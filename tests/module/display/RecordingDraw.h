// A graphics context for tests that records every primitive with the colour, fill type
// and model transform in force when it was drawn. The viewport reports a fixed scale.
#pragma once
#include <vector>

#include "acgi.h"

namespace recording {

struct DrawCall {
  enum Kind { Polyline, Polypoint } kind;
  std::vector<AcGePoint3d> points;  // model coordinates, as given
  AcCmEntityColor colour;
  AcGiFillType fill;
  AcGeMatrix3d modelTransform;
  bool hadNormals = false;
  bool hadMarkers = false;
};

struct DrawLog {
  std::vector<DrawCall> calls;
  int pushes = 0;
  int pops = 0;
  AcGePoint3d scaleAskedAt;
  bool scaleAskedWithPerspective = false;
  int scaleQuestions = 0;

  size_t Count(DrawCall::Kind kind) const {
    size_t n = 0;
    for (const DrawCall& c : calls) n += c.kind == kind;
    return n;
  }
  size_t PointsDrawn() const {
    size_t n = 0;
    for (const DrawCall& c : calls)
      if (c.kind == DrawCall::Polypoint) n += c.points.size();
    return n;
  }
};

class Traits final : public AcGiSubEntityTraits {
 public:
  void setColor(const Adesk::UInt16 color) override { colour_.setColorIndex(static_cast<Adesk::Int16>(color)); }
  void setTrueColor(const AcCmEntityColor& color) override { colour_ = color; }
  void setLayer(const AcDbObjectId layerId) override { layer_ = layerId; }
  void setFillType(const AcGiFillType fillType) override { fill_ = fillType; }
  Adesk::UInt16 color() const override { return static_cast<Adesk::UInt16>(colour_.colorIndex()); }
  AcCmEntityColor trueColor() const override { return colour_; }
  AcDbObjectId layerId() const override { return layer_; }
  AcGiFillType fillType() const override { return fill_; }

 private:
  AcCmEntityColor colour_;
  AcDbObjectId layer_;
  AcGiFillType fill_ = kAcGiFillAlways;
};

template <class Base>
class Geometry final : public Base {
 public:
  Geometry(DrawLog& log, const Traits& traits) : log_(log), traits_(traits) {}
  Adesk::Boolean polyline(const Adesk::UInt32 n, const AcGePoint3d* v, const AcGeVector3d* normal,
                          Adesk::LongPtr) const override {
    record(DrawCall::Polyline, n, v, normal != nullptr, false);
    return Adesk::kFalse;
  }
  Adesk::Boolean polypoint(const Adesk::UInt32 n, const AcGePoint3d* v, const AcGeVector3d* normals,
                           const Adesk::LongPtr* markers) const override {
    record(DrawCall::Polypoint, n, v, normals != nullptr, markers != nullptr);
    return Adesk::kFalse;
  }
  Adesk::Boolean pushModelTransform(const AcGeMatrix3d& m) override {
    stack_.push_back(current_);
    current_ = current_ * m;
    ++log_.pushes;
    return Adesk::kTrue;
  }
  Adesk::Boolean popModelTransform() override {
    ++log_.pops;
    if (stack_.empty()) return Adesk::kFalse;
    current_ = stack_.back();
    stack_.pop_back();
    return Adesk::kTrue;
  }
  AcGeMatrix3d getModelToWorldTransform() const override { return current_; }

 private:
  void record(DrawCall::Kind kind, Adesk::UInt32 n, const AcGePoint3d* v, bool normals, bool markers) const {
    DrawCall call{kind, std::vector<AcGePoint3d>(v, v + n), traits_.trueColor(), traits_.fillType(), current_,
                  normals, markers};
    log_.calls.push_back(std::move(call));
  }
  DrawLog& log_;
  const Traits& traits_;
  AcGeMatrix3d current_;
  std::vector<AcGeMatrix3d> stack_;
};

class Viewport final : public AcGiViewport {
 public:
  Viewport(DrawLog& log, double pixelsX, double pixelsY) : log_(log), pixels_(pixelsX, pixelsY) {}
  void getNumPixelsInUnitSquare(const AcGePoint3d& at, AcGePoint2d& area, bool perspective) const override {
    log_.scaleAskedAt = at;
    log_.scaleAskedWithPerspective = perspective;
    ++log_.scaleQuestions;
    area = pixels_;
  }
  // The view is not placed anywhere: the eye is the world and the screen has no size.
  void getWorldToEyeTransform(AcGeMatrix3d& xform) const override { xform = AcGeMatrix3d::kIdentity; }
  void getViewportDcCorners(AcGePoint2d& lowerLeft, AcGePoint2d& upperRight) const override {
    lowerLeft.set(0, 0);
    upperRight.set(0, 0);
  }

 private:
  DrawLog& log_;
  AcGePoint2d pixels_;
};

// Both drawing contexts over one log.
class Draw {
 public:
  explicit Draw(double pixelsPerUnit) : Draw(pixelsPerUnit, pixelsPerUnit) {}
  Draw(double pixelsX, double pixelsY)
      : worldGeometry_(log, traits_),
        viewportGeometry_(log, traits_),
        viewport_(log, pixelsX, pixelsY),
        world_(*this),
        viewportDraw_(*this) {}

  AcGiWorldDraw* world() { return &world_; }
  AcGiViewportDraw* viewport() { return &viewportDraw_; }

  DrawLog log;

 private:
  class World final : public AcGiWorldDraw {
   public:
    explicit World(Draw& d) : d_(d) {}
    AcGiGeometry* rawGeometry() const override { return &d_.worldGeometry_; }
    AcGiRegenType regenType() const override { return kAcGiStandardDisplay; }
    AcGiSubEntityTraits& subEntityTraits() const override { return d_.traits_; }
    AcGiWorldGeometry& geometry() const override { return d_.worldGeometry_; }

   private:
    Draw& d_;
  };
  class ViewportDraw final : public AcGiViewportDraw {
   public:
    explicit ViewportDraw(Draw& d) : d_(d) {}
    AcGiGeometry* rawGeometry() const override { return &d_.viewportGeometry_; }
    AcGiRegenType regenType() const override { return kAcGiStandardDisplay; }
    AcGiSubEntityTraits& subEntityTraits() const override { return d_.traits_; }
    AcGiViewportGeometry& geometry() const override { return d_.viewportGeometry_; }
    AcGiViewport& viewport() const override { return d_.viewport_; }

   private:
    Draw& d_;
  };

  mutable Traits traits_;
  mutable Geometry<AcGiWorldGeometry> worldGeometry_;
  mutable Geometry<AcGiViewportGeometry> viewportGeometry_;
  mutable Viewport viewport_;
  World world_;
  ViewportDraw viewportDraw_;
};

}  // namespace recording
