#include "lasio/ExportFile.h"

#include <cwctype>

namespace {

constexpr wchar_t kFolderSeparators[] = L"/\\";

std::wstring Lowered(std::wstring text) {
  for (wchar_t& c : text) c = static_cast<wchar_t>(std::towlower(c));
  return text;
}

// Where the extension starts (the last dot of the file name), or npos.
size_t ExtensionAt(const std::wstring& path) {
  size_t slash = path.find_last_of(kFolderSeparators);
  size_t dot = path.rfind(L'.');
  if (dot == std::wstring::npos || (slash != std::wstring::npos && dot < slash + 2)) return std::wstring::npos;
  return dot;
}

}  // namespace

CropRect WholeCloudRect(const KmqData& data) {
  return {data.originX, data.originY, data.originX + 2.0 * data.sizeX + 1.0, data.originY + 2.0 * data.sizeY + 1.0};
}

std::optional<bool> CompressedByName(const std::wstring& path) {
  size_t dot = ExtensionAt(path);
  std::wstring extension = dot == std::wstring::npos ? L"" : Lowered(path.substr(dot));
  if (extension == L".laz") return true;
  if (extension == L".las") return false;
  return std::nullopt;
}

std::wstring NumberedPath(const std::wstring& path, int k) {
  if (k <= 1) return path;
  size_t dot = ExtensionAt(path);
  if (dot == std::wstring::npos) return path + L"_" + std::to_wstring(k);
  return path.substr(0, dot) + L"_" + std::to_wstring(k) + path.substr(dot);
}
