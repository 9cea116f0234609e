#include "media/sound/wav_reader.h"

#include <algorithm>
#include <vector>

#include "platform/file_system.h"

namespace {

// A RIFF file holds at most its 8-byte header and 2^32 - 1 bytes.
constexpr uint64_t kMaxWaveFileBytes = 8 + uint64_t{0xFFFFFFFF};

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }
bool IdIs(const uint8_t* p, const char* id) { return p[0] == id[0] && p[1] == id[1] && p[2] == id[2] && p[3] == id[3]; }

struct CHUNK {
  size_t nData = 0;  // offset of the chunk's contents
  uint32_t nSize = 0;
  size_t nNext = 0;  // offset after the contents and the pad byte
};

// Looks for chunk `id` among the chunks from `begin` to `end` (for "RIFF",
// one of form type `form`). False when none is there, or when a chunk passed
// on the way claims more bytes than its parent holds: everything after a
// size that lies is untrustworthy. The chunk sought may run past its parent:
// writers that never went back to fix the sizes leave "RIFF" and "data"
// sizes too large, and such files play with the bytes that are there.
bool FindChunk(const uint8_t* b, size_t begin, size_t end, const char* id, const char* form, CHUNK& out) {
  size_t pos = begin;
  while (pos < end && end - pos >= 8) {
    uint32_t size = U32(b + pos + 4);
    const size_t data = pos + 8;
    const size_t room = end - data;
    bool match = IdIs(b + pos, id);
    if (match) {
      size = static_cast<uint32_t>(std::min<uint64_t>(size, room));
      if (form) match = size >= 4 && IdIs(b + data, form);
    }
    if (match) {
      out.nData = data;
      out.nSize = size;
      size_t next = data + size + (size & 1);
      out.nNext = next < end ? next : end;
      return true;
    }
    if (uint64_t(size) > room) return false;
    size_t next = data + size + (size & 1);
    if (next >= end) return false;
    pos = next;
  }
  return false;
}

}  // namespace

bool ParseWave(const uint8_t* b, size_t n, WAVEDATA* pWave) {
  if (!b || !pWave) return false;
  CHUNK riff;
  if (!FindChunk(b, 0, n, "RIFF", "WAVE", riff)) return false;
  const size_t riffEnd = riff.nData + riff.nSize;
  CHUNK fmt;
  if (!FindChunk(b, riff.nData + 4, riffEnd, "fmt ", nullptr, fmt)) return false;
  // Only the fields of PCM are read; a longer format chunk (an extension)
  // is stepped over whole.
  if (fmt.nSize < 16) return false;
  const uint8_t* f = b + fmt.nData;
  PCM_FORMAT format;
  format.nTag = U16(f);
  format.nChannels = U16(f + 2);
  format.nRate = U32(f + 4);
  format.nBlockAlign = U16(f + 12);
  format.nBits = U16(f + 14);
  if (format.nTag != 1) return false;
  CHUNK data;
  if (!FindChunk(b, fmt.nNext, riffEnd, "data", nullptr, data)) return false;
  pWave->m_Format = format;
  pWave->m_vData.assign(b + data.nData, b + data.nData + data.nSize);
  return true;
}

bool DS_ReadWave(std::string_view file, WAVEDATA* pWave) {
  if (!pWave) return false;
  std::vector<uint8_t> bytes;
  return ReadFileBytes(file, kMaxWaveFileBytes, bytes) == FILEREAD_OK && ParseWave(bytes.data(), bytes.size(), pWave);
}

void DS_FreeWave(WAVEDATA* pWave) {
  if (!pWave) return;
  std::vector<uint8_t>().swap(pWave->m_vData);
}
