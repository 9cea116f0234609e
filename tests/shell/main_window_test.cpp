#include "shell/main_window.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>

#include <cstdlib>
#include <string>
#include <vector>

#include "media/sound/sound_effects.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "records/database.h"
#include "records/option.h"
#include "records/system.h"
#include "base/thread_wrapper.h"
#include "shell/entry.h"
#include "shell/scene_manager.h"

namespace {

std::atomic<int> s_nSendStarted{0};
std::atomic<LRESULT> s_lSendResult{-1};
std::atomic<int> s_nQuitSeen{0};

// A game thread caught in a request to the window when the close comes.
unsigned BlockedInRequest(void*) {
  ++s_nSendStarted;
  s_lSendResult = SendMessage(g_hWndMain, WM_USER + 77, 0, 0);
  MSG m;
  while (GetMessage(&m, nullptr, 0, 0)) {
  }
  ++s_nQuitSeen;
  return 1;
}

class MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMessageLayerForTests();
    m_hWnd = CreateMessageWindow(&MainWndProc);
    g_hWndMain = m_hWnd;
  }
  void TearDown() override { ResetMessageLayerForTests(); }
  HWND m_hWnd = nullptr;
};

}  // namespace

TEST_F(MainWindow, CloseReleasesAPendingRequestAndEndsTheLoop) {
  s_nSendStarted = 0;
  s_nQuitSeen = 0;
  ASSERT_TRUE(thGame.Create(&BlockedInRequest, nullptr));
  while (s_nSendStarted == 0) Sleep(1);
  Sleep(20);  // the request is now waiting for this thread
  auto start = std::chrono::steady_clock::now();
  SendMessage(m_hWnd, WM_CLOSE, 0, 0);
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  EXPECT_LT(ms, 1000);
  EXPECT_EQ(s_lSendResult.load(), 0);
  EXPECT_EQ(s_nQuitSeen.load(), 1);
  EXPECT_EQ(thGame.m_hThread.load(), nullptr);
  EXPECT_FALSE(IsWindow(m_hWnd));
  EXPECT_EQ(g_hWndMain.load(), nullptr);
  MSG m;
  ASSERT_TRUE(PeekMessage(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(m.wParam, 0u);
}

TEST_F(MainWindow, EscClosesAndActivationIsKept) {
  struct CASE {
    UINT m_nMsg;
    WPARAM m_wParam;
    bool m_bCloses;
  } cases[] = {{WM_KEYDOWN, VK_ESCAPE, true}, {WM_KEYDOWN, 'Z', false}, {WM_KEYUP, VK_ESCAPE, false}};
  for (const CASE& c : cases) {
    MainWndOnMessage(m_hWnd, c.m_nMsg, c.m_wParam, 0);
    MSG m;
    bool bClose = PeekMessage(&m, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE);
    EXPECT_EQ(bClose, c.m_bCloses) << c.m_nMsg << " " << c.m_wParam;
  }
  MainWndOnMessage(m_hWnd, WM_ACTIVATEAPP, 1, 0);
  EXPECT_EQ(g_bAppActive.load(), 1u);
  MainWndOnMessage(m_hWnd, WM_ACTIVATEAPP, 0, 0);
  EXPECT_EQ(g_bAppActive.load(), 0u);
}

// ---- Window requests ----------------------------------------------------------

namespace {

// The music manager and the sound player as the requests reach them, in
// order: "se N", "set S name", "play S loop restart", "stop".
std::vector<std::string> s_Heard;

class cRecordingMusic : public cMusicSink {
 public:
  void SetMusic(int nSlot, const std::string& strName) override {
    s_Heard.push_back("set " + std::to_string(nSlot) + " " + strName);
  }
  void Play(int nPlayer, int nSlot, int nLoop, int nStart, int bRestart) override {
    s_Heard.push_back("play " + std::to_string(nPlayer) + " " + std::to_string(nSlot) + " " + std::to_string(nLoop) +
                      " " + std::to_string(nStart) + " " + std::to_string(bRestart));
  }
  void Stop() override { s_Heard.push_back("stop"); }
};

void HearSound(int nIndex) { s_Heard.push_back("se " + std::to_string(nIndex)); }

std::atomic<int> s_nSenderDone{0};

unsigned SendSoundAndMusic(void*) {
  SendMessage(g_hWndMain, UM_PLAYSE, 3, 0);
  SendMessage(g_hWndMain, UM_PLAYBGM, 0, 0);
  g_nStageBgmLoop = 1;
  SendMessage(g_hWndMain, UM_PLAYBGM, 4, 2);
  SendMessage(g_hWndMain, UM_PLAYBGM, 4, 0);
  s_nSenderDone = 1;
  MSG m;
  while (GetMessage(&m, nullptr, 0, 0)) {
  }
  return 1;
}

cEdBgm Music(const char* pszFile) {
  cEdBgm b;
  b.strFile = pszFile;
  return b;
}

int s_nStageStarts = 0;
BOOL s_bStageLoads = FALSE;
BOOL FakeStartStageFile(const std::string& path, int nFlag) {
  ++s_nStageStarts;
  EXPECT_EQ(path, "data\\stg4\\a.stg4_000");
  EXPECT_EQ(nFlag, 0);
  return s_bStageLoads;
}
BOOL FailingReplaySave(int, const std::string&) { return FALSE; }

class WindowRequests : public MainWindow {
 protected:
  void SetUp() override {
    MainWindow::SetUp();
    s_Heard.clear();
    SetMusicSink(&m_Music);
    SetSoundPlayHookForTests(&HearSound);
    m_vSounds.assign(20, SOUNDDATA{});
    g_SoundList = &m_vSounds;
    g_System.m_vecScreenBgm = cVector<uint32_t>({1, 2, 0, 1});
    g_System.m_vecScreenBgmLoop = cVector<uint8_t>({1, 0, 1, 0});
    g_Database.m_vecBgm = cVector<cEdBgm>({Music(""), Music("bgm\\one.ogg"), Music("bgm\\two.mid")});
    g_SceneMgr.m_nMode = GAMEMODE_TITLE;
    g_SceneMgr.m_nPrevMode = GAMEMODE_TITLE;
    g_WindowRequests = DefaultWindowRequests();
    g_nStageBgmLoop = 0;
  }
  void TearDown() override {
    g_WindowRequests = DefaultWindowRequests();
    g_SoundList = nullptr;
    SetSoundPlayHookForTests(nullptr);
    SetMusicSink(nullptr);
    ::unsetenv("TARVOLIN4_ANSWERS");
    ResetScriptedAnswersForTests();
    MainWindow::TearDown();
  }
  void Answers(const char* psz) {
    ::setenv("TARVOLIN4_ANSWERS", psz, 1);
    ResetScriptedAnswersForTests();
  }
  bool CloseWasPosted() {
    MSG m;
    return PeekMessage(&m, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
  }
  cRecordingMusic m_Music;
  cVector<SOUNDDATA> m_vSounds;
};

}  // namespace

// The game thread asks; the window thread, pumping its queue, plays.
TEST_F(WindowRequests, SoundAndMusicSentFromTheGameThreadReachThePlayers) {
  s_nSenderDone = 0;
  ASSERT_TRUE(thGame.Create(&SendSoundAndMusic, nullptr));
  MSG m;
  while (!s_nSenderDone) {
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
    Sleep(1);
  }
  thGame.Exit();
  EXPECT_EQ(s_Heard, std::vector<std::string>({"se 3", "set 0 bgm\\one.ogg", "play 0 0 1 0 1", "set 4 bgm\\two.mid",
                                               "play 0 4 1 0 1", "set 4 ", "stop"}));
  EXPECT_EQ(g_nStageBgm.load(), 0);
  EXPECT_FALSE(CloseWasPosted());
}

// The world map and the save screen share their music; any other way into
// the world map starts it again.
TEST_F(WindowRequests, WorldMapMusicRestartsExceptBetweenMapAndSave) {
  struct CASE {
    int nMode, nPrev;
    int bRestart;
  } cases[] = {{1, 2, 0}, {2, 1, 0}, {1, 0, 1}, {1, 4, 1}, {2, 2, 1}};
  for (const CASE& c : cases) {
    g_SceneMgr.m_nMode = c.nMode;
    g_SceneMgr.m_nPrevMode = c.nPrev;
    s_Heard.clear();
    MainWndOnMessage(m_hWnd, UM_PLAYBGM, 1, 0);
    ASSERT_EQ(s_Heard.size(), 2u);
    EXPECT_EQ(s_Heard[0], "set 1 bgm\\two.mid");
    EXPECT_EQ(s_Heard[1], "play 0 1 0 0 " + std::to_string(c.bRestart)) << c.nMode << " " << c.nPrev;
  }
}

// An index outside a list is a checked access: reported, the program asked
// to close, and the first element used.
TEST_F(WindowRequests, BadSoundAndMusicIndicesCloseInOrder) {
  MainWndOnMessage(m_hWnd, UM_PLAYSE, 99, 0);
  EXPECT_TRUE(CloseWasPosted());
  MainWndOnMessage(m_hWnd, UM_PLAYBGM, 4, 7);
  EXPECT_TRUE(CloseWasPosted());
  g_System.m_vecScreenBgm = cVector<uint32_t>({9, 9, 9, 9});
  MainWndOnMessage(m_hWnd, UM_PLAYBGM, 2, 0);
  EXPECT_TRUE(CloseWasPosted());
  EXPECT_EQ(s_Heard, std::vector<std::string>({"se 0", "set 4 ", "play 0 4 0 0 1", "set 2 ", "play 0 2 1 0 1"}));
  s_Heard.clear();
  MainWndOnMessage(m_hWnd, UM_PLAYBGM, 5, 1);  // no such screen: nothing
  EXPECT_TRUE(s_Heard.empty());
  EXPECT_FALSE(CloseWasPosted());
}

// A chooser that is cancelled, or whose file does not load, leaves nothing
// chosen and the program running; only a file that loads counts.
TEST_F(WindowRequests, ChoosersCountOnlyAFileThatLoads) {
  struct CASE {
    UINT msg;
    const char* pszAnswer;
    BOOL bLoads;
    DWORD bChosen;
    int nStarts;
  } cases[] = {
      {UM_OPENSTAGE, "cancel", TRUE, 0, 0},
      {UM_OPENSTAGE, "file:data\\stg4\\a.stg4_000", FALSE, 0, 1},
      {UM_OPENSTAGE, "file:data\\stg4\\a.stg4_000", TRUE, 1, 1},
      {UM_OPENREPLAY, "file:user_data\\rpl4\\x.rpl4_667", TRUE, 0, 0},  // the replay loader is not there yet
      {UM_OPENREPLAY, "", TRUE, 0, 0},
  };
  g_WindowRequests.pfnStartStageFile = &FakeStartStageFile;
  for (const CASE& c : cases) {
    Answers(c.pszAnswer);
    s_nStageStarts = 0;
    s_bStageLoads = c.bLoads;
    g_bRequestDone = 0;
    g_bFileChosen = 7;
    MainWndOnMessage(m_hWnd, c.msg, 0, 0);
    EXPECT_EQ(g_bRequestDone.load(), 1u) << c.pszAnswer;
    EXPECT_EQ(g_bFileChosen.load(), c.bChosen) << c.pszAnswer;
    EXPECT_EQ(s_nStageStarts, c.nStarts) << c.pszAnswer;
    EXPECT_FALSE(CloseWasPosted()) << c.pszAnswer;
  }
}

// A replay that cannot be saved does not end the play.
TEST_F(WindowRequests, AFailedReplaySaveDoesNotClose) {
  g_WindowRequests.pfnSaveReplay = &FailingReplaySave;
  Answers("file:user_data\\rpl4\\mine.rpl4_667,cancel");
  for (DWORD bChosen : {1u, 0u}) {
    g_bRequestDone = 0;
    MainWndOnMessage(m_hWnd, UM_SAVEREPLAY, 1, 0);
    EXPECT_EQ(g_bRequestDone.load(), 1u);
    EXPECT_EQ(g_bFileChosen.load(), bChosen);
    EXPECT_FALSE(CloseWasPosted());
  }
}

TEST_F(WindowRequests, NameEntryOfTheOptionScreenKeepsThreeCharacters) {
  g_SceneMgr.m_nTitleChoice = 5;
  g_Option.m_szRankingName = "aaa";
  Answers("text:ＡＢＣＤ,cancel");
  g_bNameEntered = 0;
  MainWndOnMessage(m_hWnd, UM_NAMEENTRY, 0, 0);
  EXPECT_EQ(g_bNameEntered.load(), 1u);
  EXPECT_EQ(g_Option.m_szRankingName, Sjis("ＡＢＣ"));
  MainWndOnMessage(m_hWnd, UM_NAMEENTRY, 0, 0);  // cancelled: the name stays
  EXPECT_EQ(g_Option.m_szRankingName, Sjis("ＡＢＣ"));
  g_SceneMgr.m_nTitleChoice = 0;
}
