#include "play/live_lists.h"

#include <algorithm>

#include "flow/flow_host.h"
#include "play/block_chara_collision.h"
#include "play/id_index.h"
#include "play/item_object.h"
#include "play/live_chara.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_context.h"
#include "play/target_index.h"
#include "records/system.h"

namespace {
// Installed at start-up, read by the game thread.
cVector<CHARAFORGETTER> s_vCharaForgetters;
}  // namespace

cPlayer* FirstPlayer() { return g_vPlayer.empty() ? nullptr : g_vPlayer.front().get(); }

void AddCharaForgetter(CHARAFORGETTER pfn) { s_vCharaForgetters.push_back(pfn); }

void ForgetChara(cChara& chara) {
  // Targets and families are linked both ways (a chara cannot be copied,
  // and a target is only set through SetTargetChara), so the chara's own
  // lists name everyone who names it: no walk over the other charas.
  chara.DropLinks();
  if (g_FlowContext.m_lpCurChara == static_cast<cFlowChara*>(&chara)) {
    g_FlowContext.m_lpCurChara = nullptr;
    g_FlowContext.m_lpCurFlow = nullptr;
    g_FlowContext.m_lpCurCommand = nullptr;
  }
  if (g_lpStageContext) {
    if (g_lpStageContext->m_lpCurChara == &chara) g_lpStageContext->m_lpCurChara = nullptr;
    if (g_lpStageContext->m_lpPlayer1 == &chara) g_lpStageContext->m_lpPlayer1 = nullptr;
  }
  for (CHARAFORGETTER pfn : s_vCharaForgetters) pfn(chara);
}

cList<std::unique_ptr<cStageChara>>::iterator EraseChara(cList<std::unique_ptr<cStageChara>>::iterator it) {
  // Out of the list first, so that the forgetters walk only live charas.
  std::unique_ptr<cStageChara> gone = std::move(*it);
  it = g_lstChara.erase(it);
  BlockCharaRosterForget(gone.get());
  if (gone) IdIndexForget(*gone);
  if (gone) ForgetChara(*gone);
  return it;
}

int SweepCharas() {
  int n = 0;
  for (auto it = g_lstChara.begin(); it != g_lstChara.end();) {
    cStageChara* c = it->get();
    // With the project's keep-defeated setting a defeated chara stays
    // until the drawing has shown its defeat effect to the end.
    const bool bGone = !c || c->m_bRemoved || (c->m_bDefeated && !g_System.m_bKeepDefeated);
    if (!bGone) {
      ++it;
      continue;
    }
    it = EraseChara(it);
    ++n;
  }
  return n;
}

int SweepItems() {
  int n = 0;
  for (auto it = g_lstItem.begin(); it != g_lstItem.end();) {
    if (*it && !(*it)->m_bRemoved) {
      ++it;
      continue;
    }
    it = g_lstItem.erase(it);
    ++n;
  }
  return n;
}

void ClearLiveObjects() {
  // Nothing is searched for until the lists fill again.
  TargetIndexNewFrame();
  while (!g_lstChara.empty()) EraseChara(std::prev(g_lstChara.end()));
  g_lstItem.clear();
  while (!g_vPlayer.empty()) {
    std::unique_ptr<cPlayer> gone = std::move(g_vPlayer.back());
    g_vPlayer.pop_back();
    if (gone) ForgetChara(*gone);
  }
}
