#include "play/chara_targeting.h"

#include <cstdlib>

#include "play/live_chara.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "records/stage.h"

namespace {

bool Passes(const cChara& c, const CHARAFILTER& f) {
  if (c.m_bDefeated || c.m_bRemoved) return false;
  if (f.bSameGroupOnly && c.m_Def.m_nGroup != f.nGroup) return false;
  if (f.bExcludeId && c.m_nId == f.nId) return false;
  if (f.bExcludeKind1 && c.m_Def.m_nInvincibleKind == 1) return false;
  if (f.bExcludeKind2 && c.m_Def.m_nInvincibleKind == 2) return false;
  if (f.bExcludeFlagged && c.m_Def.m_bBlockChara) return false;
  return true;
}

}  // namespace

cVector<cChara*> LiveCharas() {
  cVector<cChara*> v;
  for (auto& p : g_vPlayer)
    if (p) v.push_back(p.get());
  for (auto& c : g_lstChara)
    if (c) v.push_back(c.get());
  return v;
}

cChara* FindFirstChara(const cVector<cChara*>& list, const CHARAFILTER& f) {
  for (cChara* c : list)
    if (c && Passes(*c, f)) return c;
  return nullptr;
}

cChara* SelectTargetChara(int x, int y, const cVector<cChara*>& list, int nMode, const CHARAFILTER& f) {
  if (nMode < 0 || nMode > 2) return nullptr;
  cChara* lpOn = nullptr;
  cChara* lpOff = nullptr;
  int64_t nOn = 0, nOff = 0;
  for (cChara* c : list) {
    if (!c || !c->m_bEnabled || !Passes(*c, f)) continue;
    int cx = 0, cy = 0;
    PictureCentre(*c, cx, cy);
    const int64_t d = std::llabs(static_cast<int64_t>(cx) - x) + std::llabs(static_cast<int64_t>(cy) - y);
    const bool bOn = nMode == 1 || c->IsOnScreen();
    if (bOn) {
      if (!lpOn || d < nOn) lpOn = c, nOn = d;
    } else if (!lpOff || d < nOff) {
      lpOff = c, nOff = d;
    }
  }
  if (nMode == 0 && !lpOn) return lpOff;
  return lpOn;
}

cChara* SelectTargetFromCentre(const cGameObj& obj, const cVector<cChara*>& list) {
  int x = 0, y = 0;
  PictureCentre(obj, x, y);
  CHARAFILTER f;
  f.bExcludeKind2 = 1;
  return SelectTargetChara(x, y, list, g_Stage.m_bOnScreenOnly > 0 ? 2 : 0, f);
}
