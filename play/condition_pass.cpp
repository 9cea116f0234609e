#include "play/condition_pass.h"

#include <algorithm>

#include "flow/conditions.h"
#include "play/item_object.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/shot_lists.h"
#include "play/stage_chara.h"
#include "records/block.h"

void EvaluateCharaConditions(cShotLists& shots) {
  for (auto& p : g_vPlayer) {
    p->m_bEnabled = 1;
    p->m_bOnScreen = 1;
  }
  if (cVector<uint8_t>* sw = g_CharaScene.m_lpSwitches) std::fill(sw->begin(), sw->end(), 0);

  // A chara already taken out waits only for the sweep.
  for (auto& pc : g_lstChara) {
    cStageChara& c = *pc;
    if (c.m_bRemoved) continue;
    if (CheckConditionList(c.m_Def.m_vecCondition, c.m_Def.m_nCondMode, c.m_Def.m_nCondLatch, c.m_bCondLatched, c)) {
      c.m_bEnabled = 1;
      c.m_bOnScreen = c.IsOnScreen();
      c.StageCharaUpdateActive();
    } else {
      c.m_bEnabled = 0;
      c.m_bOnScreen = 0;
    }
  }
  // Only now has every active chara turned its switch on.
  for (auto& pc : g_lstChara) {
    cStageChara& c = *pc;
    if (c.m_bRemoved) continue;
    c.m_bPresent = c.m_bEnabled && c.StageCharaTryAppear() ? 1 : 0;
  }

  for (auto& pi : g_lstItem) {
    cItemObj& it = *pi;
    if (it.m_bRemoved) continue;
    it.m_bEnabled = CheckItemConditions(it);
    it.m_bOnScreen = it.m_bEnabled ? it.IsOnScreen() : 0;
  }
  for (auto& ps : shots.m_lstShot) {
    ps->m_bEnabled = 1;
    ps->m_bOnScreen = ps->IsOnScreen();
  }
}

int CheckItemConditions(cItemObj& item) {
  const cEdItem& d = item.m_Def;
  if (d.m_vecCondition.empty()) return 1;
  // Items and blocks are tested for player 1; a stage without one has no
  // subject, and its items stay as placed.
  cPlayer* p1 = FirstPlayer();
  if (!p1) return 1;
  return CheckConditionList(d.m_vecCondition, d.m_nCondMode, d.m_nCondLatch, item.m_bCondLatched, *p1);
}

bool CheckStageBlockConditions(const cEdBlock& block) {
  cPlayer* p1 = FirstPlayer();
  if (!p1) return true;
  return CheckConditionList(block.m_vecCondition, block.m_nCondMode, block.m_nCondLatch, block.m_bCondLatched, *p1) !=
         0;
}

void InstallBlockConditionTest() { SetBlockConditionTest(&CheckStageBlockConditions); }
