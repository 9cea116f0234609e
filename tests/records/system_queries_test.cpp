#include "records/system_queries.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "base/report.h"
#include "records/system.h"
#include "tests/support/temp_folder.h"

namespace {

struct DRAWN {
  int x, y, w, h;
  std::string text;
  int calls = 0;
};
DRAWN s_Drawn;

void RecordBox(int x, int y, int w, int h, const std::string& text) {
  s_Drawn.x = x;
  s_Drawn.y = y;
  s_Drawn.w = w;
  s_Drawn.h = h;
  s_Drawn.text = text;
  ++s_Drawn.calls;
}

class SystemQueries : public ::testing::Test {
 protected:
  void SetUp() override {
    g_nCurDataVersion = 667;
    ResetMessageLayerForTests();
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    m_Saved = g_System;
    g_System = cEdSystem();
    s_Drawn = DRAWN();
    SetSystemTextBoxDrawer(RecordBox);
  }
  void TearDown() override {
    SetSystemTextBoxDrawer(nullptr);
    g_System = m_Saved;
  }
  std::string ReportText() { return m_Tmp.ReadFile("Report_Game.txt"); }

  cTempFolder m_Tmp;
  cEdSystem m_Saved;
};

}  // namespace

TEST_F(SystemQueries, RankingCategoriesPerPlayKind) {
  EXPECT_EQ(CountSystemEntryFlags(0), 5u);
  EXPECT_EQ(CountSystemEntryFlags(3), 0u);
  g_System.m_vecRankingSwitch[1].Flags() = {1, 0, 2, 0, 0, 1};
  EXPECT_EQ(CountSystemEntryFlags(1), 3u);
  g_System.m_vecRankingSwitch[1].m_bOn = 0;
  EXPECT_EQ(CountSystemEntryFlags(1), 0u);
  // A play kind outside the list is reported and kind 0 answers.
  EXPECT_EQ(CountSystemEntryFlags(7), 5u);
  EXPECT_NE(ReportText().find("err V[7] ( 4 , 56 )"), std::string::npos);
}

TEST_F(SystemQueries, CentredTextsAndTheirBox) {
  EXPECT_EQ(CalcCenteredTextX(320, 19, 3, 1), 264);  // 6 characters + marker
  EXPECT_EQ(CalcCenteredTextX(304, 10, 2, 0), 304 - 7 * 8);
  EXPECT_EQ(CalcCenteredTextX(320, 19, 0, 1), 312);
  g_System.m_vecText[22] = Sjis("ab\nあい");  // the line feed counts none
  EXPECT_EQ(CalcCenteredTextX(320, 22, 1, 0), 320 - 32);

  DrawSystemTexts(100, 50, 17, 2, 0);
  ASSERT_EQ(s_Drawn.calls, 1);
  EXPECT_EQ(s_Drawn.x, 100);
  EXPECT_EQ(s_Drawn.y, 50);
  EXPECT_EQ(s_Drawn.h, 32);
  EXPECT_EQ(s_Drawn.w, 7 * 16);
  EXPECT_EQ(s_Drawn.text, Sjis("タイトルへ戻る\nやっぱりやめる\n"));

  DrawSystemTexts(0, 0, 19, 0, 1);
  EXPECT_EQ(s_Drawn.calls, 1);  // nothing for no lines
}

TEST_F(SystemQueries, ProjectTextsAreDrawnAsTheyStand) {
  g_System.m_vecText[19] = "100%s %d%%";
  DrawSystemTexts(0, 0, 19, 2, 1);
  EXPECT_EQ(s_Drawn.text, " 100%s %d%%\n" + Sjis(" つづける\n"));
  EXPECT_EQ(s_Drawn.w, 11 * 16);
}

TEST_F(SystemQueries, LowValueTest) {
  g_System.m_vecStatusItem[2].m_nLowMark = 33;
  g_System.m_vecStatusItem[2].m_bLowMarkPercent = 1;
  g_System.m_vecStatusItem[1].m_nLowMark = -2;
  g_System.m_vecStatusItem[1].m_bLowMarkPercent = 0;
  const struct {
    int item, value, max, expect;
  } kCases[] = {
      {2, 33, 100, 1}, {2, 34, 100, 0}, {2, 1, 3, 0},     {2, 1, 4, 1},     {2, 0, 0, 0},   {2, 5, 0, 0},
      {2, -1, 0, 1},   {2, -5, 10, 1},  {1, -2, 100, 1},  {1, -1, 100, 0}, {1, -3, 0, 1},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(CheckPercentThreshold(c.item, c.value, c.max), c.expect) << c.item << " " << c.value << "/" << c.max;
  }
}
