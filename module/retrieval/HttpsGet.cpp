// HTTPS GET through WinHTTP, with time-outs, a size cap, a completeness check and retries
// of transient failures.
#include <winhttp.h>

#include <algorithm>
#include <map>
#include <memory>

#include "retrieval/ByteSource.h"

namespace {

constexpr wchar_t kUserAgent[] = L"Pelvar/1.0";
constexpr char kHttpsPrefix[] = "https://";
constexpr size_t kHttpsPrefixLength = sizeof(kHttpsPrefix) - 1;
constexpr DWORD kStatusOk = 200;

// One WinHTTP handle, closed on every path.
class InternetHandle {
 public:
  explicit InternetHandle(HINTERNET handle) : handle_(handle) {}
  ~InternetHandle() {
    if (handle_ != nullptr) WinHttpCloseHandle(handle_);
  }
  InternetHandle(const InternetHandle&) = delete;
  InternetHandle& operator=(const InternetHandle&) = delete;
  HINTERNET get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  HINTERNET handle_;
};

enum class Attempt { kDone, kRetry, kFail };

// What the calling thread's last HTTPS GET met when it failed: the host and the cause.
thread_local std::wstring tFailedHost;
thread_local std::wstring tFailureCause;

Attempt Failed(Attempt outcome, const std::wstring& cause) {
  tFailureCause = cause;
  return outcome;
}

// The words for the web client's error codes.
std::wstring CauseOfError(DWORD error) {
  switch (error) {
    case ERROR_WINHTTP_NAME_NOT_RESOLVED: return L"name not resolved";
    case ERROR_WINHTTP_CANNOT_CONNECT: return L"connection refused";
    case ERROR_WINHTTP_TIMEOUT: return L"time-out";
    case ERROR_WINHTTP_SECURE_FAILURE: return L"certificate rejected";
    case ERROR_WINHTTP_CONNECTION_ERROR: return L"connection broken";
    default: return L"no valid answer";
  }
}

std::wstring Widen(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (char c : text) wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(c)));
  return wide;
}

int Milliseconds(std::chrono::milliseconds duration) {
  return static_cast<int>(std::clamp<long long>(duration.count(), 0, 0x7FFFFFFF));
}

// A failure of the connection itself is worth another try; a refused certificate, a bad
// answer or a time-out (which has already cost the whole receive time-out) is not.
Attempt AfterTransportFailure() {
  DWORD error = GetLastError();
  bool transient = error == ERROR_WINHTTP_CANNOT_CONNECT || error == ERROR_WINHTTP_CONNECTION_ERROR ||
                   error == ERROR_WINHTTP_NAME_NOT_RESOLVED;
  return Failed(transient ? Attempt::kRetry : Attempt::kFail, CauseOfError(error));
}

// The announced body length, when the server sent one.
bool ContentLength(HINTERNET request, uint64_t& length) {
  DWORD size = sizeof(length);
  return WinHttpQueryHeaders(request, WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER64,
                             WINHTTP_HEADER_NAME_BY_INDEX, &length, &size, WINHTTP_NO_HEADER_INDEX) != FALSE;
}

Attempt ReadBody(HINTERNET request, ByteBuffer& bytes, const HttpPolicy& policy) {
  uint64_t announced = 0;
  bool hasLength = ContentLength(request, announced);
  if (hasLength && announced > policy.maxBodyBytes) return Failed(Attempt::kFail, L"answer too large");
  for (;;) {
    DWORD available = 0;
    if (!WinHttpQueryDataAvailable(request, &available)) return AfterTransportFailure();
    if (available == 0) break;
    if (bytes.size() + available > policy.maxBodyBytes) return Failed(Attempt::kFail, L"answer too large");
    size_t old = bytes.size();
    bytes.resize(old + available);
    DWORD read = 0;
    if (!WinHttpReadData(request, bytes.data() + old, available, &read)) return AfterTransportFailure();
    bytes.resize(old + read);
    if (read == 0) return Failed(Attempt::kRetry, L"answer cut short");  // data was announced but none came
  }
  if (bytes.empty()) return Failed(Attempt::kFail, L"empty answer");
  if (hasLength && bytes.size() != announced) return Failed(Attempt::kRetry, L"answer cut short");
  return Attempt::kDone;
}

