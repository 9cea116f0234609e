#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "flow/command_run.h"
#include "platform/game_random.h"
#include "records/command_catalogue.h"
#include "records/progress.h"
#include "tests/flow/command_harness.h"
#include "tests/support/scoped_override.h"

namespace {

// StatusOp parameters by name; the rest stay 0.
struct OP {
  int category = 0, scope = 0, varIndex = 0, subject = 0, index = 0, op = AssignOp::Set;
  int source = 0, constant = 0, randLo = 0, randHi = 0, opScope = 0, opVarIndex = 0, opSubject = 0, opStatus = 0;
  int percent = 0, hpMode = 0, gauge = 0, skipInvincible = 0;
};

cEdCommand StatusOpCommand(const OP& o) {
  return MakeCommand(FlowCommandKind::StatusOp, {o.category, o.scope, o.varIndex, o.subject, o.index, o.op, o.source,
                                                 o.constant, o.randLo, o.randHi, o.opScope, o.opVarIndex, o.opSubject,
                                                 o.opStatus, o.percent, o.hpMode, o.gauge, o.skipInvincible});
}

class StatusCommandsTest : public testing::Test {
 protected:
  void SetUp() override {
    m_Chara.m_anStatus[CharaStatus::Hp] = 100;
    m_Chara.m_anStatus[CharaStatus::MaxHp] = 200;
    m_Target.m_anStatus[CharaStatus::Hp] = 30;
  }
  void Exec(const cEdCommand& cmd) {
    cEdCommand copy = cmd;
    cCommandRun run;
    run.m_lpCommand = &copy;
    ExecCommand(m_Chara, run);
  }

