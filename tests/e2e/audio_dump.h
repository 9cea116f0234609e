// The WAV file a TARVOLIN4_AUDIO_DUMP run writes, read back for the
// end-to-end tests: 44,100 Hz, 16-bit stereo, 735 sample frames per frame
// presented.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

inline uint32_t Le32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
         uint32_t(uint8_t(s[at + 3])) << 24;
}

// The WAV file's samples, left and right interleaved; empty when it is not
// the dump's format.
inline std::vector<int16_t> DumpSamples(const std::string& wav) {
  if (wav.size() < 44 || wav.substr(0, 4) != "RIFF" || Le32(wav, 40) != wav.size() - 44) return {};
  std::vector<int16_t> v((wav.size() - 44) / 2);
  std::memcpy(v.data(), wav.data() + 44, v.size() * 2);
  return v;
}
