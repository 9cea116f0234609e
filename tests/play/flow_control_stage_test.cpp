// Flow control, stage clear, game wait, warp and shot commands on real
// charas in a running stage: warps into walls or out of the stage are
// undone, a stage clear ends play with its next stage and world-map spot,
// a game wait freezes play while frames are presented, a shot command
// fires the shots of its record every command tick, and flows deleting
// themselves or the flow that started them leave no dangling run (the
// sanitizer build proves the last).
#include <gtest/gtest.h>

#include <atomic>

#include "play/message_text.h"
#include "records/database.h"
#include "records/world_map.h"
#include "tests/play/flow_stage_fixture.h"

namespace {

std::atomic<int> s_nPresents{0};

cEdCommand FlowControlCommand(int nOp, int nScope, int nId = 0) {
  cEdCommand c = MakeFlowCommand(FlowCommandKind::FlowControl);
  c.m_vParam[0] = nOp;
  c.m_vParam[1] = nScope;
  c.m_vParam[2] = nId;
  return c;
}

cEdFlow FlowWithId(int nTrigger, int nId, std::initializer_list<cEdCommand> cmds) {
  cEdFlow f = MakeFlowOf(nTrigger, cmds);
  f.m_byFlowId = static_cast<uint8_t>(nId);
  return f;
}

class FlowControlStage : public cFlowStageTest {
 protected:
  void SetUp() override {
    cFlowStageTest::SetUp();
    s_nPresents = 0;
    g_StageLinks.pfnPresent = [] { ++s_nPresents; };
    g_StageLinks.pfnFrozenFrameStart = [](PLAYERKEYS&) -> BOOL { return TRUE; };
  }
  // A stage chara with the given flows at (col, row).
  void AddChara(cVector<cEdFlow> flows, int col = 13, int row = 13, int nMoveType = 0) {
    cEdChara e = FlowChara({}, nMoveType);
    e.m_vecFlow = std::move(flows);
    m_Stage.m_vecChara.push_back(PlacedAt(e, col, row));
  }
};

TEST_F(FlowControlStage, AWarpIntoAWallOrOutOfTheStageIsUndone) {
  struct CASE {
    const char* pszWhat;
    int nDirection;  // move direction code
    int nDistance;   // half cells
    double dMoved;   // pixels along x
  } cases[] = {
      {"into the wall two cells right", 3, 4, 0},
      {"past the wall, four cells right", 3, 8, 128},
      {"one cell left, free", 2, 2, -32},
      {"out of the stage on the left", 2, 40, 0},
  };
  for (const CASE& c : cases) {
    SetUp();
    PlaceColumn(m_Stage, 14, 10, 13, 1);
    cEdCommand warp = MoveCommand(FlowCommandKind::Warp, 0, 0);
    warp.m_pMove->m_byTargetMode = 0;
    warp.m_pMove->m_byDirection = static_cast<uint8_t>(c.nDirection);
    warp.m_pMove->m_nRange = static_cast<int16_t>(c.nDistance);
    AddChara({MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::Wait, 4), warp,
                                               MakeFlowCommand(FlowCommandKind::Wait, 1000)})},
             12, 13);
    cSceneStage& s = Play();
    for (int i = 0; i < 20; ++i) s.Update();  // settled on the floor
    const double x0 = Chara().m_dX, y0 = Chara().m_dY;
    for (int i = 0; i < 10; ++i) s.Update();
    EXPECT_EQ(Chara().m_dX - x0, c.dMoved) << c.pszWhat;
    EXPECT_NEAR(Chara().m_dY, y0, 1.0) << c.pszWhat;
    TearDown();
  }
}

