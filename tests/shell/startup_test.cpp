#include "shell/startup.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/test_seams.h"
#include "play/chara_drawing.h"
#include "shell/chara_effect_blt.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "records/system.h"
#include "records/flow_enums.h"
#include "records/loaded_project_view.h"
#include "records/stage.h"
#include "records/system_queries.h"
#include "base/report.h"
#include "shell/main_window.h"
#include "shell/startup_project.h"
#include "tests/support/database_fixtures.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/project_builder.h"
#include "tests/support/scoped_override.h"
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
    // The seams start-up installs read globals that other tests change.
    SetFlowProjectView(nullptr);
    SetSystemTextBoxDrawer(nullptr);
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

// The back buffer's pixels, on either drawing path.
std::vector<uint8_t> BackBufferBytes() {
  const cPixelBuffer* p = nullptr;
  if (g_BackBufferSD.lpDDS) p = g_BackBufferSD.lpDDS->lpSurface;
  if (!p && g_BackBufferSD.lpDT) p = g_BackBufferSD.lpDT->lpSurface;
  if (!p) return {};
  return std::vector<uint8_t>(p->Bits(), p->Bits() + static_cast<size_t>(p->Pitch()) * p->Height() * p->BytesPerPixel());
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
    const STARTUPRAN& ran = StartupStepsRanForTests();
    EXPECT_TRUE(ran.bTimerPeriod) << c.pszName;
    EXPECT_FALSE(ran.bGraphics || ran.bFonts || ran.bDigits || ran.bSound) << c.pszName;
    UnInitGame();
    EXPECT_FALSE(StartupStepsRanForTests().bTimerPeriod);
    UnInitGame();  // twice is harmless
  }
}

// A save cut short by a kill leaves its temporary file; the next start
// removes ours (of a process no longer running) and nothing else.
TEST_F(Startup, RemovesTheTemporaryFilesOfKilledSaves) {
  pid_t dead = ::fork();
  if (dead == 0) ::_exit(0);
  ASSERT_GT(dead, 0);
  ::waitpid(dead, nullptr, 0);
  const std::string stale = "user_data/story/Save1.dat.t4save~" + std::to_string(dead) + "-1";
  m_Folder.WriteFile("data/readme.txt", "x");
  m_Folder.WriteFile(stale, "half");
  m_Folder.WriteFile("user_data/Option.dat.tmp", "someone else's");
  ::testing::internal::CaptureStderr();
  EXPECT_FALSE(InitGame("", 1));  // no databases: start-up stops after the folders
  ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(::access((m_Folder.Path() + "/" + stale).c_str(), F_OK), -1);
  EXPECT_EQ(m_Folder.ReadFile("user_data/Option.dat.tmp"), "someone else's");
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

// Start-up installs the record seams: the flows of the common palette, read
// in InitGame, and those of the command-line stage, read when it starts, are
// fitted to the loaded databases and palettes; the system-text box draws.
TEST_F(Startup, InstallsTheRecordSeamsSoLoadedFlowsAreFitted) {
  cScopedOverride<BOOL> freeStage(g_bFreeStage);
  // The builder's writers would fit against whatever view is installed.
  SetFlowProjectView(nullptr);
  cProjectBuilder builder(m_Folder.Path());
  cEdFlow flow;
  cEdCommand anime = MakeFlowCommand(FlowCommandKind::RunAnime);
  anime.m_vParam[0] = 50;  // the Anime database holds 3
  anime.m_nAnime = 40;
  anime.m_nSound = -3;
  cEdCommand animeSet = MakeFlowCommand(FlowCommandKind::ChangeBaseAnimeSet);
  animeSet.m_vParam[0] = 9;  // 2 anime sets
  cEdCommand commonItem = MakeFlowCommand(FlowCommandKind::GetItem);
  commonItem.m_vParam[0] = 0;
  commonItem.m_vParam[1] = 99;  // 3 common items
  cEdCommand stageItem = commonItem;
  stageItem.m_vParam[0] = 1;  // 1 stage item
  flow.m_vecCommand = {anime, animeSet, commonItem, stageItem};
  builder.m_CommonPalette.m_vecChara[2].m_vecFlow.push_back(flow);
  builder.m_Stage1.m_vecPaletteChara[0].m_vecFlow.push_back(flow);
  ASSERT_TRUE(builder.Build());
  ASSERT_EQ(GetFlowProjectView(), nullptr);

  ::testing::internal::CaptureStderr();
  const bool bOk = InitGame(DEMO_STAGE1, 1);
  std::string err = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(bOk) << err;
  EXPECT_NE(dynamic_cast<const cLoadedFlowProjectView*>(GetFlowProjectView()), nullptr);

  struct CASE {
    const char* pszWhere;
    const cEdFlow& flow;
  } cases[] = {
      {"common palette", g_CommonPalette.m_vecChara.CheckedAt(2).m_vecFlow.back()},
      {"stage palette", g_Stage.m_vecPaletteChara.CheckedAt(0).m_vecFlow.back()},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhere);
    const cVector<cEdCommand>& cmds = c.flow.m_vecCommand;
    ASSERT_EQ(cmds.size(), 4u);
    EXPECT_EQ(cmds[0].m_vParam[0], 1);
    EXPECT_EQ(cmds[0].m_nAnime, 0);
    EXPECT_EQ(cmds[0].m_nSound, 0);
    EXPECT_EQ(cmds[1].m_vParam[0], 0);
    EXPECT_EQ(cmds[2].m_vParam[1], 1);
    EXPECT_EQ(cmds[3].m_vParam[1], 1);
  }

  // The pause menu's three texts in their box.
  std::vector<uint8_t> before = BackBufferBytes();
  ASSERT_FALSE(before.empty());
  DrawSystemTexts(320, 100, 19, 3, 1);
  EXPECT_TRUE(BackBufferBytes() != before);
}

TEST_F(Startup, InstallsTheCharaEffectDrawing) {
  cScopedOverride<BOOL> freeStage(g_bFreeStage);
  SetCharaEffectBlt(nullptr);
  cProjectBuilder builder(m_Folder.Path());
  ASSERT_TRUE(builder.Build());
  ::testing::internal::CaptureStderr();
  const bool bOk = InitGame(DEMO_STAGE1, 1);
  std::string err = ::testing::internal::GetCapturedStderr();
  ASSERT_TRUE(bOk) << err;
  EXPECT_EQ(CharaEffectBltHookForTests(), &CharaEffectBlt);
}
