// The stage scene's shots: the links through which shots find the live
// charas, the Shot and sword commands of the charas, and the shots' hits on
// the charas of other groups.
#include <algorithm>
#include <iterator>
#include <limits>
#include <utility>
#include <vector>

#include "media/graphics/dd.h"
#include "play/box_columns.h"
#include "play/chara_drawing.h"
#include "play/chara_targeting.h"
#include "play/condition_pass.h"
#include "play/hits.h"
#include "play/id_index.h"
#include "play/item_object.h"
#include "play/launch.h"
#include "play/live_chara.h"
#include "play/live_lists.h"
#include "play/play_state.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_graphics.h"
#include "play/stage_scene.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

constexpr int kSoundShotHit = 7;
constexpr int kSoundCharaDefeated = 9;

enum : int { HITS_GO_ON = 0, HITS_FINISH = 1, HITS_DEFEAT = 2 };

bool IsGone(const cChara& c) { return c.m_bDefeated || c.m_bRemoved; }

// One group's charas as the shots of another group see them in a hit pass:
// each one's hit box and whether it can be hit at all (present, not passed
// through, on screen where the stage asks), gathered once, and the charas
// filed by columns of the stage so that a shot looks only at those near
// it. A hit changes nothing of what is gathered but for the chara hit (its
// entry is made again); a defeat or an item, which run commands, has the
// whole gathered again.
class cShotTargets {
 public:
  cShotTargets(const std::vector<cChara*>& vGroup, bool bOnScreenOnly)
      : m_vGroup(vGroup), m_bOnScreenOnly(bOnScreenOnly) {
    Gather();
  }

  void Gather() {
    ++m_nGathered;
    m_vEntry.clear();
    m_vEntry.reserve(m_vGroup.size());
    m_vBox.clear();
    m_vBox.reserve(m_vGroup.size());
    for (cChara* c : m_vGroup) {
      m_vEntry.push_back(Entry(c));
      const TARGET& t = m_vEntry.back();
      // A chara that cannot be hit is filed in no column.
      m_vBox.push_back(t.bCanBeHit ? t.box : HITBOX{kNaN, kNaN, kNaN, kNaN});
    }
    m_Columns.Build(m_vBox);
  }

  // After a hit on entry k: the same entry again, or everything gathered
  // anew when the hit changed where the chara is or whether it can be hit.
  void Refresh(size_t k) {
    const TARGET t = Entry(m_vEntry[k].c);
    const TARGET& was = m_vEntry[k];
    if (t.bCanBeHit != was.bCanBeHit || (t.bCanBeHit && !SameBox(t.box, was.box))) Gather();
  }

  // f(k, chara) for each chara that can be hit, is still in play and whose
  // hit box meets the shot's attack box, in the group's order, until f
  // returns true. When f had everything gathered again, the walk goes on
  // from the next chara in the group's order with what was gathered.
  template <class F>
  void ForEachMet(const cShot& s, F f) {
    HITBOX box = AttackBox(s);
    Near(box);
    for (size_t n = 0; n < m_vNear.size(); ++n) {
      const size_t k = static_cast<size_t>(m_vNear[n]);
      const TARGET& t = m_vEntry[k];
      // The boxes first: they lie in the entries, the chara's state does not.
      if (!t.bCanBeHit || !BoxOverlaps(box, t.box) || IsGone(*t.c)) continue;
      const unsigned nGathered = m_nGathered;
      if (f(k, t.c)) return;
      if (m_nGathered != nGathered) {
        box = AttackBox(s);
        Near(box);
        n = static_cast<size_t>(std::upper_bound(m_vNear.begin(), m_vNear.end(), static_cast<int>(k)) -
                                m_vNear.begin()) -
            1;
      }
    }
  }

 private:
  static constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
  struct TARGET {
    cChara* c;
    HITBOX box;
    bool bCanBeHit;
  };

  TARGET Entry(cChara* c) const {
    // Shots pass through a chara of invincible kind 2.
    const bool bCan = (c->IsPlayer() || static_cast<cStageChara*>(c)->m_bPresent) &&
                      c->m_Def.m_nInvincibleKind != 2 && (!m_bOnScreenOnly || c->IsOnScreen());
    return TARGET{c, CharaHitBox(*c), bCan};
  }
  static bool SameBox(const HITBOX& a, const HITBOX& b) {
    return a.dLeft == b.dLeft && a.dTop == b.dTop && a.dRight == b.dRight && a.dBottom == b.dBottom;
  }
  // Into m_vNear, in the group's order: the charas filed in the columns
  // the box spans.
  void Near(const HITBOX& box) { m_Columns.Query(box, -1, m_vNear); }

