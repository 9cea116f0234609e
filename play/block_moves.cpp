// Movement against the block map: after an object has stepped along one
// axis, the cells under the box's edges are probed and a solid block puts
// the edge exactly against the cell boundary. Results are 0, or 2 when the
// object met a block that kills it (or, for move type (1, 2), any block).
//
// The geometry (position, speeds, the move hooks) applies to every object;
// the contact flags, air time, jump state and triggers only to charas.

#include <cstdlib>

#include "play/game_object.h"
#include "play/play_math.h"
#include "play/stage_block.h"
#include "play/stage_context.h"

namespace {

// Scales below 1 would leave the scans without a step; they count as 1.
int ScaleOf(cGameObj& o) {
  BLOCKCONTACT* c = o.Contact();
  return (c && c->m_nScale >= 1) ? c->m_nScale : 1;
}

// The choice along a horizontal edge: the stronger kind, or the same kind
// nearer the middle; the first stays on a tie.
struct EDGEBEST {
  int nKind = -1;
  int nDist = 0;
  const cStageBlock* lpCell = nullptr;
  void Offer(const cStageBlock* cell, int nKind2, int nDist2) {
    if (nKind2 > nKind || (nKind2 == nKind && nDist2 < nDist)) {
      nKind = nKind2;
      nDist = nDist2;
      lpCell = cell;
    }
  }
};

// Positions far outside the map stay comparable without overflowing.
int DistOf(int64_t x, int64_t nMiddle) {
  int64_t d = x > nMiddle ? x - nMiddle : nMiddle - x;
  return d > INT32_MAX ? INT32_MAX : static_cast<int>(d);
}

}  // namespace

const cStageBlock* cStageContext::ScanEdgeCells(cGameObj& obj, int x1, int y1, int x2, int y2) {
  const int nSamples = ScaleOf(obj) + 1;
  if (x1 == x2) {
    int nBest = -1;
    const cStageBlock* lpBest = nullptr;
    for (int i = 0; i < nSamples; ++i) {
      const int64_t y = y1 + static_cast<int64_t>(i) * (obj.m_nBoxH0 - 1);
      const cStageBlock* cell = BlockAtCell(x1 >> 5, static_cast<int>(y >> 5));
      const int k = HitKindOf(cell, obj.m_nSide);
      if (k > nBest) nBest = k, lpBest = cell;
    }
    return lpBest;
  }
  if (y1 == y2) {
    const int64_t nMiddle = (static_cast<int64_t>(x1) + x2) >> 1;
    EDGEBEST best;
    for (int i = 0; i < nSamples; ++i) {
      const int64_t x = x1 + static_cast<int64_t>(i) * (obj.m_nBoxW0 - 1);
      const cStageBlock* cell = BlockAtCell(static_cast<int>(x >> 5), y1 >> 5);
      best.Offer(cell, HitKindOf(cell, obj.m_nSide), DistOf(x, nMiddle));
    }
    return best.lpCell;
  }
  return nullptr;
}

const cStageBlock* cStageContext::ScanFootCells(cGameObj& obj) {
  const int nScale = ScaleOf(obj);
  const int nCount = (nScale % 2 == 0) ? nScale + 1 : nScale + 2;
  const int nStep = obj.m_nBoxW / (nCount - 1);
  const int xl = TruncToInt(obj.m_dX);
  const int xr = TruncToInt(obj.m_dRight);
  const int row = TruncToInt(obj.m_dBottom) >> 5;
  const int64_t nMiddle = (static_cast<int64_t>(xr) + xl) >> 1;
  EDGEBEST best;
  for (int i = 0; i < nCount; ++i) {
    const int64_t x = (i == nCount - 1) ? xr : xl + static_cast<int64_t>(i) * nStep;
    const cStageBlock* cell = BlockAtCell(static_cast<int>(x >> 5), row);
    best.Offer(cell, HitKindOf(cell, obj.m_nSide), DistOf(x, nMiddle));
  }
  return best.lpCell;
}

const cStageBlock* cStageContext::BestCornerCell(int colLeft, int rowTop, int colRight, int rowBottom, int nSide) {
  const int corners[4][2] = {{colLeft, rowTop}, {colRight, rowTop}, {colLeft, rowBottom}, {colRight, rowBottom}};
  int nBest = -1;
  const cStageBlock* lpBest = nullptr;
  for (const auto& c : corners) {
    const cStageBlock* cell = BlockAtCell(c[0], c[1]);
    const int k = HitKindOf(cell, nSide);
    if (k > nBest) nBest = k, lpBest = cell;
  }
  return lpBest;
}

