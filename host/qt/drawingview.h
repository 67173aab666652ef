// The drawing view of the program's window: the working drawing's current view, rendered by
// the host's renderer. The wheel zooms about the cursor, the middle button pans (the last
// image moves with the mouse and is regenerated on release), a left click answers the
// running command's prompt with the point under the cursor.
#pragma once
#include <QElapsedTimer>
#include <QImage>
#include <QWidget>

class QPainter;
#include <functional>

#include "dbdatabase.h"

namespace pelvarhost {

// Work that has run this long shows the busy cursor.
inline constexpr int kBusyAfterMs = 500;

class DrawingView : public QWidget {
 public:
  // pointPicked receives the world point of a left click.
  explicit DrawingView(std::function<void(double x, double y)> pointPicked, QWidget* parent = nullptr);

  // The drawing (or its view) changed: the next paint regenerates.
  void MarkDirty();
  // World coordinates of a position in the widget, in the current view.
  QPointF WorldAt(QPointF position) const;
  // Zooms by factor (below 1 zooms in) keeping the world point under position in place.
  void ZoomAbout(QPointF position, double factor);
  // Moves the view so that the drawing follows the mouse by the given pixels.
  void PanBy(QPoint pixels);
  int Regenerations() const { return regenerations_; }
  // True while the view regenerates. Work inside a regeneration (the first view of a large
  // surface that needs its triangulation) cannot let the window's events run; it calls
  // this now and then, and the view shows the busy cursor once it has taken a while.
  bool ShowBusyIfRegeneratingLong();

  std::function<void(double x, double y)> cursorMoved;
  // While set, painting shows the last image instead of regenerating (a command at work
  // may hold objects open).
  bool holdRegeneration = false;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  QPointF WidgetAt(double x, double y) const;
  void DrawRubberBand(QPainter& painter);
  void Regenerate();
  bool ImageIsCurrent() const;

  std::function<void(double, double)> pointPicked_;
  QImage image_;
  ViewRecord imageView_;
  bool dirty_ = true;
  bool panning_ = false;
  QPoint panStart_;
  QPoint panOffset_;
  int regenerations_ = 0;
  QElapsedTimer regeneratingSince_;  // invalid between regenerations
  bool busyCursorShown_ = false;
  QPointF cursor_;
  bool cursorInside_ = false;
};

}  // namespace pelvarhost
