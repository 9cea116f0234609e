// The stage scene: the hit-sub-step table, the banners, the ways out of
// play (time over, miss, game over, a finished stage), the stage's music
// and seed rules, the frozen-frame thread with its key wait and its close,
// and the extra lives at the end of a stage.
#include "play/stage_scene.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "base/thread_wrapper.h"
#include "platform/messages.h"
#include "play/play_links.h"
#include "records/progress.h"
#include "records/ranking.h"
#include "records/replay_file.h"
#include "records/system.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<int> g_vSounds;
std::vector<int> g_vMusic;
std::atomic<int> g_nPresents{0};
// The keys thPause reads, one entry per frozen frame (then nothing).
std::vector<PLAYERKEYS> g_vPauseKeys;
size_t g_nPauseKey = 0;

class StageScene : public ::testing::Test {
 protected:
  void SetUp() override {
    g_vSounds.clear();
    g_vMusic.clear();
    g_nPresents = 0;
    g_vPauseKeys.clear();
    g_nPauseKey = 0;
    g_PlayLinks.pfnPlaySound = [](int n) { g_vSounds.push_back(n); };
    g_PlayLinks.pfnPlayBgm = [](int, int n) { g_vMusic.push_back(n); };
    g_StageLinks.pfnPresent = [] { ++g_nPresents; };
    g_StageLinks.pfnFrozenFrameStart = [](PLAYERKEYS& keys) -> BOOL {
      if (g_nPauseKey < g_vPauseKeys.size()) keys = g_vPauseKeys[g_nPauseKey++];
      return TRUE;
    };
    ResetSceneRecords();
    m_Stage = MakeSceneStage(20);
  }
  void TearDown() override {
    g_PlayLinks = PLAYLINKS{};
    g_StageLinks = STAGELINKS{};
    SetTimeSource(nullptr);
  }

  // A free-play scene (title choice 3, not started from a file) on m_Stage.
  std::unique_ptr<cSceneStage> MakeScene(STAGESTART start = kSceneStart) {
    g_Stage = m_Stage;
    g_StageCopy = m_Stage;
    return std::make_unique<cSceneStage>(start);
  }
  // Updates until the state is nState (at most nMax frames); the frames run.
  static int RunUntil(cSceneStage& s, int nState, int nMax = 2000) {
    int n = 0;
    while (s.m_nState != nState && n < nMax) {
      s.Update();
      ++n;
    }
    return n;
  }
  static int Count(const std::vector<int>& v, int x) { return static_cast<int>(std::count(v.begin(), v.end(), x)); }

  cEdStage m_Stage;
};

}  // namespace

TEST_F(StageScene, BannersShowSeventyNineFramesEach) {
  struct CASE {
    const char* pszWhat;
    uint32_t bNumber, bStart;
    STAGESTART start;
    int nFrames;  // banner frames before play
  } cases[] = {
      {"both", 1, 1, {0, 3, 2, 0, 0, 0}, 158},
      {"number", 1, 0, {0, 3, 2, 0, 0, 0}, 79},
      {"start", 0, 1, {0, 3, 2, 0, 0, 0}, 79},
      {"none", 0, 0, {0, 3, 2, 0, 0, 0}, 0},
      {"editor link on a stage file", 1, 1, {0, 3, 2, 1, 1, 0}, 0},
      {"replay", 0, 0, {0, 4, 3, 0, 0, 0}, 79},
  };
  for (const CASE& c : cases) {
    m_Stage.m_bStageNoBanner = c.bNumber;
    m_Stage.m_bStartBanner = c.bStart;
    auto s = MakeScene(c.start);
    s->Update();  // Init, then the fade-in, which ends at once without a fade link
    ASSERT_EQ(s->m_nState, STAGESTATE_BANNER) << c.pszWhat;
    // The frame that leaves for play draws no banner.
    EXPECT_EQ(RunUntil(*s, STAGESTATE_PLAY), c.nFrames + 1) << c.pszWhat;
    EXPECT_EQ(s->m_anBanner[0], 0) << c.pszWhat;
  }
}