// A session that lives as long as its owner, with one connection handle per host.
struct SessionHandles {
  explicit SessionHandles(const HttpPolicy& policy)
      : session(WinHttpOpen(kUserAgent, WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME,
                            WINHTTP_NO_PROXY_BYPASS, 0)) {
    int connectMs = Milliseconds(policy.connectTimeout);
    int receiveMs = Milliseconds(policy.receiveTimeout);
    usable = session && WinHttpSetTimeouts(session.get(), connectMs, connectMs, receiveMs, receiveMs);
  }
  HINTERNET connectionTo(const std::wstring& host) {
    auto found = connections.find(host);
    if (found != connections.end()) return found->second->get();
    auto connection = std::make_unique<InternetHandle>(
        WinHttpConnect(session.get(), host.c_str(), INTERNET_DEFAULT_HTTPS_PORT, 0));
    if (!*connection) return nullptr;
    HINTERNET handle = connection->get();
    connections.emplace(host, std::move(connection));
    return handle;
  }
  InternetHandle session;
  bool usable = false;
  // Declared after the session: members go in reverse order, so connections close first.
  std::map<std::wstring, std::unique_ptr<InternetHandle>> connections;
};

Attempt GetOnce(SessionHandles& handles, const std::wstring& host, const std::wstring& path, ByteBuffer& bytes,
                const HttpPolicy& policy) {
  bytes.clear();
  if (!handles.usable) return Failed(Attempt::kFail, L"web client unavailable");
  HINTERNET connection = handles.connectionTo(host);
  if (connection == nullptr) return AfterTransportFailure();
  InternetHandle request(WinHttpOpenRequest(connection, L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES, WINHTTP_FLAG_SECURE));
  if (!request) return AfterTransportFailure();
  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr))
    return AfterTransportFailure();
  DWORD status = 0;
  DWORD size = sizeof(status);
  if (!WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                           WINHTTP_HEADER_NAME_BY_INDEX, &status, &size, WINHTTP_NO_HEADER_INDEX))
    return Failed(Attempt::kFail, L"no valid answer");
  std::wstring statusCause = L"HTTP status " + std::to_wstring(status);
  if (status >= 500 && status <= 599) return Failed(Attempt::kRetry, statusCause);
  if (status != kStatusOk) return Failed(Attempt::kFail, statusCause);
  return ReadBody(request.get(), bytes, policy);
}

// Host and path of an https URL; false for anything else.
bool SplitUrl(const std::string& url, std::wstring& host, std::wstring& path) {
  if (url.size() < kHttpsPrefixLength + 1 || url.compare(0, kHttpsPrefixLength, kHttpsPrefix) != 0) return false;
  size_t slash = url.find('/', kHttpsPrefixLength);
  if (slash == std::string::npos || slash == kHttpsPrefixLength) return false;
  host = Widen(url.substr(kHttpsPrefixLength, slash - kHttpsPrefixLength));
  path = Widen(url.substr(slash));
  return true;
}

bool GetWithRetries(SessionHandles& handles, const std::string& url, ByteBuffer& bytes, const HttpPolicy& policy) {
  bytes.clear();
  std::wstring host, path;
  tFailedHost.clear();
  tFailureCause.clear();
  if (!SplitUrl(url, host, path)) return false;
  std::chrono::milliseconds delay = policy.firstRetryDelay;
  for (int attempt = 1;; ++attempt) {
    Attempt outcome = GetOnce(handles, host, path, bytes, policy);
    if (outcome == Attempt::kDone) {
      tFailureCause.clear();
      return true;
    }
    tFailedHost = host;
    if (outcome == Attempt::kFail || attempt >= policy.maxAttempts) return false;
    Sleep(static_cast<DWORD>(Milliseconds(delay)));
    delay = std::min(delay * 2, policy.maxRetryDelay);
  }
}

}  // namespace

bool HttpsGet(const std::string& url, ByteBuffer& bytes) { return HttpsGet(url, bytes, HttpPolicy{}); }

std::wstring LastHttpsFailure() {
  if (tFailureCause.empty()) return {};
  return tFailedHost + L": " + tFailureCause;
}

bool HttpsGet(const std::string& url, ByteBuffer& bytes, const HttpPolicy& policy) {
  bytes.clear();
  std::wstring host, path;
  if (!SplitUrl(url, host, path)) return false;  // no session is opened for a bad URL
  SessionHandles handles(policy);
  return GetWithRetries(handles, url, bytes, policy);
}

struct HttpsSession::Handles : SessionHandles {
  using SessionHandles::SessionHandles;
};

HttpsSession::HttpsSession(const HttpPolicy& policy) : handles_(std::make_unique<Handles>(policy)), policy_(policy) {}
HttpsSession::~HttpsSession() = default;

bool HttpsSession::get(const std::string& url, ByteBuffer& bytes) {
  return GetWithRetries(*handles_, url, bytes, policy_);
}

Fetcher KeepAliveFetcher(const HttpPolicy& policy) {
  auto session = std::make_shared<HttpsSession>(policy);
  return [session](const std::string& url, ByteBuffer& bytes) {
    return ReadFromLocalMirror(url, bytes) || session->get(url, bytes);
  };
}
