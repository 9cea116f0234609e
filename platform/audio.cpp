#include "platform/audio.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/test_seams.h"

namespace {

// A sound's samples as 16-bit signed values at its own rate, interleaved
// when stereo. Shared by a voice and its duplicates.
struct VOICE_SAMPLES {
  std::vector<int16_t> vSamples;
  uint32_t nFrames = 0;
  uint32_t nRate = 0;
  int nChannels = 1;
};

struct STREAM_ENTRY {
  int nId;
  AUDIOSTREAMFILL pfnFill;
  void* pUser;
};

}  // namespace

class cVoice {
 public:
  std::shared_ptr<const VOICE_SAMPLES> m_pSamples;
  // Position in source frames, 32.32 fixed point; the step is the source
  // rate over the mix rate, so resampling is linear interpolation as it goes.
  uint64_t m_nPos = 0;
  uint64_t m_nStep = 0;
  int32_t m_nVolume = 0;
  float m_fGain = 1.0f;
  bool m_bPlaying = false;
  bool m_bLoop = false;
};

namespace {

// Guards every voice and stream; the audio thread holds it while it mixes.
// Never destroyed: the music manager is a static object that leaves the
// mix in its destructor, whatever order the program's statics go in.
std::mutex& s_Lock = *new std::mutex;
std::vector<std::unique_ptr<cVoice>>& s_Voices = *new std::vector<std::unique_ptr<cVoice>>;
std::vector<STREAM_ENTRY>& s_Streams = *new std::vector<STREAM_ENTRY>;
int s_nNextStreamId = 1;
std::vector<float> s_vAccumulator;
std::vector<int16_t> s_vStreamBuffer;

// TARVOLIN4_AUDIO_DUMP: the mix also goes to a WAV file. Opened and closed
// with the device (its thread); written under s_Lock by whoever mixes.
FILE* s_pDump = nullptr;
uint32_t s_nDumpBytes = 0;
// Headless with a dump, the device plays silence and each presented frame
// mixes its own share, so the file follows the frames, not the clock.
std::atomic<bool> s_bStepMix{false};
constexpr int kFramesPerVideoFrame = kAudioMixRate / 60;

void PutLe32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = uint8_t(v >> (8 * i));
}

void WriteDumpHeaderLocked() {
  uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0, 0, 1, 0, 2, 0};
  PutLe32(h + 4, 36 + s_nDumpBytes);
  PutLe32(h + 24, kAudioMixRate);
  PutLe32(h + 28, kAudioMixRate * 4);
  h[32] = 4;
  h[34] = 16;
  std::memcpy(h + 36, "data", 4);
  PutLe32(h + 40, s_nDumpBytes);
  std::fseek(s_pDump, 0, SEEK_SET);
  std::fwrite(h, 1, sizeof h, s_pDump);
  std::fseek(s_pDump, 0, SEEK_END);
}

// The sizes are brought up to date with every block, so that a run that is
// killed still leaves a file that reads.
void DumpLocked(const int16_t* pStereo, int nFrames) {
  if (!s_pDump || nFrames <= 0) return;
  const size_t bytes = size_t(nFrames) * 4;
  if (s_nDumpBytes > 0xFFFFFFFFu - 36 - bytes) return;
  uint8_t buf[4096];
  for (size_t k = 0; k < size_t(nFrames) * 2;) {
    size_t n = 0;
    for (; n < sizeof buf / 2 && k < size_t(nFrames) * 2; ++k, n += 2) {
      const uint16_t v = static_cast<uint16_t>(pStereo[k]);
      buf[n] = uint8_t(v);
      buf[n + 1] = uint8_t(v >> 8);
    }
    std::fwrite(buf, 1, n, s_pDump);
  }
  s_nDumpBytes += uint32_t(bytes);
  WriteDumpHeaderLocked();
  std::fflush(s_pDump);
}

// Device state: touched only by the thread that opens and closes the device.
SDL_AudioDeviceID s_nDevice = 0;
std::string s_strDriver;
std::atomic<bool> s_bManualMix{false};