TEST_F(StageScene, TimeOverIsAMissThatCostsALifeUntilGameOver) {
  m_Stage.m_bTimeLimit = 1;
  m_Stage.m_nTimeLimit = 1;
  g_Progress.m_nLivesStart = 2;
  auto s = MakeScene();
  RunUntil(*s, STAGESTATE_PLAY);
  EXPECT_EQ(g_Progress.m_nLives, 1);  // the first attempt took one
  EXPECT_EQ(s->m_Timer.nTime, 1);

  // Sixty play frames use up the second; the defeat frame is not drawn.
  for (int i = 0; i < 60; ++i) s->Update();
  EXPECT_EQ(s->m_Timer.nTime, 0);
  EXPECT_TRUE(s->Player1Defeated());
  EXPECT_EQ(Count(g_vSounds, 8), 1);
  EXPECT_EQ(s->m_nState, STAGESTATE_PLAY);
  // The next drawn frame settles the miss: a life, the stage set up again.
  s->Update();
  EXPECT_EQ(s->m_nState, STAGESTATE_BANNER);
  EXPECT_EQ(g_Progress.m_nLives, 0);
  EXPECT_EQ(s->m_Timer.nTime, 1);
  EXPECT_EQ(s->m_nPlayFrame, 0u);
  EXPECT_FALSE(s->Player1Defeated());

  // No life left: game over, and the frozen frames after it take nothing.
  RunUntil(*s, STAGESTATE_PLAY);
  RunUntil(*s, STAGESTATE_GAMEOVER, 200);
  ASSERT_EQ(s->m_nState, STAGESTATE_GAMEOVER);
  for (int i = 0; i < 100; ++i) s->Update();
  EXPECT_EQ(s->m_nState, STAGESTATE_GAMEOVER);
  EXPECT_EQ(g_Progress.m_nLives, 0);
}

TEST_F(StageScene, AStageFileNeverRunsOutOfLives) {
  m_Stage.m_bTimeLimit = 1;
  m_Stage.m_nTimeLimit = 1;
  g_Progress.m_nLivesStart = 1;
  auto s = MakeScene({0, 3, 2, 1, 0, 0});
  for (int nMiss = 0; nMiss < 3; ++nMiss) {
    RunUntil(*s, STAGESTATE_PLAY);
    RunUntil(*s, STAGESTATE_BANNER, 200);
    EXPECT_EQ(s->m_nState, STAGESTATE_BANNER);
  }
  EXPECT_EQ(g_Progress.m_nLives, 1);
}

TEST_F(StageScene, TheStageEndRequestFinishesBeforeTheResult) {
  m_Stage.m_bResultAutoClose = 1;
  m_Stage.m_bClearBanner = 1;
  auto s = MakeScene();
  RunUntil(*s, STAGESTATE_PLAY);
  g_Progress.m_nScore = 500;
  s->m_nStageEnd = 1;
  s->Update();
  EXPECT_EQ(s->m_nState, STAGESTATE_RESULT);
  EXPECT_EQ(Count(g_vSounds, 14), 1);
  EXPECT_EQ(g_Progress.m_nTotalScore, 500);
  // With the clear banner an auto-closing result closes in its 51st frame;
  // free play plays the stage again.
  for (int i = 0; i < 50; ++i) s->Update();
  EXPECT_EQ(s->m_nState, STAGESTATE_RESULT);
  s->Update();
  EXPECT_EQ(s->m_nState, STAGESTATE_END);
  EXPECT_EQ(s->m_nNextMode, 4);
  RunUntil(*s, -1, 5);
  EXPECT_TRUE(s->m_bModeDone);
  EXPECT_EQ(s->m_nTargetFps, 60);
}

TEST_F(StageScene, MusicRulesOfAStageStart) {
  struct CASE {
    BOOL bRestart;
    uint32_t bKeep;
    int nPlaying;
    uint32_t nStageMusic;
    std::vector<int> expected;
  } cases[] = {
      {0, 0, 1, 1, {}},   // the same piece goes on
      {0, 0, 2, 1, {1}},
      {1, 0, 1, 1, {1}},  // started again from the start
      {1, 1, 1, 1, {}},   // kept
      {1, 1, 0, 0, {0}},  // a kept silence stops what may still sound
      {1, 1, 2, 1, {1}},
  };
  static int s_nPlaying;
  g_StageLinks.pfnPlayingBgm = [] { return s_nPlaying; };
  for (const CASE& c : cases) {
    m_Stage.m_bKeepBgm = c.bKeep;
    m_Stage.m_nBgm = c.nStageMusic;
    s_nPlaying = c.nPlaying;
    auto s = MakeScene();
    g_vMusic.clear();
    s->SetStage(1, c.bRestart);
    EXPECT_EQ(g_vMusic, c.expected) << c.bRestart << c.bKeep << c.nPlaying << c.nStageMusic;
  }
}

