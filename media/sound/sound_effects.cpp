#include "media/sound/sound_effects.h"

#include <algorithm>
#include <atomic>
#include <mutex>
#include <new>

#include "media/sound/wav_reader.h"
#include "platform/file_system.h"
#include "platform/text_cp932.h"
#include "base/report.h"

DS_DEVICE* g_lpDS = nullptr;
cVector<SOUNDDATA>* g_SoundList = nullptr;
cVector<SOUNDFILEINFO>* g_SoundFileList = nullptr;

namespace {

// Threads: under s_Lock (below), like every sound list the two threads use.
DS_DEVICE s_Device;
// The window thread loads, plays and shuts down; the game thread plays the
// cursor sounds and sets volumes. One lock keeps a sound's round robin and
// the device state whole between them.
std::recursive_mutex s_Lock;
std::atomic<SOUNDPLAYHOOK> s_pfnPlayHook{nullptr};

// The failure lines go to the trace log. A file that is there but cannot be
// used is damage the person should hear of, so it also gets a report line;
// a missing file stays as quiet as it always was.
void WaveFailure(const char* pszUtf8Format, std::string_view file) {
  std::string text;
  FormatString(text, Sjis(pszUtf8Format).c_str(), std::string(file).c_str());
  LogLine(text.c_str());
  if (GetFileAttributesA(file) != INVALID_FILE_ATTRIBUTES) ReportLine(text);
}

int IndexInSoundList(const SOUNDDATA* pSound) {
  if (!g_SoundList || !pSound || g_SoundList->empty()) return -1;
  const SOUNDDATA* first = g_SoundList->data();
  if (pSound < first || pSound >= first + g_SoundList->size()) return -1;
  return static_cast<int>(pSound - first);
}

cVoice* BufferAt(SOUNDDATA* pSound, int32_t i) {
  if (!pSound || i < 0 || static_cast<size_t>(i) >= pSound->m_vBuffers.size()) return nullptr;
  return pSound->m_vBuffers[static_cast<size_t>(i)];
}

}  // namespace

int32_t SeVolumeForLevel(int32_t nLevel) { return SE_VOLUME_TABLE[std::clamp(nLevel, 0, 10)]; }

bool DS_Init(HWND hWnd, uint32_t nSamplesPerSec, uint16_t nBitsPerSample, uint16_t nChannels) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!AudioOpenDevice()) {
    LogLine("DIRECTSOUNDCREATE_ERR!");
    return false;
  }
  s_Device.m_hWnd = hWnd;
  s_Device.m_PrimaryFormat.nTag = 1;
  s_Device.m_PrimaryFormat.nChannels = nChannels;
  s_Device.m_PrimaryFormat.nRate = nSamplesPerSec;
  s_Device.m_PrimaryFormat.nBits = nBitsPerSample;
  s_Device.m_PrimaryFormat.nBlockAlign = static_cast<uint16_t>(nBitsPerSample / 8 * nChannels);
  g_lpDS = &s_Device;
  g_SoundList = nullptr;
  g_SoundFileList = nullptr;
  return true;
}

BOOL DS_LoadSounds(cVector<SOUNDDATA>* pSounds, cVector<SOUNDFILEINFO>* pFiles, int32_t nVolume) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!g_lpDS) return 1;
  g_SoundList = pSounds;
  g_SoundFileList = pFiles;
  if (!pSounds || !pFiles) return 1;
  for (int i = 0; i < static_cast<int>(pSounds->size()); ++i) {
    SOUNDDATA& sound = (*pSounds)[static_cast<size_t>(i)];
    if (!sound.m_vBuffers.empty()) continue;
    const SOUNDFILEINFO& file = pFiles->CheckedAt(i);
    DS_LoadSound(&sound, file.m_strName, file.m_nBuffers, nVolume != 0 ? nVolume : file.m_nVolume);
  }
  return 1;
}

bool DS_LoadSound(SOUNDDATA* pSound, std::string_view file, int32_t nBuffers, int32_t nVolume) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!g_lpDS) return true;
  if (!pSound) return false;
  // Clearing a loaded record used to lose its buffers; they are given back.
  DS_ReleaseSound(pSound);
  *pSound = SOUNDDATA{};
  // A count below 1 made no room for the first buffer.
  const int32_t n = std::max(nBuffers, 1);
  try {
    pSound->m_vBuffers.assign(static_cast<size_t>(n), nullptr);
  } catch (const std::bad_alloc&) {
    WaveFailure("%sのメモリ確保失敗！", file);
    return false;
  }
  if (!DS_LoadWave(&pSound->m_vBuffers[0], file)) return false;
  for (int32_t i = 1; i < n; ++i) {
    if (!DS_DuplicateBuffer(&pSound->m_vBuffers[static_cast<size_t>(i)], pSound->m_vBuffers[0])) {
      WaveFailure("%sのメモリ共用バッファの生成失敗！", file);
      return false;
    }
  }
  pSound->m_nCount = n;
  pSound->m_strName = std::string(file);
  if (nVolume != 0) {
    for (int32_t i = 0; i < n; ++i) DS_SetVolume(pSound, i, nVolume, 0);
  }
  return true;
}

