#include "play/stage_context.h"

#include <algorithm>
#include <new>

#include "base/report.h"
#include "play/game_object.h"
#include "play/play_links.h"
#include "play/play_math.h"
#include "play/stage_block.h"

cStageContext::cStageContext() = default;

void cStageContext::SetupAxes(const cEdStage& stage) {
  // The bounded map keeps every pixel extent derived from it inside an int.
  m_anCells[SCROLL_X] = static_cast<int>(stage.MapWidth());
  m_anCells[SCROLL_Y] = static_cast<int>(stage.MapHeight());
  m_nRowShift = stage.MapRowShift();
  struct AXISSOURCE {
    int nView;
    uint32_t bAuto;
    int32_t nSpeed;
    uint32_t bNear, nNear, bFar, nFar;
  };
  const AXISSOURCE src[2] = {
      {640, stage.m_nScrollKindX, stage.m_nAutoScrollX, stage.m_bStopLeft, stage.m_nStopLeft, stage.m_bStopRight,
       stage.m_nStopRight},
      {480, stage.m_nScrollKindY, stage.m_nAutoScrollY, stage.m_bStopTop, stage.m_nStopTop, stage.m_bStopBottom,
       stage.m_nStopBottom},
  };
  for (int axis = 0; axis < 2; ++axis) {
    const AXISSOURCE& a = src[axis];
    SCROLLAXIS& ax = m_aScroll[axis];
    ax = SCROLLAXIS{};
    ax.nView = a.nView;
    ax.nCellOrigin = STAGE_MARGIN;
    ax.nFullMax = std::max(0, (m_anCells[axis] + STAGE_MARGIN_CELLS) * 32);
    SetScrollSpeed(axis, a.bAuto == 1, a.nSpeed);
    SetScrollRange(axis, static_cast<int32_t>(a.nNear), static_cast<int32_t>(a.nFar), a.bNear != 0, a.bFar != 0);
    // The stops were bounded by the stage's size when it was read; keep
    // them inside the padded stage all the same.
    ax.nMin = std::clamp(ax.nMin, 0, PaddedExtent(axis));
    ax.nMax = std::clamp(ax.nMax, 0, PaddedExtent(axis));
    ClampScroll(axis);
  }
}

BOOL cStageContext::BuildBlockMap(const cEdStage& stage) {
  const int w = m_anCells[SCROLL_X] + 2 * STAGE_MARGIN_CELLS;
  const int h = m_anCells[SCROLL_Y] + 2 * STAGE_MARGIN_CELLS;
  // The stage's bounded map holds at most STAGE_MAX_MAP_CELLS cells.
  const size_t nCells = static_cast<size_t>(h) << m_nRowShift;
  try {
    // An empty cell: a fresh block with no picture that meets nothing.
    cStageBlock fill;
    fill.m_nImageIndex = 0;
    fill.m_nHitKind = BLOCKHIT_NONE;
    fill.m_byRunFlag = 0;
    g_vBlockMap.assign(nCells, fill);
  } catch (const std::bad_alloc&) {
    Reportf("no memory for a block map of %d x %d cells", w, h);
    g_vBlockMap.clear();
    return FALSE;
  }
  for (const cEdBlock& b : stage.m_vecBlock) {
    if (!stage.PlacementInMap(b.m_nColumn, b.m_nRow)) continue;
    const size_t i =
        (static_cast<size_t>(b.m_nRow + STAGE_MARGIN_CELLS) << m_nRowShift) + b.m_nColumn + STAGE_MARGIN_CELLS;
    static_cast<cEdBlock&>(g_vBlockMap[i]) = b;
  }
  return TRUE;
}

double cStageContext::FollowScrollSpeed(int axis) const {
  const SCROLLAXIS& a = m_aScroll[axis];
  if (!a.bMoving || a.dSpeed == 0.0 || a.bClamped) return 0.0;
  return a.dSpeed;
}

