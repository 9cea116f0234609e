#include "shell/scene_manager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/graphics/dd_effects.h"
#include "platform/messages.h"
#include "shell/game_loop.h"
#include "shell/mode_scenes.h"

namespace {

// What the recording scenes saw, in order: "+N" built, "-N" deleted, "iN"
// initialised, "uN" updated.
std::vector<std::string> s_Log;
// A mode whose scene throws a text while it is built (-1: none).
int s_nThrowOnBuild = -1;
int s_nThrowOnInit = -1;

class cRecordingScene : public cScene {
 public:
  explicit cRecordingScene(int nMode) : m_nMode(nMode) { s_Log.push_back("+" + std::to_string(nMode)); }
  ~cRecordingScene() override { s_Log.push_back("-" + std::to_string(m_nMode)); }
  void Init() override {
    s_Log.push_back("i" + std::to_string(m_nMode));
    if (m_nMode == s_nThrowOnInit) throw std::string("init failed");
  }
  void Update() override {
    InitOnce();
    s_Log.push_back("u" + std::to_string(m_nMode));
  }
  int m_nMode;
};

cScene* MakeRecordingScene(int nMode) {
  if (nMode == s_nThrowOnBuild) throw "no scene";
  if (nMode < 0 || nMode >= GAMEMODE_COUNT) return nullptr;
  return new cRecordingScene(nMode);
}

class SceneManager : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMessageLayerForTests();
    m_hWnd = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
    g_hWndMain = m_hWnd;
    SetSceneMakerForTests(&MakeRecordingScene);
    DeleteAllScenes();
    s_Log.clear();
    s_nThrowOnBuild = s_nThrowOnInit = -1;
    g_SceneMgr.m_nMode = GAMEMODE_TITLE;
  }
  void TearDown() override {
    DeleteAllScenes();
    SetSceneMakerForTests(nullptr);
    g_hWndMain = nullptr;
    ResetMessageLayerForTests();
  }
  bool CloseWasPosted() {
    MSG m;
    return PeekMessage(&m, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE) != 0;
  }
  void BuildAll() {
    DeleteAllScenes();
    for (int i = 0; i < GAMEMODE_COUNT; ++i) {
      cScene* s = new cRecordingScene(i);
      switch (i) {
        case 0: g_SceneMgr.m_lpTitle = s; break;
        case 1: g_SceneMgr.m_lpWorldMap = s; break;
        case 2: g_SceneMgr.m_lpSave = s; break;
        case 3: g_SceneMgr.m_lpChallenge = s; break;
        case 4: g_SceneMgr.m_lpStage = s; break;
        case 5: g_SceneMgr.m_lpOption = s; break;
      }
    }
    s_Log.clear();
  }
  HWND m_hWnd = nullptr;
};

}  // namespace

// The order scenes are deleted in is SetMode's own, not the slot order.
TEST_F(SceneManager, SetModeDeletesTheOthersInItsOrderAndKeepsTheCurrent) {
  struct CASE {
    int nMode;
    std::vector<std::string> log;
  } cases[] = {
      {0, {"-2", "-1", "-3", "-4", "-5"}},
      {4, {"-0", "-2", "-1", "-3", "-5"}},
      {5, {"-0", "-2", "-1", "-3", "-4"}},
      {6, {"-0", "-2", "-1", "-3", "-4", "-5"}},
      {-1, {"-0", "-2", "-1", "-3", "-4", "-5"}},
  };
  for (const CASE& c : cases) {
    BuildAll();
    SetMode(c.nMode);
    EXPECT_EQ(s_Log, c.log) << c.nMode;
    for (int i = 0; i < GAMEMODE_COUNT; ++i) EXPECT_EQ(g_SceneMgr.SceneOf(i) != nullptr, i == c.nMode) << c.nMode;
    DeleteAllScenes();
  }
}

TEST_F(SceneManager, SetModeBuildsOnlyAMissingSceneAndDeleteAllUsesSlotOrder) {
  SetMode(GAMEMODE_OPTION);
  cScene* lpOption = g_SceneMgr.m_lpOption;
  SetMode(GAMEMODE_OPTION);
  EXPECT_EQ(g_SceneMgr.m_lpOption, lpOption);
  EXPECT_EQ(s_Log, std::vector<std::string>({"+5"}));

  BuildAll();
  DeleteAllScenes();
  EXPECT_EQ(s_Log, std::vector<std::string>({"-0", "-1", "-2", "-3", "-5", "-4"}));
  s_Log.clear();
  DeleteAllScenes();  // the second call of the exit finds nothing
  EXPECT_TRUE(s_Log.empty());
}

// Leaving the title for the options and coming back builds a new title that
// initialises again; a mode outside 0..5 builds and updates nothing.
TEST_F(SceneManager, FramesFollowTheModeAndANewSceneInitialisesAgain) {
  ASSERT_TRUE(GameFrame());
  ASSERT_TRUE(GameFrame());
  g_SceneMgr.m_nMode = GAMEMODE_OPTION;
  ASSERT_TRUE(GameFrame());
  g_SceneMgr.m_nMode = 9;
  ASSERT_TRUE(GameFrame());
  g_SceneMgr.m_nMode = GAMEMODE_TITLE;
  ASSERT_TRUE(GameFrame());
  EXPECT_EQ(s_Log, std::vector<std::string>(
                       {"+0", "i0", "u0", "u0", "-0", "+5", "i5", "u5", "-5", "+0", "i0", "u0"}));
  EXPECT_EQ(g_SceneMgr.m_lpTitle->m_nPhase, 0);
  EXPECT_FALSE(CloseWasPosted());
}

// A text thrown while a scene is built or initialised closes the program in
// order; the frame itself goes on.
TEST_F(SceneManager, ATextThrownByASceneClosesInOrder) {
  s_nThrowOnBuild = GAMEMODE_TITLE;
  EXPECT_TRUE(GameFrame());
  EXPECT_EQ(g_SceneMgr.m_lpTitle, nullptr);
  EXPECT_TRUE(CloseWasPosted());

  s_nThrowOnBuild = -1;
  s_nThrowOnInit = GAMEMODE_TITLE;
  s_Log.clear();
  EXPECT_TRUE(GameFrame());
  EXPECT_EQ(s_Log, std::vector<std::string>({"+0", "i0", "u0"}));
  EXPECT_EQ(g_SceneMgr.m_lpTitle->m_nPhase, 0);  // Init is not tried again
  EXPECT_TRUE(CloseWasPosted());
}

TEST_F(SceneManager, StandInScenesExistForEveryMode) {
  // The fade step start-up sets: a step of 0 would end the fade at once.
  const int32_t nOldStep = g_SceneMgr.m_nFadeStep;
  g_SceneMgr.m_nFadeStep = 10;
  DDResetFadesForTests();
  for (int i = 0; i < GAMEMODE_COUNT; ++i) {
    cScene* s = MakeModeScene(i);
    ASSERT_NE(s, nullptr);
    s->Update();  // no graphics: initialises and draws nothing
    if (i == GAMEMODE_STAGE) {
      // The stage scene's phase is its state; without a fade link the
      // fade-in is over at once.
      EXPECT_GE(s->m_nPhase, 0);
    } else {
      EXPECT_EQ(s->m_nPhase, 0);
    }
    delete s;
  }
  DDResetFadesForTests();
  g_SceneMgr.m_nFadeStep = nOldStep;
  EXPECT_EQ(MakeModeScene(6), nullptr);
}
