#include "lasio/LasDecode.h"

#include "lazworker/Sandbox.h"
#include "retrieval/IsolatedLazDecoder.h"

namespace {

// A user's file may be much larger than a tile: its decode may take this long.
constexpr std::chrono::milliseconds kFileDecodeTimeout{600000};

}  // namespace

bool DecodeLasPoints(const ByteBuffer& bytes, EptFetchResult& points, std::wstring& error) {
  LasPointSet records;
  IsolatedLazDecoder decoder({DecoderProgramBesideModule(), kWholeFileArgument}, kFileDecodeTimeout,
                             kMaxWholeFileRequestBytes);
  if (!decoder.decodeRecords(bytes, records, error)) return false;
  const size_t n = records.points.size();
  points.x.resize(n), points.y.resize(n), points.z.resize(n), points.classes.resize(n), points.intensities.resize(n);
  for (size_t i = 0; i < n; ++i) {
    const LasPointRecord& p = records.points[i];
    points.x[i] = records.worldX(p), points.y[i] = records.worldY(p), points.z[i] = records.worldZ(p);
    points.classes[i] = records.pointClass(p), points.intensities[i] = p.intensity;
  }
  return true;
}
