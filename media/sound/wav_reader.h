// The RIFF WAVE reader of the sound effects: the PCM format and the sample
// bytes of one file. Every chunk size is checked against the bytes there.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/audio.h"

struct WAVEDATA {
  PCM_FORMAT m_Format;
  std::vector<uint8_t> m_vData;  // the sample bytes of the "data" chunk
};

// Reads a WAV file (a game path, CP932). False when the file cannot be read,
// is not RIFF WAVE, has a chunk other than "RIFF" and "data" reaching past
// its parent, has a "fmt " chunk shorter than 16 bytes or not PCM (tag 1),
// or has no "data" chunk after its "fmt " chunk. A "RIFF" or "data" size
// beyond the file counts only the bytes that are there.
bool DS_ReadWave(std::string_view file, WAVEDATA* pWave);
// Frees the sample bytes.
void DS_FreeWave(WAVEDATA* pWave);

// The same reading over bytes already in memory.
bool ParseWave(const uint8_t* pBytes, size_t nBytes, WAVEDATA* pWave);
