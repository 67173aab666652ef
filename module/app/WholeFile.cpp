#include "app/WholeFile.h"

#include <windows.h>

#include <cstdio>

std::wstring WriteTemporaryFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  std::wstring temporary = path + kTemporarySuffix;
  FILE* file = nullptr;
  if (_wfopen_s(&file, temporary.c_str(), L"wb") != 0 || file == nullptr) return {};
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0 &&
                 std::ferror(file) == 0;
  bool closed = std::fclose(file) == 0;
  if (written && closed) return temporary;
  DeleteFileW(temporary.c_str());
  return {};
}

RenameOutcome CommitTemporaryFile(const std::wstring& temporary, const std::wstring& path, bool replace) {
  if (MoveFileExW(temporary.c_str(), path.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0)) return RenameOutcome::kDone;
  if (!replace && GetLastError() == ERROR_ALREADY_EXISTS) return RenameOutcome::kNameTaken;
  DeleteFileW(temporary.c_str());
  return RenameOutcome::kFailed;
}

bool WriteWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  std::wstring temporary = WriteTemporaryFile(path, bytes);
  return !temporary.empty() && CommitTemporaryFile(temporary, path, true) == RenameOutcome::kDone;
}

bool WriteNewWholeFile(const std::wstring& path, std::span<const std::uint8_t> bytes) {
  std::wstring temporary = WriteTemporaryFile(path, bytes);
  if (temporary.empty()) return false;
  RenameOutcome outcome = CommitTemporaryFile(temporary, path, false);
  if (outcome == RenameOutcome::kNameTaken) DeleteFileW(temporary.c_str());
  return outcome == RenameOutcome::kDone;
}
