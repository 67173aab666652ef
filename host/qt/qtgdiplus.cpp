// GDI+ over QPainter: bitmaps are QImages, paths QPainterPaths.
#include <QFontMetricsF>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "gdiplus.h"
#include "qtwindows.h"

namespace Gdiplus {

struct BrushData {
  QBrush brush;
};
struct ImageData {
  QImage image;
};
struct PathData {
  QPainterPath path;
};
struct GraphicsData {
  std::unique_ptr<QPainter> own;  // painting on an image
  QPainter* painter = nullptr;
  Status status = Ok;
};

namespace {

QColor ToQColor(const Color& c) { return QColor(c.GetR(), c.GetG(), c.GetB(), c.GetA()); }

QFont ToQFont(const std::wstring& family, REAL size, INT style, Unit unit) {
  QFont font(pelvarhost::gui::SubstituteFace(family));
  if (unit == UnitPixel || unit == UnitWorld || unit == UnitDisplay)
    font.setPixelSize(std::max(1, static_cast<int>(size + 0.5f)));
  else
    font.setPointSizeF(std::max(0.5f, size));
  font.setBold((style & FontStyleBold) != 0);
  font.setItalic((style & FontStyleItalic) != 0);
  font.setUnderline((style & FontStyleUnderline) != 0);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

QFont ToQFont(const Font& font) { return ToQFont(font.Family(), font.GetSize(), font.GetStyle(), font.GetUnit()); }

int AlignmentOf(const StringFormat* format) {
  if (format == nullptr) return Qt::AlignLeft | Qt::AlignTop;
  int flags = format->GetAlignment() == StringAlignmentCenter ? Qt::AlignHCenter
              : format->GetAlignment() == StringAlignmentFar  ? Qt::AlignRight
                                                               : Qt::AlignLeft;
  flags |= format->GetLineAlignment() == StringAlignmentCenter ? Qt::AlignVCenter
           : format->GetLineAlignment() == StringAlignmentFar  ? Qt::AlignBottom
                                                                : Qt::AlignTop;
  return flags;
}

QString TextOf(const WCHAR* text, INT length) {
  if (text == nullptr) return {};
  return length < 0 ? QString::fromWCharArray(text) : QString::fromWCharArray(text, length);
}

// Where a text laid out in a rectangle starts: its baseline origin.
QPointF TextOrigin(const QFontMetricsF& metrics, const QString& text, const QRectF& layout, int flags) {
  double width = metrics.horizontalAdvance(text);
  double x = layout.left();
  if (flags & Qt::AlignHCenter) x = layout.left() + (layout.width() - width) / 2;
  if (flags & Qt::AlignRight) x = layout.right() - width;
  double y = layout.top() + metrics.ascent();
  if (flags & Qt::AlignVCenter) y = layout.top() + (layout.height() - metrics.height()) / 2 + metrics.ascent();
  if (flags & Qt::AlignBottom) y = layout.bottom() - metrics.descent();
  return QPointF(x, y);
}

}  // namespace

Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput*, void*) {
  // Text needs the fonts of the window system: without the program's window there are none.
  if (!pelvarhost::gui::HaveGuiApplication()) return GenericError;
  if (token != nullptr) *token = 1;
  return Ok;
}

void GdiplusShutdown(ULONG_PTR) {}

Brush::Brush() : data_(std::make_unique<BrushData>()) {}
Brush::~Brush() = default;

SolidBrush::SolidBrush(const Color& colour) { data_->brush = QBrush(ToQColor(colour)); }

LinearGradientBrush::LinearGradientBrush(const RectF& rect, const Color& colour1, const Color& colour2,
                                         LinearGradientMode mode) {
  QPointF start(rect.X, rect.Y);
  QPointF end = mode == LinearGradientModeVertical ? QPointF(rect.X, rect.Y + rect.Height)
                                                   : QPointF(rect.X + rect.Width, rect.Y);
  QLinearGradient gradient(start, end);
  gradient.setColorAt(0, ToQColor(colour1));
  gradient.setColorAt(1, ToQColor(colour2));
  data_->brush = QBrush(gradient);
}

GraphicsPath::GraphicsPath() : data_(std::make_unique<PathData>()) {}
GraphicsPath::~GraphicsPath() = default;

Status GraphicsPath::AddString(const WCHAR* text, INT length, const FontFamily* family, INT style, REAL emSize,
                               const RectF& layout, const StringFormat* format) {
  if (family == nullptr) return InvalidParameter;
  QFont font = ToQFont(family->Name(), emSize, style, UnitPixel);
  QString value = TextOf(text, length);
  QFontMetricsF metrics(font);
  QPointF origin = TextOrigin(metrics, value, QRectF(layout.X, layout.Y, layout.Width, layout.Height), AlignmentOf(format));
  data_->path.addText(origin, font, value);
  return Ok;
}

Status GraphicsPath::GetBounds(RectF* bounds) const {
  if (bounds == nullptr) return InvalidParameter;
  QRectF box = data_->path.boundingRect();
  *bounds = RectF(static_cast<REAL>(box.x()), static_cast<REAL>(box.y()), static_cast<REAL>(box.width()),
                  static_cast<REAL>(box.height()));
  return Ok;
}

Image::Image() : data_(std::make_unique<ImageData>()) {}
Image::~Image() = default;
UINT Image::GetWidth() const { return static_cast<UINT>(data_->image.width()); }
UINT Image::GetHeight() const { return static_cast<UINT>(data_->image.height()); }

Bitmap::Bitmap(INT width, INT height, PixelFormat) {
  data_->image = QImage(std::max(0, width), std::max(0, height), QImage::Format_ARGB32_Premultiplied);
  data_->image.fill(Qt::transparent);
}

Status Bitmap::GetPixel(INT x, INT y, Color* colour) const {
  const QImage& image = data_->image;
  if (colour == nullptr || x < 0 || y < 0 || x >= image.width() || y >= image.height()) return InvalidParameter;
  QColor c = image.pixelColor(x, y);
  *colour = Color(static_cast<BYTE>(c.alpha()), static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()),
                  static_cast<BYTE>(c.blue()));
  return Ok;
}

