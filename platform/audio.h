// The sound device and our own mixer: one SDL audio device (or SDL's dummy
// driver when there is none), voices for PCM sounds, and streams for music.
#pragma once

#include <cstdint>

// The format of a PCM sound as its file states it (our own record, filled
// field by field by the WAV reader).
struct PCM_FORMAT {
  uint16_t nTag = 0;  // 1 = PCM; nothing else plays
  uint16_t nChannels = 0;
  uint32_t nRate = 0;  // frames per second
  uint16_t nBits = 0;  // bits per sample
  uint16_t nBlockAlign = 0;  // bytes per frame
};

// The mixer runs at this rate, stereo, 16 bits, whatever the sounds are.
constexpr uint32_t kAudioMixRate = 44100;

// Opens the device: the system's default one, or SDL's "dummy" driver when
// none can be opened or the run is headless, so that every call still works.
// False only when even the dummy driver fails. Calls after the first that
// succeeded return true and open nothing more.
bool AudioOpenDevice();
void AudioCloseDevice();
bool AudioDeviceIsOpenForTests();
// SDL's name of the driver in use ("dummy" headless); "" when closed.
const char* AudioDriverNameForTests();

// A voice: one playable sound buffer, with its own position, volume and
// play state. Duplicates share the sample data of their original.
class cVoice;

// Null when the format cannot play (not PCM, not 1 or 2 channels, not 8 or
// 16 bits, a rate outside 100..200000 Hz, a block size that does not match)
// or there is not one whole frame of data.
cVoice* VoiceCreate(const PCM_FORMAT& format, const uint8_t* pData, uint32_t nBytes);
// Stopped at position 0, with the original's volume.
cVoice* VoiceDuplicate(cVoice* pOriginal);
void VoiceRelease(cVoice* pVoice);
void VoicePlay(cVoice* pVoice, bool bLoop);
void VoiceStop(cVoice* pVoice);
// Position in frames of the sound's own rate.
void VoiceSetPosition(cVoice* pVoice, uint32_t nFrame);
uint32_t VoiceGetPositionForTests(const cVoice* pVoice);
// Volume in hundredths of a decibel, -10000 (silence) to 0 (full).
void VoiceSetVolume(cVoice* pVoice, int32_t nVolume);
int32_t VoiceGetVolume(const cVoice* pVoice);
bool VoiceIsPlayingForTests(const cVoice* pVoice);
// The linear gain that a volume stands for (0 at -10000 and below).
float VolumeToGain(int32_t nVolume);

// A stream feeds the mixer from outside (music). The fill function runs on
// the audio thread with the mixer locked, so it must not call the functions
// of this header; it writes nFrames stereo frames at kAudioMixRate into
// pStereo (which arrives zeroed) and they are added to the mix.
typedef void (*AUDIOSTREAMFILL)(void* pUser, int16_t* pStereo, int nFrames);
// An id above 0. After AudioStreamRemove returns, the fill function is not
// called again.
int AudioStreamAdd(AUDIOSTREAMFILL pfnFill, void* pUser);
void AudioStreamRemove(int nId);

// Called for every presented frame: a headless run that dumps its sound
// (TARVOLIN4_AUDIO_DUMP) mixes one frame's share here (735 frames), so the
// dump follows the frames however fast they are made. Otherwise nothing.
void AudioStepVideoFrame();

// Tests: mixes the next nFrames stereo frames into pStereo, advancing the
// voices as the device would. Manual mode makes the device play silence and
// leave the voices alone, so that only these pulls move them.
void AudioMixFramesForTests(int16_t* pStereo, int nFrames);
void AudioSetManualMixForTests(bool bManual);
// Tests: the number of voices alive.
int AudioVoiceCountForTests();
