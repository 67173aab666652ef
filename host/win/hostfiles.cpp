#include "hostfiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "wcrt.h"
#include "wideutf8.h"

namespace pelvarhost {

namespace {

constexpr char kTemporaryMark[] = ".tmp";
constexpr int kMaxLinkHops = 40;  // as the system's own limit (ELOOP)

std::string ErrnoText() { return std::strerror(errno); }

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool AllDigits(std::string_view text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// The process id in a temporary file's name ("x.tmp123", "x.tmp123.2", "x.tmp.123"), or 0
// when the name is no temporary file's.
pid_t TemporaryOwner(std::string_view name) {
  const size_t mark = name.rfind(kTemporaryMark);
  if (mark == std::string_view::npos || mark == 0) return 0;
  std::string_view rest = name.substr(mark + sizeof(kTemporaryMark) - 1);
  if (!rest.empty() && rest.front() == '.') rest.remove_prefix(1);
  const std::string_view pid = rest.substr(0, rest.find('.'));
  const std::string_view serial = pid.size() < rest.size() ? rest.substr(pid.size() + 1) : std::string_view("0");
  if (!AllDigits(pid) || !AllDigits(serial) || pid.size() > 9) return 0;
  return static_cast<pid_t>(std::stol(std::string(pid)));
}

bool ProcessRuns(pid_t pid) { return pid == ::getpid() || ::kill(pid, 0) == 0 || errno == EPERM; }

// Removes the folder's temporary files that no writer holds: their lock is free, and the
// process named in them is gone or is this one (which holds every file it writes).
void RemoveDeadLeftovers(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return;
  const int dirFd = ::dirfd(dir);
  while (const dirent* entry = ::readdir(dir)) {
    const pid_t owner = TemporaryOwner(entry->d_name);
    if (owner == 0 || (owner != ::getpid() && ProcessRuns(owner))) continue;
    const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) continue;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      ::unlinkat(dirFd, entry->d_name, 0);
    ::close(fd);
  }
  ::closedir(dir);
}

void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

// True when `path` still names the file open at `fd` (a cleaner may have removed it first).
bool NamesOpenFile(const std::string& path, int fd) {
  struct stat named {}, open {};
  return ::stat(path.c_str(), &named) == 0 && ::fstat(fd, &open) == 0 && named.st_ino == open.st_ino &&
         named.st_dev == open.st_dev;
}

bool RenameWithoutReplacing(const std::string& from, const std::string& to, bool* taken) {
  *taken = false;
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return true;
  if (errno == EEXIST) {
    *taken = true;
    return false;
  }
  if (errno != EINVAL && errno != ENOSYS) return false;
  // A file system without the no-replace rename: a hard link fails just as atomically.
  if (::link(from.c_str(), to.c_str()) != 0) {
    *taken = errno == EEXIST;
    return false;
  }
  ::unlink(from.c_str());
  return true;
}

}  // namespace

std::string FollowLinks(const std::string& path) {
  std::string current = path;
  for (int hop = 0; hop < kMaxLinkHops; ++hop) {
    struct stat info {};
    if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return current;
    std::string target(static_cast<size_t>(info.st_size) + 1, '\0');
    const ssize_t n = ::readlink(current.c_str(), target.data(), target.size());
    if (n <= 0 || static_cast<size_t>(n) >= target.size()) return current;
    target.resize(static_cast<size_t>(n));
    current = target.front() == '/' ? target : FolderOf(current) + "/" + target;
  }
  return current;
}

int OpenRegularFile(const std::string& path, std::uint64_t maxBytes, std::uint64_t* size, std::string& error) {
  // Without O_NONBLOCK opening a FIFO would wait for a writer.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    error = ErrnoText();
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    error = S_ISDIR(info.st_mode) ? std::strerror(EISDIR) : "not a regular file";
    ::close(fd);
    errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    return -1;
  }
  if (static_cast<std::uint64_t>(info.st_size) > maxBytes) {
    error = "larger than " + std::to_string(maxBytes) + " bytes";
    ::close(fd);
    errno = EFBIG;
    return -1;
  }
  ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
  if (size != nullptr) *size = static_cast<std::uint64_t>(info.st_size);
  return fd;
}

bool ReadRegularFile(const std::string& path, std::uint64_t maxBytes, std::string& bytes, std::string& error,
                     bool* missing) {
  bytes.clear();
  std::uint64_t size = 0;
  const int fd = OpenRegularFile(path, maxBytes, &size, error);
  if (missing != nullptr) *missing = fd < 0 && errno == ENOENT;
  if (fd < 0) return false;
  bytes.resize(static_cast<size_t>(size));
  size_t done = 0;
  bool ok = true;
  for (;;) {
    if (done == bytes.size()) {
      if (bytes.size() > maxBytes) break;  // grew past the cap while read
      bytes.resize(bytes.size() + 4096);
    }
    const ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      if (!ok) error = ErrnoText();
      break;
    }
    done += static_cast<size_t>(n);
  }
  ::close(fd);
  if (ok && done > maxBytes) {
    error = "larger than " + std::to_string(maxBytes) + " bytes";
    ok = false;
  }
  bytes.resize(ok ? done : 0);
  return ok;
}

