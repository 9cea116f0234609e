// Contact damage: charas of different hit groups (their sides) that touch
// hurt each other by their contact attack and impact, once per attacker
// until the per-attacker invincibility runs out.
#include <vector>

#include "play/box_columns.h"
#include "play/chara_targeting.h"
#include "play/hits.h"
#include "play/live_chara.h"
#include "play/play_state.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "records/stage.h"

namespace {

constexpr int kSoundHit = 7;
constexpr int kSoundCharaDefeated = 9;
constexpr int kGroups = 256;

bool TakesPart(cChara& c, bool bOnScreenOnly) {
  if (c.m_bDefeated || c.m_bRemoved) return false;
  if (!c.IsPlayer()) {
    const cStageChara& s = static_cast<const cStageChara&>(c);
    if (!s.m_bPresent || s.m_Def.m_bBlockChara) return false;
  }
  return !bOnScreenOnly || c.IsOnScreen();
}

bool HasContactAttack(const cChara& c) { return c.m_Def.m_nAttack != 0 || c.m_Def.m_nKnockBack != 0; }

bool s_bUseColumns = true;  // tests only turn it off
// Below this many charas on the far side a pair of sides is walked whole.
constexpr size_t kColumnsFrom = 16;

}  // namespace

int cSceneStage::ResolveCharaContacts() {
  const bool bOnScreenOnly = g_Stage.m_bOnScreenOnly != 0;
  // Gathered once: a defeat here only marks the chara, and the sweep that
  // frees it runs after this pass; a chara made by a defeat flow waits for
  // the next sub-step.
  std::vector<std::vector<cChara*>> vByGroup(kGroups);
  const cVector<cChara*> live = LiveCharas();
  for (size_t k = 0; k < live.size(); ++k) {
    cChara* c = live.CheckedAt(k);
    if (TakesPart(*c, bOnScreenOnly)) vByGroup[static_cast<size_t>(c->m_nSide) & 0xFF].push_back(c);
  }
  // The defeat of one side of a contact: 0 go on, 1 the stage ends, 2 player
  // 1 is defeated.
  auto defeat = [this](cChara& c) {
    if (c.IsPlayer()) return 2;
    RequestSystemSound(kSoundCharaDefeated);
    return DefeatCharaInPlay(static_cast<cStageChara&>(c));
  };
  // The sides that have charas, in order: a crowd of one side costs no walk
  // over the sides it has no pairs with.
  std::vector<int> vSides;
  for (int i = 0; i < kGroups; ++i)
    if (!vByGroup[i].empty()) vSides.push_back(i);
  cBoxColumns columns;
  std::vector<HITBOX> vBoxes;
  std::vector<int> vNear;
  for (size_t si = 0; si < vSides.size(); ++si) {
    const int i = vSides[si];
    for (size_t sj = si + 1; sj < vSides.size(); ++sj) {
      const int j = vSides[sj];
      const std::vector<cChara*>& vB = vByGroup[j];
      // Only a hurt runs code that may move a chara: the columns stand
      // until one, and are built again before the next query after it.
      const bool bColumns = s_bUseColumns && vB.size() >= kColumnsFrom;
      bool bBuilt = false;
      for (cChara* a : vByGroup[i]) {
        int nAfter = -1;
        bool bRequery = true;
        while (bRequery) {
          bRequery = false;
          if (bColumns) {
            if (!bBuilt) {
              vBoxes.clear();
              for (cChara* b : vB) vBoxes.push_back(CharaContactBox(*b));
              columns.Build(vBoxes);
            }
            bBuilt = true;
            columns.Query(CharaContactBox(*a), nAfter, vNear);
          } else {
            vNear.clear();
            for (int k = nAfter + 1; k < static_cast<int>(vB.size()); ++k) vNear.push_back(k);
          }
          for (int k : vNear) {
            cChara* b = vB[static_cast<size_t>(k)];
            if (a->m_bDefeated || b->m_bDefeated) continue;
            if (!BoxOverlaps(CharaContactBox(*a), CharaContactBox(*b))) continue;
            a->RaiseTrigger(FlowTrigger::HitChara);
            b->RaiseTrigger(FlowTrigger::HitChara);
            const bool bHurtA = HasContactAttack(*b) && !a->CharaIsInvincibleTo(b->m_nId);
            const bool bHurtB = HasContactAttack(*a) && !b->CharaIsInvincibleTo(a->m_nId);
            const int bDiedA = bHurtA ? a->CharaDamagedByChara(*b) : 0;
            const int bDiedB = bHurtB ? b->CharaDamagedByChara(*a) : 0;
            if (bHurtA || bHurtB) RequestSystemSound(kSoundHit);
            if (bHurtA) {
              if (!bDiedA) {
                a->CharaStartInvincibleFrom(b->m_nId);
              } else if (const int r = defeat(*a)) {
                return r;
              }
            }
            if (bHurtB) {
              if (!bDiedB) {
                b->CharaStartInvincibleFrom(a->m_nId);
              } else if (const int r = defeat(*b)) {
                return r;
              }
            }
            if (bColumns && (bHurtA || bHurtB)) {
              bBuilt = false;
              nAfter = k;
              bRequery = true;
              break;
            }
          }
        }
      }
    }
  }
  return 0;
}

void UseContactColumnsForTests(bool bUse) { s_bUseColumns = bUse; }
