// Stand-in for GDI+: off-screen bitmaps, solid and gradient brushes, pens, fonts, text and
// text paths, drawn by the host's painter. Graphics over an HDC draw on a window that paints.
#pragma once
#include <memory>

#include "afxwin.h"

namespace Gdiplus {

typedef float REAL;
typedef DWORD ARGB;
typedef INT PixelFormat;
inline constexpr PixelFormat PixelFormat32bppARGB = 0x26200A;

enum Status { Ok = 0, GenericError = 1, InvalidParameter = 2, OutOfMemory = 3 };
enum SmoothingMode { SmoothingModeDefault = 0, SmoothingModeHighSpeed = 1, SmoothingModeHighQuality = 2,
                     SmoothingModeNone = 3, SmoothingModeAntiAlias = 4 };
enum TextRenderingHint { TextRenderingHintSystemDefault = 0, TextRenderingHintSingleBitPerPixelGridFit = 1,
                         TextRenderingHintAntiAlias = 4, TextRenderingHintClearTypeGridFit = 5 };
enum FontStyle { FontStyleRegular = 0, FontStyleBold = 1, FontStyleItalic = 2, FontStyleUnderline = 4 };
enum Unit { UnitWorld = 0, UnitDisplay = 1, UnitPixel = 2, UnitPoint = 3 };
enum StringAlignment { StringAlignmentNear = 0, StringAlignmentCenter = 1, StringAlignmentFar = 2 };
enum LinearGradientMode { LinearGradientModeHorizontal = 0, LinearGradientModeVertical = 1 };

struct GdiplusStartupInput {
  uint32_t GdiplusVersion = 1;
  void* DebugEventCallback = nullptr;
  BOOL SuppressBackgroundThread = FALSE;
  BOOL SuppressExternalCodecs = FALSE;
};
Status GdiplusStartup(ULONG_PTR* token, const GdiplusStartupInput* input, void* output);
void GdiplusShutdown(ULONG_PTR token);

class Color {
 public:
  Color() = default;
  Color(BYTE r, BYTE g, BYTE b) : argb_(MakeARGB(255, r, g, b)) {}
  Color(BYTE a, BYTE r, BYTE g, BYTE b) : argb_(MakeARGB(a, r, g, b)) {}
  ARGB GetValue() const { return argb_; }
  BYTE GetA() const { return static_cast<BYTE>(argb_ >> 24); }
  BYTE GetR() const { return static_cast<BYTE>(argb_ >> 16); }
  BYTE GetG() const { return static_cast<BYTE>(argb_ >> 8); }
  BYTE GetB() const { return static_cast<BYTE>(argb_); }
  static ARGB MakeARGB(BYTE a, BYTE r, BYTE g, BYTE b) {
    return (static_cast<ARGB>(a) << 24) | (static_cast<ARGB>(r) << 16) | (static_cast<ARGB>(g) << 8) | b;
  }

 private:
  ARGB argb_ = 0xFF000000u;
};

struct PointF {
  PointF() = default;
  PointF(REAL x, REAL y) : X(x), Y(y) {}
  REAL X = 0, Y = 0;
};

struct RectF {
  RectF() = default;
  RectF(REAL x, REAL y, REAL width, REAL height) : X(x), Y(y), Width(width), Height(height) {}
  REAL X = 0, Y = 0, Width = 0, Height = 0;
  BOOL Contains(REAL x, REAL y) const { return x >= X && x < X + Width && y >= Y && y < Y + Height; }
};

struct BrushData;
struct ImageData;
struct PathData;

class Brush {
 public:
  virtual ~Brush();
  const BrushData& Data() const { return *data_; }

 protected:
  Brush();
  std::unique_ptr<BrushData> data_;
};

class SolidBrush : public Brush {
 public:
  explicit SolidBrush(const Color& colour);
};

class LinearGradientBrush : public Brush {
 public:
  LinearGradientBrush(const RectF& rect, const Color& colour1, const Color& colour2, LinearGradientMode mode);
};

class Pen {
 public:
  Pen(const Color& colour, REAL width = 1.0f) : colour_(colour), width_(width) {}
  const Color& GetColor() const { return colour_; }
  REAL GetWidth() const { return width_; }

