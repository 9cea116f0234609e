// Where a finished frame goes: the graphics layer hands each presented back
// buffer (converted to 32 bits, 0x00RRGGBB) to the window thread, which shows
// it. The same place counts presented frames for the test seams
// (TARVOLIN4_EXIT_AFTER, TARVOLIN4_SCREENSHOT_AT). With TARVOLIN4_EXIT_AFTER=N
// frame N is the last one: the thread that presents it closes the window as
// its close box does and waits there until it is told to end, so scripted
// runs of one script end on the same frame every time.
#pragma once

#include <cstdint>

// Called on the thread that presents (the game thread or the pause thread).
// With bVSync the call returns after the display's next refresh (headless:
// at once). The pixels are copied before the call returns.
void SubmitFrame(const uint32_t* pPixels, int nWidth, int nHeight, int nPitchPixels, bool bVSync);

// Frames presented since start, and those of them presented with VSync.
uint64_t PresentedFrameCountForTests();
uint64_t VSyncFrameCountForTests();