TEST_F(FlowControlStage, AStageClearEndsPlayWithItsNextStageAndMapSpot) {
  g_WorldMap.m_nWidth = 8;
  g_WorldMap.m_nHeight = 6;
  struct CASE {
    int32_t p[5];
    int32_t nNext;
    int32_t nMapX, nMapY;
  } cases[] = {
      {{0, 9, 0, 3, 3}, 3, 1, 1},     // the next stage after area 2; the map stays
      {{1, 4, 0, 0, 0}, 4, 1, 1},     // stage 4 by number
      {{2, 4, 0, 0, 0}, 0, 1, 1},     // world clear
      {{1, 5, 1, 3, 2}, 5, 3, 2},     // a spot on the map
      {{1, 5, 1, 99, 6}, 5, 7, 5},    // beyond the map: its last column and row
      {{1, 5, 1, -4, -1}, 5, 0, 0},   // below it: the first
  };
  for (const auto& c : cases) {
    SetUp();
    cEdCommand clear = MakeFlowCommand(FlowCommandKind::StageClear);
    for (int i = 0; i < 5; ++i) clear.m_vParam[i] = c.p[i];
    AddChara({MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::Wait, 1), clear})});
    cSceneStage& s = Play();
    g_Progress.m_nArea = 2;
    g_Progress.m_nMapX = g_Progress.m_nMapY = 1;
    g_Progress.m_nFacing = 3;
    int n = 0;
    while (s.m_nStageEnd == 0 && s.m_nState == STAGESTATE_PLAY && n++ < 60) s.Update();
    EXPECT_EQ(s.m_nStageEnd, 1) << c.p[0] << "," << c.p[1];
    EXPECT_EQ(s.m_nNextStage, c.nNext) << c.p[0] << "," << c.p[1];
    EXPECT_EQ(g_Progress.m_nMapX, c.nMapX);
    EXPECT_EQ(g_Progress.m_nMapY, c.nMapY);
    EXPECT_EQ(g_Progress.m_nFacing, c.p[2] ? 0 : 3);
    // Play ends on the request.
    for (int i = 0; i < 5; ++i) s.Update();
    EXPECT_NE(s.m_nState, STAGESTATE_PLAY);
    TearDown();
  }
  g_WorldMap = cEdWorldMap();
}

TEST_F(FlowControlStage, AGameWaitFreezesPlayWhileItsFramesArePresented) {
  cEdCommand wait = MakeFlowCommand(FlowCommandKind::GameWait);
  wait.m_vParam[0] = 5;  // half a second
  AddChara({MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::Wait, 1), wait,
                                             MakeFlowCommand(FlowCommandKind::Wait, 1000)})});
  cSceneStage& s = Play();
  const uint32_t nFrame = s.m_nPlayFrame;
  int nFrozenUpdate = -1;
  for (int i = 0; i < 20 && nFrozenUpdate < 0; ++i) {
    const int nBefore = s_nPresents;
    s.Update();
    if (s_nPresents - nBefore >= 30) nFrozenUpdate = i;
  }
  ASSERT_GE(nFrozenUpdate, 0) << "no frozen frames were presented";
  EXPECT_EQ(s.m_nPlayFrame, nFrame + static_cast<uint32_t>(nFrozenUpdate) + 1);
  // The wait's empty text is gone again, and play goes on.
  EXPECT_TRUE(g_lstText.empty());
  const int nBefore = s_nPresents;
  s.Update();
  EXPECT_EQ(s_nPresents, nBefore);
  EXPECT_EQ(s.m_nState, STAGESTATE_PLAY);
}

TEST_F(FlowControlStage, AShotCommandFiresTheShotsOfItsRecordEveryTick) {
  cEdCommand shot = MakeFlowCommand(FlowCommandKind::Shot, 30);
  NewEdShot(shot.m_pShot);
  shot.m_pShot->m_cCount = 3;
  shot.m_pShot->m_cSize = 1;
  shot.m_pShot->m_nSpeed = 10;
  shot.m_pShot->m_byOwnerGroup = 1;
  // Speed level 3: three sub-steps a frame and a command tick of 3, so one
  // wave a frame.
  m_Stage.SetSpeedLevel(3);
  // In the air, so that no shot of the row starts in the floor.
  AddChara({MakeFlowOf(FlowTrigger::Always, {shot})}, 16, 6, 1);
  cSceneStage& s = Play();
  ASSERT_EQ(s.CommandTick(), 3);
  const int nId = Chara().m_nId;
  for (int n = 1; n <= 4; ++n) {
    s.Update();
    ASSERT_EQ(s.m_Shots.m_lstShot.size(), static_cast<size_t>(3 * n)) << "frame " << n;
  }
  for (const auto& p : s.m_Shots.m_lstShot) EXPECT_EQ(p->m_nOwnerId, nId);
}

