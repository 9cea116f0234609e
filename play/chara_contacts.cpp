// Contact damage: charas of different hit groups (their sides) that touch
// hurt each other by their contact attack and impact, once per attacker
// until the per-attacker invincibility runs out.
#include <algorithm>
#include <cmath>
#include <vector>

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
constexpr double kColumnWidth = 64.0;
// A box over more columns than this is asked about by every query.
constexpr int kWideColumns = 8;

bool HasNaN(const HITBOX& b) {
  return std::isnan(b.dLeft) || std::isnan(b.dTop) || std::isnan(b.dRight) || std::isnan(b.dBottom);
}

// The charas of one side by the columns of stage pixels their contact boxes
// cover: a query gives, in the side's order, those whose columns meet the
// asked box, a superset of those whose boxes overlap it. Valid while no box
// of the side changes; a box with a coordinate that is not a number
// overlaps nothing and is left out.
class cSideColumns {
 public:
  void Build(const std::vector<cChara*>& v) {
    m_vBox.resize(v.size());
    m_vWide.clear();
    double dMin = 0, dMax = 0;
    bool bAny = false;
    for (size_t k = 0; k < v.size(); ++k) {
      m_vBox[k] = CharaContactBox(*v[k]);
      const HITBOX& b = m_vBox[k];
      if (HasNaN(b)) continue;
      for (double x : {b.dLeft, b.dRight}) {
        if (!std::isfinite(x)) continue;
        dMin = bAny ? std::min(dMin, x) : x;
        dMax = bAny ? std::max(dMax, x) : x;
        bAny = true;
      }
    }
    m_dOrigin = dMin;
    // Columns of 64 pixels, at most a few per chara: a side spread far
    // apart gets wider ones.
    const double dLimit = static_cast<double>(2 * v.size() + 64), dSpan = dMax - dMin;
    m_dWidth = std::isfinite(dSpan) ? std::max(kColumnWidth, dSpan / dLimit) : kColumnWidth;
    m_nColumns = std::isfinite(dSpan) ? static_cast<int>(std::min(dLimit, dSpan / m_dWidth + 1.0)) : 1;
    m_vStart.assign(static_cast<size_t>(m_nColumns) + 1, 0);
    for (int pass = 0; pass < 2; ++pass) {
      if (pass == 1) {
        for (int c = 0; c < m_nColumns; ++c) m_vStart[c + 1] += m_vStart[c];
        m_vEntry.resize(m_vStart[m_nColumns]);
        m_vFill.assign(m_vStart.begin(), m_vStart.end() - 1);
      }
      for (size_t k = 0; k < v.size(); ++k) {
        const HITBOX& b = m_vBox[k];
        if (HasNaN(b)) continue;
        const int c0 = Column(b.dLeft), c1 = Column(b.dRight);
        if (c1 - c0 >= kWideColumns) {
          if (pass == 0) m_vWide.push_back(static_cast<int>(k));
          continue;
        }
        for (int c = c0; c <= c1; ++c) {
          if (pass == 0) ++m_vStart[c + 1];
          else m_vEntry[m_vFill[c]++] = static_cast<int>(k);
        }
      }
    }
  }
  // The indices past nAfter whose columns meet the box, ascending.
  void Query(const HITBOX& box, int nAfter, std::vector<int>& out) const {
    out.clear();
    if (HasNaN(box)) return;
    for (int k : m_vWide)
      if (k > nAfter) out.push_back(k);
    const int c0 = Column(box.dLeft), c1 = Column(box.dRight);
    for (int c = c0; c <= c1 && c < m_nColumns; ++c)
      for (size_t e = m_vStart[c]; e < m_vStart[c + 1]; ++e)
        if (m_vEntry[e] > nAfter) out.push_back(m_vEntry[e]);
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
  }

 private:
  // Never decreasing in x, so boxes that overlap share a column.
  int Column(double x) const {
    const double c = std::floor((x - m_dOrigin) / m_dWidth);
    if (!(c > 0)) return 0;
    return c >= m_nColumns - 1 ? m_nColumns - 1 : static_cast<int>(c);
  }
  std::vector<HITBOX> m_vBox;
  std::vector<size_t> m_vStart, m_vFill;
  std::vector<int> m_vEntry, m_vWide;
  double m_dOrigin = 0, m_dWidth = kColumnWidth;
  int m_nColumns = 1;
};

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
  cSideColumns columns;
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
            if (!bBuilt) columns.Build(vB);
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
