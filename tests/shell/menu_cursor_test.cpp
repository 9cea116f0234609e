// The menu cursors: the cursor stack, the wrapping grid, the scrolling
// list, the cursor sound, the fades' timing and the common menu frame.
#include "shell/menu_cursor.h"

#include <gtest/gtest.h>

#include <vector>

#include "media/sound/sound_effects.h"
#include "platform/messages.h"
#include "shell/player_input.h"

namespace {

std::vector<int> s_Played;
void RecordPlay(int nIndex) { s_Played.push_back(nIndex); }

class MenuCursor : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMenuState();
    s_Played.clear();
    m_Sounds.assign(kSystemSoundCount, SOUNDDATA{});
    g_SoundList = &m_Sounds;
    SetSoundPlayHookForTests(&RecordPlay);
  }
  void TearDown() override {
    SetSoundPlayHookForTests(nullptr);
    g_SoundList = nullptr;
    ResetMenuState();
  }
  cVector<SOUNDDATA> m_Sounds;
};

constexpr uint16_t L = INPUT_LEFT, R = INPUT_RIGHT, U = INPUT_UP, D = INPUT_DOWN;

}  // namespace

TEST_F(MenuCursor, StackPushAndPopKeepEachLevelsCursor) {
  CurrentMenuState() = MENUSTATE{1, 2, 3, 4};
  StackPushCopy(0);
  ASSERT_EQ(g_MenuState.vecState.size(), 2u);
  EXPECT_EQ(g_MenuState.lpCurrent, &g_MenuState.vecState[1]);
  EXPECT_EQ(g_MenuState.lpPrevious, &g_MenuState.vecState[0]);
  EXPECT_EQ(CurrentMenuState().nRow, 0);
  CurrentMenuState() = MENUSTATE{5, 6, 7, 8};

  StackPop(1);  // the lower cursor comes back unchanged
  EXPECT_EQ(g_MenuState.vecState.size(), 1u);
  EXPECT_EQ(g_MenuState.lpPrevious, nullptr);
  EXPECT_EQ(CurrentMenuState().nRow, 2);
  EXPECT_EQ(CurrentMenuState().nY, 4);

  StackPushCopy(1);  // a copy of the level below
  EXPECT_EQ(CurrentMenuState().nX, 3);
  CurrentMenuState() = MENUSTATE{5, 6, 7, 8};
  StackPop(2);  // the lower level takes the popped cursor
  EXPECT_EQ(CurrentMenuState().nCol, 5);
  EXPECT_EQ(CurrentMenuState().nY, 8);

  StackPushCopy(0);
  StackPop(0);  // cleared
  EXPECT_EQ(CurrentMenuState().nCol, 0);
  EXPECT_EQ(CurrentMenuState().nY, 0);

  CurrentMenuState() = MENUSTATE{1, 1, 1, 1};
  StackPop(0);  // one record only: nothing happens
  EXPECT_EQ(g_MenuState.vecState.size(), 1u);
  EXPECT_EQ(CurrentMenuState().nCol, 1);
}

TEST_F(MenuCursor, StackPointersFollowTheStorageAcrossManyPushes) {
  for (int i = 0; i < 40; ++i) {
    StackPushCopy(1);
    CurrentMenuState().nRow = i;
  }
  EXPECT_EQ(g_MenuState.lpCurrent, &g_MenuState.vecState.back());
  EXPECT_EQ(g_MenuState.lpPrevious->nRow, 38);
  EXPECT_EQ(g_MenuState.nCurrent, 40);
}