constexpr uint64_t kOne = uint64_t(1) << 32;

void MixVoiceLocked(cVoice& v, float* pAcc, int nFrames) {
  const VOICE_SAMPLES& s = *v.m_pSamples;
  const uint64_t end = uint64_t(s.nFrames) << 32;
  const int c = s.nChannels;
  for (int f = 0; f < nFrames && v.m_bPlaying; ++f) {
    if (v.m_nPos >= end) {
      if (!v.m_bLoop) {
        v.m_bPlaying = false;
        break;
      }
      v.m_nPos %= end;
    }
    uint32_t i = static_cast<uint32_t>(v.m_nPos >> 32);
    uint32_t j = i + 1 < s.nFrames ? i + 1 : (v.m_bLoop ? 0 : i);
    float frac = static_cast<float>(v.m_nPos & (kOne - 1)) / static_cast<float>(kOne);
    float l0 = s.vSamples[size_t(i) * c];
    float l1 = s.vSamples[size_t(j) * c];
    float r0 = c == 2 ? s.vSamples[size_t(i) * c + 1] : l0;
    float r1 = c == 2 ? s.vSamples[size_t(j) * c + 1] : l1;
    pAcc[2 * f] += (l0 + (l1 - l0) * frac) * v.m_fGain;
    pAcc[2 * f + 1] += (r0 + (r1 - r0) * frac) * v.m_fGain;
    v.m_nPos += v.m_nStep;
    if (v.m_bLoop && v.m_nPos >= end) v.m_nPos %= end;
  }
}

void MixLocked(int16_t* pOut, int nFrames) {
  s_vAccumulator.assign(size_t(nFrames) * 2, 0.0f);
  float* acc = s_vAccumulator.data();
  for (auto& v : s_Voices) {
    if (v->m_bPlaying) MixVoiceLocked(*v, acc, nFrames);
  }
  for (const STREAM_ENTRY& st : s_Streams) {
    s_vStreamBuffer.assign(size_t(nFrames) * 2, 0);
    st.pfnFill(st.pUser, s_vStreamBuffer.data(), nFrames);
    for (size_t k = 0; k < s_vStreamBuffer.size(); ++k) acc[k] += s_vStreamBuffer[k];
  }
  for (size_t k = 0; k < size_t(nFrames) * 2; ++k) {
    float x = std::clamp(acc[k], -32768.0f, 32767.0f);
    pOut[k] = static_cast<int16_t>(std::lrint(x));
  }
}

void SDLCALL DeviceCallback(void*, Uint8* pStream, int nLen) {
  int frames = nLen / 4;
  std::lock_guard<std::mutex> lk(s_Lock);
  // Looked at under the lock: the dump may have opened while we waited.
  if (s_bManualMix.load() || s_bStepMix.load()) {
    std::memset(pStream, 0, size_t(nLen));
    return;
  }
  MixLocked(reinterpret_cast<int16_t*>(pStream), frames);
  DumpLocked(reinterpret_cast<int16_t*>(pStream), frames);
}

void OpenDump() {
  const std::string path = EnvText("TARVOLIN4_AUDIO_DUMP");
  if (path.empty()) return;
  std::lock_guard<std::mutex> lk(s_Lock);
  s_pDump = std::fopen(path.c_str(), "wb");
  if (!s_pDump) return;
  s_nDumpBytes = 0;
  WriteDumpHeaderLocked();
  s_bStepMix = IsHeadless();
}

void CloseDump() {
  std::lock_guard<std::mutex> lk(s_Lock);
  s_bStepMix = false;
  if (!s_pDump) return;
  WriteDumpHeaderLocked();
  std::fclose(s_pDump);
  s_pDump = nullptr;
}

