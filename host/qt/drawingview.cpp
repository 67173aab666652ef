#include "drawingview.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <cmath>

#include "dbapserv.h"
#include "hostgraphics.h"
#include "hostrender.h"

namespace pelvarhost {
namespace {

constexpr double kWheelStepFactor = 0.8;  // one wheel notch in: the view shows 80% of the height
constexpr double kWheelNotch = 120.0;

AcDbDatabase* WorkingDatabase() { return acdbHostApplicationServices()->workingDatabase(); }

QColor Background() { return QColor(kBackgroundColour.red, kBackgroundColour.green, kBackgroundColour.blue); }

}  // namespace

DrawingView::DrawingView(std::function<void(double, double)> pointPicked, QWidget* parent)
    : QWidget(parent), pointPicked_(std::move(pointPicked)) {
  setObjectName("drawingView");
  setMouseTracking(true);
  setMinimumSize(200, 150);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setCursor(Qt::CrossCursor);
}

void DrawingView::MarkDirty() {
  dirty_ = true;
  update();
}

QPointF DrawingView::WorldAt(QPointF position) const {
  AcDbDatabase* db = WorkingDatabase();
  if (db == nullptr || width() <= 0 || height() <= 0) return {};
  ViewMapping mapping = ViewMapping::Fit(db->viewRecord(), width(), height());
  return QPointF((position.x() - width() / 2.0) / mapping.pixelsPerUnit + mapping.centerX,
                 mapping.centerY - (position.y() - height() / 2.0) / mapping.pixelsPerUnit);
}

void DrawingView::ZoomAbout(QPointF position, double factor) {
  AcDbDatabase* db = WorkingDatabase();
  if (db == nullptr || !(factor > 0) || !std::isfinite(factor)) return;
  QPointF anchor = WorldAt(position);
  ViewRecord view = db->viewRecord();
  view.centerX = anchor.x() + (view.centerX - anchor.x()) * factor;
  view.centerY = anchor.y() + (view.centerY - anchor.y()) * factor;
  view.height *= factor;
  if (!(view.height > 0) || !std::isfinite(view.height)) return;
  db->setViewRecord(view);
  MarkDirty();
}

void DrawingView::PanBy(QPoint pixels) {
  AcDbDatabase* db = WorkingDatabase();
  if (db == nullptr || width() <= 0 || height() <= 0) return;
  ViewRecord view = db->viewRecord();
  ViewMapping mapping = ViewMapping::Fit(view, width(), height());
  view.centerX -= pixels.x() / mapping.pixelsPerUnit;
  view.centerY += pixels.y() / mapping.pixelsPerUnit;
  db->setViewRecord(view);
  MarkDirty();
}

QPointF DrawingView::WidgetAt(double x, double y) const {
  AcDbDatabase* db = WorkingDatabase();
  if (db == nullptr || width() <= 0 || height() <= 0) return {};
  ViewMapping mapping = ViewMapping::Fit(db->viewRecord(), width(), height());
  return QPointF((x - mapping.centerX) * mapping.pixelsPerUnit + width() / 2.0,
                 height() / 2.0 - (y - mapping.centerY) * mapping.pixelsPerUnit);
}

// The waiting point prompt's rubber band from its base point to the cursor.
void DrawingView::DrawRubberBand(QPainter& painter) {
  RubberBand band = CurrentRubberBand();
  if (band.kind == RubberBandKind::None || !cursorInside_ || panning_) return;
  QPointF base = WidgetAt(band.base[0], band.base[1]);
  painter.setPen(QPen(Qt::white, 0, Qt::DashLine));
  if (band.kind == RubberBandKind::Line) {
    painter.drawLine(base, cursor_);
  } else {
    painter.drawRect(QRectF(base, cursor_).normalized());
  }
}

bool DrawingView::ImageIsCurrent() const {
  AcDbDatabase* db = WorkingDatabase();
  if (dirty_ || image_.size() != size() || db == nullptr) return false;
  const ViewRecord& view = db->viewRecord();
  return view.centerX == imageView_.centerX && view.centerY == imageView_.centerY && view.height == imageView_.height;
}

void DrawingView::Regenerate() {
  dirty_ = false;
  AcDbDatabase* db = WorkingDatabase();
  if (db == nullptr || width() <= 0 || height() <= 0) {
    image_ = QImage(size(), QImage::Format_RGB888);
    image_.fill(Background());
    return;
  }
  imageView_ = db->viewRecord();
  regeneratingSince_.start();
  const struct Ended {
    DrawingView& view;
    ~Ended() {
      view.regeneratingSince_.invalidate();
      if (view.busyCursorShown_) QApplication::restoreOverrideCursor();
      view.busyCursorShown_ = false;
    }
  } ended{*this};
  RasterImage raster = RenderView(*db, imageView_, width(), height());
  image_ = QImage(raster.rgb.data(), raster.width, raster.height, raster.width * 3, QImage::Format_RGB888).copy();
  ++regenerations_;
}

bool DrawingView::ShowBusyIfRegeneratingLong() {
  if (!regeneratingSince_.isValid()) return false;
  if (!busyCursorShown_ && regeneratingSince_.elapsed() >= kBusyAfterMs) {
    QApplication::setOverrideCursor(Qt::BusyCursor);
    busyCursorShown_ = true;
  }
  return true;
}

void DrawingView::paintEvent(QPaintEvent*) {
  // While panning, the last image moves with the mouse; it is regenerated on release.
  if (!panning_ && !holdRegeneration && !ImageIsCurrent()) Regenerate();
  QPainter painter(this);
  painter.fillRect(rect(), Background());
  painter.drawImage(panOffset_, image_);
  DrawRubberBand(painter);
}

void DrawingView::wheelEvent(QWheelEvent* event) {
  double notches = event->angleDelta().y() / kWheelNotch;
  if (notches == 0) return;
  ZoomAbout(event->position(), std::pow(kWheelStepFactor, notches));
  event->accept();
}

void DrawingView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton) {
    panning_ = true;
    panStart_ = event->position().toPoint();
    panOffset_ = QPoint();
    setCursor(Qt::ClosedHandCursor);
  } else if (event->button() == Qt::LeftButton && pointPicked_) {
    QPointF world = WorldAt(event->position());
    pointPicked_(world.x(), world.y());
  }
}

void DrawingView::leaveEvent(QEvent*) {
  cursorInside_ = false;
  if (CurrentRubberBand().kind != RubberBandKind::None) update();
}

void DrawingView::mouseMoveEvent(QMouseEvent* event) {
  cursor_ = event->position();
  cursorInside_ = true;
  if (CurrentRubberBand().kind != RubberBandKind::None) update();
  if (panning_) {
    panOffset_ = event->position().toPoint() - panStart_;
    update();
  }
  if (cursorMoved) {
    QPointF world = WorldAt(event->position());
    cursorMoved(world.x(), world.y());
  }
}

void DrawingView::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::MiddleButton || !panning_) return;
  panning_ = false;
  QPoint moved = panOffset_;
  panOffset_ = QPoint();
  setCursor(Qt::CrossCursor);
  if (moved.isNull()) {
    update();
    return;
  }
  PanBy(moved);
}

}  // namespace pelvarhost
