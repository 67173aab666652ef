// One decoder program run as a child process, spoken to in frames over a socket pair that
// is its standard input and output (lazworker/DecodeProtocol.h). It runs with an empty
// environment, its standard error on /dev/null and no other descriptor of this process.
#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "lazworker/DecodeProtocol.h"

class DecoderProcess {
 public:
  DecoderProcess(std::vector<std::string> command, std::chrono::milliseconds timeout);
  ~DecoderProcess();
  DecoderProcess(const DecoderProcess&) = delete;
  DecoderProcess& operator=(const DecoderProcess&) = delete;

  // Sends one request frame holding `size` bytes and reads one answer frame, all within the
  // time-out, starting the program first when none is running. False when it cannot be
  // started, ends, overruns the time-out or announces an answer longer than kMaxAnswerBytes;
  // the process is then ended and the next exchange starts a fresh one.
  bool exchange(const std::uint8_t* request, size_t size, FrameBytes& answer);

  // Ends the running process, if any (killed, then waited for).
  void stop();

  pid_t pid() const { return pid_; }

 private:
  bool start();
  bool sendAll(const std::uint8_t* data, size_t size, std::chrono::steady_clock::time_point deadline);
  bool receiveAll(std::uint8_t* data, size_t size, std::chrono::steady_clock::time_point deadline);

  std::vector<std::string> command_;
  std::chrono::milliseconds timeout_;
  pid_t pid_ = -1;
  int socket_ = -1;
};