void cStageContext::ClampScroll(int axis) {
  SCROLLAXIS& a = m_aScroll[axis];
  if (a.nMin > a.dPos) {
    a.dPos = a.nMin;
    a.bClamped = 1;
  } else if (a.dPos + a.nView < a.nMax) {
    a.bClamped = 0;
  } else {
    a.dPos = static_cast<double>(a.nMax) - a.nView;
    if (a.dPos < a.nMin) a.dPos = a.nMin;
    a.bClamped = 1;
  }
}

void cStageContext::StepScroll(int axis) {
  m_aScroll[axis].dPos += m_aScroll[axis].dSpeed;
  ClampScroll(axis);
}

int cStageContext::SetScrollSpeed(int axis, BOOL bOn, int32_t nValue) {
  SCROLLAXIS& a = m_aScroll[axis];
  if (bOn) {
    a.dSpeed = nValue * 0.1 / SpeedDivisor();
    a.bMoving = 1;
  } else {
    a.dSpeed = 0.0;
    a.bMoving = 0;
  }
  return 0;
}

void cStageContext::SetScrollRange(int axis, int32_t nFirst, int32_t nLast, BOOL bUseFirst, BOOL bUseLast) {
  SCROLLAXIS& a = m_aScroll[axis];
  const int64_t lo = bUseFirst ? a.nCellOrigin + static_cast<int64_t>(nFirst) * 32 : a.nCellOrigin;
  int64_t hi = bUseLast ? a.nCellOrigin + (static_cast<int64_t>(nLast) + 1) * 32 : a.nFullMax;
  if (hi < lo) hi = lo;
  // Cell numbers come from the stage file; keep the pixels in an int.
  a.nMin = static_cast<int32_t>(std::clamp<int64_t>(lo, INT32_MIN / 2, INT32_MAX / 2));
  a.nMax = static_cast<int32_t>(std::clamp<int64_t>(hi, INT32_MIN / 2, INT32_MAX / 2));
}

void cStageContext::TickPlayTimer() {
  if (m_Timer.nElapsed >= PLAY_TIME_CAP) return;
  ++m_Timer.nFrames;
  const uint64_t n = static_cast<uint64_t>(m_Timer.nFrames) * 100u / 60u;
  m_Timer.nElapsed = static_cast<int32_t>(std::min<uint64_t>(n, PLAY_TIME_CAP));
}

int cStageContext::TickStageTimeLimit(int32_t nDelta) {
  if (m_Timer.bFrozen) return 0;
  bool bSecond;
  if (g_PlayLinks.pfnFrameIntervalTick) {
    bSecond = g_PlayLinks.pfnFrameIntervalTick(1, 60);
  } else {
    bSecond = ++m_nTimeTick >= 60;
    if (bSecond) m_nTimeTick = 0;
  }
  if (!bSecond) return 0;
  int64_t t = static_cast<int64_t>(m_Timer.nTime) + nDelta;
  if (t > STAGE_TIME_CAP) t = STAGE_TIME_CAP;
  if (t < 1) {
    m_Timer.nTime = 0;
    return 1;
  }
  m_Timer.nTime = static_cast<int32_t>(t);
  return 0;
}

cStageBlock* cStageContext::BlockAtCell(int col, int row) {
  // Cells outside the map pass: a probe there has nothing to meet.
  if (col < 0 || row < 0 || col >= (1 << m_nRowShift)) return nullptr;
  const size_t i = (static_cast<size_t>(row) << m_nRowShift) + static_cast<size_t>(col);
  if (i >= g_vBlockMap.size()) return nullptr;
  return &g_vBlockMap[i];
}

cStageBlock* cStageContext::BlockAtPixel(int x, int y) { return BlockAtCell(x >> 5, y >> 5); }

int cStageContext::HitKindOf(const cStageBlock* cell, int nSide) {
  if (!cell) return 0;
  return static_cast<int8_t>(cell->GetHitKind(nSide));
}
