// The music manager g_Bgm: five music slots (title, world map and save
// screen, challenge, option, stage), each with an Ogg name and a MIDI name,
// played through the Ogg player (cVox) or the MIDI stream player (cMidi).
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "base/checked_containers.h"
#include "media/sound/midi_player.h"
#include "platform/ogg_stream.h"
#include "platform/win_types.h"

// What cVox::Init finds in place of the player library's CreateVox.
typedef cVoxPlayer* (*CREATEVOXFUNC)();

// The Ogg player wrapper: one player object per music player, at most one
// of them sounding.
class cVox {
 public:
  ~cVox() { Release(); }
  BOOL Init();
  BOOL CreatePlayers(int32_t nPlayers);
  BOOL Play(int32_t nPlayer, const std::string& path, BOOL bLoop);
  void Stop();
  void Release();

  int32_t CurrentPlayer() const { return m_nCurrent; }

 private:
  std::vector<cVoxPlayer*> m_vPlayers;
  int32_t m_nCurrent = -1;
  CREATEVOXFUNC m_pfnCreateVox = nullptr;
};

// Kinds of a slot and of what a player last played.
enum : int32_t { BGMKIND_NONE = 0, BGMKIND_OGG = 1, BGMKIND_MIDI = 2 };

class cBgm {
 public:
  ~cBgm();

  // The name tables belong to the caller (one entry per slot) and must
  // outlive the manager's use of them; SetMusic writes into them.
  BOOL Init(int32_t nPlayers, cVector<std::string>* pOggNames, cVector<std::string>* pMidiNames, int32_t nSlots);
  BOOL SetPlayers(int32_t nPlayers);
  // 1 when the name's extension says Ogg or MIDI.
  BOOL SetMusic(int32_t nSlot, const std::string& file);
  // 1 = playing (or nothing to do), 0 = nothing could be played.
  BOOL Play(int32_t nPlayer, int32_t nSlot, BOOL bLoop, int32_t nMidiStopMode, BOOL bRestart);
  void Stop();
  void UnInit();

  // For tests and the option screen.
  BOOL IsInitialised() const { return bInit; }
  int32_t CurrentSlot() const { return m_nCurrentSlot; }
  int32_t SlotKindForTests(int32_t nSlot) const;
  int32_t PlayerKindForTests(int32_t nPlayer) const;
  // The MIDI player of a player, null when none was started.
  cMidi* MidiPlayerForTests(int32_t nPlayer) const;
  cVox& Vox() { return m_Vox; }

 private:
  BOOL PlayMidiBgm(int32_t nPlayer, const std::string& path, BOOL bLoop);
  void StopMidiBgm(BOOL bPause);
  void DestroyMidiPlayers();

  // The window thread plays and stops; the option screen re-initialises on
  // the game thread, and a close can come in between.
  mutable std::recursive_mutex m_Lock;
  int32_t bInit = 0;
  bool m_bVoxReady = false;  // the last Init got as far as the slots
  cVox m_Vox;
  cVector<std::string>* m_pOggNames = nullptr;
  cVector<std::unique_ptr<cMidi>> m_vMidi;
  cVector<std::string>* m_pMidiNames = nullptr;
  int32_t m_nCurrentSlot = -1;
  cVector<int32_t> m_vSlotKind;
  cVector<int32_t> m_vPlayerKind;
};

// Built in static construction; used by the window thread (requests and
// close) and the option screen's re-initialisation, under its own lock.
extern cBgm g_Bgm;

// The five slots' standard names, as start-up hands them to cBgm::Init.
void FillStandardMusicNames(cVector<std::string>& ogg, cVector<std::string>& mid);
constexpr int32_t kMusicSlotCount = 5;

// Tests: the CreateVox that cVox::Init finds (null: no player library).
void SetCreateVoxForTests(CREATEVOXFUNC pfn);
void ResetCreateVoxForTests();
