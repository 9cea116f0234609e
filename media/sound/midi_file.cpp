#include "media/sound/midi_file.h"

#include <queue>
#include <vector>

#include "base/report.h"
#include "platform/file_system.h"
#include "platform/text_cp932.h"

namespace {

// No music file comes near this; a larger "file" (a folder, a device) is
// refused before anything is allocated for it.
constexpr uint64_t kMaxMidiFileBytes = 16u << 20;

uint32_t BigU32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t BigU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
bool IdIs(const uint8_t* p, const char* id) { return p[0] == id[0] && p[1] == id[1] && p[2] == id[2] && p[3] == id[3]; }

// One event of a track with its absolute time: its status (written out even
// where the file ran on with the one before) and where the rest of its bytes
// stand in the file, so that no event holds a copy of its own.
struct MIDINODE {
  uint64_t nTime;
  size_t nStart;
  size_t nLength;
  uint8_t byStatus;
};

enum class TrackRead { kOk, kDamaged };

// Reads one track from `pos` up to its end-of-track event. The tracks are
// taken to follow each other without gaps (chunk lengths are not read), but
// every read stays inside the file: a track that runs past it is damage.
TrackRead ReadTrack(const uint8_t* b, size_t n, size_t& pos, std::vector<MIDINODE>& out, uint64_t& endTime) {
  uint64_t time = 0;
  uint8_t running = 0;
  for (;;) {
    uint32_t delta = 0;
    int k = ReadVarLen(b + pos, n - pos, delta);
    if (k == 0) return TrackRead::kDamaged;
    pos += size_t(k);
    time += delta;
    if (pos >= n) return TrackRead::kDamaged;
    uint8_t status = running;
    if (b[pos] & 0x80) status = b[pos++];
    running = status;
    const size_t start = pos;
    if (status == 0xFF) {
      if (pos >= n) return TrackRead::kDamaged;
      const uint8_t type = b[pos++];
      uint32_t len = 0;
      k = ReadVarLen(b + pos, n - pos, len);
      if (k == 0 || len > n - pos - size_t(k)) return TrackRead::kDamaged;
      pos += size_t(k) + len;
      if (type == 0x2F) {
        endTime = time;
        return TrackRead::kOk;
      }
    } else if (status == 0xF0 || status == 0xF7) {
      uint32_t len = 0;
      k = ReadVarLen(b + pos, n - pos, len);
      if (k == 0 || len > n - pos - size_t(k)) return TrackRead::kDamaged;
      pos += size_t(k) + len;
    } else {
      const size_t data = (status >= 0xC0 && status <= 0xDF) ? 1 : 2;
      if (n - pos < data) return TrackRead::kDamaged;
      pos += data;
    }
    out.push_back({time, start, pos - start, status});
  }
}

}  // namespace

int ReadVarLen(const uint8_t* p, size_t nLeft, uint32_t& value) {
  value = 0;
  for (int i = 0; i < 4; ++i) {
    if (size_t(i) >= nLeft) return 0;
    value = value << 7 | (p[i] & 0x7F);
    if (!(p[i] & 0x80)) return i + 1;
  }
  return 0;
}

int WriteVarLen(uint8_t* p, uint32_t value) {
  if (value >= 0x10000000) return 0;
  int n = 1;
  while (n < 4 && (value >> (7 * n)) != 0) ++n;
  for (int i = 0; i < n; ++i) {
    uint8_t byte = static_cast<uint8_t>((value >> (7 * (n - 1 - i))) & 0x7F);
    if (i + 1 < n) byte |= 0x80;
    p[i] = byte;
  }
  return n;
}

void cMidiFile::LoadFile(const std::string& name) {
  m_strName = name;
  m_pTrack.reset();
  std::vector<uint8_t> bytes;
  const FILEREADRESULT read = ReadFileBytes(name, kMaxMidiFileBytes, bytes);
  if (read != FILEREAD_OK) {
    const char* text = read == FILEREAD_NOFILE ? "Midi %s Create ファイルが開けません" : "Midi %s Create ファイルが読めません";
    ReportAndLogf(Sjis(text).c_str(), name.c_str());
    return;
  }
  m_pTrack = ParseSmf(bytes.data(), bytes.size());
}

