// Movement commands on real charas in a running stage: the position after
// every sub-step is held against the velocities worked out independently
// from the move's settings (ground turn at ledges, circle, charge, homing),
// and the same stage played twice gives the same trace bit for bit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

#include "tests/play/flow_stage_fixture.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct POS {
  double x, y;
  bool operator==(const POS&) const = default;
};

class FlowMovesStage : public cFlowStageTest {
 protected:
  // Chara 0's position after each of n play frames (one sub-step each at
  // speed level 1), starting from its position when play began.
  // Player 1's centre after each frame goes to m_vPlayer.
  std::vector<POS> Trace(int n) {
    cSceneStage& s = Play();
    std::vector<POS> v;
    m_vPlayer.clear();
    if (g_lstChara.empty()) return v;
    auto Record = [&] {
      v.push_back({Chara().m_dX, Chara().m_dY});
      POS p{};
      FirstPlayer()->Centre(p.x, p.y);
      m_vPlayer.push_back(p);
    };
    Record();
    for (int i = 0; i < n && !g_lstChara.empty(); ++i) {
      s.Update();
      Record();
    }
    return v;
  }
  // Chara 0's centre less its position.
  static POS CentreOffset() {
    POS c{};
    Chara().Centre(c.x, c.y);
    return {c.x - Chara().m_dX, c.y - Chara().m_dY};
  }
  std::vector<POS> m_vPlayer;
  // The first index whose x differs from the one before it.
  static size_t FirstMove(const std::vector<POS>& v) {
    size_t k = 1;
    while (k < v.size() && v[k].x == v[k - 1].x) ++k;
    return k;
  }
};

TEST_F(FlowMovesStage, AWalkerTurnsAtBothLedgesOfItsPlatform) {
  // A platform of four cells in the air; the walker stands on it.
  PlaceRow(m_Stage, 14, 17, 10, 1);
  m_Stage.m_vecChara.push_back(PlacedAt(FlowChara({MoveCommand(FlowCommandKind::GroundTurnMove, 1000, 10)}), 15, 9));
  const std::vector<POS> trace = Trace(300);
  ASSERT_EQ(trace.size(), 301u);

  // The walk worked out from the rules: 1 pixel a sub-step in the facing
  // it had when the step began; a step whose feet have ground under one end
  // only asks to face that end, and the walk turns on the next step.
  const double w = Chara().m_dRight - Chara().m_dX;
  bool bRight = trace[1].x > trace[0].x;  // the facing it starts with
  double x = trace[0].x;
  auto Solid = [](double px) {
    const int col = static_cast<int>(std::floor(px)) / 32 - STAGE_MARGIN_CELLS;
    return col >= 14 && col <= 17;
  };
  int nTurns = 0;
  for (size_t k = 1; k < trace.size(); ++k) {
    const bool bLeft = Solid(x), bRightFoot = Solid(x + w);
    const double vx = bRight ? 1.0 : -1.0;
    if (bLeft && !bRightFoot && bRight) bRight = false, ++nTurns;
    else if (bRightFoot && !bLeft && !bRight) bRight = true, ++nTurns;
    x += vx;
    ASSERT_EQ(trace[k].x, x) << "step " << k;
    // Standing on the platform (it lands within the first few steps).
    if (k > 10) {
      ASSERT_NEAR(trace[k].y, trace[10].y, 1.0) << "the walker left its platform at step " << k;
    }
  }
  EXPECT_GE(nTurns, 3);
  EXPECT_EQ(Trace(300), trace) << "the same stage walked differently";
}

