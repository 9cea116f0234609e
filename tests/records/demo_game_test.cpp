#include "tests/support/demo_game.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "records/common_palette.h"
#include "records/database.h"
#include "records/flow_enums.h"
#include "records/stage_loading.h"
#include "records/system.h"
#include "tests/support/project_builder.h"
#include "tests/support/record_test_fixture.h"

namespace {

// The demo game written by the builder and read back by the loaders the
// stage mode uses, so the data the player meets is the data made.
class DemoGame : public cRecordFileTest {
 protected:
  void SetUp() override {
    cRecordFileTest::SetUp();
    g_hWndMain = CreateMessageWindow(nullptr);
    testing::internal::CaptureStderr();
    cProjectBuilder builder(".");
    SetDemoGame(builder);
    ASSERT_TRUE(builder.Build());
    ASSERT_TRUE(LoadDatabases());
    ASSERT_TRUE(LoadSystem());
    ASSERT_TRUE(LoadCommonPalette());
  }
  void TearDown() override {
    // Headless boxes land here; the demo must raise none.
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ResetMessageLayerForTests();
    g_hWndMain = nullptr;
    g_CommonPalette = cEdCommonPalette();
    g_Stage = cEdStage();
    g_StageCopy = cEdStage();
    g_Database = cEdDatabase();
    cRecordFileTest::TearDown();
  }
  // The kinds of the commands of a flow, in order.
  static std::vector<int> Kinds(const cEdFlow& f) {
    std::vector<int> v;
    for (const cEdCommand& c : f.m_vecCommand) v.push_back(c.m_byKind);
    return v;
  }
  // The single key a key condition asks for (-1 when not exactly one).
  static int KeyOf(const cEdKeyCondition& k) {
    int n = -1;
    for (size_t i = 0; i < k.m_vecKeyState.size(); ++i) {
      if (k.m_vecKeyState[i] == KeyState::Ignore) continue;
      if (n >= 0 || k.m_vecKeyState[i] != KeyState::Pressed) return -1;
      n = static_cast<int>(i);
    }
    return n;
  }
  int CountCharas(int nTemplate) const {
    int n = 0;
    for (const cEdChara& c : g_Stage.m_vecChara) n += c.m_nTemplateIndex == nTemplate;
    return n;
  }
};

}  // namespace

