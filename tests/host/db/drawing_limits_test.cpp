// Hostile drawing files: one whose size is beyond the cap or does not fit its header is
// refused before it is read (devices and FIFOs are in the program's tests); a handle seed
// at the end of the handles never gives two objects one handle.
#include <gtest/gtest.h>
#include <zlib.h>

#include <cstring>
#include <filesystem>
#include <fstream>

#include "dbdrawing.h"
#include "dbents.h"
#include "dbsymtb.h"
#include "tests/support/pelvar_run.h"
#include "wideutf8.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kSeedAt = 16 + 3 * 8 + 8 + 2;  // header, view, current layer, colour

std::string Header(std::uint64_t payloadLength) {
  std::string header = "PVD1";
  const std::uint32_t version = 1;
  header.append(reinterpret_cast<const char*>(&version), 4);
  header.append(reinterpret_cast<const char*>(&payloadLength), 8);
  return header;
}

std::wstring ReadError(const fs::path& path) {
  AcDbDatabase db(false);
  std::wstring error;
  EXPECT_FALSE(pelvarhost::ReadDrawingFile(db, pelvarhost::Utf8ToWide(path.string()), error)) << path;
  return error;
}

TEST(DrawingLimits, WhatCannotBeADrawingIsRefusedBeforeItIsRead) {
  pelvartest::TempFolder folder("drawlimits");
  std::ofstream(folder / "claims6gb.pvd", std::ios::binary) << Header(6ull << 30) << "tail";
  {
    std::ofstream(folder / "huge.pvd", std::ios::binary) << Header((2ull << 30) - 20);
  }
  fs::resize_file(folder / "huge.pvd", 2ull << 30);  // sparse: nothing is stored
  const std::wstring prefix = L"cannot open \"";
  struct Case {
    fs::path path;
    std::wstring error;
  } cases[] = {
      {folder / "huge.pvd", prefix + pelvarhost::Utf8ToWide((folder / "huge.pvd").string()) +
                                L"\": larger than 1073741824 bytes"},
      {folder / "claims6gb.pvd", L"drawing file is truncated"},
  };
  for (const Case& c : cases) EXPECT_EQ(ReadError(c.path), c.error) << c.path;
}

// The drawing's bytes with its handle seed replaced and the checksum made to fit.
std::string WithSeed(std::string file, std::uint64_t seed) {
  std::memcpy(file.data() + kSeedAt, &seed, sizeof seed);
  const size_t checked = file.size() - 4;
  const auto crc =
      static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef*>(file.data()), checked));
  std::memcpy(file.data() + checked, &crc, sizeof crc);
  return file;
}

Acad::ErrorStatus AppendLine(AcDbDatabase& db) {
  AcDbBlockTableRecord* space = nullptr;
  EXPECT_EQ(acdbOpenObject(space, db.modelSpaceId(), AcDb::kForWrite), Acad::eOk);
  auto* line = new AcDbLine(AcGePoint3d(0, 0, 0), AcGePoint3d(1, 1, 0));
  const Acad::ErrorStatus status = space->appendAcDbEntity(line);
  space->close();
  if (status == Acad::eOk) {
    line->close();
  } else {
    delete line;
  }
  return status;
}

TEST(DrawingLimits, TheLastHandlesAreGivenOnceAndThenAddingFails) {
  pelvartest::TempFolder folder("drawseed");
  const fs::path path = folder / "seed.pvd";
  std::wstring error;
  {
    AcDbDatabase db;
    ASSERT_TRUE(pelvarhost::SaveDrawingFile(db, pelvarhost::Utf8ToWide(path.string()), error));
  }
  const std::string file = pelvartest::ReadWholeFile(path);
  std::ofstream(path, std::ios::binary | std::ios::trunc) << WithSeed(file, 0xFFFFFFFFFFFFFFFEull);
  AcDbDatabase db(false);
  ASSERT_TRUE(pelvarhost::ReadDrawingFile(db, pelvarhost::Utf8ToWide(path.string()), error)) << error;
  const std::vector<Acad::ErrorStatus> statuses = {AppendLine(db), AppendLine(db), AppendLine(db)};
  // The third would have shared the last handle and replaced the second in the drawing.
  EXPECT_EQ(statuses, (std::vector<Acad::ErrorStatus>{Acad::eOk, Acad::eOk, Acad::eHandleInUse}));
}

}  // namespace
