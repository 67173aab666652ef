// Reading a WAV file image: its PCM format and where its samples are.
#pragma once
#include <cstddef>
#include <cstdint>

namespace pelvarhost {

struct WavPcm {
  uint16_t channels = 0;
  uint32_t sampleRate = 0;
  uint16_t bitsPerSample = 0;
  const uint8_t* samples = nullptr;
  size_t sampleBytes = 0;
};

// The RIFF size a WAV image declares (the image's whole length), or 0 when bytes do not
// start a RIFF WAVE image. At least 12 bytes must be readable.
size_t DeclaredWavSize(const uint8_t* bytes);
// Finds the format and data chunks of an uncompressed PCM image of the given size; false
// for anything else (other encodings, chunks that overrun the image, no samples).
bool ParseWavImage(const uint8_t* bytes, size_t size, WavPcm& pcm);

}  // namespace pelvarhost
