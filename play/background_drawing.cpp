#include "play/background_drawing.h"

#include <algorithm>

#include "base/message_box.h"
#include "media/graphics/dd_pixel_effects.h"
#include "play/picture_cell.h"
#include "play/play_links.h"
#include "play/stage_block.h"
#include "play/stage_context.h"
#include "play/stage_graphics.h"
#include "play/stage_view.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

constexpr int VIEW_W = 640;
constexpr int VIEW_H = 480;
constexpr int MAX_TILES = 1000;
constexpr DWORD COLOUR_EMPTY = 16;
constexpr int SOUND_TIME_WARNING = 13;

// Only eight background surfaces exist (55 to 62); the slots after them
// hold the shot and work sheets.
DDSURFACEDATA* BackgroundSurface(int e) {
  if (e < 0 || e >= STAGESURFACE_BACKGROUND_COUNT) return nullptr;
  return StageSurface(STAGESURFACE_BACKGROUND + e);
}

int PositiveMod(int v, int n) {
  int m = v % n;
  return m < 0 ? m + n : m;
}

void TileBackground(DDSURFACEDATA* lpDst, DDSURFACEDATA* src, int ox, int oy, DWORD dwFlags) {
  const int w = src->nWidth, h = src->nHeight;
  if (w <= 0 || h <= 0) return;
  ox = PositiveMod(ox, w);
  oy = PositiveMod(oy, h);
  DDBeginBatch(0);
  int y = 0, sy = oy;
  for (int row = 0; row < MAX_TILES && y < VIEW_H; ++row) {
    const int rh = h - sy;
    int x = 0, sx = ox;
    for (int piece = 0; piece < MAX_TILES && x < VIEW_W; ++piece) {
      const int pw = w - sx;
      DDBltFast(lpDst, x, y, pw, rh, src, sx, sy, dwFlags);
      x += pw;
      sx = 0;
    }
    y += rh;
    sy = 0;
  }
  DDEndBatch();
}

void StepAxis(double& dOffset, double dRate, int nSize) {
  if (nSize <= 0) return;
  StepAutoScrollOffset(dOffset, dRate, nSize);
}

}  // namespace

int BlockDrawLayer(const cEdBlock& block) { return block.m_nSettingA; }
bool BlockHidden(const cEdBlock& block) { return block.m_nSettingB != 0; }

void DrawBackgrounds(DDSURFACEDATA* lpDst, int nLayer) {
  cVector<cEdBackground>& v = g_Stage.m_vecBackground;
  const bool bAnyShown = std::any_of(v.begin(), v.end(), [](const cEdBackground& b) { return b.m_bShown != 0; });
  if (nLayer == 0 && !bAnyShown) {
    DDFillRect(lpDst, 0, 0, VIEW_W, VIEW_H, COLOUR_EMPTY);
    return;
  }
  const double sx = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_X].dPos : 0.0;
  const double sy = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_Y].dPos : 0.0;
  bool bDrawn = false;
  for (size_t e = 0; e < v.size(); ++e) {
    cEdBackground& b = v.CheckedAt(static_cast<int>(e));
    if (!b.m_bShown || static_cast<int>(b.m_nLayer) != nLayer) continue;
    if (b.m_bFill) {
      DDFillRect(lpDst, 0, 0, VIEW_W, VIEW_H, b.m_nFillColour);
      bDrawn = true;
      continue;
    }
    DDSURFACEDATA* src = BackgroundSurface(static_cast<int>(e));
    if (!src) continue;
    const int ox = BackgroundSourceOffset(b.m_bAutoX != 0, b.m_dOffsetX, sx, b.m_dRateX);
    const int oy = BackgroundSourceOffset(b.m_bAutoY != 0, b.m_dOffsetY, sy, b.m_dRateY);
    TileBackground(lpDst, src, ox, oy, nLayer == 0 && !bDrawn ? 0 : 1);
    bDrawn = true;
  }
  if (nLayer == 0 && !bDrawn) DDFillRect(lpDst, 0, 0, VIEW_W, VIEW_H, COLOUR_EMPTY);
}

void StepBackgroundScroll() {
  cVector<cEdBackground>& v = g_Stage.m_vecBackground;
  for (size_t e = 0; e < v.size(); ++e) {
    cEdBackground& b = v[e];
    DDSURFACEDATA* src = BackgroundSurface(static_cast<int>(e));
    if (!src) continue;
    if (b.m_bAutoX) StepAxis(b.m_dOffsetX, b.m_dRateX, src->nWidth);
    if (b.m_bAutoY) StepAxis(b.m_dOffsetY, b.m_dRateY, src->nHeight);
  }
}