PendingFile::~PendingFile() { Discard(); }

void PendingFile::Discard() {
  if (fd_ >= 0) ::close(fd_);
  if (!temporary_.empty()) ::unlink(temporary_.c_str());
  fd_ = -1;
  temporary_.clear();
}

bool PendingFile::Create(const std::string& target, std::string& error, int newFileMode) {
  Discard();
  target_ = target;
  const std::string resolved = FollowLinks(target);
  RemoveDeadLeftovers(FolderOf(resolved));
  struct stat existing {};
  mode_ = ::stat(resolved.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)
              ? static_cast<int>(existing.st_mode & 07777)
              : -1;
  const std::string base = resolved + kTemporaryMark + std::to_string(::getpid());
  for (int serial = 0; serial < 1000 && fd_ < 0; ++serial) {
    const std::string name = serial == 0 ? base : base + "." + std::to_string(serial);
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, static_cast<mode_t>(newFileMode));
    if (fd_ < 0 && errno != EEXIST) break;
    if (fd_ < 0) continue;
    temporary_ = name;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0 || !NamesOpenFile(name, fd_)) {
      ::close(fd_);  // taken away by a cleaner between creation and lock: try again
      fd_ = -1;
      temporary_.clear();
    }
  }
  if (fd_ < 0) error = "cannot create \"" + base + "\": " + ErrnoText();
  return fd_ >= 0;
}

bool PendingFile::Write(std::span<const std::uint8_t> bytes, std::string& error) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = ENOSPC;
      error = "cannot write \"" + target_ + "\": " + ErrnoText();
      Discard();
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool PendingFile::Finish(std::string& error) {
  if (fd_ < 0) {
    error = "nothing was written";
    return false;
  }
  if ((mode_ >= 0 && ::fchmod(fd_, static_cast<mode_t>(mode_)) != 0) || ::fsync(fd_) != 0) {
    error = "cannot write \"" + target_ + "\": " + ErrnoText();
    Discard();
    return false;
  }
  return true;
}

WriteOutcome PendingFile::Commit(const std::string& target, bool replace, std::string& error) {
  // A replacement goes through a link to its file; a new file takes no name a link holds.
  const std::string resolved = replace ? FollowLinks(target) : target;
  bool taken = false;
  const bool moved = replace ? ::rename(temporary_.c_str(), resolved.c_str()) == 0
                             : RenameWithoutReplacing(temporary_, resolved, &taken);
  if (taken) return WriteOutcome::kNameTaken;
  if (!moved) {
    error = "cannot replace \"" + resolved + "\": " + ErrnoText();
    Discard();
    return WriteOutcome::kFailed;
  }
  temporary_.clear();
  Discard();
  SyncFolder(FolderOf(resolved));
  return WriteOutcome::kDone;
}

WriteOutcome WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes, bool replace,
                            std::string& error, int newFileMode) {
  PendingFile file;
  if (!file.Create(path, error, newFileMode) || !file.Write(bytes, error) || !file.Finish(error)) return WriteOutcome::kFailed;
  return file.Commit(path, replace, error);
}

}  // namespace pelvarhost

// --- The SDK's face of the writer (wcrt.h).

errno_t pvWriteWholeFileW(const wchar_t* path, const void* data, size_t size) {
  if (path == nullptr || (data == nullptr && size != 0)) return EINVAL;
  std::string why;
  const std::span bytes(static_cast<const std::uint8_t*>(data), size);
  errno = 0;
  if (pelvarhost::WriteWholeFile(pelvarhost::WideToUtf8(path), bytes, true, why) == pelvarhost::WriteOutcome::kDone)
    return 0;
  return errno != 0 ? errno : EIO;
}

errno_t pvWriteNewFileW(const wchar_t* const* paths, size_t count, const void* data, size_t size, size_t* chosen) {
  if (paths == nullptr || count == 0 || (data == nullptr && size != 0)) return EINVAL;
  pelvarhost::PendingFile file;
  std::string why;
  errno = 0;
  if (!file.Create(pelvarhost::WideToUtf8(paths[0]), why) ||
      !file.Write(std::span(static_cast<const std::uint8_t*>(data), size), why) || !file.Finish(why))
    return errno != 0 ? errno : EIO;
  for (size_t i = 0; i < count; ++i) {
    const pelvarhost::WriteOutcome outcome = file.Commit(pelvarhost::WideToUtf8(paths[i]), false, why);
    if (outcome == pelvarhost::WriteOutcome::kDone) {
      if (chosen != nullptr) *chosen = i;
      return 0;
    }
    if (outcome == pelvarhost::WriteOutcome::kFailed) return errno != 0 ? errno : EIO;
  }
  return EEXIST;
}
