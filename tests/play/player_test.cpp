// Player 1: the camera within the scroll limits, the key-controlled jump
// crushes by block charas, all driven sub-step by sub-step.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "play/block_chara_collision.h"
#include "play/jump_values.h"
#include "tests/play/chara_fixture.h"

namespace {

class PlayerTest : public cCharaFixture {
 protected:
  void SetUp() override {
    cCharaFixture::SetUp();
    m_Jump = MakeFlowCommand(FlowCommandKind::Jump);
    // The flow whose last key condition the key-controlled modes test:
    // button 0 (log 11) held.
    m_KeyFlow.m_byTrigger = FlowTrigger::Always;
    cEdKeyCondition k;
    k.m_vecKeyState[11] = 1;
    k.m_byAnyLength = 1;
    m_KeyFlow.m_vecKeyCondition.push_back(k);
    m_KeyRun.m_lpFlow = &m_KeyFlow;
    m_KeyRun.m_vKeyCondition.push_back(&m_KeyFlow.m_vecKeyCondition[0]);
  }

  cPlayer& StandingPlayer(int col) {
    cPlayer& p = AddPlayer(col);
    for (int i = 0; i < 10; ++i) Step(p);
    return p;
  }

  // A jump command of height h half cells in mode nMode (parameters 1 to 4
  // for mode 2) as the jump preparer leaves it.
  cCommandRun JumpRun(int nMode, int h, int p1 = 0, int p2 = 0, int p3 = 0, int p4 = 0) {
    m_Jump.m_vParam = {nMode, p1, p2, p3, p4};
    cCommandRun run;
    run.m_lpCommand = &m_Jump;
    run.m_dSpeed = JumpSpeedForHalfCells(h, 0);
    run.m_nDuration = JumpDurationForHeight(h, 0) * 6;
    run.m_nFramesLeft = run.m_nDuration;
    return run;
  }

  void HoldButton(bool bHeld) {
    if (bHeld) SetKeys({{11, {{1, 1}}}});
    else SetKeys({});
  }

  // One sub-step: block charas move by (dx, dy) each, then the player rides,
  // jumps (when lpRun is given), falls, moves against the map and collides.
  int Step(cPlayer& p, cCommandRun* lpRun = nullptr, double dBlockDX = 0, double dBlockDY = 0) {
    for (auto& c : g_lstChara) {
      BeginSubStepMove(*c);
      c->m_dX += dBlockDX;
      c->m_dY += dBlockDY;
      c->ClampX(-1);
      c->ClampY(-1);
      EndSubStepMove(*c);
    }
    for (auto& c : g_lstChara) c->CharaResetFlowMarks();
    p.CharaResetFlowMarks();
    BeginSubStepMove(p);
    p.CharaClearContacts();
    RideCarrier(p, g_lstChara);
    p.m_bJumpDone = 0;
    if (lpRun) {
      g_FlowContext.m_lpCurFlow = &m_KeyRun;
      p.StartJump(*lpRun);
      g_FlowContext.m_lpCurFlow = nullptr;
    }
    m_Ctx.CharaApplyGravity(p);
    p.StepX();
    m_Ctx.BlockMoveX(p);
    p.StepY();
    m_Ctx.BlockMoveY(p);
    EndSubStepMove(p);
    return CollideWithBlockCharas(p, g_lstChara);
  }

  cStageChara& AddBlockChara(int col, int row, int nId, cEdChara d = MakeEnemyDef(1)) {
    d.m_bBlockChara = 1;
    d.m_nMoveType = 1;
    d.m_nViewTestKind = 3;
    cStageChara& b = AddEnemy(d, col, row, nullptr, nId);
    Pass();  // a block chara is solid while it takes part
    return b;
  }

