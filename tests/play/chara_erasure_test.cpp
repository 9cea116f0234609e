// Charas and items leaving play in the middle of a sub-step: defeats inside
// flows, items whose holder dies, links from targets, pursuers, children,
// the flow context and outside holders. Run under ASan/UBSan, any walk that
// meets a freed object fails.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "tests/play/chara_fixture.h"

namespace {

std::vector<int>* s_pForgotten = nullptr;  // the test's log while it runs
void RecordForgotten(cChara& c) {
  if (s_pForgotten) s_pForgotten->push_back(c.m_nId);
}

class CharaErasureTest : public cCharaFixture {
 protected:
  void SetUp() override {
    cCharaFixture::SetUp();
    static bool s_bInstalled = false;
    if (!s_bInstalled) AddCharaForgetter(RecordForgotten);
    s_bInstalled = true;
    s_pForgotten = &m_vForgotten;
  }
  void TearDown() override {
    s_pForgotten = nullptr;
    cCharaFixture::TearDown();
  }
  std::vector<int> m_vForgotten;
};

TEST_F(CharaErasureTest, AFlowThatDefeatsItsTargetLeavesNoLinkBehind) {
  cEdChara pd = MakePlayerDef();
  pd.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeHpCommand(1, 0, 0)}));
  cPlayer& p = AddPlayer(3, pd);
  cStageChara& e = AddEnemy(MakeEnemyDef(5), 5, 11, nullptr, 200);
  EXPECT_EQ(e.m_lpTarget, &p);
  p.SetTargetChara(&e);
  ASSERT_EQ(e.m_vTargetedBy.size(), 1u);

  EXPECT_EQ(SubStep(), 1);
  EXPECT_TRUE(g_lstChara.empty());
  EXPECT_EQ(p.m_lpTarget, nullptr);
  EXPECT_TRUE(p.m_vTargetedBy.empty());
  EXPECT_EQ(m_vForgotten, std::vector<int>{200});
  // Play goes on with the target gone.
  for (int i = 0; i < 3; ++i) EXPECT_EQ(SubStep(), 0);
}

TEST_F(CharaErasureTest, DefeatInsideTheCharasOwnFlowRunsItsDiedFlowOnce) {
  cPlayer& p = AddPlayer(3);
  cEdChara d = MakeEnemyDef(5);
  // Always: lose all HP, then (never reached) lose more.
  d.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeHpCommand(0, 0, 0), MakeHpCommand(0, 2, 1)}));
  // Died: the target (player 1) gains 2 HP.
  d.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Died, {MakeHpCommand(1, 1, 2)}));
  d.m_nScore = 30;
  AddEnemy(d, 5, 11);
  p.m_nHp = 5;
  EXPECT_EQ(SubStep(), 1);
  EXPECT_EQ(p.m_nHp, 7);
  EXPECT_EQ(g_Progress.m_nScore, 30);
  EXPECT_TRUE(p.m_vTargetedBy.empty());
}

TEST_F(CharaErasureTest, AnItemWhoseHolderDiesDuringItsListRunsToItsEnd) {
  cPlayer& p = AddPlayer(3);
  cStageChara* holder = nullptr;
  // The item's list: the player's target (the holder) loses all HP, then
  // the player gains 3 HP. The list is the holder's own carried item.
  cEdCommand kill = MakeItemCommand(ItemCommandKind::StatusOp);
  kill.m_vParam.assign(18, 0);
  kill.m_vParam[3] = 1;
  kill.m_vParam[4] = CharaStatus::Hp;
  kill.m_vParam[5] = 0;
  cEdCommand heal = kill;
  heal.m_vParam[3] = 0;
  heal.m_vParam[5] = 1;
  heal.m_vParam[7] = 3;
  cItemObj item;
  item.ItemObjInit(9, MakeItemDef({kill, heal}), 1);
  cEdChara d = MakeEnemyDef(5);
  d.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeHpCommand(0, 0, 0)}));
  holder = &AddEnemy(d, 5, 11, &item);
  p.SetTargetChara(holder);
  p.m_nHp = 4;
  EXPECT_EQ(SubStep(), 1);
  EXPECT_EQ(p.m_nHp, 7);
  EXPECT_EQ(p.m_lpTarget, nullptr);
  EXPECT_TRUE(g_lstChara.empty());
}

