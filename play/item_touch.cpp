// Player 1 touching the live items, by each item's pick-up mode: taken on
// touch (0), acting once per touch while it stays (1), never touched (2).
#include "play/hits.h"
#include "play/item_object.h"
#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_scene.h"

int cSceneStage::TouchItems(cPlayer& player) {
  int nResult = 0;
  // The walk only marks taken items: an item's commands may add items,
  // and the sweep below frees the taken ones before anything else runs.
  for (auto& pi : g_lstItem) {
    cItemObj& it = *pi;
    if (it.m_bRemoved || !it.m_bEnabled || it.m_Def.m_nPickup == ITEMPICKUP_NEVER) continue;
    const bool bRepeat = it.m_Def.m_nPickup == ITEMPICKUP_REPEAT;
    if (!BoxOverlaps(PlayerPickUpBox(player), ObjectBox(it))) {
      // Stepping off lets the next touch act again.
      if (bRepeat) player.PlayerRemoveId(it.m_nId);
      continue;
    }
    player.RaiseTrigger(FlowTrigger::HitItem);
    if (bRepeat) {
      if (!player.PlayerIdNotListed(it.m_nId)) continue;
      player.m_lstIds.push_back(it.m_nId);
    }
    const int r = GiveItemToPlayer(player, it);
    if (!bRepeat) it.m_bRemoved = 1;
    if (r != 0) {
      nResult = r;
      break;
    }
  }
  SweepItems();
  return nResult;
}