TEST_F(StageScene, ANewSeedOnlyWhereAttemptsAreRecorded) {
  static DWORD s_dwNow;
  SetTimeSource([] { return s_dwNow; });
  auto s = MakeScene();
  s->m_dwSeed = 77;
  s_dwNow = 1234;
  g_System.m_bReplaySave = 0;
  s->SetStage(1, 0);
  EXPECT_EQ(s->m_dwSeed, 77u);
  g_System.m_bReplaySave = 1;
  s->SetStage(1, 0);
  EXPECT_EQ(s->m_dwSeed, 1234u);
  // Replay playback takes the seed of the record it plays.
  auto r = MakeScene({0, 4, 3, 0, 0, 0});
  g_ReplayKeys[0].m_nRandomSeed = 5;
  r->SetStage(1, 0);
  EXPECT_EQ(r->m_dwSeed, 5u);
}

TEST_F(StageScene, PauseWaitDelaysOnlyAKeyWaitOfKindOne) {
  struct CASE {
    int nKind, bWaitKey, bNoDelay, nDelay;
  } cases[] = {{1, 1, 0, 10}, {1, 1, 1, 0}, {4, 1, 0, 0}, {1, 0, 0, 0}};
  auto s = MakeScene();
  for (const CASE& c : cases) {
    s->SetPauseWait(c.nKind, c.bWaitKey, 30, c.bNoDelay);
    EXPECT_EQ(s->m_Wait.nDelay, c.nDelay) << c.nKind << c.bWaitKey << c.bNoDelay;
  }
}

TEST_F(StageScene, PauseThreadDrawsItsFramesOrWaitsForAFreshKey) {
  auto s = MakeScene();
  s->Update();
  s->SetPauseWait(4, 0, 30, 0);
  EXPECT_TRUE(s->StartPauseThread());
  EXPECT_EQ(g_nPresents, 30);

  // A decision button still held from before does not end the wait; a new
  // press does, after the ten frames of delay of kind 1.
  g_nPresents = 0;
  PLAYERKEYS held{PLAYERKEY_DECIDE, PLAYERKEY_DECIDE, PLAYERKEY_DECIDE, 0};
  PLAYERKEYS none{};
  PLAYERKEYS fresh{PLAYERKEY_DECIDE, PLAYERKEY_DECIDE, 0, 0};
  g_vPauseKeys.assign(10, none);
  g_vPauseKeys.push_back(held);
  g_vPauseKeys.push_back(none);
  g_vPauseKeys.push_back(fresh);
  g_vSounds.clear();
  s->m_bKeySwallow = 0;
  s->SetPauseWait(1, 1, 0, 0);
  EXPECT_TRUE(s->StartPauseThread());
  EXPECT_EQ(g_nPresents, 12);
  EXPECT_EQ(g_vSounds, std::vector<int>{12});
  EXPECT_EQ(s->m_bKeySwallow, 1u);
}

TEST_F(StageScene, ExtraLivesAtTheEndOfAStage) {
  struct CASE {
    const char* pszWhat;
    int32_t nLives, nTotal, nScore;
    uint32_t nStep;
    int32_t nLivesAfter;
    int nDisplays;
    int32_t nTotalAfter;
  } cases[] = {
      {"two steps crossed", 3, 900, 1200, 1000, 5, 2, 2100},
      {"at the cap", 99, 0, 1000, 1000, 99, 1, 1000},
      {"unlimited", kUnlimitedLives, 0, 5000, 1000, kUnlimitedLives, 0, 5000},
      {"no step crossed", 3, 100, 100, 1000, 3, 0, 200},
      // A step of 1 under a big score: every life is given, but the game
      // is not held for hours of displays.
      {"huge count", 3, 0, 100000, 1, 99, 99, 100000},
      // The total keeps to six digits, and what it cannot count gives no
      // life.
      {"total at its cap", 3, 999000, 5000, 1000, 3, 0, 999999},
  };
  auto s = MakeScene();
  g_System.m_bExtendOn = 1;
  for (const CASE& c : cases) {
    g_System.m_nExtendScore = c.nStep;
    g_Progress.m_nLives = c.nLives;
    g_Progress.m_nTotalScore = c.nTotal;
    g_Progress.m_nScore = c.nScore;
    g_vSounds.clear();
    g_nPresents = 0;
    s->AddStageTotals();
    EXPECT_EQ(g_Progress.m_nLives, c.nLivesAfter) << c.pszWhat;
    EXPECT_EQ(Count(g_vSounds, 15), c.nDisplays) << c.pszWhat;
    EXPECT_EQ(g_nPresents, 30 * c.nDisplays) << c.pszWhat;
    EXPECT_EQ(g_Progress.m_nTotalScore, c.nTotalAfter) << c.pszWhat;
  }
}

