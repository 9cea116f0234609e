#include "shell/chara_effect_blt.h"

#include <algorithm>
#include <cmath>

#include "media/graphics/dd.h"
#include "media/graphics/dd_effects.h"
#include "media/graphics/dd_pixel_effects.h"
#include "play/chara_drawing.h"

namespace {

constexpr DWORD BLT_KEY = 1;
constexpr DWORD COLOUR_CLEAR = 0;  // palette colour 0 clears a work area to the transparent colour

// Where an operation reads the chara from: its cell on the sheet, or a copy
// in the work surface.
struct CELL {
  DDSURFACEDATA* lpSD;
  int sx, sy;
};

// The record's values: p1 is the run time, the others by kind.
int Param(const CHARADRAWPARAMS& p, int n) { return p.nParam[n - 1]; }

// A strip of a picture cut into n parts (at least 1 pixel).
int StripOfParts(int nSize, int nParts) { return std::max(1, (nSize + std::max(nParts, 1) - 1) / std::max(nParts, 1)); }

bool WorkHolds(const DDSURFACEDATA* lpWork, int w, int h) {
  return lpWork && w > 0 && h > 0 && w <= lpWork->nWidth && h <= lpWork->nHeight;
}

// The cell stretched to the screen box at (x, y) of the work surface, on a
// cleared area.
CELL CopyIntoWork(const CHARADRAWPARAMS& p, DDSURFACEDATA* lpSrc, int x, int y) {
  DDFillRect(p.lpWork, x, y, p.w, p.h, COLOUR_CLEAR);
  DDBltD3D(p.lpWork, x, y, p.w, p.h, lpSrc, p.sx, p.sy, p.sw, p.sh, BLT_KEY);
  return CELL{p.lpWork, x, y};
}

// Rotation A: the unscaled cell turned inside a cleared square of the work
// surface, then the square stretched by the scale about the chara's centre
// (quick for a giant chara, at the cost of coarse pixels).
void RotateThroughWork(DDSURFACEDATA* lpDst, const CHARADRAWPARAMS& p) {
  const int nSide = static_cast<int>(std::ceil(std::hypot(p.sw, p.sh))) + 2;
  if (!WorkHolds(p.lpWork, nSide, nSide)) return CharaPlainBlt(lpDst, p);
  DDFillRect(p.lpWork, 0, 0, nSide, nSide, COLOUR_CLEAR);
  DDBltRotate(p.lpWork, nSide / 2, nSide / 2, p.sw, p.sh, p.sw / 2, p.sh / 2, p.nValue, p.lpSrc, p.sx, p.sy, BLT_KEY);
  const int nW = nSide * p.w / std::max(p.sw, 1), nH = nSide * p.h / std::max(p.sh, 1);
  DDBltD3D(lpDst, p.x + p.w / 2 - nW / 2, p.y + p.h / 2 - nH / 2, nW, nH, p.lpWork, 0, 0, nSide, nSide, BLT_KEY);
}

// The enlargement: the chara drawn nValue pixels wide, its height in
// proportion, about its centre; on the Direct3D path the copy takes the
// texture's own colour.
void Enlarge(DDSURFACEDATA* lpDst, const CHARADRAWPARAMS& p) {
  const int nW = std::max(p.nValue, 0), nH = nW * p.h / std::max(p.w, 1);
  DDSetColorOp(DDTOP_SELECTARG1);
  DDBltD3D(lpDst, p.x + p.w / 2 - nW / 2, p.y + p.h / 2 - nH / 2, nW, nH, p.lpSrc, p.sx, p.sy, p.sw, p.sh, BLT_KEY);
  DDResetColorOp();
}

}  // namespace

