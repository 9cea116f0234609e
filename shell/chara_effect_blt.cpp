#include "shell/chara_effect_blt.h"

#include <algorithm>

#include "media/graphics/dd.h"
#include "media/graphics/dd_effects.h"
#include "media/graphics/dd_pixel_effects.h"
#include "play/chara_drawing.h"

namespace {

constexpr DWORD BLT_KEY = 1;

// A strip width from the record; a strip under 1 pixel would draw nothing.
int StripOf(int n, int nDefault) { return n >= 1 ? n : nDefault; }

}  // namespace

// The record's first values carry the effect's shape; the running value is
// its strength (gap, shift, amplitude, angle, radius, phase or alpha).
void CharaEffectBlt(DDSURFACEDATA* lpDst, const CHARADRAWPARAMS& p) {
  DDSURFACEDATA* src = p.lpSrc;
  if (!src || !lpDst) return;
  // The transforming blits work on the unscaled cell; a stretched chara is
  // drawn plainly.
  if (p.nScale > 1 || p.w != p.sw || p.h != p.sh) {
    CharaPlainBlt(lpDst, p);
    return;
  }
  const int x = p.x, y = p.y, w = p.w, h = p.h;
  switch (p.nKind) {
    case 1:
      DDBltQuarters(lpDst, x, y, w, h, src, p.sx, p.sy, p.nValue, BLT_KEY);
      break;
    case 2:
    case 3:
      DDBltInterlace(lpDst, x, y, w, h, StripOf(p.nParam[0], 2), p.nValue, src, p.sx, p.sy, BLT_KEY, p.nKind == 3);
      break;
    case 4:
    case 5:
      DDBltWave(lpDst, x, y, w, h, std::max(1, p.nParam[0]), p.nValue, p.nParam[1], StripOf(p.nParam[2], 1), src,
                p.sx, p.sy, BLT_KEY, p.nKind == 5);
      break;
    case 7:
    case 8:
      DDBltRotate(lpDst, x + w / 2, y + h / 2, w, h, w / 2, h / 2, p.nValue, src, p.sx, p.sy, BLT_KEY);
      break;
    case 9:
      DDBltStripTransition(lpDst, x, y, w, h, src, p.sx, p.sy, src, p.sx, p.sy, w, h, BLT_KEY, p.nValue,
                           p.nParam[0] != 0);
      break;
    case 10:
      DDBltCircle(lpDst, x + w / 2, y + h / 2, w / 2, h / 2, std::max(0, p.nValue), StripOf(p.nParam[0], 1), src,
                  p.sx + w / 2, p.sy + h / 2, BLT_KEY);
      break;
    case 12:
      CharaPlainBlt(lpDst, p);
      DDBltLens(lpDst, x + w / 2, y + h / 2, std::max(1, std::min(w, h) / 2), p.nValue, src, p.sx, p.sy, BLT_KEY, 0);
      break;
    case 13:
    case 15:
    case 16:
      DDBltBlend(lpDst, x, y, w, h, src, p.sx, p.sy, BLT_KEY, g_ColorTable, std::clamp(p.nValue, 0, 255));
      break;
    case 14:
      DDBlendRectAlpha(lpDst, x, y, w, h, src, p.sx, p.sy, BLT_KEY, g_ColorTable);
      break;
    default:  // 11: the colour operation exists on the Direct3D path only
      CharaPlainBlt(lpDst, p);
      break;
  }
}

void InstallCharaEffectBlt() { SetCharaEffectBlt(&CharaEffectBlt); }
