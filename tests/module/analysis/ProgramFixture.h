// Scripted runs of the pelvar program over known clouds: the clouds are written into the
// run's folder, attached by the script, and the transcript is checked from a marker on.
#pragma once
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <pugixml.hpp>
#include <string>
#include <vector>

#include "tests/module/analysis/KnownTerrain.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/pelvar_run.h"

namespace programtest {

class AnalysisProgram : public testing::Test {
 protected:
  AnalysisProgram() : home_("analysis"), downloads_("XDG_DOWNLOAD_DIR", home_.path().string()) {}

  // Writes the cloud as `file` in the run's folder and returns the script lines that attach it.
  std::string Attach(const terrain::Cloud& cloud, const std::string& file) {
    std::vector<uint8_t> bytes = cloud.Bytes();
    std::ofstream(home_ / file, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                        static_cast<std::streamsize>(bytes.size()));
    return "PELVARATTACH\n" + file + "\n";
  }

  // Runs the script; the run must end normally (RunPelvar checks for host errors and
  // sanitizer reports).
  std::string Run(const std::string& script, const std::vector<std::string>& args = {}) {
    pelvartest::PelvarRun run = pelvartest::RunPelvar(home_.path(), script, args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    return run.out;
  }

  // The transcript from the first line that runs `command` on.
  static std::string From(const std::string& out, const std::string& command) {
    size_t at = out.find("Command: " + command + "\n");
    EXPECT_NE(at, std::string::npos) << out;
    return at == std::string::npos ? std::string() : out.substr(at);
  }

  // The vertices (x, y, z) listed by LIST for the first polyline whose listing starts at or
  // after `from`.
  static std::vector<std::array<double, 3>> ListedVertices(const std::string& out, size_t from) {
    std::vector<std::array<double, 3>> vertices;
    size_t at = out.find("POLYLINE  Layer:", from);
    size_t end = at == std::string::npos ? at : out.find("Length = ", at);
    for (at = out.find("at point X=", at); at < end; at = out.find("at point X=", at + 1)) {
      double x = 0, y = 0, z = 0;
      EXPECT_EQ(std::sscanf(out.c_str() + at, "at point X=%lf  Y=%lf  Z=%lf", &x, &y, &z), 3);
      vertices.push_back({x, y, z});
    }
    return vertices;
  }

  // The vertices (x, y, z) of the first feature line of a LandXML file, and its name.
  static std::vector<std::array<double, 3>> FeatureLineVertices(const std::filesystem::path& file, std::string& name) {
    pugi::xml_document document;
    EXPECT_TRUE(document.load_file(file.c_str()));
    pugi::xml_node feature = document.child("LandXML").child("PlanFeatures").child("PlanFeature");
    name = feature.attribute("name").value();
    std::vector<std::array<double, 3>> vertices;
    auto add = [&](const char* text) {
      double n = 0, e = 0, z = 0;
      EXPECT_EQ(std::sscanf(text, "%lf %lf %lf", &n, &e, &z), 3);
      vertices.push_back({e, n, z});
    };
    for (pugi::xml_node line : feature.child("CoordGeom").children("Line")) {
      if (vertices.empty()) add(line.child("Start").text().get());
      add(line.child("End").text().get());
    }
    return vertices;
  }

  pelvartest::TempFolder home_;
  pelvartest::ScopedEnv downloads_;
};

}  // namespace programtest
