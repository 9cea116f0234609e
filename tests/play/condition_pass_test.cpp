// The conditions pass of a sub-step: who takes part and is on the screen,
// the switches cleared each pass and seen by every chara's appearance in the
// same pass, latched conditions, items by their conditions, shots always;
// and the block conditions that hits and drawing ask through the records.
#include "play/condition_pass.h"

#include <gtest/gtest.h>

#include "play/stage_block.h"
#include "records/flow_enums.h"
#include "tests/play/chara_fixture.h"

namespace {

class ConditionPassTest : public cCharaFixture {
 protected:
  static cEdCondition CommonVarIs(int nIndex, int32_t nValue) {
    return MakeVarEqualsCondition(FlowConditionKind::CommonVarCondition, nIndex, nValue);
  }
  // A flier (it stays where it is placed) at a stage cell.
  cStageChara& Flier(int col, int row, cEdChara d = MakeEnemyDef(5)) {
    d.m_nMoveType = 1;
    return AddEnemy(d, col, row);
  }
};

TEST_F(ConditionPassTest, EveryObjectTakesPartAndIsOnScreenAsTheFrameSees) {
  // The view shows stage columns 0 to 19 and rows 0 to 14.
  cPlayer& p = AddPlayer(3);
  p.m_dX = CellPx(30);  // off the view: player 1 still counts as on screen
  cStageChara& near = Flier(5, 5);
  cStageChara& far = Flier(30, 5);
  cEdChara gated = MakeEnemyDef(5);
  gated.m_vecCondition.push_back(CommonVarIs(1, 1));
  cStageChara& held = Flier(6, 5, gated);
  cEdItem gatedItem = MakeItemDef({});
  gatedItem.m_vecCondition.push_back(CommonVarIs(1, 1));
  g_lstItem.push_back(std::make_unique<cItemObj>());
  cItemObj& item = *g_lstItem.back();
  item.ItemObjInit(1, gatedItem, 0);
  item.ItemObjWarpToCell(4, 5);
  cShot& onShot = m_Shots.Add(std::make_unique<cShot>());
  Place(onShot, CellPx(2), CellPx(2), 16, 16, 0, 1);
  cShot& offShot = m_Shots.Add(std::make_unique<cShot>());
  Place(offShot, CellPx(40), CellPx(2), 16, 16, 0, 1);

  struct EXPECT {
    const char* name;
    const cGameObj& obj;
    int bEnabled, bOnScreen;
  };
  for (int32_t v : {0, 1}) {
    SCOPED_TRACE(v);
    g_Progress.m_vVar[1] = v;
    Pass();
    const EXPECT expects[] = {
        {"player 1", p, 1, 1},           {"chara in view", near, 1, 1}, {"chara off the view", far, 1, 0},
        {"gated chara", held, v, v},     {"gated item", item, v, v},    {"shot in view", onShot, 1, 1},
        {"shot off the view", offShot, 1, 0},
    };
    for (const EXPECT& e : expects) {
      SCOPED_TRACE(e.name);
      EXPECT_EQ(e.obj.m_bEnabled, e.bEnabled);
      EXPECT_EQ(e.obj.m_bOnScreen, e.bOnScreen);
    }
    EXPECT_EQ(near.m_bPresent, 1);
    EXPECT_EQ(far.m_bPresent, 0);  // a flier away from the view stays away
    EXPECT_EQ(held.m_bPresent, v);
  }
}

TEST_F(ConditionPassTest, SwitchesStartEveryPassClearedAndReleaseCharasEarlierInTheList) {
  cEdChara linked = MakeEnemyDef(5);
  linked.m_bSwitchLinked = 1;
  linked.m_nSwitchNo = 3;
  // Waiting far off the view, before the chara that turns the switch on.
  cStageChara& waiting = Flier(35, 5, linked);
  cEdChara trigger = linked;
  trigger.m_vecCondition.push_back(CommonVarIs(1, 0));
  cStageChara& opener = Flier(5, 5, trigger);
  Pass();
  EXPECT_EQ(m_vSwitches[3], 1);
  EXPECT_EQ(opener.m_bActive, 1);
  EXPECT_EQ(waiting.m_bPresent, 1);
  // The opener's conditions fail: it is no longer tested for its activity,
  // nothing turns the switch on, and the waiting chara is away again.
  g_Progress.m_vVar[1] = 1;
  Pass();
  EXPECT_EQ(m_vSwitches[3], 0);
  EXPECT_EQ(opener.m_bPresent, 0);
  EXPECT_EQ(waiting.m_bPresent, 0);
}

TEST_F(ConditionPassTest, ALatchedListHoldsOnceItHeld) {
  for (uint8_t nLatch : {0, 1}) {
    SCOPED_TRACE(static_cast<int>(nLatch));
    ClearLiveObjects();
    g_Progress.m_vVar[1] = 1;
    cEdChara d = MakeEnemyDef(5);
    d.m_vecCondition.push_back(CommonVarIs(1, 1));
    d.m_nCondLatch = nLatch;
    cStageChara& c = Flier(5, 5, d);
    Pass();
    EXPECT_EQ(c.m_bEnabled, 1);
    g_Progress.m_vVar[1] = 0;
    Pass();
    EXPECT_EQ(c.m_bEnabled, nLatch);
  }
}

TEST_F(ConditionPassTest, ABlockWhoseConditionsFailGivesNoHit) {
  InstallBlockConditionTest();
  cPlayer& p = AddPlayer(3);
  cStageBlock* cell = m_Ctx.BlockAtCell(STAGE_MARGIN_CELLS + 3, STAGE_MARGIN_CELLS + 12);
  ASSERT_TRUE(cell);
  ASSERT_EQ(cStageContext::HitKindOf(cell, p.m_nSide), BLOCKHIT_SOLID);
  cell->m_vecCondition.push_back(CommonVarIs(1, 1));
  EXPECT_EQ(cStageContext::HitKindOf(cell, p.m_nSide), BLOCKHIT_NONE);
  g_Progress.m_vVar[1] = 1;
  EXPECT_EQ(cStageContext::HitKindOf(cell, p.m_nSide), BLOCKHIT_SOLID);
  // Latched, it stays once it has held.
  cell->m_nCondLatch = 1;
  EXPECT_EQ(cStageContext::HitKindOf(cell, p.m_nSide), BLOCKHIT_SOLID);
  g_Progress.m_vVar[1] = 0;
  EXPECT_EQ(cStageContext::HitKindOf(cell, p.m_nSide), BLOCKHIT_SOLID);
}

}  // namespace
