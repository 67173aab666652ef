// The WinHTTP subset over libcurl. One request is one curl transfer on its own multi handle,
// driven only while the caller waits in a WinHTTP call, so a request never runs in the
// background and nothing survives its handle. Requests for a host routed to a folder are
// answered from the files below it without any network activity.
#include "winhttp.h"

#include <curl/curl.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "hostfiles.h"
#include "wideutf8.h"
#include "winhttpconfig.h"

namespace {

using Clock = std::chrono::steady_clock;
using pelvarhost::http::HostRoute;
using pelvarhost::http::NetworkConfig;

// WinHTTP's own defaults for the connect and receive time-outs.
constexpr int kDefaultConnectTimeoutMs = 60000;
constexpr int kDefaultReceiveTimeoutMs = 30000;
// A response slower than this many bytes per second for the receive time-out fails.
constexpr long kLowSpeedBytesPerSecond = 1;
constexpr int kPollIntervalMs = 50;
constexpr long kMaxRedirects = 10;
// The largest file a folder route answers with.
constexpr std::uint64_t kMaxServedFileBytes = std::uint64_t{1} << 30;

struct Timeouts {
  int connectMs = kDefaultConnectTimeoutMs;
  int receiveMs = kDefaultReceiveTimeoutMs;
};

enum class HandleKind { kSession, kConnection, kRequest };

struct Handle {
  explicit Handle(HandleKind k) : kind(k) {}
  virtual ~Handle() = default;
  HandleKind kind;
  Timeouts timeouts;
};

// What the transfers of one session share: open connections (so that a request finds the
// connection an earlier one left open, as WinHTTP keeps connections alive per session),
// TLS sessions and name lookups. Held by the session and every handle opened from it.
class SharedState {
 public:
  SharedState() : share_(curl_share_init()) {
    if (share_ == nullptr) return;
    curl_share_setopt(share_, CURLSHOPT_LOCKFUNC, Lock);
    curl_share_setopt(share_, CURLSHOPT_UNLOCKFUNC, Unlock);
    curl_share_setopt(share_, CURLSHOPT_USERDATA, this);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_CONNECT);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_SSL_SESSION);
    curl_share_setopt(share_, CURLSHOPT_SHARE, CURL_LOCK_DATA_DNS);
  }
  ~SharedState() {
    if (share_ != nullptr) curl_share_cleanup(share_);
  }
  SharedState(const SharedState&) = delete;
  SharedState& operator=(const SharedState&) = delete;
  CURLSH* get() const { return share_; }

 private:
  static void Lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<SharedState*>(user)->mutexes_[data % kLocks].lock();
  }
  static void Unlock(CURL*, curl_lock_data data, void* user) {
    static_cast<SharedState*>(user)->mutexes_[data % kLocks].unlock();
  }
  static constexpr int kLocks = 8;
  CURLSH* share_;
  std::mutex mutexes_[kLocks];
};

struct Session : Handle {
  Session() : Handle(HandleKind::kSession) {}
  std::string agent;
  std::shared_ptr<SharedState> shared = std::make_shared<SharedState>();
};

struct Connection : Handle {
  Connection() : Handle(HandleKind::kConnection) {}
  std::shared_ptr<SharedState> shared;
  std::string agent;
  std::string host;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTPS_PORT;
};

// The final response's status line and headers (a redirect's are replaced by the next).
struct ResponseHead {
  long status = 0;
  std::optional<uint64_t> contentLength;
  bool complete = false;
};