TEST_F(MenuCursor, GridWrapsRowsThenColumns) {
  struct CASE {
    int col, row;
    uint16_t keys;
    int cols, rows;
    int wantCol, wantRow, wantX, wantY;
  };
  const CASE cases[] = {
      {0, 1, L | D, 3, 2, 2, 0, 100 + 2 * 50, 40 + 0 * 32},  // both wrap
      {2, 0, R, 3, 2, 0, 0, 100, 40},
      {0, 0, U, 1, 7, 0, 6, 100, 40 + 6 * 32},   // up on the first row: the last
      {0, 6, D, 1, 7, 0, 0, 100, 40},            // down on the last: the first
      {1, 1, L | R | U | D, 3, 3, 0, 0, 100, 40},  // left and up win
      {0, 5, 0, 1, 3, 0, 0, 100, 40},            // a row beyond the menu wraps to 0
      {0, 5, D, 1, 3, 0, 0, 100, 40},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "col " << c.col << " row " << c.row << " keys " << c.keys);
    CurrentMenuState() = MENUSTATE{c.col, c.row, -1, -1};
    CursorMoveGrid(&c.keys, 100, 40, 50, 32, c.cols, c.rows);
    const MENUSTATE& m = CurrentMenuState();
    EXPECT_EQ(m.nCol, c.wantCol);
    EXPECT_EQ(m.nRow, c.wantRow);
    EXPECT_EQ(m.nX, c.wantX);
    EXPECT_EQ(m.nY, c.wantY);
  }
  // A negative size leaves the cursor alone.
  CurrentMenuState() = MENUSTATE{1, 1, 9, 9};
  const uint16_t keys = D;
  CursorMoveGrid(&keys, 0, 0, 10, 10, -1, 3);
  EXPECT_EQ(CurrentMenuState().nRow, 1);
  EXPECT_EQ(CurrentMenuState().nX, 9);
}

TEST_F(MenuCursor, ListScrollsPagesAndClamps) {
  struct CASE {
    const char* name;
    int index, top;
    uint16_t keys;
    int visible, count;
    bool paging;
    int wantIndex, wantTop;
  };
  const CASE cases[] = {
      {"down past the window scrolls", 3, 0, D, 4, 10, false, 4, 1},
      {"down inside the window", 1, 0, D, 4, 10, false, 2, 0},
      {"up above the window scrolls", 4, 4, U, 4, 10, false, 3, 3},
      {"up on the first item stays", 0, 0, U, 4, 10, false, 0, 0},
      {"down on the last item stays", 9, 6, D, 4, 10, false, 9, 6},
      {"page right on the last page", 7, 6, R, 4, 10, true, 9, 6},
      {"page right", 2, 1, R, 4, 10, true, 5, 4},
      {"page left on the first page", 2, 0, L, 4, 10, true, 0, 0},
      {"page left", 7, 5, L, 4, 10, true, 4, 2},
      {"right without paging", 2, 1, R, 4, 10, false, 2, 1},
      {"short list keeps its top", 1, 0, D, 10, 3, false, 2, 0},
      {"short list, down on its last", 2, 0, D, 10, 3, true, 2, 0},
      {"continue list: right turns 9 rows", 0, 0, R, 10, 99, true, 9, 9},
      {"continue list: right near the end", 95, 88, R, 10, 99, true, 98, 89},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.name);
    CurrentMenuState() = MENUSTATE{0, c.index, 0, 0};
    int32_t top = c.top;
    CursorMoveList(&c.keys, TRUE, &top, 160, 16, 152, c.visible, c.count, c.paging);
    const MENUSTATE& m = CurrentMenuState();
    EXPECT_EQ(m.nRow, c.wantIndex);
    EXPECT_EQ(top, c.wantTop);
    EXPECT_EQ(m.nY, (c.wantIndex - c.wantTop) * 16 + 160);
    EXPECT_EQ(m.nX, 152);
  }
  // Along the columns: the index is the column and x follows it.
  CurrentMenuState() = MENUSTATE{3, 7, 0, 0};
  int32_t top = 0;
  const uint16_t keys = D;
  CursorMoveList(&keys, FALSE, &top, 20, 40, 300, 4, 10, FALSE);
  EXPECT_EQ(CurrentMenuState().nCol, 4);
  EXPECT_EQ(CurrentMenuState().nRow, 7);
  EXPECT_EQ(top, 1);
  EXPECT_EQ(CurrentMenuState().nX, 3 * 40 + 20);
  EXPECT_EQ(CurrentMenuState().nY, 300);
}

TEST_F(MenuCursor, CursorSoundPlaysPerMaskedAxis) {
  struct CASE {
    uint16_t keys;
    uint8_t mask;
    size_t plays;
  };
  const CASE cases[] = {
      {0, CURSORSE_ALL, 0},          {U, CURSORSE_VERTICAL, 1},   {L, CURSORSE_VERTICAL, 0},
      {R, CURSORSE_HORIZONTAL, 1},   {D, CURSORSE_HORIZONTAL, 0}, {L | D, CURSORSE_ALL, 2},
      {L | R | U | D, CURSORSE_ALL, 2}, {U, 0, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "keys " << c.keys << " mask " << int(c.mask));
    s_Played.clear();
    PlayCursorSE(&c.keys, c.mask, 0);
    EXPECT_EQ(s_Played, std::vector<int>(c.plays, 0));
  }
  // The sound number is any entry of the sound list.
  s_Played.clear();
  const uint16_t keys = U;
  PlayCursorSE(&keys, CURSORSE_VERTICAL, 16);
  EXPECT_EQ(s_Played, std::vector<int>({16}));
}