TEST_F(FlowMovesStage, AFlyerCirclesWithTheRadiusAndDegreesPerStepOfItsMove) {
  // Radius 2 half cells (32 pixels); a whole turn in 6 seconds (360 steps):
  // 1 degree a step.
  cEdCommand circle = MoveCommand(FlowCommandKind::CircleMove, 60, 10);
  circle.m_pMove->m_nRange = 2;
  circle.m_pMove->m_nAngle = 0;
  circle.m_pMove->m_nEndAngle = 360;
  circle.m_pMove->m_byDirection = 1;
  m_Stage.m_vecChara.push_back(PlacedAt(FlowChara({circle}, 1), 15, 6));
  const std::vector<POS> trace = Trace(360);
  ASSERT_EQ(trace.size(), 361u);

  const double r = 32, s = 1.0, rad = kPi / 180.0;
  POS p = trace[0];
  double phase = 0;
  for (size_t k = 1; k < trace.size(); ++k) {
    const double vx = -(r * std::cos(phase * rad) * rad) * s;
    const double vy = -(r * std::cos((phase + 90) * rad) * rad) * s;
    phase += s;
    p.x += vx;
    p.y += vy;
    ASSERT_NEAR(trace[k].x, p.x, 1e-9) << "step " << k;
    ASSERT_NEAR(trace[k].y, p.y, 1e-9) << "step " << k;
  }
  // A whole turn brings it back where it began.
  EXPECT_NEAR(trace.back().x, trace[0].x, 1e-6);
  EXPECT_NEAR(trace.back().y, trace[0].y, 1e-6);
  // Its widest swing is the circle's diameter.
  double dMinX = trace[0].x, dMaxX = trace[0].x;
  for (const POS& q : trace) dMinX = std::min(dMinX, q.x), dMaxX = std::max(dMaxX, q.x);
  EXPECT_NEAR(dMaxX - dMinX, 2 * r, 0.01);
  EXPECT_EQ(Trace(360), trace);
}

TEST_F(FlowMovesStage, AChargeAimsOnceAtPlayerOneAndKeepsItsVelocity) {
  m_Stage.m_vecChara.push_back(
      PlacedAt(FlowChara({TargetPlayerCommand(), MoveCommand(FlowCommandKind::ChargeMove, 100, 15)}, 1), 16, 8));
  const std::vector<POS> trace = Trace(40);
  const size_t k0 = FirstMove(trace);
  ASSERT_LT(k0, 10u) << "the charge never started";
  // Aimed once, from its centre before the first moving step at player 1's
  // centre in that step (players move first): 1.5 pixels a step.
  const POS off = CentreOffset();
  const double dx = m_vPlayer[k0].x - (trace[k0 - 1].x + off.x), dy = m_vPlayer[k0].y - (trace[k0 - 1].y + off.y);
  const double len = std::hypot(dx, dy);
  const double vx = dx / len * 1.5, vy = dy / len * 1.5;
  ASSERT_LT(vx, 0);
  ASSERT_GT(vy, 0);
  for (size_t k = k0; k < trace.size(); ++k) {
    ASSERT_NEAR(trace[k].x - trace[k - 1].x, vx, 1e-9) << "step " << k;
    ASSERT_NEAR(trace[k].y - trace[k - 1].y, vy, 1e-9) << "step " << k;
  }
  // The facing follows the velocity.
  EXPECT_EQ(Chara().m_nDir, 0);
  EXPECT_EQ(Trace(40), trace);
}

TEST_F(FlowMovesStage, AHomingFlyerTurnsTowardPlayerOneOnEveryStep) {
  m_Stage.m_vecChara.push_back(
      PlacedAt(FlowChara({TargetPlayerCommand(), MoveCommand(FlowCommandKind::HomingMove, 100, 20)}, 1), 17, 4));
  const std::vector<POS> trace = Trace(40);
  const size_t k0 = FirstMove(trace);
  ASSERT_LT(k0, 10u) << "the homing never started";
  // Each step aims afresh from where the chara is: 2 pixels a step along
  // the line to player 1's centre, so the path bends as player 1 settles.
  const POS off = CentreOffset();
  POS p = trace[k0 - 1];
  for (size_t k = k0; k < trace.size(); ++k) {
    const double dx = m_vPlayer[k].x - (p.x + off.x), dy = m_vPlayer[k].y - (p.y + off.y);
    const double len = std::hypot(dx, dy);
    p.x += dx / len * 2.0;
    p.y += dy / len * 2.0;
    ASSERT_NEAR(trace[k].x, p.x, 1e-9) << "step " << k;
    ASSERT_NEAR(trace[k].y, p.y, 1e-9) << "step " << k;
  }
  EXPECT_EQ(Trace(40), trace);
}

TEST_F(FlowMovesStage, AHomingWalkerMovesOnlyAlongTheGroundTowardPlayerOne) {
  m_Stage.m_vecChara.push_back(
      PlacedAt(FlowChara({TargetPlayerCommand(), MoveCommand(FlowCommandKind::HomingMove, 100, 10)}), 16, 13));
  const std::vector<POS> trace = Trace(40);
  const size_t k0 = FirstMove(trace);
  ASSERT_LT(k0, 10u);
  for (size_t k = k0; k < trace.size(); ++k) {
    ASSERT_EQ(trace[k].x - trace[k - 1].x, -1.0) << "step " << k;
  }
}

}  // namespace