  const std::vector<cChara*>& m_vGroup;
  const bool m_bOnScreenOnly;
  std::vector<TARGET> m_vEntry;
  std::vector<HITBOX> m_vBox;
  cBoxColumns m_Columns;
  std::vector<int> m_vNear;
  unsigned m_nGathered = 0;
};

cGameObj* FindShotChara(int nId, int bAlive) {
  if (nId == NO_CHARA) return nullptr;
  for (auto& p : g_vPlayer)
    if (p->m_nId == nId && !(bAlive && IsGone(*p))) return p.get();
  return cIdIndex::Ready().FirstOfId(nId, [bAlive](const cChara& c) { return !(bAlive && IsGone(c)); });
}

cGameObj* ShotPlayer1() { return ::FirstPlayer(); }

// A shot's target group is a hit group: the charas of that side.
cGameObj* SelectShotTarget(const cShot& shot, int nGroup) { return SelectTargetFromCentre(shot, nGroup); }

// A sword ends with its owner: its link is dropped here and the sword's
// next step, finding no owner, finishes it. Nothing is erased, so a walk
// over the shot lists may be under way.
void ForgetSwordsOf(cChara& chara) {
  if (!g_lpSceneStage) return;
  const int bStage = chara.IsPlayer() ? 0 : 1;
  for (cShot* s : g_lpSceneStage->m_Shots.Swords())
    if (s->m_nOwnerId == chara.m_nId && s->m_bOwnerStageChara == bStage) s->m_nOwnerId = NO_CHARA;
}

void StartHitEffectAt(int nEffect, const HITBOX& defender, const HITBOX& attacker, int nScale) {
  if (!g_lpSceneStage) return;
  cHitEffect e;
  e.HitEffectSetup(nEffect, defender, attacker, nScale);
  g_lpSceneStage->m_lstHitEffect.push_back(e);
}

int GiveShotItem(const cEdItem& def) {
  cPlayer* p = ::FirstPlayer();
  if (!p) return HITS_GO_ON;
  cItemObj item;
  item.ItemObjInit(0, def, 0);
  // It never lies in the stage: its conditions decide at once whether it
  // is there to be given.
  item.m_bEnabled = CheckItemConditions(item);
  return GiveItemToPlayer(*p, item);
}

SHOTOWNER OwnerOf(const cChara& c) {
  SHOTOWNER o;
  o.nId = c.m_nId;
  o.bStageChara = c.IsPlayer() ? 0 : 1;
  o.nGroup = c.m_nSide;
  o.nDir = c.m_nDir;
  o.nTargetId = c.m_lpTarget ? c.m_lpTarget->m_nId : NO_CHARA;
  return o;
}

LAUNCHBOX BoxOf(const cGameObj& o) { return LAUNCHBOX{o.m_dX, o.m_dY, o.m_dRight, o.m_dBottom}; }

// The owner's linked shots: a serial joins once; -1 empties the list.
void LinkShot(LAUNCH& l, int32_t nSerial) {
  cChara* lpOwner = static_cast<cChara*>(FindShotChara(l.owner.nId, 0));
  if (!lpOwner) return;
  cVector<int32_t>& v = lpOwner->m_vLinkedShot;
  if (nSerial < 0) {
    v.clear();
  } else if (std::find(v.begin(), v.end(), nSerial) == v.end()) {
    v.push_back(nSerial);
  }
}

}  // namespace

void InstallShotLinks() {
  g_ShotLinks.pfnFindChara = &FindShotChara;
  g_ShotLinks.pfnPlayer1 = &ShotPlayer1;
  g_ShotLinks.pfnSelectTarget = &SelectShotTarget;
  static bool s_bForgetter = false;  // game thread only: registered once
  if (!s_bForgetter) {
    s_bForgetter = true;
    AddCharaForgetter(&ForgetSwordsOf);
  }
  g_CharaScene.pfnStartHitEffect = &StartHitEffectAt;
}

void ResetShotLinks() { g_ShotLinks = SHOTLINKS{}; }