void DrawBlockMap(DDSURFACEDATA* lpDst, int nLayer) {
  cStageContext* ctx = g_lpStageContext;
  if (!ctx) return;
  int cx0, cy0, px0, py0;
  ViewCellOrigin(ctx->m_aScroll[SCROLL_X].dPos, cx0, px0);
  ViewCellOrigin(ctx->m_aScroll[SCROLL_Y].dPos, cy0, py0);
  DDBeginBatch(1);
  if (DDSURFACEDATA* sheet = StageSurface(IconSheet())) DDSetBatchLayer(sheet);
  const int nCols = ctx->PaddedExtent(SCROLL_X) / 32, nRows = ctx->PaddedExtent(SCROLL_Y) / 32;
  for (int r = 0; r < 16; ++r) {
    for (int c = 0; c < 21; ++c) {
      const int col = cx0 + c, row = cy0 + r;
      if (col < 0 || col >= nCols || row < 0 || row >= nRows) continue;
      const cStageBlock* cell = ctx->BlockAtCell(col, row);
      if (!cell || cell->m_nImageIndex == 0 || BlockDrawLayer(*cell) != nLayer || BlockHidden(*cell)) continue;
      if (!CheckBlockConditions(*cell)) continue;
      DrawBlock(*cell, lpDst, px0 + 32 * c, py0 + 32 * r);
    }
  }
  DDEndBatch();
}

void DrawScreenPictures(PICTURESONSHOW& pics, DDSURFACEDATA* lpDst, int nLayer, BOOL bPaused) {
  if (pics.nCount <= 0) return;
  const double sx = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_X].dPos : 0.0;
  const double sy = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_Y].dPos : 0.0;
  auto sd = pics.lstSD.begin();
  auto info = pics.lstInfo.begin();
  auto pic = pics.lstPic.begin();
  while (sd != pics.lstSD.end() && info != pics.lstInfo.end() && pic != pics.lstPic.end()) {
    if (pic->nLayer != nLayer || !DrawScreenPicture(*pic, lpDst, &*sd, bPaused, sx, sy)) {
      ++sd, ++info, ++pic;
      continue;
    }
    DDReleaseSurface(&*sd);
    sd = pics.lstSD.erase(sd);
    info = pics.lstInfo.erase(info);
    pic = pics.lstPic.erase(pic);
    --pics.nCount;
  }
}

void ClearStagePictures(PICTURESONSHOW& pics) {
  DDReleaseSurfaceArray(pics.lstSD);
  pics.lstSD.clear();
  pics.lstInfo.clear();
  pics.lstPic.clear();
  pics.nCount = 0;
}

void DrawTimeCounter(DDSURFACEDATA* lpDst, BOOL bWarn) {
  cStageContext* ctx = g_lpStageContext;
  if (!ctx || ctx->m_Timer.bFrozen) return;
  const int t = std::clamp(ctx->m_Timer.nTime, 0, STAGE_TIME_CAP);
  if (DDSURFACEDATA* word = StageSurface(STAGESURFACE_WORD)) {
    const int digits[3] = {t / 100, t / 10 % 10, t % 10};
    for (int i = 0; i < 3; ++i) DDBltFast(lpDst, 272 + 32 * i, 24, 32, 32, word, 32 * digits[i], 160, 1);
  }
  const int nWarning = static_cast<int>(std::min<uint32_t>(g_Stage.m_nWarningTime, STAGE_TIME_CAP));
  if (bWarn && t >= 1 && t <= nWarning) {
    const bool bSecond = g_PlayLinks.pfnFrameIntervalTick &&
                         g_PlayLinks.pfnFrameIntervalTick(2, static_cast<int>(g_Stage.FrameRate()));
    if (TimeWarningDue(t, nWarning, false, bSecond) && g_PlayLinks.pfnPlaySound)
      g_PlayLinks.pfnPlaySound(SOUND_TIME_WARNING);
  }
}

void CreateStageSurface(DDSURFACEDATA* lpStage, DDSURFACEDATA* lpWork, int r, int nViewMode) {
  DDReleaseSurface(lpStage);
  DDReleaseSurface(lpWork);
  // A radius past the view's size makes no smaller window and would ask
  // for a surface of any size.
  r = std::clamp(r, 0, 640);
  if (!DDCreateSurface(lpStage, 1280 + 2 * r, 960 + 2 * r, 1, 0, 0, nullptr, 0)) {
    ReportOutOfMemory();
    return;
  }
  DDFillRect(lpStage, 0, 0, lpStage->nWidth, lpStage->nHeight, COLOUR_EMPTY);
  if (r <= 0) return;
  const int cx = lpStage->nWidth / 2, cy = lpStage->nHeight / 2;
  if (nViewMode == 1 || nViewMode == 2) {
    if (!DDCreateSurface(lpWork, 2 * r, 2 * r, 1, 0, 0, nullptr, 0)) {
      ReportOutOfMemory();
      return;
    }
    // Under DirectDraw a full-colour project keys its own transparent
    // colour, a palette one palette colour 0. Direct3D's textures take
    // palette colour 0 as transparent in either.
    if (g_System.m_nColourMode != 0 && !lpDTCon)
      DDFillSurfaceRGB(lpWork, static_cast<DWORD>(g_System.m_byTransR) << 16 |
                                   static_cast<DWORD>(g_System.m_byTransG) << 8 | g_System.m_byTransB);
    else
      DDFillRect(lpWork, 0, 0, 2 * r, 2 * r, 0);
    // The disc of colour 0: the work square's circle, one row at a time.
    DDBltCircle(lpStage, cx, cy, r, r, r, 1, lpWork, r, r, 0);
  } else {
    DDFillRect(lpStage, cx - r, cy - r, 2 * r, 2 * r, 0);
  }
}
