#include "media/sound/midi_file.h"

#include <cstdio>
#include <queue>

#include "base/report.h"
#include "platform/file_system.h"
#include "platform/text_cp932.h"

namespace {

// No music file comes near this; a larger "file" (a folder, a device) is
// refused before anything is allocated for it.
constexpr long kMaxMidiFileBytes = 16L << 20;

uint32_t BigU32(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }
uint16_t BigU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] << 8 | p[1]); }
bool IdIs(const uint8_t* p, const char* id) { return p[0] == id[0] && p[1] == id[1] && p[2] == id[2] && p[3] == id[3]; }

// One event of a track with its absolute time; the bytes hold the status
// and everything after it.
struct MIDINODE {
  uint64_t nTime;
  std::vector<uint8_t> vBytes;
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
    MIDINODE node{time, {}};
    node.vBytes.reserve(1 + pos - start);
    node.vBytes.push_back(status);
    node.vBytes.insert(node.vBytes.end(), b + start, b + pos);
    out.push_back(std::move(node));
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
  FILE* fp = OpenFile(name, "rb");
  if (!fp) {
    ReportAndLogf(Sjis("Midi %s Create ファイルが開けません").c_str(), name.c_str());
    return;
  }
  std::vector<uint8_t> bytes;
  bool ok = std::fseek(fp, 0, SEEK_END) == 0;
  const long size = ok ? std::ftell(fp) : -1;
  ok = size >= 0 && size <= kMaxMidiFileBytes && std::fseek(fp, 0, SEEK_SET) == 0;
  if (ok) {
    bytes.resize(static_cast<size_t>(size));
    ok = bytes.empty() || std::fread(bytes.data(), 1, bytes.size(), fp) == bytes.size();
  }
  std::fclose(fp);
  if (!ok) {
    ReportAndLogf(Sjis("Midi %s Create ファイルが読めません").c_str(), name.c_str());
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

  // Step 1: every track's events with absolute times.
  std::vector<std::vector<MIDINODE>> lists(tracks);
  uint64_t longest = 0;
  size_t pos = 22;
  for (uint16_t t = 0; t < tracks; ++t) {
    if (t > 0) {
      // The next track's own "MTrk" header follows the end of the previous.
      if (n - pos < 8) return refuse("Midi %s Init トラックが壊れています");
      pos += 8;
    }
    uint64_t end = 0;
    if (ReadTrack(b, n, pos, lists[t], end) != TrackRead::kOk) return refuse("Midi %s Init トラックが壊れています");
    if (end > longest) longest = end;
  }
  if (!lists.empty()) lists.back().push_back({longest, {0xFF, 0x2F, 0x00}});

  // Step 2 and 3: merged in time order, ties to the lower track, each event
  // written with its delta to the one before.
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
  while (!heads.empty()) {
    HEAD h = heads.top();
    heads.pop();
    const MIDINODE& node = lists[h.nTrack][h.nIndex];
    uint8_t var[4];
    // A gap of 0x10000000 ticks or more has no encoding; no piece of music
    // waits that long, so such a file is damaged.
    const int k = node.nTime - last < 0x10000000 ? WriteVarLen(var, uint32_t(node.nTime - last)) : 0;
    if (k == 0) return refuse("Midi %s Init トラックが壊れています");
    out.insert(out.end(), var, var + k);
    out.insert(out.end(), node.vBytes.begin(), node.vBytes.end());
    last = node.nTime;
    if (h.nIndex + 1 < lists[h.nTrack].size()) heads.push({lists[h.nTrack][h.nIndex + 1].nTime, h.nTrack, h.nIndex + 1});
  }
  if (lists.empty()) out.insert(out.end(), {0x00, 0xFF, 0x2F, 0x00});
  const uint32_t len = static_cast<uint32_t>(out.size() - 22);
  out[18] = uint8_t(len >> 24);
  out[19] = uint8_t(len >> 16);
  out[20] = uint8_t(len >> 8);
  out[21] = uint8_t(len);
  return image;
}
