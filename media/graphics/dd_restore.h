// Recovery after the device or its surfaces lost their video memory:
// DDRestoreSurface re-creates every registered surface of the Direct3D path,
// DDRestore restores the DirectDraw surfaces; both redraw the font strips.
// A real loss never happens here; tests make one with DDSimulateDeviceLossForTests.
#pragma once

#include "media/graphics/dd.h"

// Direct3D: window thread, on UM_RESETDEVICE, while the game thread waits
// in its SendMessage. FALSE while the device cannot be reset yet (no surface
// is touched then). Under DirectDraw it only logs and gives TRUE.
BOOL DDRestoreSurface();
// DirectDraw: the thread that draws, once the primary surface reports lost
// (g_PrimarySD.bLost). Always TRUE.
BOOL DDRestore();

// Test seam: the video memory is lost. Direct3D: the device answers lost,
// ready for a reset when bResettable is set, and every texture outside
// system memory loses its pixels. DirectDraw: the primary reports lost and
// the back buffer and every video-memory surface of the fixed array lose
// their pixels.
void DDSimulateDeviceLossForTests(BOOL bResettable);
