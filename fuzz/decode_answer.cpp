// The module's reading of the decoder program's answers over arbitrary bytes: an answer is
// taken only when its counts and sizes agree, and what is taken encodes back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "lazworker/DecodeProtocol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  DecodeAnswer answer;
  std::string why;
  if (!ParseDecodeAnswer(data, size, answer, why)) {
    if (why.empty()) std::abort();
    return 0;
  }
  bool whole = answer.outcome == DecodeOutcome::kWhole;
  if (whole != answer.error.empty() || answer.points.points.size() > answer.points.announcedCount) std::abort();
  FrameBytes again = EncodeDecodeAnswer(answer);
  if (again.size() != size || std::memcmp(again.data(), data, size) != 0) std::abort();
  return 0;
}
