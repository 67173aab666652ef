#include "app/WholeFile.h"

#include <windows.h>

#include <cstdio>
#include <memory>

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

std::wstring WriteUnderFirstFreeName(const std::function<std::wstring(int)>& nameFor, int maxNames,
                                     std::span<const std::uint8_t> bytes, std::wstring& failedPath) {
  std::wstring first = nameFor(1);
  std::wstring temporary = WriteTemporaryFile(first, bytes);
  failedPath = first;
  if (temporary.empty()) return {};
  for (int k = 1; k <= maxNames; ++k) {
    std::wstring path = nameFor(k);
    RenameOutcome outcome = CommitTemporaryFile(temporary, path, false);
    if (outcome == RenameOutcome::kDone) return path;
    if (outcome == RenameOutcome::kFailed) {
      failedPath = path;
      return {};
    }
  }
  DeleteFileW(temporary.c_str());
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
