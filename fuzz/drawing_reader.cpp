// The drawing file reader over arbitrary bytes. The harness writes the frame's payload
// length and CRC-32 for the input, so that mutated payloads get past the checksum and
// reach the object records. A drawing that reads is saved and read again: the second save
// must give the same bytes as the first.
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "dbdatabase.h"
#include "dbdrawing.h"
#include "entity/Pelvar.h"
#include "entity/PelvarClass.h"
#include "fuzz/support/ScratchFile.h"

using pelvarfuzz::Require;

namespace {

constexpr size_t kLengthAt = 8;   // after "PVD1" and the format version
constexpr size_t kPayloadAt = 16;
constexpr size_t kChecksumBytes = 4;

// The input with its payload length and trailing checksum made to fit it.
std::vector<uint8_t> Framed(const uint8_t* data, size_t size) {
  std::vector<uint8_t> file(data, data + size);
  if (size < kPayloadAt + kChecksumBytes) return file;
  const uint64_t length = size - kPayloadAt - kChecksumBytes;
  std::memcpy(file.data() + kLengthAt, &length, sizeof length);
  const size_t checked = size - kChecksumBytes;
  const uint32_t crc = static_cast<uint32_t>(crc32(crc32(0L, Z_NULL, 0), file.data(), static_cast<uInt>(checked)));
  std::memcpy(file.data() + checked, &crc, sizeof crc);
  return file;
}

std::vector<char> Contents(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Saves `db` to `file` and returns the bytes written.
std::vector<char> Saved(AcDbDatabase& db, const pelvarfuzz::ScratchFile& file) {
  std::wstring error;
  Require(pelvarhost::SaveDrawingFile(db, file.WidePath(), error), "a drawing that was read can be saved");
  return Contents(file.Path());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Cloud entities read as themselves, not as proxies, so their records are parsed too.
  RegisterPelvarClass();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const pelvarfuzz::ScratchFile input("input.pvd"), first("first.pvd"), second("second.pvd");
  const std::vector<uint8_t> file = Framed(data, size);
  input.Write(file.data(), file.size());
  AcDbDatabase db;
  std::wstring error;
  if (!pelvarhost::ReadDrawingFile(db, input.WidePath(), error)) {
    Require(!error.empty(), "a refused drawing has a reason");
    return 0;
  }
  const std::vector<char> once = Saved(db, first);
  AcDbDatabase again(false);
  Require(pelvarhost::ReadDrawingFile(again, first.WidePath(), error), "a saved drawing reads back");
  Require(Saved(again, second) == once, "a drawing saved twice gives the same bytes");
  return 0;
}
