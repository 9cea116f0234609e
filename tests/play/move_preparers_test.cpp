#include "play/move_preparers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "play/jump_values.h"
#include "records/flow_enums.h"
#include "tests/play/play_fixture.h"

namespace {

TEST(DirectionCodes, ModesCodesAnglesAndVelocities) {
  struct CASE {
    int nMode;
    bool bRight;
    int nFlowDir;
    int nCode;
  } modes[] = {
      {0, true, 0, 3},  {0, false, 0, 2}, {1, true, 0, 2},  {1, false, 0, 3},  {4, true, 0, 7},
      {4, false, 0, 6}, {5, true, 0, 6},  {5, false, 0, 7}, {12, true, 0, 3},  {12, false, 0, 2},
      {12, true, 1, 2}, {12, true, 2, 3}, {12, true, 3, 6}, {12, true, 4, 7},  {12, true, 5, 8},
      {12, true, 6, 9}, {12, true, 7, 10}, {12, true, 8, 11}, {12, true, 9, 0}, {9, true, 0, 9},
  };
  for (const CASE& c : modes) {
    SCOPED_TRACE(testing::Message() << "mode " << c.nMode << " right " << c.bRight << " flow " << c.nFlowDir);
    EXPECT_EQ(DirectionFromMode(c.nMode, c.bRight, c.nFlowDir), c.nCode);
  }
  const double h = std::sqrt(0.5) * 2.0;
  struct ANGLE {
    int nCode;
    int nAngle;
    double vx, vy;
  } angles[] = {{2, 0, -2, 0},   {3, 180, 2, 0},  {6, 90, 0, -2},  {7, 270, 0, 2},
                {8, 45, -h, -h}, {9, 315, -h, h}, {10, 135, h, -h}, {11, 225, h, h}};
  for (const ANGLE& a : angles) {
    SCOPED_TRACE(a.nCode);
    ASSERT_EQ(AngleOfDirection(a.nCode), a.nAngle);
    double vx, vy;
    VelocityAtAngle(a.nAngle, 2.0, vx, vy);
    EXPECT_NEAR(vx, a.vx, 1e-12);
    EXPECT_NEAR(vy, a.vy, 1e-12);
  }
  EXPECT_EQ(AngleOfDirection(4), -1);
}

class MovePreparersTest : public cPlayFixture {
 protected:
  void SetUp() override { Start(MakeBlockStage(20, 15, 10)); }  // n = 10, G = 0.004
  static cEdCommand Command(int nKind) {
    cEdCommand c;
    c.SetDefaults();
    c.m_byKind = static_cast<uint8_t>(nKind);
    c.m_pMove = std::make_shared<cEdMove>();
    c.m_pMove->SetDefaults();
    return c;
  }
};

TEST_F(MovePreparersTest, AnglesTargetsAndRanges) {
  struct CASE {
    const char* pszName;
    int nKind;
    int16_t nAngle, nAngleStep;
    uint8_t byMirrorAngle, byTargetMode, byMirrorX;
    uint16_t w;
    bool bRight;
    int nExpAngle, nExpTargetX, nExpRange;
  } cases[] = {
      {"370 becomes 10", FlowCommandKind::StraightMove, 370, 0, 0, 0, 0, 0, false, 10, 0, 0},
      {"-30 stays", FlowCommandKind::StraightMove, -30, 0, 0, 0, 0, 0, false, -30, 0, 0},
      {"mirrored facing right", FlowCommandKind::StraightMove, 30, 0, 1, 0, 0, 0, true, 330, 0, 0},
      {"not mirrored facing left", FlowCommandKind::StraightMove, 30, 0, 1, 0, 0, 0, false, 30, 0, 0},
      {"step times w", FlowCommandKind::StraightMove, 10, 5, 0, 0, 0, 3, false, 25, 0, 0},
      {"straight target on field 1", FlowCommandKind::StraightMove, 0, 0, 0, 1, 1, 0, true, 0, -69, 0},
      {"charge target always", FlowCommandKind::ChargeMove, 0, 0, 0, 0, 0, 0, true, 0, 69, 0},
      {"homing target mirrored", FlowCommandKind::HomingMove, 0, 0, 0, 0, 1, 2, true, 0, -69, 60},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszName);
    cEdCommand cmd = Command(c.nKind);
    cEdMove& m = *cmd.m_pMove;
    m.m_nAngle = c.nAngle;
    m.m_nAngleStep = c.nAngleStep;
    m.m_byMirrorAngle = c.byMirrorAngle;
    m.m_byTargetMode = c.byTargetMode;
    m.m_byMirrorX = c.byMirrorX;
    m.m_nCellX = 2, m.m_nDotX = 5;
    m.m_nRange = 4, m.m_nRangeStep = 1;
    m.m_byTiming = 0;
    MOVERUN run;
    PrepareMoveCommand(run, cmd, 1, c.w, c.bRight);
    EXPECT_EQ(run.nAngle, c.nExpAngle);
    EXPECT_EQ(run.nTargetX, c.nExpTargetX);
    EXPECT_EQ(run.nRange, c.nExpRange);
  }
}