  cEdCommand m_Jump;
  cEdFlow m_KeyFlow;
  cFlowRun m_KeyRun;
};

// upward speed cut to 0.3 on that sub-step: gravity first, then the step.
double ExpectedRise(double v0, int nCutAfter) {
  double v = v0, y = 0, top = 0;
  for (int i = 1; i < 1000; ++i) {
    if (nCutAfter > 0 && i == nCutAfter + 1 && v < 0) v *= 0.3;
    v += g_Stage.m_dGravity;
    v = std::clamp(v, -g_Stage.m_dMaxSpeed, g_Stage.m_dMaxSpeed);  // the step's speed limit
    y += v;
    top = std::min(top, y);
    if (v > 0) break;
  }
  return -top;
}

TEST_F(PlayerTest, TheCameraStaysWithinTheScrollLimitsToBothEnds) {
  cPlayer& p = StandingPlayer(10);
  const SCROLLAXIS& a = m_Ctx.m_aScroll[SCROLL_X];
  bool bLeftEnd = false, bRightEnd = false;
  for (double v : {6.0, -6.0}) {
    for (int i = 0; i < 400; ++i) {
      p.m_dSpeedX2 = v;
      Step(p);
      ASSERT_GE(a.dPos, a.nMin);
      ASSERT_LE(a.dPos + 640, a.nMax);
      bLeftEnd |= a.dPos == a.nMin;
      bRightEnd |= a.dPos + 640 == a.nMax;
      // The player stays in the stage area and, away from the ends, in the
      // middle of the view.
      ASSERT_GE(p.m_dX, m_Ctx.AreaLow(SCROLL_X));
      ASSERT_LT(p.m_dRight, m_Ctx.AreaHigh(SCROLL_X));
      if (a.dPos > a.nMin && a.dPos + 640 < a.nMax) {
        ASSERT_DOUBLE_EQ(p.m_dX - a.dPos, 320 - p.m_nBoxW / 2);
      }
    }
  }
  EXPECT_TRUE(bLeftEnd);
  EXPECT_TRUE(bRightEnd);
}

TEST_F(PlayerTest, JumpHeightsByPressAndMode) {
  constexpr int H = 6;  // half cells
  struct CASE {
    const char* name;
    int nMode;
    int nHoldFrames;  // frames the button is held from the first (-1: always)
    bool bLate;       // the button was pressed while a knock-back held the jump
    double dRunUp;    // |second horizontal speed| for mode 2
    double dExpect;   // rise in pixels
  };
  const double full = ExpectedRise(JumpSpeedForHalfCells(H, 0), 0);
  const double cut3 = ExpectedRise(JumpSpeedForHalfCells(H, 0), 3);
  // Mode 2: parameter 1 fast (tenths), 2 its height, 3 slow, 4 its height.
  const double fast = 40 / 10.0, slow = 10 / 10.0;
  const double p2 = ExpectedRise(JumpSpeedForPixels(8 * 16.0, 0), 0);
  const double p4 = ExpectedRise(JumpSpeedForPixels(2 * 16.0, 0), 0);
  const double mid = ExpectedRise(JumpSpeedForPixels(static_cast<int>(2 + (8 - 2) * 2.0 / fast) * 16.0, 0), 0);
  const CASE cases[] = {
      {"mode 0 holds by itself", 0, 0, false, 0, full},
      {"mode 1 held", 1, -1, false, 0, full},
      {"mode 1 short press", 1, 3, false, 0, cut3},
      {"mode 1 late press", 1, -1, true, 0, 0},
      {"mode 2 fast run-up", 2, -1, false, fast, p2},
      {"mode 2 slow run-up", 2, -1, false, slow, p4},
      {"mode 2 between", 2, -1, false, 2.0, mid},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    ClearLiveObjects();
    cPlayer& p = StandingPlayer(10);
    cCommandRun run = JumpRun(c.nMode, H, 40, 8, 10, 2);
    const double y0 = p.m_dY;
    double top = y0;
    for (int f = 0; f < 120; ++f) {
      HoldButton(c.nHoldFrames < 0 || f < c.nHoldFrames);
      p.m_bKnockedBack = c.bLate && f == 0;
      p.m_dSpeedX2 = 0;
      if (c.nMode == 2) p.m_dSpeedX2 = c.dRunUp;
      Step(p, &run);
      p.m_dX = CellPx(10);
      p.ClampX(-1);
      top = std::min<double>(top, p.m_dY);
    }
    // Standing, the feet settle within a pixel of the floor's top.
    EXPECT_NEAR(y0 - top, c.dExpect, 1.0);
  }
}

TEST_F(PlayerTest, HoldingPastTheDurationEndsTheHoldWithoutCuttingTheSpeed) {
  cPlayer& p = StandingPlayer(10);
  cCommandRun run = JumpRun(1, 12);
  run.m_nDuration = 3;
  HoldButton(true);
  double v = 0;
  for (int f = 0; f < 3; ++f) {
    Step(p, &run);
    v = p.m_dSpeedY;
  }
  EXPECT_EQ(p.m_bJumpA, 1);
  EXPECT_EQ(p.m_bFellOff, 0);
  HoldButton(false);
  Step(p, &run);
  EXPECT_NEAR(p.m_dSpeedY, v + g_Stage.m_dGravity, 1e-9);  // released late: no cut
}

TEST_F(PlayerTest, BoxListIsSortedByAreaWithStableTiesAndCyclesItsShades) {
  g_Stage.m_nPlayerBodyShow = 1;
  g_Stage.m_nPlayerHitShow = 2;
  g_Stage.m_nPlayerBodyColour = 3;
  g_Stage.m_nPlayerHit3Colour = 40;  // out of range: kept to the last colour
  cPlayer& p = AddPlayer(5);
  ASSERT_EQ(p.m_vBoxList.size(), 4u);
  for (size_t i = 1; i < 4; ++i)
    EXPECT_GE(p.m_vBoxList[i - 1].nWidth * p.m_vBoxList[i - 1].nHeight,
              p.m_vBoxList[i].nWidth * p.m_vBoxList[i].nHeight);
  for (const BOXENTRY& e : p.m_vBoxList) {
    if (e.nKind == 0) {
      EXPECT_EQ(e.nColour, 208 + 12);
    } else if (e.nKind == 2) {
      EXPECT_EQ(e.nColour, 208 + 28);
    }
  }
  // Equal areas keep the order body, third, first, second.
  g_Stage.m_nPlayerHitW = g_Stage.m_nPlayerHit1W = g_Stage.m_nPlayerHit3W = 16;
  g_Stage.m_nPlayerHitH = g_Stage.m_nPlayerHit1H = g_Stage.m_nPlayerHit3H = 24;
  p.PlayerApplyMoveType(0, 0);
  EXPECT_EQ(p.m_vBoxList[0].nKind, 0);
  EXPECT_EQ(p.m_vBoxList[1].nKind, 2);
  EXPECT_EQ(p.m_vBoxList[2].nKind, 1);
  EXPECT_EQ(p.m_vBoxList[3].nKind, 3);
  const int nCycleStart = p.m_vBoxList[0].nCycle;
  for (int f = 0; f < 8; ++f) p.PlayerDrawBoxes(nullptr, false);
  EXPECT_EQ(p.m_vBoxList[0].nCycle, nCycleStart + 8);
  EXPECT_EQ(p.m_vBoxList[1].nCycle, 0);  // not shown: no cycle
}

TEST_F(PlayerTest, RidesABlockCharaAtItsSpeedAndTriggersItsRiddenFlows) {
  cEdChara bd = MakeEnemyDef(1);
  cEdCommand count = MakeHpCommand(0, 1, 1);
  count.m_vParam[4] = CharaStatus::Variable;
  count.m_vParam[2] = 1;
  bd.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::RiddenByChara, {count}));
  cStageChara& b = AddBlockChara(10, 10, 300, bd);
  cPlayer& p = AddPlayer(10);
  p.m_dY = b.m_dY - 60;
  p.ClampY(-1);
  int nRiding = 0;
  for (int i = 0; i < 40; ++i) {
    const double x0 = p.m_dX;
    // It falls onto the block chara, which then moves right.
    ASSERT_EQ(Step(p, nullptr, i < 20 ? 0.0 : 3.0, 0), 0);
    if (i >= 20) {
      ASSERT_EQ(p.m_bRidingChara, 1);
      EXPECT_DOUBLE_EQ(p.m_dX - x0, 3.0);
      EXPECT_DOUBLE_EQ(p.m_dBottom + 1, b.m_dY);
      ++nRiding;
    }
    b.Update(0);
  }
  EXPECT_EQ(nRiding, 20);
  EXPECT_EQ(p.m_nCarrierId, 300);
  EXPECT_GE(b.m_vVar[1], nRiding);
}