// A chara drawn through its effect. A scaled chara (its screen box larger
// than its cell) is first drawn at its size into the zoom work surface, and
// the operation works on that copy; rotation A and the enlargement stretch
// the cell themselves.
void CharaEffectBlt(DDSURFACEDATA* lpDst, const CHARADRAWPARAMS& p) {
  if (!p.lpSrc || !lpDst) return;
  const int x = p.x, y = p.y, w = p.w, h = p.h;
  if (p.nKind == 7) return RotateThroughWork(lpDst, p);
  if (p.nKind == 11) return Enlarge(lpDst, p);
  CELL c{p.lpSrc, p.sx, p.sy};
  CELL back{p.lpSrcOpposite, p.sx, p.sy};
  if (w != p.sw || h != p.sh) {
    // The turn needs the other facing too, below the first.
    const bool bTurn = p.nKind == 9;
    if (!WorkHolds(p.lpWork, w, bTurn ? 2 * h : h)) return CharaPlainBlt(lpDst, p);
    c = CopyIntoWork(p, p.lpSrc, 0, 0);
    if (bTurn && p.lpSrcOpposite) back = CopyIntoWork(p, p.lpSrcOpposite, 0, h);
  }
  CHARADRAWPARAMS plain = p;
  plain.lpSrc = c.lpSD;
  plain.sx = c.sx;
  plain.sy = c.sy;
  plain.sw = w;
  plain.sh = h;
  switch (p.nKind) {
    case 1:  // burst: the quarters pushed apart
      DDBltQuarters(lpDst, x, y, w, h, c.lpSD, c.sx, c.sy, p.nValue, BLT_KEY);
      break;
    case 2:  // split: rows (2) or columns (3) pushed apart, p4 parts
    case 3: {
      const bool bColumns = p.nKind == 3;
      const int nStrip = StripOfParts(bColumns ? w : h, Param(p, 4));
      DDBltInterlace(lpDst, x, y, w, h, nStrip, p.nValue, c.lpSD, c.sx, c.sy, BLT_KEY, bColumns);
      break;
    }
    case 4:  // wave: p4 waves over the picture in strips of p5, moving on a degree a frame
    case 5:
      DDBltWave(lpDst, x, y, w, h, std::max(Param(p, 4), 1), p.nValue, p.nFrame % 360, std::max(Param(p, 5), 1),
                c.lpSD, c.sx, c.sy, BLT_KEY, p.nKind == 5);
      break;
    case 8:  // rotation B: the picture at its size turned about its centre
      DDBltRotate(lpDst, x + w / 2, y + h / 2, w, h, w / 2, h / 2, p.nValue, c.lpSD, c.sx, c.sy, BLT_KEY);
      break;
    case 9:  // the turn into depth: squeezed to a sliver, opened facing the other way
      if (back.lpSD)
        DDBltStripTransition(lpDst, x, y, w, h, c.lpSD, c.sx, c.sy, back.lpSD, back.sx, back.sy, w, h, BLT_KEY,
                             p.nValue, FALSE);
      else
        CharaPlainBlt(lpDst, plain);
      break;
    case 10:  // circle: the part within the radius, in bands of p4 rows
      DDBltCircle(lpDst, x + w / 2, y + h / 2, w / 2, h / 2, std::max(0, p.nValue), std::max(Param(p, 4), 1), c.lpSD,
                  c.sx + w / 2, c.sy + h / 2, BLT_KEY);
      break;
    case 12: {  // lens of depth value, its centre moved by (p4, p5)
      CharaPlainBlt(lpDst, plain);
      const int dx = Param(p, 4), dy = Param(p, 5);
      DDBltLens(lpDst, x + w / 2 + dx, y + h / 2 + dy, std::max(1, std::min(w, h) / 2), std::max(0, p.nValue), c.lpSD,
                c.sx + w / 2 + dx, c.sy + h / 2 + dy, BLT_KEY, 0);
      break;
    }
    case 13:  // colour change: over the plain draw, the chara mixed value times toward colour p4
      CharaPlainBlt(lpDst, plain);
      DDBltTint(lpDst, x, y, w, h, c.lpSD, c.sx, c.sy, BLT_KEY, g_Palette, g_ColorTable, Param(p, 4),
                std::clamp(p.nValue, 1, 4));
      break;
    case 14:  // translucent, shown plainly by turns for its interval p2 when it has one
      if (p.nFrame / std::max(Param(p, 2), 1) % 2 == 0)
        DDBlendRectAlpha(lpDst, x, y, w, h, c.lpSD, c.sx, c.sy, BLT_KEY, g_ColorTable);
      else
        CharaPlainBlt(lpDst, plain);
      break;
    case 15:  // mosaic of value-pixel blocks
      DDBltMosaic(lpDst, x, y, w, h, std::max(p.nValue, 1), c.lpSD, c.sx, c.sy, TRUE);
      break;
    case 16:  // blur of radius value; an 8-bit screen cannot blur and draws plainly
      if (g_DDDisplay.nBpp == 8)
        CharaPlainBlt(lpDst, plain);
      else
        DDBltBlur(lpDst, x, y, w, h, std::max(p.nValue, 1), std::max(p.nValue, 1), c.lpSD, c.sx, c.sy, TRUE);
      break;
    default:
      CharaPlainBlt(lpDst, plain);
      break;
  }
}

void InstallCharaEffectBlt() { SetCharaEffectBlt(&CharaEffectBlt); }
