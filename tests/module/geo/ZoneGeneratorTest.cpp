// The committed zone table is exactly what the generator writes from PROJ's database.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "tests/support/ReadWholeFile.h"

namespace {

namespace fs = std::filesystem;

using pelvartest::ReadWholeFile;

TEST(ZoneGenerator, CommittedTableIsWhatTheGeneratorWrites) {
    const fs::path source = PELVAR_SOURCE_DIR;
    const fs::path database = "/usr/share/proj/proj.db";
    if (!fs::exists(database) || std::system("python3 --version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "needs python3 and " << database;
    }
    const fs::path out = fs::path(PELVAR_BUILD_DIR) / "zonegen_check.cpp";
    const std::string command = "python3 '" + (source / "tools/zonegen/zonegen.py").string() + "' --db '" +
                                database.string() + "' --out '" + out.string() + "' > /dev/null";
    ASSERT_EQ(std::system(command.c_str()), 0) << command;
    const std::string generated = ReadWholeFile(out);
    fs::remove(out);
    EXPECT_FALSE(generated.empty());
    EXPECT_EQ(generated, ReadWholeFile(source / "module/geo/StatePlaneZones.cpp"));
}

TEST(ZoneGenerator, RefusesAKeyThatIsNotAZone) {
    const fs::path source = PELVAR_SOURCE_DIR;
    if (!fs::exists("/usr/share/proj/proj.db") || std::system("python3 --version > /dev/null 2>&1") != 0) {
        GTEST_SKIP() << "needs python3 and proj.db";
    }
    const fs::path keys = fs::path(PELVAR_BUILD_DIR) / "zonegen_bad_keys.tsv";
    const fs::path out = fs::path(PELVAR_BUILD_DIR) / "zonegen_bad_out.cpp";
    const fs::path log = fs::path(PELVAR_BUILD_DIR) / "zonegen_bad.log";
    std::ofstream(keys) << "2240\tGA83-WF\n4326\tLL84\n";
    const std::string command = "python3 '" + (source / "tools/zonegen/zonegen.py").string() + "' --keys '" +
                                keys.string() + "' --out '" + out.string() + "' 2> '" + log.string() + "'";
    EXPECT_NE(std::system(command.c_str()), 0);
    EXPECT_EQ(ReadWholeFile(log), "zonegen: EPSG:4326 is not a projected CRS in the database\n");
    EXPECT_FALSE(fs::exists(out));
    fs::remove(keys);
    fs::remove(log);
}

}  // namespace
