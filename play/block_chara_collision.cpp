#include "play/block_chara_collision.h"

#include <algorithm>

#include "play/hit_effect.h"
#include "play/live_lists.h"
#include "play/play_math.h"
#include "play/player.h"
#include "play/stage_block.h"
#include "play/stage_chara.h"
#include "play/stage_context.h"
#include "records/flow_enums.h"

namespace {

constexpr double CARRIER_STRIP = 5.0;
constexpr int UNSTICK_STEPS = 15;
constexpr double UNSTICK_STEP = 0.1;
constexpr double SIDE_MARGIN_LEFT = 0.5;   // pushed left: other.left − width − 0.5
constexpr double SIDE_MARGIN_RIGHT = 1.5;  // pushed right: other.right + 1.5

HITBOX BoxOf(const cChara& c) { return {c.m_dX, c.m_dY, c.m_dRight, c.m_dBottom}; }
HITBOX SavedOf(const cChara& c) { return {c.m_dSavedBox[0], c.m_dSavedBox[1], c.m_dSavedBox[2], c.m_dSavedBox[3]}; }

bool IsBlockCharaFor(const cStageChara& o, const cChara& c) {
  return o.m_Def.m_bBlockChara && !o.m_bDefeated && !o.m_bRemoved && o.m_bEnabled && o.m_nId != c.m_nId &&
         static_cast<const cChara*>(&o) != &c;
}

cStageChara* CarrierOf(const cChara& c) {
  for (auto& p : g_lstChara)
    if (p && IsBlockCharaFor(*p, c) && p->m_nId == c.m_nCarrierId) return p.get();
  return nullptr;
}

HITBOX StripBelow(const cChara& c) { return {c.m_dX, c.m_dBottom, c.m_dRight, c.m_dBottom + CARRIER_STRIP}; }

void StoreCarrier(cChara& c, const cStageChara& o) {
  c.m_nCarrierId = o.m_nId;
  c.m_dCarrierBox[0] = o.m_dX;
  c.m_dCarrierBox[1] = o.m_dY;
  c.m_dCarrierBox[2] = o.m_dRight;
  c.m_dCarrierBox[3] = o.m_dBottom;
}

// A solid cell of the block map at a stage pixel (for the chara's side).
bool SolidAt(const cChara& c, double x, double y) {
  if (!g_lpStageContext) return false;
  const cStageBlock* cell = g_lpStageContext->BlockAtPixel(TruncToInt(x), TruncToInt(y));
  return cell && cStageContext::HitKindOf(cell, c.m_nSide) != 0;
}

bool CornersInSolid(const cChara& c, const HITBOX& b) {
  return SolidAt(c, b.dLeft, b.dTop) || SolidAt(c, b.dRight, b.dTop) || SolidAt(c, b.dLeft, b.dBottom) ||
         SolidAt(c, b.dRight, b.dBottom);
}

HITBOX MovedTo(const cChara& c, double x, double y) { return {x, y, x + c.m_nBoxW - 1.0, y + c.m_nBoxH - 1.0}; }

void RaiseRidden(cChara& rider, cStageChara& carrier) {
  if (rider.IsPlayer()) carrier.RaiseTrigger(FlowTrigger::RiddenByPlayer);
  carrier.RaiseTrigger(FlowTrigger::RiddenByChara);
}

// The best proposal of one kind: smallest or largest value, with the block
// chara that made it.
struct PROPOSAL {
  bool bHas = false;
  double v = 0;
  cStageChara* lpBy = nullptr;
  void Offer(double x, cStageChara* o, bool bSmallest) {
    if (!bHas || (bSmallest ? x < v : x > v)) {
      bHas = true;
      v = x;
      lpBy = o;
    }
  }
};

// Move types 2 and 3: the push along the smaller overlap.
int CollideFlier(cChara& c, CHARALIST& list) {
  const HITBOX box = BoxOf(c);
  bool bTouched = false;
  PROPOSAL pushL, pushR, land, bump;
  for (auto& p : list) {
    if (!p || !IsBlockCharaFor(*p, c)) continue;
    cStageChara& o = *p;
    const HITBOX ob = BoxOf(o);
    if (!BoxOverlaps(box, ob)) continue;
    bTouched = true;
    const double ow = std::min(box.dRight, ob.dRight) - std::max(box.dLeft, ob.dLeft) + 1.0;
    const double oh = std::min(box.dBottom, ob.dBottom) - std::max(box.dTop, ob.dTop) + 1.0;
    if (oh > ow) {
      if (BoxOverlaps({box.dRight, box.dTop + 1.0, box.dRight, box.dBottom - 1.0}, ob)) {
        pushL.Offer(ob.dLeft - c.m_nBoxW, &o, true);
        c.m_bPushedLeft = 1;
      } else if (BoxOverlaps({box.dLeft, box.dTop + 1.0, box.dLeft, box.dBottom - 1.0}, ob)) {
        pushR.Offer(ob.dRight + 1.0, &o, false);
        c.m_bPushedRight = 1;
      }
    } else {
      if (BoxOverlaps({box.dLeft + 1.0, box.dBottom, box.dRight - 1.0, box.dBottom}, ob)) {
        land.Offer(ob.dTop - c.m_nBoxH, &o, true);
        c.m_bPushedUp = 1;
      } else if (BoxOverlaps({box.dLeft + 1.0, box.dTop, box.dRight - 1.0, box.dTop}, ob)) {
        bump.Offer(ob.dBottom + 1.0, &o, false);
        c.m_bPushedDown = 1;
      }
    }
  }
  if (bTouched) c.RaiseTrigger(FlowTrigger::HitBlockChara);
  const bool bH = pushL.bHas || pushR.bHas, bV = land.bHas || bump.bHas;
  if (c.m_nMoveAxes == 2) return (bH || bV) ? 2 : 0;
  if (bH) {
    const PROPOSAL& h = pushL.bHas ? pushL : pushR;
    const bool bToward = pushL.bHas ? (h.lpBy->m_dMoveDX < 0 && c.m_dMoveDX >= 0)
                                    : (h.lpBy->m_dMoveDX > 0 && c.m_dMoveDX <= 0);
    if (bToward) {
      (pushL.bHas ? c.m_bPushedLeft : c.m_bPushedRight) = 0;
      PushOutAlongAxis(c, list, 1);
    } else {
      c.m_dX = h.v;
      c.OnMovedX();
    }
  }
  if (bV) {
    const PROPOSAL& v = land.bHas ? land : bump;
    const bool bToward = land.bHas ? (v.lpBy->m_dMoveDY < 0 && c.m_dMoveDY >= 0)
                                   : (v.lpBy->m_dMoveDY > 0 && c.m_dMoveDY <= 0);
    if (bToward) {
      (land.bHas ? c.m_bPushedUp : c.m_bPushedDown) = 0;
      PushOutAlongAxis(c, list, 0);
    } else {
      c.m_dY = v.v;
      c.OnMovedY();
    }
  }
  return 0;
}

void StartFalling(cChara& c) {
  c.m_dSpeedY = 0;
  c.m_bFalling = 1;
  c.OnMovedY();
  if (g_lpStageContext) g_lpStageContext->BlockMoveY(c);
}

}  // namespace

