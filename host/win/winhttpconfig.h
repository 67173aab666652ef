// The host's network settings for its WinHTTP layer, read from winhttp.conf in the host's
// configuration folder. Internal to the host; winhttp.h is the public face.
//
//   host NAME ADDRESS[:PORT]   connect to ADDRESS (and PORT) whenever NAME is asked for, as a
//                              hosts file does; certificates are still checked against NAME
//   host NAME folder PATH      answer requests for NAME from the files below PATH
//   ca PATH                    trust the certificate authorities of the PEM file PATH besides
//                              the system's own
//   timeout connect MS         replace the connect time-out programs set (milliseconds)
//   timeout receive MS         replace the receive time-out programs set (milliseconds)
//
// '#' starts a comment; relative paths are relative to the configuration folder. A NAME the
// file does not route keeps the host's built-in route, if any (the survey index server is
// answered from the index shipped beside the program).
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelvarhost::http {

// The largest configuration or certificate file read.
inline constexpr std::uint64_t kMaxConfigFileBytes = std::uint64_t{16} << 20;

struct HostRoute {
  std::string name;     // host name, compared without regard to case
  std::string address;  // connect here instead (empty when answered from a folder)
  int port = 0;         // 0: the port the program asked for
  std::string folder;   // answer from this folder instead (empty when routed to an address)
};

struct NetworkConfig {
  std::vector<HostRoute> routes;
  std::vector<std::string> caFiles;
  std::optional<int> connectTimeoutMs;
  std::optional<int> receiveTimeoutMs;
  std::vector<std::string> problems;  // one text per line that was not understood
};

// Parses the file's text; relative paths are taken relative to `baseFolder`.
NetworkConfig ParseNetworkConfig(std::string_view text, const std::string& baseFolder);
// The configuration file, then the built-in routes after the file's own.
NetworkConfig LoadNetworkConfig();
std::string NetworkConfigPath();

// The route for a host name, or null when the name is resolved as usual.
const HostRoute* FindRoute(const NetworkConfig& config, std::string_view hostName);

}  // namespace pelvarhost::http
