// Stand-in for the multimedia API: PlaySoundW plays a WAV file image held in memory.
#pragma once
#include "windows.h"

#define SND_SYNC 0x0000
#define SND_ASYNC 0x0001
#define SND_NODEFAULT 0x0002
#define SND_MEMORY 0x0004
#define SND_LOOP 0x0008
#define SND_NOSTOP 0x0010
#define SND_PURGE 0x0040

// With SND_MEMORY, sound points to a complete WAV image (16-bit PCM) whose length its RIFF
// header gives; the host keeps a copy while it plays. A null sound stops what plays.
// Where there is no audio output the sound is silently not played (FALSE).
BOOL PlaySoundW(LPCWSTR sound, HMODULE module, DWORD flags);
