// An HTTPS server on 127.0.0.1 for tests: serves files from folders and from memory, and
// injects faults per path. Connections are kept alive between requests unless a fault
// ends them. It starts in its constructor and stops (closing every
// connection, ending every stall) in stop() or its destructor.
#pragma once
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/loopback/TestCertificates.h"

namespace pelvartest {

enum class FaultKind {
  kNotFound,          // 404
  kServerError,       // 500
  kUnavailable,       // 503 for the first `times` requests, then the normal answer
  kEmptyOk,           // 200 with an empty body
  kCutShort,          // a Content-Length of the whole body, half the body, then the close
  kStallBeforeAnswer, // reads the request and answers nothing
  kStallMidBody,      // sends the head and half the body, then nothing
  kTrickle,           // sends the body one byte per `interval`
};

struct Fault {
  FaultKind kind = FaultKind::kNotFound;
  int times = 0;
  std::chrono::milliseconds interval{0};
};

class LoopbackServer {
 public:
  explicit LoopbackServer(const PemPair& identity = SharedTestCertificates().trusted);
  ~LoopbackServer();
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  int port() const { return port_; }
  // Requests whose path begins with `prefix` are answered from the file below `folder`.
  void serveFolder(const std::string& prefix, const std::string& folder);
  // The body of one path, taking precedence over folders.
  void setBody(const std::string& path, const std::string& body);
  void setFault(const std::string& path, const Fault& fault);
  void clearFaults();
  // A delay before every answer.
  void setLatency(std::chrono::milliseconds latency);
  // Requests received for a path so far, and in all.
  int requests(const std::string& path) const;
  int totalRequests() const;
  // Connections accepted so far (a client that keeps its connection alive opens one).
  int connections() const;
  void stop();

 private:
  struct Answer;
  void acceptLoop();
  void serve(int socket);
  bool answer(void* ssl, const std::string& head);  // an SSL*
  Answer answerFor(const std::string& path);
  bool waitUnlessStopped(std::chrono::milliseconds duration);

  int listener_ = -1;
  int port_ = 0;
  int wakePipe_[2] = {-1, -1};
  void* context_ = nullptr;  // SSL_CTX
  mutable std::mutex mutex_;
  std::condition_variable stopped_;
  bool stopping_ = false;
  std::thread acceptor_;
  std::vector<std::thread> workers_;
  std::set<int> openSockets_;
  std::vector<std::pair<std::string, std::string>> folders_;
  std::map<std::string, std::string> bodies_;
  std::map<std::string, Fault> faults_;
  std::map<std::string, int> counts_;
  int total_ = 0;
  int connections_ = 0;
  std::chrono::milliseconds latency_{0};
};

// A loopback port on which nothing listens (connections to it are refused).
int UnusedLoopbackPort();

}  // namespace pelvartest