TEST_F(MenuCursor, CursorSoundOutsideTheListIsReportedAndPlaysTheFirst) {
  ResetMessageLayerForTests();
  HWND hWnd = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  g_hWndMain = hWnd;
  const uint16_t keys = U;
  PlayCursorSE(&keys, CURSORSE_VERTICAL, 40);
  EXPECT_EQ(s_Played, std::vector<int>({0}));
  MSG msg;
  EXPECT_TRUE(PeekMessage(&msg, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE));
  g_hWndMain = nullptr;
  ResetMessageLayerForTests();
}

TEST(MenuFade, TakesNinetyOverTheStepPlusOneSteps) {
  // Another test may have left a fade half-way.
  while (!MenuFadeIn(90)) {
  }
  while (!MenuFadeOut(90)) {
  }
  // A step that does not divide 90 ends on the clamped 90 (0) first.
  const struct {
    double step;
    int want;
  } cases[] = {{10.0, 10}, {30.0, 4}, {7.0, 14}};
  for (const auto& [step, want] : cases) {
    SCOPED_TRACE(step);
    for (int round = 0; round < 2; ++round) {  // each fade starts over after it ends
      int in = 1, out = 1;
      while (!MenuFadeIn(step)) ++in;
      while (!MenuFadeOut(step)) ++out;
      EXPECT_EQ(in, want);
      EXPECT_EQ(out, want);
    }
  }
}

namespace {

// A menu scene that records what its phases read.
class cProbeScene : public cMenuScene {
 public:
  cProbeScene() {
    m_apfnPhase[0] = static_cast<PHASEPROC>(&cProbeScene::Probe);
    m_apfnPhase[1] = static_cast<PHASEPROC>(&cProbeScene::Probe);
  }
  void Init() override { ++m_nInits; }
  void Probe() {
    m_vKeys.push_back(MenuKeys());
    m_vDecide.push_back(MenuDecide());
    m_vCancel.push_back(MenuCancel());
  }
  int m_nInits = 0;
  std::vector<uint16_t> m_vKeys;
  std::vector<bool> m_vDecide, m_vCancel;
};

}  // namespace

TEST(MenuScene, FiltersInputOncePerFrameAndInitsOnce) {
  cPlayerInput& in = g_vPlayerInput.CheckedAt(0);
  in = cPlayerInput();
  cProbeScene scene;
  // 30 frames holding down and button 1; then button 2 alone for 2 frames.
  for (int f = 0; f < 30; ++f) {
    in.m_wDirection = D;
    in.m_wButton = 1;
    scene.Update();
  }
  for (int f = 0; f < 2; ++f) {
    in.m_wDirection = 0;
    in.m_wButton = 2;
    scene.Update();
  }
  EXPECT_EQ(scene.m_nInits, 1);
  ASSERT_EQ(scene.m_vKeys.size(), 32u);
  // Down acts on its first frame, after the delay of 18, then every 6.
  std::vector<int> downFrames;
  for (int f = 0; f < 30; ++f)
    if (scene.m_vKeys[static_cast<size_t>(f)] & D) downFrames.push_back(f);
  EXPECT_EQ(downFrames, std::vector<int>({0, 18, 24}));
  // A held button decides once; the next button is seen only after release.
  int decides = 0;
  for (bool b : scene.m_vDecide) decides += b;
  EXPECT_EQ(decides, 1);
  EXPECT_TRUE(scene.m_vDecide[0]);
  EXPECT_FALSE(scene.m_vCancel[30]);
  EXPECT_FALSE(scene.m_vCancel[31]);

  // A phase outside the table runs nothing.
  scene.m_nPhase = 9;
  scene.Update();
  EXPECT_EQ(scene.m_vKeys.size(), 32u);
  in = cPlayerInput();
}
