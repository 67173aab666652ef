// Reading and writing whole files, the one way every file of the host is read and written.
//
// Reading opens regular files only (a FIFO or a device could block or never end) and
// refuses a file larger than the caller's cap before reading any of it.
//
// Writing goes to a temporary file beside the target ("<target>.tmp<PID>", locked while it
// is written), with every write checked and the data flushed to disk; only then is it
// renamed over the target, so that the target is always the old file or the whole new one.
// A symbolic link is written through to its target and an existing file keeps its mode.
// Temporary files that no running process holds (left by a killed writer) are removed when
// the next write to their folder starts.
#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace pelvarhost {

// Opens `path` for reading when it is a regular file of at most `maxBytes` bytes: the
// descriptor, its size in `*size`; else -1 with the reason in `error` ("not a regular
// file", "larger than N bytes" or the system's text).
int OpenRegularFile(const std::string& path, std::uint64_t maxBytes, std::uint64_t* size, std::string& error);

// Reads a whole regular file of at most `maxBytes` bytes. `missing` (when given) tells a
// file that does not exist from one that cannot be read.
bool ReadRegularFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes, std::string& error,
                     bool* missing = nullptr);

enum class WriteOutcome { kDone, kNameTaken, kFailed };

inline constexpr int kNewFileMode = 0666;

// A temporary file beside its target, removed unless committed. Each failure sets `error`
// to a whole message ("cannot write \"NAME\": No space left on device").
class PendingFile {
 public:
  PendingFile() = default;
  ~PendingFile();
  PendingFile(const PendingFile&) = delete;
  PendingFile& operator=(const PendingFile&) = delete;

  // Creates the temporary file for `target` (after following links), removing dead leftovers.
  // A new file gets `newFileMode` (less the umask); an existing one keeps its mode.
  bool Create(const std::string& target, std::string& error, int newFileMode = kNewFileMode);
  bool Write(std::span<const std::uint8_t> bytes, std::string& error);
  // Flushes to disk and closes; nothing more can be written.
  bool Finish(std::string& error);
  // Renames the finished file to `target` (replacing through links); without `replace` a
  // taken name (a link included) is kNameTaken and the file stays for another name.
  WriteOutcome Commit(const std::string& target, bool replace, std::string& error);

 private:
  void Discard();
  std::string target_;  // as named by the caller, for messages
  std::string temporary_;
  int fd_ = -1;
  int mode_ = -1;  // the mode the file gets at commit, or -1 for the default
};

// Writes `bytes` as the file at `path` whole or not at all.
WriteOutcome WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes, bool replace,
                            std::string& error, int newFileMode = kNewFileMode);

// The file a path names after following symbolic links (the path itself when it is none).
std::string FollowLinks(const std::string& path);

}  // namespace pelvarhost