Graphics::Graphics(Image* image) : data_(std::make_unique<GraphicsData>()) {
  if (image == nullptr || image->Data().image.isNull()) {
    data_->status = InvalidParameter;
    return;
  }
  data_->own = std::make_unique<QPainter>(&image->Data().image);
  data_->painter = data_->own.get();
}

Graphics::Graphics(HDC dc) : data_(std::make_unique<GraphicsData>()) {
  data_->painter = dc != nullptr ? dc->painter : nullptr;
  if (data_->painter == nullptr) data_->status = InvalidParameter;
}

Graphics::~Graphics() = default;

Status Graphics::GetLastStatus() const { return data_->status; }

Status Graphics::Clear(const Color& colour) {
  if (data_->painter == nullptr) return InvalidParameter;
  QPainter& p = *data_->painter;
  p.save();
  p.resetTransform();
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.fillRect(QRect(0, 0, p.device()->width(), p.device()->height()), ToQColor(colour));
  p.restore();
  return Ok;
}

Status Graphics::SetSmoothingMode(SmoothingMode mode) {
  if (data_->painter == nullptr) return InvalidParameter;
  bool smooth = mode == SmoothingModeAntiAlias || mode == SmoothingModeHighQuality;
  data_->painter->setRenderHint(QPainter::Antialiasing, smooth);
  return Ok;
}

Status Graphics::SetTextRenderingHint(TextRenderingHint hint) {
  if (data_->painter == nullptr) return InvalidParameter;
  data_->painter->setRenderHint(QPainter::TextAntialiasing, hint != TextRenderingHintSingleBitPerPixelGridFit);
  return Ok;
}

Status Graphics::FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height) {
  if (data_->painter == nullptr || brush == nullptr) return InvalidParameter;
  data_->painter->fillRect(QRectF(x, y, width, height), brush->Data().brush);
  return Ok;
}

Status Graphics::FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height) {
  if (data_->painter == nullptr || brush == nullptr) return InvalidParameter;
  data_->painter->fillRect(QRect(x, y, width, height), brush->Data().brush);
  return Ok;
}

Status Graphics::DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2) {
  if (data_->painter == nullptr || pen == nullptr) return InvalidParameter;
  data_->painter->setPen(QPen(ToQColor(pen->GetColor()), pen->GetWidth()));
  data_->painter->drawLine(QPointF(x1, y1), QPointF(x2, y2));
  return Ok;
}

Status Graphics::DrawRectangle(const Pen* pen, REAL x, REAL y, REAL width, REAL height) {
  if (data_->painter == nullptr || pen == nullptr) return InvalidParameter;
  data_->painter->setPen(QPen(ToQColor(pen->GetColor()), pen->GetWidth()));
  data_->painter->setBrush(Qt::NoBrush);
  data_->painter->drawRect(QRectF(x, y, width, height));
  return Ok;
}

Status Graphics::DrawString(const WCHAR* text, INT length, const Font* font, const RectF& layout,
                            const StringFormat* format, const Brush* brush) {
  if (data_->painter == nullptr || font == nullptr || brush == nullptr) return InvalidParameter;
  QFont qfont = ToQFont(*font);
  QString value = TextOf(text, length);
  QPointF origin = TextOrigin(QFontMetricsF(qfont), value, QRectF(layout.X, layout.Y, layout.Width, layout.Height),
                              AlignmentOf(format));
  QPainterPath path;
  path.addText(origin, qfont, value);
  data_->painter->fillPath(path, brush->Data().brush);
  return Ok;
}

Status Graphics::DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const Brush* brush) {
  return DrawString(text, length, font, RectF(origin.X, origin.Y, 1e6f, 1e6f), nullptr, brush);
}

Status Graphics::MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin,
                               RectF* bounds) const {
  if (font == nullptr || bounds == nullptr) return InvalidParameter;
  QFontMetricsF metrics(ToQFont(*font));
  *bounds = RectF(origin.X, origin.Y, static_cast<REAL>(metrics.horizontalAdvance(TextOf(text, length))),
                  static_cast<REAL>(metrics.height()));
  return Ok;
}

Status Graphics::FillPath(const Brush* brush, const GraphicsPath* path) {
  if (data_->painter == nullptr || brush == nullptr || path == nullptr) return InvalidParameter;
  data_->painter->fillPath(path->Data().path, brush->Data().brush);
  return Ok;
}

Status Graphics::DrawPath(const Pen* pen, const GraphicsPath* path) {
  if (data_->painter == nullptr || pen == nullptr || path == nullptr) return InvalidParameter;
  data_->painter->strokePath(path->Data().path, QPen(ToQColor(pen->GetColor()), pen->GetWidth()));
  return Ok;
}

Status Graphics::TranslateTransform(REAL dx, REAL dy) {
  if (data_->painter == nullptr) return InvalidParameter;
  data_->painter->translate(dx, dy);
  return Ok;
}

Status Graphics::ResetTransform() {
  if (data_->painter == nullptr) return InvalidParameter;
  data_->painter->resetTransform();
  return Ok;
}

Status Graphics::DrawImage(Image* image, INT x, INT y) {
  if (data_->painter == nullptr || image == nullptr) return InvalidParameter;
  data_->painter->drawImage(QPoint(x, y), image->Data().image);
  return Ok;
}

}  // namespace Gdiplus
