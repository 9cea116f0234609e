// The replay save keys of stage play: F1 offers the running attempt, F2 the
// one before, F1 winning when both are held; nothing in replay playback or
// where the project saves no replays; an empty buffer is refused with a
// sound at most once a second.
#include <gtest/gtest.h>

#include <vector>

#include "platform/keyboard.h"
#include "platform/messages.h"
#include "play/play_links.h"
#include "records/replay_file.h"
#include "records/system.h"
#include "shell/main_window.h"
#include "shell/scene_manager.h"
#include "shell/stage_record_links.h"

namespace {

std::vector<int> g_vSounds;
std::vector<WPARAM> g_vSaveRequests;

LRESULT SaveWndProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == UM_SAVEREPLAY) {
    g_vSaveRequests.push_back(wParam);
    g_bRequestDone = 1;
  }
  return 0;
}

class ReplaySaveKeys : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMessageLayerForTests();
    g_hWndMain = CreateMessageWindow(&SaveWndProc);
    g_PlayLinks.pfnPlaySound = [](int n) { g_vSounds.push_back(n); };
    g_System = cEdSystem();
    g_System.m_bReplaySave = 1;
    g_SceneMgr.m_nTitleChoice = 3;
    ClearKeyStates();
    // Whatever cool-down an earlier test left runs out.
    for (int i = 0; i < 60; ++i) CheckReplaySaveKeys();
    g_vSounds.clear();
    g_vSaveRequests.clear();
    for (int i = 0; i < REPLAY_BUFFER_COUNT; ++i) {
      g_ReplayKeys[i].Clear();
      KeyRecordRecordFrame(g_ReplayKeys[i], 1, 0);
    }
  }
  void TearDown() override {
    ClearKeyStates();
    g_PlayLinks = PLAYLINKS{};
    for (int i = 0; i < REPLAY_BUFFER_COUNT; ++i) g_ReplayKeys[i].Clear();
    g_hWndMain = nullptr;
    ResetMessageLayerForTests();
  }
};

}  // namespace

TEST_F(ReplaySaveKeys, TheKeysOfferTheirBuffer) {
  struct CASE {
    const char* pszWhat;
    int32_t nTitleChoice;
    uint32_t bReplaySave;
    bool bF1, bF2, bEmpty0;
    BOOL bResult;
    std::vector<WPARAM> vRequests;
    std::vector<int> vSounds;
  } cases[] = {
      {"F1: the running attempt", 3, 1, true, false, false, 1, {0}, {1}},
      {"F2: the attempt before", 3, 1, false, true, false, 1, {1}, {1}},
      {"F1 wins over F2", 0, 1, true, true, false, 1, {0}, {1}},
      {"no key", 3, 1, false, false, false, 0, {}, {}},
      {"replay playback", 4, 1, true, false, false, 0, {}, {}},
      {"the project saves no replays", 3, 0, true, false, false, 0, {}, {}},
      {"an empty buffer", 3, 1, true, false, true, 0, {}, {3}},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    SetUp();
    g_SceneMgr.m_nTitleChoice = c.nTitleChoice;
    g_System.m_bReplaySave = c.bReplaySave;
    if (c.bEmpty0) g_ReplayKeys[0].Clear();
    SetKeyState(VK_F1, c.bF1);
    SetKeyState(VK_F2, c.bF2);
    EXPECT_EQ(CheckReplaySaveKeys(), c.bResult);
    EXPECT_EQ(g_vSaveRequests, c.vRequests);
    EXPECT_EQ(g_vSounds, c.vSounds);
    TearDown();
  }
}

TEST_F(ReplaySaveKeys, AnEmptyBufferIsRefusedAtMostOnceInSixtyCalls) {
  g_ReplayKeys[1].Clear();
  SetKeyState(VK_F2, true);
  for (int i = 0; i < 60; ++i) EXPECT_EQ(CheckReplaySaveKeys(), 0);
  EXPECT_EQ(g_vSounds, std::vector<int>{3});
  CheckReplaySaveKeys();
  EXPECT_EQ(g_vSounds, (std::vector<int>{3, 3}));
  EXPECT_TRUE(g_vSaveRequests.empty());
}