namespace {

std::atomic<int> s_nCloses{0};
LRESULT RecordingWndProc(HWND, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_CLOSE) ++s_nCloses;
  return 0;
}

}  // namespace

TEST_F(StageScene, CloseDuringThePauseThreadClosesAgainInOrder) {
  struct CASE {
    const char* pszWhat;
    bool bQuitPosted;  // the window thread's WM_QUIT arrives
  } cases[] = {{"with WM_QUIT", true}, {"WM_QUIT lost", false}};
  for (const CASE& c : cases) {
    ResetMessageLayerForTests();
    HWND hWnd = CreateMessageWindow(&RecordingWndProc);
    g_hWndMain = hWnd;
    s_nCloses = 0;
    // The lost WM_QUIT is made up by the thread itself after 2 s of the
    // clock, which runs fast here.
    static std::atomic<DWORD> s_dwNow{0};
    s_dwNow = 0;
    SetTimeSource([] { return s_dwNow += 50; });
    auto s = MakeScene();
    s->Update();
    s->SetPauseWait(4, 1, 0, 0);  // a key wait that no key ends
    std::atomic<int> nResult{-1};
    std::thread game([&] { nResult = s->StartPauseThread() ? 1 : 0; });
    while (!thPause.m_hThread) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(RequestStageClose());
    if (c.bQuitPosted) PostThreadMessage(thPause.m_dwThreadId, WM_QUIT, 0, 0);
    game.join();
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.pszWhat;
    EXPECT_EQ(nResult, 0) << c.pszWhat;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    EXPECT_EQ(s_nCloses, 1) << c.pszWhat;
    // The next play frame closes again as well.
    s->m_nState = STAGESTATE_PLAY;
    s->Update();
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    EXPECT_EQ(s_nCloses, 2) << c.pszWhat;
    s.reset();
    EXPECT_FALSE(RequestStageClose());
    g_hWndMain = nullptr;
    ResetMessageLayerForTests();
  }
}

TEST_F(StageScene, AFinishedStageTakesTheRankingPlacesItsSwitchesAllow) {
  struct CASE {
    const char* pszWhat;
    STAGESTART start;
    std::vector<int32_t> positions;
    uint32_t bEligible;
  } cases[] = {
      // A stage file ranks whatever the game's switch; score and clear time
      // are switched on for free play and for the stage.
      {"stage file", {0, 3, 2, 1, 0, 0}, {0, -1, 0, -1, -1}, 1},
      {"editor link", {0, 3, 2, 1, 1, 0}, {-1, -1, -1, -1, -1}, 0},
      {"ranking off", {0, 3, 2, 0, 0, 0}, {-1, -1, -1, -1, -1}, 0},
  };
  g_System.m_vecRankingSwitch.assign(4, cEdRankingSwitch());
  g_System.m_vecRankingSwitch[2].Flags().assign({1, 1, 1, 0, 0});
  m_Stage.m_vecRankingSwitch.assign({1, 0, 1, 1, 1});
  ResetRanking(g_RankingSet);
  for (const CASE& c : cases) {
    auto s = MakeScene(c.start);
    s->Update();
    g_Progress.m_nScore = 100;
    s->FinishStage();
    EXPECT_EQ(s->m_vRankPos, c.positions) << c.pszWhat;
    EXPECT_EQ(s->m_bRankEligible, c.bEligible) << c.pszWhat;
    if (c.start.bFreeStage) {
      EXPECT_EQ(s->m_vResult[0], g_Progress.m_nTotalScore) << c.pszWhat;
    }
  }
}

namespace {

// Player 1's keys of the next frames, one entry each (then nothing).
std::vector<PLAYERKEYS> g_vFrameKeys;
size_t g_nFrameKey = 0;

void FeedKeys(std::initializer_list<PLAYERKEYS> keys) {
  g_vFrameKeys = keys;
  g_nFrameKey = 0;
  g_StageLinks.pfnReadKeys = [](PLAYERKEYS& k) {
    if (g_nFrameKey < g_vFrameKeys.size()) k = g_vFrameKeys[g_nFrameKey++];
  };
}

constexpr PLAYERKEYS kNone{};
constexpr PLAYERKEYS kDecide{PLAYERKEY_DECIDE, PLAYERKEY_DECIDE, 0, 0};
constexpr PLAYERKEYS kCancel{PLAYERKEY_CANCEL, PLAYERKEY_CANCEL, 0, 0};
constexpr PLAYERKEYS kDown{0, 0, 0, 8};

}  // namespace

