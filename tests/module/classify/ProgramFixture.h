// The pelvar program with the module, run on clouds in a private Downloads folder and a
// private registry file; every run must end cleanly (status 0, no host error, no sanitizer
// report).
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/module/classify/ExactCloud.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempFolder.h"
#include "tests/support/pelvar_run.h"
#include "tools/samplegen/SampleCloud.h"

namespace classifytest {

namespace fs = std::filesystem;

// FNV-1a over a file's bytes.
inline uint64_t FileHash(const fs::path& path) {
  uint64_t hash = 1469598103934665603ull;
  for (char c : pelvartest::ReadWholeFile(path)) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  return hash;
}

// The 121 points of a 10 ft lattice from (1000, 2000) to (1100, 2100) at height 0 over the
// flat ground; node (i, j) has class 1 + (i + j) % 6 and intensity 100 * i + j.
inline crafted::Cloud LatticeCloud() {
  crafted::Cloud cloud = ExactCloud();
  cloud.tileName = "lattice";
  for (int j = 0; j <= 10; ++j)
    for (int i = 0; i <= 10; ++i)
      cloud.points.push_back(PointAt(1000 + 10 * i, 2000 + 10 * j, CodeOfHeight(0), static_cast<uint8_t>(1 + (i + j) % 6),
                                     static_cast<uint16_t>(100 * i + j)));
  return cloud;
}

class ClassifyProgram : public testing::Test {
 protected:
  void SetUp() override { fs::create_directories(downloads_); }

  // Runs the script (answers one per line); the run must end normally (RunPelvar checks for
  // host errors and sanitizer reports).
  pelvartest::PelvarRun Run(const std::string& script, const std::vector<std::string>& args = {},
                            const std::string& shellSetup = "") {
    pelvartest::PelvarRun run = pelvartest::RunPelvar(home_.path(), script, args, shellSetup);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run;
  }

  // The registry file the program reads, holding only the default class mask.
  void StoreDefaultMask(uint32_t mask) {
    fs::create_directories(home_ / "config" / "pelvar");
    char value[16];
    std::snprintf(value, sizeof value, "%08x", mask);
    std::ofstream(home_ / "config" / "pelvar" / "registry.reg")
        << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\Software\\Pelvar]\r\n"
        << "\"DefaultClassMask\"=dword:" << value << "\r\n";
  }

  fs::path WriteCloud(const std::string& name, const crafted::Cloud& cloud) {
    crafted::WriteFile((downloads_ / name).string(), cloud.Bytes());
    return downloads_ / name;
  }

  fs::path WriteSample(const std::string& name, uint32_t points, uint64_t seed) {
    SampleCloudRequest request;
    request.pointCount = points;
    request.seed = seed;
    EXPECT_TRUE(WriteSampleCloud(request, (downloads_ / name).string(), false));
    return downloads_ / name;
  }

  // The transcript from the first line that starts with `from`, without the line end the
  // program prints when its input ends.
  static std::string From(const std::string& out, const std::string& from) {
    size_t at = out.find("\n" + from);
    if (at == std::string::npos) return {};
    std::string text = out.substr(at + 1);
    if (!text.empty() && text.back() == '\n') text.pop_back();
    return text;
  }

  // The transcript from the first line that starts with `from` up to the next line that
  // starts with `until` (not included).
  static std::string Section(const std::string& out, const std::string& from, const std::string& until) {
    std::string text = From(out, from);
    size_t end = text.find("\n" + until, from.size());
    return end == std::string::npos ? text : text.substr(0, end + 1);
  }

  pelvartest::TempFolder home_{"classifyprog"};
  fs::path downloads_ = home_.path() / "Downloads";
  pelvartest::ScopedEnv downloadsEnv_{"XDG_DOWNLOAD_DIR", downloads_.string()};
};

}  // namespace classifytest
