#include "tests/support/loopback/LoopbackServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <fstream>
#include <optional>
#include <sstream>
#include <stdexcept>

namespace pelvartest {

namespace {

constexpr size_t kMaxRequestHead = 16384;

SSL_CTX* MakeContext(const PemPair& identity) {
  SSL_CTX* context = SSL_CTX_new(TLS_server_method());
  BIO* certBio = BIO_new_mem_buf(identity.certificate.data(), static_cast<int>(identity.certificate.size()));
  BIO* keyBio = BIO_new_mem_buf(identity.key.data(), static_cast<int>(identity.key.size()));
  X509* cert = PEM_read_bio_X509(certBio, nullptr, nullptr, nullptr);
  EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio, nullptr, nullptr, nullptr);
  bool ok = cert != nullptr && key != nullptr && SSL_CTX_use_certificate(context, cert) == 1 &&
            SSL_CTX_use_PrivateKey(context, key) == 1;
  X509_free(cert);
  EVP_PKEY_free(key);
  BIO_free(certBio);
  BIO_free(keyBio);
  if (!ok) throw std::runtime_error("server identity not usable");
  return context;
}

int ListenOnLoopback(int& port) {
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int yes = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof(yes));
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)) != 0 || ::listen(fd, 64) != 0)
    throw std::runtime_error("cannot listen on loopback");
  socklen_t length = sizeof(address);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  port = ntohs(address.sin_port);
  return fd;
}

bool ReadFile(const std::string& path, std::string& body) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::stringstream text;
  text << in.rdbuf();
  body = text.str();
  return true;
}

bool SafePath(const std::string& path) { return path.find("..") == std::string::npos; }

std::string StatusLine(int status) {
  switch (status) {
    case 200: return "HTTP/1.1 200 OK\r\n";
    case 404: return "HTTP/1.1 404 Not Found\r\n";
    case 500: return "HTTP/1.1 500 Internal Server Error\r\n";
    default: return "HTTP/1.1 503 Service Unavailable\r\n";
  }
}

bool SendAll(SSL* ssl, const char* data, size_t size) {
  while (size > 0) {
    int sent = SSL_write(ssl, data, static_cast<int>(size));
    if (sent <= 0) return false;
    data += sent;
    size -= static_cast<size_t>(sent);
  }
  return true;
}

}  // namespace

struct LoopbackServer::Answer {
  int status = 200;
  std::string body;
  std::optional<Fault> fault;
};

LoopbackServer::LoopbackServer(const PemPair& identity) {
  // A client may close a kept-alive connection at any time; writing to it then must fail
  // with an error, not end the process.
  ::signal(SIGPIPE, SIG_IGN);
  context_ = MakeContext(identity);
  listener_ = ListenOnLoopback(port_);
  if (::pipe(wakePipe_) != 0) throw std::runtime_error("pipe failed");
  acceptor_ = std::thread([this] { acceptLoop(); });
}

LoopbackServer::~LoopbackServer() {
  stop();
  SSL_CTX_free(static_cast<SSL_CTX*>(context_));
}

void LoopbackServer::stop() {
  {
    std::lock_guard lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    for (int fd : openSockets_) ::shutdown(fd, SHUT_RDWR);
  }
  stopped_.notify_all();
  char wake = 1;
  [[maybe_unused]] ssize_t n = ::write(wakePipe_[1], &wake, 1);
  if (acceptor_.joinable()) acceptor_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (std::thread& worker : workers) worker.join();
  ::close(listener_);
  ::close(wakePipe_[0]);
  ::close(wakePipe_[1]);
}

void LoopbackServer::serveFolder(const std::string& prefix, const std::string& folder) {
  std::lock_guard lock(mutex_);
  folders_.emplace_back(prefix, folder);
}

void LoopbackServer::setBody(const std::string& path, const std::string& body) {
  std::lock_guard lock(mutex_);
  bodies_[path] = body;
}

void LoopbackServer::setFault(const std::string& path, const Fault& fault) {
  std::lock_guard lock(mutex_);
  faults_[path] = fault;
}

void LoopbackServer::clearFaults() {
  std::lock_guard lock(mutex_);
  faults_.clear();
}

void LoopbackServer::setLatency(std::chrono::milliseconds latency) {
  std::lock_guard lock(mutex_);
  latency_ = latency;
}

int LoopbackServer::requests(const std::string& path) const {
  std::lock_guard lock(mutex_);
  auto found = counts_.find(path);
  return found == counts_.end() ? 0 : found->second;
}

int LoopbackServer::connections() const {
  std::lock_guard lock(mutex_);
  return connections_;
}

int LoopbackServer::totalRequests() const {
  std::lock_guard lock(mutex_);
  return total_;
}

void LoopbackServer::acceptLoop() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wakePipe_[0], POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) continue;
    if (fds[1].revents != 0) return;
    int fd = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) continue;
    std::lock_guard lock(mutex_);
    if (stopping_) {
      ::close(fd);
      return;
    }
    openSockets_.insert(fd);
    workers_.emplace_back([this, fd] { serve(fd); });
  }
}

