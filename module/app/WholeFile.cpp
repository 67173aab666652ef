#include "app/WholeFile.h"

#include <wcrt.h>

#include <cstdio>
#include <memory>

bool WriteWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  return pvWriteWholeFileW(path.c_str(), bytes.data(), bytes.size()) == 0;
}

bool WriteNewWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  const wchar_t* name = path.c_str();
  return pvWriteNewFileW(&name, 1, bytes.data(), bytes.size(), nullptr) == 0;
}

std::wstring WriteUnderFirstFreeName(const std::function<std::wstring(int)>& nameFor, int maxNames,
                                     std::span<const std::uint8_t> bytes, std::wstring& failedPath) {
  std::vector<std::wstring> paths;
  for (int k = 1; k <= maxNames; ++k) paths.push_back(nameFor(k));
  std::vector<const wchar_t*> names;
  for (const std::wstring& path : paths) names.push_back(path.c_str());
  failedPath.clear();
  size_t chosen = 0;
  if (pvWriteNewFileW(names.data(), names.size(), bytes.data(), bytes.size(), &chosen) == 0) return paths[chosen];
  if (!paths.empty()) failedPath = paths.front();
  return {};
}

bool ReadWholeFileBytes(const std::wstring& path, std::uint64_t maxBytes, std::vector<std::uint8_t>& bytes) {
  bytes.clear();
  FILE* raw = nullptr;
  if (_wfopen_s(&raw, path.c_str(), L"rb") != 0 || raw == nullptr) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> file(raw, std::fclose);
  if (_fseeki64(raw, 0, SEEK_END) != 0) return false;
  long long size = _ftelli64(raw);
  if (size <= 0 || static_cast<unsigned long long>(size) > maxBytes || _fseeki64(raw, 0, SEEK_SET) != 0) return false;
  bytes.resize(static_cast<size_t>(size));
  if (std::fread(bytes.data(), 1, bytes.size(), raw) == bytes.size()) return true;
  bytes.clear();
  return false;
}
