// Services of the shell that stage play calls: the shared frame divider, the
// sound and music requests to the main window. Start-up installs them; until
// then the requests do nothing and the time limit counts its own frames.
#pragma once

struct PLAYLINKS {
  // FrameIntervalTick(mode, n) of the shell's frame timing.
  bool (*pfnFrameIntervalTick)(int nMode, int n) = nullptr;
  // UM_PLAYSE with the sound index (0 to 15 system sounds, 16 + k project
  // sound k); the caller waits until it was handled.
  void (*pfnPlaySound)(int nIndex) = nullptr;
  // UM_PLAYBGM with screen 4 and the music index (0 stops the music).
  void (*pfnPlayBgm)(int nScreen, int nMusic) = nullptr;
};

// Written once by start-up before the game thread runs; read by the game
// thread only.
extern PLAYLINKS g_PlayLinks;
