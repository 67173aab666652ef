#include "winhttpconfig.h"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstdio>
#include <fstream>
#include <mutex>
#include <set>
#include <sstream>

#include "hostconfig.h"
#include "hostfiles.h"
#include "textcase.h"
#include "wideutf8.h"

namespace pelvarhost::http {

namespace {

// The survey index server the module reads its index from, and where the program's own copy
// of that index lives relative to the program's folder.
constexpr char kSurveyIndexHost[] = "index.mardel.invalid";
constexpr char kShippedIndexFolder[] = "share/pelvar/survey-index";

std::vector<std::string> Words(std::string_view line) {
  std::vector<std::string> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    if (i >= line.size() || line[i] == '#') break;
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') ++i;
    words.emplace_back(line.substr(start, i - start));
  }
  return words;
}

std::optional<int> ParseCount(std::string_view text, int lowest, int highest) {
  int value = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || value < lowest || value > highest) return std::nullopt;
  return value;
}

std::string Absolute(const std::string& path, const std::string& baseFolder) {
  if (path.empty() || path[0] == '/') return path;
  return baseFolder + "/" + path;
}

// ADDRESS, ADDRESS:PORT or [IPv6]:PORT.
bool ParseAddress(const std::string& text, HostRoute& route) {
  std::string address = text;
  std::string port;
  if (!text.empty() && text[0] == '[') {
    size_t close = text.find(']');
    if (close == std::string::npos) return false;
    address = text.substr(0, close + 1);
    if (close + 1 < text.size()) {
      if (text[close + 1] != ':') return false;
      port = text.substr(close + 2);
    }
  } else if (size_t colon = text.find(':'); colon != std::string::npos) {
    address = text.substr(0, colon);
    port = text.substr(colon + 1);
  }
  if (address.empty()) return false;
  route.address = address;
  if (!port.empty()) {
    std::optional<int> number = ParseCount(port, 1, 65535);
    if (!number) return false;
    route.port = *number;
  }
  return true;
}

// Applies one setting line to `config`; false with the reason in `problem` when the line is
// not understood (config is then left as it was).
bool ParseLine(const std::vector<std::string>& w, const std::string& baseFolder, NetworkConfig& config,
               std::string& problem) {
  if (w[0] == "host") {
    HostRoute route;
    if (w.size() == 4 && w[2] == "folder") {
      route.name = w[1];
      route.folder = Absolute(w[3], baseFolder);
    } else if (w.size() == 3) {
      route.name = w[1];
      if (!ParseAddress(w[2], route)) {
        problem = "bad address";
        return false;
      }
    } else {
      problem = "expected: host NAME ADDRESS[:PORT] or host NAME folder PATH";
      return false;
    }
    config.routes.push_back(route);
    return true;
  }
  if (w[0] == "ca") {
    if (w.size() != 2) {
      problem = "expected: ca PATH";
      return false;
    }
    config.caFiles.push_back(Absolute(w[1], baseFolder));
    return true;
  }
  if (w[0] == "timeout") {
    std::optional<int> ms = w.size() == 3 ? ParseCount(w[2], 0, INT_MAX) : std::nullopt;
    if (!ms || (w[1] != "connect" && w[1] != "receive")) {
      problem = "expected: timeout connect|receive MILLISECONDS";
      return false;
    }
    (w[1] == "connect" ? config.connectTimeoutMs : config.receiveTimeoutMs) = *ms;
    return true;
  }
  problem = "unknown setting";
  return false;
}

std::string ProgramFolder() {
  char buffer[4096];
  ssize_t n = readlink("/proc/self/exe", buffer, sizeof(buffer) - 1);
  if (n <= 0) return ".";
  std::string path(buffer, static_cast<size_t>(n));
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Each problem line is reported once per process, on the standard error stream.
void ReportProblems(const NetworkConfig& config) {
  static std::mutex mutex;
  static std::set<std::string> reported;
  std::lock_guard lock(mutex);
  for (const std::string& problem : config.problems)
    if (reported.insert(problem).second) std::fprintf(stderr, "%s\n", problem.c_str());
}

}  // namespace

NetworkConfig ParseNetworkConfig(std::string_view text, const std::string& baseFolder) {
  NetworkConfig config;
  size_t lineNumber = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    ++lineNumber;
    std::vector<std::string> words = Words(text.substr(start, end - start));
    if (!words.empty()) {
      std::string problem;
      if (!ParseLine(words, baseFolder, config, problem))
        config.problems.push_back("winhttp.conf line " + std::to_string(lineNumber) + " ignored: " + problem);
    }
    start = end + 1;
  }
  return config;
}

std::string NetworkConfigPath() { return HostConfigFolder() + "/winhttp.conf"; }

NetworkConfig LoadNetworkConfig() {
  std::string text, why;
  bool missing = false;
  const bool read = ReadRegularFile(NetworkConfigPath(), kMaxConfigFileBytes, text, why, &missing);
  NetworkConfig config = ParseNetworkConfig(text, HostConfigFolder());
  if (!read && !missing) config.problems.push_back("winhttp.conf ignored: " + why);
  ReportProblems(config);
  HostRoute index;
  index.name = kSurveyIndexHost;
  index.folder = ProgramFolder() + "/" + kShippedIndexFolder;
  config.routes.push_back(index);
  return config;
}

const HostRoute* FindRoute(const NetworkConfig& config, std::string_view hostName) {
  for (const HostRoute& route : config.routes)
    if (SameTextIgnoringCase(Utf8ToWide(route.name), Utf8ToWide(hostName))) return &route;
  return nullptr;
}

}  // namespace pelvarhost::http
