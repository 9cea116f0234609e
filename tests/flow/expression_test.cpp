#include "flow/expression.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/game_random.h"
#include "platform/text_cp932.h"
#include "records/progress.h"
#include "tests/flow/fake_flow_host.h"
#include "tests/support/scoped_override.h"

namespace {

// The texts (CP932) of the error boxes that running fn showed; headless,
// every box writes "[caption] text" to standard error.
template <class F>
std::vector<std::string> ErrorBoxesOf(F fn) {
  testing::internal::CaptureStderr();
  fn();
  std::string err = testing::internal::GetCapturedStderr();
  std::vector<std::string> v;
  const std::string prefix = "[エラー] ";
  size_t pos = 0;
  while (pos < err.size()) {
    size_t end = err.find('\n', pos);
    if (end == std::string::npos) end = err.size();
    std::string line = err.substr(pos, end - pos);
    if (line.rfind(prefix, 0) == 0) v.push_back(Utf8ToCp932(line.substr(prefix.size())));
    pos = end + 1;
  }
  return v;
}

class ExpressionTest : public testing::Test {
 protected:
  void SetUp() override {
    m_Scope.m_Stage.m_pPlayer = &m_Player;
    m_Chara.m_anStatus[CharaStatus::MaxHp] = 300;
    m_Chara.m_anStatus[CharaStatus::Hp] = 50;
  }
  int32_t& C(int i) { return CommonVars()[i]; }

