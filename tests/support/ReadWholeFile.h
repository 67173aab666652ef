// The whole contents of a file as bytes in a string (empty when it cannot be read).
#pragma once
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace pelvartest {

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace pelvartest
