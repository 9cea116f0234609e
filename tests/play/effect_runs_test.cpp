#include "play/effect_runs.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "records/effect_records.h"

namespace {

// Run tables of three entries: 0 "none" (step 0), 1 from 0 to 10 by 2.5
// (its reversed twin from 10 to 0), 2 a record whose run time gave no step.
class EffectRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_SavedF = g_CharaEffectRun, m_SavedR = g_CharaEffectRunRev;
    m_SavedSF = g_ScrEffectRun, m_SavedSR = g_ScrEffectRunRev;
    for (EFFECTRUNTABLE* t : {&g_CharaEffectRun, &g_CharaEffectRunRev, &g_ScrEffectRun, &g_ScrEffectRunRev}) {
      const bool bRev = t == &g_CharaEffectRunRev || t == &g_ScrEffectRunRev;
      t->assign(3, EFFECTRUN());
      (*t)[0].lpRecord = &m_Record;
      (*t)[1] = Entry(bRev ? 10 : 0, bRev ? 0 : 10, 2.5);
      (*t)[2] = Entry(0, 10, 0.0);
    }
  }
  void TearDown() override {
    g_CharaEffectRun = m_SavedF, g_CharaEffectRunRev = m_SavedR;
    g_ScrEffectRun = m_SavedSF, g_ScrEffectRunRev = m_SavedSR;
  }
  EFFECTRUN Entry(int32_t a, int32_t b, double dStep) {
    EFFECTRUN e;
    e.lpRecord = &m_Record;
    e.nStart = a;
    e.nEnd = b;
    e.dCurrent = a;
    e.dStep = dStep;
    return e;
  }
  // The value after each step until the run finishes (at most 40 steps);
  // the finishing step is marked with -1.
  static std::vector<double> Steps(EFFECTRUN& run) {
    std::vector<double> v;
    for (int i = 0; i < 40; ++i) {
      if (CharaEffectStep(run)) {
        v.push_back(-1);
        break;
      }
      v.push_back(run.dCurrent);
    }
    return v;
  }

  cEdCharaEffect m_Record;
  EFFECTRUNTABLE m_SavedF, m_SavedR, m_SavedSF, m_SavedSR;
};

TEST_F(EffectRunTest, ForwardsBackwardsAndBackAndForth) {
  struct CASE {
    uint32_t nMode;
    std::vector<double> vSteps;
  } cases[] = {
      {EFFECTMODE_FORWARD, {2.5, 5, 7.5, 10, -1}},
      {EFFECTMODE_REVERSED, {7.5, 5, 2.5, 0, -1}},
      // Forward, then the way back from the reversed table, then finished.
      {EFFECTMODE_BACK_AND_FORTH, {2.5, 5, 7.5, 10, 10, 7.5, 5, 2.5, 0, -1}},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nMode);
    EFFECTRUN run;
    CharaEffectStart(run, 1, c.nMode, 0);
    EXPECT_EQ(run.nEffect, 1);
    EXPECT_EQ(run.bReverse, c.nMode == EFFECTMODE_REVERSED ? 1u : 0u);
    EXPECT_EQ(Steps(run), c.vSteps);
  }
  // With repeat it never finishes.
  EFFECTRUN run;
  CharaEffectStart(run, 1, EFFECTMODE_BACK_AND_FORTH, 1);
  const std::vector<double> v = Steps(run);
  EXPECT_EQ(v.size(), 40u);
  EXPECT_EQ(std::count(v.begin(), v.end(), -1.0), 0);
}

TEST_F(EffectRunTest, NoStepAndUnknownNumbersEndAtOnce) {
  for (int nEffect : {0, 2, 3, 99, -1, 70000}) {
    SCOPED_TRACE(nEffect);
    EFFECTRUN run;
    CharaEffectStart(run, nEffect, EFFECTMODE_FORWARD, 0);
    EXPECT_EQ(Steps(run), std::vector<double>{-1});
    // Back and forth: the way there ends, then the way back.
    CharaEffectStart(run, nEffect, EFFECTMODE_BACK_AND_FORTH, 0);
    EXPECT_LE(Steps(run).size(), 2u);
    EFFECTRUN scr;
    ScreenEffectStart(scr, nEffect, EFFECTMODE_FORWARD, 0);
    EXPECT_EQ(ScreenEffectStep(scr, 0, 10, 0.0), 1);
  }
  // Restart of a run whose number left the table: reset, then finished.
  EFFECTRUN run;
  CharaEffectStart(run, 1, EFFECTMODE_BACK_AND_FORTH, 1);
  g_CharaEffectRunRev.resize(1);
  CharaEffectRestart(run);
  EXPECT_EQ(run.lpRecord, nullptr);
  EXPECT_EQ(CharaEffectStep(run), 1);
}

TEST_F(EffectRunTest, ScreenEffectsCompareTruncatedValues) {
  struct CASE {
    int nFrom, nTo;
    double dStart, dStep;
    int nSteps;  // steps that go on before the one that finishes
  } cases[] = {
      {0, 3, 0.0, 0.5, 7},   // 0.5 ... 3.5 all truncate to 3 or less
      {3, 0, 3.0, 1.0, 3},   // 2, 1, 0
      {1, 0, 1.0, 0.5, 3},   // -0.5 truncates to 0 and goes on
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.nFrom << " to " << c.nTo << " by " << c.dStep);
    EFFECTRUN run;
    ScreenEffectStart(run, 1, EFFECTMODE_FORWARD, 0);
    run.dCurrent = c.dStart;
    int n = 0;
    while (n < 40 && ScreenEffectStep(run, c.nFrom, c.nTo, c.dStep) == 0) ++n;
    EXPECT_EQ(n, c.nSteps);
  }
}

}  // namespace