struct Request : Handle {
  Request() : Handle(HandleKind::kRequest) {}
  ~Request() override {
    if (multi != nullptr && easy != nullptr) curl_multi_remove_handle(multi, easy);
    if (easy != nullptr) curl_easy_cleanup(easy);
    if (multi != nullptr) curl_multi_cleanup(multi);
    if (connectTo != nullptr) curl_slist_free_all(connectTo);
  }
  std::shared_ptr<SharedState> shared;
  std::string agent, host, path;
  INTERNET_PORT port = INTERNET_DEFAULT_HTTPS_PORT;
  bool secure = false;
  bool sent = false;
  CURL* easy = nullptr;
  CURLM* multi = nullptr;
  curl_slist* connectTo = nullptr;
  std::vector<std::string> caFiles;
  ResponseHead head;
  std::string pending;      // body bytes received and not yet read
  size_t pendingRead = 0;   // how much of `pending` the caller has read
  uint64_t bytesSeen = 0;   // header and body bytes, for the low-speed test
  bool finished = false;
  DWORD failure = ERROR_SUCCESS;  // set when the transfer ended in an error
  // The low-speed test counts only the time spent waiting for the network.
  std::chrono::milliseconds waited{0};
  std::chrono::milliseconds windowStart{0};
  uint64_t windowBytes = 0;
};

std::mutex& HandlesMutex() {
  static std::mutex mutex;
  return mutex;
}
std::set<Handle*>& LiveHandles() {
  static std::set<Handle*> handles;
  return handles;
}

HINTERNET Register(std::unique_ptr<Handle> handle) {
  std::lock_guard lock(HandlesMutex());
  Handle* raw = handle.release();
  LiveHandles().insert(raw);
  return raw;
}

template <typename T>
T* Lookup(HINTERNET h, HandleKind kind) {
  std::lock_guard lock(HandlesMutex());
  auto* handle = static_cast<Handle*>(h);
  if (h == nullptr || LiveHandles().count(handle) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (handle->kind != kind) {
    SetLastError(ERROR_WINHTTP_INCORRECT_HANDLE_TYPE);
    return nullptr;
  }
  return static_cast<T*>(handle);
}

Handle* LookupAny(HINTERNET h) {
  std::lock_guard lock(HandlesMutex());
  auto* handle = static_cast<Handle*>(h);
  if (h == nullptr || LiveHandles().count(handle) == 0) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return handle;
}

std::string Narrow(LPCWSTR text) { return text != nullptr ? pelvarhost::WideToUtf8(text) : std::string(); }

void EnsureCurl() {
  static std::once_flag once;
  std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

DWORD ErrorFor(CURLcode code) {
  switch (code) {
    case CURLE_OK: return ERROR_SUCCESS;
    case CURLE_COULDNT_RESOLVE_HOST: return ERROR_WINHTTP_NAME_NOT_RESOLVED;
    case CURLE_COULDNT_CONNECT: return ERROR_WINHTTP_CANNOT_CONNECT;
    case CURLE_OPERATION_TIMEDOUT: return ERROR_WINHTTP_TIMEOUT;
    case CURLE_URL_MALFORMAT: return ERROR_WINHTTP_INVALID_URL;
    case CURLE_UNSUPPORTED_PROTOCOL: return ERROR_WINHTTP_UNRECOGNIZED_SCHEME;
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CIPHER:
    case CURLE_SSL_CACERT_BADFILE:
    case CURLE_SSL_ISSUER_ERROR: return ERROR_WINHTTP_SECURE_FAILURE;
    case CURLE_WEIRD_SERVER_REPLY:
    case CURLE_HTTP2:
    case CURLE_TOO_MANY_REDIRECTS:
    case CURLE_BAD_CONTENT_ENCODING: return ERROR_WINHTTP_INVALID_SERVER_RESPONSE;
    default: return ERROR_WINHTTP_CONNECTION_ERROR;
  }
}

// --- curl callbacks

void ParseHeaderLine(ResponseHead& head, std::string_view line) {
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
  if (line.rfind("HTTP/", 0) == 0) {
    head = ResponseHead{};
    size_t space = line.find(' ');
    if (space != std::string_view::npos) {
      std::string_view code = line.substr(space + 1, 3);
      std::from_chars(code.data(), code.data() + code.size(), head.status);
    }
    return;
  }
  if (line.empty()) {
    bool interim = head.status >= 100 && head.status < 200;
    bool followed = head.status == 301 || head.status == 302 || head.status == 303 || head.status == 307 ||
                    head.status == 308;
    head.complete = head.status != 0 && !interim && !followed;
    return;
  }
  constexpr std::string_view kLength = "content-length:";
  if (line.size() > kLength.size()) {
    std::string lower(line.substr(0, kLength.size()));
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
    if (lower == kLength) {
      std::string_view value = line.substr(kLength.size());
      while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t')) value.remove_suffix(1);
      uint64_t length = 0;
      auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), length);
      if (ec == std::errc() && end == value.data() + value.size()) head.contentLength = length;
    }
  }
}

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
  auto* request = static_cast<Request*>(user);
  request->bytesSeen += size * count;
  ParseHeaderLine(request->head, std::string_view(data, size * count));
  return size * count;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
  auto* request = static_cast<Request*>(user);
  request->bytesSeen += size * count;
  request->head.complete = true;
  if (request->pendingRead == request->pending.size()) {
    request->pending.clear();
    request->pendingRead = 0;
  }
  request->pending.append(data, size * count);
  return size * count;
}

