// The one byte source of the retrieval: every file it reads (the survey index, ept.json,
// hierarchy pages, LAZ tiles) arrives whole in memory, from the local mirror folder when it
// holds the file, else by an HTTPS GET. No operation prints anything or throws.
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

using ByteBuffer = std::vector<std::uint8_t>;

// A fetcher: true when the buffer holds the whole file named by the URL.
using Fetcher = std::function<bool(const std::string& url, ByteBuffer& bytes)>;

// How patient and how persistent one HTTPS GET is.
struct HttpPolicy {
  std::chrono::milliseconds connectTimeout{30000};
  // A response that runs slower than one byte per second for this long fails.
  std::chrono::milliseconds receiveTimeout{30000};
  std::uint64_t maxBodyBytes = std::uint64_t{1} << 30;
  // Transport errors and 5xx answers are tried again, up to this many attempts in all,
  // waiting firstRetryDelay, then twice as long each time, never more than maxRetryDelay.
  int maxAttempts = 4;
  std::chrono::milliseconds firstRetryDelay{500};
  std::chrono::milliseconds maxRetryDelay{4000};
};

// GET over HTTPS. True when the server answered 200 with a non-empty body that arrived
// whole: the transfer ended cleanly, and its length matches the Content-Length when the
// server sent one. The buffer is undefined after false.
bool HttpsGet(const std::string& url, ByteBuffer& bytes);
bool HttpsGet(const std::string& url, ByteBuffer& bytes, const HttpPolicy& policy);

// What the calling thread's last HTTPS GET met, when it failed: "<host>: <cause>", the cause
// being "name not resolved", "connection refused", "time-out", "certificate rejected",
// "connection broken", "HTTP status <code>", "empty answer", "answer cut short", "answer
// too large" or "no valid answer". Empty when that GET succeeded or none was made.
std::wstring LastHttpsFailure();

// The mirrored copy of the file the URL names, read whole; false when the URL is neither
// below the archive root nor the survey index, when the file is missing or empty, or when
// no mirror root is set. The mirror root is the registry's LocalEptRoot, read on first use.
bool ReadFromLocalMirror(const std::string& url, ByteBuffer& bytes);
// The same below an explicit mirror root (empty: no mirror).
bool ReadFromMirrorRoot(const std::wstring& mirrorRoot, const std::string& url, ByteBuffer& bytes);

// ReadFromLocalMirror, else HttpsGet.
bool FetchBytes(const std::string& url, ByteBuffer& bytes);

// HTTPS GETs that share one WinHTTP session, so that a connection to a host stays open
// from one request to the next (HTTP keep-alive). Each request behaves as HttpsGet. One
// session serves one thread at a time.
class HttpsSession {
 public:
  explicit HttpsSession(const HttpPolicy& policy = {});
  ~HttpsSession();
  HttpsSession(const HttpsSession&) = delete;
  HttpsSession& operator=(const HttpsSession&) = delete;
  bool get(const std::string& url, ByteBuffer& bytes);

 private:
  struct Handles;
  std::unique_ptr<Handles> handles_;
  HttpPolicy policy_;
};

// FetchBytes over a session of its own: the local mirror first, then the web on a
// connection kept open between calls. For one thread at a time.
Fetcher KeepAliveFetcher(const HttpPolicy& policy = {});