void BeginSubStepMove(cChara& c) {
  c.CharaSaveBox();
  c.m_bPushedLeft = c.m_bPushedRight = c.m_bPushedUp = c.m_bPushedDown = 0;
}

void EndSubStepMove(cChara& c) {
  c.m_dMoveDX = c.m_dX - c.m_dSavedBox[0];
  c.m_dMoveDY = c.m_dY - c.m_dSavedBox[1];
}

int CollideWithBlockCharas(cChara& c, CHARALIST& list) {
  if (PassesBlocks(c)) return 0;
  // Pushes of the block map count with those of block charas.
  c.m_bPushedRight |= c.m_bTouchLeft;
  c.m_bPushedLeft |= c.m_bTouchRight;
  c.m_bPushedDown |= c.m_bTouchTop;
  c.m_bPushedUp |= c.m_bTouchBottom;
  if (c.m_nNoGravity) return CollideFlier(c, list);

  const double B = SpeedDivisor();
  const double dFallThreshold = 2.0 / B, dOverlapThreshold = 0.4 / B;
  const double adEntry[4] = {c.m_dSavedBox[0], c.m_dSavedBox[1], c.m_dSavedBox[2], c.m_dSavedBox[3]};
  const HITBOX box = BoxOf(c), saved = SavedOf(c);
  const int h = c.m_nBoxH;
  const HITBOX band = {box.dLeft + 1.0, box.dTop + h / 2, box.dRight - 1.0, box.dBottom - h / 3};
  bool bTouched = false;
  PROPOSAL pushL, pushR, land, bump;

  auto Side = [&](cStageChara& o, const HITBOX& ob) {
    const bool bRightHit = BoxOverlaps({box.dRight, box.dTop, box.dRight, box.dBottom}, ob);
    const bool bLeftHit = BoxOverlaps({box.dLeft, box.dTop, box.dLeft, box.dBottom}, ob);
    auto PushLeft = [&] {
      pushL.Offer(ob.dLeft - c.m_nBoxW - SIDE_MARGIN_LEFT, &o, true);
      c.m_bPushedLeft = 1;
    };
    auto PushRight = [&] {
      pushR.Offer(ob.dRight + SIDE_MARGIN_RIGHT, &o, false);
      c.m_bPushedRight = 1;
    };
    if (c.m_dMoveDX >= 0) {
      if (bRightHit)
        PushLeft();
      else if (bLeftHit)
        PushRight();
    } else {
      if (bLeftHit)
        PushRight();
      else if (bRightHit)
        PushLeft();
    }
  };
  auto Land = [&](cStageChara& o, const HITBOX& ob) {
    land.Offer(ob.dTop - h, &o, true);
    if (o.m_dMoveDY < 0) c.m_bPushedUp = 1;
  };

  for (auto& p : list) {
    if (!p || !IsBlockCharaFor(*p, c)) continue;
    cStageChara& o = *p;
    const HITBOX ob = BoxOf(o), os = SavedOf(o);
    if (!BoxOverlaps(box, ob)) continue;
    bTouched = true;
    if (BoxOverlaps(band, ob)) {
      const bool bFromAbove = os.dTop > saved.dTop && saved.dTop <= os.dBottom && os.dTop <= saved.dBottom;
      // The head bump: before this sub-step's movement the block chara's
      // bottom lay above the chara's top, or overlapped it by no more than
      // 0.4 / B (a block chara beside the chara, however tall, pushes it
      // sideways instead).
      const bool bAbove = ob.dBottom < box.dBottom && os.dBottom < saved.dTop + dOverlapThreshold;
      if (c.m_dSpeedY > dFallThreshold && bFromAbove) {
        Land(o, ob);
      } else if (bAbove) {
        bump.Offer(ob.dBottom + 1.0, &o, false);
        if (o.m_dMoveDY > 0) c.m_bPushedDown = 1;
      } else {
        Side(o, ob);
      }
      continue;
    }
    const double ow = std::min(box.dRight, ob.dRight) - std::max(box.dLeft, ob.dLeft) + 1.0;
    const double oh = std::min(box.dBottom, ob.dBottom) - std::max(box.dTop, ob.dTop) + 1.0;
    if (ow < oh) {
      Side(o, ob);
    } else if (BoxOverlaps({box.dLeft, box.dBottom, box.dRight, box.dBottom}, ob)) {
      Land(o, ob);
    } else if (BoxOverlaps({box.dLeft, box.dTop, box.dRight, box.dTop}, ob) && (c.m_dSpeedY < 0 || o.m_dMoveDY > 0)) {
      // The head's edge against a block chara: the head bump of a jump
      // (or of a block chara coming down) without waiting for the body.
      bump.Offer(ob.dBottom + 1.0, &o, false);
      if (o.m_dMoveDY > 0) c.m_bPushedDown = 1;
    }
  }

  bool bLanded = false;
  const bool bDoubleSide = pushL.bHas && pushR.bHas;
  if (land.bHas && !bDoubleSide) {
    cStageChara& o = *land.lpBy;
    bool bDrop = false;
    if (o.m_dMoveDY > 0 && CornersInSolid(c, MovedTo(c, c.m_dX, land.v))) {
      c.m_bRidingChara = 0;
      bDrop = true;
    }
    if (!bDrop) {
      c.m_dSpeedY = 0;
      if (!c.m_bRidingChara) {
        c.m_bRidingChara = 1;
        RaiseRidden(c, o);
      }
      StoreCarrier(c, o);
      c.m_dY = land.v;
      c.OnMovedY();
      c.m_dMoveDY = 0;
      c.m_bJumpA = c.m_bJumpB = 0;
      c.m_bFalling = 0;
      c.m_nAirFrames = 0;
      bLanded = true;
    }
  }
  if (bump.bHas && !bLanded) {
    cStageChara& o = *bump.lpBy;
    bool bDrop = false;
    if (o.m_dMoveDY < 0) {
      cChara& probe = c;
      const double y0 = probe.m_dY;
      bDrop = CornersInSolid(c, MovedTo(c, c.m_dX, bump.v));
      if (!bDrop) {
        // The copy at the bumped position must not overlap another block chara.
        probe.m_dY = bump.v;
        probe.m_dBottom = bump.v + c.m_nBoxH - 1.0;
        bDrop = OverlapsBlockChara(probe, o.m_nId) != 0;
        probe.m_dY = y0;
        probe.m_dBottom = y0 + c.m_nBoxH - 1.0;
      }
    }
    if (!bDrop) {
      c.m_dY = bump.v;
      c.m_dMoveDY = o.m_dMoveDY;
      StartFalling(c);
    }
  }
  if ((pushL.bHas || pushR.bHas) && !(bDoubleSide && !bLanded)) {
    const PROPOSAL& s = pushL.bHas ? pushL : pushR;
    c.m_dX = s.v;
    c.OnMovedX();
    c.m_dMoveDX = 0;
    if (s.lpBy->m_nId != c.m_nCarrierId || !c.m_bRidingChara) c.m_bStartFall = 1;
  } else if (bDoubleSide && !bLanded) {
    c.m_dX = adEntry[0];
    c.OnMovedX();
    const HITBOX nb = BoxOf(c);
    for (auto& p : list) {
      if (!p || !IsBlockCharaFor(*p, c) || !BoxOverlaps(nb, BoxOf(*p))) continue;
      c.m_dY = p->m_dBottom + 1.0;
      c.m_dMoveDY = p->m_dMoveDY;
      if (p->m_dMoveDY > 0) c.m_bPushedDown = 1;
      StartFalling(c);
      break;
    }
    c.m_bPushedLeft = c.m_bPushedRight = 0;
  }
  if (bTouched) c.RaiseTrigger(FlowTrigger::HitBlockChara);
  if (c.m_bRidingChara) {
    if (!bTouched) c.RaiseTrigger(FlowTrigger::HitBlockChara);
    c.RaiseTrigger(FlowTrigger::OnBlockChara);
  }

  if ((c.m_bPushedLeft && c.m_bPushedRight) || (c.m_bPushedUp && c.m_bPushedDown) ||
      IsEnclosedByBlockCharas(c, adEntry))
    return 2;

  // Out of a wall a block chara pressed the chara into: back toward the
  // pusher by at most 15 steps of 0.1 pixel.
  const struct {
    int* pFlag;
    double dx, dy;
  } unstick[4] = {{&c.m_bPushedRight, -UNSTICK_STEP, 0},
                  {&c.m_bPushedLeft, UNSTICK_STEP, 0},
                  {&c.m_bPushedDown, 0, -UNSTICK_STEP},
                  {&c.m_bPushedUp, 0, UNSTICK_STEP}};
  for (const auto& u : unstick) {
    if (!*u.pFlag) continue;
    for (int i = 0; i < UNSTICK_STEPS && CornersInSolid(c, BoxOf(c)); ++i) {
      if (u.dx != 0) {
        c.m_dX += u.dx;
        c.OnMovedX();
      } else {
        c.m_dY += u.dy;
        c.OnMovedY();
      }
    }
  }

  if (c.m_bRidingChara && !bLanded) {
    if (c.m_dSpeedY >= 0) {
      if (cStageChara* o = IsOnCarrier(c) ? CarrierOf(c) : nullptr) StoreCarrier(c, *o);
      else if (cStageChara* b = FindCarrierBelow(c)) StoreCarrier(c, *b);
      else LeaveCarrier(c, 0);
    } else {
      LeaveCarrier(c, 0);
    }
  }
  return 0;
}

