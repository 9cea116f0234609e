// The stage's shot lists.
#include "play/shot_lists.h"

#include <algorithm>

#include "play/hit_effect.h"

namespace {
const std::list<cShot*> kNoShots;
}

std::list<cShot*>& cShotLists::GroupList(int nGroup) {
  // The group is a byte of the shot record; anything else is folded into it.
  const size_t g = static_cast<size_t>(nGroup) & 0xFF;
  if (m_vGroupShots.size() <= g) m_vGroupShots.resize(g + 1);
  return m_vGroupShots[g];
}

const std::list<cShot*>& cShotLists::Group(int nGroup) const {
  const size_t g = static_cast<size_t>(nGroup) & 0xFF;
  return g < m_vGroupShots.size() ? m_vGroupShots[g] : kNoShots;
}

cShot& cShotLists::Add(std::unique_ptr<cShot> lpShot) {
  cShot& s = *lpShot;
  m_lstShot.push_back(std::move(lpShot));
  GroupList(s.m_nGroup).push_back(&s);
  return s;
}

void cShotLists::Remove(cShot* lpShot) {
  GroupList(lpShot->m_nGroup).remove(lpShot);
  m_lstShot.remove_if([lpShot](const std::unique_ptr<cShot>& p) { return p.get() == lpShot; });
}

void cShotLists::Clear() {
  m_vGroupShots.clear();
  m_lstShot.clear();
}

void cShotLists::StepAll(int nSubStep, const REMOVALAREA* lpAreas) {
  // Only the shots there when the sub-step starts are stepped: a shot added
  // behind them waits for the next one.
  const size_t nCount = m_lstShot.size();
  auto it = m_lstShot.begin();
  for (size_t i = 0; i < nCount && it != m_lstShot.end(); ++i) {
    cShot& s = **it;
    bool bDone = ShotStep(s) != 0;
    if (!bDone) {
      s.MoveX(2);
      if (!s.m_nNoGravity) s.ApplyGravity();
      s.MoveY(2);
      s.UpdateRectX();
      s.UpdateRectY();
      if (nSubStep == 1 && s.m_bFlying && ShotHitsBlock(s)) bDone = true;
      if (nSubStep == 1 && s.m_bFlying && lpAreas && s.IsOutOfArea(lpAreas[s.m_bOwnerStageChara ? 1 : 0]))
        bDone = true;
    }
    if (bDone) {
      GroupList(s.m_nGroup).remove(&s);
      it = m_lstShot.erase(it);
    } else {
      ++it;
    }
  }
}

bool AttackBoxesMeet(const cShot& a, const cShot& b) { return BoxOverlaps(AttackBox(a), AttackBox(b)); }

void cShotLists::ClashShots() {
  for (size_t i = 0; i < m_vGroupShots.size(); ++i) {
    for (size_t j = i + 1; j < m_vGroupShots.size(); ++j) {
      if (m_vGroupShots[j].empty()) continue;
      auto itA = m_vGroupShots[i].begin();
      while (itA != m_vGroupShots[i].end()) {
        cShot* a = *itA;
        bool bRemoveA = false;
        auto itB = m_vGroupShots[j].begin();
        while (itB != m_vGroupShots[j].end()) {
          cShot* b = *itB;
          bool bRemoveB = false;
          if ((a->m_Shot.m_byErasable || b->m_Shot.m_byErasable) && AttackBoxesMeet(*a, *b)) {
            const bool ea = a->m_Shot.m_byErasable != 0, eb = b->m_Shot.m_byErasable != 0;
            if (ea && eb) {
              bRemoveA = bRemoveA || a->m_Shot.m_cStrength <= b->m_Shot.m_cStrength;
              bRemoveB = b->m_Shot.m_cStrength <= a->m_Shot.m_cStrength;
            } else if (eb) {
              bRemoveB = true;
            } else {
              bRemoveA = true;
            }
          }
          if (bRemoveB) {
            itB = m_vGroupShots[j].erase(itB);
            m_lstShot.remove_if([b](const std::unique_ptr<cShot>& p) { return p.get() == b; });
          } else {
            ++itB;
          }
        }
        // A goes after the walk over group j.
        if (bRemoveA) {
          itA = m_vGroupShots[i].erase(itA);
          m_lstShot.remove_if([a](const std::unique_ptr<cShot>& p) { return p.get() == a; });
        } else {
          ++itA;
        }
      }
    }
  }
}
