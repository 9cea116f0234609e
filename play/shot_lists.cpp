// The stage's shot lists.
#include "play/shot_lists.h"

#include <algorithm>

#include "play/box_columns.h"
#include "play/hit_effect.h"
#include "play/live_limits.h"

namespace {
const std::list<cShot*> kNoShots;
bool s_bUseClashColumns = true;  // tests only turn it off
// Below this many shots in the other group the pair of groups is walked
// whole.
constexpr size_t kClashColumnsFrom = 16;
}  // namespace

std::list<cShot*>& cShotLists::GroupList(int nGroup) {
  // The group is a byte of the shot record; anything else is folded into it.
  const size_t g = static_cast<size_t>(nGroup) & 0xFF;
  // All 256 at once: the lists never move after, so the places kept in
  // m_vPlace stay good.
  if (m_vGroupShots.size() <= g) m_vGroupShots.resize(256);
  return m_vGroupShots[g];
}

const std::list<cShot*>& cShotLists::Group(int nGroup) const {
  const size_t g = static_cast<size_t>(nGroup) & 0xFF;
  return g < m_vGroupShots.size() ? m_vGroupShots[g] : kNoShots;
}

cShot* cShotLists::Add(std::unique_ptr<cShot> lpShot) {
  if (!RoomForLive(LIVE_SHOT, m_lstShot.size())) return nullptr;
  cShot& s = *lpShot;
  m_lstShot.push_back(std::move(lpShot));
  const size_t g = static_cast<size_t>(s.m_nGroup) & 0xFF;
  std::list<cShot*>& group = GroupList(s.m_nGroup);
  group.push_back(&s);
  // Whether a shot flies is settled before it joins (ShotInit).
  auto itSword = m_lstSword.end();
  if (!s.m_bFlying) itSword = m_lstSword.insert(m_lstSword.end(), &s);
  const SHOTPLACE place{&s, std::prev(m_lstShot.end()), std::prev(group.end()), g, itSword};
  if (m_vFreePlace.empty()) {
    s.m_nListPlace = static_cast<int>(m_vPlace.size());
    m_vPlace.push_back(place);
  } else {
    s.m_nListPlace = m_vFreePlace.back();
    m_vFreePlace.pop_back();
    m_vPlace[static_cast<size_t>(s.m_nListPlace)] = place;
  }
  return &s;
}

SHOTLIST::iterator cShotLists::Unlink(cShot* lpShot) {
  // A shot not in these lists (never added, or gone already) holds no
  // entry that names it.
  const int n = lpShot->m_nListPlace;
  if (n < 0 || static_cast<size_t>(n) >= m_vPlace.size() || m_vPlace[static_cast<size_t>(n)].lpShot != lpShot)
    return m_lstShot.end();
  const SHOTPLACE place = m_vPlace[static_cast<size_t>(n)];
  m_vPlace[static_cast<size_t>(n)].lpShot = nullptr;
  m_vFreePlace.push_back(n);
  lpShot->m_nListPlace = -1;
  m_vGroupShots[place.nGroup].erase(place.itGroup);
  if (place.itSword != m_lstSword.end()) m_lstSword.erase(place.itSword);
  return place.itAll;
}

void cShotLists::Remove(cShot* lpShot) {
  const SHOTLIST::iterator it = Unlink(lpShot);
  if (it != m_lstShot.end()) m_lstShot.erase(it);
}

void cShotLists::Clear() {
  // The shots go with m_lstShot, their places with them.
  m_vPlace.clear();
  m_vFreePlace.clear();
  m_vGroupShots.clear();
  m_lstSword.clear();
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
      Unlink(&s);
      it = m_lstShot.erase(it);
    } else {
      ++it;
    }
  }
}

bool AttackBoxesMeet(const cShot& a, const cShot& b) { return BoxOverlaps(AttackBox(a), AttackBox(b)); }

void cShotLists::ClashShots() {
  cBoxColumns columns;
  std::vector<HITBOX> vBoxes;
  std::vector<cShot*> vB;
  std::vector<char> vGone;
  std::vector<int> vNear;
  // The groups that have shots, ascending: a clash only removes shots, so
  // no other group gains any while this runs.
  std::vector<size_t> vHeld;
  for (size_t g = 0; g < m_vGroupShots.size(); ++g)
    if (!m_vGroupShots[g].empty()) vHeld.push_back(g);
  for (size_t hi = 0; hi < vHeld.size(); ++hi) {
    const size_t i = vHeld[hi];
    for (size_t hj = hi + 1; hj < vHeld.size(); ++hj) {
      const size_t j = vHeld[hj];
      if (m_vGroupShots[j].empty() || m_vGroupShots[i].empty()) continue;
      // Group j as it stands, by columns of the attack boxes (a clash only
      // removes shots, it moves none); a shot of it that goes is marked.
      vB.assign(m_vGroupShots[j].begin(), m_vGroupShots[j].end());
      vGone.assign(vB.size(), 0);
      const bool bColumns = s_bUseClashColumns && vB.size() >= kClashColumnsFrom;
      if (bColumns) {
        vBoxes.clear();
        for (cShot* b : vB) vBoxes.push_back(AttackBox(*b));
        columns.Build(vBoxes);
      }
      auto itA = m_vGroupShots[i].begin();
      while (itA != m_vGroupShots[i].end()) {
        cShot* a = *itA;
        bool bRemoveA = false;
        if (bColumns) {
          columns.Query(AttackBox(*a), -1, vNear);
        } else {
          vNear.resize(vB.size());
          for (size_t k = 0; k < vB.size(); ++k) vNear[k] = static_cast<int>(k);
        }
        for (int k : vNear) {
          if (vGone[static_cast<size_t>(k)]) continue;
          cShot* b = vB[static_cast<size_t>(k)];
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
            vGone[static_cast<size_t>(k)] = 1;
            Remove(b);
          }
        }
        // A goes after the walk over group j.
        ++itA;
        if (bRemoveA) Remove(a);
      }
    }
  }
}

void UseClashColumnsForTests(bool bUse) { s_bUseClashColumns = bUse; }
