#include "platform/ogg_stream.h"

#include <vorbis/vorbisfile.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/file_system.h"

namespace {

size_t ReadCb(void* p, size_t size, size_t n, void* fp) { return std::fread(p, size, n, static_cast<FILE*>(fp)); }
int SeekCb(void* fp, ogg_int64_t off, int whence) {
  return fp ? std::fseek(static_cast<FILE*>(fp), static_cast<long>(off), whence) : -1;
}
int CloseCb(void* fp) { return std::fclose(static_cast<FILE*>(fp)); }
long TellCb(void* fp) { return std::ftell(static_cast<FILE*>(fp)); }
const ov_callbacks kFileCallbacks = {ReadCb, SeekCb, CloseCb, TellCb};

std::atomic<OGGFAULTHANDLER> s_pfnFault{nullptr};

void Fault(const std::string& path, const char* pszStep, const char* pszWhy) {
  if (OGGFAULTHANDLER pfn = s_pfnFault.load()) pfn(path.c_str(), pszStep, pszWhy);
}

// What vorbisfile's result codes mean to a reader of the report.
const char* ReasonOf(long nCode) {
  switch (nCode) {
    case OV_ENOTVORBIS: return "not an Ogg Vorbis stream";
    case OV_EBADHEADER: return "damaged stream header";
    case OV_EVERSION: return "unsupported Vorbis version";
    case OV_EREAD: return "read error";
    case OV_EBADLINK: return "damaged stream";
    case OV_EFAULT: return "decoder fault";
    case OV_EINVAL: return "damaged stream";
    default: return "damaged stream";
  }
}

constexpr uint64_t kOne = uint64_t(1) << 32;
// Reads that give no sound in a row (holes, an empty stream looping) before
// the piece counts as ended, so that a damaged file never spins the mixer.
constexpr int kMaxIdleReads = 64;

class cOggPlayer final : public cVoxPlayer {
 public:
  cOggPlayer() { m_nAudioId = AudioStreamAdd(&cOggPlayer::Fill, this); }

  uint8_t Load(const char* pszPath) override {
    std::lock_guard<std::mutex> lk(m_Lock);
    CloseLocked();
    if (!pszPath || !*pszPath) return 0;
    FILE* fp = OpenFile(pszPath, "rb");
    if (!fp) return 0;
    m_strPath = pszPath;
    m_bFaultTold = false;
    if (const int r = ov_open_callbacks(fp, &m_File, nullptr, 0, kFileCallbacks); r != 0) {
      std::fclose(fp);
      Fault(m_strPath, "Load", ReasonOf(r));
      return 0;
    }
    const vorbis_info* vi = ov_info(&m_File, -1);
    if (!vi || vi->channels < 1 || vi->rate < 100 || vi->rate > 200000) {
      ov_clear(&m_File);
      Fault(m_strPath, "Load", "unsupported channels or rate");
      return 0;
    }
    m_bOpen = true;
    m_nStep = (uint64_t(vi->rate) << 32) / kAudioMixRate;
    RewindLocked();
    return 1;
  }

  void Play() override {
    std::lock_guard<std::mutex> lk(m_Lock);
    if (!m_bOpen) return;
    if (m_bFinished) RewindLocked();
    m_bPlaying = true;
  }

  void Stop() override {
    std::lock_guard<std::mutex> lk(m_Lock);
    m_bPlaying = false;
    if (m_bOpen) RewindLocked();
  }

  void Close() override {
    std::lock_guard<std::mutex> lk(m_Lock);
    CloseLocked();
  }

  void SetLoopCount(int32_t nCount) override {
    std::lock_guard<std::mutex> lk(m_Lock);
    m_nLoopCount = nCount < 0 ? 0 : nCount;
    m_nLoopsLeft = m_nLoopCount;
  }

  void Release() override {
    // Out of the mix first (the mixer holds its lock, then ours).
    AudioStreamRemove(m_nAudioId);
    Close();
    delete this;
  }

 private:
  ~cOggPlayer() override = default;

  void CloseLocked() {
    if (m_bOpen) ov_clear(&m_File);
    m_bOpen = false;
    m_bPlaying = false;
    m_vFrames.clear();
  }

  void TellFault(const char* pszWhy) {
    if (m_bFaultTold) return;
    m_bFaultTold = true;
    Fault(m_strPath, "Play", pszWhy);
  }

  void RewindLocked() {
    m_vFrames.clear();
    m_nHead = 0;
    m_nFrac = 0;
    m_nLoopsLeft = m_nLoopCount;
    m_bDecoderDone = ov_pcm_seek(&m_File, 0) != 0;
    m_bFinished = false;
    m_nFramesSinceSeek = 0;
  }