// Adds the configured certificate authorities to the connection's trust store.
CURLcode AddCertificateAuthorities(CURL*, void* sslContext, void* user) {
  auto* request = static_cast<Request*>(user);
  X509_STORE* store = SSL_CTX_get_cert_store(static_cast<SSL_CTX*>(sslContext));
  for (const std::string& file : request->caFiles) {
    std::string pem, why;
    if (!pelvarhost::ReadRegularFile(file, pelvarhost::http::kMaxConfigFileBytes, pem, why)) continue;
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    if (bio == nullptr) continue;
    while (X509* certificate = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
      X509_STORE_add_cert(store, certificate);
      X509_free(certificate);
    }
    BIO_free(bio);
  }
  return CURLE_OK;
}

// --- answers from a folder

bool SafeRelativePath(const std::string& path) {
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    std::string_view part(path.data() + start, end - start);
    if (part == "." || part == ".." || part.find('\\') != std::string_view::npos) return false;
    start = end + 1;
  }
  return true;
}

void AnswerFromFolder(Request& request, const std::string& folder) {
  std::string path = request.path.substr(0, request.path.find('?'));
  request.head.status = 404;
  std::error_code ec;
  std::filesystem::path file = std::filesystem::path(folder) / path.substr(std::min(path.find_first_not_of('/'), path.size()));
  std::string body, why;
  if (SafeRelativePath(path) && pelvarhost::ReadRegularFile(file.string(), kMaxServedFileBytes, body, why)) {
    request.head.status = 200;
    request.pending = std::move(body);
  }
  if (request.head.status != 200) request.pending = "Not Found";
  request.head.contentLength = request.pending.size();
  request.head.complete = true;
  request.finished = true;
}

// --- driving a transfer

void ReadCompletion(Request& request) {
  int left = 0;
  while (CURLMsg* message = curl_multi_info_read(request.multi, &left)) {
    if (message->msg != CURLMSG_DONE) continue;
    request.finished = true;
    request.failure = ErrorFor(message->data.result);
    request.head.complete = true;
  }
}

bool Connected(Request& request) {
  curl_off_t connectTime = 0;
  curl_easy_getinfo(request.easy, CURLINFO_CONNECT_TIME_T, &connectTime);
  return connectTime > 0;
}

// True when the response has run slower than the low-speed limit for a whole receive
// time-out of waiting.
bool TooSlow(Request& request) {
  if (request.timeouts.receiveMs <= 0) return false;
  std::chrono::milliseconds window(request.timeouts.receiveMs);
  if (request.waited - request.windowStart < window) return false;
  uint64_t needed = static_cast<uint64_t>(kLowSpeedBytesPerSecond) *
                    static_cast<uint64_t>(std::max(1, request.timeouts.receiveMs / 1000));
  bool slow = request.bytesSeen - request.windowBytes < needed;
  request.windowStart = request.waited;
  request.windowBytes = request.bytesSeen;
  return slow;
}