namespace {

TEST_F(FlowMovesStage, ACircleClosesInItsTimeWithItsRadiusAtEverySpeedLevel) {
  // Speed levels 2 and 3 run two and three sub-steps a frame at a divided
  // speed: the circle still takes 6 seconds and has a 32-pixel radius.
  for (uint32_t nLevel : {1u, 2u, 3u}) {
    SCOPED_TRACE(nLevel);
    SetUp();
    m_Stage.SetSpeedLevel(nLevel);
    cEdCommand circle = MoveCommand(FlowCommandKind::CircleMove, 60, 10);
    circle.m_pMove->m_nRange = 2;
    circle.m_pMove->m_nEndAngle = 360;
    m_Stage.m_vecChara.push_back(PlacedAt(FlowChara({circle}, 1), 15, 6));
    const std::vector<POS> trace = Trace(360);
    ASSERT_EQ(trace.size(), 361u);
    double dMinX = trace[0].x, dMaxX = trace[0].x, dMinY = trace[0].y, dMaxY = trace[0].y;
    for (const POS& q : trace) {
      dMinX = std::min(dMinX, q.x), dMaxX = std::max(dMaxX, q.x);
      dMinY = std::min(dMinY, q.y), dMaxY = std::max(dMaxY, q.y);
    }
    EXPECT_NEAR(dMaxX - dMinX, 64, 0.5);
    EXPECT_NEAR(dMaxY - dMinY, 64, 0.5);
    EXPECT_NEAR(trace.back().x, trace[0].x, 0.01);
    EXPECT_NEAR(trace.back().y, trace[0].y, 0.01);
    TearDown();
  }
}

TEST_F(FlowMovesStage, AnInertialMovePushesBySixtiethsUpToItsSecondSpeedThenBrakes) {
  // 6 pixels a frame pushed in sixtieths (0.1 a step), held at the second
  // speed of 3 pixels a frame for the move's 36 frames; after it the
  // chara's stopping ease (10 hundredths a frame) brakes it to a stand.
  cEdCommand move = MoveCommand(FlowCommandKind::StraightMove, 6, 60);
  move.m_pMove->m_byDirection = 3;  // right
  move.m_pMove->m_byInertia = 1;
  move.m_pMove->m_bySpeed2On = 1;
  move.m_pMove->m_nSpeed2 = 30;
  cEdChara c = WaitingFlowChara({move});
  c.m_nMoveType = 1;
  c.m_nSetting41 = 10;
  m_Stage.m_vecChara.push_back(PlacedAt(c, 5, 6));
  const std::vector<POS> trace = Trace(80);
  ASSERT_EQ(trace.size(), 81u);
  EXPECT_DOUBLE_EQ(Chara().m_dDecel, 0.1);
  double v = 0, x = trace[0].x;
  for (size_t k = 1; k < trace.size(); ++k) {
    v = k <= 36 ? std::min(v + 6.0 / 60.0, 3.0) : std::max(v - 0.1, 0.0);
    x += v;
    ASSERT_NEAR(trace[k].x, x, 1e-9) << "step " << k;
    ASSERT_EQ(trace[k].y, trace[0].y);
  }
  EXPECT_EQ(trace[80].x, trace[79].x);  // standing
}

TEST_F(FlowMovesStage, AStraightMoveUpLeavesAWalkerStandingAndMovesAFlyer) {
  struct CASE {
    int nMoveType;
    double dRise;  // pixels after 20 steps
  } cases[] = {{0, 0}, {1, 20}};
  for (const CASE& c : cases) {
    SetUp();
    cEdCommand up = MoveCommand(FlowCommandKind::StraightMove, 100, 10);
    up.m_pMove->m_byDirection = 6;
    cEdChara e = FlowChara({MakeFlowCommand(FlowCommandKind::Wait, 2), up}, c.nMoveType);
    m_Stage.m_vecChara.push_back(PlacedAt(e, 15, 13));
    const std::vector<POS> trace = Trace(32);
    ASSERT_EQ(trace.size(), 33u);
    // The wait lets a walker land; the move starts on step 13.
    EXPECT_NEAR(trace[12].y - trace[32].y, c.dRise, 1.0) << c.nMoveType;
    EXPECT_EQ(trace[32].x, trace[12].x) << c.nMoveType;
    TearDown();
  }
}

}  // namespace