 private:
  Color colour_;
  REAL width_;
};

class FontFamily {
 public:
  explicit FontFamily(const WCHAR* name) : name_(name != nullptr ? name : L"") {}
  const std::wstring& Name() const { return name_; }

 private:
  std::wstring name_;
};

// A font of a family, size in pixels (UnitPixel) and style.
class Font {
 public:
  Font(const WCHAR* familyName, REAL emSize, INT style = FontStyleRegular, Unit unit = UnitPoint)
      : family_(familyName != nullptr ? familyName : L""), size_(emSize), style_(style), unit_(unit) {}
  const std::wstring& Family() const { return family_; }
  REAL GetSize() const { return size_; }
  INT GetStyle() const { return style_; }
  Unit GetUnit() const { return unit_; }

 private:
  std::wstring family_;
  REAL size_;
  INT style_;
  Unit unit_;
};

class StringFormat {
 public:
  Status SetAlignment(StringAlignment align) {
    alignment_ = align;
    return Ok;
  }
  Status SetLineAlignment(StringAlignment align) {
    lineAlignment_ = align;
    return Ok;
  }
  StringAlignment GetAlignment() const { return alignment_; }
  StringAlignment GetLineAlignment() const { return lineAlignment_; }

 private:
  StringAlignment alignment_ = StringAlignmentNear;
  StringAlignment lineAlignment_ = StringAlignmentNear;
};

class GraphicsPath {
 public:
  GraphicsPath();
  ~GraphicsPath();
  GraphicsPath(const GraphicsPath&) = delete;
  GraphicsPath& operator=(const GraphicsPath&) = delete;
  // The outline of a text laid out in the rectangle as DrawString would lay it out.
  Status AddString(const WCHAR* text, INT length, const FontFamily* family, INT style, REAL emSize,
                   const RectF& layout, const StringFormat* format);
  Status GetBounds(RectF* bounds) const;
  const PathData& Data() const { return *data_; }

 private:
  std::unique_ptr<PathData> data_;
};

class Image {
 public:
  virtual ~Image();
  UINT GetWidth() const;
  UINT GetHeight() const;
  ImageData& Data() const { return *data_; }

 protected:
  Image();
  std::unique_ptr<ImageData> data_;
};

class Bitmap : public Image {
 public:
  Bitmap(INT width, INT height, PixelFormat format = PixelFormat32bppARGB);
  Status GetPixel(INT x, INT y, Color* colour) const;
};

struct GraphicsData;

class Graphics {
 public:
  explicit Graphics(Image* image);
  explicit Graphics(HDC dc);
  ~Graphics();
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;
  static Graphics* FromImage(Image* image) { return new Graphics(image); }

  Status GetLastStatus() const;
  Status Clear(const Color& colour);
  Status SetSmoothingMode(SmoothingMode mode);
  Status SetTextRenderingHint(TextRenderingHint hint);
  Status FillRectangle(const Brush* brush, REAL x, REAL y, REAL width, REAL height);
  Status FillRectangle(const Brush* brush, INT x, INT y, INT width, INT height);
  Status DrawLine(const Pen* pen, REAL x1, REAL y1, REAL x2, REAL y2);
  Status DrawRectangle(const Pen* pen, REAL x, REAL y, REAL width, REAL height);
  Status DrawString(const WCHAR* text, INT length, const Font* font, const RectF& layout, const StringFormat* format,
                    const Brush* brush);
  Status DrawString(const WCHAR* text, INT length, const Font* font, const PointF& origin, const Brush* brush);
  Status MeasureString(const WCHAR* text, INT length, const Font* font, const PointF& origin, RectF* bounds) const;
  Status FillPath(const Brush* brush, const GraphicsPath* path);
  Status DrawPath(const Pen* pen, const GraphicsPath* path);
  Status TranslateTransform(REAL dx, REAL dy);
  Status ResetTransform();
  Status DrawImage(Image* image, INT x, INT y);

 private:
  std::unique_ptr<GraphicsData> data_;
};

}  // namespace Gdiplus
