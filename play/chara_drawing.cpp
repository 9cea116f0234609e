// Chara drawing and the seventeen draw routines of the chara effects.
#include "play/chara_drawing.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cstdint>

#include "media/graphics/dd.h"
#include "play/effect_runs.h"
#include "play/item_object.h"
#include "play/picture_cell.h"
#include "play/play_math.h"
#include "play/stage_context.h"
#include "play/stage_graphics.h"
#include "play/target_index.h"
#include "records/database.h"
#include "records/stage.h"

namespace {

// Installed once at start-up before play begins; read by the game thread.
std::atomic<CHARAEFFECTBLT> s_pfnEffectBlt{nullptr};

constexpr DWORD BLT_COLOUR_KEY = 1;
constexpr int ICON_CELL = 32;
constexpr int ICONS_PER_ROW = 15;

DDSURFACEDATA* SheetSurface(int nSheet, bool bOwnList) {
  return bOwnList ? PictureSetSurface(g_SpecialBmps, nSheet) : StageSurface(nSheet);
}

int EffectKind(const EFFECTRUN& run) { return run.nEffect != 0 && run.lpRecord ? run.lpRecord->nKind : 0; }

// Kind 6 shows and hides the chara by turns, for its record's interval in
// frames (p2).
bool BlinkShows(const CHARADRAWPARAMS& p) { return p.nFrame / std::max(p.nParam[1], 1) % 2 == 0; }

template <int KIND>
int DrawRoutine(cChara& chara, DDSURFACEDATA* lpDst, CHARADRAWPARAMS& p, int bPaused, int bDraw) {
  EFFECTRUN& run = chara.m_Effect;
  if (bDraw) {
    p.nKind = KIND;
    p.nValue = static_cast<int>(run.dCurrent);
    if (p.nScale > 1) p.nValue *= p.nScale;
    if (run.lpRecord)
      for (int i = 0; i < 5; ++i) p.nParam[i] = run.lpRecord->anParam[i];
    p.nFrame = static_cast<int>(std::min<uint32_t>(run.nFrame, INT32_MAX));
    CHARAEFFECTBLT pfn = s_pfnEffectBlt.load();
    if (KIND == 6) {
      if (BlinkShows(p)) CharaPlainBlt(lpDst, p);
    } else if (KIND == 0 || !pfn) {
      CharaPlainBlt(lpDst, p);
    } else {
      pfn(lpDst, p);
    }
  }
  if (bPaused || run.nEffect == 0) return 0;
  ++run.nFrame;
  return CharaEffectStep(run);
}

// The routine of the running effect. The kind comes from the database
// unchecked: a kind outside the table draws plainly and ends the effect.
int RunRoutine(cChara& chara, DDSURFACEDATA* lpDst, CHARADRAWPARAMS& p, int bPaused, int bDraw) {
  const int nKind = EffectKind(chara.m_Effect);
  if (nKind < 0 || nKind >= CHARADRAW_KINDS) {
    if (bDraw) CharaPlainBlt(lpDst, p);
    EffectRunReset(chara.m_Effect);
    return 1;
  }
  return g_CharaDrawFunc[nKind](chara, lpDst, p, bPaused, bDraw);
}

// The chara's mark, shown over it: cell m of the icon sheet (15 cells a
// row), stretched by the chara's scale.
void DrawIcon(const cChara& chara, DDSURFACEDATA* lpDst) {
  DDSURFACEDATA* icons = SheetSurface(IconSheet(), false);
  const int nMark = chara.m_nMark;
  if (!lpDst || !icons || nMark <= 0) return;
  const int sx = nMark % ICONS_PER_ROW * ICON_CELL;
  const int sy = nMark / ICONS_PER_ROW * ICON_CELL;
  // The number comes from a flow; a cell outside the sheet is not drawn.
  if (sx + ICON_CELL > icons->nWidth || sy + ICON_CELL > icons->nHeight) return;
  const int x = chara.m_rcScreen.left, y = chara.m_rcScreen.top;
  const int nScale = chara.m_Def.m_nScale;
  if (nScale > 1) {
    // Past 32 the icon covers the screen anyway.
    const int n = ICON_CELL * std::min(nScale, 32);
    DDBltStretchBlend(lpDst, x, y, n, n, icons, sx, sy, ICON_CELL, ICON_CELL, BLT_COLOUR_KEY, nullptr);
  } else {
    DDBltFast(lpDst, x, y, ICON_CELL, ICON_CELL, icons, sx, sy, BLT_COLOUR_KEY);
  }
}

// The effect's routine; its number is cleared when it reports the end.
int RunAndClear(cChara& chara, DDSURFACEDATA* lpDst, CHARADRAWPARAMS& p, int bPaused, int bDraw) {
  const int r = RunRoutine(chara, lpDst, p, bPaused, bDraw);
  if (r) chara.m_Effect.nEffect = 0;
  return r;
}

// The screen box from the position; a chara pinned to the screen (by a
// warp to screen coordinates) keeps its pinned place however the view
// scrolls.
void RefreshScreenBox(cChara& chara) {
  if (g_lpStageContext) chara.UpdateScreenRect();
  if (chara.m_abPinned[0]) {
    chara.m_rcScreen.left = TruncToInt(chara.m_dPinX) - chara.m_nImgOffsetX;
    chara.m_rcScreen.right = chara.m_rcScreen.left + chara.m_nImgW - 1;
  }
  if (chara.m_abPinned[1]) {
    chara.m_rcScreen.top = TruncToInt(chara.m_dPinY) - chara.m_nImgOffsetY;
    chara.m_rcScreen.bottom = chara.m_rcScreen.top + chara.m_nImgH - 1;
  }
  NoteScreenBoxMoved(chara);
}

}  // namespace

