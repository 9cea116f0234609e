#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "flow/command_executors.h"
#include "flow/move_rules.h"
#include "tests/flow/command_harness.h"

namespace {

constexpr double kPi = 3.14159265358979323846;
const double kDiag = 1.0 / std::sqrt(2.0);

TEST(MoveRules, ResolveMoveDirection) {
  struct CASE {
    int nCode, bRight, bFly, nKey, nExpected;
  } aCase[] = {
      {0, 1, 0, 0, 3},  {0, 0, 0, 0, 2},  {1, 1, 0, 0, 2},  {1, 0, 0, 0, 3},   {4, 1, 1, 0, 7},
      {4, 0, 1, 0, 6},  {5, 1, 1, 0, 6},  {5, 0, 1, 0, 7},  {9, 0, 0, 0, 9},   {2, 1, 0, 0, 2},
      // The key direction: history 5 is up-left; a walker takes its side only.
      {12, 1, 1, 5, 8}, {12, 1, 0, 5, 2}, {12, 0, 0, 8, 3}, {12, 1, 0, 3, 6}, {12, 0, 0, 0, 2},
      // History 9 has no direction: forward.
      {12, 1, 0, 9, 3},
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(testing::Message() << "code " << c.nCode << " right " << c.bRight << " key " << c.nKey);
    cCommandHarness h;
    h.m_Chara.m_bRight = c.bRight;
    h.m_Chara.m_bFly = c.bFly;
    h.m_Flow.m_nTriggerKey = c.nKey;
    EXPECT_EQ(ResolveMoveDirection(h.m_Chara, c.nCode), c.nExpected);
  }
}

TEST(MoveRules, VelocityByDirectionAndByAngle) {
  struct CASE {
    int nDir, nAngle, bFly, bFixed;
    double dX, dY;
    int nFacing;
  } aCase[] = {
      {2, 0, 0, 0, -4, 0, 1},
      {3, 0, 1, 0, 4, 0, 2},
      {6, 0, 0, 0, 0, 0, 0},  // a walker does not go up
      {6, 0, 1, 0, 0, -4, 0},
      {7, 0, 1, 0, 0, 4, 0},
      {8, 0, 1, 0, -4 * kDiag, -4 * kDiag, 1},
      {9, 0, 0, 0, -4 * kDiag, 0, 1},
      {10, 0, 1, 0, 4 * kDiag, -4 * kDiag, 2},
      {11, 0, 1, 1, 4 * kDiag, 4 * kDiag, 0},  // fixed facing: no request
      // By angle: base 0 for left, 180 right, 90 up, 45 up-left.
      {2, 90, 1, 0, -4 * std::cos(kPi / 2), -4, 1},
      {3, 30, 1, 0, -4 * std::cos(210 * kPi / 180), -4 * std::sin(210 * kPi / 180), 2},
      {6, 0, 0, 0, -4 * std::cos(kPi / 2), 0, 0},
      {8, -45, 1, 0, -4, 0, 1},
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(testing::Message() << "dir " << c.nDir << " angle " << c.nAngle);
    cCommandHarness h;
    h.m_Chara.m_bFly = c.bFly;
    h.m_Chara.m_bFixed = c.bFixed;
    MOVEVELOCITY v = c.nAngle == 0 && c.nDir != 6 ? VelocityByDirection(h.m_Chara, c.nDir, 4)
                                                  : VelocityByAngle(h.m_Chara, c.nDir, c.nAngle, 4);
    EXPECT_NEAR(v.dX, c.dX, 1e-12);
    EXPECT_NEAR(v.dY, c.dY, 1e-12);
    EXPECT_EQ(v.nFacing, c.nFacing);
  }
}

TEST(MoveRules, SetMoveByDistance) {
  struct CASE {
    int nTiming, nUnit, nRange, nRangeStep, nStep, nDuration;
    double dSpeed;
    int nExpectDuration;
    double dExpectSpeed;
  } aCase[] = {
      {1, 1, 60, 0, 0, 30, 0, 30, 2.0},      // pixels over a duration
      {1, 0, 3, 1, 1, 16, 0, 16, 4.0},       // (3 + 1) half cells = 64 pixels
      {2, 1, 100, 0, 0, 0, 3.0, 33, 3.0},    // duration truncated
      {1, 1, 60, 0, 0, 0, 1.5, 0, 1.5},      // no duration: speed left
      {2, 1, 60, 0, 0, 12, 0, 12, 0},        // no speed: duration left
      {0, 1, 60, 0, 0, 12, 2.0, 12, 2.0},    // no timing: nothing
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(testing::Message() << "timing " << c.nTiming << " range " << c.nRange);
    cEdCommand cmd = MakeCommand(FlowCommandKind::StraightMove);
    cEdMove& mv = GiveMove(cmd);
    mv.m_byTiming = static_cast<uint8_t>(c.nTiming);
    mv.m_byUnit = static_cast<uint8_t>(c.nUnit);
    mv.m_nRange = static_cast<int16_t>(c.nRange);
    mv.m_nRangeStep = static_cast<int16_t>(c.nRangeStep);
    cCommandRun run;
    run.m_lpCommand = &cmd;
    run.m_nDuration = c.nDuration;
    run.m_dSpeed = c.dSpeed;
    SetMoveByDistance(run, c.nStep);
    EXPECT_EQ(run.m_nDuration, c.nExpectDuration);
    EXPECT_DOUBLE_EQ(run.m_dSpeed, c.dExpectSpeed);
  }
}

class MoveCommandTest : public testing::Test {
 protected:
  cEdCommand Move(int nKind, int nDirection = 0) {
    cEdCommand cmd = MakeCommand(nKind);
    GiveMove(cmd).m_byDirection = static_cast<uint8_t>(nDirection);
    return cmd;
  }
  cCommandHarness h;
};

TEST_F(MoveCommandTest, StraightMoveWalksAndAWalkerDoesNotRise) {
  h.m_Chara.m_bRight = FALSE;
  h.Begin(Move(FlowCommandKind::StraightMove, 1), 3, 2.5);  // backward: right
  for (int i = 0; i < 3; ++i) h.StepAndMove();
  EXPECT_DOUBLE_EQ(h.m_Chara.m_dX, 7.5);
  EXPECT_TRUE(h.m_Chara.m_bRight);
  EXPECT_EQ(h.m_Chara.m_nMoveAnim, 3);

  cCommandHarness up;
  up.Begin(Move(FlowCommandKind::StraightMove, 6), 3, 2.5);
  for (int i = 0; i < 3; ++i) up.StepAndMove();
  EXPECT_DOUBLE_EQ(up.m_Chara.m_dX, 0);
  EXPECT_DOUBLE_EQ(up.m_Chara.m_dY, 0);
}

TEST_F(MoveCommandTest, StraightMoveTurnsWithTheChara) {
  cEdCommand cmd = Move(FlowCommandKind::StraightMove, 0);
  cmd.m_pMove->m_byTurnWithFacing = 1;
  h.Begin(cmd, 4, 1);
  h.StepAndMove();
  h.StepAndMove();
  h.m_Chara.m_bRight = FALSE;  // turned round by something else
  h.StepAndMove();
  h.StepAndMove();
  EXPECT_DOUBLE_EQ(h.m_Chara.m_dX, 0);
  EXPECT_FALSE(h.m_Chara.m_bRight);
}

TEST_F(MoveCommandTest, StraightMoveTowardAPointStopsOnArrival) {
  cEdCommand cmd = Move(FlowCommandKind::StraightMove);
  cEdMove& mv = *cmd.m_pMove;
  mv.m_byTargetMode = 1;
  mv.m_byCoordKind = 1;  // offsets relative to the chara
  mv.m_byTiming = 2;
  h.m_Chara.m_bFly = TRUE;
  cCommandRun& run = h.Begin(cmd, 100, 5);
  run.m_nTargetX = 30;
  run.m_nTargetY = -40;
  int nSteps = 0;
  while (!h.Step()) ++nSteps;
  // 50 pixels at 5 per sub-step: the first step sets 10 frames left.
  EXPECT_EQ(nSteps + 1, 10);
  EXPECT_DOUBLE_EQ(run.m_dVelocityX, 3);
  EXPECT_DOUBLE_EQ(run.m_dVelocityY, -4);
}

TEST_F(MoveCommandTest, InertiaPushesAndIsHeldToTheSecondSpeed) {
  cEdCommand cmd = Move(FlowCommandKind::StraightMove, 2);
  cEdMove& mv = *cmd.m_pMove;
  mv.m_byInertia = 1;
  mv.m_bySpeed2On = 1;
  mv.m_nSpeed2 = 10;  // 1 pixel per sub-step at most
  mv.m_dTurnFactor = 3;
  h.m_Scope.m_Stage.m_dSpeedDiv = 2;
  h.m_Chara.m_adInertia[0] = 0.05;  // moving right: pushing left turns
  h.Begin(cmd, 200, 12);            // push 12 / 2 / 60 = 0.1
  std::vector<double> vTrace;
  for (int i = 0; i < 4; ++i) {
    h.Step();
    vTrace.push_back(h.m_Chara.m_adInertia[0]);
  }
  EXPECT_NEAR(vTrace[0], 0.05 - 0.3, 1e-12);  // opposite signs: × the turn factor
  EXPECT_NEAR(vTrace[1], -0.35, 1e-12);
  EXPECT_NEAR(vTrace[2], -0.45, 1e-12);
  EXPECT_FALSE(h.m_Chara.m_abNoPush[0]);
  for (int i = 0; i < 20; ++i) h.Step();
  EXPECT_DOUBLE_EQ(h.m_Chara.m_adInertia[0], -1.0);
  EXPECT_DOUBLE_EQ(h.m_Chara.m_dMoveX, 0);  // inertia moves do not add movement

  mv.m_bySpeed2On = 0;  // no second speed: the move's speed is the limit
  h.Begin(cmd, 200, 12);
  for (int i = 0; i < 200; ++i) h.Step();
  EXPECT_DOUBLE_EQ(h.m_Chara.m_adInertia[0], -12.0);
}

TEST_F(MoveCommandTest, GroundTurnTurnsAtTheLedgeAndWalksBack) {
  // Ground from x 0 to 127 under y 64; the chara (32 × 32) stands on it.
  h.m_Chara.m_fnSolid = [](double x, double y) { return y >= 64 && x >= 0 && x < 128; };
  h.m_Chara.m_dX = 80;
  h.m_Chara.m_dY = 32;
  h.Begin(Move(FlowCommandKind::GroundTurnMove), 40, 4);
  std::string strTrace;
  for (int i = 0; i < 12; ++i) {
    h.StepAndMove();
    strTrace += std::to_string(static_cast<int>(h.m_Chara.m_dX)) + (h.m_Chara.m_bRight ? "R " : "L ");
  }
  // Standing at 100 the right foot is past the ground: the sub-step still
  // walks on with the old facing, turns, and the chara walks back.
  EXPECT_EQ(strTrace, "84R 88R 92R 96R 100R 104L 100L 96L 92L 88L 84L 80L ");
}

TEST_F(MoveCommandTest, GroundTurnAtAWallTurnsRound) {
  h.m_Chara.m_bHitWall = TRUE;
  h.Begin(Move(FlowCommandKind::GroundTurnMove), 10, 2);
  h.StepAndMove();
  EXPECT_DOUBLE_EQ(h.m_Chara.m_dX, -2);
  EXPECT_FALSE(h.m_Chara.m_bRight);
  EXPECT_FALSE(h.m_Chara.m_bHitWall);
  cCommandHarness fly;
  fly.m_Chara.m_bFly = TRUE;
  fly.Begin(Move(FlowCommandKind::GroundTurnMove), 10, 2);
  fly.StepAndMove();
  EXPECT_DOUBLE_EQ(fly.m_Chara.m_dX, 0);
}

TEST_F(MoveCommandTest, CircleRepeatsEveryTurn) {
  h.m_Chara.m_bFly = TRUE;
  cEdCommand cmd = Move(FlowCommandKind::CircleMove, 1);
  cCommandRun& run = h.Begin(cmd, 100, 90);  // 90 degrees per sub-step
  run.m_nRadius = 16;
  const double a = 16 * kPi / 180 * 90;  // 8π
  const double adX[4] = {-a, 0, a, 0}, adY[4] = {0, a, 0, -a};
  for (int nTurn = 0; nTurn < 3; ++nTurn) {
    for (int i = 0; i < 4; ++i) {
      SCOPED_TRACE(testing::Message() << "turn " << nTurn << " step " << i);
      h.StepAndMove();
      EXPECT_NEAR(h.m_Chara.m_dMoveX, adX[i], 1e-9);
      EXPECT_NEAR(h.m_Chara.m_dMoveY, adY[i], 1e-9);
    }
    EXPECT_NEAR(h.m_Chara.m_dX, 0, 1e-9);
    EXPECT_NEAR(h.m_Chara.m_dY, 0, 1e-9);
  }
  cCommandHarness none;
  none.Begin(cmd, 10, 90);
  none.StepAndMove();
  EXPECT_EQ(none.m_Chara.m_nMoveAnim, 0);  // radius 0: no circle
}

TEST_F(MoveCommandTest, ChargeAimsOnceAtTheTarget) {
  cFakeChara target;
  target.m_dX = 300;
  target.m_dY = 400;
  h.m_Chara.m_pTarget = &target;
  h.m_Chara.m_bFly = TRUE;
  h.Begin(Move(FlowCommandKind::ChargeMove), 10, 5);
  h.StepAndMove();
  target.m_dX = -1000;  // the charge does not follow
  h.StepAndMove();
  EXPECT_NEAR(h.m_Chara.m_dX, 6, 1e-9);
  EXPECT_NEAR(h.m_Chara.m_dY, 8, 1e-9);

  cCommandHarness walker;
  walker.m_Chara.m_pTarget = &target;  // now on the left
  cCommandRun& run = walker.Begin(Move(FlowCommandKind::ChargeMove), 10, 5);
  walker.StepAndMove();
  EXPECT_DOUBLE_EQ(walker.m_Chara.m_dX, -5);
  EXPECT_DOUBLE_EQ(walker.m_Chara.m_dY, 0);
  EXPECT_FALSE(walker.m_Chara.m_bRight);
  (void)run;

  cCommandHarness turned;  // an angle offset of 90 turns a right charge down
  turned.m_Chara.m_bFly = TRUE;
  turned.m_Chara.m_pTarget = &target;
  target.m_dX = 1000;
  target.m_dY = 0;
  cCommandRun& run2 = turned.Begin(Move(FlowCommandKind::ChargeMove), 10, 5);
  run2.m_nAngle = 90;
  turned.StepAndMove();
  EXPECT_NEAR(turned.m_Chara.m_dX, 0, 1e-9);
  EXPECT_NEAR(turned.m_Chara.m_dY, 5, 1e-9);

  cCommandHarness alone;
  alone.Begin(Move(FlowCommandKind::ChargeMove), 10, 5);
  alone.StepAndMove();
  EXPECT_DOUBLE_EQ(alone.m_Chara.m_dX, 0);
}

TEST_F(MoveCommandTest, HomingWithADelayFollowsThreeStepsBehind) {
  cFakeChara target;
  target.m_dX = 84;  // centre x 100
  h.m_Chara.m_pTarget = &target;
  h.m_Chara.m_bFly = TRUE;
  h.m_Chara.m_dX = -16;  // centre (0, 16)
  cCommandRun& run = h.Begin(Move(FlowCommandKind::HomingMove), 20, 1);
  run.m_nRadius = 3;
  std::vector<int> vAimedY;
  for (int k = 0; k < 8; ++k) {
    target.m_dY = 10.0 * k - 16;  // centre y 10k
    h.Step();
    // Aimed point y from the velocity's slope (the chara stays put).
    vAimedY.push_back(static_cast<int>(std::lround(16 + 100 * run.m_dVelocityY / run.m_dVelocityX)));
  }
  EXPECT_EQ(vAimedY, (std::vector<int>{0, 0, 0, 0, 10, 20, 30, 40}));

  cCommandHarness now;  // no delay: the present centre every step
  now.m_Chara.m_pTarget = &target;
  target.m_dX = -200;
  now.Begin(Move(FlowCommandKind::HomingMove), 20, 2);
  now.StepAndMove();
  EXPECT_DOUBLE_EQ(now.m_Chara.m_dX, -2);

  target.m_anStatus[CharaStatus::Hp] = 0;  // a dead target is not followed
  now.StepAndMove();
  EXPECT_DOUBLE_EQ(now.m_Chara.m_dX, -2);
}

TEST_F(MoveCommandTest, AvoidOffscreenComesBack) {
  struct CASE {
    int nCode;
    double dX;
    int nScroll;     // horizontal scroll speed (tenths), auto-scroll on when not 0
    double dScrollPos;
    double dExpect;
  } aCase[] = {
      {1, 620, 0, 0, -3},     // facing right, backward = left: box left beyond 608
      {1, 600, 0, 0, 0},
      {0, -40, 0, 0, 3},      // right: box right below 32
      {0, 10, 0, 0, 0},
      // Scrolling at 2 pixels a sub-step: the margin is |2 + 1|.
      {1, 606, 20, 100, 2 - 3},
      {1, 606, 20, 0, 0},     // at the stage's left end
      {0, -5, 20, 100, 2 + 3},
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(testing::Message() << "code " << c.nCode << " x " << c.dX);
    cCommandHarness t;
    t.m_Scope.m_Stage.m_anStageSize[0] = 2000;
    t.m_Scope.m_Stage.m_anScroll[0] = c.nScroll;
    t.m_Scope.m_Stage.m_abAuto[0] = c.nScroll != 0;
    t.m_Scope.m_Stage.m_adScrollPos[0] = c.dScrollPos;
    t.m_Chara.m_dX = c.dX + c.dScrollPos;
    t.m_Chara.m_dScrollX = c.dScrollPos;
    t.Begin(Move(FlowCommandKind::AvoidOffscreenMove, c.nCode), 10, 3);
    t.StepAndMove();
    EXPECT_DOUBLE_EQ(t.m_Chara.m_dMoveX, c.dExpect);
    EXPECT_DOUBLE_EQ(t.m_Chara.m_dMoveY, 0);
  }
}

TEST_F(MoveCommandTest, ChangeDirectionEveryTick) {
  cFakeChara target;
  target.m_dX = -100;
  struct CASE {
    int nChoice, bTarget, nBlockSide, bRightBefore, bRightAfter;
  } aCase[] = {
      {0, 0, -1, 1, 0}, {1, 0, -1, 0, 1}, {2, 1, -1, 1, 0}, {3, 1, -1, 0, 1},
      {2, 0, -1, 1, 1},  // no target: nothing
      {4, 0, 1, 0, 1}, {5, 0, 1, 1, 0}, {4, 0, 7, 0, 0},
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(testing::Message() << "choice " << c.nChoice);
    cCommandHarness t;
    t.m_Chara.m_bFixed = TRUE;
    t.m_Chara.m_bRight = c.bRightBefore;
    t.m_Chara.m_nBlockSide = c.nBlockSide;
    if (c.bTarget) t.m_Chara.m_pTarget = &target;
    t.Begin(MakeCommand(FlowCommandKind::ChangeDirection, {c.nChoice}), 1);
    t.Step();
    EXPECT_EQ(t.m_Chara.m_bRight, c.bRightAfter);
  }
  // Facing not fixed: nothing. Tick 3: the choice and the sound every 3 steps.
  cEdCommand cmd = MakeCommand(FlowCommandKind::ChangeDirection, {1});
  cmd.m_nSound = 4;
  cmd.m_byOnScreenOnly = 0;
  h.m_Chara.m_bRight = FALSE;
  h.Begin(cmd, 7);
  h.Step();
  EXPECT_FALSE(h.m_Chara.m_bRight);
  h.m_Chara.m_bFixed = TRUE;
  h.m_Scope.m_Stage.m_nTick = 3;
  h.Begin(cmd, 7);
  for (int i = 0; i < 7; ++i) h.Step();
  EXPECT_TRUE(h.m_Chara.m_bRight);
  EXPECT_EQ(h.m_Scope.m_Stage.m_vLog, (std::vector<std::string>{"UM_PLAYSE 20", "UM_PLAYSE 20", "UM_PLAYSE 20"}));
}

TEST_F(MoveCommandTest, JumpAndDisableMove) {
  h.m_Chara.m_bPinned = TRUE;
  h.Begin(MakeCommand(FlowCommandKind::Jump), 5, -6);
  h.Step();
  EXPECT_TRUE(h.m_Chara.m_bInAir);
  EXPECT_DOUBLE_EQ(h.m_Chara.m_dJumpSpeed, -6);
  EXPECT_FALSE(h.m_Chara.m_bPinned);
  h.m_Run.m_dSpeed = -9;  // already in the air: nothing
  h.Step();
  EXPECT_DOUBLE_EQ(h.m_Chara.m_dJumpSpeed, -6);

  h.m_Chara.m_dMoveX = 3;
  h.m_Chara.m_adInertia[1] = 2;
  h.Begin(MakeCommand(FlowCommandKind::DisableMove), 1);
  h.Step();
  EXPECT_TRUE(h.m_Chara.m_bMoveDisabled);
  EXPECT_DOUBLE_EQ(h.m_Chara.m_dMoveX, 0);
  EXPECT_DOUBLE_EQ(h.m_Chara.m_adInertia[1], 0);
}

}  // namespace