int cStageContext::SideWall(cGameObj& obj, bool bLeft) {
  if (PassesBlocks(obj)) return 0;
  const int x = TruncToInt(bLeft ? obj.m_dX : obj.m_dRight);
  const cStageBlock* cell = ScanEdgeCells(obj, x, TruncToInt(obj.m_dY), x, TruncToInt(obj.m_dBottom));
  const int nKind = HitKindOf(cell, obj.m_nSide);
  if (nKind == 0) return 0;
  if (nKind == 2 && obj.m_nType != 1) return 2;
  if (nKind != 1 && nKind != 2) return 0;
  if (EndsOnBlocks(obj)) return 2;
  BLOCKCONTACT* c = obj.Contact();
  if (bLeft) {
    if (c) c->m_bTouchLeft = 1;
    obj.m_dX += 32 - (TruncToInt(obj.m_dX) & 31);
  } else {
    if (c) c->m_bTouchRight = 1;
    obj.m_dX -= (TruncToInt(obj.m_dRight) & 31) + 1;
  }
  obj.m_dSpeedX2 = 0.0;
  obj.SyncBoxX();
  obj.OnMovedX();
  if (c) {
    c->m_nWallSide = bLeft ? 0 : 1;
    obj.RaiseTrigger(TRIGGER_HIT_BLOCK);
    obj.RaiseTrigger(TRIGGER_BLOCK_LEFT_RIGHT);
    obj.RaiseTrigger(bLeft ? TRIGGER_BLOCK_LEFT : TRIGGER_BLOCK_RIGHT);
  }
  return 0;
}

int cStageContext::HitLeftWall(cGameObj& obj) { return SideWall(obj, true); }
int cStageContext::HitRightWall(cGameObj& obj) { return SideWall(obj, false); }

void cStageContext::CharaLand(cGameObj& obj) {
  BLOCKCONTACT* c = obj.Contact();
  obj.m_dSpeedY = 0.0;
  obj.m_dSpeedY2 = 0.0;
  if (c) {
    c->m_bTouchBottom = 1;
    c->m_nAirFrames = 0;
    c->m_bFalling = 0;
    c->m_bJumpA = 0;
    c->m_bJumpB = 0;
    c->m_bKnockedBack = 0;
    if (obj.m_nType != 0) c->m_bJumpC = 0;
  }
  obj.m_dY -= (TruncToInt(obj.m_dBottom) & 31) + 1;
  obj.SyncBoxY();
  obj.OnMovedY();
  if (c) {
    obj.RaiseTrigger(TRIGGER_HIT_BLOCK);
    obj.RaiseTrigger(TRIGGER_BLOCK_UP_DOWN);
    obj.RaiseTrigger(TRIGGER_BLOCK_DOWN);
  }
}

void cStageContext::CharaHitCeiling(cGameObj& obj) {
  BLOCKCONTACT* c = obj.Contact();
  if (c) {
    c->m_bJumpA = 1;
    c->m_bJumpB = 1;
    c->m_bJumpC = 1;
    c->m_bTouchTop = 1;
  }
  obj.m_dSpeedY = 0.0;
  obj.m_dSpeedY2 = 0.0;
  obj.m_dY += 32 - (TruncToInt(obj.m_dY) & 31);
  obj.SyncBoxY();
  obj.OnMovedY();
  if (c) {
    obj.RaiseTrigger(TRIGGER_HIT_BLOCK);
    obj.RaiseTrigger(TRIGGER_BLOCK_UP_DOWN);
    obj.RaiseTrigger(TRIGGER_BLOCK_UP);
  }
}

int cStageContext::FloorEdge(cGameObj& obj, bool bCountAir) {
  BLOCKCONTACT* c = obj.Contact();
  const int yb = TruncToInt(obj.m_dBottom);
  const cStageBlock* cell = ScanEdgeCells(obj, TruncToInt(obj.m_dX), yb, TruncToInt(obj.m_dRight), yb);
  if (c) c->m_lpFloorBlock = cell;
  const int nKind = HitKindOf(cell, obj.m_nSide);
  if (nKind == 1) {
    if (EndsOnBlocks(obj)) return 2;
    if (c) {
      if (obj.m_nType == 0) c->m_lpFloorBlock = ScanFootCells(obj);
      c->m_lpLandBlock = c->m_lpFloorBlock;
    }
    CharaLand(obj);
    return 0;
  }
  if (nKind == 2) {
    if (c) c->m_lpLandBlock = c->m_lpFloorBlock;
    if (obj.m_nType != 1) return 2;
    if (EndsOnBlocks(obj)) return 2;
    CharaLand(obj);
    return 0;
  }
  if (!bCountAir || !c) return 0;
  c->m_lpFloorBlock = nullptr;
  c->m_nAirFrames += 1;
  if (c->m_nAirFrames == 8 * SpeedDivisorInt()) {
    if (obj.m_nType != 0) {
      c->m_bFalling = 1;
    } else if (!c->m_bRidingChara) {
      c->m_bFalling = 1;
      BLOCKCONTACT* p = m_lpPlayer1 ? m_lpPlayer1->Contact() : nullptr;
      if (p) p->m_bFellOff = 1;
    }
  }
  return 0;
}

