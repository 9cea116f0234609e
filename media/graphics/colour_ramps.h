// The colour ramps that blinking texts are drawn with (nine values swinging
// between 0 and 255, each turned into a colour and a blend mode), and the
// palette rotation of 8-bit DirectDraw displays. Advanced once per frame.
#pragma once

#include <cstdint>

#include "platform/win_types.h"

constexpr int kColourRampCount = 9;
// The 8-bit palette's shaded ramps: eight groups of four entries from 208.
constexpr int kPaletteRampFirst = 208;
constexpr int kPaletteRampGroups = 8;
constexpr int kPaletteRampShades = 4;
// Frames between two rotations of the palette ramps.
constexpr int kPaletteRampPeriod = 6;

struct COLOURRAMPENTRY {
  DWORD dwColor = 0xFF000000;  // ARGB
  int32_t nBlendMode = 7;      // a Direct3D texture-stage operation
};

struct COLOURRAMPS {
  int32_t anValue[kColourRampCount] = {};
  int32_t anDirection[kColourRampCount] = {};  // 0 up, 1 down
  int32_t nChannel = 0;                        // ramp 8: red, green, blue, yellow
  int32_t nPaletteFrame = 0;
  COLOURRAMPENTRY aTable[kColourRampCount];
};

// The ramps of the running program: stepped and read by the thread that
// draws the scene's frame (the game thread, or thPause while the game
// thread waits for it), so never by two at once.
extern COLOURRAMPS g_ColourRamps;

// One frame: on the Direct3D path every ramp moves by nStep and the table
// is rebuilt; on the DirectDraw path at 8 bits, with bPaletteCycle, every
// sixth call rotates the palette ramps of the working palette and writes
// them to the display palette. Other depths change nothing.
void StepColourRamps(COLOURRAMPS& ramps, int nStep, bool bPaletteCycle);

// One step of a ramp value; true when it completes a cycle (it turns up
// again at the bottom).
bool StepRampValue(int32_t& nValue, int32_t& nDirection, int nStep);
// The palette ramps turned by one place: in each group the last shade goes
// first and the others move up by one.
void RotatePaletteRamps(BYTE* lpPalette);
