// The stage scene's replays and rankings: which play frames are recorded,
// a replay played to its end starts again from its file with its seed, the
// attempts move down the two buffers, and the result registers once under
// the name its ranking mode gives, then shows the ranking until the button.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <vector>

#include "platform/messages.h"
#include "play/live_lists.h"
#include "play/play_links.h"
#include "play/stage_records.h"
#include "play/stage_scene.h"
#include "records/data_file.h"
#include "records/option.h"
#include "records/progress.h"
#include "records/ranking.h"
#include "records/ranking_file.h"
#include "records/replay_file.h"
#include "records/system.h"
#include "tests/play/scene_fixture.h"
#include "tests/support/stage_fixtures.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr STAGESTART kFreePlay{0, 3, 2, 0, 0, 1};
constexpr STAGESTART kReplay{0, 4, 3, 0, 0, 0};
const char* const kReplayPath = "user_data\\rpl4\\t.rpl4_667";

std::vector<int> g_vSounds;
int g_nRecorded = 0;
int g_nPlayed = 0;
int g_nReplayFrames = 0;  // frames the fake record holds
int g_nLogClears = 0;
std::vector<int> g_vHighlight;  // per ranking frame drawn
int g_nFrozen = 0;
std::string g_strTyped;
int g_nDialogs = 0;
std::atomic<int> g_nCloses{0};

LRESULT RecordingWndProc(HWND, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_CLOSE) ++g_nCloses;
  return 0;
}

class StageRecords : public cSceneTest {
 protected:
  void SetUp() override {
    cSceneTest::SetUp();
    ResetMessageLayerForTests();
    g_hWndMain = CreateMessageWindow(&RecordingWndProc);
    g_nCloses = 0;
    g_vSounds.clear();
    g_nRecorded = g_nPlayed = g_nLogClears = g_nFrozen = g_nDialogs = 0;
    g_nReplayFrames = 0;
    g_vHighlight.clear();
    g_PlayLinks.pfnPlaySound = [](int n) { g_vSounds.push_back(n); };
    STAGERECORDLINKS& l = g_StageRecordLinks;
    l.pfnRecordReplayFrame = [] { ++g_nRecorded; };
    l.pfnPlayReplayFrame = []() -> BOOL { return g_nPlayed++ >= g_nReplayFrames; };
    l.pfnClearInputLogs = [] { ++g_nLogClears; };
    l.pfnEnterName = [](std::string& name) {
      ++g_nDialogs;
      name = g_strTyped;
    };
    l.pfnDrawRanking = [](int, int, int, int nHighlight) { g_vHighlight.push_back(nHighlight); };
    // The ranking display: a frame with nothing held, then a press.
    g_StageLinks.pfnFrozenFrameStart = [](PLAYERKEYS& keys) -> BOOL {
      if (++g_nFrozen >= 3) keys = PLAYERKEYS{PLAYERKEY_DECIDE, PLAYERKEY_DECIDE, 0, 0};
      return TRUE;
    };
    g_Option = cEdOption();
    g_Progress.m_strStage = "data\\stg4\\S.";
    for (int i = 0; i < REPLAY_BUFFER_COUNT; ++i) g_ReplayKeys[i].Clear();
    m_Folder.WriteFile("user_data/rpl4/.keep", "");
    m_nVersionBefore = g_nCurDataVersion;
    g_nCurDataVersion = 667;
  }
  void TearDown() override {
    cSceneTest::TearDown();
    g_StageRecordLinks = STAGERECORDLINKS{};
    g_strReplayPath.clear();
    g_nCurDataVersion = m_nVersionBefore;
    SetTimeSource(nullptr);
    g_hWndMain = nullptr;
    ResetMessageLayerForTests();
  }
  // Closes posted to the main window so far.
  static int Closes() {
    MSG msg;
    while (PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&msg);
    return g_nCloses;
  }
  cTempFolder m_Folder;
  int32_t m_nVersionBefore = 0;
};

}  // namespace