  // Appends decoded frames (as stereo) until there are at least nWant or
  // the piece has ended; at the end of the file a loop seeks back to the
  // first sample, so the frames run on without a gap.
  void DecodeLocked(size_t nWant) {
    int idle = 0;
    char buf[8192];
    while (m_vFrames.size() < nWant && !m_bDecoderDone) {
      int link = 0;
      const long got = ov_read(&m_File, buf, sizeof buf, 0, 2, 1, &link);
      if (got > 0) {
        const vorbis_info* vi = ov_info(&m_File, link);
        const int c = vi && vi->channels > 0 ? vi->channels : 1;
        const size_t frames = size_t(got) / (2 * size_t(c));
        const int16_t* s = reinterpret_cast<const int16_t*>(buf);
        for (size_t f = 0; f < frames; ++f) {
          m_vFrames.push_back(s[f * c]);
          m_vFrames.push_back(s[f * c + (c > 1 ? 1 : 0)]);
        }
        m_nFramesSinceSeek += frames;
        if (frames > 0) idle = 0;
        continue;
      }
      // A hole is a stretch that cannot be decoded: the piece plays on
      // past it, and it is told once.
      if (got == OV_HOLE) TellFault("lost data");
      if (++idle > kMaxIdleReads) {
        m_bDecoderDone = true;
      } else if (got == 0) {
        if (m_nLoopsLeft == 0 || m_nFramesSinceSeek == 0) {
          m_bDecoderDone = true;
        } else {
          if (m_nLoopsLeft != kVoxLoopForever) --m_nLoopsLeft;
          m_nFramesSinceSeek = 0;
          if (ov_pcm_seek(&m_File, 0) != 0) m_bDecoderDone = true;
        }
      } else if (got != OV_HOLE) {
        m_bDecoderDone = true;
        TellFault(ReasonOf(got));
      }
    }
  }

  static void Fill(void* pUser, int16_t* pStereo, int nFrames) {
    cOggPlayer& o = *static_cast<cOggPlayer*>(pUser);
    std::lock_guard<std::mutex> lk(o.m_Lock);
    if (!o.m_bOpen || !o.m_bPlaying) return;
    for (int f = 0; f < nFrames; ++f) {
      const size_t i = o.m_nHead + size_t(o.m_nFrac >> 32);
      o.DecodeLocked(2 * (i + 2));
      const size_t have = o.m_vFrames.size() / 2;
      if (i >= have) {
        o.m_bPlaying = false;
        o.m_bFinished = true;
        return;
      }
      const size_t j = i + 1 < have ? i + 1 : i;
      const int64_t fr = int64_t(o.m_nFrac & (kOne - 1));
      for (int ch = 0; ch < 2; ++ch) {
        const int64_t a = o.m_vFrames[2 * i + ch], b = o.m_vFrames[2 * j + ch];
        pStereo[2 * f + ch] = static_cast<int16_t>((a * (int64_t(kOne) - fr) + b * fr) >> 32);
      }
      o.m_nFrac += o.m_nStep;
    }
    // Frames played are dropped now and then, not one by one.
    o.m_nHead += size_t(o.m_nFrac >> 32);
    o.m_nFrac &= kOne - 1;
    if (o.m_nHead > 16384) {
      o.m_vFrames.erase(o.m_vFrames.begin(), o.m_vFrames.begin() + std::ptrdiff_t(2 * o.m_nHead));
      o.m_nHead = 0;
    }
  }

  // Taken by the owner's calls and by the mixer's thread in Fill.
  std::mutex m_Lock;
  std::string m_strPath;     // the file of the last Load, for fault reports
  bool m_bFaultTold = false;  // its break-off was reported
  OggVorbis_File m_File{};
  bool m_bOpen = false;
  bool m_bPlaying = false;
  bool m_bFinished = false;
  bool m_bDecoderDone = false;
  int32_t m_nLoopCount = 0;
  int32_t m_nLoopsLeft = 0;
  size_t m_nFramesSinceSeek = 0;
  std::vector<int16_t> m_vFrames;  // decoded, stereo, at the file's rate
  size_t m_nHead = 0;              // first frame not yet played
  uint64_t m_nFrac = 0;            // position after m_nHead, 32.32 frames
  uint64_t m_nStep = kOne;         // file frames per mix frame, 32.32
  int m_nAudioId = 0;
};

}  // namespace

cVoxPlayer* CreateVox() { return new cOggPlayer(); }

void SetOggFaultHandler(OGGFAULTHANDLER pfn) { s_pfnFault = pfn; }