TEST_F(FlowControlStage, FlowsDeletingThemselvesOrTheFlowThatStartedThemRunClean) {
  // Each tail command takes HP from the chara, so the HP tells which ran:
  // 1 for the deleted flow's tail, 10 for the other's.
  const cEdCommand take1 = MakeHpCommand(0, 2, 1), take10 = MakeHpCommand(0, 2, 10);
  struct CASE {
    const char* pszWhat;
    cVector<cEdFlow> flows;
    int32_t nHp;
    size_t nFlowsLeft;
  } cases[] = {
      {"a flow deletes itself",
       {FlowWithId(FlowTrigger::Always, 3, {FlowControlCommand(FlowOperation::Delete, FlowScope::ThisFlow), take1})},
       100, 0},
      {"a started flow deletes the flow that started it, later in the list",
       {FlowWithId(FlowTrigger::Always, 3, {FlowControlCommand(FlowOperation::Start, FlowScope::ById, 5), take1}),
        FlowWithId(FlowTrigger::ByFlowControl, 5, {FlowControlCommand(FlowOperation::Delete, FlowScope::ById, 3), take10})},
       90, 1},
      {"a started flow deletes the flow that started it, earlier in the list",
       {FlowWithId(FlowTrigger::ByFlowControl, 5, {FlowControlCommand(FlowOperation::Delete, FlowScope::ById, 3), take10}),
        FlowWithId(FlowTrigger::Always, 3, {FlowControlCommand(FlowOperation::Start, FlowScope::ById, 5), take1})},
       90, 1},
      {"a flow deletes every other flow, then itself",
       {FlowWithId(FlowTrigger::Always, 3, {MakeFlowCommand(FlowCommandKind::Wait, 1), take1}),
        FlowWithId(FlowTrigger::Always, 4,
                   {FlowControlCommand(FlowOperation::Delete, FlowScope::AllOthers),
                    FlowControlCommand(FlowOperation::Delete, FlowScope::ThisFlow), take10}),
        FlowWithId(FlowTrigger::Always, 5, {MakeFlowCommand(FlowCommandKind::Wait, 1), take1})},
       100, 0},
  };
  for (const CASE& c : cases) {
    SetUp();
    AddChara(c.flows);
    cSceneStage& s = Play();
    for (int i = 0; i < 30; ++i) s.Update();
    ASSERT_EQ(g_lstChara.size(), 1u) << c.pszWhat;
    EXPECT_EQ(Chara().m_nHp, c.nHp) << c.pszWhat;
    EXPECT_EQ(Chara().m_vFlowRun.size(), c.nFlowsLeft) << c.pszWhat;
    EXPECT_EQ(Chara().m_Def.m_vecFlow.size(), c.nFlowsLeft) << c.pszWhat;
    TearDown();
  }
}

TEST_F(FlowControlStage, ASwordCommandMakesOneSwordOfItsFirstFrameSizePerRun) {
  g_Database = cEdDatabase();
  g_Database.m_vecSwordType.resize(2);
  cEdSwordPart part;
  part.anPart[7] = 40;
  part.anPart[8] = 20;
  part.anPart[2] = 5;  // half a second
  g_Database.m_vecSwordType[1].m_vecPart = {part};
  struct CASE {
    int nSword;
    size_t nShots;
  } cases[] = {{1, 1}, {5, 0}};  // sword 5 is reported and makes nothing
  for (const CASE& c : cases) {
    SetUp();
    cEdCommand sword = MakeFlowCommand(FlowCommandKind::Sword, 10);
    NewEdShot(sword.m_pShot);
    sword.m_pShot->m_bySwordType = static_cast<uint8_t>(c.nSword);
    AddChara({MakeFlowOf(FlowTrigger::Always, {sword, MakeFlowCommand(FlowCommandKind::Wait, 1000)})}, 16, 6, 1);
    cSceneStage& s = Play();
    size_t nMost = 0;
    for (int i = 0; i < 5; ++i) {
      s.Update();
      nMost = std::max(nMost, s.m_Shots.m_lstShot.size());
    }
    EXPECT_EQ(nMost, c.nShots) << c.nSword;
    if (c.nShots && !s.m_Shots.m_lstShot.empty()) {
      const cShot& sh = *s.m_Shots.m_lstShot.front();
      EXPECT_EQ(sh.m_nBoxW, 40);
      EXPECT_EQ(sh.m_nBoxH, 20);
      EXPECT_EQ(sh.m_nOwnerId, Chara().m_nId);
    }
    TearDown();
  }
  g_Database = cEdDatabase();
}