TEST_F(PlayerTest, AHeadBumpStopsTheJump) {
  cPlayer& p = StandingPlayer(10);
  cStageChara& b = AddBlockChara(10, 9, 301);
  cCommandRun run = JumpRun(0, 8);
  double top = p.m_dY;
  for (int f = 0; f < 40; ++f) {
    ASSERT_EQ(Step(p, &run), 0);
    top = std::min<double>(top, p.m_dY);
  }
  EXPECT_GE(top, b.m_dBottom + 1);
  EXPECT_LT(top, b.m_dBottom + 1 + 12);
}

TEST_F(PlayerTest, CrushedBetweenABlockCharaAndAWallOrTheFloor) {
  struct CASE {
    const char* name;
    int col, row;
    double dx, dy;
  };
  const CASE cases[] = {
      {"into the wall", 9, 11, -2.0, 0},
      {"onto the floor", 6, 8, 0, 2.0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    ClearLiveObjects();
    for (int y = 8; y <= 11; ++y) PlaceBlock(g_Stage, 5, y, 1);
    Start(g_Stage);
    cPlayer& p = StandingPlayer(6);
    AddBlockChara(c.col, c.row, 302);
    int r = 0;
    for (int f = 0; f < 60 && r == 0; ++f) r = Step(p, nullptr, c.dx, c.dy);
    EXPECT_EQ(r, 2);
  }
}

TEST_F(PlayerTest, TheSameInputTwiceGivesTheSamePositions) {
  auto Run = [&] {
    ClearLiveObjects();
    cPlayer& p = StandingPlayer(6);
    AddBlockChara(12, 10, 303);
    cCommandRun run = JumpRun(1, 6);
    std::ostringstream s;
    for (int f = 0; f < 120; ++f) {
      HoldButton((f / 7) % 3 == 0);
      p.m_dSpeedX2 = (f / 20) % 2 ? 2.5 : -1.5;
      const int r = Step(p, &run, f < 60 ? 1.0 : -1.0, 0);
      s.precision(17);
      s << f << " " << p.m_dX << " " << p.m_dY << " " << r << " " << p.m_bRidingChara << "\n";
    }
    return s.str();
  };
  const std::string a = Run();
  const std::string b = Run();
  EXPECT_EQ(a, b);
}

}  // namespace