  cScopedOverride<int32_t> m_Score{g_Progress.m_nScore, 0}, m_Lives{g_Progress.m_nLives, 3};
  cFakeStageScope m_Scope;
  cFakeChara m_Chara, m_Target;
};

TEST_F(StatusCommandsTest, StatusOpOnVariablesSystemValuesAndStatuses) {
  enum Where { COMMON1, STAGE2, OWN3, SCORE, LIVES, TIME, SCROLLY, HP, MAXHP, SIGHT, IMPACT, GETSC, TARGET_HP };
  auto read = [this](Where w) -> int32_t {
    switch (w) {
      case COMMON1: return CommonVars()[1];
      case STAGE2: return m_Scope.m_Stage.m_vVar[2];
      case OWN3: return m_Chara.m_vVar[3];
      case SCORE: return g_Progress.m_nScore;
      case LIVES: return g_Progress.m_nLives;
      case TIME: return m_Scope.m_Stage.m_nTime;
      case SCROLLY: return m_Scope.m_Stage.m_anScroll[1];
      case HP: return m_Chara.m_anStatus[CharaStatus::Hp];
      case MAXHP: return m_Chara.m_anStatus[CharaStatus::MaxHp];
      case SIGHT: return m_Chara.m_anStatus[CharaStatus::Sight];
      case IMPACT: return m_Chara.m_anStatus[CharaStatus::Impact];
      case GETSC: return m_Chara.m_anStatus[CharaStatus::ScoreGained];
      case TARGET_HP: return m_Target.m_anStatus[CharaStatus::Hp];
    }
    return 0;
  };
  struct Case {
    const char* name;
    OP op;
    Where where;
    int32_t expect;
  } cases[] = {
      {"common variable += 5", {.category = 1, .varIndex = 1, .op = AssignOp::Add, .constant = 5}, COMMON1, 5},
      {"stage variable = 2,000,000 is clamped", {.category = 1, .scope = 1, .varIndex = 2, .constant = 2000000},
       STAGE2, 999999},
      {"own variable = the target's HP",
       {.varIndex = 3, .source = 2, .opSubject = 1, .opStatus = CharaStatus::Hp}, OWN3, 30},
      {"score = 1,000,000 * 3,000", {.subject = 2, .index = 3, .op = AssignOp::Multiply, .constant = 3000}, SCORE,
       999999},
      {"lives -= 5", {.subject = 2, .index = 4, .op = AssignOp::Subtract, .constant = 5}, LIVES, 0},
      {"time = 5000", {.subject = 2, .index = 0, .constant = 5000}, TIME, 999},
      {"vertical scroll = -600", {.subject = 2, .index = 2, .constant = -600}, SCROLLY, -480},
      {"HP = 50 % of max HP", {.index = 1, .constant = 50, .hpMode = 1}, HP, 100},
      {"HP -= 50 % of present HP", {.index = 1, .op = AssignOp::Subtract, .constant = 50, .hpMode = 2}, HP, 50},
      {"HP += 10 on the invincible, skipped", {.index = 1, .op = AssignOp::Add, .constant = 10, .skipInvincible = 1},
       HP, 100},
      {"max HP = 60 pulls HP down", {.index = 3, .constant = 60}, HP, 60},
      {"max HP = 50 % of itself", {.index = 3, .constant = 50, .percent = 1}, MAXHP, 100},
      {"sight = 90", {.index = 8, .constant = 90}, SIGHT, 40},
      {"impact = -99", {.index = 10, .constant = -99}, IMPACT, -20},
      // -520 would wrap to -8 in 8 bits.
      {"impact *= 26 from the case before", {.index = 10, .op = AssignOp::Multiply, .constant = 26}, IMPACT, -20},
      {"score gained = -5", {.index = 14, .constant = -5}, GETSC, -5},
      {"random between 10 and 5", {.category = 1, .varIndex = 1, .source = 1, .randLo = 10, .randHi = 5}, COMMON1,
       -1},
      {"target HP = 0", {.subject = 1, .index = 1}, TARGET_HP, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CommonVars().assign(10, 0);
    g_Progress.m_nScore = 1000000;
    m_Chara.m_anStatus[CharaStatus::Hp] = 100;
    m_Chara.m_anStatus[CharaStatus::MaxHp] = 200;
    m_Chara.m_bInvincible = c.op.skipInvincible;
    m_Chara.m_pTarget = &m_Target;
    Exec(StatusOpCommand(c.op));
    if (c.expect == -1) {
      EXPECT_TRUE(read(c.where) >= 5 && read(c.where) <= 10) << read(c.where);
    } else {
      EXPECT_EQ(read(c.where), c.expect);
    }
  }
  EXPECT_TRUE(m_Scope.m_Stage.m_bOtherDefeated);
}

TEST_F(StatusCommandsTest, StatusOpEdgesOfSubjectsAndLives) {
  // Own HP to 0 is no other chara's defeat; no target ends the command.
  Exec(StatusOpCommand({.index = 1, .gauge = 1}));
  EXPECT_FALSE(m_Scope.m_Stage.m_bOtherDefeated);
  EXPECT_EQ(m_Chara.m_vLog.back(), "life -100 gauge");
  Exec(StatusOpCommand({.index = 9, .source = 2, .opSubject = 1, .opStatus = 1}));
  EXPECT_EQ(m_Chara.m_anStatus[CharaStatus::Power], 0);
  // Unlimited lives take no operation.
  g_Progress.m_nLives = kUnlimitedLives;
  Exec(StatusOpCommand({.subject = 2, .index = 4, .constant = 3}));
  EXPECT_EQ(g_Progress.m_nLives, kUnlimitedLives);
  // A computer chara's sight stays; variable indices from the file are checked.
  m_Chara.m_bComputer = TRUE;
  Exec(StatusOpCommand({.index = 8, .constant = 5}));
  EXPECT_EQ(m_Chara.m_anStatus[CharaStatus::Sight], 0);
  Exec(StatusOpCommand({.category = 1, .varIndex = -7, .constant = 4}));
  Exec(StatusOpCommand({.varIndex = 70000, .constant = 4}));
  Exec(StatusOpCommand({.category = 1, .source = 3, .opScope = 1, .opVarIndex = 99999}));
  // Status and system indices beyond the tables do nothing.
  Exec(StatusOpCommand({.index = 15, .constant = 4}));
  Exec(StatusOpCommand({.subject = 2, .index = 5, .constant = 4}));
  // Random bounds at the ends of 32 bits.
  Exec(StatusOpCommand({.category = 1, .varIndex = 1, .source = 1, .randLo = INT32_MIN, .randHi = INT32_MAX}));
  EXPECT_EQ(CommonVars()[1], -999999);
}

TEST_F(StatusCommandsTest, StatusOp2AndSetTarget) {
  m_Chara.m_pTarget = &m_Target;
  Exec(MakeCommand(FlowCommandKind::StatusOp2, {0, 4, 1}));
  Exec(MakeCommand(FlowCommandKind::StatusOp2, {1, 0, 0}));
  EXPECT_EQ(m_Chara.m_vLog, (std::vector<std::string>{"switch 4 1"}));
  EXPECT_EQ(m_Target.m_vLog, (std::vector<std::string>{"switch 0 0"}));
  EXPECT_TRUE(m_Scope.m_Stage.m_bOtherDefeated);
  m_Scope.m_Stage.m_anScroll[0] = 12;
  Exec(MakeCommand(FlowCommandKind::StatusOp2, {2, 0, 1}));
  EXPECT_EQ(m_Scope.m_Stage.m_vLog, (std::vector<std::string>{"scroll 0 on 12"}));
  m_Chara.m_pTarget = nullptr;
  Exec(MakeCommand(FlowCommandKind::StatusOp2, {1, 1, 1}));  // no target: nothing
  Exec(MakeCommand(FlowCommandKind::StatusOp2, {0, 7, 1}));  // no such switch
  EXPECT_EQ(m_Chara.m_vLog.size(), 1u);
  Exec(MakeCommand(FlowCommandKind::SetTarget, {2}));
  EXPECT_EQ(m_Chara.m_vLog.back(), "target 2");
  // Outside a flow: an item command runs the flow kind it shares (item 7 is
  // StatusOp), an item ChangeFlow and the moves are not this path's.
  cEdCommand item = StatusOpCommand({.category = 1, .varIndex = 4, .constant = 9});
  item.m_byList = 1;
  item.m_byKind = ItemCommandKind::StatusOp;
  ExecListCommand(m_Chara, item);
  EXPECT_EQ(CommonVars()[4], 9);
  item.m_byKind = ItemCommandKind::ChangeFlow;
  ExecListCommand(m_Chara, item);
  cEdCommand move = StatusOpCommand({.category = 1, .varIndex = 4, .constant = 1});
  move.m_byKind = FlowCommandKind::Jump;
  ExecListCommand(m_Chara, move);
  EXPECT_EQ(CommonVars()[4], 9);
}

}  // namespace
