#include "retrieval/DecoderProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

namespace {

using Clock = std::chrono::steady_clock;

// An answer is taken in steps of this size, so a length that lies costs no more room than
// the bytes that really came.
constexpr size_t kReceiveStep = size_t{4} << 20;

// Waits until the socket is ready for `events` or the deadline passes.
bool WaitFor(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd entry{fd, events, 0};
    int ready = poll(&entry, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    return (entry.revents & events) != 0 || (entry.revents & POLLHUP) != 0;
  }
}

// The descriptor of a socket pair end closed when its scope ends, unless released.
class OwnedFd {
 public:
  explicit OwnedFd(int fd) : fd_(fd) {}
  ~OwnedFd() {
    if (fd_ >= 0) close(fd_);
  }
  OwnedFd(const OwnedFd&) = delete;
  OwnedFd& operator=(const OwnedFd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

// posix_spawn's file actions, destroyed on every path.
class SpawnActions {
 public:
  SpawnActions() { posix_spawn_file_actions_init(&actions_); }
  ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
  SpawnActions(const SpawnActions&) = delete;
  SpawnActions& operator=(const SpawnActions&) = delete;
  posix_spawn_file_actions_t* get() { return &actions_; }

 private:
  posix_spawn_file_actions_t actions_;
};

// posix_spawn's attributes, destroyed on every path: every signal back to its default
// action and none blocked, so that the kernel's CPU-time signal ends the program even when
// this process ignores or blocks it.
class SpawnAttributes {
 public:
  SpawnAttributes() {
    posix_spawnattr_init(&attributes_);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    usable_ = posix_spawnattr_setsigmask(&attributes_, &none) == 0 &&
              posix_spawnattr_setsigdefault(&attributes_, &all) == 0 &&
              posix_spawnattr_setflags(&attributes_, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
  }
  ~SpawnAttributes() { posix_spawnattr_destroy(&attributes_); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  const posix_spawnattr_t* get() const { return usable_ ? &attributes_ : nullptr; }

 private:
  posix_spawnattr_t attributes_;
  bool usable_ = false;
};

// Moves `size` bytes through the socket with `transfer` (a send or a receive), waiting for
// `event` while the socket would block: false on an error, the peer's end or the deadline.
template <typename Byte, typename Transfer>
bool TransferAll(int socket, Byte* data, size_t size, short event, Clock::time_point deadline, Transfer transfer) {
  while (size > 0) {
    const ssize_t moved = transfer(data, size);
    if (moved > 0) {
      data += moved;
      size -= static_cast<size_t>(moved);
      continue;
    }
    if (moved < 0 && errno == EINTR) continue;
    if (moved == 0 || (errno != EAGAIN && errno != EWOULDBLOCK) || !WaitFor(socket, event, deadline)) return false;
  }
  return true;
}

}  // namespace

DecoderProcess::DecoderProcess(std::vector<std::string> command, std::chrono::milliseconds timeout)
    : command_(std::move(command)), timeout_(timeout) {}

DecoderProcess::~DecoderProcess() { stop(); }

bool DecoderProcess::start() {
  int pair[2];
  if (command_.empty() || socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, pair) != 0) return false;
  OwnedFd ours(pair[0]), theirs(pair[1]);
  SpawnActions actions;
  if (posix_spawn_file_actions_adddup2(actions.get(), theirs.get(), STDIN_FILENO) != 0 ||
      posix_spawn_file_actions_adddup2(actions.get(), theirs.get(), STDOUT_FILENO) != 0 ||
      posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0) != 0 ||
      posix_spawn_file_actions_addclosefrom_np(actions.get(), STDERR_FILENO + 1) != 0)
    return false;
  std::vector<char*> argv;
  for (std::string& word : command_) argv.push_back(word.data());
  argv.push_back(nullptr);
  char* environment[] = {nullptr};
  SpawnAttributes attributes;
  pid_t pid = -1;
  if (attributes.get() == nullptr ||
      posix_spawn(&pid, argv[0], actions.get(), attributes.get(), argv.data(), environment) != 0)
    return false;
  int flags = fcntl(ours.get(), F_GETFL);
  pid_ = pid;
  socket_ = ours.release();
  if (flags < 0 || fcntl(socket_, F_SETFL, flags | O_NONBLOCK) != 0) {
    stop();
    return false;
  }
  return true;
}

void DecoderProcess::stop() {
  if (socket_ >= 0) close(socket_);
  socket_ = -1;
  if (pid_ <= 0) return;
  kill(pid_, SIGKILL);
  while (waitpid(pid_, nullptr, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

bool DecoderProcess::sendAll(const std::uint8_t* data, size_t size, Clock::time_point deadline) {
  return TransferAll(socket_, data, size, POLLOUT, deadline,
                     [this](const std::uint8_t* from, size_t n) { return send(socket_, from, n, MSG_NOSIGNAL); });
}

bool DecoderProcess::receiveAll(std::uint8_t* data, size_t size, Clock::time_point deadline) {
  return TransferAll(socket_, data, size, POLLIN, deadline,
                     [this](std::uint8_t* to, size_t n) { return recv(socket_, to, n, 0); });
}

bool DecoderProcess::exchange(const std::uint8_t* request, size_t size, FrameBytes& answer) {
  if (socket_ < 0 && !start()) return false;
  Clock::time_point deadline = Clock::now() + timeout_;
  std::uint8_t prefix[kFrameLengthSize];
  PutFrameLength(size, prefix);
  bool ok = sendAll(prefix, sizeof prefix, deadline) && sendAll(request, size, deadline) &&
            receiveAll(prefix, sizeof prefix, deadline);
  std::uint64_t length = ok ? GetFrameLength(prefix) : 0;
  ok = ok && length <= kMaxAnswerBytes;
  answer.clear();
  while (ok && answer.size() < length) {
    size_t at = answer.size();
    size_t step = static_cast<size_t>(std::min<std::uint64_t>(length - at, kReceiveStep));
    answer.resize(at + step);
    ok = receiveAll(answer.data() + at, step, deadline);
  }
  if (!ok) stop();
  return ok;
}