void cSceneStage::PrepareLaunch(cChara& chara, int nFlowDirection, LAUNCH& l, LAUNCHBOX& target) {
  l.owner = OwnerOf(chara);
  l.box = BoxOf(chara);
  if (chara.m_lpTarget) {
    target = BoxOf(*chara.m_lpTarget);
    l.lpTarget = &target;
  }
  l.nFlowDirection = nFlowDirection;
  l.dScrollX = m_aScroll[0].dPos;
  l.dScrollY = m_aScroll[1].dPos;
  l.dScrollSpeedX = FollowScrollSpeed(SCROLL_X);
  l.dScrollSpeedY = FollowScrollSpeed(SCROLL_Y);
  // A chara that follows the scroll is carried by the view (its base speed
  // each frame) unless the project adds the scroll to its moves instead.
  l.bTargetFollowsScroll = chara.m_lpTarget && chara.m_lpTarget->m_nFollowScroll && !g_System.m_bFollowScroll ? 1 : 0;
}

void cSceneStage::LaunchShots(cChara& chara, int nFlowDirection, const cEdShot& params) {
  SHOTLIST made;
  SHOTSPAWN spawn{&made, &m_nShotSerial, m_Shots.m_lstShot.size()};
  LAUNCH l;
  LAUNCHBOX target;
  // A stage chara's screen box (and its target's) is brought up to date
  // for the launch.
  if (!chara.IsPlayer()) chara.UpdateScreenRect();
  if (chara.m_lpTarget && !chara.m_lpTarget->IsPlayer()) chara.m_lpTarget->UpdateScreenRect();
  PrepareLaunch(chara, nFlowDirection, l, target);
  l.pfnSpawn = &SpawnShot;
  l.lpUser = &spawn;
  l.lpParams = &params;
  l.pfnLinkShot = &LinkShot;
  FireShot(l, params);
  // Into both lists at once, so that no shot is in one without the other.
  for (auto& s : made) m_Shots.Add(std::move(s));
}

void cSceneStage::AddSwordShot(cChara& chara, const cEdShot& params, int32_t nWidth, int32_t nHeight) {
  auto lpShot = std::make_unique<cShot>();
  LAUNCHCONTEXT ctx;
  ctx.nX = static_cast<int32_t>(chara.m_dX);
  ctx.nY = static_cast<int32_t>(chara.m_dY);
  ctx.nWidth = nWidth;
  ctx.nHeight = nHeight;
  ShotInit(*lpShot, OwnerOf(chara), COMMAND_KIND_SWORD, m_nShotSerial++, 0, params, ctx);
  m_Shots.Add(std::move(lpShot));
}

int cSceneStage::ResolveShotHits() {
  // The charas by group, gathered once: defeats here only mark charas, and
  // the sweep that frees them runs after this pass.
  const cVector<cChara*> live = LiveCharas();
  std::vector<std::vector<cChara*>> vByGroup(256);
  for (size_t k = 0; k < live.size(); ++k) {
    cChara* c = live.CheckedAt(k);
    vByGroup[c->m_nSide & 0xFF].push_back(c);
  }
  // With the stage's on-screen-only switch, only what is on screen takes
  // part.
  const bool bOnScreenOnly = g_Stage.m_bOnScreenOnly != 0;
  for (int i = 0; i < 256; ++i) {
    if (m_Shots.Group(i).empty()) continue;
    for (size_t j = 0; j < 256; ++j) {
      const std::vector<cChara*>& vGroup = vByGroup[j];
      if (static_cast<int>(j) == i || vGroup.empty()) continue;
      // A defeat flow may fire shots, which can grow the group lists: the
      // walk goes over the shots there now, none of which is freed before
      // it ends.
      const std::list<cShot*>& group = m_Shots.Group(i);
      const std::vector<cShot*> vShots(group.begin(), group.end());
      std::vector<cShot*> vDone;
      cShotTargets targets(vGroup, bOnScreenOnly);
      int nResult = HITS_GO_ON;
      for (cShot* s : vShots) {
        if (nResult != HITS_GO_ON) break;
        if (bOnScreenOnly && !s->IsOnScreen()) continue;
        bool bDone = false;
        targets.ForEachMet(*s, [&](size_t k, cChara* c) {
          if (s->HasHit(c->m_nId)) return false;
          bool bRanCommands = false;
          c->RaiseTrigger(FlowTrigger::HitShot);
          const cEdShot& p = s->m_Shot;
          const cEdItem* lpItem = p.m_byItemSource ? GetItemDef(p.m_byItemSource, p.m_wItemIndex) : nullptr;
          if ((p.m_nAttack != 0 || p.m_byImpact != 0 || lpItem) && !c->CharaIsInvincible()) {
            const int nSign = s->m_nDir > 0 ? 1 : -1;
            const int bDied = c->CharaDamagedByShot(p.m_nAttack, p.m_wHitEffect, p.m_byImpact, s->m_bFlying ? 1 : 0,
                                                    s->m_dVelX, s->m_dVelY, nSign, AttackBox(*s), p.m_cSize);
            if (!bDied) {
              RequestSystemSound(kSoundShotHit);
              c->CharaStartInvincible();
            } else if (c->IsPlayer()) {
              nResult = HITS_DEFEAT;
            } else {
              RequestSystemSound(kSoundCharaDefeated);
              if (DefeatCharaInPlay(*static_cast<cStageChara*>(c)) == 1) nResult = HITS_FINISH;
              bRanCommands = true;
            }
          }
          const bool bBlock = !c->IsPlayer() && static_cast<cStageChara*>(c)->m_Def.m_bBlockChara;
          const int bPass = bBlock ? p.m_byPassBlockChara : p.m_byPassChara;
          if (!s->m_bFlying || bPass == 1)
            s->NoteHit(c->m_nId);
          else
            bDone = true;
          // The shot's item goes to player 1, from a copy of its
          // definition: the item's commands may change the palette.
          if (nResult == HITS_GO_ON && lpItem) {
            nResult = GiveShotItem(*lpItem);
            bRanCommands = true;
          }
          if (bRanCommands) targets.Gather();
          else targets.Refresh(k);
          return bDone || nResult != HITS_GO_ON;
        });
        if (bDone) vDone.push_back(s);
      }
      for (cShot* s : vDone) m_Shots.Remove(s);
      if (nResult != HITS_GO_ON) return nResult;
      if (m_Shots.Group(i).empty()) break;
    }
  }
  return HITS_GO_ON;
}