namespace {

TEST_F(FlowMovesStage, AHomingWithADelayFollowsItsTargetsPathThreeStepsBehind) {
  // The target, chara ID 7, flies right at 2 pixels a step; the homing
  // flyer (1 pixel a step, delay 3) chooses it by its ID.
  cEdCommand fly = MoveCommand(FlowCommandKind::StraightMove, 1000, 20);
  fly.m_pMove->m_byDirection = 3;
  cEdChara target = FlowChara({fly}, 1);
  cEdCommand choose = MakeFlowCommand(FlowCommandKind::SetTarget);
  choose.m_vParam[0] = 3;
  choose.m_vParam[1] = 7;
  cEdCommand homing = MoveCommand(FlowCommandKind::HomingMove, 1000, 10);
  homing.m_pMove->m_nRange = 3;
  m_Stage.m_vecChara.push_back(PlacedAt(target, 8, 3));
  m_Stage.m_vecChara.push_back(PlacedAt(FlowChara({choose, homing}, 1), 14, 8));
  cSceneStage& s = Play();
  ASSERT_EQ(g_lstChara.size(), 2u);
  Chara(0).SetStatus(CharaStatus::CharaId, 7);
  std::vector<POS> vTarget, vHoming;
  auto Record = [&] {
    POS t{};
    Chara(0).Centre(t.x, t.y);
    vTarget.push_back(t);
    vHoming.push_back({Chara(1).m_dX, Chara(1).m_dY});
  };
  Record();
  for (int i = 0; i < 40; ++i) {
    s.Update();
    Record();
  }
  const size_t k0 = FirstMove(vHoming);
  ASSERT_LT(k0, 10u) << "the homing never started";
  POS off{};
  Chara(1).Centre(off.x, off.y);
  off.x -= Chara(1).m_dX;
  off.y -= Chara(1).m_dY;
  // Homing step j (from 1) aims at the target's centre, in whole pixels, of
  // step max(1, j - 3); the target moves first in each step.
  POS p = vHoming[k0 - 1];
  for (size_t k = k0; k < vHoming.size(); ++k) {
    const size_t j = k - k0 + 1;
    const POS aim = vTarget[k0 - 1 + (j > 3 ? j - 3 : 1)];
    const double dx = std::trunc(aim.x) - (p.x + off.x), dy = std::trunc(aim.y) - (p.y + off.y);
    const double len = std::hypot(dx, dy);
    p.x += dx / len;
    p.y += dy / len;
    ASSERT_NEAR(vHoming[k].x, p.x, 1e-9) << "step " << k;
    ASSERT_NEAR(vHoming[k].y, p.y, 1e-9) << "step " << k;
  }
}

}  // namespace

namespace {

TEST_F(FlowMovesStage, ChangeDirectionTurnsOnlyACharaWhoseFacingIsFixed) {
  struct CASE {
    int nChoice;      // p0
    bool bFixed;
    int nStartDir, nDir;  // 0 left, 1 right; player 1 is to the left
  } cases[] = {
      {0, true, 1, 0}, {1, true, 0, 1}, {2, true, 1, 0}, {3, true, 0, 1},
      {0, false, 1, 1},  // not fixed: no effect
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nChoice);
    SetUp();
    cEdCommand turn = MakeFlowCommand(FlowCommandKind::ChangeDirection, 1000);
    turn.m_vParam[0] = c.nChoice;
    m_Stage.m_vecChara.push_back(PlacedAt(FlowChara({TargetPlayerCommand(), turn}), 14, 13));
    cSceneStage& s = Play();
    Chara().m_bFixedFacing = c.bFixed;
    Chara().m_nDir = c.nStartDir;
    for (int i = 0; i < 5; ++i) s.Update();
    EXPECT_EQ(Chara().m_nDir, c.nDir) << c.bFixed;
    TearDown();
  }
}

}  // namespace

