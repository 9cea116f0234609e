// Stage charas: set-up from a placement, appearance by view kind and switch,
// the step results, the carried item's icon, and a scripted chara's life
// from appearance to the item it gives.
#include <gtest/gtest.h>

#include <sstream>

#include "tests/play/chara_fixture.h"

namespace {

class StageCharaTest : public cCharaFixture {};

TEST_F(StageCharaTest, ViewKindDecidesWhichAxesTheActivityTests) {
  // The view shows stage columns 0 to 19 and rows 0 to 14.
  struct CASE {
    uint8_t nKind;
    int col, row;
    int bActive;
  };
  const CASE cases[] = {
      {0, 5, 11, 1}, {0, 30, 11, 0},  {1, 30, 11, 0},  {2, 30, 11, 1},
      {2, 5, 40, 0}, {1, 5, 40, 1},   {3, 30, 40, 1},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "kind " << int(c.nKind) << " at " << c.col << "," << c.row);
    cEdChara d = MakeEnemyDef(5);
    d.m_nViewTestKind = c.nKind;
    d.m_nMoveType = 1;  // no gravity: it stays where it is placed
    cStageChara& e = AddEnemy(d, c.col, c.row);
    e.StageCharaUpdateActive();
    EXPECT_EQ(e.m_bActive, c.bActive);
    EXPECT_EQ(e.StageCharaTryAppear(), c.bActive);
  }
}

TEST_F(StageCharaTest, AppearanceKind1KeepsTheCharaActiveAfterwards) {
  cEdChara d = MakeEnemyDef(5);
  d.m_nAppearKind = 1;
  cStageChara& e = AddEnemy(d, 5, 11);
  Pass();
  EXPECT_EQ(e.m_bPresent, 1);
  e.m_dX = CellPx(35);
  e.ClampX(-1);
  Pass();
  EXPECT_EQ(e.m_bPresent, 1);
}

TEST_F(StageCharaTest, ALinkedSwitchIsSetWhenActiveAndReleasesTheChara) {
  cEdChara d = MakeEnemyDef(5);
  d.m_nMoveType = 1;
  d.m_bSwitchLinked = 1;
  d.m_nSwitchNo = 3;
  cStageChara& near = AddEnemy(d, 5, 5);
  cStageChara& far = AddEnemy(d, 35, 5);
  Pass();
  EXPECT_EQ(m_vSwitches[3], 1);
  EXPECT_EQ(near.m_bPresent, 1);
  EXPECT_EQ(far.m_bActive, 0);
  EXPECT_EQ(far.m_bPresent, 1);
}

TEST_F(StageCharaTest, SetUpFixesScaleBoxesAnimationAndTheEmptyItem) {
  cEdChara d = MakeEnemyDef(5);
  d.m_nScale = 0;
  cStageChara& g = *AddStageChara(101, d, nullptr, CellPx(5), CellPx(11), 0);
  EXPECT_EQ(d.m_nScale, 1);
  EXPECT_EQ(g.m_Def.m_nScale, 1);
  EXPECT_EQ(g.m_Anime.Current(), 1);
  EXPECT_EQ(g.GetCarriedItem(), nullptr);
  EXPECT_EQ(g.m_nBoxW, 16);
  EXPECT_EQ(g.m_nImgOffsetY, 8);  // 24 high, centred
  d.m_nMoveType = 1;
  d.m_bBlockChara = 1;
  cStageChara& b = AddEnemy(d, 7, 11);
  EXPECT_EQ(b.m_Anime.Current(), 0);
  EXPECT_EQ(b.m_nBoxW, 32);
  EXPECT_EQ(b.m_rcHitBox.nWidth, 32);
  EXPECT_EQ(b.m_rcHitBox2.nHeight, 32);
}

TEST_F(StageCharaTest, StepResultsReportThePaddedEdgesAndTheFall) {
  cEdChara d = MakeEnemyDef(5);
  cStageChara& e = AddEnemy(d, 5, 11);
  e.m_dX = 1.0;
  e.m_dSpeedX2 = -5.0;
  EXPECT_EQ(e.StepX(), 4);
  // Below the stage area: gravity charas report 7, fliers at the padded
  // bottom 8.
  e.m_dY = m_Ctx.AreaHigh(SCROLL_Y) + 4.0;
  e.m_dSpeedY = 1.0;
  EXPECT_EQ(e.StepY(), 7);
  d.m_nMoveType = 1;
  cStageChara& f = AddEnemy(d, 5, 5);
  f.m_dY = m_Ctx.PaddedExtent(SCROLL_Y) - 10.0;
  f.m_dSpeedY2 = 20.0;
  EXPECT_EQ(f.StepY(), 8);
}

TEST_F(StageCharaTest, AJumpIsRefusedWithZeroWhileInTheAir) {
  cStageChara& e = AddEnemy(MakeEnemyDef(5), 5, 11);
  cEdCommand jump = MakeFlowCommand(FlowCommandKind::Jump);
  cCommandRun run;
  run.m_lpCommand = &jump;
  run.m_dSpeed = -4.0;
  e.m_nAirFrames = 2;
  EXPECT_EQ(e.StartJump(run), 0);
  EXPECT_EQ(e.m_dSpeedY, 0.0);
  e.m_nAirFrames = 0;
  e.m_bRidingChara = 1;
  EXPECT_EQ(e.StartJump(run), 1);
  EXPECT_EQ(e.m_dSpeedY, -4.0);
  EXPECT_EQ(e.m_bJumpA + e.m_bJumpB, 2);
  EXPECT_EQ(e.m_bRidingChara, 0);
}

