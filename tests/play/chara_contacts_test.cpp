// Contact damage between charas of different groups (their sides): both
// sides of a touch hurt each other, once per attacker while the
// invincibility lasts; one group never hurts itself; a defeat by contact is
// swept, and player 1's ends the pass with 2.
#include <gtest/gtest.h>

#include <vector>

#include "play/live_lists.h"
#include "play/play_links.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "records/progress.h"
#include "records/system.h"
#include "tests/play/chara_fixture.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/flow_fixtures.h"

namespace {

cEdChara Fighter(int nSide, uint32_t nHp, uint32_t nAttack) {
  cEdChara d = MakeEnemyDef(nHp);
  d.m_nSide = static_cast<uint8_t>(nSide);
  d.m_nAttack = nAttack;
  return d;
}

class CharaContacts : public cSceneTest {
 protected:
  void SetUp() override {
    cSceneTest::SetUp();
    m_Stage.m_nCharaInvincible = 0;  // only the per-attacker immunity
    m_Stage.m_nPlayerInvincible = 0;
    cEdChara player = Fighter(9, 3, 0);  // groups meet in order: player 1's last
    player.m_nType = 0;
    m_Stage.m_vecChara.front() = PlacedAt(player, 2, 13);
  }
};

TEST_F(CharaContacts, TouchingCharasOfOtherGroupsHurtEachOtherOncePerAttacker) {
  struct CASE {
    const char* name;
    cEdChara a, b;
    int nHpA, nHpB;
  };
  cEdChara block = Fighter(3, 10, 2);
  block.m_bBlockChara = 1;
  cEdChara pusher = Fighter(3, 10, 0);
  pusher.m_nKnockBack = 5;
  const CASE cases[] = {
      {"both hurt", Fighter(2, 10, 3), Fighter(3, 10, 2), 8, 7},
      {"one group never hurts itself", Fighter(2, 10, 3), Fighter(2, 10, 2), 10, 10},
      {"no attack, no damage", Fighter(2, 10, 3), Fighter(3, 10, 0), 10, 7},
      {"an impact alone still touches", Fighter(2, 10, 0), pusher, 10, 10},
      {"block charas take no part", Fighter(2, 10, 3), block, 10, 10},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    m_Stage.m_vecChara.resize(1);
    m_Stage.m_vecChara.push_back(PlacedAt(c.a, 10, 13));
    m_Stage.m_vecChara.push_back(PlacedAt(c.b, 10, 13));
    auto s = Play();
    ASSERT_EQ(g_lstChara.size(), 2u);
    cStageChara& a = *g_lstChara.front();
    cStageChara& b = *g_lstChara.back();
    for (int n = 0; n < 3; ++n) EXPECT_EQ(s->ResolveCharaContacts(), 0);
    EXPECT_EQ(a.m_nHp, c.nHpA);
    EXPECT_EQ(b.m_nHp, c.nHpB);
    s.reset();
    ClearLiveObjects();
  }
}

TEST_F(CharaContacts, DefeatsByContactAreSweptAndPlayer1sEndsThePass) {
  m_Stage.m_vecChara.push_back(PlacedAt(Fighter(2, 1, 5), 10, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(Fighter(3, 20, 5), 10, 13));
  m_Stage.m_vecChara.push_back(PlacedAt(Fighter(10, 20, 5), 2, 13));  // on player 1
  auto s = Play();
  ASSERT_EQ(g_lstChara.size(), 3u);
  cStageChara* lpStrong = std::next(g_lstChara.begin())->get();
  lpStrong->SetTargetChara(g_lstChara.front().get());
  s->m_nSubStep = 1;
  EXPECT_EQ(s->ResolvePlayerContacts(), 2);
  // The weak one went in the sweep, and its watcher's link with it.
  ASSERT_EQ(g_lstChara.size(), 2u);
  EXPECT_EQ(g_lstChara.front().get(), lpStrong);
  EXPECT_EQ(lpStrong->m_lpTarget, nullptr);
}


// Two armies walking into each other (and a third side among them): the
// pass asks only the pairs its columns of charas give, yet every frame is
// the same as when it asks every pair of two sides.
class CharaContactCrowd : public ::testing::Test {
 protected:
  void SetUp() override { ResetSceneRecords(); }
  void TearDown() override {
    UseContactColumnsForTests(true);
    ClearScene();
  }
  static cEdStage Battle() {
    cEdStage st = MakeSceneStage(60);
    st.m_nCharaInvincible = 2;
    cEdChara player = Fighter(9, 1000000, 0);
    player.m_nType = 0;
    st.m_vecChara.push_back(PlacedAt(player, 30, 1));
    for (int i = 0; i < 300; ++i) {
      const int nSide = i % 7 == 6 ? 4 : 2 + i % 2;
      cEdChara c = Fighter(nSide, 3 + static_cast<uint32_t>(i % 5), 1 + static_cast<uint32_t>(i % 3));
      c.m_nKnockBack = static_cast<uint8_t>(i % 4 == 0 ? 6 : 0);
      c.m_nViewTestKind = 3;
      c.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeStraightMove(nSide == 2 ? 3 : 2, 8 + i % 9, 10)}));
      const int nCol = nSide == 2 ? i % 20 : nSide == 3 ? 40 + i % 20 : 20 + i % 20;
      st.m_vecChara.push_back(PlacedAt(c, nCol, 1 + (i / 20) % 12));
    }
    return st;
  }
  // Every chara's place, life and defeat, frame after frame.
  std::vector<double> Play(bool bColumns, int& nDefeats) {
    UseContactColumnsForTests(bColumns);
    auto s = PlayScene(Battle());
    EXPECT_EQ(s->m_nState, STAGESTATE_PLAY);
    std::vector<double> v;
    const size_t nStart = g_lstChara.size();
    for (int n = 0; n < 200 && s->m_nState == STAGESTATE_PLAY; ++n) {
      s->Update();
      for (auto& c : g_lstChara)
        v.insert(v.end(), {static_cast<double>(c->m_nId), c->m_dX, c->m_dY, static_cast<double>(c->m_nHp),
                           static_cast<double>(c->m_bDefeated)});
    }
    nDefeats = static_cast<int>(nStart - g_lstChara.size());
    s.reset();
    ClearScene();
    return v;
  }
};

TEST_F(CharaContactCrowd, TheSamePlayWithAndWithoutTheColumnsOfCharas) {
  int nDefeatsAll = 0, nDefeatsColumns = 0;
  const std::vector<double> all = Play(false, nDefeatsAll);
  const std::vector<double> columns = Play(true, nDefeatsColumns);
  EXPECT_GT(nDefeatsAll, 20);  // the armies did meet, and fought
  EXPECT_EQ(nDefeatsColumns, nDefeatsAll);
  ASSERT_EQ(columns.size(), all.size());
  EXPECT_TRUE(columns == all);
}

}  // namespace
