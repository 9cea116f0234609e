#include "shell/startup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>

#include "platform/messages.h"
#include "platform/test_seams.h"
#include "records/database.h"
#include "records/system.h"
#include "base/report.h"
#include "shell/main_window.h"
#include "shell/startup_project.h"
#include "tests/support/database_fixtures.h"
#include "tests/support/temp_folder.h"

namespace {

class Startup : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMessageLayerForTests();
    g_MainWnd.m_hWnd = CreateMessageWindow(&MainWndProc);
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
  }
  void TearDown() override {
    UnInitGame();
    ::unsetenv("TARVOLIN4_ANSWERS");
    ResetScriptedAnswersForTests();
    g_MainWnd.m_hWnd = nullptr;
    g_hWndMain = nullptr;
    ResetMessageLayerForTests();
  }
  void Answers(const char* psz) {
    ::setenv("TARVOLIN4_ANSWERS", psz, 1);
    ResetScriptedAnswersForTests();
  }
  cTempFolder m_Folder;
};

void WriteDatabases(const cTempFolder&) {
  cEdDatabase db = MakeFixtureDatabase();
  ASSERT_TRUE(WriteDatabaseFiles(db));
}

}  // namespace

// Each failure before the graphics shows its box, fails start-up, and leaves
// only the timer period for UnInitGame to undo.
TEST_F(Startup, EarlyFailuresShowTheirTextAndUndoOnlyWhatRan) {
  struct CASE {
    const char* pszName;
    const char* pszAnswers;
    std::function<void(const cTempFolder&)> prepare;
    std::string expected;
  } cases[] = {
      {"no data, answered no", "no", [](const cTempFolder& f) { f.WriteFile("default/keep.txt", "x"); },
       "[エラー] 「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。"},
      {"no data and no default", "", [](const cTempFolder&) {},
       "「data」フォルダの作成に失敗…"},
      {"no database files", "", [](const cTempFolder& f) { f.WriteFile("data/readme.txt", "x"); },
       "[エラー] データベースの読み込みに失敗…"},
      {"damaged System.dat", "",
       [](const cTempFolder& f) {
         f.WriteFile("data/readme.txt", "x");
         WriteDatabases(f);
         f.WriteFile("data/System.dat", std::string("\x9b\x02\0\0\x05\0\0\0", 8));
       },
       "[エラー] data\\System.dat の読み込みに失敗…"},
  };
  for (const CASE& c : cases) {
    cTempFolder folder;
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    c.prepare(folder);
    Answers(c.pszAnswers);
    ::testing::internal::CaptureStderr();
    bool bOk = InitGame("", 1);
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_FALSE(bOk) << c.pszName;
    EXPECT_NE(err.find(c.expected), std::string::npos) << c.pszName << ": " << err;
    const STARTUPRAN& ran = StartupStepsRan();
    EXPECT_TRUE(ran.bTimerPeriod) << c.pszName;
    EXPECT_FALSE(ran.bGraphics || ran.bFonts || ran.bDigits || ran.bSound) << c.pszName;
    UnInitGame();
    EXPECT_FALSE(StartupStepsRan().bTimerPeriod);
    UnInitGame();  // twice is harmless
  }
}

TEST_F(Startup, ScreenModeDecision) {
  struct CASE {
    int nDirect3D, nWindowMode, nBpp, nVSync;
    int nDesktop;
    bool bFullColour, bOs6;
    SCREENMODERESULT result;
    int nWindowFlag, nBppOut, nVSyncOut;
  } cases[] = {
      // Direct3D: the window flag as asked, VSync 2 becomes 1.
      {1, 1, 0, 2, 32, true, true, SCREENMODE_OK, 1, 32, 1},
      {1, 0, 0, 2, 32, false, true, SCREENMODE_OK, 0, 32, 1},
      {1, 0, 8, 0, 32, false, true, SCREENMODE_REFUSED, 0, 8, 0},
      // DirectDraw in a window: VSync off, any desktop depth is taken.
      {0, 1, 0, 2, 16, true, true, SCREENMODE_OK, 1, 16, 0},
      {0, 1, 16, 1, 32, false, true, SCREENMODE_OK, 1, 16, 0},
      {0, 1, 8, 0, 32, false, true, SCREENMODE_REFUSED, 1, 8, 0},
      // DirectDraw in full screen: VSync 2 follows the system's version; a
      // palette project gets 8 bits, a full-colour one 32.
      {0, 0, 0, 2, 32, false, true, SCREENMODE_OK, 0, 8, 0},
      {0, 0, 0, 2, 32, false, false, SCREENMODE_OK, 0, 8, 1},
      {0, 0, 0, 1, 32, true, true, SCREENMODE_OK, 0, 32, 1},
      {0, 0, 8, 0, 32, true, true, SCREENMODE_REFUSED, 0, 8, 0},
      {0, 0, 24, 0, 32, true, true, SCREENMODE_REFUSED, 0, 24, 0},
  };
  for (const CASE& c : cases) {
    INIVALUES ini;
    ini.nDirect3D = c.nDirect3D;
    ini.nWindowMode = c.nWindowMode;
    ini.nBpp = c.nBpp;
    ini.nVSync = c.nVSync;
    int nWindowFlag = -1;
    SCREENMODERESULT r = DecideScreenMode(ini, c.nDesktop, c.bFullColour, c.bOs6, nWindowFlag);
    const std::string where = std::to_string(&c - cases);
    EXPECT_EQ(r, c.result) << where;
    EXPECT_EQ(nWindowFlag, c.nWindowFlag) << where;
    EXPECT_EQ(ini.nBpp, c.nBppOut) << where;
    EXPECT_EQ(ini.nVSync, c.nVSyncOut) << where;
  }
}

// A settings record that loads but is too short in a list the program reads
// at fixed positions cannot be played; a new project's record can, and so
// can one with more entries than needed.
TEST(StartupProject, ListsTooShortToPlayAreRefusedWithALine) {
  struct CASE {
    const char* pszList;
    std::function<void(cEdSystem&)> change;
    bool bPlayable;
  } cases[] = {
      {nullptr, [](cEdSystem&) {}, true},
      {nullptr, [](cEdSystem& s) { s.m_vecScreenBgm.resize(9); }, true},
      {"screen music", [](cEdSystem& s) { s.m_vecScreenBgm.clear(); }, false},
      {"title menu", [](cEdSystem& s) { s.m_vecTitleMenu.resize(6); }, false},
      {"ranking switches", [](cEdSystem& s) { s.m_vecRankingSwitch.resize(3); }, false},
      {"texts", [](cEdSystem& s) { s.m_vecText.resize(26); }, false},
  };
  for (const CASE& c : cases) {
    cTempFolder folder;
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    cEdSystem sys;
    sys.SetDefaults();
    c.change(sys);
    EXPECT_EQ(ProjectListsPlayable(sys), c.bPlayable) << (c.pszList ? c.pszList : "");
    const std::string report = folder.ReadFile("Report_Game.txt");
    if (c.pszList)
      EXPECT_NE(report.find(std::string("System.dat の ") + c.pszList + " は"), std::string::npos) << report;
    else
      EXPECT_EQ(report, "");
  }
}