bool LoopbackServer::waitUnlessStopped(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  return !stopped_.wait_for(lock, duration, [this] { return stopping_; });
}

LoopbackServer::Answer LoopbackServer::answerFor(const std::string& path) {
  std::lock_guard lock(mutex_);
  int seen = ++counts_[path];
  ++total_;
  Answer answer;
  if (auto fault = faults_.find(path); fault != faults_.end()) {
    if (fault->second.kind != FaultKind::kUnavailable || seen <= fault->second.times) answer.fault = fault->second;
  }
  if (auto body = bodies_.find(path); body != bodies_.end()) {
    answer.body = body->second;
    return answer;
  }
  for (const auto& [prefix, folder] : folders_) {
    if (path.rfind(prefix, 0) == 0 && SafePath(path) && ReadFile(folder + "/" + path.substr(prefix.size()), answer.body))
      return answer;
  }
  answer.status = 404;
  answer.body = "no such file";
  return answer;
}

// Reads the next request head of the connection into `head`; bytes after it stay in
// `pending` for the next request. False when the peer closed the connection.
static bool ReadRequestHead(SSL* ssl, std::string& pending, std::string& head) {
  char buffer[4096];
  while (pending.find("\r\n\r\n") == std::string::npos && pending.size() < kMaxRequestHead) {
    int n = SSL_read(ssl, buffer, sizeof(buffer));
    if (n <= 0) return false;
    pending.append(buffer, static_cast<size_t>(n));
  }
  size_t end = pending.find("\r\n\r\n");
  if (end == std::string::npos) return false;
  head = pending.substr(0, end + 4);
  pending.erase(0, end + 4);
  return true;
}

// Answers one request; true when the connection stays open for another.
bool LoopbackServer::answer(void* connection, const std::string& head) {
  SSL* ssl = static_cast<SSL*>(connection);
  size_t space = head.find(' ');
  size_t end = space == std::string::npos ? std::string::npos : head.find(' ', space + 1);
  if (end == std::string::npos) return false;
  Answer answer = answerFor(head.substr(space + 1, end - space - 1));
  std::chrono::milliseconds latency;
  {
    std::lock_guard lock(mutex_);
    latency = latency_;
  }
  if (latency.count() != 0 && !waitUnlessStopped(latency)) return false;
  FaultKind kind = answer.fault ? answer.fault->kind : FaultKind::kTrickle;
  bool faulty = answer.fault.has_value();
  if (faulty && kind == FaultKind::kStallBeforeAnswer) {
    waitUnlessStopped(std::chrono::hours(1));
    return false;
  }
  int status = !faulty ? answer.status
               : kind == FaultKind::kNotFound ? 404
               : kind == FaultKind::kServerError ? 500
               : kind == FaultKind::kUnavailable ? 503
                                                 : answer.status;
  std::string body = faulty && (kind == FaultKind::kNotFound || kind == FaultKind::kServerError ||
                                kind == FaultKind::kUnavailable)
                         ? std::string("fault")
                         : faulty && kind == FaultKind::kEmptyOk ? std::string() : answer.body;
  std::string response = StatusLine(status) + "Content-Length: " + std::to_string(body.size()) +
                         "\r\nContent-Type: application/octet-stream\r\nConnection: " +
                         (faulty ? "close" : "keep-alive") + "\r\n\r\n";
  if (!SendAll(ssl, response.data(), response.size())) return false;
  if (faulty && kind == FaultKind::kCutShort) {
    SendAll(ssl, body.data(), body.size() / 2);
  } else if (faulty && kind == FaultKind::kStallMidBody) {
    if (SendAll(ssl, body.data(), body.size() / 2)) waitUnlessStopped(std::chrono::hours(1));
  } else if (faulty && kind == FaultKind::kTrickle) {
    for (size_t i = 0; i < body.size(); ++i)
      if (!SendAll(ssl, body.data() + i, 1) || !waitUnlessStopped(answer.fault->interval)) break;
  } else {
    return SendAll(ssl, body.data(), body.size());
  }
  return false;
}

void LoopbackServer::serve(int fd) {
  SSL* ssl = SSL_new(static_cast<SSL_CTX*>(context_));
  SSL_set_fd(ssl, fd);
  {
    std::lock_guard lock(mutex_);
    ++connections_;
  }
  if (SSL_accept(ssl) == 1) {
    std::string pending, head;
    while (ReadRequestHead(ssl, pending, head) && answer(ssl, head)) {
    }
  }
  SSL_free(ssl);
  {
    std::lock_guard lock(mutex_);
    openSockets_.erase(fd);
  }
  ::close(fd);
}

int UnusedLoopbackPort() {
  int port = 0;
  int fd = ListenOnLoopback(port);
  ::close(fd);
  return port;
}

}  // namespace pelvartest