TEST_F(DemoGame, PaletteCharasCarryTheirFlowsAndKeyConditions) {
  const cEdCommonPalette& pal = g_CommonPalette;
  ASSERT_EQ(pal.m_vecChara.size(), 7u);
  ASSERT_EQ(pal.m_vecItem.size(), 3u);
  ASSERT_EQ(pal.m_vecBlock.size(), 3u);

  // The hero: walk right, walk left, jump, shoot, each started by one key.
  const cEdChara& hero = pal.m_vecChara[DEMOCHARA_HERO];
  EXPECT_EQ(hero.m_nType, 0);
  ASSERT_EQ(hero.m_vecFlow.size(), 4u);
  struct {
    int nKey, nKind;
  } const aHero[] = {{DEMOKEY_RIGHT, FlowCommandKind::StraightMove},
                     {DEMOKEY_LEFT, FlowCommandKind::StraightMove},
                     {DEMOKEY_BUTTON1, FlowCommandKind::Jump},
                     {DEMOKEY_BUTTON2, FlowCommandKind::Shot}};
  for (size_t i = 0; i < std::size(aHero); ++i) {
    const cEdFlow& f = hero.m_vecFlow[i];
    EXPECT_EQ(f.m_byTrigger, FlowTrigger::Always) << i;
    ASSERT_EQ(f.m_vecKeyCondition.size(), 1u) << i;
    EXPECT_EQ(KeyOf(f.m_vecKeyCondition[0]), aHero[i].nKey) << i;
    EXPECT_EQ(Kinds(f), std::vector<int>{aHero[i].nKind}) << i;
  }
  ASSERT_TRUE(hero.m_vecFlow[0].m_vecCommand[0].m_pMove);
  EXPECT_EQ(hero.m_vecFlow[0].m_vecCommand[0].m_pMove->m_byDirection, 3);
  EXPECT_EQ(hero.m_vecFlow[1].m_vecCommand[0].m_pMove->m_byDirection, 2);
  EXPECT_GT(hero.m_vecFlow[0].m_vecCommand[0].m_pMove->m_nSpeed, 0);
  EXPECT_EQ(hero.m_vecFlow[2].m_vecCommand[0].m_vParam[0], 1);  // jump held by the key
  EXPECT_GT(hero.m_vecFlow[2].m_vecCommand[0].m_vParam[2], 0);
  // A shot per press, not a stream while the button stays down.
  const cEdKeyCondition& fire = hero.m_vecFlow[3].m_vecKeyCondition[0];
  EXPECT_EQ(fire.m_byAnyLength, 0);
  EXPECT_EQ(fire.m_nMinFrames, 1);
  EXPECT_EQ(fire.m_nMaxFrames, 1);
  ASSERT_TRUE(hero.m_vecFlow[3].m_vecCommand[0].m_pShot);
  EXPECT_GT(hero.m_vecFlow[3].m_vecCommand[0].m_pShot->m_nAttack, 0);

  // The others run by themselves: no key conditions.
  struct {
    int nChara, nTrigger;
    std::vector<int> vKinds;
  } const aOther[] = {
      {DEMOCHARA_WALKER, FlowTrigger::Always, {FlowCommandKind::GroundTurnMove}},
      {DEMOCHARA_SHOOTER, FlowTrigger::Always, {FlowCommandKind::Wait, FlowCommandKind::Shot}},
      {DEMOCHARA_SCATTER, FlowTrigger::Always, {FlowCommandKind::Wait, FlowCommandKind::Shot}},
      {DEMOCHARA_LIFT, FlowTrigger::Always, {FlowCommandKind::StraightMove, FlowCommandKind::StraightMove}},
      {DEMOCHARA_GOAL, FlowTrigger::HitChara, {FlowCommandKind::StageClear}},
  };
  for (const auto& o : aOther) {
    const cEdChara& c = pal.m_vecChara[static_cast<size_t>(o.nChara)];
    EXPECT_NE(c.m_nType, 0) << o.nChara;
    ASSERT_EQ(c.m_vecFlow.size(), 1u) << o.nChara;
    EXPECT_TRUE(c.m_vecFlow[0].m_vecKeyCondition.empty()) << o.nChara;
    EXPECT_EQ(c.m_vecFlow[0].m_byTrigger, o.nTrigger) << o.nChara;
    EXPECT_EQ(Kinds(c.m_vecFlow[0]), o.vKinds) << o.nChara;
  }
  EXPECT_EQ(pal.m_vecChara[DEMOCHARA_LIFT].m_bBlockChara, 1);
  // The goal is touchable by the hero (another hit group) and harmless.
  const cEdChara& goal = pal.m_vecChara[DEMOCHARA_GOAL];
  EXPECT_NE(goal.m_nGroup, hero.m_nGroup);
  EXPECT_EQ(goal.m_nAttack, 0u);
  // No shot pushes it off its cell, out of the hero's reach at the stage's end.
  EXPECT_GE(goal.m_nKnockBackGuard, 20);
  // Enemies share a group apart from the hero's, so their shots spare them.
  EXPECT_EQ(pal.m_vecChara[DEMOCHARA_WALKER].m_nGroup, pal.m_vecChara[DEMOCHARA_SHOOTER].m_nGroup);
  EXPECT_NE(pal.m_vecChara[DEMOCHARA_WALKER].m_nGroup, hero.m_nGroup);
  EXPECT_EQ(pal.m_vecChara[DEMOCHARA_SHOOTER].m_vecFlow[0].m_vecCommand[1].m_pShot->m_byOwnerGroup, 1);
  // The scatterer's shots leave at random angles: play draws random numbers.
  EXPECT_GT(pal.m_vecChara[DEMOCHARA_SCATTER].m_vecFlow[0].m_vecCommand[1].m_pShot->m_nSpread, 0);
  EXPECT_EQ(pal.m_vecChara[DEMOCHARA_GOAL].m_vecFlow[0].m_vecCommand[0].m_vParam[0], 0);  // next stage

  // The coin adds to the score (system status 3), the heart a life (4).
  for (auto [nItem, nSystem] : {std::pair{DEMOITEM_COIN, 3}, std::pair{DEMOITEM_HEART, 4}}) {
    const cEdItem& it = pal.m_vecItem[static_cast<size_t>(nItem)];
    ASSERT_EQ(it.m_vecCommand.size(), 1u) << nItem;
    const cEdCommand& c = it.m_vecCommand[0];
    EXPECT_EQ(c.m_byKind, ItemCommandKind::StatusOp) << nItem;
    ASSERT_GE(c.m_vParam.size(), 8u);
    EXPECT_EQ(c.m_vParam[3], 2) << nItem;
    EXPECT_EQ(c.m_vParam[4], nSystem) << nItem;
    EXPECT_EQ(c.m_vParam[5], AssignOp::Add) << nItem;
    EXPECT_GT(c.m_vParam[7], 0) << nItem;
  }
}

