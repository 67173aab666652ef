// The About window's chiptune: a looping 16-bit mono WAV image at 44100 Hz built in memory.
#pragma once
#include <cstdint>
#include <vector>

inline constexpr int kChipSteps = 32;
inline constexpr int kChipSamplesPerStep = 6174;
inline constexpr int kChipSampleRate = 44100;
inline constexpr int kWavHeaderBytes = 44;

// The MIDI note's frequency (440 Hz at note 69); 0 for a rest.
double NoteFrequency(int note);
// One sample of the tune, before scaling: the voices of step `step` at sample j of the
// step and sample c of the loop, clamped to [-1, 1].
double ChipSample(int step, int j, int64_t c);
// The complete WAV image: the standard 44-byte header and 32 steps of samples.
std::vector<uint8_t> BuildChiptuneWav();