TEST_F(MovePreparersTest, CircleStartsHalfRoundAndTurnsBackFacingRight) {
  cEdCommand cmd = Command(FlowCommandKind::CircleMove);
  cEdMove& m = *cmd.m_pMove;
  m.m_nAngle = 0, m.m_nEndAngle = 90;
  m.m_byMirrorX = 1;
  m.m_nRange = 30;  // more than 20 half cells
  m.m_byTiming = 0;
  MOVERUN run;
  run.byTurning = 0;
  run.nDuration = 60;
  PrepareMoveCommand(run, cmd, 1, 0, true);
  EXPECT_EQ(run.nStartAngle, 1800);
  EXPECT_EQ(run.nEndAngle, 2700);
  EXPECT_EQ(run.byTurning, 1);
  EXPECT_EQ(run.nRange, 20 * 16 * 10);
  EXPECT_DOUBLE_EQ(run.dSpeed, 1.5);  // sweep 900 / 60 frames / n

  // The other timing turns the speed into a duration; a speed or duration
  // of 0 leaves the run as it was.
  m.m_byTiming = 1;
  run.dSpeed = 0.5;
  PrepareMoveCommand(run, cmd, 1, 0, false);
  EXPECT_EQ(run.nDuration, 180);  // 900 / 0.5 / 10
  run.dSpeed = 0.0;
  PrepareMoveCommand(run, cmd, 1, 0, false);
  EXPECT_EQ(run.nDuration, 180);
  m.m_byTiming = 0;
  run.nDuration = 0;
  run.dSpeed = 7.0;
  PrepareMoveCommand(run, cmd, 1, 0, false);
  EXPECT_EQ(run.dSpeed, 7.0);
}

TEST_F(MovePreparersTest, JumpGetsSpeedAndOverwritesTheCommandsDuration) {
  cEdCommand cmd = Command(FlowCommandKind::Jump);
  cmd.m_vParam.assign(4, 0);
  cmd.m_vParam[2] = 0x104;  // the low byte: 4 half cells
  cmd.m_nTimeBase = 99;
  MOVERUN run;
  PrepareMoveCommand(run, cmd, 1, 0, false);
  const double G = 0.004;
  EXPECT_DOUBLE_EQ(run.dSpeed, (-G - std::sqrt((8.0 * 64 + G) * G)) * 0.5);
  EXPECT_EQ(run.dSpeed, JumpSpeedForHalfCells(4, 1));
  EXPECT_EQ(cmd.m_nTimeBase, 7);  // (int)(10 - v / G) = 189; 189 / 10 / 3 + 1
  EXPECT_EQ(run.nDuration, 7 * 10 * 6);
  // The player's rules scale the speed by 0.99 - 0.4 × 0.025.
  EXPECT_DOUBLE_EQ(JumpSpeedForHalfCells(4, 0), JumpSpeedForHalfCells(4, 1) * 0.98);
}

TEST_F(MovePreparersTest, DistanceSetterAndKindsWithoutPreparer) {
  cEdCommand cmd = Command(FlowCommandKind::GroundTurnMove);
  cEdMove& m = *cmd.m_pMove;
  m.m_nRange = 8;  // half cells
  m.m_byTiming = 1;
  MOVERUN run;
  run.nDuration = 64;
  PrepareMoveCommand(run, cmd, 1, 0, false);
  EXPECT_DOUBLE_EQ(run.dSpeed, 2.0);
  m.m_byUnit = 1;
  m.m_nRange = 100;
  m.m_byTiming = 2;
  run.dSpeed = 3.0;
  PrepareMoveCommand(run, cmd, 1, 0, false);
  EXPECT_EQ(run.nDuration, 33);

  EXPECT_EQ(MovePreparerOf(FlowCommandKind::Wait), nullptr);
  EXPECT_EQ(MovePreparerOf(FlowCommandKind::DisableMove), nullptr);
  EXPECT_EQ(MovePreparerOf(200), nullptr);
  cEdCommand bare = Command(FlowCommandKind::StraightMove);
  bare.m_pMove.reset();
  PrepareMoveCommand(run, bare, 1, 0, false);  // nothing to read, nothing done
}

}  // namespace
