// Scratch files for parsers that read from a path: each fuzz process has its own, in the
// temporary folder ($TMPDIR), rewritten with every input.
#pragma once
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "wcrt.h"

namespace pelvarfuzz {

// Replaces the contents of `path` with the bytes; a failed write ends the run, since every
// later input would be judged against stale bytes.
inline void WriteWhole(const std::filesystem::path& path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path.c_str(), "wb");
  bool ok = file != nullptr && (size == 0 || std::fwrite(data, 1, size, file) == size);
  if (file != nullptr && std::fclose(file) != 0) ok = false;
  if (!ok) {
    std::perror(path.c_str());
    std::abort();
  }
}

// A scratch path (file or folder) of this process, removed with everything in it at exit.
class ScratchFile {
 public:
  explicit ScratchFile(const std::string& name)
      : path_(std::filesystem::temp_directory_path() / ("pelvar_fuzz_" + std::to_string(::getpid()) + "_" + name)) {}
  ~ScratchFile() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  void Write(const uint8_t* data, size_t size) const { WriteWhole(path_, data, size); }

  std::wstring WidePath() const { return pelvarhost::Utf8ToWide(path_.string()); }
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// Ends the run with a message when a property of a parser's result does not hold.
inline void Require(bool holds, const char* what) {
  if (holds) return;
  std::fprintf(stderr, "fuzz property broken: %s\n", what);
  std::abort();
}

}  // namespace pelvarfuzz
