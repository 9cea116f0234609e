#include "shell/music_requests.h"

#include <string>

#include "media/sound/music_manager.h"
#include "records/option.h"
#include "shell/main_window.h"

namespace {

// The name tables g_Bgm writes into; they live as long as the program.
// Filled once by StartMusic on the window thread; later written only by
// g_Bgm under its lock.
cVector<std::string> s_vOggNames;
cVector<std::string> s_vMidiNames;

class cBgmSink final : public cMusicSink {
 public:
  void SetMusic(int nSlot, const std::string& strName) override { g_Bgm.SetMusic(nSlot, strName); }
  void Play(int nPlayer, int nSlot, int nLoop, int nStart, int bRestart) override {
    g_Bgm.Play(nPlayer, nSlot, nLoop, nStart, bRestart);
  }
  void Stop() override { g_Bgm.Stop(); }
  void UnInit() override { g_Bgm.UnInit(); }
};
cBgmSink s_Sink;

void InitIfWanted() {
  // The result is not looked at: without music the game goes on.
  if (g_Option.m_bMusic) g_Bgm.Init(1, &s_vOggNames, &s_vMidiNames, kMusicSlotCount);
}

}  // namespace

void StartMusic() {
  FillStandardMusicNames(s_vOggNames, s_vMidiNames);
  SetMusicSink(&s_Sink);
  InitIfWanted();
}

void RestartMusic() {
  g_Bgm.UnInit();
  InitIfWanted();
}