// Runs the transfer until `ready` holds or the transfer ends.
template <typename Ready>
void Drive(Request& request, Ready ready) {
  while (!ready() && !request.finished) {
    auto start = Clock::now();
    int running = 0;
    curl_multi_perform(request.multi, &running);
    ReadCompletion(request);
    if (ready() || request.finished) break;
    curl_multi_poll(request.multi, nullptr, 0, kPollIntervalMs, nullptr);
    curl_multi_perform(request.multi, &running);
    ReadCompletion(request);
    if (Connected(request))
      request.waited += std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start);
    if (!request.finished && TooSlow(request)) {
      request.finished = true;
      request.failure = ERROR_WINHTTP_TIMEOUT;
      request.head.complete = true;
    }
  }
}

size_t Unread(const Request& request) { return request.pending.size() - request.pendingRead; }

bool StartTransfer(Request& request, const NetworkConfig& config) {
  EnsureCurl();
  request.easy = curl_easy_init();
  request.multi = curl_multi_init();
  if (request.easy == nullptr || request.multi == nullptr) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  std::string scheme = request.secure ? "https" : "http";
  std::string url = scheme + "://" + request.host + ":" + std::to_string(request.port) + request.path;
  CURL* e = request.easy;
  curl_easy_setopt(e, CURLOPT_URL, url.c_str());
  curl_easy_setopt(e, CURLOPT_USERAGENT, request.agent.c_str());
  curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
  if (request.shared != nullptr && request.shared->get() != nullptr)
    curl_easy_setopt(e, CURLOPT_SHARE, request.shared->get());
  curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
  curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, request.secure ? "https" : "http,https");
  curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(request.timeouts.connectMs));
  curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, OnHeader);
  curl_easy_setopt(e, CURLOPT_HEADERDATA, &request);
  curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, OnBody);
  curl_easy_setopt(e, CURLOPT_WRITEDATA, &request);
  request.caFiles = config.caFiles;
  if (!request.caFiles.empty()) {
    curl_easy_setopt(e, CURLOPT_SSL_CTX_FUNCTION, AddCertificateAuthorities);
    curl_easy_setopt(e, CURLOPT_SSL_CTX_DATA, &request);
  }
  if (const HostRoute* route = FindRoute(config, request.host); route != nullptr && !route->address.empty()) {
    int port = route->port != 0 ? route->port : request.port;
    std::string mapping = request.host + ":" + std::to_string(request.port) + ":" + route->address + ":" +
                          std::to_string(port);
    request.connectTo = curl_slist_append(nullptr, mapping.c_str());
    curl_easy_setopt(e, CURLOPT_CONNECT_TO, request.connectTo);
    curl_easy_setopt(e, CURLOPT_NOPROXY, "*");
  }
  curl_multi_add_handle(request.multi, e);
  return true;
}

BOOL FailWith(DWORD error) {
  SetLastError(error);
  return FALSE;
}

}  // namespace

