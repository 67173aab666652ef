// eptserve ARCHIVE_FOLDER INDEX_FILE CONFIG_FOLDER [LATENCY_MS]: serves a local copy of the
// archive (ARCHIVE_FOLDER holds one folder per survey) and a survey index over HTTPS on
// 127.0.0.1, with a certificate authority made for the run, and writes the host network
// settings (CONFIG_FOLDER/pelvar/winhttp.conf and ca.pem) that route the archive's and the
// index server's names to it. Prints "serving on 127.0.0.1:PORT" and runs until its
// standard input ends or it is told to stop (SIGINT, SIGTERM).
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "retrieval/ArchiveEndpoints.h"
#include "tests/support/loopback/LoopbackServer.h"

namespace {

volatile sig_atomic_t stopRequested = 0;
void OnStop(int) { stopRequested = 1; }

bool WriteConfig(const std::filesystem::path& configFolder, int port) {
  std::filesystem::path folder = configFolder / "pelvar";
  std::error_code ec;
  std::filesystem::create_directories(folder, ec);
  std::ofstream(folder / "ca.pem") << pelvartest::SharedTestCertificates().authority;
  std::ofstream conf(folder / "winhttp.conf");
  conf << "# written by eptserve: the archive and the survey index on this machine\n"
       << "host " << kArchiveHost << " 127.0.0.1:" << port << "\n"
       << "host " << kSurveyIndexHost << " 127.0.0.1:" << port << "\n"
       << "ca ca.pem\n";
  return static_cast<bool>(conf.flush());
}

// Waits until standard input ends or a stop signal arrives.
void WaitForStop() {
  while (stopRequested == 0) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    int ready = ::poll(&input, 1, 200);
    if (ready > 0) {
      char buffer[256];
      if (::read(STDIN_FILENO, buffer, sizeof(buffer)) <= 0) return;
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4 || argc > 5) {
    std::fprintf(stderr, "usage: eptserve ARCHIVE_FOLDER INDEX_FILE CONFIG_FOLDER [LATENCY_MS]\n");
    return 2;
  }
  std::ifstream index(argv[2], std::ios::binary);
  if (!index) {
    std::fprintf(stderr, "eptserve: cannot read %s\n", argv[2]);
    return 1;
  }
  std::stringstream indexText;
  indexText << index.rdbuf();
  signal(SIGINT, OnStop);
  signal(SIGTERM, OnStop);
  signal(SIGPIPE, SIG_IGN);
  pelvartest::LoopbackServer server;
  server.serveFolder(kArchivePath, argv[1]);
  server.setBody(kSurveyIndexPath, indexText.str());
  if (argc == 5) server.setLatency(std::chrono::milliseconds(std::atoi(argv[4])));
  if (!WriteConfig(argv[3], server.port())) {
    std::fprintf(stderr, "eptserve: cannot write the settings below %s\n", argv[3]);
    return 1;
  }
  std::printf("serving on 127.0.0.1:%d\n", server.port());
  std::fflush(stdout);
  WaitForStop();
  server.stop();
  std::printf("%d requests served\n", server.totalRequests());
  return 0;
}
