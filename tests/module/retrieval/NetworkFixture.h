// A loopback HTTPS server standing in for the archive and the survey index server, and a
// host configuration (in a fresh configuration folder) that routes both names to it and
// trusts the certificate authority made for it.
#pragma once
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <string>

#include "retrieval/ArchiveEndpoints.h"
#include "retrieval/ByteSource.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/loopback/LoopbackServer.h"

namespace pelvartest {

// Time-outs short enough for tests of a stalled server; the host configuration replaces
// the module's own (30 s) with them.
inline constexpr int kTestConnectTimeoutMs = 3000;
inline constexpr int kTestReceiveTimeoutMs = 1000;

// Retries as the module makes them, with short waits in between.
inline HttpPolicy QuickRetries() {
  HttpPolicy policy;
  policy.firstRetryDelay = std::chrono::milliseconds(20);
  policy.maxRetryDelay = std::chrono::milliseconds(40);
  return policy;
}

inline std::string ArchiveUrl(const std::string& relative) { return std::string(kArchiveRoot) + relative; }
inline std::string ArchivePath(const std::string& relative) { return std::string(kArchivePath) + relative; }
inline std::string IndexUrl() { return std::string("https://") + kSurveyIndexHost + kSurveyIndexPath; }

inline std::string Text(const ByteBuffer& bytes) { return std::string(bytes.begin(), bytes.end()); }

class NetworkFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    server_ = std::make_unique<LoopbackServer>();
    routeTo(server_->port());
  }
  void TearDown() override { server_->stop(); }

  // Writes the host configuration: both endpoints at this loopback port.
  void routeTo(int port, const std::string& extra = "") {
    std::filesystem::create_directories(config_.path() / "pelvar");
    std::ofstream(config_.path() / "pelvar" / "ca.pem") << SharedTestCertificates().authority;
    std::ofstream conf(config_.path() / "pelvar" / "winhttp.conf");
    conf << "# routes of the test\n"
         << "host " << kArchiveHost << " 127.0.0.1:" << port << "\n"
         << "host " << kSurveyIndexHost << " 127.0.0.1:" << port << "\n"
         << "ca ca.pem\n"
         << "timeout connect " << kTestConnectTimeoutMs << "\n"
         << "timeout receive " << kTestReceiveTimeoutMs << "\n"
         << extra;
  }

  LoopbackServer& server() { return *server_; }

  TempFolder config_{"netconf"};
  ScopedEnv configHome_{"XDG_CONFIG_HOME", config_.path().string()};
  std::unique_ptr<LoopbackServer> server_;
};

}  // namespace pelvartest