TEST_F(StageRecords, PlayFramesAreRecordedOnlyWhereTheProjectSavesReplays) {
  struct CASE {
    uint32_t bReplaySave;
    int nRecorded;
  } cases[] = {{1, 10}, {0, 0}};
  for (const CASE& c : cases) {
    g_System.m_bReplaySave = c.bReplaySave;
    g_nRecorded = 0;
    auto s = Play(kFreePlay);
    for (int i = 0; i < 10; ++i) s->Update();
    EXPECT_EQ(g_nRecorded, c.nRecorded) << c.bReplaySave;
    EXPECT_EQ(g_nPlayed, 0);
  }
}

TEST_F(StageRecords, EachRecordedAttemptMovesTheLastOneToBufferOne) {
  static DWORD s_dwNow;
  SetTimeSource([] { return s_dwNow; });
  s_dwNow = 111;
  auto s = Play(kFreePlay);
  EXPECT_EQ(g_ReplayKeys[0].m_nRandomSeed, 111u);
  EXPECT_EQ(g_nLogClears, 1);
  KeyRecordRecordFrame(g_ReplayKeys[0], 2, 1);
  g_Progress.m_nScore = 40;  // the next attempt starts with this progress
  s_dwNow = 222;
  s->SetStage(1, 0);
  EXPECT_EQ(s->m_dwSeed, 222u);
  EXPECT_EQ(g_ReplayKeys[0].m_nRandomSeed, 222u);
  EXPECT_TRUE(g_ReplayKeys[0].m_vecKeys1.empty());
  EXPECT_EQ(g_ReplayProgress[0].m_nScore, 40);
  EXPECT_EQ(g_ReplayKeys[1].m_nRandomSeed, 111u);
  ASSERT_EQ(g_ReplayKeys[1].m_vecKeys1.size(), 1u);
  EXPECT_EQ(g_ReplayProgress[1].m_nScore, 0);
  EXPECT_EQ(g_nLogClears, 2);
}

TEST_F(StageRecords, AReplayAtItsEndStartsAgainFromItsFileAndSeed) {
  cKeyRecord keys;
  keys.m_nRandomSeed = 4242;
  KeyRecordRecordFrame(keys, 2, 0);
  cEdProgress progress = g_Progress;
  progress.m_nLives = 7;
  ASSERT_TRUE(SaveReplay(keys, kReplayPath, m_Stage, m_Stage, progress));
  ASSERT_TRUE(LoadReplayForRequest(kReplayPath));
  g_nReplayFrames = 5;
  auto s = Play(kReplay);
  EXPECT_EQ(s->m_dwSeed, 4242u);
  EXPECT_EQ(g_Progress.m_nLives, 7);
  g_Progress.m_nLives = 1;
  s->m_dwSeed = 9;
  int n = 0;
  while (s->m_nState == STAGESTATE_PLAY && n < 50) {
    s->Update();
    ++n;
  }
  // Five recorded frames, then the frame that finds the end.
  EXPECT_EQ(n, 6);
  EXPECT_EQ(s->m_nState, STAGESTATE_BANNER);
  EXPECT_EQ(s->m_nPlayFrame, 0u);
  EXPECT_EQ(g_Progress.m_nLives, 7);
  EXPECT_EQ(s->m_dwSeed, 4242u);
  EXPECT_EQ(g_nRecorded, 0);
  EXPECT_EQ(Closes(), 0);

  // A file gone meanwhile cannot be read again: the program closes.
  std::remove((m_Folder.Path() + "/user_data/rpl4/t.rpl4_667").c_str());
  s->SetStage(1, 1);
  EXPECT_EQ(Closes(), 1);
}

