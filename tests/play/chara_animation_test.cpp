// Charas' animations on a running stage, read frame by frame from what the
// stage drew: the idle animation cycles, the walk shows while a move runs,
// a flow's "run animation" plays over the chara's own and ends, a paused
// flow holds its animation, and a command's lead-in plays before it and
// holds its pose.
#include <gtest/gtest.h>

#include <vector>

#include "play/chara_drawing.h"
#include "records/database.h"
#include "records/database_run_tables.h"
#include "tests/support/database_fixtures.h"
#include "tests/play/flow_stage_fixture.h"

namespace {

constexpr int kAttack = 2;  // the database's animation after its own two

class CharaAnimation : public cFlowStageTest {
 protected:
  void SetUp() override {
    cFlowStageTest::SetUp();
    // Anime set 1: 0 idle (patterns 10, 11), 1 walking (20, 21), a tenth of
    // a second (6 frames) each; the attack animation shows 30, then 31.
    g_Database = cEdDatabase();
    cEdAnimeSet set;
    set.m_vecAnime = {AnimeOf({{10, 1}, {11, 1}}), AnimeOf({{20, 1}, {21, 1}})};
    g_Database.m_vecAnimeSet = {cEdAnimeSet(), set};
    g_Database.m_vecAnime.resize(kAttack);
    g_Database.m_vecAnime.push_back(AnimeOf({{30, 1}, {31, 1}}));
    BuildDatabaseRunTables();
  }
  void TearDown() override {
    cFlowStageTest::TearDown();
    g_Database = cEdDatabase();
    BuildDatabaseRunTables();
  }
  // The chara's flows, placed on the floor, played; then the patterns
  // drawn in the next n frames.
  std::vector<int> Patterns(cEdChara e, int n) {
    e.m_nAnimeSet = 1;
    m_Stage.m_vecChara.push_back(PlacedAt(e, 15, 13));
    cSceneStage& s = Play();
    std::vector<int> v;
    for (int k = 0; k < n; ++k) {
      s.Update();
      v.push_back(CharaCurrentPattern(Chara(), 1));  // paused: what was drawn
    }
    return v;
  }
  static std::vector<int> Run(std::initializer_list<std::pair<int, int>> runs) {
    std::vector<int> v;
    for (auto [nPattern, nFrames] : runs) v.insert(v.end(), static_cast<size_t>(nFrames), nPattern);
    return v;
  }
};

TEST_F(CharaAnimation, AStandingCharaCyclesItsIdleAnimation) {
  // Its first frame shows after one tick, so it lasts five frames the first
  // time round and six after.
  EXPECT_EQ(Patterns(WaitingFlowChara({}), 29), Run({{10, 5}, {11, 6}, {10, 6}, {11, 6}, {10, 6}}));
}

TEST_F(CharaAnimation, AMovingCharaWalksThenStandsAgain) {
  cEdCommand walk = MoveCommand(FlowCommandKind::StraightMove, 2, 10);  // 12 frames
  walk.m_pMove->m_byDirection = 3;
  EXPECT_EQ(Patterns(WaitingFlowChara({walk}), 20), Run({{20, 5}, {21, 6}, {20, 1}, {10, 5}, {11, 3}}));
}

TEST_F(CharaAnimation, RunAnimePlaysOverTheCharasOwnUntilItEnds) {
  cEdCommand anime = MakeFlowCommand(FlowCommandKind::RunAnime);
  anime.m_vParam[0] = kAttack;
  // The idle animation goes on underneath: 12 frames in, it is back at 10.
  EXPECT_EQ(Patterns(WaitingFlowChara({anime}), 14), Run({{30, 5}, {31, 6}, {10, 3}}));
}

TEST_F(CharaAnimation, APausedFlowHoldsItsAnimationUntilItResumes) {
  cEdCommand anime = MakeFlowCommand(FlowCommandKind::RunAnime);
  anime.m_vParam[0] = kAttack;
  cEdChara e = WaitingFlowChara({anime});
  e.m_vecFlow.front().m_byFlowId = 1;
  cEdCommand pause = MakeFlowCommand(FlowCommandKind::FlowControl);
  pause.m_vParam[0] = FlowOperation::Pause;
  pause.m_vParam[1] = FlowScope::ById;
  pause.m_vParam[2] = 1;
  cEdCommand resume = pause;
  resume.m_vParam[0] = FlowOperation::Resume;
  e.m_vecFlow.push_back(MakeFlowOf(FlowTrigger::Always, {MakeFlowCommand(FlowCommandKind::Wait, 0), pause,
                                                         MakeFlowCommand(FlowCommandKind::Wait, 1), resume,
                                                         MakeFlowCommand(FlowCommandKind::Wait, 1000)}));
  // One frame of the attack; paused for the six frames of the wait (the
  // idle shows and goes on underneath); resumed with the frames it had
  // left, then the idle again.
  EXPECT_EQ(Patterns(e, 20), Run({{30, 1}, {10, 4}, {11, 3}, {30, 4}, {31, 6}, {11, 2}}));
}

TEST_F(CharaAnimation, ALeadInEndsAsItsCommandStartsAndHoldsItsPoseThroughIt) {
  struct CASE {
    int nWaitTenths;  // before the command
    std::vector<int> want;
  } cases[] = {
      // Twelve frames of wait: the lead-in starts with the flow.
      {2, Run({{30, 5}, {31, 11}, {10, 1}, {11, 1}})},
      // Six: too short, so it starts six frames in, on its second frame.
      {1, Run({{31, 10}, {11, 1}, {10, 5}})},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nWaitTenths);
    TearDown();
    SetUp();
    // The attack's second frame may not be interrupted: it is the pose held
    // for the five further frames of its 6-frame command.
    g_Database.m_vecAnime[kAttack].m_vecFrame[1].bNoInterrupt = 1;
    BuildDatabaseRunTables();
    cEdCommand graphic = MakeFlowCommand(FlowCommandKind::ChangeGraphic, 1);
    graphic.m_vParam[1] = 1;
    graphic.m_nAnime = kAttack;
    EXPECT_EQ(Patterns(WaitingFlowChara({MakeFlowCommand(FlowCommandKind::Wait, c.nWaitTenths), graphic}),
                       static_cast<int>(c.want.size())),
              c.want);
  }
}

}  // namespace
