// What PELVARIMPORT says about files it cannot or need not take as they are, and what it
// leaves on disk then.
#include <gtest/gtest.h>

#include <functional>

#include "tests/module/lasio/LasFixture.h"

namespace lasiotest {
namespace {

using pelvartest::PelvarRun;
using pelvartest::RunPelvar;
using pelvartest::TempFolder;

namespace fs = std::filesystem;

void WriteZoneFile(const fs::path& path, std::vector<Vlr> vlrs, bool compressed = false) {
  LasShape shape;
  shape.pointFormat = 3;
  shape.compressed = compressed;
  shape.vlrs = std::move(vlrs);
  WriteLas(path, shape, FilePoints(GeoPoints(400, false), "EPSG:2269", 0.3048));
}

void Patch(const fs::path& path, std::size_t at, const std::string& bytes) {
  std::fstream file(path, std::ios::in | std::ios::out | std::ios::binary);
  file.seekp(static_cast<std::streamoff>(at));
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

struct MessageCase {
  const char* name;
  const char* file;
  std::function<void(const fs::path&)> make;
  const char* answers;   // after the file's path
  const char* message;   // after the file's path when it starts with a colon or a space
  const char* written;   // the cloud file left, or "" for none
};

TEST(ImportMessages, EachFileGetsItsMessageAndOnlyGoodOnesLeaveACloud) {
  const Vlr zoneKeys = GeoKeyVlr({{3072, 2269}});
  const std::vector<MessageCase> cases = {
      {"not_las", "text.las", [](const fs::path& p) { std::ofstream(p) << "x,y,z\n1,2,3\n"; }, "",
       ": not a LAS or LAZ file.", ""},
      {"over_the_limit", "big.las",
       [&](const fs::path& p) { WriteZoneFile(p, {zoneKeys}), Patch(p, 107, std::string("\x80\xF0\x93\x03", 4)); }, "",
       " holds 60027008 points; a cloud file takes at most 50,000,000.", ""},
      {"damaged_laz", "cut.laz",
       [&](const fs::path& p) { WriteZoneFile(p, {zoneKeys}, true), fs::resize_file(p, fs::file_size(p) - 900); }, "",
       ": not a LAS or LAZ file.", ""},
      {"no_system", "bare.las", [](const fs::path& p) { WriteZoneFile(p, {}); }, "2269\n",
       " names no coordinate system.\nEPSG code of its coordinate system: 2269\nZone from the file: NAD83 / Oregon "
       "North (ft) (EPSG:2269).",
       "bare.kmt"},
      {"unknown_system", "local.las", [](const fs::path& p) { WriteZoneFile(p, {WktVlr("LOCAL_CS[\"site grid\"]")}); },
       "", ": PROJ does not read its coordinate system as a projected or geographic one; nothing written.", ""},
      {"cancelled", "esc.las", [&](const fs::path& p) { WriteZoneFile(p, {zoneKeys}); }, "^BREAK\n",
       "Import cancelled; nothing written.", ""},
      {"name_taken", "taken.las",
       [&](const fs::path& p) { WriteZoneFile(p, {zoneKeys}), std::ofstream(p.parent_path() / "taken.kmt") << "mine"; },
       "", "taken_2.kmt (0.1 MB).\nAttached at full density. EPSG:2269.", "taken_2.kmt"},
  };
  for (const MessageCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempFolder home("import-messages");
    c.make(home / c.file);
    PelvarRun run = RunPelvar(home.path(), "PELVARIMPORT\n" + (home / c.file).string() + "\n" + c.answers + "\n");
    bool afterPath = c.message[0] == ':' || c.message[0] == ' ';
    EXPECT_NE(run.out.find((afterPath ? (home / c.file).string() : "") + c.message), std::string::npos) << run.out;
    std::vector<std::string> left;  // what the import wrote, finished or not
    for (const fs::directory_entry& entry : fs::directory_iterator(home.path()))
      if (entry.path().string().find(".kmt") != std::string::npos && entry.path().filename() != "taken.kmt")
        left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, std::string(c.written).empty() ? std::vector<std::string>{} : std::vector<std::string>{c.written});
  }
}

}  // namespace
}  // namespace lasiotest
