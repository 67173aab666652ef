#include "ui/AboutSound.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr int kMelody[kChipSteps] = {69, 72, 76, 79, 76, 72, 69, 0, 65, 69, 72, 77, 72, 69, 65, 0,
                                     67, 71, 74, 79, 74, 71, 67, 0, 64, 67, 71, 76, 74, 71, 69, 0};
constexpr int kBass[kChipSteps] = {45, 0, 45, 45, 0, 45, 0, 45, 41, 0, 41, 41, 0, 41, 0, 41,
                                   43, 0, 43, 43, 0, 43, 0, 43, 40, 0, 40, 40, 0, 43, 0, 45};
constexpr double kVoiceLevel = 0.3;
constexpr double kMelodyDecay = 3.6;
constexpr double kBassDecay = 1.1;
constexpr double kFullScale = 30000.0;

// A square wave of the frequency at sample c: +1 in the first half of each period.
double Square(double frequency, int64_t c) {
  double phase = c * frequency / kChipSampleRate;
  return phase - std::floor(phase) < 0.5 ? 1.0 : -1.0;
}

void Put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
void Put16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}

}  // namespace

double NoteFrequency(int note) { return note == 0 ? 0.0 : 440.0 * std::pow(2.0, (note - 69) / 12.0); }

double ChipSample(int step, int j, int64_t c) {
  double sum = 0;
  if (kMelody[step] != 0)
    sum += kVoiceLevel * Square(NoteFrequency(kMelody[step]), c) * std::exp(-kMelodyDecay * j / kChipSamplesPerStep);
  if (kBass[step] != 0)
    sum += kVoiceLevel * Square(NoteFrequency(kBass[step]), c) * std::exp(-kBassDecay * j / kChipSamplesPerStep);
  return std::clamp(sum, -1.0, 1.0);
}

std::vector<uint8_t> BuildChiptuneWav() {
  const uint32_t samples = kChipSteps * kChipSamplesPerStep;
  const uint32_t dataBytes = samples * 2;
  std::vector<uint8_t> wav(kWavHeaderBytes + dataBytes);
  uint8_t* h = wav.data();
  std::memcpy(h, "RIFF", 4);
  Put32(h + 4, 36 + dataBytes);
  std::memcpy(h + 8, "WAVEfmt ", 8);
  Put32(h + 16, 16);
  Put16(h + 20, 1);  // PCM
  Put16(h + 22, 1);  // mono
  Put32(h + 24, kChipSampleRate);
  Put32(h + 28, kChipSampleRate * 2);
  Put16(h + 32, 2);
  Put16(h + 34, 16);
  std::memcpy(h + 36, "data", 4);
  Put32(h + 40, dataBytes);
  uint8_t* out = h + kWavHeaderBytes;
  int64_t c = 0;
  for (int step = 0; step < kChipSteps; ++step) {
    for (int j = 0; j < kChipSamplesPerStep; ++j, ++c) {
      auto value = static_cast<int16_t>(ChipSample(step, j, c) * kFullScale);
      Put16(out, static_cast<uint16_t>(value));
      out += 2;
    }
  }
  return wav;
}
