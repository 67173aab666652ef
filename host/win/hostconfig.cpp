#include "hostconfig.h"

#include <cstdlib>

namespace pelvarhost {

std::string HostConfigFolder() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (config != nullptr && config[0] == '/') return std::string(config) + "/pelvar";
  const char* home = std::getenv("HOME");
  return std::string(home != nullptr ? home : ".") + "/.config/pelvar";
}

}  // namespace pelvarhost