bool TryOpenDevice(const char* pszDriver) {
  // As for the window: SIGTERM must end the process at once.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (pszDriver) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, pszDriver, SDL_HINT_OVERRIDE);
  bool ok = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  if (ok) {
    SDL_AudioSpec want{};
    SDL_AudioSpec have{};
    want.freq = static_cast<int>(kAudioMixRate);
    want.format = AUDIO_S16SYS;
    want.channels = 2;
    // The dummy driver (no sound device) sleeps one buffer's whole
    // milliseconds between calls, and closing waits out that sleep and then
    // two buffers more for a drain that plays nowhere: 64 frames make those
    // 1 and 2 ms (256 made them 5 and 10, every run's last 15 ms). Nothing
    // is heard from it, and a dump mixes in step with the frames, so the
    // size changes no sample.
    want.samples = pszDriver ? 64 : 1024;
    want.callback = DeviceCallback;
    // No changes allowed: SDL converts our format to the device's.
    s_nDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (s_nDevice == 0) {
      SDL_QuitSubSystem(SDL_INIT_AUDIO);
      ok = false;
    }
  }
  if (pszDriver) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
  if (!ok) return false;
  const char* name = SDL_GetCurrentAudioDriver();
  s_strDriver = name ? name : "";
  SDL_PauseAudioDevice(s_nDevice, 0);
  return true;
}

}  // namespace

bool AudioOpenDevice() {
  if (s_nDevice != 0) return true;
  const bool ok = (!IsHeadless() && TryOpenDevice(nullptr)) || TryOpenDevice("dummy");
  if (ok) OpenDump();
  return ok;
}

void AudioCloseDevice() {
  if (s_nDevice == 0) return;
  SDL_CloseAudioDevice(s_nDevice);
  CloseDump();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  s_nDevice = 0;
  s_strDriver.clear();
}

bool AudioDeviceIsOpenForTests() { return s_nDevice != 0; }

const char* AudioDriverNameForTests() { return s_strDriver.c_str(); }

float VolumeToGain(int32_t nVolume) {
  if (nVolume <= -10000) return 0.0f;
  if (nVolume >= 0) return 1.0f;
  return std::pow(10.0f, static_cast<float>(nVolume) / 2000.0f);
}

cVoice* VoiceCreate(const PCM_FORMAT& format, const uint8_t* pData, uint32_t nBytes) {
  if (format.nTag != 1) return nullptr;
  if (format.nChannels != 1 && format.nChannels != 2) return nullptr;
  if (format.nBits != 8 && format.nBits != 16) return nullptr;
  if (format.nRate < 100 || format.nRate > 200000) return nullptr;
  const uint32_t frameBytes = uint32_t(format.nChannels) * (format.nBits / 8);
  if (format.nBlockAlign != frameBytes) return nullptr;
  const uint32_t frames = nBytes / frameBytes;
  if (frames == 0 || !pData) return nullptr;

  auto samples = std::make_shared<VOICE_SAMPLES>();
  samples->nFrames = frames;
  samples->nRate = format.nRate;
  samples->nChannels = format.nChannels;
  const size_t count = size_t(frames) * format.nChannels;
  samples->vSamples.resize(count);
  for (size_t k = 0; k < count; ++k) {
    if (format.nBits == 8) {
      samples->vSamples[k] = static_cast<int16_t>((int(pData[k]) - 128) * 256);
    } else {
      samples->vSamples[k] = static_cast<int16_t>(uint16_t(pData[2 * k]) | uint16_t(pData[2 * k + 1]) << 8);
    }
  }

  auto v = std::make_unique<cVoice>();
  v->m_pSamples = std::move(samples);
  v->m_nStep = (uint64_t(format.nRate) << 32) / kAudioMixRate;
  cVoice* p = v.get();
  std::lock_guard<std::mutex> lk(s_Lock);
  s_Voices.push_back(std::move(v));
  return p;
}

