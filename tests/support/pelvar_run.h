// Runs the pelvar program of the build with a script and captures what it prints.
#pragma once
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/TempFolder.h"

namespace pelvartest {

struct PelvarRun {
  int exitCode = -1;
  std::string out;  // standard output: the command line
  std::string err;  // standard error
};

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

inline std::string ShellQuote(const std::string& text) {
  std::string out = "'";
  for (char c : text) {
    if (c == '\'') {
      out += "'\\''";
    } else {
      out.push_back(c);
    }
  }
  return out + "'";
}

// Fails the current test when the program's output holds a host error line or a
// sanitizer report: a run that shows either is wrong whatever else it printed.
inline void ExpectCleanOutput(const std::string& output, const std::string& what = "output") {
  for (const char* sign : {"Host error", "ERROR: AddressSanitizer", "runtime error:", "LeakSanitizer"}) {
    EXPECT_EQ(output.find(sign), std::string::npos) << "\"" << sign << "\" in the program's " << what << ":\n"
                                                    << output;
  }
}

// Runs build/pelvar with the script as --script file and the given further arguments.
// XDG_CONFIG_HOME points into `home` so that the user's own registry file is never touched.
inline PelvarRun RunPelvar(const std::filesystem::path& home, const std::string& script,
                           const std::vector<std::string>& args = {}) {
  std::filesystem::path scriptFile = home / "script.scr";
  std::ofstream(scriptFile, std::ios::binary) << script;
  std::string command = "cd " + ShellQuote(home.string()) + " && XDG_CONFIG_HOME=" + ShellQuote((home / "config").string()) +
                        " " + ShellQuote(std::string(PELVAR_BUILD_DIR) + "/pelvar") + " --script " +
                        ShellQuote(scriptFile.string());
  for (const std::string& arg : args) command += " " + ShellQuote(arg);
  command += " >" + ShellQuote((home / "out.txt").string()) + " 2>" + ShellQuote((home / "err.txt").string()) + " </dev/null";
  int status = std::system(command.c_str());
  PelvarRun run;
  run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  run.out = ReadWholeFile(home / "out.txt");
  run.err = ReadWholeFile(home / "err.txt");
  ExpectCleanOutput(run.out, "standard output");
  ExpectCleanOutput(run.err, "standard error");
  return run;
}

}  // namespace pelvartest
