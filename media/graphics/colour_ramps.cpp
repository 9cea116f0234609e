#include "media/graphics/colour_ramps.h"

#include <algorithm>
#include <cstring>

#include "media/graphics/dd.h"

COLOURRAMPS g_ColourRamps;

namespace {

DWORD Argb(int r, int g, int b) {
  return 0xFF000000u | (static_cast<DWORD>(r & 0xFF) << 16) | (static_cast<DWORD>(g & 0xFF) << 8) |
         static_cast<DWORD>(b & 0xFF);
}

void StepDirect3D(COLOURRAMPS& r, int nStep) {
  bool bCycled[kColourRampCount] = {};
  for (int i = 0; i < kColourRampCount; ++i) bCycled[i] = StepRampValue(r.anValue[i], r.anDirection[i], nStep);
  if (bCycled[8]) r.nChannel = (r.nChannel + 1) & 3;
  const int32_t* v = r.anValue;
  const DWORD adwColor[kColourRampCount] = {
      Argb(v[0], v[0], v[0]), Argb(v[1], v[1], v[1]), Argb(v[2], 0, 0),
      Argb(0, v[3], 0),       Argb(0, 0, v[4]),       Argb(v[5], v[5], 0),
      Argb(v[6], 0, v[6] / 4), Argb(v[7] / 4, 0, v[7]),
      r.nChannel == 0   ? Argb(v[8], 0, 0)
      : r.nChannel == 1 ? Argb(0, v[8], 0)
      : r.nChannel == 2 ? Argb(0, 0, v[8])
                        : Argb(v[8], v[8], 0),
  };
  for (int i = 0; i < kColourRampCount; ++i) {
    r.aTable[i].dwColor = adwColor[i];
    r.aTable[i].nBlendMode = i == 1 ? DDTOP_SUBTRACT : DDTOP_ADD;
  }
}

}  // namespace

bool StepRampValue(int32_t& nValue, int32_t& nDirection, int nStep) {
  if (nDirection == 0) {
    nValue += nStep;
    if (nValue >= 255) {
      nValue -= nStep;
      nDirection = 1;
    }
    return false;
  }
  nValue -= nStep;
  if (nValue <= 0) {
    nValue += nStep;
    nDirection = 0;
    return true;
  }
  return false;
}

void RotatePaletteRamps(BYTE* lpPalette) {
  for (int g = 0; g < kPaletteRampGroups; ++g) {
    BYTE* first = lpPalette + (kPaletteRampFirst + g * kPaletteRampShades) * 4;
    BYTE last[4];
    std::memcpy(last, first + (kPaletteRampShades - 1) * 4, 4);
    std::memmove(first + 4, first, (kPaletteRampShades - 1) * 4);
    std::memcpy(first, last, 4);
  }
}

void StepColourRamps(COLOURRAMPS& r, int nStep, bool bPaletteCycle) {
  // A step beyond the range moves nothing further than 255 would, and keeps
  // the sums far from overflow.
  nStep = std::clamp(nStep, 0, 255);
  if (lpDTCon) {
    StepDirect3D(r, nStep);
    return;
  }
  if (g_DDDisplay.nBpp != 8 || !bPaletteCycle) return;
  if (++r.nPaletteFrame < kPaletteRampPeriod) return;
  r.nPaletteFrame = 0;
  RotatePaletteRamps(g_WorkPalette);
  DDSetPaletteEntries(kPaletteRampFirst, kPaletteRampGroups * kPaletteRampShades,
                      g_WorkPalette + kPaletteRampFirst * 4);
}
