// pelvar-lazdecode: decodes LAS and LAZ files for the module, one request frame at a time
// on standard input, one answer frame each on standard output (DecodeProtocol.h), inside
// the sandbox (Sandbox.h). It ends when its input ends, and at the first frame it cannot
// read or write; the module takes any end of it as the failure of the file it was on.
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "lazworker/DecodeProtocol.h"
#include "lazworker/LazTile.h"
#include "lazworker/Sandbox.h"

// In sanitizer builds a fault found inside LASzip ends this program, never the module;
// the report goes nowhere (standard error is closed off) and no leak check runs at exit.
extern "C" const char* __asan_default_options() {
  return "detect_leaks=0:symbolize=0:allocator_may_return_null=1:max_allocation_size_mb=1024";
}

namespace {

constexpr int kRequestFd = STDIN_FILENO;
constexpr int kAnswerFd = STDOUT_FILENO;
constexpr int kExitBroken = 2;

// Moves exactly `size` bytes through `transfer` (a read or a write of the whole rest);
// false at the end of input or on an error.
template <typename Byte, typename Transfer>
bool TransferExactly(Byte* data, size_t size, Transfer transfer) {
  while (size > 0) {
    const ssize_t moved = transfer(data, size);
    if (moved < 0 && errno == EINTR) continue;
    if (moved <= 0) return false;
    data += moved;
    size -= static_cast<size_t>(moved);
  }
  return true;
}

bool ReadExactly(std::uint8_t* to, size_t size) {
  return TransferExactly(to, size, [](std::uint8_t* at, size_t n) { return read(kRequestFd, at, n); });
}

bool WriteExactly(const std::uint8_t* from, size_t size) {
  return TransferExactly(from, size, [](const std::uint8_t* at, size_t n) { return write(kAnswerFd, at, n); });
}

bool ReadRequest(ByteBuffer& file, std::uint64_t maxBytes) {
  std::uint8_t prefix[kFrameLengthSize];
  if (!ReadExactly(prefix, sizeof prefix)) return false;
  std::uint64_t length = GetFrameLength(prefix);
  if (length > maxBytes) return false;
  file.resize(length);
  return ReadExactly(file.data(), file.size());
}

bool WriteAnswer(const FrameBytes& answer) {
  std::uint8_t prefix[kFrameLengthSize];
  PutFrameLength(answer.size(), prefix);
  return WriteExactly(prefix, sizeof prefix) && WriteExactly(answer.data(), answer.size());
}

DecodeAnswer Decode(const ByteBuffer& file) {
  DecodeAnswer answer;
  if (!DecodeLasFile(file, answer.points, answer.error)) {
    answer.outcome = DecodeOutcome::kRefused;
    if (answer.error.empty()) answer.error = kLazDecodeFailed;
    if (answer.error.size() > kMaxAnswerErrorBytes) answer.error.resize(kMaxAnswerErrorBytes);
  }
  return answer;
}

}  // namespace

int main(int argc, char** argv) {
  SandboxLimits limits;
  std::uint64_t maxRequestBytes = kMaxRequestBytes;
  if (argc > 1 && std::string_view(argv[1]) == kWholeFileArgument) {
    limits = kWholeFileLimits;
    maxRequestBytes = kMaxWholeFileRequestBytes;
  }
  std::string why;
  // Standard error is closed off by the module, so the reason is only its exit status.
  if (!ApplyResourceLimits(limits, why) || !InstallSyscallFilter(why)) return kExitBroken;
  ByteBuffer file;
  while (ReadRequest(file, maxRequestBytes)) {
    if (!AllowCpuSecondsFromNow(limits.cpuSecondsPerFile)) return kExitBroken;
    if (!WriteAnswer(EncodeDecodeAnswer(Decode(file)))) return kExitBroken;
  }
  return EXIT_SUCCESS;
}
