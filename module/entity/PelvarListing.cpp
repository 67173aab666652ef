// What LIST shows of a cloud entity: the file it names, what the file holds, and how the
// cloud is shown.
#include <cwchar>
#include <new>
#include <string>
#include <vector>

#include "acstring.h"
#include "entity/Pelvar.h"

namespace {

constexpr int kMaskBits = 32;

// The classes whose bits are set, as "2 6 7 9", or "none".
std::wstring VisibleClassesText(uint32_t mask) {
  std::wstring text;
  for (int c = 0; c < kMaskBits; ++c) {
    if ((mask >> c & 1u) == 0) continue;
    if (!text.empty()) text += L' ';
    text += std::to_wstring(c);
  }
  return text.empty() ? L"none" : text;
}

const wchar_t* ColourModeName(uint8_t mode) {
  switch (mode) {
    case Pelvar::kColorByIntensity: return L"Intensity";
    case Pelvar::kColorByElevation: return L"Elevation";
    default: return L"Class";
  }
}

std::wstring ElevationWindowText(bool on, double minZ, double maxZ) {
  return on ? AcString().format(L"%.2f to %.2f", minZ, maxZ).str() : std::wstring(L"off");
}

// The tile label's bytes up to its NUL, each byte one character.
std::wstring TileNameText(const char* label) {
  std::wstring text;
  for (const char* c = label; *c != '\0'; ++c) text.push_back(static_cast<unsigned char>(*c));
  return text;
}

// The image of the entity's file, or null when it cannot be had (nothing is thrown).
KmqDataPtr LoadedCloud(const Pelvar& entity) {
  try {
    return entity.CloudData();
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}

}  // namespace

void Pelvar::subList(std::vector<std::wstring>& lines) const {
  lines.push_back(L"Cloud file: " + m_cloudPath);
  if (KmqDataPtr data = LoadedCloud(*this)) {
    lines.push_back(L"Points: " + std::to_wstring(data->pointCount));
    lines.push_back(L"Tile: " + TileNameText(data->tileName));
    lines.push_back(L"EPSG: " + std::to_wstring(data->epsg));
  } else {
    lines.push_back(L"Points: cloud file not loaded");
  }
  lines.push_back(L"Visible classes: " + VisibleClassesText(m_classMask));
  lines.push_back(std::wstring(L"Colour mode: ") + ColourModeName(m_colorMode));
  lines.push_back(L"Density: " + std::to_wstring(m_density) + L"%");
  lines.push_back(L"Elevation window: " + ElevationWindowText(m_elevFilterOn, m_elevMin, m_elevMax));
}
