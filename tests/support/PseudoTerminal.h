// pelvar at a terminal for tests: keys typed into a pseudo-terminal, the screen's bytes read back.
#pragma once
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace pelvartest {

using namespace std::chrono_literals;

// pelvar on the slave side of a pseudo-terminal, in a private configuration folder.
class Terminal {
 public:
  // `environment` holds further NAME=VALUE settings of the program.
  explicit Terminal(const std::filesystem::path& home, const std::vector<std::string>& environment = {}) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      if (chdir(home.c_str()) != 0) _exit(126);
      setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
      for (const std::string& setting : environment) putenv(const_cast<char*>(setting.c_str()));
      setenv("TERM", "dumb", 1);
      setenv("INPUTRC", "/dev/null", 1);
      const std::string program = std::string(PELVAR_BUILD_DIR) + "/pelvar";
      execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~Terminal() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (master_ >= 0) close(master_);
  }
  bool Started() const { return pid_ > 0 && master_ >= 0; }

  // Types the keys in one write.
  void Type(const std::string& keys) { EXPECT_EQ(write(master_, keys.data(), keys.size()), ssize_t(keys.size())); }
  // Reads the screen until `text` shows up after what was waited for before.
  bool WaitFor(const std::string& text, std::chrono::milliseconds limit = 10s) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (screen_.find(text, seen_) == std::string::npos) {
      if (std::chrono::steady_clock::now() > end) return false;
      pollfd pfd{master_, POLLIN, 0};
      if (poll(&pfd, 1, 50) <= 0) continue;
      char buffer[4096];
      ssize_t n = read(master_, buffer, sizeof buffer);
      if (n <= 0) return false;
      screen_.append(buffer, static_cast<size_t>(n));
    }
    seen_ = screen_.find(text, seen_) + text.size();
    return true;
  }
  // Ends the program and returns its exit status.
  int Quit() {
    Type("QUIT\rD\r");  // D discards unsaved changes when asked
    int status = 0;
    for (int i = 0; i < 200 && waitpid(pid_, &status, WNOHANG) == 0; ++i) {
      WaitFor("\x01", 50ms);  // drains the screen while waiting
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  const std::string& Screen() const { return screen_; }

 private:
  pid_t pid_ = -1;
  int master_ = -1;
  std::string screen_;
  size_t seen_ = 0;
};

}  // namespace pelvartest
