// Every filer type through the memory filer; reading past the end.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "dbmemfiler.h"
#include "dbmain.h"

namespace {

using pelvarhost::MemoryFiler;

void WriteEveryType(AcDbDwgFiler& f) {
  f.writeBool(true);
  f.writeBoolean(false);
  f.writeInt8(-100);
  f.writeUInt8(250);
  f.writeInt16(-32000);
  f.writeUInt16(65000);
  f.writeInt32(-2000000000);
  f.writeUInt32(4000000000u);
  f.writeInt64(std::numeric_limits<Adesk::Int64>::min());
  f.writeUInt64(std::numeric_limits<Adesk::UInt64>::max());
  f.writeDouble(-1.0 / 3.0);
  f.writeString(L"Zürich ☃ 𝄞");
  f.writeString(AcString(L""));
  f.writePoint2d({1.5, -2.5});
  f.writePoint3d({1, 2, 3});
  f.writeVector3d({-1, 0.25, 1e300});
  f.writeDbHandle(AcDbHandle(0xABCDEF));
  const char raw[3] = {'a', 0, 'z'};
  f.writeBytes(raw, 3);
}

TEST(MemoryFiler, EveryTypeRoundTrips) {
  MemoryFiler out;
  WriteEveryType(out);
  ASSERT_EQ(Acad::eOk, out.filerStatus());
  MemoryFiler in(out.bytes());
  bool b1 = false, b2 = true;
  Adesk::Int8 i8;
  Adesk::UInt8 u8;
  Adesk::Int16 i16;
  Adesk::UInt16 u16;
  Adesk::Int32 i32;
  Adesk::UInt32 u32;
  Adesk::Int64 i64;
  Adesk::UInt64 u64;
  double d;
  AcString s1, s2;
  AcGePoint2d p2;
  AcGePoint3d p3;
  AcGeVector3d v3;
  AcDbHandle h;
  char raw[3];
  EXPECT_EQ(Acad::eOk, in.readBool(&b1));
  EXPECT_EQ(Acad::eOk, in.readBoolean(&b2));
  in.readInt8(&i8);
  in.readUInt8(&u8);
  in.readInt16(&i16);
  in.readUInt16(&u16);
  in.readInt32(&i32);
  in.readUInt32(&u32);
  in.readInt64(&i64);
  in.readUInt64(&u64);
  in.readDouble(&d);
  in.readString(s1);
  in.readString(s2);
  in.readPoint2d(&p2);
  in.readPoint3d(&p3);
  in.readVector3d(&v3);
  in.readDbHandle(&h);
  EXPECT_EQ(Acad::eOk, in.readBytes(raw, 3));
  EXPECT_TRUE(in.atEnd());
  EXPECT_TRUE(b1);
  EXPECT_FALSE(b2);
  EXPECT_EQ(-100, i8);
  EXPECT_EQ(250, u8);
  EXPECT_EQ(-32000, i16);
  EXPECT_EQ(65000, u16);
  EXPECT_EQ(-2000000000, i32);
  EXPECT_EQ(4000000000u, u32);
  EXPECT_EQ(std::numeric_limits<Adesk::Int64>::min(), i64);
  EXPECT_EQ(std::numeric_limits<Adesk::UInt64>::max(), u64);
  EXPECT_EQ(-1.0 / 3.0, d);
  EXPECT_EQ(AcString(L"Zürich ☃ 𝄞"), s1);
  EXPECT_TRUE(s2.isEmpty());
  EXPECT_EQ(1.5, p2.x);
  EXPECT_EQ(-2.5, p2.y);
  EXPECT_EQ(3.0, p3.z);
  EXPECT_EQ(1e300, v3.z);
  EXPECT_EQ(0xABCDEFu, h.value());
  EXPECT_EQ('z', raw[2]);
}

TEST(MemoryFiler, StringsAreUtf8AfterALength) {
  MemoryFiler out;
  out.writeString(L"é");
  const std::vector<std::uint8_t> expected = {2, 0, 0, 0, 0xC3, 0xA9};
  EXPECT_EQ(expected, out.bytes());
}

TEST(MemoryFiler, ReadingPastTheEndFailsAndStaysFailed) {
  MemoryFiler out;
  out.writeInt16(7);
  MemoryFiler in(out.bytes());
  Adesk::Int32 wide = 99;
  EXPECT_EQ(Acad::eEndOfFile, in.readInt32(&wide));
  EXPECT_EQ(0, wide);  // zeroed on failure
  Adesk::Int16 narrow = 5;
  EXPECT_EQ(Acad::eEndOfFile, in.readInt16(&narrow));  // would fit, but the filer has failed
  EXPECT_EQ(0, narrow);
  AcString text(L"kept?");
  EXPECT_EQ(Acad::eEndOfFile, in.readString(text));
  EXPECT_TRUE(text.isEmpty());
  EXPECT_EQ(Acad::eEndOfFile, in.filerStatus());
}

TEST(MemoryFiler, EveryTruncationOfARecordFailsCleanly) {
  MemoryFiler out;
  WriteEveryType(out);
  const auto& full = out.bytes();
  for (size_t cut = 0; cut < full.size(); ++cut) {
    MemoryFiler in(std::vector<std::uint8_t>(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(cut)));
    bool b;
    Adesk::Int64 i64;
    AcString s;
    AcGePoint3d p;
    char raw[3];
    in.readBool(&b);
    in.readBoolean(&b);
    for (int i = 0; i < 9; ++i) in.readInt64(&i64);  // misaligned on purpose
    in.readString(s);
    in.readString(s);
    in.readPoint3d(&p);
    in.readBytes(raw, 3);
    EXPECT_NE(Acad::eOk, in.filerStatus()) << "cut at " << cut;
  }
}

TEST(MemoryFiler, BadBooleanAndHugeStringLengthAreFilerErrors) {
  std::vector<std::uint8_t> bad = {2};
  MemoryFiler in(bad);
  bool b = true;
  EXPECT_EQ(Acad::eFilerError, in.readBool(&b));
  EXPECT_FALSE(b);
  std::vector<std::uint8_t> huge = {0xFF, 0xFF, 0xFF, 0xFF, 'a'};
  MemoryFiler in2(huge);
  AcString s;
  EXPECT_EQ(Acad::eFilerError, in2.readString(s));
  // A plausible length with the bytes missing ends the record (and allocates nothing for it).
  std::vector<std::uint8_t> shortString = {0x00, 0x00, 0x00, 0x03, 'a'};  // 50,331,648 bytes claimed
  MemoryFiler in3(shortString);
  EXPECT_EQ(Acad::eEndOfFile, in3.readString(s));
  EXPECT_TRUE(s.isEmpty());
}

// Written strings never hold a NUL (they come from C strings); one inside a record is
// damage, refused rather than read as a text that would lose its tail on the next save.
TEST(MemoryFiler, StringWithANulInsideIsAFilerError) {
  for (std::vector<std::uint8_t> record : {std::vector<std::uint8_t>{4, 0, 0, 0, 0, 0, 0, 0},
                                           std::vector<std::uint8_t>{4, 0, 0, 0, 'S', 0, 'T', 'E'}}) {
    MemoryFiler in(record);
    AcString s(L"before");
    EXPECT_EQ(Acad::eFilerError, in.readString(s));
    EXPECT_EQ(Acad::eFilerError, in.filerStatus());
    EXPECT_TRUE(s.isEmpty());
  }
}

}  // namespace