TEST_F(StageScene, PauseMenuRowsAndWhereEachLeads) {
  struct CASE {
    const char* pszWhat;
    STAGESTART start;
    std::initializer_list<PLAYERKEYS> keys;
    int nState;      // after the keys
    int nNextMode;   // -1: not changed
    int nCloses;     // WM_CLOSE posted
    int bCleared = 0;  // the story point or challenge course was cleared before
  } cases[] = {
      {"continue", {0, 3, 2, 0, 0, 0}, {kDecide}, STAGESTATE_RESULT, -1, 0},
      {"cancel", {0, 3, 2, 0, 0, 0}, {kCancel}, STAGESTATE_RESULT, -1, 0},
      {"retry", {0, 3, 2, 0, 0, 0}, {kDown, kDecide}, STAGESTATE_BANNER, -1, 0},
      // Down twice wraps over the three rows to give up.
      {"give up", {0, 3, 2, 0, 0, 0}, {kDown, kDown, kDecide}, STAGESTATE_END, 0, 0},
      {"give up a stage file", {0, 3, 2, 1, 0, 0}, {kDown, kDown, kDecide}, STAGESTATE_END, -1, 1},
      // Replay playback has two rows: down once reaches give up.
      {"give up a replay", {0, 4, 3, 0, 0, 0}, {kDown, kDecide}, STAGESTATE_END, 0, 0},
      // Story and challenge play offer Retry only for what was cleared
      // before: down once reaches Retry in three rows, Give up in two.
      {"story, a point not cleared yet", {0, 0, 0, 0, 0, 0}, {kDown, kDecide}, STAGESTATE_END, 0, 0},
      {"story, a point cleared before", {0, 0, 0, 0, 0, 0}, {kDown, kDecide}, STAGESTATE_BANNER, -1, 0, 1},
      {"challenge, a course not cleared yet", {0, 2, 1, 0, 0, 0}, {kDown, kDecide}, STAGESTATE_END, 0, 0},
      {"challenge, a course cleared before", {0, 2, 1, 0, 0, 0}, {kDown, kDecide}, STAGESTATE_BANNER, -1, 0, 1},
  };
  // The replay's set-up reads its file again: one of this stage with a hero.
  cTempFolder folder;
  folder.WriteFile("user_data/rpl4/.keep", "");
  cEdStage withHero = m_Stage;
  cEdChara hero;
  hero.SetDefaults();
  hero.m_nType = 0;
  hero.m_nImageIndex = 1;
  hero.m_nColumn = 2;
  hero.m_nRow = 13;
  withHero.m_vecChara.push_back(hero);
  cKeyRecord keys;
  cEdProgress progress = g_Progress;
  ASSERT_TRUE(SaveReplay(keys, "user_data\\rpl4\\menu.rpl4_667", withHero, withHero, progress));
  g_strReplayPath = "user_data\\rpl4\\menu.rpl4_667";
  for (const CASE& c : cases) {
    ResetMessageLayerForTests();
    g_hWndMain = CreateMessageWindow(&RecordingWndProc);
    s_nCloses = 0;
    g_Progress.m_nClearFlag = 3;
    g_Progress.m_vFlag.assign(8, 0);
    g_Progress.m_vFlag[3] = static_cast<uint32_t>(c.bCleared);
    g_Progress.m_vChallenge.assign(4, cEdValuePair());
    g_Progress.m_vChallenge[2].m_nFirst = static_cast<uint32_t>(c.bCleared);
    auto s = MakeScene(c.start);
    s->Update();
    s->m_nNextMode = -1;
    s->m_nSavedState = STAGESTATE_RESULT;
    s->m_nSavedSubState = 1;
    s->m_nState = STAGESTATE_PAUSEMENU;
    s->m_nSubState = 0;
    FeedKeys(c.keys);
    for (size_t i = 0; i < c.keys.size(); ++i) s->Update();
    EXPECT_EQ(s->m_nState, c.nState) << c.pszWhat;
    EXPECT_EQ(s->m_nNextMode, c.nNextMode) << c.pszWhat;
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    EXPECT_EQ(s_nCloses, c.nCloses) << c.pszWhat;
    s.reset();
    g_hWndMain = nullptr;
    ResetMessageLayerForTests();
  }
  g_strReplayPath.clear();
}

