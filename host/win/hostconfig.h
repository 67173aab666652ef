// Where the host keeps its own configuration files (the registry, the network settings).
#pragma once
#include <string>

namespace pelvarhost {

// $XDG_CONFIG_HOME/pelvar when XDG_CONFIG_HOME is an absolute path, else ~/.config/pelvar.
std::string HostConfigFolder();

}  // namespace pelvarhost