const CHARADRAWFUNC g_CharaDrawFunc[CHARADRAW_KINDS] = {
    &DrawRoutine<0>,  &DrawRoutine<1>,  &DrawRoutine<2>,  &DrawRoutine<3>,  &DrawRoutine<4>,  &DrawRoutine<5>,
    &DrawRoutine<6>,  &DrawRoutine<7>,  &DrawRoutine<8>,  &DrawRoutine<9>,  &DrawRoutine<10>, &DrawRoutine<11>,
    &DrawRoutine<12>, &DrawRoutine<13>, &DrawRoutine<14>, &DrawRoutine<15>, &DrawRoutine<16>};

void SetCharaEffectBlt(CHARAEFFECTBLT pfn) { s_pfnEffectBlt.store(pfn); }
CHARAEFFECTBLT CharaEffectBltHookForTests() { return s_pfnEffectBlt.load(); }

void CharaPlainBlt(DDSURFACEDATA* lpDst, const CHARADRAWPARAMS& p) {
  if (!lpDst || !p.lpSrc || p.w <= 0 || p.h <= 0) return;
  if (p.w == p.sw && p.h == p.sh)
    DDBltFast(lpDst, p.x, p.y, p.w, p.h, p.lpSrc, p.sx, p.sy, BLT_COLOUR_KEY);
  else
    DDBltStretchBlend(lpDst, p.x, p.y, p.w, p.h, p.lpSrc, p.sx, p.sy, p.sw, p.sh, BLT_COLOUR_KEY, nullptr);
}

int CharaCurrentPattern(cChara& chara, int bPaused) {
  CHARAANIME& a = chara.m_Anime;
  if (!bPaused) {
    a.Player.Update();
    for (auto it = a.lstOverride.begin(); it != a.lstOverride.end();) {
      if (it->bPaused) {
        ++it;
        continue;
      }
      // An override has ended at its animation's end code, or when its time
      // has run out (an animation that loops plays once).
      if (it->Anime.Update() < 0 || it->Anime.vAnime.empty() || it->nFrames <= 0) {
        it = a.lstOverride.erase(it);
        continue;
      }
      --it->nFrames;
      ++it;
    }
  }
  ANIMEOVERRIDE* lpBest = nullptr;
  for (ANIMEOVERRIDE& o : a.lstOverride) {
    if (o.bPaused) continue;
    // Ties keep the earlier override.
    if (!lpBest || (o.bPriority && !lpBest->bPriority) ||
        (o.bPriority && lpBest->bPriority && o.nFrames < lpBest->nFrames))
      lpBest = &o;
  }
  if (lpBest) return lpBest->Anime.GetPattern();
  return a.Player.GetPattern();
}

int CharaPictureNumber(const cChara& chara, int* lpColourChange) {
  if (lpColourChange) *lpColourChange = 0;
  int n = chara.m_Def.m_nImageIndex;
  const cVector<cEdAnimeSet>& sets = g_Database.m_vecAnimeSet;
  if (chara.m_nPictureVariant == 0 || chara.m_Def.m_nAnimeSet >= sets.size()) return n;
  const cEdAnimeSet& set = sets[chara.m_Def.m_nAnimeSet];
  // The first flag takes the set's third offset, the third its first.
  const int32_t anOffset[3] = {set.nPictureOffset3, set.nPictureOffset2, set.nPictureOffset1};
  // The offsets are any 32-bit values of the database: summed wide and held
  // to the int range, so that no sum wraps round.
  int64_t nSum = n;
  for (int k = 0; k < 3; ++k)
    if (chara.m_nPictureVariant & (1 << k)) nSum += anOffset[k];
  return static_cast<int>(std::clamp<int64_t>(nSum, INT32_MIN, INT32_MAX));
}

