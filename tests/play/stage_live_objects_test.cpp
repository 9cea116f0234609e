// The stage scene's live objects in play: set up from the placements within
// the map, a chara that defeats itself in its own flow freed in the same
// sub-step, an item taken by player 1 freed, and nothing live left once the
// scene ends.
#include <gtest/gtest.h>

#include "play/live_lists.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "records/progress.h"
#include "records/system.h"
#include "tests/play/chara_fixture.h"
#include "tests/play/scene_fixture.h"

namespace {

class StageLiveObjects : public cSceneTest {};

TEST_F(StageLiveObjects, SetUpFromThePlacementsWithinTheMap) {
  m_Stage.m_vecChara.push_back(PlacedAt(MakeEnemyDef(5), 8, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(MakeEnemyDef(5), 8, 5000));  // below the map
  cEdItem item = MakeItemDef({});
  item.m_nColumn = 6;
  item.m_nRow = 13;
  m_Stage.m_vecItem.push_back(item);
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  ASSERT_EQ(g_vPlayer.size(), 1u);
  EXPECT_EQ(s->m_lpPlayer1, FirstPlayer());
  EXPECT_EQ(g_lstChara.size(), 1u);
  EXPECT_EQ(g_lstItem.size(), 1u);
  // Player 1 is set up at its cell's middle, then stands on its cell as its
  // picture offsets put it: on the floor below, from the first frame.
  const cPlayer& p1 = *FirstPlayer();
  EXPECT_DOUBLE_EQ(p1.m_dSetupX, (2 + STAGE_MARGIN_CELLS) * 32.0 + 16.0);
  EXPECT_DOUBLE_EQ(p1.m_dX, (2 + STAGE_MARGIN_CELLS) * 32.0 + p1.m_nImgOffsetX0 + 0.5);
  EXPECT_DOUBLE_EQ(p1.m_dBottom, (14 + STAGE_MARGIN_CELLS) * 32.0 - 1.0);
  s.reset();
  EXPECT_TRUE(g_vPlayer.empty());
  EXPECT_TRUE(g_lstChara.empty());
  EXPECT_TRUE(g_lstItem.empty());
}

TEST_F(StageLiveObjects, ACharaDefeatedByItsOwnFlowAndATakenItemAreFreedInPlay) {
  cEdChara doomed = MakeEnemyDef(5);
  doomed.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeHpCommand(0, 0, 0)}));
  m_Stage.m_vecChara.push_back(PlacedAt(doomed, 8, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(MakeEnemyDef(5), 12, 13));
  cEdItem item = MakeItemDef({});
  item.m_nColumn = 2;
  item.m_nRow = 13;
  m_Stage.m_vecItem.push_back(item);
  auto s = Play();
  ASSERT_EQ(s->m_nState, STAGESTATE_PLAY);
  for (int n = 0; n < 5; ++n) s->Update();
  ASSERT_EQ(g_lstChara.size(), 1u);
  EXPECT_EQ(g_lstChara.front()->m_dSetupX, (12 + STAGE_MARGIN_CELLS) * 32.0 + 16.0);  // the cell's centre
  EXPECT_TRUE(g_lstItem.empty());
  EXPECT_EQ(s->m_nState, STAGESTATE_PLAY);
}

}  // namespace

TEST_F(StageLiveObjects, ADefeatedCharaVanishesWhenFrozenAndLeavesInThePlayFrame) {
  m_Stage.m_vecChara.push_back(PlacedAt(MakeEnemyDef(5), 8, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(MakeEnemyDef(5), 12, 13));
  auto s = Play();
  ASSERT_EQ(g_lstChara.size(), 2u);
  cStageChara* lpDoomed = g_lstChara.begin()->get();
  cStageChara* lpOther = std::next(g_lstChara.begin())->get();
  // The other chara aims at the doomed one: the erasure must unlink it.
  lpOther->SetTargetChara(lpDoomed);
  lpDoomed->m_bDefeated = 1;  // no defeat effect: its animation is over at once
  // A frozen frame draws it no more but keeps it: the game thread may be
  // waiting inside one of its flows.
  EXPECT_EQ(s->DrawStageChara(*lpDoomed, 1), 1);
  s->DrawStageFrame(0, 1, 0, 1);
  ASSERT_EQ(g_lstChara.size(), 2u);
  s->DrawStageFrame(1, 0, 1, 1);
  ASSERT_EQ(g_lstChara.size(), 1u);
  EXPECT_EQ(g_lstChara.begin()->get(), lpOther);
  EXPECT_EQ(lpOther->m_lpTarget, nullptr);
  // A live chara is drawn and stays, frame after frame.
  s->DrawStageFrame(1, 0, 1, 1);
  EXPECT_EQ(g_lstChara.size(), 1u);
}
