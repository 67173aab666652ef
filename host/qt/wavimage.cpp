#include "wavimage.h"

#include <cstring>

namespace pelvarhost {
namespace {

constexpr size_t kRiffHeaderBytes = 12;
constexpr size_t kChunkHeaderBytes = 8;
constexpr size_t kPcmFormatBytes = 16;
constexpr uint16_t kPcmFormatTag = 1;

uint32_t Le32(const uint8_t* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24); }
uint16_t Le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

size_t DeclaredWavSize(const uint8_t* bytes) {
  if (std::memcmp(bytes, "RIFF", 4) != 0 || std::memcmp(bytes + 8, "WAVE", 4) != 0) return 0;
  return static_cast<size_t>(Le32(bytes + 4)) + 8;
}

bool ParseWavImage(const uint8_t* bytes, size_t size, WavPcm& pcm) {
  if (bytes == nullptr || size < kRiffHeaderBytes || DeclaredWavSize(bytes) == 0) return false;
  bool haveFormat = false;
  size_t at = kRiffHeaderBytes;
  while (size - at >= kChunkHeaderBytes) {
    const uint8_t* chunk = bytes + at;
    size_t length = Le32(chunk + 4);
    if (length > size - at - kChunkHeaderBytes) return false;
    const uint8_t* body = chunk + kChunkHeaderBytes;
    if (std::memcmp(chunk, "fmt ", 4) == 0) {
      if (length < kPcmFormatBytes || Le16(body) != kPcmFormatTag) return false;
      pcm.channels = Le16(body + 2);
      pcm.sampleRate = Le32(body + 4);
      pcm.bitsPerSample = Le16(body + 14);
      haveFormat = pcm.channels > 0 && pcm.sampleRate > 0 && pcm.bitsPerSample == 16;
      if (!haveFormat) return false;
    } else if (std::memcmp(chunk, "data", 4) == 0) {
      if (!haveFormat || length == 0) return false;
      pcm.samples = body;
      pcm.sampleBytes = length - length % (2u * pcm.channels);
      return pcm.sampleBytes > 0;
    }
    at += kChunkHeaderBytes + length + (length & 1);  // chunks are padded to even lengths
    if (at > size) return false;
  }
  return false;
}

}  // namespace pelvarhost
