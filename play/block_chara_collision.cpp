#include "play/block_chara_collision.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "play/hit_effect.h"
#include "play/live_lists.h"
#include "play/play_math.h"
#include "play/player.h"
#include "play/stage_block.h"
#include "play/stage_chara.h"
#include "play/stage_context.h"
#include "records/flow_enums.h"

namespace {

// Game thread only: the roster of the sub-step's walk, if one stands.
cBlockCharaRoster* s_lpRoster = nullptr;
bool s_bUseRoster = true;

HITBOX BoxOf(const cChara& c) { return {c.m_dX, c.m_dY, c.m_dRight, c.m_dBottom}; }

// Lets go of every block chara filed, erased ones aside.
void Unfile(cBlockCharaRoster& r) {
  for (cStageChara* o : r.m_vBlockChara)
    if (o) o->SetBoxSlot(-1);
  r.m_vBlockChara.clear();
  r.m_vById.clear();
}

// Columns over the stage's width with its margins.
void ResetColumns(cBlockCharaRoster& r) {
  r.m_Columns.Reset(g_lpStageContext ? g_lpStageContext->PaddedExtent(SCROLL_X) : 0.0);
}

void Gather(cBlockCharaRoster& r) {
  const bool bAll = r.m_bStale || g_lstChara.size() < r.m_nSeen;
  if (bAll || g_lstChara.size() != r.m_nSeen) {
    if (bAll) {
      Unfile(r);
      ResetColumns(r);
      r.m_nSeen = 0;
      r.m_bStale = false;
    }
    const auto nSorted = static_cast<std::ptrdiff_t>(r.m_vById.size());
    auto it = r.m_nSeen ? std::next(r.m_itLast) : g_lstChara.begin();
    for (; it != g_lstChara.end(); ++it) {
      if (cStageChara* o = it->get(); o && o->m_Def.m_bBlockChara) {
        const int k = static_cast<int>(r.m_vBlockChara.size());
        r.m_vBlockChara.push_back(o);
        o->SetBoxSlot(k);
        r.m_Columns.Add(BoxOf(*o));
        r.m_vById.push_back({o->m_nId, k});
      }
      r.m_itLast = it;
      ++r.m_nSeen;
    }
    const auto mid = r.m_vById.begin() + nSorted;
    std::sort(mid, r.m_vById.end());
    std::inplace_merge(r.m_vById.begin(), mid, r.m_vById.end());
  }
  r.m_Columns.Refresh([&r](int k) { return BoxOf(*r.m_vBlockChara[k]); });
}

// The standing roster, gathered, when the walks over the list may ask it.
cBlockCharaRoster* RosterFor(const CHARALIST& list) {
  if (!s_lpRoster || !s_bUseRoster || &list != &g_lstChara) return nullptr;
  Gather(*s_lpRoster);
  return s_lpRoster;
}

// f on each chara of the list that may be a block chara whose box meets
// `box`, in the list's order, until f gives true: every block chara whose
// box overlaps it is among them, and f's own test decides. f moves no
// block chara (the candidates were found before).
template <class F>
void ForEachBlockCharaNear(CHARALIST& list, const HITBOX& box, F&& f) {
  cBlockCharaRoster* r = RosterFor(list);
  if (!r) {
    for (auto& p : list)
      if (p && p->m_Def.m_bBlockChara && f(*p)) return;
    return;
  }
  if (r->m_vNear.size() <= r->m_nDepth) r->m_vNear.resize(r->m_nDepth + 1);
  std::vector<int>& v = r->m_vNear[r->m_nDepth];
  r->m_Columns.Query(box, v);
  ++r->m_nDepth;
  for (int k : v)
    if (f(*r->m_vBlockChara[k])) break;
  --r->m_nDepth;
}

// f on each chara of the list that may be a block chara with the id, in
// the list's order, until f gives true.
template <class F>
void ForEachBlockCharaOfId(CHARALIST& list, int nId, F&& f) {
  cBlockCharaRoster* r = RosterFor(list);
  if (!r) {
    for (auto& p : list)
      if (p && p->m_Def.m_bBlockChara && p->m_nId == nId && f(*p)) return;
    return;
  }
  const auto& v = r->m_vById;
  for (auto it = std::lower_bound(v.begin(), v.end(), std::pair<int, int>{nId, -1}); it != v.end() && it->first == nId;
       ++it)
    if (f(*r->m_vBlockChara[it->second])) return;
}

constexpr double CARRIER_STRIP = 5.0;
constexpr int UNSTICK_STEPS = 15;
constexpr double UNSTICK_STEP = 0.1;
constexpr double SIDE_MARGIN_LEFT = 0.5;   // pushed left: other.left − width − 0.5
constexpr double SIDE_MARGIN_RIGHT = 1.5;  // pushed right: other.right + 1.5

HITBOX SavedOf(const cChara& c) { return {c.m_dSavedBox[0], c.m_dSavedBox[1], c.m_dSavedBox[2], c.m_dSavedBox[3]}; }

bool IsBlockCharaFor(const cStageChara& o, const cChara& c) {
  return o.m_Def.m_bBlockChara && !o.m_bDefeated && !o.m_bRemoved && o.m_bEnabled && o.m_nId != c.m_nId &&
         static_cast<const cChara*>(&o) != &c;
}

cStageChara* CarrierOf(const cChara& c) {
  cStageChara* lpFound = nullptr;
  ForEachBlockCharaOfId(g_lstChara, c.m_nCarrierId, [&](cStageChara& o) {
    if (IsBlockCharaFor(o, c)) lpFound = &o;
    return lpFound != nullptr;
  });
  return lpFound;
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
  ForEachBlockCharaNear(list, box, [&](cStageChara& o) {
    if (!IsBlockCharaFor(o, c)) return false;
    const HITBOX ob = BoxOf(o);
    if (!BoxOverlaps(box, ob)) return false;
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
    return false;
  });
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

  ForEachBlockCharaNear(list, box, [&](cStageChara& o) {
    if (!IsBlockCharaFor(o, c)) return false;
    const HITBOX ob = BoxOf(o), os = SavedOf(o);
    if (!BoxOverlaps(box, ob)) return false;
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
      return false;
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
    return false;
  });

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
    ForEachBlockCharaNear(list, nb, [&](cStageChara& o) {
      if (!IsBlockCharaFor(o, c) || !BoxOverlaps(nb, BoxOf(o))) return false;
      c.m_dY = o.m_dBottom + 1.0;
      c.m_dMoveDY = o.m_dMoveDY;
      if (o.m_dMoveDY > 0) c.m_bPushedDown = 1;
      StartFalling(c);
      return true;
    });
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
  ForEachBlockCharaNear(list, box, [&](cStageChara& o) {
    if (!IsBlockCharaFor(o, c)) return false;
    const HITBOX ob = BoxOf(o);
    if (!BoxOverlaps(box, ob)) return false;
    if (nAxis == 1) {
      if (BoxOverlaps({box.dRight, box.dTop + 1.0, box.dRight, box.dBottom - 1.0}, ob))
        lo.Offer(ob.dLeft - c.m_nBoxW, &o, true);
      else
        hi.Offer(ob.dRight + 1.0, &o, false);
    } else {
      if (BoxOverlaps({box.dLeft + 1.0, box.dBottom, box.dRight - 1.0, box.dBottom}, ob))
        lo.Offer(ob.dTop - c.m_nBoxH, &o, true);
      else
        hi.Offer(ob.dBottom + 1.0, &o, false);
    }
    return false;
  });
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
  bool bFound = false;
  ForEachBlockCharaNear(g_lstChara, box, [&](cStageChara& o) {
    bFound = IsBlockCharaFor(o, c) && o.m_nId != nExceptId && BoxOverlaps(box, BoxOf(o));
    return bFound;
  });
  return bFound ? 1 : 0;
}

int IsOnCarrier(const cChara& c) {
  const cStageChara* o = CarrierOf(c);
  return o && BoxOverlaps(StripBelow(c), BoxOf(*o)) ? 1 : 0;
}

cStageChara* FindCarrierBelow(const cChara& c) {
  const HITBOX strip = StripBelow(c);
  cStageChara* lpFound = nullptr;
  ForEachBlockCharaNear(g_lstChara, strip, [&](cStageChara& o) {
    if (IsBlockCharaFor(o, c) && BoxOverlaps(strip, BoxOf(o))) lpFound = &o;
    return lpFound != nullptr;
  });
  return lpFound;
}

int IsEnclosedByBlockCharas(const cChara& c, const double adEntry[4]) {
  const HITBOX now = BoxOf(c), entry = {adEntry[0], adEntry[1], adEntry[2], adEntry[3]};
  const double px[4][2] = {{0, 0}, {1, 0}, {0, 1}, {1, 1}};
  // The corners asked about, now and at the sub-step's entry.
  double ax[8], ay[8];
  for (int k = 0; k < 4; ++k) {
    const HITBOX* b[2] = {&now, &entry};
    for (int e = 0; e < 2; ++e) {
      ax[2 * k + e] = px[k][0] ? b[e]->dRight : b[e]->dLeft;
      ay[2 * k + e] = px[k][1] ? b[e]->dBottom - 1.0 : b[e]->dTop;
    }
  }
  // One walk gathers the block charas that can hold one of them (a box
  // around the corners; a corner that is not a number is inside nothing);
  // the corners are then asked of those only.
  bool bAny = false;
  HITBOX hull{};
  for (int i = 0; i < 8; ++i) {
    if (std::isnan(ax[i]) || std::isnan(ay[i])) continue;
    if (!bAny) hull = {ax[i], ay[i], ax[i], ay[i]};
    hull = {std::min(hull.dLeft, ax[i]), std::min(hull.dTop, ay[i]), std::max(hull.dRight, ax[i]),
            std::max(hull.dBottom, ay[i])};
    bAny = true;
  }
  if (!bAny) return 0;
  std::vector<const cStageChara*> vNear;
  if (s_bUseRoster) {
    ForEachBlockCharaNear(g_lstChara, hull, [&](cStageChara& o) {
      if (IsBlockCharaFor(o, c) && BoxOverlaps(hull, BoxOf(o))) vNear.push_back(&o);
      return false;
    });
  }
  auto Inside = [&](double x, double y) {
    if (!s_bUseRoster) {
      bool bIn = false;
      ForEachBlockCharaNear(g_lstChara, {x, y, x, y}, [&](cStageChara& o) {
        bIn = IsBlockCharaFor(o, c) && BoxOverlaps({x, y, x, y}, BoxOf(o));
        return bIn;
      });
      return bIn;
    }
    for (const cStageChara* o : vNear)
      if (BoxOverlaps({x, y, x, y}, BoxOf(*o))) return true;
    return false;
  };
  for (int k = 0; k < 4; ++k)
    if (!Inside(ax[2 * k], ay[2 * k]) && !Inside(ax[2 * k + 1], ay[2 * k + 1])) return 0;
  return 1;
}

void RideCarrier(cChara& c, CHARALIST& list) {
  if (c.m_nNoGravity || !c.m_bRidingChara) return;
  cStageChara* o = nullptr;
  ForEachBlockCharaOfId(list, c.m_nCarrierId, [&](cStageChara& b) {
    if (IsBlockCharaFor(b, c)) o = &b;
    return o != nullptr;
  });
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

cBlockCharaRoster::cBlockCharaRoster() : m_itLast(g_lstChara.end()) {
  if (s_lpRoster) return;
  s_lpRoster = this;
  ResetColumns(*this);
}

cBlockCharaRoster::~cBlockCharaRoster() {
  if (s_lpRoster != this) return;
  Unfile(*this);
  s_lpRoster = nullptr;
}

void BlockCharaRosterForget(cStageChara* lpGone) {
  if (!s_lpRoster) return;
  cBlockCharaRoster& r = *s_lpRoster;
  r.m_bStale = true;
  if (!lpGone) return;
  const int k = lpGone->BoxSlot();
  if (k >= 0 && static_cast<size_t>(k) < r.m_vBlockChara.size() && r.m_vBlockChara[k] == lpGone)
    r.m_vBlockChara[k] = nullptr;
  lpGone->SetBoxSlot(-1);
}

void NoteBoxMoved(int nSlot) {
  if (s_lpRoster) s_lpRoster->m_Columns.Moved(nSlot);
}

void UseBlockCharaRosterForTests(bool bUse) { s_bUseRoster = bUse; }