int cStageContext::CeilingEdge(cGameObj& obj) {
  const int yt = TruncToInt(obj.m_dY);
  const cStageBlock* cell = ScanEdgeCells(obj, TruncToInt(obj.m_dX), yt, TruncToInt(obj.m_dRight), yt);
  const int nKind = HitKindOf(cell, obj.m_nSide);
  if (nKind == 2 && obj.m_nType != 1) return 2;
  if (nKind != 1 && nKind != 2) return 0;
  if (EndsOnBlocks(obj)) return 2;
  CharaHitCeiling(obj);
  return 0;
}

int cStageContext::HitFloorBlock(cGameObj& obj) {
  if (PassesBlocks(obj)) return 0;
  return FloorEdge(obj, true);
}

int cStageContext::HitCeilingBlock(cGameObj& obj) {
  if (PassesBlocks(obj)) return 0;
  return CeilingEdge(obj);
}

int cStageContext::BlockMoveX(cGameObj& obj) {
  if (PassesBlocks(obj)) return 0;
  const bool bRightFirst = FixedBlockOrder(obj) || obj.m_dSpeedX > 0.0;
  if (bRightFirst) {
    if (HitRightWall(obj) == 2) return 2;
    return HitLeftWall(obj) == 2 ? 2 : 0;
  }
  if (HitLeftWall(obj) == 2) return 2;
  return HitRightWall(obj) == 2 ? 2 : 0;
}

int cStageContext::BlockRecheckX(cGameObj& obj) {
  if (PassesBlocks(obj)) return 0;
  if (HitRightWall(obj) == 2) return 2;
  return HitLeftWall(obj) == 2 ? 2 : 0;
}

int cStageContext::BlockMoveY(cGameObj& obj) {
  if (PassesBlocks(obj)) return 0;
  if (BLOCKCONTACT* c = obj.Contact()) c->m_lpFloorBlock = nullptr;
  const bool bFloorFirst = FixedBlockOrder(obj) || obj.m_dSpeedY > 0.0;
  if (bFloorFirst) {
    if (HitFloorBlock(obj) == 2) return 2;
    return HitCeilingBlock(obj) == 2 ? 2 : 0;
  }
  if (HitCeilingBlock(obj) == 2) return 2;
  return HitFloorBlock(obj) == 2 ? 2 : 0;
}

int cStageContext::BlockRecheckY(cGameObj& obj) {
  if (PassesBlocks(obj)) return 0;
  if (FloorEdge(obj, false) == 2) return 2;
  return CeilingEdge(obj) == 2 ? 2 : 0;
}

void cStageContext::KeepInViewX(cGameObj& obj) {
  if (!m_aScroll[SCROLL_X].bMoving && obj.m_nNoGravity == 0) return;
  obj.UpdateScreenRectScrolled();
  BLOCKCONTACT* c = obj.Contact();
  const double sx = m_aScroll[SCROLL_X].dPos;
  if (obj.m_rcScreen.left + obj.m_nImgOffsetX < 0) {
    if (c) c->m_bTouchLeft = 1;
    obj.m_dX = sx;
  } else if (obj.m_rcScreen.right - obj.m_nImgOffsetX + 1 >= 640) {
    if (c) c->m_bTouchRight = 1;
    obj.m_dX = sx + 640.0 - obj.m_nBoxW - 1.0;
  } else {
    return;
  }
  obj.SyncBoxX();
  obj.OnMovedX();
}

int cStageContext::KeepInViewY(cGameObj& obj) {
  if (!m_aScroll[SCROLL_Y].bMoving && obj.m_nNoGravity == 0) return 0;
  obj.UpdateScreenRectScrolled();
  BLOCKCONTACT* c = obj.Contact();
  const double sy = m_aScroll[SCROLL_Y].dPos;
  int r = 0;
  if (obj.m_rcScreen.top + obj.m_nImgOffsetY < 0) {
    if (c) c->m_bTouchTop = 1;
    obj.m_dY = sy;
  } else if (obj.m_rcScreen.bottom - obj.m_nImgOffsetY + 1 >= 480) {
    if (c) c->m_bTouchBottom = 1;
    obj.m_dY = sy + 480.0 - obj.m_nBoxH - 1.0;
    if (obj.m_nNoGravity == 0) r = 2;
  } else {
    return 0;
  }
  obj.SyncBoxY();
  obj.OnMovedY();
  return r;
}

int cStageContext::TestSpawnSpot(cGameObj& obj) {
  if (PassesBlocks(obj)) return 0;
  const cStageBlock* cell =
      BestCornerCell(obj.m_nCellLeft, obj.m_nCellTop, obj.m_nCellRight, obj.m_nCellBottom, obj.m_nSide);
  if (HitKindOf(cell, obj.m_nSide) != 0) return 1;
  if (m_pfnOverlapsLiveChara && m_pfnOverlapsLiveChara(obj)) return 1;
  return 0;
}

void cStageContext::CharaApplyGravity(cGameObj& obj) {
  if (obj.m_nNoGravity != 0) return;
  BLOCKCONTACT* c = obj.Contact();
  if (c && (c->m_bRidingChara || c->m_bHovering || c->m_dJumpSpeed < 0.0)) return;
  obj.m_dSpeedY += g_Stage.m_dGravity;
}