TEST_F(StageCharaTest, TheCarriedItemsIconShowsThirtyTwoFramesInEveryNinetySix) {
  cItemObj item;
  item.ItemObjInit(5, MakeItemDef({}), 1);
  cStageChara& e = AddEnemy(MakeEnemyDef(5), 5, 11, &item);
  Pass();
  ASSERT_EQ(e.m_bOnScreen, 1);
  int nShown = 0, nFirst = -1, x = 0, y = 0;
  for (int f = 0; f < 192; ++f)
    if (e.StageCharaIconFrame(x, y, 0)) {
      if (nFirst < 0) nFirst = f;
      ++nShown;
    }
  EXPECT_EQ(nFirst, 64);
  EXPECT_EQ(nShown, 64);
}

// A chara placed beyond the view appears when the view reaches it, starts
// a flow on a key sequence and one on damage, is hit, knocked back and made
// invincible, is defeated by its own flow, runs its Died flow and gives its
// item. The trace holds its position, HP and the state of its flows on
// every sub-step.
TEST_F(StageCharaTest, AScriptedCharaFromAppearanceToTheItemItGives) {
  g_Stage.m_nCharaInvincible = 4;
  cPlayer& p = AddPlayer(3);
  p.m_nHp = 5;
  cEdChara d = MakeEnemyDef(6);
  // Key flow: right, then down within 3 frames: v1 += 1.
  cEdCommand addVar = MakeHpCommand(0, 1, 1);
  addVar.m_vParam[4] = CharaStatus::Variable;
  addVar.m_vParam[2] = 1;
  cEdFlow keys = MakeFlowOf(FlowTrigger::Always, {addVar});
  keys.m_cTriggerParam = 3;
  cEdKeyCondition right, down;
  right.m_vecKeyState[2] = 1;
  right.m_byAnyLength = 1;
  down.m_vecKeyState[4] = 1;
  down.m_byAnyLength = 1;
  keys.m_vecKeyCondition.push_back(right);
  keys.m_vecKeyCondition.push_back(down);
  d.m_vecFlow.push_back(keys);
  // Damaged: lose 4 more HP after a wait.
  d.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Damaged, {MakeFlowCommand(FlowCommandKind::Wait, 0),
                                                          MakeHpCommand(0, 2, 4)}));
  // Died: player 1 gains 1 HP.
  d.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Died, {MakeHpCommand(1, 1, 1)}));
  d.m_nScore = 100;
  cEdCommand heal = MakeItemCommand(ItemCommandKind::StatusOp);
  heal.m_vParam[4] = CharaStatus::Hp;
  heal.m_vParam[5] = 1;
  heal.m_vParam[7] = 2;
  cItemObj item;
  item.ItemObjInit(7, MakeItemDef({heal}), 1);
  cStageChara& e = AddEnemy(d, 25, 11, &item);
  cEdChara hitter = MakeEnemyDef(1);
  hitter.m_nAttack = 2;
  hitter.m_nKnockBack = 4;

  std::ostringstream trace;
  for (int step = 0; step < 14; ++step) {
    if (step == 2) m_Ctx.m_aScroll[SCROLL_X].dPos += 320;  // the view reaches it
    if (step == 4) SetKeys({{2, {{0, 1}, {1, 2}}}, {4, {{1, 1}}}});  // right held, then down
    if (step == 5) SetKeys({});
    if (step == 6) {
      cStageChara h;
      h.StageCharaInitFromPlacement(50, hitter, nullptr, e.m_dX - 20, e.m_dY, 0);
      h.m_dSpeedX = 1.0;
      e.CharaDamagedByChara(h);
      e.CharaStartInvincible();
    }
    const bool bLive = !g_lstChara.empty();
    if (bLive)
      trace << step << ": present=" << e.m_bPresent << " x=" << static_cast<int>(e.m_dX) << " hp=" << e.m_nHp
            << " v1=" << e.m_vVar[1] << " inv=" << e.m_nInvincible << " flows=" << e.m_vFlowRun[0].m_bRunning
            << e.m_vFlowRun[1].m_bRunning << "\n";
    SubStep();
    if (!bLive) break;
  }
  const std::string s = trace.str();
  SCOPED_TRACE(s);
  EXPECT_NE(s.find("0: present=0"), std::string::npos);
  EXPECT_NE(s.find("3: present=1"), std::string::npos);
  EXPECT_NE(s.find("5: present=1 x=1120 hp=6 v1=1"), std::string::npos);  // the key sequence ran once
  // Hit before sub-step 6: 2 HP lost, invincible, the Damaged flow runs.
  EXPECT_NE(s.find("6: present=1 x=1120 hp=4 v1=1 inv=4 flows=01"), std::string::npos);
  // Knocked back to the right; its flow takes the last 4 HP in sub-step 7.
  EXPECT_NE(s.find("7: present=1 x=1126 hp=4 v1=1 inv=3 flows=01"), std::string::npos);
  EXPECT_EQ(s.find("8: "), std::string::npos);
  EXPECT_TRUE(g_lstChara.empty());
  EXPECT_EQ(g_Progress.m_nScore, 100);
  EXPECT_EQ(p.m_nHp, 5 + 1 + 2);
}

}  // namespace
