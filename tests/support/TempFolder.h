// A fresh folder below the system's temporary folder, removed with the object.
#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

namespace pelvartest {

class TempFolder {
 public:
  explicit TempFolder(const std::string& tag = "test") {
    std::string pattern = (std::filesystem::temp_directory_path() / ("pelvar-" + tag + "-XXXXXX")).string();
    std::vector<char> buf(pattern.begin(), pattern.end());
    buf.push_back('\0');
    path_ = ::mkdtemp(buf.data());
  }
  ~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

}  // namespace pelvartest
