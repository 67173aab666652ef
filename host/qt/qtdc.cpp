// Device contexts over QPainter.
#include <QPainter>

#include "qtwindows.h"

using namespace pelvarhost::gui;

namespace pelvarhost::gui {

// Windows shows "&&" as one ampersand and takes a single "&" as the mark of a mnemonic.
QString WithoutMnemonics(const QString& text) {
  QString shown;
  for (qsizetype i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&') && i + 1 < text.size()) ++i;
    shown += text[i];
  }
  return shown;
}

}  // namespace pelvarhost::gui

namespace {

QRect ToQRect(LPCRECT rect) { return QRect(rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top); }

template <typename T>
T* Swap(T*& slot, T* value) {
  T* previous = slot;
  slot = value;
  return previous;
}

}  // namespace

CDC* CDC::FromHandle(HDC dc) { return dc != nullptr ? dc->object : nullptr; }

void CDC::FillSolidRect(LPCRECT rect, COLORREF colour) {
  if (m_hDC != nullptr && m_hDC->painter != nullptr) m_hDC->painter->fillRect(ToQRect(rect), ToQColor(colour));
}

int CDC::FillRect(LPCRECT rect, CBrush* brush) {
  if (brush == nullptr) return 0;
  FillSolidRect(rect, brush->Colour());
  return 1;
}

int CDC::FrameRect(LPCRECT rect, CBrush* brush) {
  if (m_hDC == nullptr || m_hDC->painter == nullptr || brush == nullptr) return 0;
  QRect r = ToQRect(rect);
  if (r.width() <= 0 || r.height() <= 0) return 0;
  QColor colour = ToQColor(brush->Colour());
  QPainter& p = *m_hDC->painter;
  p.fillRect(QRect(r.left(), r.top(), r.width(), 1), colour);
  p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), colour);
  p.fillRect(QRect(r.left(), r.top(), 1, r.height()), colour);
  p.fillRect(QRect(r.right(), r.top(), 1, r.height()), colour);
  return 1;
}

BOOL CDC::Ellipse(LPCRECT rect) {
  if (m_hDC == nullptr || m_hDC->painter == nullptr) return FALSE;
  QPainter& p = *m_hDC->painter;
  p.save();
  p.setRenderHint(QPainter::Antialiasing, true);
  if (m_hDC->pen != nullptr)
    p.setPen(QPen(ToQColor(m_hDC->pen->Colour()), std::max(1, m_hDC->pen->Width())));
  else
    p.setPen(Qt::black);
  p.setBrush(m_hDC->brush != nullptr ? QBrush(ToQColor(m_hDC->brush->Colour())) : QBrush(Qt::white));
  // The rectangle's right and bottom edges lie outside the ellipse, as in Windows.
  p.drawEllipse(QRectF(rect->left + 0.5, rect->top + 0.5, rect->right - rect->left - 1.0, rect->bottom - rect->top - 1.0));
  p.restore();
  return TRUE;
}

CPen* CDC::SelectObject(CPen* pen) { return m_hDC != nullptr ? Swap(m_hDC->pen, pen) : nullptr; }
CBrush* CDC::SelectObject(CBrush* brush) { return m_hDC != nullptr ? Swap(m_hDC->brush, brush) : nullptr; }
CFont* CDC::SelectObject(CFont* font) { return m_hDC != nullptr ? Swap(m_hDC->font, font) : nullptr; }

COLORREF CDC::SetTextColor(COLORREF colour) {
  if (m_hDC == nullptr) return 0;
  COLORREF previous = m_hDC->textColour;
  m_hDC->textColour = colour;
  return previous;
}

COLORREF CDC::SetBkColor(COLORREF colour) {
  if (m_hDC == nullptr) return 0;
  COLORREF previous = m_hDC->backColour;
  m_hDC->backColour = colour;
  return previous;
}

int CDC::SetBkMode(int mode) {
  if (m_hDC == nullptr) return 0;
  int previous = m_hDC->backMode;
  m_hDC->backMode = mode;
  return previous;
}

COLORREF CDC::GetTextColor() const { return m_hDC != nullptr ? m_hDC->textColour : 0; }
COLORREF CDC::GetBkColor() const { return m_hDC != nullptr ? m_hDC->backColour : 0; }
int CDC::GetBkMode() const { return m_hDC != nullptr ? m_hDC->backMode : 0; }

int CDC::DrawText(LPCWSTR text, int count, LPRECT rect, UINT format) {
  if (m_hDC == nullptr || m_hDC->painter == nullptr || text == nullptr) return 0;
  QString value = count < 0 ? QString::fromWCharArray(text) : QString::fromWCharArray(text, count);
  if ((format & DT_NOPREFIX) == 0) value = WithoutMnemonics(value);
  int flags = (format & DT_CENTER) != 0 ? Qt::AlignHCenter : (format & DT_RIGHT) != 0 ? Qt::AlignRight : Qt::AlignLeft;
  if ((format & DT_SINGLELINE) != 0) {
    flags |= Qt::TextSingleLine | ((format & DT_VCENTER) != 0 ? Qt::AlignVCenter : Qt::AlignTop);
  } else {
    flags |= Qt::TextWordWrap | Qt::AlignTop;
  }
  QPainter& p = *m_hDC->painter;
  p.save();
  if (m_hDC->font != nullptr) {
    const CFont& font = *m_hDC->font;
    p.setFont(ToQFont(font.FaceName(), font.Height(), font.Weight(), font.Italic()));
  } else {
    p.setFont(m_hDC->defaultFont);
  }
  QRect box = ToQRect(rect);
  if (m_hDC->backMode == OPAQUE) p.fillRect(p.boundingRect(box, flags, value), ToQColor(m_hDC->backColour));
  p.setPen(ToQColor(m_hDC->textColour));
  p.drawText(box, flags, value);
  int height = p.boundingRect(box, flags, value).height();
  p.restore();
  return height;
}

CPaintDC::CPaintDC(CWnd* window) : CDC(IsLiveWindow(window->m_hWnd) ? window->m_hWnd->paintDc : nullptr) {}