  cScopedOverride<int32_t> m_Score{g_Progress.m_nScore, 0}, m_Lives{g_Progress.m_nLives, 3};
  cFakeStageScope m_Scope;
  cFakeChara m_Chara, m_Player, m_Target;
};

TEST_F(ExpressionTest, ValuesPrecedenceAndAssignments) {
  struct Case {
    const char* text;
    int32_t value;       // of the statement
    int index;           // common variable looked at afterwards, -1 none
    int32_t stored;
  } cases[] = {
      {"C1 = 2 + 3 * 4", 14, 1, 14},
      {"C1 = (2 + 3) * 4", 20, 1, 20},
      {"C1 = 10 - 4 - 3", 3, 1, 3},
      {"C1 = 7 / 2", 3, 1, 3},
      {"C1 = -7 / 2", -3, 1, -3},
      {"C1 = -7 % 2", -1, 1, -1},
      {"C1 = 2000000", 999999, 1, 999999},
      {"C1 = 1000 * 1000 - 999000", 1000, 1, 1000},       // no clamp before "="
      {"C1 = (C2 = 4) + 1", 5, 2, 4},
      {"C1 = ((1 + 2) * (3 + 4)) % 5", 1, 1, 1},
      {"C1 = rand(3, 3) + rand(5,5)", 8, 1, 8},
      {"C1 = rand((1 + 1), C2 = 2)", 2, 2, 2},                // arguments hold groups and assignments
      {"65536 * 65536", 0, -1, 0},                             // 32-bit wrap
      {"2147483647 + 1", INT32_MIN, -1, 0},
      {"-2147483648 / -1", INT32_MIN, -1, 0},
      {"-2147483648 % -1", 0, -1, 0},
      {"99999999999", INT32_MAX, -1, 0},                       // held at the end, not wrapped
      {"12ab", 12, -1, 0},
      {"abc", 0, -1, 0},
      {"", 0, -1, 0},
      {"   ", 0, -1, 0},
      {"(2)(3)", 2, -1, 0},                                    // "2(3)" is one word
      {"C3", 33, -1, 0},
      {"C", 10, -1, 0},                                        // common variable 0
      {"Score", 20, -1, 0},                                    // stage variable 0
      {"C1=5", 0, 1, 0},                                       // one word: common variable 1
      {"C99 = 4", 4, 0, 4},                                    // outside the list: reported, element 0
      {"C1 = 5 C2 = 6", 6, 1, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CommonVars().assign(10, 0);
    C(0) = 10;
    C(3) = 33;
    m_Scope.m_Stage.m_vVar[0] = 20;
    g_bCodeError = 0;
    EXPECT_EQ(ParseCodeStatement(c.text, m_Chara), c.value);
    EXPECT_EQ(g_bCodeError, 0);
    if (c.index >= 0) {
      EXPECT_EQ(C(c.index), c.stored);
    }
  }
  // Operands are read before any assignment.
  CommonVars().assign(10, 0);
  C(1) = 2;
  EXPECT_TRUE(ErrorBoxesOf([&] { EXPECT_EQ(RunCode("C1 = 5 C2 = C1 + 1", m_Chara), 1); }).empty());
  EXPECT_EQ(C(1), 5);
  EXPECT_EQ(C(2), 3);
}

TEST_F(ExpressionTest, StatusesAndSystemValuesWithTheirClamps) {
  m_Chara.m_pTarget = &m_Target;
  m_Player.m_anStatus[CharaStatus::Hp] = 77;
  struct Case {
    const char* text;
    int status;        // of m_Chara, -1 none
    int32_t expect;
  } cases[] = {
      {"mark = 130", CharaStatus::Mark, 119},
      {"imp = -50", CharaStatus::Impact, -20},
      {"hp = 5000", CharaStatus::Hp, 300},
      {"hp = -5", CharaStatus::Hp, 0},
      {"z = 9", CharaStatus::Z, 7},
      {"cid = 100", CharaStatus::CharaId, 99},
      {"stop = 999", CharaStatus::Stopping, 200},
      {"getsc = -2000000", CharaStatus::ScoreGained, -999999},
      {"power = -5", CharaStatus::Power, -5},
      {"def = -5", CharaStatus::Defence, 0},
      {"impd = 21", CharaStatus::ImpactResist, 20},
      {"sight = 41", CharaStatus::Sight, 40},
      {"mhp = 0", CharaStatus::MaxHp, 1},
      {"hp = pl.hp", CharaStatus::Hp, 77},
      {"v1 = 8", -1, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    m_Chara.m_anStatus[CharaStatus::Hp] = 50;
    m_Chara.m_anStatus[CharaStatus::MaxHp] = 300;
    EXPECT_EQ(RunCode(c.text, m_Chara), 1);
    if (c.status >= 0) {
      EXPECT_EQ(m_Chara.m_anStatus[c.status], c.expect);
    }
  }
  EXPECT_EQ(m_Chara.m_vVar[1], 8);  // "v1" is element 1
  EXPECT_EQ(m_Chara.m_vVar[0], 0);

  // Max HP below HP pulls HP down, never under 1.
  m_Chara.m_anStatus[CharaStatus::MaxHp] = 300;
  m_Chara.m_anStatus[CharaStatus::Hp] = 50;
  RunCode("mhp = 10", m_Chara);
  EXPECT_EQ(m_Chara.m_anStatus[CharaStatus::Hp], 10);
  m_Chara.m_anStatus[CharaStatus::Hp] = 0;
  RunCode("mhp = 10", m_Chara);
  EXPECT_EQ(m_Chara.m_anStatus[CharaStatus::Hp], 1);

  // Unlimited lives: stored unchanged and read as 0.
  g_Progress.m_nLives = kUnlimitedLives;
  EXPECT_EQ(ParseCodeStatement("life = 5", m_Chara), kUnlimitedLives);
  EXPECT_EQ(g_Progress.m_nLives, kUnlimitedLives);
  EXPECT_EQ(ParseCodeStatement("C1 = life", m_Chara), 0);
  g_Progress.m_nLives = 3;
  EXPECT_EQ(ParseCodeStatement("sys.life = 150", m_Chara), 99);
  m_Scope.m_Stage.m_nTime = 42;
  EXPECT_EQ(ParseCodeStatement("time", m_Chara), 42);
  EXPECT_EQ(ParseCodeStatement("sys.time", m_Chara), 42);
  EXPECT_EQ(ParseCodeStatement("score = 1234567", m_Chara), 999999);

  // The side effects.
  m_Scope.m_Stage.m_abAuto[0] = TRUE;
  RunCode("scrlx = -900", m_Chara);
  EXPECT_EQ(m_Scope.m_Stage.m_anScroll[0], -480);
  EXPECT_EQ(m_Scope.m_Stage.m_vLog, (std::vector<std::string>{"scroll 0 on -480"}));
  m_Chara.m_vLog.clear();
  RunCode("sight = 3", m_Chara);
  m_Chara.m_bKeepsSight = TRUE;
  RunCode("sight = 4", m_Chara);
  EXPECT_EQ(m_Chara.m_vLog, (std::vector<std::string>{"sight code"}));

  // Another chara's HP at 0 is a defeat to handle; the running chara's own is not.
  RunCode("hp = 0", m_Chara);
  EXPECT_FALSE(m_Scope.m_Stage.m_bOtherDefeated);
  m_Target.m_anStatus[CharaStatus::Hp] = 10;
  RunCode("tg.hp = 0", m_Chara);
  EXPECT_TRUE(m_Scope.m_Stage.m_bOtherDefeated);
  EXPECT_EQ(m_Target.m_anStatus[CharaStatus::Hp], 0);
}

TEST_F(ExpressionTest, RunCodeShowsGaugesForChangesOfItsChara) {
  m_Chara.m_anStatus[CharaStatus::Hp] = 50;
  m_Chara.m_vLog.clear();
  EXPECT_EQ(RunCode("hp = 40 sp = 50", m_Chara), 1);
  EXPECT_EQ(m_Chara.m_vLog, (std::vector<std::string>{"lifegauge -10"}));
  m_Chara.m_vLog.clear();
  EXPECT_EQ(RunCode("hp = 60 C1 = 1 / 0", m_Chara), 0);  // the division comes first: nothing assigned
  EXPECT_EQ(m_Chara.m_anStatus[CharaStatus::Hp], 40);
  EXPECT_TRUE(m_Chara.m_vLog.empty());
}

TEST_F(ExpressionTest, RandUsesTheGameGenerator) {
  CommonVars().assign(10, 0);
  srand(99);
  std::string a;
  for (int i = 0; i < 20; ++i) {
    int32_t n = ParseCodeStatement("C1 = rand(6, 1)", m_Chara);
    EXPECT_TRUE(n >= 1 && n <= 6) << n;
    a += std::to_string(n);
  }
  srand(99);
  std::string b;
  for (int i = 0; i < 20; ++i) b += std::to_string(ParseCodeStatement("C1 = rand(6, 1)", m_Chara));
  EXPECT_EQ(a, b);
  srand(1);
  EXPECT_EQ(ParseCodeStatement("rand(1, 6)", m_Chara), 6);  // 41 % 6 + 1
}

TEST_F(ExpressionTest, MalformedStatementsGiveTheirMessages) {
  struct Case {
    const char* text;
    const char* message;  // UTF-8; "" for a failure without a box
    int index;            // common variable that must stay 0, -1 none
  } cases[] = {
      {"C1 = (2 + 3", "\")\"が見つかりません！", 1},
      {"C1 = 2 + (3 * (4 + 5)", "\")\"が見つかりません！", 1},
      {"C1 = rand(1, 2", "関数 rand で\")\"が見つかりません！", 1},
      {"C1 = rand(1)", "関数 rand の引数が不正です！", 1},
      {"C1 = rand(1, 2, 3)", "関数 rand の引数が不正です！", 1},
      {"C1 = rand(1,)", "関数 rand の引数が不正です！", 1},
      {"C1 = 5 / 0", "0除算が行われました！(C1 = 5 / 0)", 1},
      {"C1 = 5 % (3 - 3)", "0除算が行われました！(C1 = 5 % 0)", 1},
      {"C1 = foo.hp", "オブジェクト \"foo.\" が認識できません！", 1},
      {"C1 = tg.hp", "", 1},   // no target
      {"C1 = sys.hp", "", 1},  // no object for a status
      {"5 = 3", "", -1},       // no storage on the left
      {"C1 = + 2", "", 1},     // an operator next to an operator
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CommonVars().assign(10, 0);
    std::vector<std::string> vBox = ErrorBoxesOf([&] { EXPECT_EQ(RunCode(c.text, m_Chara), 0); });
    EXPECT_EQ(g_bCodeError, 1);
    std::vector<std::string> vExpect;
    if (*c.message) vExpect.push_back(Sjis(c.message));
    EXPECT_EQ(vBox, vExpect);
    if (c.index >= 0) {
      EXPECT_EQ(C(c.index), 0);
    }
  }
  // A group or argument that failed yields its value (0) and the statement
  // around it goes on; RunCode still reports the error.
  struct Inner {
    const char* text;
    const char* message;
    int32_t nC1, nC2;
  } inner[] = {
      {"C1 = (4 / 0) + 7", "0除算が行われました！(4 / 0)", 7, 9},
      {"C1 = 5 C2 = (rand(1))", "関数 rand の引数が不正です！", 5, 0},
      {"C1 = rand((rand(1, 2, 3)), 0) + 3 C2 = 4", "関数 rand の引数が不正です！", 3, 4},
  };
  for (const Inner& c : inner) {
    SCOPED_TRACE(c.text);
    CommonVars().assign(10, 9);
    std::vector<std::string> vBox = ErrorBoxesOf([&] { EXPECT_EQ(RunCode(c.text, m_Chara), 0); });
    EXPECT_EQ(vBox, std::vector<std::string>{Sjis(c.message)});
    EXPECT_EQ(C(1), c.nC1);
    EXPECT_EQ(C(2), c.nC2);
  }
  CommonVars().assign(10, 0);
  // A line break joins "5" and "C2" into one word, a number, which the
  // second "=" cannot store into: the first assignment stands.
  EXPECT_EQ(RunCode("C1 = 5\nC2 = 6", m_Chara), 0);
  EXPECT_EQ(C(1), 5);
  EXPECT_EQ(C(2), 0);
  // Without a player the statement fails.
  m_Scope.m_Stage.m_pPlayer = nullptr;
  EXPECT_EQ(RunCode("C1 = pl.hp", m_Chara), 0);
}

TEST_F(ExpressionTest, AnOperatorWithoutAnOperandReadsTheFirstTokenThroughTheCheckedAccess) {
  struct Case {
    const char* text;
    int32_t nC1;  // C1 after, from 4 before
    int nReports;
  } cases[] = {
      {"C1 = 5 +", 9, 1},  // 5 + C1, the first token
      {"C1 =", 4, 1},      // C1 = C1
      {"* 3 C1 = 2", 2, 1},
      {"-", 4, 2},  // nothing on either side
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    CommonVars().assign(10, 4);
    const int nBefore = CheckedAccessFailures();
    std::vector<std::string> vBox = ErrorBoxesOf([&] { EXPECT_EQ(RunCode(c.text, m_Chara), 1); });
    EXPECT_TRUE(vBox.empty());
    EXPECT_EQ(CheckedAccessFailures(), nBefore + c.nReports);
    EXPECT_EQ(C(1), c.nC1);
  }
}

TEST_F(ExpressionTest, HugeStatementsAreRefusedOrRunWithoutCrashing) {
  const std::vector<std::string> vMissing{Sjis("\")\"が見つかりません！")};
  std::string deep = std::string(100000, '(') + "1" + std::string(100000, ')');
  EXPECT_EQ(ErrorBoxesOf([&] { EXPECT_EQ(RunCode("C1 = " + deep, m_Chara), 0); }), vMissing);
  EXPECT_EQ(ErrorBoxesOf([&] { EXPECT_EQ(RunCode("C1 = rand(" + deep + ", 1)", m_Chara), 0); }), vMissing);
  EXPECT_EQ(ErrorBoxesOf([&] { EXPECT_EQ(RunCode(std::string(1 << 20, '('), m_Chara), 0); }), vMissing);
  // A megabyte of sums runs in one pass.
  std::string sums = "C1 = 0";
  while (sums.size() < (1u << 20)) sums += " + 1";
  CommonVars().assign(10, 0);
  EXPECT_EQ(RunCode(sums, m_Chara), 1);
  EXPECT_EQ(C(1), static_cast<int32_t>((sums.size() - 6) / 4));
  // 64 levels of groups still run.
  std::string ok = std::string(MAX_CODE_NESTING, '(') + "3" + std::string(MAX_CODE_NESTING, ')');
  EXPECT_EQ(RunCode("C1 = " + ok, m_Chara), 1);
  EXPECT_EQ(C(1), 3);
}

}  // namespace