void PushOutAlongAxis(cChara& c, CHARALIST& list, int nAxis) {
  const HITBOX box = BoxOf(c);
  PROPOSAL lo, hi;  // toward smaller and larger values
  for (auto& p : list) {
    if (!p || !IsBlockCharaFor(*p, c)) continue;
    const HITBOX ob = BoxOf(*p);
    if (!BoxOverlaps(box, ob)) continue;
    if (nAxis == 1) {
      if (BoxOverlaps({box.dRight, box.dTop + 1.0, box.dRight, box.dBottom - 1.0}, ob))
        lo.Offer(ob.dLeft - c.m_nBoxW, p.get(), true);
      else
        hi.Offer(ob.dRight + 1.0, p.get(), false);
    } else {
      if (BoxOverlaps({box.dLeft + 1.0, box.dBottom, box.dRight - 1.0, box.dBottom}, ob))
        lo.Offer(ob.dTop - c.m_nBoxH, p.get(), true);
      else
        hi.Offer(ob.dBottom + 1.0, p.get(), false);
    }
  }
  const PROPOSAL& w = lo.bHas ? lo : hi;
  if (!w.bHas) return;
  if (nAxis == 1) {
    c.m_dX = w.v;
    c.OnMovedX();
  } else {
    if (lo.bHas && (w.lpBy->m_nId != c.m_nCarrierId || !c.m_bRidingChara)) c.m_bStartFall = 1;
    c.m_dY = w.v;
    c.OnMovedY();
  }
}