bool DS_LoadWave(cVoice** ppBuffer, std::string_view file) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!g_lpDS) return true;
  if (!ppBuffer) return false;
  WAVEDATA wave;
  if (!DS_ReadWave(file, &wave)) {
    WaveFailure("%s読み込み失敗！", file);
    return false;
  }
  cVoice* v = VoiceCreate(wave.m_Format, wave.m_vData.data(), static_cast<uint32_t>(wave.m_vData.size()));
  DS_FreeWave(&wave);
  if (!v) {
    WaveFailure("%s生成失敗！", file);
    return false;
  }
  *ppBuffer = v;
  return true;
}

void DS_Play(SOUNDDATA* pSound, DWORD dwFlags) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (SOUNDPLAYHOOK hook = s_pfnPlayHook.load()) hook(IndexInSoundList(pSound));
  if (!g_lpDS || !pSound || pSound->m_vBuffers.empty()) return;
  const int32_t size = static_cast<int32_t>(pSound->m_vBuffers.size());
  // After a failed duplicate the count stays 0 while buffers exist; the
  // round robin is bound by the array so it never walks past it.
  const int32_t limit = pSound->m_nCount > 0 ? std::min(pSound->m_nCount, size) : size;
  if (pSound->m_nNext < 0 || pSound->m_nNext >= limit) pSound->m_nNext = 0;
  cVoice* v = BufferAt(pSound, pSound->m_nNext);
  if (!v) return;
  VoiceStop(v);
  VoiceSetPosition(v, 0);
  VoicePlay(v, (dwFlags & DSBPLAY_LOOPING) != 0);
  pSound->m_nNext = pSound->m_nNext + 1 >= limit ? 0 : pSound->m_nNext + 1;
}

int32_t DS_SetVolume(SOUNDDATA* pSound, int32_t nBuffer, int32_t nVolume, uint8_t bRelative) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!g_lpDS) return 0;
  cVoice* v = BufferAt(pSound, nBuffer);
  if (!v) return 0;
  int64_t volume = nVolume;
  if (bRelative == 1) volume += DS_GetVolume(pSound, nBuffer);
  const int32_t set = static_cast<int32_t>(std::clamp<int64_t>(volume, -10000, 0));
  VoiceSetVolume(v, set);
  return set;
}

int32_t DS_GetVolume(SOUNDDATA* pSound, int32_t nBuffer) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!g_lpDS) return 0;
  cVoice* v = BufferAt(pSound, nBuffer);
  return v ? VoiceGetVolume(v) : 0;
}

bool DS_DuplicateBuffer(cVoice** ppNew, cVoice* pOriginal) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!g_lpDS) return true;
  if (!ppNew) return false;
  *ppNew = VoiceDuplicate(pOriginal);
  return *ppNew != nullptr;
}

void DS_ReleaseSound(SOUNDDATA* pSound) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!g_lpDS || !pSound || pSound->m_vBuffers.empty()) return;
  // Every duplicate in the array, not only the first count - 1: after a
  // failed duplicate the count is 0 and the ones made would be lost.
  for (size_t i = 1; i < pSound->m_vBuffers.size(); ++i) {
    VoiceRelease(pSound->m_vBuffers[i]);
    pSound->m_vBuffers[i] = nullptr;
  }
  VoiceRelease(pSound->m_vBuffers[0]);
  std::vector<cVoice*>().swap(pSound->m_vBuffers);
}

void DS_UnInit() {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!g_lpDS) return;
  if (g_SoundList) {
    for (SOUNDDATA& sound : *g_SoundList) DS_ReleaseSound(&sound);
  }
  AudioCloseDevice();
  g_lpDS = nullptr;
}

void BuildSoundTable(const std::vector<std::string>& systemFiles, const std::vector<std::string>& databaseFiles,
                     cVector<SOUNDFILEINFO>& table, cVector<SOUNDDATA>& sounds) {
  // The database count + 16 entries, but never fewer than the 17 system
  // sounds: an empty database would otherwise leave no room for sound 16.
  const size_t n = std::max(databaseFiles.size() + 16, size_t(kSystemSoundCount));
  table.assign(n, SOUNDFILEINFO{});
  sounds.assign(n, SOUNDDATA{});
  for (size_t i = 0; i < n; ++i) {
    SOUNDFILEINFO& entry = table[i];
    if (i < size_t(kSystemSoundCount)) {
      if (i < systemFiles.size()) entry.m_strName = systemFiles[i];
    } else {
      entry.m_strName = databaseFiles[i - 16];
    }
    entry.m_nBuffers = 1;
    entry.m_nVolume = 0;
    entry.m_nSpare = 1;
  }
}

void PlaySoundEntry(int nIndex) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!g_SoundList) return;
  DS_Play(&g_SoundList->CheckedAt(nIndex), 0);
}

void SetSoundListVolume(int32_t nVolume) {
  std::lock_guard<std::recursive_mutex> lk(s_Lock);
  if (!g_SoundList) return;
  for (SOUNDDATA& sound : *g_SoundList) {
    for (int32_t i = 0; i < sound.m_nCount; ++i) DS_SetVolume(&sound, i, nVolume, 0);
  }
}

void SetSoundPlayHookForTests(SOUNDPLAYHOOK pfnHook) { s_pfnPlayHook.store(pfnHook); }