namespace {

bool StageSurfaceLoaded(int n) { return StageSurface(n) != nullptr; }

// The shot picture for the facing (0 left, 1 right): under Direct3D from
// the first sheet set; under DirectDraw from the second, as the picture
// cells there, or the first when the second is not loaded.
int ShotSheet(int nFacing) {
  const int nFirst = nFacing ? STAGESURFACE_SHOT_MIRROR : STAGESURFACE_SHOT;
  return ChooseSurfaceIndex(nFirst, 1, lpDTCon == nullptr, &StageSurfaceLoaded);
}

// A cell drawn as a chara's is: keyed, stretched where the sizes differ.
void BlitCell(DDSURFACEDATA* lpDst, DDSURFACEDATA* lpSrc, int x, int y, int w, int h, int sx, int sy, int sw, int sh) {
  CHARADRAWPARAMS p;
  p.lpSrc = lpSrc;
  p.x = x, p.y = y, p.w = w, p.h = h;
  p.sx = sx, p.sy = sy, p.sw = sw, p.sh = sh;
  CharaPlainBlt(lpDst, p);
}

}  // namespace

void cSceneStage::DrawShots(DDSURFACEDATA* lpDst, BOOL bPaused) {
  const double sx = m_aScroll[0].dPos, sy = m_aScroll[1].dPos;
  DDBeginBatch(0);
  for (const auto& s : m_Shots.m_lstShot) {
    SHOTDRAW d;
    const int nPattern = s->m_bFlying ? s->m_Anime.Advance(bPaused != 0) : 0;
    if (!ShotDrawData(*s, nPattern, sx, sy, d)) continue;
    DDSURFACEDATA* lpSrc = d.bSword ? PictureSetSurface(g_SwordGraphics, d.nSheet) : StageSurface(ShotSheet(d.nSheet));
    BlitCell(lpDst, lpSrc, d.nDstX, d.nDstY, d.nDstW, d.nDstH, d.nSrcX, d.nSrcY, d.nSrcW, d.nSrcH);
  }
  DDEndBatch();
}

void cSceneStage::DrawHitEffects(DDSURFACEDATA* lpDst, BOOL bPaused) {
  const double sx = m_aScroll[0].dPos, sy = m_aScroll[1].dPos;
  for (auto it = m_lstHitEffect.begin(); it != m_lstHitEffect.end();) {
    HITEFFECTDRAW d;
    if (it->DrawHitEffect(d, bPaused ? 1 : 0, sx, sy, 0) == 1) {
      it = m_lstHitEffect.erase(it);
      continue;
    }
    BlitCell(lpDst, PictureSetSurface(g_EffectGraphics, d.nSurface), d.nDstX, d.nDstY, d.nDstW, d.nDstH, d.nSrcX,
             d.nSrcY, d.nSrcW, d.nSrcH);
    ++it;
  }
}