cVoice* VoiceDuplicate(cVoice* pOriginal) {
  if (!pOriginal) return nullptr;
  auto v = std::make_unique<cVoice>();
  std::lock_guard<std::mutex> lk(s_Lock);
  v->m_pSamples = pOriginal->m_pSamples;
  v->m_nStep = pOriginal->m_nStep;
  v->m_nVolume = pOriginal->m_nVolume;
  v->m_fGain = pOriginal->m_fGain;
  cVoice* p = v.get();
  s_Voices.push_back(std::move(v));
  return p;
}

void VoiceRelease(cVoice* pVoice) {
  if (!pVoice) return;
  std::unique_ptr<cVoice> gone;
  {
    std::lock_guard<std::mutex> lk(s_Lock);
    auto it = std::find_if(s_Voices.begin(), s_Voices.end(), [&](const auto& v) { return v.get() == pVoice; });
    if (it == s_Voices.end()) return;
    gone = std::move(*it);
    s_Voices.erase(it);
  }
}

void VoicePlay(cVoice* pVoice, bool bLoop) {
  if (!pVoice) return;
  std::lock_guard<std::mutex> lk(s_Lock);
  pVoice->m_bLoop = bLoop;
  pVoice->m_bPlaying = true;
}

void VoiceStop(cVoice* pVoice) {
  if (!pVoice) return;
  std::lock_guard<std::mutex> lk(s_Lock);
  pVoice->m_bPlaying = false;
}

void VoiceSetPosition(cVoice* pVoice, uint32_t nFrame) {
  if (!pVoice) return;
  std::lock_guard<std::mutex> lk(s_Lock);
  pVoice->m_nPos = uint64_t(std::min(nFrame, pVoice->m_pSamples->nFrames)) << 32;
}

uint32_t VoiceGetPositionForTests(const cVoice* pVoice) {
  if (!pVoice) return 0;
  std::lock_guard<std::mutex> lk(s_Lock);
  return static_cast<uint32_t>(std::min(pVoice->m_nPos >> 32, uint64_t(pVoice->m_pSamples->nFrames)));
}

void VoiceSetVolume(cVoice* pVoice, int32_t nVolume) {
  if (!pVoice) return;
  nVolume = std::clamp(nVolume, -10000, 0);
  std::lock_guard<std::mutex> lk(s_Lock);
  pVoice->m_nVolume = nVolume;
  pVoice->m_fGain = VolumeToGain(nVolume);
}

int32_t VoiceGetVolume(const cVoice* pVoice) {
  if (!pVoice) return 0;
  std::lock_guard<std::mutex> lk(s_Lock);
  return pVoice->m_nVolume;
}

bool VoiceIsPlayingForTests(const cVoice* pVoice) {
  if (!pVoice) return false;
  std::lock_guard<std::mutex> lk(s_Lock);
  return pVoice->m_bPlaying;
}

int AudioStreamAdd(AUDIOSTREAMFILL pfnFill, void* pUser) {
  if (!pfnFill) return 0;
  std::lock_guard<std::mutex> lk(s_Lock);
  int id = s_nNextStreamId++;
  s_Streams.push_back({id, pfnFill, pUser});
  return id;
}

void AudioStreamRemove(int nId) {
  std::lock_guard<std::mutex> lk(s_Lock);
  std::erase_if(s_Streams, [&](const STREAM_ENTRY& s) { return s.nId == nId; });
}

void AudioMixFramesForTests(int16_t* pStereo, int nFrames) {
  if (!pStereo || nFrames <= 0) return;
  std::lock_guard<std::mutex> lk(s_Lock);
  MixLocked(pStereo, nFrames);
}

void AudioStepVideoFrame() {
  if (!s_bStepMix.load()) return;
  int16_t buf[kFramesPerVideoFrame * 2];
  std::lock_guard<std::mutex> lk(s_Lock);
  MixLocked(buf, kFramesPerVideoFrame);
  DumpLocked(buf, kFramesPerVideoFrame);
}

void AudioSetManualMixForTests(bool bManual) { s_bManualMix.store(bManual); }

int AudioVoiceCountForTests() {
  std::lock_guard<std::mutex> lk(s_Lock);
  return static_cast<int>(s_Voices.size());
}