namespace {

TEST_F(FlowMovesStage, AJumpRisesItsHeightFromTheGroundAndNothingInTheAir) {
  struct CASE {
    int nRow;
    int nWait;       // tenths before the jump
    double dRise;    // highest point above the start, pixels
  } cases[] = {{13, 2, 32}, {3, 0, 0}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nRow);
    SetUp();
    cEdCommand jump = MakeFlowCommand(FlowCommandKind::Jump);
    // Two half cells: its speed stays below the stage's speed limit of 6,
    // which would cut a higher jump short.
    jump.m_vParam[2] = 2;
    m_Stage.m_vecChara.push_back(
        PlacedAt(FlowChara({MakeFlowCommand(FlowCommandKind::Wait, c.nWait), jump,
                            MakeFlowCommand(FlowCommandKind::Wait, 1000)}),
                 14, c.nRow));
    const std::vector<POS> trace = Trace(80);
    // From the step the jump ran (after the wait) on.
    const size_t k0 = static_cast<size_t>(c.nWait) * 6 + 1;
    double dTop = trace[k0 - 1].y;
    for (size_t k = k0; k < trace.size(); ++k) dTop = std::min(dTop, trace[k].y);
    EXPECT_NEAR(trace[k0 - 1].y - dTop, c.dRise, 4.0);
    TearDown();
  }
}

}  // namespace

namespace {

TEST_F(FlowMovesStage, ADisabledMoveHoldsTheCharaAgainstLaterMovesOfTheSameUpdate) {
  // The first flow disables its movement for 12 steps, the second walks
  // right at 1 pixel a step all the while: the walk starts when the
  // disabling ends, on either flow order.
  for (const bool bDisableFirst : {true, false}) {
    SCOPED_TRACE(bDisableFirst ? "disable first" : "walk first");
    SetUp();
    cEdCommand walk = MoveCommand(FlowCommandKind::StraightMove, 100, 10);
    walk.m_pMove->m_byDirection = 3;
    const cEdFlow disable = MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::DisableMove, 2),
                                                             MakeFlowCommand(FlowCommandKind::Wait, 1000)});
    const cEdFlow walker = MakeFlowOf(FlowTrigger::Always, {walk});
    cEdChara e = FlowChara({}, 1);
    e.m_vecFlow = bDisableFirst ? cVector<cEdFlow>{disable, walker} : cVector<cEdFlow>{walker, disable};
    m_Stage.m_vecChara.push_back(PlacedAt(e, 15, 10));
    const std::vector<POS> trace = Trace(20);
    ASSERT_EQ(trace.size(), 21u);
    EXPECT_EQ(trace[12].x, trace[0].x);
    EXPECT_NEAR(trace[20].x - trace[12].x, 8.0, 1e-9);
    TearDown();
  }
}

}  // namespace

namespace {

std::vector<int> s_vJumpSounds;

TEST_F(FlowMovesStage, AJumpsSoundKeptToCharasOnScreenIsNotHeardFromOffScreen) {
  // Walkers that stay in play anywhere, one in view and one beyond its
  // right edge, jump once with project sound 3.
  struct CASE {
    int nColumn;
    int bOnScreenOnly;
    bool bHeard;
  } cases[] = {{13, 1, true}, {29, 1, false}, {29, 0, true}};
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "column " << c.nColumn << " on-screen only " << c.bOnScreenOnly);
    SetUp();
    s_vJumpSounds.clear();
    g_PlayLinks.pfnPlaySound = [](int n) { s_vJumpSounds.push_back(n); };
    cEdCommand jump = MakeFlowCommand(FlowCommandKind::Jump);
    jump.m_vParam[2] = 2;
    jump.m_nSound = 3;
    jump.m_byOnScreenOnly = static_cast<uint8_t>(c.bOnScreenOnly);
    cEdChara e =
        FlowChara({MakeFlowCommand(FlowCommandKind::Wait, 1), jump, MakeFlowCommand(FlowCommandKind::Wait, 1000)});
    e.m_nViewTestKind = 3;
    m_Stage.m_vecChara.push_back(PlacedAt(e, c.nColumn, 13));
    const std::vector<POS> trace = Trace(20);
    ASSERT_EQ(trace.size(), 21u);
    double dTop = trace[0].y;
    for (const POS& p : trace) dTop = std::min(dTop, p.y);
    EXPECT_LT(dTop, trace[0].y - 8) << "no jump";
    EXPECT_EQ(Chara().IsOnScreen(), c.nColumn == 13);
    EXPECT_EQ(std::count(s_vJumpSounds.begin(), s_vJumpSounds.end(), 19), c.bHeard ? 1 : 0);
    TearDown();
  }
}

}  // namespace
