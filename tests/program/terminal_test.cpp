// pelvar at a terminal: keys typed into a pseudo-terminal, the screen's bytes read back.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>

#include "tests/support/pelvar_run.h"

namespace {

using namespace std::chrono_literals;

// pelvar on the slave side of a pseudo-terminal, in a private configuration folder.
class Terminal {
 public:
  explicit Terminal(const std::filesystem::path& home) {
    pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
    if (pid_ == 0) {
      setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
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
    Type("QUIT\rY\r");  // Y discards unsaved changes when asked
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

TEST(PelvarTerminal, EscCancelsTheLineAndTheKeysAfterItAreTypedAsSuch) {
  pelvartest::TempFolder home("terminal");
  Terminal terminal(home.path());
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitFor("Command: ")) << terminal.Screen();
  terminal.Type("LINE\r");
  ASSERT_TRUE(terminal.WaitFor("Specify first point: ")) << terminal.Screen();
  // Esc at once followed by the next command: the Esc cancels, the keys stay keys.
  terminal.Type("12\x1bPOINT 3,4\r");
  ASSERT_TRUE(terminal.WaitFor("*Cancel*")) << terminal.Screen();
  ASSERT_TRUE(terminal.WaitFor("Specify a point: ")) << terminal.Screen();
  // An arrow key still edits: Left moves back over the 8, the 9 goes before it.
  terminal.Type("POINT 7,8\x1b[D9\r");
  terminal.Type("LIST ALL\r");
  ASSERT_TRUE(terminal.WaitFor("2 entities in model space.")) << terminal.Screen();
  ASSERT_TRUE(terminal.WaitFor("at point X=3.0000  Y=4.0000")) << terminal.Screen();
  ASSERT_TRUE(terminal.WaitFor("at point X=7.0000  Y=98.0000")) << terminal.Screen();
  // Esc at a prompt of a command cancels it.
  terminal.Type("LIST\r");
  ASSERT_TRUE(terminal.WaitFor("Select object or [ALL]: ")) << terminal.Screen();
  terminal.Type("\x1b");
  ASSERT_TRUE(terminal.WaitFor("*Cancel*")) << terminal.Screen();
  EXPECT_EQ(terminal.Quit(), 0);
  EXPECT_EQ(terminal.Screen().find(":OINT"), std::string::npos) << "Esc began a Meta key";
  pelvartest::ExpectCleanOutput(terminal.Screen(), "terminal");
}

TEST(PelvarTerminal, TabCompletesCommandNames) {
  pelvartest::TempFolder home("terminal");
  Terminal terminal(home.path());
  ASSERT_TRUE(terminal.Started());
  ASSERT_TRUE(terminal.WaitFor("Command: ")) << terminal.Screen();
  terminal.Type("pelvarat\t");
  ASSERT_TRUE(terminal.WaitFor("PELVARATTACH")) << terminal.Screen();
  terminal.Type("\r");
  ASSERT_TRUE(terminal.WaitFor("Select Mardel cloud")) << terminal.Screen();
  terminal.Type("\x1b");
  ASSERT_TRUE(terminal.WaitFor("*Cancel*")) << terminal.Screen();
  terminal.Type("ARXU\t");
  ASSERT_TRUE(terminal.WaitFor("ARXUNLOAD")) << terminal.Screen();
  terminal.Type("\x1b");
  EXPECT_EQ(terminal.Quit(), 0);
  pelvartest::ExpectCleanOutput(terminal.Screen(), "terminal");
}

}  // namespace