std::unique_ptr<MIDIIMAGE> cMidiFile::ParseSmf(const uint8_t* b, size_t n) {
  const char* name = m_strName.c_str();
  auto refuse = [&](const char* utf8) {
    ReportAndLogf(Sjis(utf8).c_str(), name);
    return nullptr;
  };
  if (n < 4 || !IdIs(b, "MThd")) return refuse("Midi %s Init 標準MIDIでない(4)");
  if (n < 8 || BigU32(b + 4) != 6) return refuse("Midi %s Init 標準MIDIでない(6)");
  if (n < 14) return refuse("Midi %s Init 標準MIDIでない(6)");
  const uint16_t format = BigU16(b + 8);
  if (format == 2) return refuse("Midi %s Init 対応フォーマットが2でない");
  if (format > 2) return refuse("Midi %s Init 対応フォーマットが0または1でない");
  if (n < 22 || !IdIs(b + 14, "MTrk")) return refuse("Midi %s Init 標準MIDIでない(4)");
  const uint16_t tracks = BigU16(b + 10);

  // Step 1: every track's events with absolute times. The lists grow track
  // by track: the header's count (up to 65,535) is believed only as far as
  // the bytes bear it out.
  std::vector<std::vector<MIDINODE>> lists;
  uint64_t longest = 0;
  size_t pos = 22;
  for (uint16_t t = 0; t < tracks; ++t) {
    if (t > 0) {
      // The next track's own "MTrk" header follows the end of the previous.
      if (n - pos < 8) return refuse("Midi %s Init トラックが壊れています");
      pos += 8;
    }
    uint64_t end = 0;
    lists.emplace_back();
    if (ReadTrack(b, n, pos, lists.back(), end) != TrackRead::kOk) return refuse("Midi %s Init トラックが壊れています");
    if (end > longest) longest = end;
  }

  // Step 2 and 3: merged in time order, ties to the lower track, each event
  // written with its delta to the one before; the one end of track goes
  // last, at the end of the longest track.
  auto image = std::make_unique<MIDIIMAGE>();
  std::vector<uint8_t>& out = image->vBytes;
  const uint8_t head[22] = {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1, b[12], b[13], 'M', 'T', 'r', 'k', 0, 0, 0, 0};
  out.assign(head, head + 22);
  struct HEAD {
    uint64_t nTime;
    uint32_t nTrack;
    size_t nIndex;
    bool operator>(const HEAD& o) const { return nTime != o.nTime ? nTime > o.nTime : nTrack > o.nTrack; }
  };
  std::priority_queue<HEAD, std::vector<HEAD>, std::greater<HEAD>> heads;
  for (uint32_t t = 0; t < lists.size(); ++t)
    if (!lists[t].empty()) heads.push({lists[t][0].nTime, t, 0});
  uint64_t last = 0;
  // A gap of 0x10000000 ticks or more has no encoding; no piece of music
  // waits that long, so such a file is damaged.
  auto putDelta = [&](uint64_t time) {
    uint8_t var[4];
    const int k = time - last < 0x10000000 ? WriteVarLen(var, uint32_t(time - last)) : 0;
    out.insert(out.end(), var, var + k);
    last = time;
    return k != 0;
  };
  while (!heads.empty()) {
    HEAD h = heads.top();
    heads.pop();
    const MIDINODE& node = lists[h.nTrack][h.nIndex];
    if (!putDelta(node.nTime)) return refuse("Midi %s Init トラックが壊れています");
    out.push_back(node.byStatus);
    out.insert(out.end(), b + node.nStart, b + node.nStart + node.nLength);
    if (h.nIndex + 1 < lists[h.nTrack].size()) heads.push({lists[h.nTrack][h.nIndex + 1].nTime, h.nTrack, h.nIndex + 1});
  }
  if (!putDelta(longest)) return refuse("Midi %s Init トラックが壊れています");
  out.insert(out.end(), {0xFF, 0x2F, 0x00});
  const uint32_t len = static_cast<uint32_t>(out.size() - 22);
  out[18] = uint8_t(len >> 24);
  out[19] = uint8_t(len >> 16);
  out[20] = uint8_t(len >> 8);
  out[21] = uint8_t(len);
  return image;
}