TEST_F(FlowControlStage, PausingEveryOtherFlowHoldsThemUntilTheyAreResumed) {
  // Flow 1 takes 1 HP every 7 frames; flow 2 pauses it after 18 frames for
  // 120 frames.
  AddChara({MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::Wait, 1), MakeHpCommand(0, 2, 1)}),
            MakeFlowOf(FlowTrigger::Always,
                       {MakeFlowCommand(FlowCommandKind::Wait, 3), FlowControlCommand(FlowOperation::Pause, FlowScope::AllOthers),
                        MakeFlowCommand(FlowCommandKind::Wait, 20),
                        FlowControlCommand(FlowOperation::Resume, FlowScope::AllOthers),
                        MakeFlowCommand(FlowCommandKind::Wait, 1000)})});
  cSceneStage& s = Play();
  std::vector<int32_t> vHp;
  for (int i = 0; i < 220; ++i) {
    s.Update();
    vHp.push_back(Chara().m_nHp);
  }
  EXPECT_LT(vHp[18], 100);
  // Held from the pause to the resume, flow 2 going on meanwhile.
  EXPECT_EQ(vHp[25], vHp[18]);
  EXPECT_EQ(vHp[135], vHp[18]);
  EXPECT_TRUE(Chara().m_vFlowRun[1].m_bRunning);
  // Going on afterwards at one HP every 7 frames.
  EXPECT_LE(vHp[219], vHp[140] - 10);
}

TEST_F(FlowControlStage, FlowsOfTheStageStartRunAtOnceAndMayEndTheChara) {
  // Instant commands (parallel byte set) of flows run before the stage
  // starts: each flow takes 1 HP and starts the other, nested and bounded.
  auto Instant = [](cEdCommand c) {
    c.m_byWithNext = 1;
    return c;
  };
  struct CASE {
    const char* pszWhat;
    cVector<cEdFlow> flows;
    int32_t nHp;  // -1: the chara never reaches play
  } cases[] = {
      {"two flows starting each other",
       {FlowWithId(FlowTrigger::BeforeStageStart, 1,
                   {Instant(MakeHpCommand(0, 2, 1)), Instant(FlowControlCommand(FlowOperation::Start, FlowScope::ById, 2))}),
        FlowWithId(FlowTrigger::BeforeStageStart, 2,
                   {Instant(MakeHpCommand(0, 2, 1)), Instant(FlowControlCommand(FlowOperation::Start, FlowScope::ById, 1))})},
       -2},
      {"a command without the parallel byte is skipped",
       {FlowWithId(FlowTrigger::BeforeStageStart, 1, {MakeHpCommand(0, 2, 1), Instant(MakeHpCommand(0, 2, 10))})},
       90},
      {"a chara whose HP the flow takes never reaches play",
       {FlowWithId(FlowTrigger::BeforeStageStart, 1, {Instant(MakeHpCommand(0, 0, 0))})},
       -1},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    SetUp();
    AddChara(c.flows);
    cSceneStage& s = Play();
    if (c.nHp == -1) {
      EXPECT_TRUE(g_lstChara.empty());
    } else {
      ASSERT_EQ(g_lstChara.size(), 1u);
      if (c.nHp >= 0) {
        EXPECT_EQ(Chara().m_nHp, c.nHp);
      }
      EXPECT_LT(Chara().m_nHp, 100);
      EXPECT_GT(Chara().m_nHp, 0);
    }
    for (int i = 0; i < 5; ++i) s.Update();
    EXPECT_EQ(s.m_nState, STAGESTATE_PLAY);
    TearDown();
  }
}

}  // namespace
