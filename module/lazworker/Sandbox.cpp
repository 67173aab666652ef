#include "lazworker/Sandbox.h"

#include <seccomp.h>
#include <sys/resource.h>
#include <sys/time.h>

#include <array>
#include <memory>

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitizerShadow = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitizerShadow = true;
#else
constexpr bool kSanitizerShadow = false;
#endif
#else
constexpr bool kSanitizerShadow = false;
#endif

// Sanitizer builds: the sanitizer's check that a vtable pointer is readable writes it into
// a pipe of its own, so those builds may make pipes, a few descriptors at a time.
constexpr rlim_t kSanitizerDescriptors = 16;

bool SetLimit(int resource, rlim_t value) {
  rlimit limit{value, value};
  return setrlimit(resource, &limit) == 0;
}

// What decoding a file from memory and answering over the pipe needs (glibc, the C++
// runtime, LASzip and, in sanitizer builds, the sanitizer's runtime and its reports).
constexpr std::array kAllowedCalls = {
    SCMP_SYS(read),          SCMP_SYS(write),           SCMP_SYS(readv),          SCMP_SYS(writev),
    SCMP_SYS(close),         SCMP_SYS(fstat),           SCMP_SYS(newfstatat),     SCMP_SYS(lseek),
    SCMP_SYS(mmap),          SCMP_SYS(munmap),          SCMP_SYS(mremap),         SCMP_SYS(mprotect),
    SCMP_SYS(madvise),       SCMP_SYS(brk),             SCMP_SYS(futex),          SCMP_SYS(sched_yield),
    SCMP_SYS(rt_sigreturn),  SCMP_SYS(rt_sigprocmask),  SCMP_SYS(rt_sigaction),   SCMP_SYS(sigaltstack),
    SCMP_SYS(getpid),        SCMP_SYS(gettid),          SCMP_SYS(tgkill),         SCMP_SYS(clock_gettime),
    SCMP_SYS(getrusage),     SCMP_SYS(exit),            SCMP_SYS(exit_group),
};

// The rule condition "argument `index` equals `value`".
scmp_arg_cmp ArgumentEquals(unsigned index, scmp_datum_t value) {
  scmp_arg_cmp condition{};
  condition.arg = index;
  condition.op = SCMP_CMP_EQ;
  condition.datum_a = value;
  return condition;
}

struct FilterDeleter {
  void operator()(void* filter) const { seccomp_release(filter); }
};

}  // namespace

bool ApplyResourceLimits(const SandboxLimits& limits, std::string& why) {
  if (!kSanitizerShadow && !SetLimit(RLIMIT_AS, limits.addressSpaceBytes)) {
    why = "cannot limit the address space";
    return false;
  }
  rlim_t descriptors = kSanitizerShadow ? kSanitizerDescriptors : 0;
  if (!SetLimit(RLIMIT_FSIZE, 0) || !SetLimit(RLIMIT_NOFILE, descriptors) || !SetLimit(RLIMIT_CORE, 0)) {
    why = "cannot forbid new files";
    return false;
  }
  return true;
}

bool InstallSyscallFilter(std::string& why) {
  std::unique_ptr<void, FilterDeleter> filter(seccomp_init(SCMP_ACT_KILL_PROCESS));
  bool ok = filter != nullptr;
  for (int call : kAllowedCalls) ok = ok && seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, call, 0) == 0;
  if (kSanitizerShadow) ok = ok && seccomp_rule_add(filter.get(), SCMP_ACT_ALLOW, SCMP_SYS(pipe2), 0) == 0;
  // The CPU-time limit may be moved (AllowCpuSecondsFromNow); no other limit.
  const scmp_arg_cmp ownCpuLimit[] = {ArgumentEquals(0, 0), ArgumentEquals(1, RLIMIT_CPU)};
  ok = ok && seccomp_rule_add_array(filter.get(), SCMP_ACT_ALLOW, SCMP_SYS(prlimit64), 2, ownCpuLimit) == 0;
  ok = ok && seccomp_load(filter.get()) == 0;
  if (!ok) why = "cannot install the system-call filter";
  return ok;
}

bool AllowCpuSecondsFromNow(unsigned seconds) {
  rusage used{};
  if (getrusage(RUSAGE_SELF, &used) != 0) return false;
  rlim_t spent = static_cast<rlim_t>(used.ru_utime.tv_sec + used.ru_stime.tv_sec + 1);
  rlimit current{};
  if (getrlimit(RLIMIT_CPU, &current) != 0) return false;
  rlimit limit{spent + seconds, current.rlim_max};
  return setrlimit(RLIMIT_CPU, &limit) == 0;
}
