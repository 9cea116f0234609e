// Frame pacing, frame measurement and the frame-rate text. Pacing happens in
// one of two places: on the DirectDraw path the game thread waits before a
// frame (WaitFrame); on the Direct3D path the presentation waits after
// drawing (FrameDueWithStats, through the media layer's frame gate). Every
// reading is timeGetTime() in milliseconds. The state belongs to the thread
// that makes frames (only one does at a time); no frame is ever skipped.
#pragma once

#include <string>

#include "platform/win_types.h"

// Work time of the last frame (ms) and frames counted in the last full
// second.
// Threads: the game thread only (its pacing and the frame-rate text).
extern DWORD g_dwFrameMs;
extern DWORD g_nFps;

// Which drawing path is up. Start-up sets it once the graphics run (again
// after a fall-back from Direct3D); neither is up before that.
void SetFramePacingPath(bool bDirect3DUp, bool bDirectDrawUp);

DWORD FrameTimerStart();
// bMeasure 1: the clock minus the frame start, stored and returned; 0: the
// stored value.
DWORD FrameTimerElapsed(BOOL bMeasure);

// The DirectDraw path's test: the next frame is due 1000 / fps ms (integer
// division) after the moment this one was found due.
bool FrameDue(int fps);
// The frame's first step: on the DirectDraw path, Sleep(1) polls until
// FrameDue(nTargetFps). Returns early when the thread is told to stop.
void WaitFrame(int nTargetFps);

// The Direct3D path's test: frame k of each second is due k * 1000.0 / fps
// ms after the second's anchor. bDebug and nY select a debug display that
// no caller asks for.
bool FrameDueWithStats(int fps, int bDebug = 0, int nY = 0);
// FrameDueWithStats in the shape of the media layer's frame gate.
bool FrameGateD3D(int nFps);

// bCount 1 counts this frame and gives the frames of the last full second;
// 0 gives that number without counting.
DWORD CountFps(BOOL bCount);

// Stage play's shared frame counter: mode 0 resets (false); mode 2 asks
// whether it stands at 0; any other mode counts, true every n-th call.
bool FrameIntervalTick(int mode, int n);

// The frame-rate display of one frame when "ShowFps" is not 0: the work time
// enters the 16-frame ring and the text and its place are given back for
// the fonts to draw. With "ShowFps" 0 nothing happens and false is returned.
struct FPSTEXT {
  std::string strText;  // "FPS%2d(%2d)"
  int nFont = 0;        // 0 the first font (plain text), 1 the second (boxed)
  bool bBoxed = false;  // cFont::DrawTextBox with width 0 and height 0
  int x = 0;
  int y = 0;
};
bool FpsDisplayFrame(int nShowFps, FPSTEXT& out);
std::string FormatFpsText(DWORD nFps, DWORD nAverageMs);

// Tests only: every anchor back to "first call ever", the ring emptied.
void ResetFrameTimingForTests();
// Tests only: the 1 ms wait of the pacing loops (PacingSleep by default;
// null puts it back).
typedef void (*FRAMESLEEP)(DWORD dwMs);
void SetFrameSleepForTests(FRAMESLEEP pfn);
