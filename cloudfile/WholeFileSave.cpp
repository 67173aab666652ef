#include "cloudfile/WholeFileSave.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "wcrt.h"

namespace {

constexpr const wchar_t* kTemporarySuffix = L".partial";
// Written in pieces, so that a failing disk is noticed close to where it fails.
constexpr size_t kWritePiece = size_t{1} << 24;

bool WriteAll(FILE* file, std::span<const uint8_t> bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const size_t piece = std::min(kWritePiece, bytes.size() - done);
    if (std::fwrite(bytes.data() + done, 1, piece, file) != piece) return false;
    done += piece;
  }
  return std::fflush(file) == 0;
}

}  // namespace

std::wstring TemporarySavePath(const std::wstring& path) { return path + kTemporarySuffix; }

bool SaveWholeFile(const std::wstring& path, std::span<const uint8_t> bytes) {
  const std::wstring temporary = TemporarySavePath(path);
  FILE* file = nullptr;
  // "x": create the temporary file new; a file of that name is never overwritten.
  if (_wfopen_s(&file, temporary.c_str(), L"wbx") != 0 || file == nullptr) return false;
  const bool written = WriteAll(file, bytes);
  const bool closed = std::fclose(file) == 0;
  std::error_code error;
  if (written && closed) {
    std::filesystem::rename(std::filesystem::path(temporary), std::filesystem::path(path), error);
    if (!error) return true;
  }
  std::filesystem::remove(std::filesystem::path(temporary), error);
  return false;
}
