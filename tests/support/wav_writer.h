// Builds WAV files in memory for fixtures and the demo project: PCM sounds
// of any shape, tones, and the knobs that make damaged files.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct WAV_SHAPE {
  uint16_t nTag = 1;
  uint16_t nChannels = 1;
  uint32_t nRate = 22050;
  uint16_t nBits = 8;
  // The "fmt " chunk's size: 16, 18, or more (the extra bytes are zero).
  uint32_t nFmtSize = 16;
  std::string strSamples;  // the "data" chunk's bytes
  bool bDataChunk = true;
  // Chunks written between "fmt " and "data" (id, contents), e.g. "LIST".
  std::vector<std::pair<std::string, std::string>> vExtraChunks;
};

std::string MakeWavBytes(const WAV_SHAPE& spec);

// 8-bit unsigned mono samples (128 is silence).
std::string MakeWav8(const std::vector<uint8_t>& samples, uint32_t nRate = 22050);
// 16-bit signed samples, interleaved when stereo.
std::string MakeWav16(const std::vector<int16_t>& samples, uint16_t nChannels = 1, uint32_t nRate = 44100);
// A short 8-bit 22050 Hz mono square-wave blip that fades out.
std::string MakeToneWav8(double dHz, int nMilliseconds, double dLevel = 0.5);

// Damage helpers: a little-endian u32 written over the bytes at an offset.
void PutU32(std::string& bytes, size_t nOffset, uint32_t nValue);
// Offsets of the sizes in a file from MakeWavBytes with no extra chunks.
constexpr size_t kWavRiffSizeAt = 4;
constexpr size_t kWavFmtSizeAt = 16;
constexpr size_t kWavChannelsAt = 22;
inline size_t WavDataSizeAt(uint32_t nFmtSize) { return 20 + nFmtSize + (nFmtSize & 1) + 4; }
