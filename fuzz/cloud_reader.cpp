// The cloud file reader over arbitrary bytes: every input either loads into an image whose
// arrays agree with its header and chunk table, or is refused with one of the reader's texts;
// the header check a writer runs before writing says what the reader says of the header.
#include <cstddef>
#include <cstdint>
#include <string>

#include "cloudfile/CloudReader.h"
#include "fuzz/support/ScratchFile.h"

using pelvarfuzz::Require;

namespace {

void CheckImage(const KmqData& d) {
  Require(d.pointCount >= 1 && d.points.size() == d.pointCount && d.intensity16.size() == d.pointCount,
          "point arrays match the point count");
  Require(d.chunks.size() == size_t{d.chunksX} * d.chunksY, "chunk table matches the chunk grid");
  Require(d.ground.size() == size_t{d.groundNx} * d.groundNy, "ground grid matches its node counts");
  Require(d.tileName[kKmqTileNameBytes] == '\0', "tile name ends");
  uint64_t total = 0;
  for (const KmqChunk& chunk : d.chunks) {
    Require(chunk.first == total, "chunks follow each other");
    total += chunk.count;
  }
  Require(total == d.pointCount, "chunks cover the points");
  uint16_t most = 0;
  for (size_t i = 0; i < d.pointCount; ++i) most = d.intensity16[i] > most ? d.intensity16[i] : most;
  Require(d.maxIntensity == (most == 0 ? 1 : most), "largest intensity");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const pelvarfuzz::ScratchFile scratch("cloud.kmt");
  static const std::wstring path = scratch.WidePath();
  scratch.Write(data, size);
  std::wstring error;
  KmqDataPtr image = LoadCloudFile(path, &error);
  // The cache keeps successful loads until unload; each input must read the file afresh.
  ForgetCloudFile(path);
  if (image) {
    Require(error.empty(), "no error text on success");
    CheckImage(*image);
  } else {
    Require(!error.empty(), "a refused file has a reason");
  }
  Require(CloudCacheSize() == 0, "nothing stays cached");
  // A writer's check of a header says what the reader says of it.
  if (const wchar_t* headerFailure = CloudHeaderFailure({data, size}))
    Require(!image && error == headerFailure, "a header refused before writing is refused on reading");
  return 0;
}
