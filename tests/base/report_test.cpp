#include "base/report.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "tests/support/temp_folder.h"

TEST(Report, OpenEmptiesAndLinesAppend) {
  cTempFolder tmp;
  tmp.WriteFile("Report_Game.txt", "old run\n");
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  EXPECT_EQ(tmp.ReadFile("Report_Game.txt"), "");
  EXPECT_TRUE(Reportf("App : ver %s", "667"));
  EXPECT_TRUE(ReportAndLogf("%d%%", 50));
  // Project texts are CP932; the report is for people here, in UTF-8.
  EXPECT_TRUE(ReportLine(Sjis("「a」の読み込みに失敗しました！")));
  EXPECT_EQ(tmp.ReadFile("Report_Game.txt"), "App : ver 667\n50%\n「a」の読み込みに失敗しました！\n");
}

TEST(Report, ReportBeforeOpenWritesNothing) {
  cTempFolder tmp;
  ASSERT_TRUE(OpenReport("missing_folder\\Report_Game.txt") == 0);
  // The earlier report path stays in force; a fresh one in this folder:
  ASSERT_TRUE(OpenReport("r.txt"));
  std::remove("r.txt");
  EXPECT_EQ(Reportf("x"), 0);  // "r+" on a file that is gone fails
}

// A game folder that became read-only after start-up: the report line is
// lost, but the player still sees the error.
TEST(Report, ErrorBoxShowsEvenWhenTheLineCannotBeWritten) {
  ::setenv("TARVOLIN4_HEADLESS", "1", 1);
  cTempFolder tmp;
  ASSERT_TRUE(OpenReport("r.txt"));
  std::remove("r.txt");
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReportLogAndErrorBoxf("%s", Sjis("System.ini の読み込みに失敗しました！").c_str()), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("[エラー] System.ini の読み込みに失敗しました！"), std::string::npos) << err;
}

TEST(TraceLog, OffByDefaultAndFirstLineEmptiesIt) {
  cTempFolder tmp;
  SetLogFile(0, "EC_Game.txt");
  LogLine("nothing");
  EXPECT_FALSE(tmp.Exists("EC_Game.txt"));
  tmp.WriteFile("EC_Game.txt", "previous run\n");
  SetLogFile(1, "EC_Game.txt");
  LogLine("first");
  Logf("second %d", 2);
  EXPECT_EQ(tmp.ReadFile("EC_Game.txt"), "first\nsecond 2\n");
  SetLogFile(0, "EC_Game.txt");
}

TEST(TraceLog, LogfAndClosePostsEvenWithTheLogOff) {
  ResetMessageLayerForTests();
  SetLogFile(0, "EC_Game.txt");
  HWND w = CreateMessageWindow(nullptr);
  EXPECT_TRUE(LogfAndClose(w, "bye"));
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, w, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_CLOSE));
  ResetMessageLayerForTests();
}

TEST(FormatString, HasNoFixedLimit) {
  std::string s;
  std::string big(6000, 'x');
  FormatString(s, "%s!", big.c_str());
  EXPECT_EQ(s.size(), 6001u);
}
