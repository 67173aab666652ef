// Entity colours: a colour method with either a colour index or explicit red, green, blue.
#pragma once
#include "adesk.h"

class AcCmEntityColor {
 public:
  enum ColorMethod : Adesk::UInt8 {
    kByLayer = 0xC0,
    kByBlock = 0xC1,
    kByColor = 0xC2,  // explicit red, green and blue
    kByACI = 0xC3,    // a colour index
    kByPen = 0xC4,
    kForeground = 0xC5,
    kLayerOff = 0xC6,
    kLayerFrozen = 0xC7,
    kNone = 0xC8
  };

  AcCmEntityColor() = default;
  AcCmEntityColor(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue) { setRGB(red, green, blue); }

  ColorMethod colorMethod() const { return m_method; }
  void setColorMethod(ColorMethod method) { m_method = method; }
  bool isByColor() const { return m_method == kByColor; }
  bool isByACI() const { return m_method == kByACI; }
  bool isByLayer() const { return m_method == kByLayer; }
  bool isByBlock() const { return m_method == kByBlock; }

  // Sets the method to kByColor.
  void setRGB(Adesk::UInt8 red, Adesk::UInt8 green, Adesk::UInt8 blue) {
    m_method = kByColor;
    m_red = red;
    m_green = green;
    m_blue = blue;
  }
  Adesk::UInt8 red() const { return m_red; }
  Adesk::UInt8 green() const { return m_green; }
  Adesk::UInt8 blue() const { return m_blue; }

  // Sets the method to kByACI (or kByLayer / kByBlock for 256 / 0).
  void setColorIndex(Adesk::Int16 index) {
    m_method = index == 256 ? kByLayer : (index == 0 ? kByBlock : kByACI);
    m_index = index;
  }
  Adesk::Int16 colorIndex() const { return m_index; }

  bool operator==(const AcCmEntityColor& other) const {
    if (m_method != other.m_method) return false;
    if (m_method == kByColor) return m_red == other.m_red && m_green == other.m_green && m_blue == other.m_blue;
    return m_index == other.m_index;
  }
  bool operator!=(const AcCmEntityColor& other) const { return !(*this == other); }

 private:
  ColorMethod m_method = kByLayer;
  Adesk::Int16 m_index = 256;
  Adesk::UInt8 m_red = 0, m_green = 0, m_blue = 0;
};
