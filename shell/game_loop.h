// The game thread: GameLoop makes a frame whenever the application is active
// and ends on WM_QUIT; GameFrame is one paced frame of the current mode's
// scene. The frame's first and last steps are shared with the threads that
// draw a frozen stage (thPause, thStageWork).
#pragma once

#include "platform/win_types.h"

// The thread procedure of thGame.
unsigned GameLoop(void* pArg);
// One frame; false ends the program (GameLoop then closes the window).
bool GameFrame();

// DirectDraw only: restores lost surfaces; false when a restore fails (the
// frame then fails). Surfaces are never lost on this system, so it only
// asks the graphics layer.
bool RestoreLostSurfaces();
// Shows the back buffer: the Direct3D presentation with its pacing, or the
// DirectDraw flip or copy to the primary surface. Nothing while no drawing
// path is up.
void PresentFrame();
// The Direct3D presentation's frame gate: waits (in pacing sleeps) until the
// frame is due. Start-up registers it with the graphics layer.
bool WaitFrameGateD3D(int nFps);

// DirectDraw: 1 presents by copying the back buffer, 0 by flipping (full
// screen with VSync on a monitor at least as fast as the target rate).
// Written by start-up, read by PresentFrame.
// Threads: set by InitGame before the game thread starts; read by it.
extern BOOL g_bPresentByBlt;
