// Sound effects: the sound list loaded from WAV files, each sound a set of
// voices of our mixer, played by index for the window requests and the menus.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/audio.h"
#include "platform/win_types.h"
#include "base/checked_containers.h"

// One sound of the sound list.
struct SOUNDDATA {
  std::string m_strName;  // the WAV path, as loaded
  // Element 0 is made from the file, the others are duplicates sharing its
  // samples; empty before loading.
  std::vector<cVoice*> m_vBuffers;
  int32_t m_nCount = 0;  // set only when all buffers were made
  int32_t m_nNext = 0;  // the buffer the next play uses (round robin)
};
// The failure line of a checked access names the original record's size.
template <>
struct ReportedSize<SOUNDDATA> {
  static constexpr int value = 284;
};

// What to load for one sound (the start-up's sound table).
struct SOUNDFILEINFO {
  std::string m_strName;  // WAV path
  int32_t m_nBuffers = 1;  // the first buffer and its duplicates
  int32_t m_nVolume = 0;  // hundredths of a decibel, used when the caller gives 0
  int32_t m_nSpare = 0;  // set by the start-up, read by nobody
};
template <>
struct ReportedSize<SOUNDFILEINFO> {
  static constexpr int value = 272;
};

// The sound-effect volume levels 0 (silence) to 10 (full) of the options,
// in hundredths of a decibel.
inline constexpr int32_t SE_VOLUME_TABLE[11] = {-10000, -3000, -2000, -1300, -800, -500, -300, -150, -80, -30, 0};
// SE_VOLUME_TABLE[level], with a level outside 0..10 (a damaged options
// file) taken as the nearest end.
int32_t SeVolumeForLevel(int32_t nLevel);

// The play flag that loops; every caller of the game passes 0.
constexpr DWORD DSBPLAY_LOOPING = 0x1;

// 0 to 16: the system sounds; 16 + k: the project's sound k.
constexpr int kSystemSoundCount = 17;

// What DS_Init opened: our mixer's device stands for DirectSound and its
// primary buffer; the format asked for is kept, the mixer keeps its own.
struct DS_DEVICE {
  HWND m_hWnd = nullptr;
  PCM_FORMAT m_PrimaryFormat;
};
// Threads (these three): set by DS_Init / DS_LoadSounds / DS_UnInit on the
// window thread, before the game thread starts and after it has ended;
// the window and game threads read them under the sound lock.
// Null while the sound device is not open.
extern DS_DEVICE* g_lpDS;
extern cVector<SOUNDDATA>* g_SoundList;
extern cVector<SOUNDFILEINFO>* g_SoundFileList;

bool DS_Init(HWND hWnd, uint32_t nSamplesPerSec, uint16_t nBitsPerSample, uint16_t nChannels);
BOOL DS_LoadSounds(cVector<SOUNDDATA>* pSounds, cVector<SOUNDFILEINFO>* pFiles, int32_t nVolume);
bool DS_LoadSound(SOUNDDATA* pSound, std::string_view file, int32_t nBuffers, int32_t nVolume);
bool DS_LoadWave(cVoice** ppBuffer, std::string_view file);
void DS_Play(SOUNDDATA* pSound, DWORD dwFlags);
int32_t DS_SetVolume(SOUNDDATA* pSound, int32_t nBuffer, int32_t nVolume, uint8_t bRelative);
int32_t DS_GetVolume(SOUNDDATA* pSound, int32_t nBuffer);
bool DS_DuplicateBuffer(cVoice** ppNew, cVoice* pOriginal);
void DS_ReleaseSound(SOUNDDATA* pSound);
void DS_UnInit();

// The start-up's sound table and sound list: the 17 system sound files
// (system settings, elements 0 to 16), then the sound database's entries 1
// and up (all the database's file names are given, entry 0 included, which
// has no sound). Every entry gets 1 buffer, volume 0 and the spare word 1.
void BuildSoundTable(const std::vector<std::string>& systemFiles, const std::vector<std::string>& databaseFiles,
                     cVector<SOUNDFILEINFO>& table, cVector<SOUNDDATA>& sounds);

// The window request UM_PLAYSE: plays entry nIndex of the loaded sound list
// (a checked access: an index outside it is reported, the program is asked
// to close, and the first sound plays).
void PlaySoundEntry(int nIndex);
// The option screen's volume change: every buffer of every loaded sound.
void SetSoundListVolume(int32_t nVolume);

// Tests and the shell's recording: called on every DS_Play with the sound's
// index in the loaded sound list (-1 for a sound outside it), whether or
// not the device is open (on the playing thread, with the sound lock held).
// Null switches it off.
typedef void (*SOUNDPLAYHOOK)(int nIndex);
void SetSoundPlayHookForTests(SOUNDPLAYHOOK pfnHook);
