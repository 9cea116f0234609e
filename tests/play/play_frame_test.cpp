// The play frame's answers to what moving did: player 1 falling out below
// the stage and pushed and crushed by an auto-scrolling view; a chara that
// falls defeated with every Died flow, one that leaves the stage or its
// removal area gone; life times running out.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "play/live_lists.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "records/common_palette.h"
#include "records/flow_enums.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/flow_fixtures.h"

namespace {

std::vector<int> g_vSounds;

constexpr uint8_t kLeft = 2;

class PlayFrame : public cSceneTest {
 protected:
  void SetUp() override {
    cSceneTest::SetUp();
    g_vSounds.clear();
    g_PlayLinks.pfnPlaySound = [](int n) { g_vSounds.push_back(n); };
  }
  // The floor of row 14 taken out from column c0 to c1.
  void OpenPit(int c0, int c1) {
    std::erase_if(m_Stage.m_vecBlock, [&](const cEdBlock& b) { return b.m_nColumn >= c0 && b.m_nColumn <= c1; });
  }
  // Updates until player 1 is defeated or n frames ran; the frames run.
  static int UntilDefeated(cSceneStage& s, int n) {
    int i = 0;
    while (i < n && !s.Player1Defeated()) {
      s.Update();
      ++i;
    }
    return i;
  }
  static int Count(int nSound) { return static_cast<int>(std::count(g_vSounds.begin(), g_vSounds.end(), nSound)); }
};

TEST_F(PlayFrame, PlayerOneFallingOutBelowTheStageIsDefeated) {
  OpenPit(1, 4);  // under player 1's cell
  auto s = Play();
  const int n = UntilDefeated(*s, 300);
  ASSERT_TRUE(s->Player1Defeated());
  // The fall takes it below the stage's last row; it never stands there.
  EXPECT_GT(n, 5);
  EXPECT_EQ(Count(8), 1);
  EXPECT_GE(FirstPlayer()->m_dBottom, (15 + STAGE_MARGIN_CELLS) * 32.0 - 1.0);
}

TEST_F(PlayFrame, AnAutoScrollingViewPushesPlayerOneAlongAndCrushesItAgainstAWall) {
  m_Stage = MakeSceneStage(60);
  m_Stage.m_vecChara.push_back(PlacedAt(MakeCharaDef(0, 10), 2, 13));
  m_Stage.m_nScrollKindX = 1;
  m_Stage.m_nAutoScrollX = 40;  // 4 pixels a frame
  PlaceColumn(m_Stage, 30, 10, 13, 1);
  auto s = Play();
  const double x0 = FirstPlayer()->m_dX;
  for (int i = 0; i < 100; ++i) s->Update();
  ASSERT_FALSE(s->Player1Defeated());
  // Standing still, it is carried with the view's left edge.
  const cPlayer& p = *FirstPlayer();
  EXPECT_GT(p.m_dX, x0 + 100);
  EXPECT_EQ(p.m_dX, s->m_aScroll[SCROLL_X].dPos);
  UntilDefeated(*s, 600);
  ASSERT_TRUE(s->Player1Defeated());
  // Caught between the view's edge and the wall's left side.
  EXPECT_LE(FirstPlayer()->m_dRight, (30 + STAGE_MARGIN_CELLS) * 32.0);
  EXPECT_GT(FirstPlayer()->m_dRight, (29 + STAGE_MARGIN_CELLS) * 32.0);
}

TEST_F(PlayFrame, ACharaThatFallsOutIsDefeatedWithEveryDiedFlow) {
  OpenPit(8, 9);
  cEdChara faller = MakeEnemyDef(5);
  // Each Died flow takes one HP from its target, player 1.
  for (int i = 0; i < 2; ++i) faller.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Died, {MakeHpCommand(1, 2, 1)}));
  m_Stage.m_vecChara.push_back(PlacedAt(faller, 8, 13));
  auto s = Play();
  ASSERT_EQ(g_lstChara.size(), 1u);
  for (int i = 0; i < 200 && !g_lstChara.empty(); ++i) s->Update();
  EXPECT_TRUE(g_lstChara.empty());
  EXPECT_EQ(Count(9), 1);
  EXPECT_EQ(FirstPlayer()->m_nHp, 8);
}

TEST_F(PlayFrame, ACharaLeavesByTheStagesEdgeOrByItsRemovalArea) {
  // A flier active wherever it is, flying left at 4 pixels a frame.
  cEdChara flier = MakeEnemyDef(5);
  flier.m_nMoveType = 1;
  flier.m_nViewTestKind = 3;
  flier.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeStraightMove(kLeft, 40, 100)}));
  m_Stage = MakeSceneStage(60);
  m_Stage.m_vecChara.push_back(PlacedAt(MakeCharaDef(0, 10), 2, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(flier, 12, 5));
  for (const bool bArea : {false, true}) {
    SCOPED_TRACE(bArea ? "removal area 1, its left side a cell beyond the view" : "the padded stage's edge");
    m_Stage.m_aSub[0].Set(bArea ? 1 : 0, 0, 0, 0, 1, 0, 0, 0);
    auto s = Play();
    ASSERT_EQ(g_lstChara.size(), 1u);
    double dLeft = 0, dRight = 0;
    for (int i = 0; i < 400 && !g_lstChara.empty(); ++i) {
      dLeft = g_lstChara.front()->m_dX;
      dRight = g_lstChara.front()->m_dRight;
      s->Update();
    }
    EXPECT_TRUE(g_lstChara.empty());
    // Gone in the frame that takes it past its line, neither earlier nor
    // later: the view starts at stage pixel 320.
    if (bArea) {
      EXPECT_GT(dRight, 320.0 - 32.0);
      EXPECT_LE(dRight, 320.0 - 32.0 + 4.0);
    } else {
      EXPECT_GT(dLeft, 0.0);
      EXPECT_LE(dLeft, 4.0);
    }
    EXPECT_EQ(Count(9), 0);
    s.reset();
    ClearScene();
  }
}

TEST_F(PlayFrame, LifeTimesOfCharasAndItemsRunOut) {
  auto s = Play();
  cPlayer& owner = *FirstPlayer();
  owner.m_nDir = 1;
  owner.m_dY -= 32;  // the summons level with its middle stand clear of the floor
  owner.SyncBoxY();
  cEdShot p;
  p.SetDefaults();
  p.m_cCount = 1;
  p.m_bySetting41 = 1;  // a life time of 3 tenths: 18 frames
  p.m_nLaunch2 = 3;
  g_CommonPalette.m_vecChara.resize(1);
  g_CommonPalette.m_vecChara.push_back(MakeEnemyDef(5));
  g_CommonPalette.m_vecItem.resize(1);
  g_CommonPalette.m_vecItem.push_back(MakeItemDef({}));
  p.m_nSummonIndex = 1;
  s->SummonObjects(owner, 14, 0, p);
  s->SummonObjects(owner, 15, 0, p);
  ASSERT_EQ(g_lstChara.size(), 1u);
  ASSERT_EQ(g_lstItem.size(), 1u);
  for (int i = 0; i < 18; ++i) s->Update();
  EXPECT_EQ(g_lstChara.size(), 1u);
  EXPECT_EQ(g_lstItem.size(), 1u);
  s->Update();
  EXPECT_TRUE(g_lstChara.empty());
  EXPECT_TRUE(g_lstItem.empty());
  g_CommonPalette = cEdCommonPalette();
}

}  // namespace
