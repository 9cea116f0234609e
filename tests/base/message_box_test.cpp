#include "base/message_box.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/test_seams.h"
#include "platform/text_cp932.h"

TEST(CountMbcsChars, CountsPairsOnceAndLineFeedsNever) {
  struct Case {
    std::string text;
    int count;
  } cases[] = {
      {"", 0},
      {"ab\nc", 3},
      {Sjis("表示"), 2},
      {"a\x95", 2},  // a lone lead byte at the end is one character
      {Sjis("Ａb\n表"), 3},
  };
  for (const Case& c : cases) EXPECT_EQ(CountMbcsChars(c.text), c.count) << Cp932ToUtf8(c.text);
}

TEST(IsDbcsPair, LeadThenTrail) {
  EXPECT_TRUE(IsDbcsPair("\x95\x5C"));
  EXPECT_FALSE(IsDbcsPair("\x5C\x95"));
  EXPECT_FALSE(IsDbcsPair("\x95"));
}

TEST(MessageBoxes, HeadlessAnswersComeFromTheScriptThenDefaults) {
  ::setenv("TARVOLIN4_HEADLESS", "1", 1);
  ::setenv("TARVOLIN4_ANSWERS", "yes,ok,no", 1);
  ResetScriptedAnswersForTests();
  std::string caption = Sjis("デフォルトデータ作成の確認");
  testing::internal::CaptureStderr();
  EXPECT_EQ(AppMessageBox(Sjis("データが存在しません！"), caption, MB_YESNO), IDYES);
  EXPECT_EQ(ErrorBox("a%sb"), IDOK);
  EXPECT_EQ(AppMessageBox("q", caption, MB_YESNO), IDNO);
  EXPECT_EQ(AppMessageBox("q", caption, MB_YESNO), IDNO);      // script used up: No
  EXPECT_EQ(AppMessageBox("q", caption, MB_OKCANCEL), IDCANCEL);  // and Cancel
  EXPECT_EQ(ErrorBoxfIfLogging("%d", 1), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("[デフォルトデータ作成の確認] データが存在しません！"), std::string::npos);
  EXPECT_NE(err.find("[エラー] a%sb"), std::string::npos);
  ::unsetenv("TARVOLIN4_ANSWERS");
  ResetScriptedAnswersForTests();
}
