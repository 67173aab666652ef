#include "app/WholeFile.h"

#include <wcrt.h>

bool WriteWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  return pvWriteWholeFileW(path.c_str(), bytes.data(), bytes.size()) == 0;
}

bool WriteNewWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  const wchar_t* name = path.c_str();
  return pvWriteNewFileW(&name, 1, bytes.data(), bytes.size(), nullptr) == 0;
}

int WriteFirstFreeFile(const std::vector<std::wstring>& paths, std::span<const std::uint8_t> bytes,
                       std::wstring& failed) {
  failed.clear();
  std::vector<const wchar_t*> names;
  for (const std::wstring& path : paths) names.push_back(path.c_str());
  size_t chosen = 0;
  const errno_t status = pvWriteNewFileW(names.data(), names.size(), bytes.data(), bytes.size(), &chosen);
  if (status == 0) return static_cast<int>(chosen);
  if (!paths.empty()) failed = paths.front();
  return -1;
}