TEST_F(StageScene, StoryMissMenuRetriesOrLeavesForTheWorldMap) {
  m_Stage.m_bTimeLimit = 1;
  m_Stage.m_nTimeLimit = 1;
  g_System.m_bStoryMissMenu = 1;
  for (bool bRetry : {true, false}) {
    auto s = MakeScene({0, 0, 0, 0, 0, 0});
    RunUntil(*s, STAGESTATE_PLAY);
    RunUntil(*s, STAGESTATE_MISSMENU, 200);
    ASSERT_EQ(s->m_nState, STAGESTATE_MISSMENU);
    // Frozen frames in the menu take no further life.
    const int32_t nLives = g_Progress.m_nLives;
    FeedKeys({kNone, kNone});
    s->Update();
    s->Update();
    EXPECT_EQ(g_Progress.m_nLives, nLives);
    if (bRetry) {
      FeedKeys({kDecide});
      s->Update();
      EXPECT_EQ(s->m_nState, STAGESTATE_BANNER);
      EXPECT_FALSE(s->Player1Defeated());
    } else {
      FeedKeys({kDown, kDecide});
      s->Update();
      s->Update();
      EXPECT_EQ(s->m_nState, STAGESTATE_END);
      EXPECT_EQ(s->m_nNextMode, 1);
      EXPECT_EQ(g_Progress.m_bLeftStage, 1);
    }
  }
}

TEST_F(StageScene, FrozenFramesNeverSettleAMiss) {
  auto s = MakeScene();
  RunUntil(*s, STAGESTATE_PLAY);
  const int32_t nLives = g_Progress.m_nLives;
  s->m_bPlayer1Defeated = 1;
  // A defeat that finished the stage: the extra-life display draws while
  // the play frame is still in its step.
  s->SetPauseWait(4, 0, 5, 0);
  EXPECT_TRUE(s->StartPauseThread());
  EXPECT_EQ(g_nPresents, 5);
  EXPECT_EQ(s->m_nState, STAGESTATE_PLAY);
  EXPECT_EQ(g_Progress.m_nLives, nLives);
  EXPECT_TRUE(s->Player1Defeated());
}

// What an attempt changed in the common variables and the run's score
// value: a miss puts it back as the project's restore setting for the play
// says (a stage named at start-up has its own), a retry always.
TEST_F(StageScene, TheStartStatusComesBackAfterAMissOrARetry) {
  struct CASE {
    const char* pszWhat;
    STAGESTART start;
    uint32_t nFree, nTest;  // the restore settings of free play and of a stage file
    bool bRetry;
    int32_t nVarAfter;
  } cases[] = {
      {"miss, free play restores", {0, 3, 2, 0, 0, 0}, 1, 0, false, 0},
      {"miss, free play keeps the variables", {0, 3, 2, 0, 0, 0}, 0, 1, false, 7},
      {"miss, a stage file by its own setting", {0, 3, 2, 1, 0, 0}, 0, 1, false, 0},
      {"retry restores whatever the setting", {0, 3, 2, 0, 0, 0}, 0, 0, true, 0},
  };
  m_Stage.m_bTimeLimit = 1;
  m_Stage.m_nTimeLimit = 1;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    g_System.m_nResetStatusFree = c.nFree;
    g_System.m_nResetStatusTest = c.nTest;
    g_Progress.m_vVar.assign(8, 0);
    auto s = MakeScene(c.start);
    RunUntil(*s, STAGESTATE_PLAY);
    const int32_t nRankAtStart = g_Progress.m_nRankValue0;
    // The attempt changes them (as its flows would).
    g_Progress.m_vVar[1] = 7;
    g_Progress.m_nRankValue0 = 99;
    if (c.bRetry) {
      s->m_nSavedState = STAGESTATE_PLAY;
      s->m_nState = STAGESTATE_PAUSEMENU;
      s->m_nSubState = 0;
      FeedKeys({kDown, kDecide});
      s->Update();
      s->Update();
    } else {
      RunUntil(*s, STAGESTATE_BANNER, 200);
    }
    ASSERT_EQ(s->m_nState, STAGESTATE_BANNER);
    EXPECT_EQ(g_Progress.m_vVar[1], c.nVarAfter);
    EXPECT_EQ(g_Progress.m_nRankValue0, nRankAtStart);
  }
}
