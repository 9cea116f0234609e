#include "flow/lead_in_anime.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow/flow_runner.h"
#include "records/database.h"
#include "tests/flow/command_harness.h"
#include "tests/support/scoped_override.h"

namespace {

struct CMDSPEC {
  int nKind, nTenths, bParallel, nAnime;
};

class LeadInTest : public testing::Test {
 protected:
  void SetUp() override {
    g_Database.m_vecAnime.resize(2);
    // 2 + 3 tenths before the loop code: 30 sub-steps; the frame after the
    // code does not count.
    cVector<cEdAnimeFrame>& v = g_Database.m_vecAnime[1].m_vecFrame;
    v.assign(4, cEdAnimeFrame::MakeDefault());
    v[0].nTime = 2;
    v[1].nTime = 3;
    v[2].nPattern = -2;
    v[3].nTime = 50;
  }
  void Build(const std::vector<CMDSPEC>& vSpec, int nFrameFactor) {
    m_vFlow.assign(1, cEdFlow{});
    m_vFlow[0].m_byTrigger = 19;
    for (const CMDSPEC& s : vSpec) {
      cEdCommand cmd = MakeCommand(s.nKind);
      cmd.m_nTimeBase = static_cast<int16_t>(s.nTenths);
      cmd.m_byWithNext = static_cast<uint8_t>(s.bParallel);
      cmd.m_nAnime = static_cast<int16_t>(s.nAnime);
      m_vFlow[0].m_vecCommand.push_back(cmd);
    }
    BuildFlowRuns(m_Chara.m_vRun, m_vFlow, FLOWTIMING{0, nFrameFactor, 1.0});
  }
  cScopedOverride<cVector<cEdAnime>> m_Anime{g_Database.m_vecAnime};
  cFakeStageScope m_Scope;
  cFakeChara m_Chara;
  cVector<cEdFlow> m_vFlow;
};

TEST_F(LeadInTest, ScheduleEndsTheAnimationAsTheCommandStarts) {
  const int kWait = FlowCommandKind::Wait, kShot = FlowCommandKind::Shot, kJump = FlowCommandKind::Jump;
  struct CASE {
    const char* pszName;
    std::vector<CMDSPEC> vCmd;
    int nFactor;
    LEADINANIME expect;
  } aCase[] = {
      {"after a long wait", {{kWait, 10, 0, 0}, {kShot, 5, 0, 1}}, 1, {30, 1, 0, 30, 30, 1}},
      {"frame factor 2", {{kWait, 10, 0, 0}, {kShot, 5, 0, 1}}, 2, {60, 1, 0, 30, 30, 1}},
      {"parallel skipped, too short", {{kWait, 2, 0, 0}, {kWait, 10, 1, 0}, {kShot, 5, 0, 1}}, 1, {0, 1, 18, 12, 30, 1}},
      {"first command", {{kShot, 5, 0, 1}}, 1, {0, 1, 30, 0, 30, 1}},
      {"jump does not hold", {{kWait, 10, 0, 0}, {kJump, 5, 0, 1}}, 1, {30, 1, 0, 30, 30, 0}},
  };
  for (const CASE& c : aCase) {
    SCOPED_TRACE(c.pszName);
    Build(c.vCmd, c.nFactor);
    ASSERT_EQ(m_Chara.m_vRun[0].m_vLeadIn.size(), 1u);
    const LEADINANIME& e = m_Chara.m_vRun[0].m_vLeadIn[0];
    EXPECT_EQ(e.nStartFrame, c.expect.nStartFrame);
    EXPECT_EQ(e.nAnime, c.expect.nAnime);
    EXPECT_EQ(e.nSkip, c.expect.nSkip);
    EXPECT_EQ(e.nLength, c.expect.nLength);
    EXPECT_EQ(e.nCommandTime, c.expect.nCommandTime);
    EXPECT_EQ(e.bHold, c.expect.bHold);
  }
  Build({{kShot, 5, 0, 7}}, 1);  // no such animation: nothing scheduled
  EXPECT_TRUE(m_Chara.m_vRun[0].m_vLeadIn.empty());
  Build({{kShot, 5, 0, 1}}, 0);  // a frame factor of 0 does not divide
  EXPECT_EQ(m_Chara.m_vRun[0].m_vLeadIn.size(), 1u);
}

TEST_F(LeadInTest, StartsAtItsFlowFrameAndGoesWithTheFlow) {
  Build({{FlowCommandKind::Wait, 10, 0, 0}, {FlowCommandKind::Wait, 5, 0, 1}}, 1);
  StartFlow(m_Chara, m_Chara.m_vRun[0]);
  int nStartedAt = -1;
  for (int nUpdate = 0; nUpdate < 40; ++nUpdate) {
    StartLeadInAnimations(m_Chara);
    if (nStartedAt < 0 && !m_Chara.m_vLog.empty()) nStartedAt = nUpdate;
    RunCharaFlows(m_Chara);
  }
  EXPECT_EQ(nStartedAt, 30);
  EXPECT_EQ(m_Chara.m_vLog, (std::vector<std::string>{"leadin 1 skip 0 hold 29"}));
  // A paused flow starts none.
  m_Chara.m_vLog.clear();
  StopFlow(m_Chara.m_vRun[0], m_Chara);
  StartFlow(m_Chara, m_Chara.m_vRun[0]);
  m_Chara.m_vRun[0].m_nFrame = 30;
  PauseFlow(m_Chara.m_vRun[0]);
  StartLeadInAnimations(m_Chara);
  EXPECT_TRUE(m_Chara.m_vLog.empty());
}

}  // namespace
