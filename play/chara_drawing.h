// Drawing the live objects once per frame: a chara's pattern from its
// animations, its picture cell by facing, the draw routine of its running
// chara effect and its icon; and an item's cell and icon.
#pragma once

#include "play/live_chara.h"

struct DDSURFACEDATA;

// What a draw routine hands to the drawing operation: the chara's cell (and
// the same cell facing the other way), where it goes on the screen, the
// work surface a scaled chara is drawn into first, and the effect's kind,
// strength and values this frame.
struct CHARADRAWPARAMS {
  DDSURFACEDATA* lpSrc = nullptr;  // the sheet; null draws nothing
  DDSURFACEDATA* lpSrcOpposite = nullptr;
  DDSURFACEDATA* lpWork = nullptr;  // the zoom work surface
  int sx = 0, sy = 0, sw = 0, sh = 0;  // source cell
  int x = 0, y = 0, w = 0, h = 0;      // screen box
  int nScale = 1;
  int nKind = 0;   // the CharaEffect record's kind, 0 to 16
  int nValue = 0;  // the effect's current value truncated, times the scale
  int nParam[5] = {0, 0, 0, 0, 0};  // the record's values p1 to p5
  int nFrame = 0;  // frames the effect has run
};

constexpr int CHARADRAW_KINDS = 17;

// The transforming operation of kinds 1 to 5 and 7 to 16 (burst, split,
// wave, rotation, turn, circle, enlargement, lens, colour change,
// translucency, mosaic, blur) lives in the media layer's effect blits;
// start-up installs the function that calls them. Until then, and for kind
// 0, the chara is drawn plainly; kind 6 blinks it.
typedef void (*CHARAEFFECTBLT)(DDSURFACEDATA* lpDst, const CHARADRAWPARAMS& p);
void SetCharaEffectBlt(CHARAEFFECTBLT pfn);
// What start-up installed (its test reads it).
CHARAEFFECTBLT CharaEffectBltHookForTests();
// The plain draw: keyed, or stretched by the scale.
void CharaPlainBlt(DDSURFACEDATA* lpDst, const CHARADRAWPARAMS& p);

// A draw routine: draws when bDraw is set, then steps the effect unless
// paused; 1 when the effect has finished.
typedef int (*CHARADRAWFUNC)(cChara& chara, DDSURFACEDATA* lpDst, CHARADRAWPARAMS& p, int bPaused, int bDraw);
extern const CHARADRAWFUNC g_CharaDrawFunc[CHARADRAW_KINDS];

// The pattern to draw: the chara's animation and its unpaused overrides
// advance (unless paused); a priority override before an ordinary one, and
// among them the one with the fewest frames left.
int CharaCurrentPattern(cChara& chara, int bPaused);
// The picture number; *lpColourChange (may be null) gets 0: no colour
// variant is kept for live charas.
int CharaPictureNumber(const cChara& chara, int* lpColourChange);
// The draw parameters of the chara's cell at its screen box.
CHARADRAWPARAMS CharaDrawParams(cChara& chara, int nPattern);

// The frame's draw of a live chara or player; the routine's result.
int CharaDraw(cChara& chara, DDSURFACEDATA* lpDst, int bPaused);
// The defeated chara's frame; 1 when the defeat is over.
int CharaDrawDefeated(cChara& chara, DDSURFACEDATA* lpDst, int bPaused);

// An item's frame: its cell (stretched by its scale) and its icon.
void ItemDraw(cItemObj& item, DDSURFACEDATA* lpDst, bool bFrozen);
