#include "records/progress_elements.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "base/report.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/corruption.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

class ProgressElements : public cRecordFileTest {
 protected:
};

}  // namespace

TEST_F(ProgressElements, NewElementsWriteZeroes) {
  cEdPlayRecEntryA a;
  ASSERT_TRUE(a.SaveToFile("a.dat"));
  cEdChara chara;
  ASSERT_TRUE(chara.SaveToFile("c.dat"));
  // The five fields, then a new chara record (without its version word).
  EXPECT_EQ(m_Tmp.ReadFile("a.dat"), Words({667, 5, 0, 0, 0, 0, 0, 0}) + m_Tmp.ReadFile("c.dat").substr(4));
  cEdPlayRecEntryB b;
  ASSERT_TRUE(b.SaveToFile("b.dat"));
  EXPECT_EQ(m_Tmp.ReadFile("b.dat"), Words({667, 1, 0, 1, 1}));
  cEdValuePair p;
  ASSERT_TRUE(p.SaveToFile("p.dat"));
  EXPECT_EQ(m_Tmp.ReadFile("p.dat"), Words({667, 2, 0, 0, 0}));
}

TEST_F(ProgressElements, EveryVersionReadsTheSameFields) {
  for (int v : {100, 173, 501, 667}) {
    cEdPlayRecEntryB b;
    b.m_strName = "stage";
    b.m_nValue = 4321;
    g_nCurDataVersion = v;
    ASSERT_TRUE(b.SaveToFile("b.dat"));
    g_nCurDataVersion = 667;
    cEdPlayRecEntryB back;
    ASSERT_TRUE(back.LoadFromFile("b.dat"));
    EXPECT_EQ(back.m_nValue, 4321u) << v;
    EXPECT_EQ(back.m_strName, "stage") << v;
  }
  cEdPlayRecEntryA a;
  a.m_nCarryHp = 1;
  a.m_nCarryBgm = 5;
  a.m_Chara.m_nPlayerNo = 2;
  ASSERT_TRUE(a.SaveToFile("a.dat"));
  cEdPlayRecEntryA backA;
  ASSERT_TRUE(backA.LoadFromFile("a.dat"));
  EXPECT_EQ(backA.m_nCarryHp, 1u);
  EXPECT_EQ(backA.m_nCarryBgm, 5u);
  EXPECT_EQ(backA.m_Chara.m_nPlayerNo, 2);
  cEdPlayRecEntryA copy = backA;
  EXPECT_EQ(copy.m_nCarryBgm, 5u);
  EXPECT_EQ(copy.m_Chara.m_nPlayerNo, 2);
  ASSERT_TRUE(copy.SaveToFile("c.dat"));
  EXPECT_EQ(m_Tmp.ReadFile("c.dat"), m_Tmp.ReadFile("a.dat"));
}

TEST_F(ProgressElements, ReaderSurvivesDamagedFiles) {
  cEdPlayRecEntryA a;
  a.m_nCarrySp = 3;
  ASSERT_TRUE(a.SaveToFile("a.dat"));
  CORRUPTIONPLAN plan;
  plan.nMutations = 500;
  RunCorruptionHarness(m_Tmp.ReadFile("a.dat"), "a.dat", [] {
    cEdPlayRecEntryA r;
    r.LoadFromFile("a.dat");
  }, plan);
  cEdPlayRecEntryB b;
  b.m_strName = "stage";
  ASSERT_TRUE(b.SaveToFile("b.dat"));
  RunCorruptionHarness(m_Tmp.ReadFile("b.dat"), "b.dat", [] {
    cEdPlayRecEntryB r;
    r.LoadFromFile("b.dat");
  }, plan);
}