int OverlapsBlockChara(const cChara& c, int nExceptId) {
  if (PassesBlocks(c)) return 0;
  const HITBOX box = BoxOf(c);
  for (auto& p : g_lstChara)
    if (p && IsBlockCharaFor(*p, c) && p->m_nId != nExceptId && BoxOverlaps(box, BoxOf(*p))) return 1;
  return 0;
}

int IsOnCarrier(const cChara& c) {
  const cStageChara* o = CarrierOf(c);
  return o && BoxOverlaps(StripBelow(c), BoxOf(*o)) ? 1 : 0;
}

cStageChara* FindCarrierBelow(const cChara& c) {
  const HITBOX strip = StripBelow(c);
  for (auto& p : g_lstChara)
    if (p && IsBlockCharaFor(*p, c) && BoxOverlaps(strip, BoxOf(*p))) return p.get();
  return nullptr;
}

int IsEnclosedByBlockCharas(const cChara& c, const double adEntry[4]) {
  auto Inside = [&](double x, double y) {
    for (auto& p : g_lstChara)
      if (p && IsBlockCharaFor(*p, c) && BoxOverlaps({x, y, x, y}, BoxOf(*p))) return true;
    return false;
  };
  const HITBOX now = BoxOf(c), entry = {adEntry[0], adEntry[1], adEntry[2], adEntry[3]};
  const double px[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  for (const auto& k : px) {
    auto Corner = [&](const HITBOX& b, double& x, double& y) {
      x = k[0] ? b.dRight : b.dLeft;
      y = k[1] ? b.dBottom - 1.0 : b.dTop;
    };
    double x0, y0, x1, y1;
    Corner(now, x0, y0);
    Corner(entry, x1, y1);
    if (!Inside(x0, y0) && !Inside(x1, y1)) return 0;
  }
  return 1;
}

void RideCarrier(cChara& c, CHARALIST& list) {
  if (c.m_nNoGravity || !c.m_bRidingChara) return;
  cStageChara* o = nullptr;
  for (auto& p : list)
    if (p && IsBlockCharaFor(*p, c) && p->m_nId == c.m_nCarrierId) {
      o = p.get();
      break;
    }
  if (!o) return;
  const double dx = o->m_dX - c.m_dCarrierBox[0];
  c.m_dX += dx;
  c.OnMovedX();
  c.m_dMoveDX += dx;
  if (o->m_nNoGravity || o->m_bOwnMove) {
    const double dy = o->m_dY - c.m_dCarrierBox[1];
    c.m_dY += dy;
    c.OnMovedY();
    c.m_dMoveDY = dy;
  }
  RaiseRidden(c, *o);
}

void LeaveCarrier(cChara& c, int bStartFall) {
  c.m_bRidingChara = 0;
  if (c.m_dSpeedY == 0) c.m_dMoveDY = 0;
  if (bStartFall) c.m_bStartFall = 1;
}
