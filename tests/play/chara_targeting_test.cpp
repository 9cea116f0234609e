// Choosing charas: filters, the nearest by mode with on-screen preference,
// ties, and the SetTarget choice with its pursuer bookkeeping.
#include <gtest/gtest.h>

#include <algorithm>

#include "play/chara_targeting.h"
#include "tests/play/chara_fixture.h"

namespace {

class CharaTargetingTest : public cCharaFixture {
 protected:
  cStageChara& At(int col, int row, int nId, uint8_t nKind = 0) {
    cEdChara d = MakeEnemyDef(1);
    d.m_nMoveType = 1;
    d.m_nInvincibleKind = nKind;
    cStageChara& c = AddEnemy(d, col, row, nullptr, nId);
    Pass();
    c.UpdateScreenRect();
    return c;
  }
};

TEST_F(CharaTargetingTest, NearestByModePrefersTheScreenAndKeepsTheFirstOfEqualDistances) {
  // The view shows columns 0 to 19; the point is the view's left edge.
  At(25, 5, 1);   // off screen, nearest of all
  At(30, 5, 2);   // off screen
  At(12, 5, 3);   // on screen
  At(12, 5, 4);   // on screen, same distance as 3
  const cVector<cChara*> all = LiveCharas();
  // A point right of every chara, in view coordinates: column 25 is the
  // nearest of all.
  const int x = 320 + 20 * 32, y = 320 + 5 * 32;
  struct CASE {
    int nMode;
    int nId;  // 0: none
  };
  const CASE cases[] = {{0, 3}, {1, 1}, {2, 3}, {3, 0}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nMode);
    cChara* r = SelectTargetChara(x - static_cast<int>(m_Ctx.m_aScroll[SCROLL_X].dPos), y - 320, all, c.nMode, {});
    EXPECT_EQ(r ? r->m_nId : 0, c.nId);
  }
  // Nothing on screen: mode 0 falls back to the nearest off screen.
  CHARAFILTER f;
  f.bExcludeKind1 = 1;
  for (auto& ch : g_lstChara)
    if (ch->m_nId >= 3) ch->m_Def.m_nInvincibleKind = 1;
  cChara* r = SelectTargetChara(x - 320, y - 320, all, 0, f);
  EXPECT_EQ(r ? r->m_nId : 0, 1);
}

TEST_F(CharaTargetingTest, FirstCharaPassesEveryFilter) {
  cStageChara& a = At(5, 5, 1, 2);
  cStageChara& b = At(6, 5, 2);
  b.m_Def.m_bBlockChara = 1;
  cStageChara& c = At(7, 5, 3);
  c.m_Def.m_nGroup = 4;
  At(8, 5, 4);
  const cVector<cChara*> all = LiveCharas();
  EXPECT_EQ(FindFirstChara(all, {}), &a);
  EXPECT_EQ(FindFirstChara(all, {0, 0, 0, 0, 0, 1, 0}), &b);
  EXPECT_EQ(FindFirstChara(all, {0, 0, 0, 0, 0, 1, 1}), &c);
  EXPECT_EQ(FindFirstChara(all, {1, 4, 1, 3, 0, 0, 0}), nullptr);
  a.m_bDefeated = 1;
  EXPECT_EQ(FindFirstChara(all, {}), &b);
}

TEST_F(CharaTargetingTest, SetTargetRegistersWithTheChosenCharaOnly) {
  cPlayer& p = AddPlayer(3);
  cStageChara& e = At(5, 11, 10);
  cStageChara& near = At(6, 11, 11);
  At(15, 11, 12);
  EXPECT_EQ(e.m_lpTarget, &p);
  const int32_t nearest[10] = {2, 0, 1};
  e.ChooseTarget(nearest, 10);
  EXPECT_EQ(e.m_lpTarget, &near);
  EXPECT_EQ(std::count(p.m_vTargetedBy.begin(), p.m_vTargetedBy.end(), &e), 0);
  EXPECT_EQ(near.m_vTargetedBy.size(), 1u);
  const int32_t byId[10] = {3, 7};
  near.SetStatus(CharaStatus::CharaId, 7);
  e.ChooseTarget(byId, 10);
  EXPECT_EQ(e.m_lpTarget, &near);
  EXPECT_EQ(near.m_vTargetedBy.size(), 1u);
  const int32_t missing[10] = {3, 99};
  e.ChooseTarget(missing, 10);
  EXPECT_EQ(e.m_lpTarget, nullptr);
  EXPECT_TRUE(near.m_vTargetedBy.empty());
}

}  // namespace