CHARADRAWPARAMS CharaDrawParams(cChara& chara, int nPattern) {
  CHARADRAWPARAMS p;
  const int nPicture = CharaPictureNumber(chara, nullptr);
  const IMAGESOURCERECT src = GetImageSourceRect(IMAGEUSE_CHARA, chara.m_Def.m_nImageKind, nPicture,
                                                 chara.m_Def.m_nImageSub, chara.m_nDir, nPattern);
  p.lpSrc = SheetSurface(src.nDrawSheet, src.bOwnList);
  p.lpSrcOpposite = SheetSurface(src.nDrawSheetOpposite, src.bOwnList);
  p.lpWork = StageSurface(SecondGlobalSheet());
  const int nCell = src.bOwnCell ? src.nCellScale : 1;
  p.sx = src.x;
  p.sy = src.y;
  p.sw = chara.m_nImgW0 * nCell;
  p.sh = chara.m_nImgH0 * nCell;
  p.x = chara.m_rcScreen.left;
  p.y = chara.m_rcScreen.top;
  p.w = chara.m_nImgW;
  p.h = chara.m_nImgH;
  p.nScale = chara.m_Def.m_nScale > 1 ? chara.m_Def.m_nScale : 1;
  return p;
}

int CharaDraw(cChara& chara, DDSURFACEDATA* lpDst, int bPaused) {
  const int nPattern = CharaCurrentPattern(chara, bPaused);
  // A transparent chara, or one that vanished and waits for the sweep.
  if (chara.m_bRemoved || chara.m_bTransparent) {
    CHARADRAWPARAMS p;
    return RunAndClear(chara, lpDst, p, bPaused, 0);
  }
  RefreshScreenBox(chara);
  CHARADRAWPARAMS p = CharaDrawParams(chara, nPattern);
  const int r = RunAndClear(chara, lpDst, p, bPaused, 1);
  DrawIcon(chara, lpDst);
  return r;
}

int CharaDrawDefeated(cChara& chara, DDSURFACEDATA* lpDst, int bPaused) {
  const bool bPlayer = chara.IsPlayer();
  const bool bHadEffect = chara.m_Effect.nEffect != 0;
  if (!bPlayer && !bHadEffect) return 1;
  RefreshScreenBox(chara);
  CHARADRAWPARAMS p = CharaDrawParams(chara, chara.m_Anime.Player.GetPattern());
  const int r = RunAndClear(chara, lpDst, p, bPaused, 1);
  if (!bPlayer) return r;
  if (bHadEffect) return 0;
  if (!bPaused) ++chara.m_nDefeatFrames;
  if (chara.m_nDefeatFrames <= static_cast<int>(g_Stage.FrameRate())) return 0;
  chara.m_nDefeatFrames = 0;
  return 1;
}

void ItemDraw(cItemObj& item, DDSURFACEDATA* lpDst, bool bFrozen) {
  const ITEMDRAW d = ItemObjDraw(item, bFrozen);
  if (!d.bVisible || !lpDst) return;
  const int x = d.rcDest.left, y = d.rcDest.top;
  const int w = d.rcDest.right - d.rcDest.left, h = d.rcDest.bottom - d.rcDest.top;
  if (DDSURFACEDATA* src = SheetSurface(d.src.nDrawSheet, d.src.bOwnList)) {
    if (d.bStretch)
      DDBltStretchBlend(lpDst, x, y, w, h, src, d.src.x, d.src.y, d.nSrcW, d.nSrcH, BLT_COLOUR_KEY, nullptr);
    else
      DDBltFast(lpDst, x, y, w, h, src, d.src.x, d.src.y, BLT_COLOUR_KEY);
  }
  if (!d.bIcon) return;
  DDSURFACEDATA* icons = SheetSurface(IconSheet(), false);
  // The icon number comes from the file; a cell outside the sheet is not
  // drawn.
  if (!icons || d.nIconX + ICON_CELL > icons->nWidth || d.nIconY + ICON_CELL > icons->nHeight) return;
  if (d.bIconStretch)
    DDBltStretchBlend(lpDst, x, y, w, h, icons, d.nIconX, d.nIconY, ICON_CELL, ICON_CELL, BLT_COLOUR_KEY, nullptr);
  else
    DDBltFast(lpDst, x, y, ICON_CELL, ICON_CELL, icons, d.nIconX, d.nIconY, BLT_COLOUR_KEY);
}
