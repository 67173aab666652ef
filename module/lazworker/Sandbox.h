// The decoder program's confinement: resource limits and a system-call filter, so that a
// hostile file that takes over LASzip can do no more than read and write the pipe it was
// given, use memory up to a bound and spend CPU time up to a bound.
#pragma once
#include <string>

// Room and time the decoder program may use.
struct SandboxLimits {
  unsigned long long addressSpaceBytes = 1ull << 30;
  unsigned cpuSecondsPerFile = 20;
};

// The decoder program's first argument that asks for room and time for a user's whole
// file (up to the largest request and answer) rather than a tile.
inline constexpr char kWholeFileArgument[] = "--whole-file";
inline constexpr SandboxLimits kWholeFileLimits{12ull << 30, 600};

// Sets the limits that hold for the program's whole life: address space (left to the
// sanitizer's own allocation bound in sanitizer builds, whose shadow memory needs far more),
// no new files or file descriptors, no core files. False, with `why`, when one cannot be set.
bool ApplyResourceLimits(const SandboxLimits& limits, std::string& why);

// Installs the system-call filter: reading and writing open descriptors, memory, signals to
// itself, time, the CPU-time limit and leaving; anything else ends the process. Install it
// once LASzip has done its first work (so nothing it sets up lazily needs more).
bool InstallSyscallFilter(std::string& why);

// Allows the program `cpuSecondsPerFile` more seconds of CPU time from now; past them the
// kernel ends it. Called before each file.
bool AllowCpuSecondsFromNow(unsigned seconds);
