// PELVARCROP in the pelvar program: the transcript, the new file read back with the reader
// (kept points, edited classes, label), first free names, the attach answer, the refusals,
// and a write that fails part way leaving nothing behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

#include "cloudfile/CloudReader.h"
#include "tests/module/classify/ProgramFixture.h"
#include "wideutf8.h"

namespace classifytest {
namespace {

constexpr const char* kSelect = "Crop a cloud by rectangle.\nSelect cloud <Enter = first in drawing>: \n";
constexpr const char* kAttachPrompt = "Attach the cropped cloud? [Yes/No] <Yes>: ";

std::string CropCommand(const std::string& corners) { return "PELVARCROP\n\n" + corners; }

std::string Report(size_t kept, size_t of, const fs::path& file, const char* megabytes = "0.0") {
  return "Cropped " + std::to_string(kept) + " of " + std::to_string(of) + " points -> " + file.string() + " (" +
         megabytes + " MB)\n";
}

size_t CloudsListed(const std::string& out) {
  size_t count = 0;
  for (size_t at = out.find("PELVAR  Layer:"); at != std::string::npos; at = out.find("PELVAR  Layer:", at + 1)) ++count;
  return count;
}

// The lattice points of [1000, 1050) x [2000, 2050) are kept, each with the class in force:
// 17 inside the edit [1020, 1040] x [2000, 2100], its stored class elsewhere.
TEST_F(ClassifyProgram, TheCropKeepsThePointsOfTheRectangleWithTheirEditedClasses) {
  fs::path source = WriteCloud("lattice.kmt", LatticeCloud());
  const uint64_t sourceHash = FileHash(source);
  pelvartest::PelvarRun run = Run("PELVARATTACH\nlattice.kmt\nPELVARRECLASS\nNumber\n17\n1020,2000\n1040,2100\n\n" +
                                  CropCommand("1050,2050\n1000,2000\n\n") + "LIST\nALL\n");
  const fs::path crop = downloads_ / "lattice_crop.kmt";
  EXPECT_EQ(Section(run.out, "Command: PELVARCROP", "Command: LIST"),
            "Command: PELVARCROP\n" + std::string(kSelect) + "First corner: 1050,2050\nOpposite corner: 1000,2000\n" +
                Report(25, 121, crop) + kAttachPrompt + "\nCropped cloud attached.\n");
  EXPECT_EQ(CloudsListed(run.out), 2u);
  EXPECT_EQ(FileHash(source), sourceHash);

  ClearCloudCache();
  KmqDataPtr data = LoadCloudFile(pelvarhost::Utf8ToWide(crop.string()));
  ASSERT_TRUE(data);
  EXPECT_STREQ(data->tileName, "lattice-CROP");
  EXPECT_EQ(data->centerX, 1025.0);
  EXPECT_EQ(data->centerY, 2025.0);
  EXPECT_EQ(data->halfSize, 25.0f);
  EXPECT_EQ(data->epsg, 2240u);
  using Row = std::tuple<int, int, int, int>;  // x, y, class, intensity
  std::vector<Row> got, expected;
  for (size_t k = 0; k < data->pointCount; ++k) {
    const KmqPoint& p = data->points[k];
    got.emplace_back(static_cast<int>(std::lround(p.qx / 65535.0 * data->sizeX + data->originX)),
                     static_cast<int>(std::lround(p.qy / 65535.0 * data->sizeY + data->originY)), p.cls,
                     data->intensity16[k]);
  }
  for (int j = 0; j < 5; ++j)
    for (int i = 0; i < 5; ++i) expected.emplace_back(1000 + 10 * i, 2000 + 10 * j, i >= 2 && i <= 4 ? 17 : 1 + (i + j) % 6, 100 * i + j);
  std::sort(got.begin(), got.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(got, expected);
}

// Every crop of the same source gets the next free name; only "No" leaves it unattached.
TEST_F(ClassifyProgram, ACropNeverReplacesAnEarlierCropAndOnlyNoSkipsAttaching) {
  WriteCloud("lattice.kmt", LatticeCloud());
  const std::string corners = "1000,2000\n1030,2030\n";
  pelvartest::PelvarRun run = Run("PELVARATTACH\nlattice.kmt\n" + CropCommand(corners + "No\n") +
                                  CropCommand(corners + "Yes\n") + CropCommand(corners + "^C\n") + "LIST\nALL\n");
  std::string out = From(run.out, "Command: PELVARCROP");
  EXPECT_NE(out.find(Report(9, 121, downloads_ / "lattice_crop.kmt") + kAttachPrompt + "No\nCommand: PELVARCROP"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(Report(9, 121, downloads_ / "lattice_crop2.kmt") + kAttachPrompt + "Yes\nCropped cloud attached."),
            std::string::npos)
      << out;
  EXPECT_NE(out.find(Report(9, 121, downloads_ / "lattice_crop3.kmt") + kAttachPrompt + "*Cancel*\nCropped cloud attached."),
            std::string::npos)
      << out;
  EXPECT_EQ(CloudsListed(run.out), 3u);
  const std::string first = pelvartest::ReadWholeFile(downloads_ / "lattice_crop.kmt");
  EXPECT_EQ(pelvartest::ReadWholeFile(downloads_ / "lattice_crop2.kmt"), first);
  EXPECT_EQ(pelvartest::ReadWholeFile(downloads_ / "lattice_crop3.kmt"), first);
}

TEST_F(ClassifyProgram, ACropWithNothingToCutEndsWithItsReason) {
  fs::path source = WriteCloud("lattice.kmt", LatticeCloud());
  WriteCloud("other.kmt", LatticeCloud());
  pelvartest::PelvarRun run = Run("PELVARATTACH\nlattice.kmt\n" + CropCommand("1001,2001\n1009,2009\n") +
                                  CropCommand("1000,2000\n^C\n") + "SAVEAS\nd.pvd\n");
  EXPECT_EQ(Section(run.out, "Command: PELVARCROP", "Command: SAVEAS"),
            "Command: PELVARCROP\n" + std::string(kSelect) +
                "First corner: 1001,2001\nOpposite corner: 1009,2009\nNo points inside the rectangle.\n"
                "Command: PELVARCROP\n" + kSelect + "First corner: 1000,2000\nOpposite corner: *Cancel*\n");
  fs::remove(source);
  pelvartest::PelvarRun gone = Run("OPEN\nd.pvd\n" + CropCommand(""));
  EXPECT_EQ(From(gone.out, "Command: PELVARCROP"),
            "Command: PELVARCROP\n" + std::string(kSelect) + "Cloud file is not available.\nCommand: ");
  EXPECT_EQ(std::distance(fs::directory_iterator(downloads_), fs::directory_iterator()), 1);  // other.kmt
}

// The file size limit of the program's shell makes the write fail part way (as a full disk
// would, and also for root): the message names the file, nothing stays on disk, nothing is
// attached.
TEST_F(ClassifyProgram, AWriteThatFailsLeavesNoFileAndAttachesNothing) {
  WriteSample("sample.kmt", 100000, 4);
  pelvartest::PelvarRun run = Run("PELVARATTACH\nsample.kmt\n" + CropCommand("2229000,1369000\n2231000,1371000\n") +
                                      "LIST\nALL\n",
                                  {}, "trap '' XFSZ; ulimit -f 200");
  const fs::path crop = downloads_ / "sample_crop.kmt";
  EXPECT_EQ(Section(run.out, "Command: PELVARCROP", "Command: LIST"),
            "Command: PELVARCROP\n" + std::string(kSelect) +
                "First corner: 2229000,1369000\nOpposite corner: 2231000,1371000\nCannot write " + crop.string() + "\n");
  EXPECT_EQ(CloudsListed(run.out), 1u);
  EXPECT_FALSE(fs::exists(crop));
  EXPECT_FALSE(fs::exists(downloads_ / "sample_crop.kmt.partial"));
}

}  // namespace
}  // namespace classifytest

namespace classifytest {
namespace {

// A moved source: the rectangle is taken in the cloud's own frame, and the attached crop
// lies exactly over the source (shown by picking its point after erasing the source).
TEST_F(ClassifyProgram, ACropOfAMovedCloudIsCutInItsFrameAndAttachedInItsPlace) {
  WriteCloud("lattice.kmt", LatticeCloud());
  StoreDefaultMask(0xFFFFFFFFu);
  pelvartest::PelvarRun run = Run("PELVARATTACH\nlattice.kmt\nMOVE\n1050,2050\n\n0,0\n@500,0\n" +
                                  CropCommand("1520,2030\n1540,2050\n\n") + "ERASE\n1590,2090\n\nPELVARPICK\n1520,2030\n");
  EXPECT_NE(run.out.find(Report(4, 121, downloads_ / "lattice_crop.kmt") + kAttachPrompt + "\nCropped cloud attached."),
            std::string::npos)
      << run.out;
  // Node (2, 3) of the lattice: class 1 + 5 % 6, intensity 203 (high byte 0).
  EXPECT_NE(run.out.find("Pick a point on the cloud: 1520,2030\n  Point   E 1520.00  N 2030.00  Z 0.00 ft  (class 6, I 0)"),
            std::string::npos)
      << run.out;
  ClearCloudCache();
  KmqDataPtr crop = LoadCloudFile(pelvarhost::Utf8ToWide((downloads_ / "lattice_crop.kmt").string()));
  ASSERT_TRUE(crop);
  EXPECT_EQ(crop->originX, 1020.0);
  EXPECT_EQ(crop->originY, 2030.0);
}

}  // namespace
}  // namespace classifytest
