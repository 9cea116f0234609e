// Items: set-up, the item command table and its list runner, flow changes
// deferred for player 1, the pick-up gate and the drawing data.
#include <gtest/gtest.h>

#include "tests/play/chara_fixture.h"

namespace {

class ItemObjectTest : public cCharaFixture {};

TEST_F(ItemObjectTest, EveryKindOfTheTableGoesOnExceptStageClear) {
  cPlayer& p = AddPlayer(3);
  for (int k = 0; k < ITEM_COMMAND_KIND_COUNT; ++k) {
    SCOPED_TRACE(k);
    cEdCommand c = MakeItemCommand(k);
    EXPECT_EQ(ExecItemCommand(p, c), k == ItemCommandKind::StageClear ? 1 : 0);
  }
  // Kinds from a damaged file and flow commands in an item list do nothing.
  cEdCommand beyond = MakeItemCommand(0);
  beyond.m_byKind = ITEM_COMMAND_KIND_COUNT;
  EXPECT_EQ(ExecItemCommand(p, beyond), 0);
  beyond.m_byKind = 200;
  EXPECT_EQ(ExecItemCommand(p, beyond), 0);
  cEdCommand flowKind = MakeFlowCommand(FlowCommandKind::StageClear);
  EXPECT_EQ(ExecItemCommand(p, flowKind), 0);
}

TEST_F(ItemObjectTest, ListStopsAtStageClearOrAtThePlayersDeath) {
  cPlayer& p = AddPlayer(3);
  cEdCommand heal = MakeItemCommand(ItemCommandKind::StatusOp);
  heal.m_vParam[4] = CharaStatus::Hp;
  heal.m_vParam[5] = 1;
  heal.m_vParam[7] = 1;
  cEdCommand kill = heal;
  kill.m_vParam[5] = 0;
  kill.m_vParam[7] = 0;
  const cEdCommand clear = MakeItemCommand(ItemCommandKind::StageClear);
  struct CASE {
    const char* name;
    cVector<cEdCommand> list;
    int nResult;
    int nHp;
  };
  const CASE cases[] = {
      {"all run", {heal, heal}, 0, 7},
      {"stage clear stops", {heal, clear, heal}, 1, 6},
      {"death ends with 2", {kill, heal}, 2, 0},
      {"empty list", {}, 0, 5},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    p.m_nHp = 5;
    EXPECT_EQ(RunItemCommandList(p, c.list), c.nResult);
    EXPECT_EQ(p.m_nHp, c.nHp);
  }
}

TEST_F(ItemObjectTest, ChangeFlowWaitsForPlayer1sUpdateWhileItsFlowRuns) {
  cPlayer& p = AddPlayer(3);
  cEdCommand change = MakeItemCommand(ItemCommandKind::ChangeFlow);
  change.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Damaged, {MakeHpCommand(0, 2, 1)}));
  g_FlowContext.m_lpCurChara = &p;
  EXPECT_EQ(RunItemCommandList(p, {change}), 0);
  EXPECT_TRUE(p.m_vFlowRun.empty());
  ASSERT_EQ(p.m_vDeferredItemCommands.size(), 1u);
  g_FlowContext.m_lpCurChara = nullptr;
  p.Update(0);
  EXPECT_TRUE(p.m_vDeferredItemCommands.empty());
  ASSERT_EQ(p.m_vFlowRun.size(), 1u);
  // Mode 2 removes the flows of an id; mode 1 replaces them in place.
  p.m_Def.m_vecFlow[0].m_byFlowId = 4;
  p.CharaRebuildFlowIndex();
  change.m_vParam = {1, 4};
  ItemChangeFlow(p, change, 1);
  ASSERT_EQ(p.m_vFlowRun.size(), 1u);
  EXPECT_EQ(p.m_Def.m_vecFlow[0].m_byFlowId, 0);
  change.m_vParam = {2, 0};
  ItemChangeFlow(p, change, 1);
  EXPECT_TRUE(p.m_vFlowRun.empty());
}

TEST_F(ItemObjectTest, SetUpScalesUnlessPresetAndCentresTheHitBox) {
  struct CASE {
    uint8_t nScale;
    int bPreset;
    int nBoxW;
    int bEnabled;
  };
  const CASE cases[] = {{0, 0, 28, 0}, {2, 0, 56, 0}, {3, 1, 28, 1}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.nScale));
    cEdItem d = MakeItemDef({});
    d.m_nScale = c.nScale;
    cItemObj it;
    it.ItemObjInit(1, d, c.bPreset);
    EXPECT_EQ(it.m_nBoxW, c.nBoxW);
    EXPECT_EQ(it.m_bEnabled, c.bEnabled);
    EXPECT_EQ(it.m_Def.m_nScale, c.nScale == 0 ? 1 : c.nScale);
    EXPECT_EQ(it.m_nImgOffsetX0, 2);
    EXPECT_EQ(it.m_nNoGravity, 1);
  }
}

TEST_F(ItemObjectTest, PickUpNeedsAPictureATakableKindAndAnEnabledItem) {
  cPlayer& p = AddPlayer(3);
  cEdCommand heal = MakeItemCommand(ItemCommandKind::StatusOp);
  heal.m_vParam[4] = CharaStatus::Hp;
  heal.m_vParam[5] = 1;
  heal.m_vParam[7] = 1;
  cEdItem d = MakeItemDef({heal});
  // An item that takes part only while common variable 1 is 0.
  d.m_vecCondition.push_back(MakeVarEqualsCondition(FlowConditionKind::CommonVarCondition, 1, 0));
  g_lstItem.push_back(std::make_unique<cItemObj>());
  cItemObj& it = *g_lstItem.back();
  it.ItemObjInit(1, d, 0);
  Pass();
  p.m_nHp = 5;
  GiveItemToPlayer(p, it);
  EXPECT_EQ(p.m_nHp, 6);
  it.m_Def.m_nPickup = ITEMPICKUP_NEVER;
  GiveItemToPlayer(p, it);
  it.m_Def.m_nPickup = ITEMPICKUP_ONCE;
  g_Progress.m_vVar[1] = 1;
  Pass();
  EXPECT_EQ(it.m_bEnabled, 0);
  GiveItemToPlayer(p, it);
  g_Progress.m_vVar[1] = 0;
  Pass();
  it.m_Def.m_nImageIndex = 0;
  GiveItemToPlayer(p, it);
  EXPECT_EQ(p.m_nHp, 6);
}

TEST_F(ItemObjectTest, DrawingDataStretchesByScaleAndPlacesTheIconColumnWise) {
  cEdItem d = MakeItemDef({});
  d.m_bShowIcon = 1;
  d.m_nIconIndex = 17;
  d.m_nScale = 2;
  cItemObj it;
  it.ItemObjInit(1, d, 0);
  ITEMDRAW dr = ItemObjDraw(it, true);
  ASSERT_TRUE(dr.bVisible);
  EXPECT_TRUE(dr.bStretch);
  EXPECT_TRUE(dr.bIcon);
  EXPECT_EQ(dr.nIconX, 32);
  EXPECT_EQ(dr.nIconY, 64);
  EXPECT_TRUE(dr.bIconStretch);
  it.m_Def.m_bHidden = 1;
  EXPECT_FALSE(ItemObjDraw(it, false).bVisible);
}

}  // namespace
