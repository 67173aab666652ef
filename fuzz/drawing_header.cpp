// The drawing reader's checks before it reads: the 16-byte header against the file's size
// and the size cap. The input is the file's first bytes; its first byte picks how far the
// file is stretched (sparsely, so that nothing is stored) beyond them: not at all, to the
// size its header claims, just beyond the cap, or to many gigabytes. A file that the header
// does not fit, or beyond the cap, must be refused with a reason, and nothing it could not
// hold may be allocated (libFuzzer's allocation limit reports that).
#include <unistd.h>

#include <cstdint>
#include <cstring>

#include "dbdatabase.h"
#include "dbdrawing.h"
#include "fuzz/support/ScratchFile.h"

using pelvarfuzz::Require;

namespace {

constexpr size_t kHeaderBytes = 16;
constexpr std::uint64_t kCap = std::uint64_t{1} << 30;

// The file's size for the stretch the first byte asks for, given the header's claim.
std::uint64_t StretchedSize(uint8_t choice, std::uint64_t written, std::uint64_t claimed) {
  switch (choice % 4) {
    case 1:
      return claimed <= (std::uint64_t{1} << 24) ? claimed : written;  // small enough to read fast
    case 2:
      return kCap + 1;
    case 3:
      return std::uint64_t{6} << 30;
    default:
      return written;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const pelvarfuzz::ScratchFile input("header.pvd");
  if (size == 0) return 0;
  const uint8_t choice = data[0];
  input.Write(data + 1, size - 1);
  std::uint64_t claimed = 0;
  if (size - 1 >= kHeaderBytes) std::memcpy(&claimed, data + 1 + 8, sizeof claimed);
  const std::uint64_t claimedFile = claimed > kCap ? 0 : kHeaderBytes + claimed + 4;
  const std::uint64_t stretched = StretchedSize(choice, size - 1, claimedFile);
  if (stretched > size - 1) Require(::truncate(input.Path().c_str(), static_cast<off_t>(stretched)) == 0, "stretch");
  AcDbDatabase db(false);
  std::wstring error;
  const bool read = pelvarhost::ReadDrawingFile(db, input.WidePath(), error);
  Require(read || !error.empty(), "a refused drawing has a reason");
  if (stretched > kCap) Require(!read && error.find(L"larger than") != std::wstring::npos, "beyond the cap is refused");
  if (stretched != claimedFile) Require(!read, "a file its header does not fit is refused");
  return 0;
}
