#include "play/chara_targeting.h"

#include <cstdlib>

#include "play/id_index.h"
#include "play/live_chara.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/target_index.h"
#include "records/stage.h"

namespace {

// Game thread only; tests turn it off.
bool s_bUseIndex = true;

bool Passes(const cChara& c, const CHARAFILTER& f) {
  if (c.m_bDefeated || c.m_bRemoved) return false;
  if (f.bSameGroupOnly && c.m_Def.m_nGroup != f.nGroup) return false;
  if (f.bExcludeId && c.m_nId == f.nId) return false;
  if (f.bExcludeKind1 && c.m_Def.m_nInvincibleKind == 1) return false;
  if (f.bExcludeKind2 && c.m_Def.m_nInvincibleKind == 2) return false;
  if (f.bExcludeFlagged && c.m_Def.m_bBlockChara) return false;
  if (f.bSideOnly && c.m_nSide != f.nSide) return false;
  return true;
}

// The nearest of the charas offered, on screen and off (mode 1 counts every
// chara as on screen), by |cx − x| + |cy − y| from the picture centres. The
// charas may come in any order: of equal distances the lower rank (the
// earlier in list order) wins.
class cNearest {
 public:
  cNearest(int x, int y, int nMode, const CHARAFILTER& f) : m_nX(x), m_nY(y), m_nMode(nMode), m_Filter(f) {}

  // The tests run cheapest first: the filters only for a chara that would
  // otherwise be the new best.
  void Offer(cChara& c, uint64_t nRank) {
    if (!c.m_bEnabled) return;
    const bool bOn = m_nMode == 1 || c.IsOnScreen();
    // One off screen counts only in mode 0 while none on screen is found.
    if (!bOn && (m_nMode == 2 || m_On.lpChara)) return;
    int cx = 0, cy = 0;
    PictureCentre(c, cx, cy);
    const int64_t d = std::llabs(static_cast<int64_t>(cx) - m_nX) + std::llabs(static_cast<int64_t>(cy) - m_nY);
    BEST& b = bOn ? m_On : m_Off;
    if (b.lpChara && !(d < b.nDist || (d == b.nDist && nRank < b.nRank))) return;
    if (Passes(c, m_Filter)) b = BEST{&c, d, nRank};
  }
  // Whether a chara at least nLeast away could still be the answer: once
  // one on screen is found, only another on screen at most as far (a tie
  // goes to the earlier in list order); once none on screen can pass, only
  // another off screen at most as far as the best of them.
  bool CouldWin(int64_t nLeast) const {
    if (m_On.lpChara) return nLeast <= m_On.nDist;
    return !m_bOffScreenOnly || !m_Off.lpChara || nLeast <= m_Off.nDist;
  }
  bool FoundOnScreen() const { return m_On.lpChara != nullptr; }
  // Every chara on screen was offered and none passed: the rest are off
  // screen.
  void NoneOnScreenLeft() { m_bOffScreenOnly = true; }
  cChara* Result() const { return m_nMode == 0 && !m_On.lpChara ? m_Off.lpChara : m_On.lpChara; }

 private:
  struct BEST {
    cChara* lpChara = nullptr;
    int64_t nDist = 0;
    uint64_t nRank = 0;
  };
  const int m_nX, m_nY, m_nMode;
  const CHARAFILTER& m_Filter;
  BEST m_On, m_Off;
  bool m_bOffScreenOnly = false;
};

}  // namespace

cVector<cChara*> LiveCharas() {
  cVector<cChara*> v;
  for (auto& p : g_vPlayer)
    if (p) v.push_back(p.get());
  for (auto& c : g_lstChara)
    if (c) v.push_back(c.get());
  return v;
}

cChara* SelectLiveTarget(int x, int y, int nMode, const CHARAFILTER& f) {
  if (nMode < 0 || nMode > 2) return nullptr;
  cNearest best(x, y, nMode, f);
  // The players come first in list order: they rank 0, the stage charas
  // after them.
  for (auto& p : g_vPlayer)
    if (p) best.Offer(*p, 0);
  if (!s_bUseIndex) {
    uint64_t nRank = 1;
    for (auto& c : g_lstChara)
      if (c) best.Offer(*c, nRank++);
    return best.Result();
  }
  auto offer = [&](cChara& c, uint64_t nRank) { best.Offer(c, nRank + 1); };
  auto goOn = [&](int64_t nLeast) { return best.CouldWin(nLeast); };
  if (nMode == 1) {
    cTargetIndex::Ready().WalkOutward(x, y, offer, goOn);
    return best.Result();
  }
  // The charas on screen first; when none of them passes, mode 0 looks at
  // every chara, and only the ones off screen can pass.
  const cTargetIndex& index = cTargetIndex::ReadyOnScreen();
  index.WalkOnScreenOutward(x, y, offer, goOn);
  if (nMode == 0 && !best.FoundOnScreen()) {
    best.NoneOnScreenLeft();
    index.WalkOutward(x, y, offer, goOn);
  }
  return best.Result();
}

cChara* SelectTargetFromCentre(const cGameObj& obj, int nSide) {
  int x = 0, y = 0;
  PictureCentre(obj, x, y);
  CHARAFILTER f;
  f.bExcludeKind2 = 1;
  f.bSideOnly = 1;
  f.nSide = nSide;
  return SelectLiveTarget(x, y, g_Stage.m_bOnScreenOnly > 0 ? 2 : 0, f);
}

cChara* FindLiveCharaById(const cChara* lpSelf, int32_t nCharaId, const CHARAFILTER& f) {
  for (auto& p : g_vPlayer)
    if (p && p.get() != lpSelf && Passes(*p, f) && p->Status(CharaStatus::CharaId) == nCharaId) return p.get();
  // Status 5 of a stage chara is its m_nCharaId.
  return cIdIndex::Ready().FirstOfCharaId(nCharaId, [&](const cChara& c) { return &c != lpSelf && Passes(c, f); });
}

void UseTargetIndexForTests(bool bUse) { s_bUseIndex = bUse; }