TEST_F(DemoGame, StagesReadBackWithGroundGapsWallsAndPlacements) {
  struct {
    const char* pszName;
    uint32_t nWidth;
    std::vector<int> vGapColumns;  // no ground on either ground row
    int nWallColumn;
    int nWalkers, nShooters;
    size_t nItems;
  } const aStage[] = {
      {DEMO_STAGE1, 40, {12, 13, 25, 26}, 19, 1, 1, 4},
      {DEMO_STAGE2, 50, {10, 11, 12, 30, 31}, 22, 2, 3, 4},
  };
  for (const auto& s : aStage) {
    SCOPED_TRACE(s.pszName);
    ASSERT_TRUE(LoadStage(s.pszName, TRUE, &g_StageCopy));
    EXPECT_EQ(g_StageCopy.m_nWidth, s.nWidth);
    EXPECT_EQ(g_StageCopy.m_nHeight, 15u);
    EXPECT_EQ(g_StageCopy.m_bTimeLimit, 1u);
    EXPECT_EQ(g_StageCopy.m_nTimeLimit, DEMO_TIME_LIMIT);

    // Every cell of the two ground rows holds ground, but for the gaps.
    std::vector<std::vector<int>> grid(s.nWidth, std::vector<int>(15, 0));
    for (const cEdBlock& b : g_Stage.m_vecBlock) {
      ASSERT_LT(b.m_nColumn, s.nWidth);
      ASSERT_LT(b.m_nRow, 15);
      EXPECT_EQ(b.m_nInheritSource, PALETTE_COMMON);
      EXPECT_EQ(grid[b.m_nColumn][b.m_nRow], 0) << "two blocks in one cell";
      grid[b.m_nColumn][b.m_nRow] = b.m_nInheritIndex;
    }
    for (int x = 0; x < static_cast<int>(s.nWidth); ++x) {
      const bool bGap = std::find(s.vGapColumns.begin(), s.vGapColumns.end(), x) != s.vGapColumns.end();
      for (int y : {13, 14}) EXPECT_EQ(grid[x][y], bGap ? 0 : DEMOBLOCK_GROUND) << x << "," << y;
    }
    EXPECT_EQ(grid[s.nWallColumn][12], DEMOBLOCK_WALL);
    EXPECT_EQ(grid[s.nWallColumn][11], DEMOBLOCK_WALL);

    // One hero at the left, standing on ground; the goal at the right end.
    ASSERT_FALSE(g_Stage.m_vecChara.empty());
    const cEdChara& hero = g_Stage.m_vecChara[0];
    EXPECT_EQ(hero.m_nTemplateIndex, DEMOCHARA_HERO);
    EXPECT_EQ(hero.m_nType, 0);
    EXPECT_EQ(grid[hero.m_nColumn][hero.m_nRow + 1], DEMOBLOCK_GROUND);
    EXPECT_EQ(hero.m_vecFlow.size(), 4u);  // the template's flows came along
    EXPECT_EQ(CountCharas(DEMOCHARA_HERO), 1);
    EXPECT_EQ(CountCharas(DEMOCHARA_WALKER), s.nWalkers);
    EXPECT_EQ(CountCharas(DEMOCHARA_SHOOTER) + CountCharas(DEMOCHARA_SCATTER), s.nShooters);
    EXPECT_EQ(CountCharas(DEMOCHARA_LIFT), 1);
    ASSERT_EQ(CountCharas(DEMOCHARA_GOAL), 1);
    for (const cEdChara& c : g_Stage.m_vecChara) {
      EXPECT_EQ(c.m_nTemplateSource, PALETTE_COMMON);
      ASSERT_LT(c.m_nColumn, s.nWidth);
      ASSERT_LT(c.m_nRow, 15);
      if (c.m_nTemplateIndex == DEMOCHARA_GOAL) {
        EXPECT_GT(c.m_nColumn, s.nWidth - 4);
      }
      // Walkers and shooters stand on something solid.
      if (c.m_nTemplateIndex == DEMOCHARA_WALKER || c.m_nTemplateIndex == DEMOCHARA_SHOOTER ||
          c.m_nTemplateIndex == DEMOCHARA_SCATTER) {
        EXPECT_NE(grid[c.m_nColumn][c.m_nRow + 1], 0) << c.m_nColumn;
      }
      // The lift glides over a gap.
      if (c.m_nTemplateIndex == DEMOCHARA_LIFT) {
        EXPECT_EQ(grid[c.m_nColumn + 1][13], 0);
      }
    }
    ASSERT_EQ(g_Stage.m_vecItem.size(), s.nItems);
    int nHearts = 0;
    for (const cEdItem& it : g_Stage.m_vecItem) {
      EXPECT_EQ(it.m_nInheritSource, PALETTE_COMMON);
      nHearts += it.m_nInheritIndex == DEMOITEM_HEART;
      ASSERT_FALSE(it.m_vecCommand.empty());
    }
    EXPECT_EQ(nHearts, 1);
  }
}
