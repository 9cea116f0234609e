#include "flow/conditions.h"

#include <gtest/gtest.h>

#include "flow/flow_runner.h"
#include "platform/game_random.h"
#include "records/progress.h"
#include "tests/flow/fake_flow_host.h"
#include "tests/support/scoped_override.h"

namespace {

cEdCondition Cond(int nKind, int nVarIndex, int nValue, int op) {
  cEdCondition c;
  c.m_byKind = static_cast<uint8_t>(nKind);
  c.m_nVarIndex = static_cast<int16_t>(nVarIndex);
  c.m_nValue = nValue;
  c.m_byCompareOp = static_cast<uint8_t>(op);
  return c;
}

// A status condition: subject, status, operator, constant operand.
cEdCondition StatusCond(int nSubject, int nStatus, int op, int nValue, bool bPercent = false) {
  cEdCondition c = Cond(FlowConditionKind::StatusCondition, 0, nValue, op);
  c.m_bySubject = static_cast<uint8_t>(nSubject);
  c.m_byStatus = static_cast<uint8_t>(nStatus);
  c.m_byPercent = bPercent;
  return c;
}

class ConditionsTest : public testing::Test {
 protected:
  cScopedOverride<int32_t> m_Score{g_Progress.m_nScore}, m_Lives{g_Progress.m_nLives};
  cFakeStageScope m_Scope;
  cFakeChara m_Chara;
};

TEST_F(ConditionsTest, ConditionKindsAndOperands) {
  CommonVars()[2] = 7;
  m_Scope.m_Stage.m_vVar[3] = -4;
  m_Chara.m_vVar[1] = 9;
  m_Chara.m_anStatus[CharaStatus::Hp] = 50;
  m_Chara.m_anStatus[CharaStatus::MaxHp] = 200;
  m_Chara.m_anStatus[CharaStatus::Impact] = -5;
  m_Chara.m_bStateFlag = TRUE;
  m_Scope.m_Stage.m_nTime = 120;
  g_Progress.m_nScore = 300;
  cFakeChara target;
  target.m_anStatus[CharaStatus::Defence] = 40;

  auto operand = [](cEdCondition c, int nSource, int nOpSubject, int nOpStatus) {
    c.m_bySource = static_cast<uint8_t>(nSource);
    c.m_byOpSubject = static_cast<uint8_t>(nOpSubject);
    c.m_byOpStatus = static_cast<uint8_t>(nOpStatus);
    c.m_byOpVarScope = static_cast<uint8_t>(nOpStatus);
    c.m_nOpVarIndex = 2;
    return c;
  };
  struct Case {
    const char* name;
    cEdCondition cond;
    bool bTarget;
    int expect;
  } cases[] = {
      {"common variable ==", Cond(1, 2, 7, CompareOp::Equal), false, 1},
      {"common variable, operator 6", Cond(1, 2, 7, 6), false, 0},
      {"stage variable <", Cond(2, 3, 0, CompareOp::Less), false, 1},
      {"chara variable >=", Cond(3, 1, 10, CompareOp::GreaterEqual), false, 0},
      {"kind 0 never holds", Cond(0, 1, 0, CompareOp::Equal), false, 0},
      {"kind 8 never holds", Cond(8, 1, 0, CompareOp::Equal), false, 0},
      {"kinds 5 to 7 ask the chara", Cond(6, 0, 0, 0), false, 1},
      {"HP <= 25 % of max HP 200", StatusCond(0, CharaStatus::Hp, CompareOp::LessEqual, 25, true), false, 1},
      {"HP <= 24 % of max HP 200", StatusCond(0, CharaStatus::Hp, CompareOp::LessEqual, 24, true), false, 0},
      {"8-bit status read sign-extended", StatusCond(0, CharaStatus::Impact, CompareOp::Less, 0), false, 1},
      {"percent form of the narrow status is kept in its range",
       StatusCond(0, CharaStatus::Impact, CompareOp::Equal, -90, true), false, 0},
      {"target's status", StatusCond(1, CharaStatus::Defence, CompareOp::Equal, 40), true, 1},
      {"target's status with no target", StatusCond(1, CharaStatus::Defence, CompareOp::NotEqual, 40), false, 0},
      {"subject 3 is no one", StatusCond(3, CharaStatus::Hp, CompareOp::NotEqual, 1), false, 0},
      {"status 15 is none", StatusCond(0, 15, CompareOp::NotEqual, 1), false, 0},
      {"system time", StatusCond(2, SystemValue::Time, CompareOp::Equal, 120), false, 1},
      {"system score >", StatusCond(2, SystemValue::Score, CompareOp::Greater, 299), false, 1},
      {"system value 5 is none", StatusCond(2, 5, CompareOp::NotEqual, 1), false, 0},
      {"operand: system score", operand(StatusCond(0, CharaStatus::Hp, CompareOp::Less, 0), 2, 2, 3), false, 1},
      {"operand: own max HP", operand(StatusCond(0, CharaStatus::Hp, CompareOp::Less, 0), 2, 0, 3), false, 1},
      {"operand: the target's, without one",
       operand(StatusCond(0, CharaStatus::Hp, CompareOp::NotEqual, 0), 2, 1, 3), false, 0},
      {"operand: sight of a computer chara",
       operand(StatusCond(0, CharaStatus::Hp, CompareOp::NotEqual, 0), 2, 0, 8), false, 1},
      {"operand: common variable 2", operand(StatusCond(0, CharaStatus::Hp, CompareOp::Greater, 0), 3, 0, 0), false,
       1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    m_Chara.m_pTarget = c.bTarget ? &target : nullptr;
    EXPECT_EQ(EvaluateCondition(c.cond, m_Chara), c.expect);
  }
  // A computer chara's sight is no operand.
  m_Chara.m_bComputer = TRUE;
  EXPECT_EQ(EvaluateCondition(operand(StatusCond(0, CharaStatus::Hp, CompareOp::NotEqual, 0), 2, 0, 8), m_Chara), 0);
}

TEST_F(ConditionsTest, SystemValuesThatNeverOrAlwaysCompare) {
  g_Progress.m_nLives = kUnlimitedLives;
  for (int op = 0; op < COMPARE_OP_COUNT; ++op)
    EXPECT_EQ(EvaluateCondition(StatusCond(2, SystemValue::Lives, op, 5), m_Chara), 0) << op;
  g_Progress.m_nLives = 3;
  EXPECT_EQ(EvaluateCondition(StatusCond(2, SystemValue::Lives, CompareOp::Equal, 3), m_Chara), 1);
  m_Scope.m_Stage.m_nTime = 50;
  m_Scope.m_Stage.m_bTimeOn = FALSE;
  EXPECT_EQ(EvaluateCondition(StatusCond(2, SystemValue::Time, CompareOp::Equal, 0), m_Chara), 1);
}

TEST_F(ConditionsTest, RandomOperandsFollowTheSeed) {
  cEdCondition c = StatusCond(0, CharaStatus::Variable, CompareOp::Equal, 0);
  c.m_bySource = ValueSource::Random;
  c.m_nRandMin = 3;
  c.m_nRandMax = 3;
  m_Chara.m_vVar[0] = 3;
  for (int i = 0; i < 10; ++i) EXPECT_EQ(EvaluateCondition(c, m_Chara), 1);
  // Bounds in the wrong order are taken in order; the same seed gives the
  // same outcomes.
  c.m_nRandMin = 6;
  c.m_nRandMax = 1;
  auto outcomes = [&] {
    std::string s;
    for (int i = 0; i < 24; ++i) s += EvaluateCondition(c, m_Chara) ? '1' : '0';
    return s;
  };
  srand(1234);
  m_Chara.m_vVar[0] = 4;
  std::string a = outcomes();
  srand(1234);
  EXPECT_EQ(outcomes(), a);
  EXPECT_NE(a.find('1'), std::string::npos);
  EXPECT_NE(a.find('0'), std::string::npos);
}

TEST_F(ConditionsTest, ListModesEmptyListsAndLatching) {
  cVector<cEdCondition> vEmpty;
  cVector<cEdCondition> vMixed{Cond(1, 1, 0, CompareOp::Equal), Cond(1, 1, 1, CompareOp::Equal)};
  EXPECT_EQ(EvaluateConditionList(vEmpty, ConditionMode::All, m_Chara), 1);
  EXPECT_EQ(EvaluateConditionList(vEmpty, ConditionMode::Any, m_Chara), 0);
  EXPECT_EQ(EvaluateConditionList(vMixed, ConditionMode::All, m_Chara), 0);
  EXPECT_EQ(EvaluateConditionList(vMixed, ConditionMode::Any, m_Chara), 1);
  EXPECT_EQ(EvaluateConditionList(vMixed, 2, m_Chara), 0);
  int32_t bLatched = 0;
  EXPECT_EQ(CheckConditionList(vEmpty, ConditionMode::Any, 0, bLatched, m_Chara), 1);  // owners: empty holds

  cEdFlow flow;
  flow.m_vecCondition.push_back(Cond(1, 1, 5, CompareOp::Equal));
  cFlowRun run;
  run.m_lpFlow = &flow;
  struct Step {
    int nLatch, nVar, expect;
  } steps[] = {
      {0, 5, 1}, {0, 0, 0},           // no latch: follows the variable
      {1, 0, 1},                      // latched by the first hold above, it keeps holding
  };
  for (const Step& s : steps) {
    flow.m_byLatch = static_cast<uint8_t>(s.nLatch);
    CommonVars()[1] = s.nVar;
    EXPECT_EQ(CheckFlowConditions(run, m_Chara), s.expect) << s.nLatch << " " << s.nVar;
  }
  // Starting and stopping the flow keep the latch.
  run.m_bLatched = 1;
  g_FlowContext.m_lpCurChara = &m_Chara;
  StartFlow(run);
  StopFlow(run, m_Chara);
  EXPECT_EQ(run.m_bLatched, 1);
}

TEST_F(ConditionsTest, VariableIndicesFromTheFileAreChecked) {
  // Outside the list: reported, element 0 read, no read out of bounds.
  CommonVars()[0] = 11;
  EXPECT_EQ(EvaluateCondition(Cond(1, -3, 11, CompareOp::Equal), m_Chara), 1);
  EXPECT_EQ(EvaluateCondition(Cond(2, 32767, 0, CompareOp::Equal), m_Chara), 1);
  EXPECT_EQ(EvaluateCondition(Cond(3, -32768, 0, CompareOp::Equal), m_Chara), 1);
}

}  // namespace