HINTERNET WinHttpOpen(LPCWSTR agent, DWORD, LPCWSTR, LPCWSTR, DWORD flags) {
  if (flags != 0) {  // only synchronous sessions are offered
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto session = std::make_unique<Session>();
  session->agent = Narrow(agent);
  return Register(std::move(session));
}

HINTERNET WinHttpConnect(HINTERNET hSession, LPCWSTR server, INTERNET_PORT port, DWORD) {
  auto* session = Lookup<Session>(hSession, HandleKind::kSession);
  if (session == nullptr) return nullptr;
  std::string host = Narrow(server);
  if (host.empty() || host.find_first_of("/:@ ") != std::string::npos) {
    SetLastError(ERROR_WINHTTP_INVALID_URL);
    return nullptr;
  }
  auto connection = std::make_unique<Connection>();
  connection->agent = session->agent;
  connection->shared = session->shared;
  connection->host = host;
  connection->port = port == 0 ? INTERNET_DEFAULT_HTTPS_PORT : port;
  connection->timeouts = session->timeouts;
  return Register(std::move(connection));
}

HINTERNET WinHttpOpenRequest(HINTERNET hConnect, LPCWSTR verb, LPCWSTR object, LPCWSTR, LPCWSTR, LPCWSTR*,
                             DWORD flags) {
  auto* connection = Lookup<Connection>(hConnect, HandleKind::kConnection);
  if (connection == nullptr) return nullptr;
  std::string method = verb != nullptr ? Narrow(verb) : "GET";
  if (method != "GET") {  // the host offers GET only
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::string path = object != nullptr ? Narrow(object) : "/";
  if (path.empty() || path[0] != '/' || path.find_first_of(" \r\n") != std::string::npos) {
    SetLastError(ERROR_WINHTTP_INVALID_URL);
    return nullptr;
  }
  auto request = std::make_unique<Request>();
  request->agent = connection->agent;
  request->shared = connection->shared;
  request->host = connection->host;
  request->port = connection->port;
  request->path = path;
  request->secure = (flags & WINHTTP_FLAG_SECURE) != 0;
  request->timeouts = connection->timeouts;
  return Register(std::move(request));
}

BOOL WinHttpSetTimeouts(HINTERNET hInternet, int, int connect, int, int receive) {
  Handle* handle = LookupAny(hInternet);
  if (handle == nullptr) return FALSE;
  if (connect < -1 || receive < -1) return FailWith(ERROR_INVALID_PARAMETER);
  handle->timeouts.connectMs = connect == -1 ? 0 : connect;
  handle->timeouts.receiveMs = receive == -1 ? 0 : receive;
  return TRUE;
}

BOOL WinHttpSendRequest(HINTERNET hRequest, LPCWSTR headers, DWORD, LPVOID optional, DWORD optionalLength, DWORD,
                        DWORD_PTR) {
  auto* request = Lookup<Request>(hRequest, HandleKind::kRequest);
  if (request == nullptr) return FALSE;
  if (request->sent) return FailWith(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  if ((headers != nullptr && headers[0] != 0) || (optional != nullptr && optionalLength > 0))
    return FailWith(ERROR_INVALID_PARAMETER);  // a bare GET carries neither
  request->sent = true;
  NetworkConfig config = pelvarhost::http::LoadNetworkConfig();
  if (config.connectTimeoutMs) request->timeouts.connectMs = *config.connectTimeoutMs;
  if (config.receiveTimeoutMs) request->timeouts.receiveMs = *config.receiveTimeoutMs;
  const HostRoute* route = FindRoute(config, request->host);
  if (route != nullptr && !route->folder.empty()) {
    AnswerFromFolder(*request, route->folder);
    return TRUE;
  }
  if (!StartTransfer(*request, config)) return FALSE;
  Drive(*request, [request] { return request->bytesSeen > 0; });
  if (request->bytesSeen == 0 && request->finished && request->failure != ERROR_SUCCESS)
    return FailWith(request->failure);
  return TRUE;
}

BOOL WinHttpReceiveResponse(HINTERNET hRequest, LPVOID) {
  auto* request = Lookup<Request>(hRequest, HandleKind::kRequest);
  if (request == nullptr) return FALSE;
  if (!request->sent) return FailWith(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  if (request->multi != nullptr) Drive(*request, [request] { return request->head.complete; });
  if (request->head.status == 0) return FailWith(request->failure != ERROR_SUCCESS ? request->failure
                                                                                   : ERROR_WINHTTP_INVALID_SERVER_RESPONSE);
  return TRUE;
}

BOOL WinHttpQueryHeaders(HINTERNET hRequest, DWORD infoLevel, LPCWSTR, LPVOID buffer, LPDWORD bufferLength,
                         LPDWORD) {
  auto* request = Lookup<Request>(hRequest, HandleKind::kRequest);
  if (request == nullptr) return FALSE;
  if (bufferLength == nullptr) return FailWith(ERROR_INVALID_PARAMETER);
  if (request->head.status == 0) return FailWith(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  DWORD level = infoLevel & 0xFFFF;
  uint64_t value = 0;
  if (level == WINHTTP_QUERY_STATUS_CODE) {
    value = static_cast<uint64_t>(request->head.status);
  } else if (level == WINHTTP_QUERY_CONTENT_LENGTH) {
    if (!request->head.contentLength) return FailWith(ERROR_WINHTTP_HEADER_NOT_FOUND);
    value = *request->head.contentLength;
  } else {
    return FailWith(ERROR_WINHTTP_HEADER_NOT_FOUND);
  }
  if (infoLevel & WINHTTP_QUERY_FLAG_NUMBER64) {
    if (*bufferLength < sizeof(uint64_t) || buffer == nullptr) {
      *bufferLength = sizeof(uint64_t);
      return FailWith(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, &value, sizeof(uint64_t));
    *bufferLength = sizeof(uint64_t);
    return TRUE;
  }
  if (infoLevel & WINHTTP_QUERY_FLAG_NUMBER) {
    if (*bufferLength < sizeof(DWORD) || buffer == nullptr) {
      *bufferLength = sizeof(DWORD);
      return FailWith(ERROR_INSUFFICIENT_BUFFER);
    }
    DWORD narrow = value > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<DWORD>(value);
    std::memcpy(buffer, &narrow, sizeof(DWORD));
    *bufferLength = sizeof(DWORD);
    return TRUE;
  }
  std::wstring text = std::to_wstring(value);
  DWORD needed = static_cast<DWORD>((text.size() + 1) * sizeof(WCHAR));
  if (*bufferLength < needed || buffer == nullptr) {
    *bufferLength = needed;
    return FailWith(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buffer, text.c_str(), needed);
  *bufferLength = needed - sizeof(WCHAR);
  return TRUE;
}

BOOL WinHttpQueryDataAvailable(HINTERNET hRequest, LPDWORD available) {
  auto* request = Lookup<Request>(hRequest, HandleKind::kRequest);
  if (request == nullptr) return FALSE;
  if (request->head.status == 0) return FailWith(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  if (request->multi != nullptr) Drive(*request, [request] { return Unread(*request) > 0; });
  size_t unread = Unread(*request);
  if (unread == 0 && request->failure != ERROR_SUCCESS) return FailWith(request->failure);
  if (available != nullptr) *available = static_cast<DWORD>(std::min<size_t>(unread, 0xFFFFFFFFu));
  return TRUE;
}

BOOL WinHttpReadData(HINTERNET hRequest, LPVOID buffer, DWORD toRead, LPDWORD read) {
  auto* request = Lookup<Request>(hRequest, HandleKind::kRequest);
  if (request == nullptr) return FALSE;
  if (read == nullptr || (buffer == nullptr && toRead > 0)) return FailWith(ERROR_INVALID_PARAMETER);
  *read = 0;
  if (request->head.status == 0) return FailWith(ERROR_WINHTTP_INCORRECT_HANDLE_STATE);
  if (request->multi != nullptr && toRead > 0) Drive(*request, [request] { return Unread(*request) > 0; });
  size_t count = std::min<size_t>(toRead, Unread(*request));
  if (count == 0 && request->failure != ERROR_SUCCESS) return FailWith(request->failure);
  std::memcpy(buffer, request->pending.data() + request->pendingRead, count);
  request->pendingRead += count;
  *read = static_cast<DWORD>(count);
  return TRUE;
}

BOOL WinHttpCloseHandle(HINTERNET hInternet) {
  std::unique_ptr<Handle> handle;
  {
    std::lock_guard lock(HandlesMutex());
    auto* raw = static_cast<Handle*>(hInternet);
    if (hInternet == nullptr || LiveHandles().erase(raw) == 0) return FailWith(ERROR_INVALID_HANDLE);
    handle.reset(raw);
  }
  return TRUE;
}