TEST_F(StageRecords, AResultRegistersOnceUnderTheNameOfItsRankingMode) {
  struct CASE {
    const char* pszWhat;
    int32_t nMode;
    bool bByClose;      // the result closed with the button, else F3
    uint32_t bEligible;
    const char* pszName;  // registered in table 0 row 0; null: nothing
    int nDialogs;
  } cases[] = {
      {"F3, typed name", 0, false, 1, "NEW", 1},
      {"F3, the option's name", 1, false, 1, "OPT", 0},
      {"closed, typed name", 2, true, 1, "NEW", 1},
      {"closed, the option's name", 3, true, 1, "OPT", 0},
      {"closed without a place", 3, true, 0, nullptr, 0},
      {"closed in an F3 mode", 0, true, 1, nullptr, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    g_Option.m_nRankingMode = c.nMode;
    g_Option.m_szRankingName = "OPT";
    g_Progress.m_strRegName = "OLD";
    g_strTyped = "NEW";
    g_nDialogs = 0;
    g_nFrozen = 0;
    g_vSounds.clear();
    g_vHighlight.clear();
    // The game's start loads the stage's ranking: none yet.
    std::remove((m_Folder.Path() + "/user_data/free/S.rkg").c_str());
    auto s = Play(kFreePlay);
    s->m_bRankEligible = c.bEligible;
    s->m_vRankPos = {0, -1, 0, -1, -1};
    s->m_vResult = {150, 0, 300, 0, 0};
    if (c.bByClose) {
      s->CloseResultRanking();
    } else {
      s->RegisterRanking();
    }
    EXPECT_EQ(g_nDialogs, c.nDialogs);
    const cEdRankEntry& top = g_RankingSet.m_vecTable[0].m_vecEntry[0];
    if (!c.pszName) {
      EXPECT_EQ(top.m_bUsed, 0u);
      EXPECT_EQ(s->m_bRegistered, 0u);
      if (c.bByClose) {
        EXPECT_EQ(g_vSounds, std::vector<int>{1});
      }
      continue;
    }
    EXPECT_EQ(top.m_strName, c.pszName);
    EXPECT_EQ(top.m_nValue, 150);
    EXPECT_EQ(g_RankingSet.m_vecTable[2].m_vecEntry[0].m_nValue, 300);
    EXPECT_EQ(g_RankingSet.m_vecTable[1].m_vecEntry[0].m_bUsed, 0u);
    // The typed name travels with the progress for next time.
    EXPECT_EQ(g_Progress.m_strRegName, c.nDialogs ? "NEW" : "OLD");
    // Saved, with its sound; the ranking shown on the first page with the
    // new row marked, until the button pressed after the frames it was let go.
    cEdRankingSet saved;
    ASSERT_TRUE(LoadUserDataRecord(saved, 2, g_Progress.m_strStage));
    EXPECT_EQ(saved.m_vecTable[0].m_vecEntry[0].m_strName, c.pszName);
    EXPECT_EQ(g_vSounds, (std::vector<int>{16, 1}));
    EXPECT_EQ(g_vHighlight, (std::vector<int>{0, 0}));
    // Once per result.
    s->RegisterRanking();
    EXPECT_EQ(g_RankingSet.m_vecTable[0].m_vecEntry[1].m_bUsed, 0u);
  }
}

TEST_F(StageRecords, AChainedNextStageEmptiesBothReplayBuffers) {
  cEdStage next = m_Stage;
  ASSERT_TRUE(WriteStageFile(next, "data\\stg4\\S-2.stg4_000"));
  auto s = Play(kFreePlay);
  for (cKeyRecord& keys : g_ReplayKeys) KeyRecordRecordFrame(keys, 1, 0);
  g_Progress.m_bNumbered = 1;
  s->m_nNextStage = 3;  // no such file: the buffers stay
  EXPECT_EQ(s->DecideNextMode(), 0);
  EXPECT_FALSE(g_ReplayKeys[1].m_vecKeys1.empty());
  s->m_nNextStage = 2;
  EXPECT_EQ(s->DecideNextMode(), 4);
  for (const cKeyRecord& keys : g_ReplayKeys) EXPECT_TRUE(keys.m_vecKeys1.empty());
}
