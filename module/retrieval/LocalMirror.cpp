#include "retrieval/LocalMirror.h"

#include <windows.h>

#include <cstdio>

#include "app/Paths.h"
#include "app/Settings.h"
#include "app/WholeFile.h"
#include "retrieval/ArchiveEndpoints.h"

namespace {

std::wstring Widen(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (char c : text) wide.push_back(c == '/' ? kFolderSeparator : static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return wide;
}

void AppendSeparatorUnlessPresent(std::wstring& path) {
  if (!path.empty() && path.back() != kFolderSeparator) path.push_back(kFolderSeparator);
}

// True when no '/'-separated part of the path is empty, "." or "..".
bool StaysBelowRoot(const std::string& relativePath) {
  size_t start = 0;
  while (start <= relativePath.size()) {
    size_t end = relativePath.find('/', start);
    if (end == std::string::npos) end = relativePath.size();
    std::string part = relativePath.substr(start, end - start);
    if (part.empty() || part == "." || part == ".." || part.find('\\') != std::string::npos) return false;
    start = end + 1;
  }
  return true;
}

class OpenFile {
 public:
  OpenFile(const std::wstring& path, const wchar_t* mode) {
    if (_wfopen_s(&file_, path.c_str(), mode) != 0) file_ = nullptr;
  }
  ~OpenFile() {
    if (file_ != nullptr) std::fclose(file_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;
  FILE* get() const { return file_; }

 private:
  FILE* file_ = nullptr;
};

// The size of an open file, or -1.
long long FileSize(FILE* file) {
  if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
  long long size = _ftelli64(file);
  if (_fseeki64(file, 0, SEEK_SET) != 0) return -1;
  return size;
}

bool ReadWholeFile(const std::wstring& path, ByteBuffer& bytes) {
  return ReadWholeFileBytes(path, HttpPolicy{}.maxBodyBytes, bytes);
}

void CreateFoldersOf(const std::wstring& path) {
  for (size_t i = 1; i < path.size(); ++i)
    if (path[i] == kFolderSeparator) CreateDirectoryW(path.substr(0, i).c_str(), nullptr);
}

const std::wstring& MirrorRoot() {
  static const std::wstring root = ReadLocalEptRoot();
  return root;
}

}  // namespace

std::wstring MirrorPath(const std::wstring& root, const std::string& survey, const std::string& relativePath) {
  std::wstring path = root;
  AppendSeparatorUnlessPresent(path);
  path += Widen(survey);
  path.push_back(kFolderSeparator);
  path += Widen(relativePath);
  return path;
}

bool MirrorFileExists(const std::wstring& root, const std::string& survey, const std::string& relativePath) {
  OpenFile file(MirrorPath(root, survey, relativePath), L"rb");
  return file.get() != nullptr && FileSize(file.get()) > 0;
}

bool MirrorWriteFile(const std::wstring& root, const std::string& survey, const std::string& relativePath,
                     const ByteBuffer& bytes) {
  if (!StaysBelowRoot(survey + "/" + relativePath)) return false;
  std::wstring path = MirrorPath(root, survey, relativePath);
  CreateFoldersOf(path);
  return WriteWholeFile(path, bytes);
}

bool FileHoldsBytes(const std::wstring& path, const ByteBuffer& bytes) {
  ByteBuffer held;
  return ReadWholeFile(path, held) && held == bytes;
}

std::wstring MirrorPathForUrl(const std::wstring& root, const std::string& url) {
  if (root.empty()) return {};
  std::string marker = std::string(kArchiveHost) + kArchivePath;
  std::string relative;
  if (size_t at = url.find(marker); at != std::string::npos) {
    relative = url.substr(at + marker.size());
  } else if (url.find(kSurveyIndexPath) != std::string::npos) {
    relative = kSurveyIndexFileName;
  } else {
    return {};
  }
  if (!StaysBelowRoot(relative)) return {};
  std::wstring path = root;
  AppendSeparatorUnlessPresent(path);
  return path + Widen(relative);
}

bool ReadFromMirrorRoot(const std::wstring& mirrorRoot, const std::string& url, ByteBuffer& bytes) {
  std::wstring path = MirrorPathForUrl(mirrorRoot, url);
  return !path.empty() && ReadWholeFile(path, bytes);
}

bool ReadFromLocalMirror(const std::string& url, ByteBuffer& bytes) {
  return ReadFromMirrorRoot(MirrorRoot(), url, bytes);
}

bool FetchBytes(const std::string& url, ByteBuffer& bytes) {
  return ReadFromLocalMirror(url, bytes) || HttpsGet(url, bytes);
}
