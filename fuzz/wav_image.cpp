// The WAV image reader behind PlaySoundW over arbitrary bytes: what it finds lies inside
// the image and has the format it promises.
#include <cstdint>
#include <cstdlib>

#include "wavimage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pelvarhost::WavPcm pcm;
  if (!pelvarhost::ParseWavImage(data, size, pcm)) return 0;
  if (pcm.samples < data || pcm.samples + pcm.sampleBytes > data + size) std::abort();
  if (pcm.bitsPerSample != 16 || pcm.channels == 0 || pcm.sampleBytes % (2u * pcm.channels) != 0) std::abort();
  return 0;
}