TEST_F(CharaErasureTest, SweepClearsParentsChildrenAndTheFlowContext) {
  AddPlayer(3);
  cStageChara& parent = AddEnemy(MakeEnemyDef(5), 5, 11);
  cStageChara& child = AddEnemy(MakeEnemyDef(5), 6, 11);
  cStageChara& other = AddEnemy(MakeEnemyDef(5), 7, 11);
  child.m_lpParent = &parent;
  parent.m_vChildren.push_back(&child);
  other.SetTargetChara(&parent);
  parent.m_bRemoved = 1;
  g_FlowContext.m_lpCurChara = &parent;
  m_Ctx.m_lpCurChara = &parent;
  EXPECT_EQ(SweepCharas(), 1);
  EXPECT_EQ(child.m_lpParent, nullptr);
  EXPECT_EQ(other.m_lpTarget, nullptr);
  EXPECT_EQ(g_FlowContext.m_lpCurChara, nullptr);
  EXPECT_EQ(m_Ctx.m_lpCurChara, nullptr);
  // The child goes next; nothing names it afterwards.
  child.m_bDefeated = 1;
  EXPECT_EQ(SweepCharas(), 1);
  EXPECT_EQ(g_lstChara.size(), 1u);
}

// Pursuers changing aim in every order leave each target's list holding
// exactly its pursuers, once each; a target swept mid-crowd lets go of them.
TEST_F(CharaErasureTest, PursuersChangingAimKeepEveryTargetsListExact) {
  AddPlayer(3);
  std::vector<cStageChara*> v;
  for (int i = 0; i < 24; ++i) v.push_back(&AddEnemy(MakeEnemyDef(5), 4 + i % 8, 11 - i / 8));
  auto check = [&] {
    for (cStageChara* t : v) {
      std::vector<cChara*> want, got(t->m_vTargetedBy.begin(), t->m_vTargetedBy.end());
      for (cStageChara* c : v)
        if (!c->m_bRemoved && c->m_lpTarget == t) want.push_back(c);
      std::sort(want.begin(), want.end());
      std::sort(got.begin(), got.end());
      ASSERT_EQ(got, want);
    }
  };
  uint32_t r = 7;
  for (int round = 0; round < 400; ++round) {
    r = r * 1103515245u + 12345u;
    cStageChara* c = v[(r >> 8) % v.size()];
    const uint32_t k = (r >> 16) % (v.size() + 4);
    // Now and then no target, or the same one again.
    c->SetTargetChara(k < v.size() ? v[k] : (k == v.size() ? nullptr : c->m_lpTarget));
    if (round % 50 == 0) check();
  }
  check();
  cStageChara* target = v[3];
  for (int i = 0; i < 6; ++i) v[10 + i]->SetTargetChara(target);
  target->m_bRemoved = 1;
  EXPECT_EQ(SweepCharas(), 1);
  v.erase(v.begin() + 3);
  for (cStageChara* c : v) EXPECT_NE(c->m_lpTarget, target);
  check();
}

TEST_F(CharaErasureTest, ACharaFreedOutsideTheListsUnlinksItself) {
  cPlayer& p = AddPlayer(3);
  {
    cStageChara standIn;
    standIn.StageCharaInitFromPlacement(60, *std::make_unique<cEdChara>(MakeEnemyDef(1)), nullptr, CellPx(5),
                                        CellPx(11), 0);
    ASSERT_EQ(p.m_vTargetedBy.size(), 1u);
    p.SetTargetChara(&standIn);
  }
  EXPECT_TRUE(p.m_vTargetedBy.empty());
  EXPECT_EQ(p.m_lpTarget, nullptr);
  SubStep();
}

TEST_F(CharaErasureTest, ItemsMarkedRemovedAreFreedByTheSweep) {
  for (int id : {1, 2, 3}) {
    g_lstItem.push_back(std::make_unique<cItemObj>());
    g_lstItem.back()->ItemObjInit(id, MakeItemDef({}), 1);
  }
  (*std::next(g_lstItem.begin()))->m_bRemoved = 1;
  EXPECT_EQ(SweepItems(), 1);
  std::vector<int> vLeft;
  for (auto& it : g_lstItem) vLeft.push_back(it->m_nId);
  EXPECT_EQ(vLeft, (std::vector<int>{1, 3}));
}

}  // namespace
