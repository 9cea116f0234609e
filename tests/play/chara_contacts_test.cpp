// Contact damage between charas of different groups (their sides): both
// sides of a touch hurt each other, once per attacker while the
// invincibility lasts; one group never hurts itself; a defeat by contact is
// swept, and player 1's ends the pass with 2.
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

}  // namespace
