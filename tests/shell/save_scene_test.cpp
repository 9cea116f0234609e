// The save scene driven frame by frame through player 0's input: its menu,
// saving into the slot under the list cursor, automatic saving with and
// without a slot, and the ways back to the map and the title.
#include "shell/save_scene.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/sound/sound_effects.h"
#include "platform/messages.h"
#include "records/progress.h"
#include "records/system.h"
#include "shell/main_window.h"
#include "shell/mode_scenes.h"
#include "shell/player_input.h"
#include "shell/scene_manager.h"
#include "tests/shell/menu_scene_fixture.h"
#include "tests/support/scoped_override.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr uint16_t kUp = INPUT_UP, kDown = INPUT_DOWN, kZ = 1, kX = 2;

std::vector<int> s_Sounds;
std::vector<int> s_Saved;
BOOL s_bSaveWorks = TRUE;
void RecordSound(int nIndex) { s_Sounds.push_back(nIndex); }
LRESULT TestWndProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg == UM_PLAYSE) PlaySoundEntry(static_cast<int>(wParam));
  return 0;
}

class SaveScene : public cMenuSceneTest {
 protected:
  void SetUp() override {
    StartMenuScene(&TestWndProc, GAMEMODE_SAVE, GAMEMODE_WORLDMAP, 90);
    s_Sounds.clear();
    s_Saved.clear();
    s_bSaveWorks = TRUE;
    SetSoundPlayHookForTests(&RecordSound);
    g_SaveLinks = SAVELINKS{[](int n) -> BOOL {
      s_Saved.push_back(n);
      return s_bSaveWorks;
    }};
    ProgressReset(g_Progress);
  }
  static void ToMenu(cSceneSave& s) {
    for (int f = 0; f < 10 && s.m_nPhase != 1; ++f) Frame(s);
    ASSERT_EQ(s.m_nPhase, 1);
  }
  int ModeAfterFade(cSceneSave& s) const {
    FramesToModeSwitch(s);
    return g_SceneMgr.m_nMode;
  }

  cTempFolder m_Tmp;  // the slot list reads the slot files of the working folder
  cScopedOverride<cEdProgress> m_Progress{g_Progress};
  cScopedOverride<SAVELINKS> m_Links{g_SaveLinks};
};

}  // namespace

TEST_F(SaveScene, ModeTwoBuildsTheSaveScreen) {
  cScene* s = MakeModeScene(GAMEMODE_SAVE);
  EXPECT_NE(dynamic_cast<cSceneSave*>(s), nullptr);
  delete s;
}

// The list opens on the slot last saved to; "セーブする" saves there and
// marks it as the story's slot; a failed save refuses with sound 3.
TEST_F(SaveScene, SavingGoesToTheSlotUnderTheListCursor) {
  g_Progress.m_nSaveSlot = 3;
  cSceneSave s;
  ToMenu(s);
  Press(s, 0, kZ);  // "セーブ"
  ASSERT_EQ(s.m_nPhase, 2);
  Frame(s);
  EXPECT_EQ(CurrentMenuState().nRow, 3);
  Press(s, kDown);
  Press(s, 0, kZ);
  ASSERT_EQ(s.m_nSubStep, 2);
  EXPECT_EQ(CurrentMenuState().nRow, 1);  // "やっぱりやめる" first
  Press(s, 0, kZ);
  EXPECT_TRUE(s_Saved.empty());
  EXPECT_EQ(s.m_nSubStep, 1);
  Press(s, 0, kZ);
  Press(s, kUp);
  s_Sounds.clear();
  Press(s, 0, kZ);
  EXPECT_EQ(s_Saved, std::vector<int>{4});
  EXPECT_EQ(g_Progress.m_nSaveSlot, 4);
  EXPECT_EQ(s_Sounds.back(), 5);

  s_bSaveWorks = FALSE;
  Press(s, 0, kZ);
  Press(s, kUp);
  s_Sounds.clear();
  Press(s, 0, kZ);
  EXPECT_EQ(s_Sounds.back(), SYSSE_REFUSE);
  Press(s, 0, kX);
  EXPECT_EQ(s.m_nPhase, 1);
}

TEST_F(SaveScene, AutomaticSaving) {
  struct CASE {
    int32_t nSlot, bAutoBefore;
    uint16_t wMove;
    int32_t bAutoAfter;
    std::vector<int> saved;
  } cases[] = {
      {-1, 0, kUp, 0, {}},      // no slot yet: the message, nothing changes
      {2, 0, kUp, 1, {2}},      // on: saved at once
      {2, 1, kDown, 0, {}},     // off
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nSlot);
    SetUp();
    g_Progress.m_nSaveSlot = c.nSlot;
    g_Progress.m_bAutoSave = c.bAutoBefore;
    cSceneSave s;
    ToMenu(s);
    Press(s, kDown);
    Press(s, 0, kZ);  // "オートセーブ"
    ASSERT_EQ(s.m_nPhase, 3);
    Frame(s);
    EXPECT_EQ(s.m_nSubStep, c.nSlot == -1 ? 2 : 1);
    Press(s, c.wMove);
    Press(s, 0, kZ);
    EXPECT_EQ(s.m_nPhase, 1);
    EXPECT_EQ(g_Progress.m_bAutoSave, c.bAutoAfter);
    EXPECT_EQ(s_Saved, c.saved);
  }
}

TEST_F(SaveScene, CancelReturnsToTheMapAndTheTitleAsksFirst) {
  {
    cSceneSave s;
    ToMenu(s);
    Press(s, 0, kX);
    EXPECT_EQ(ModeAfterFade(s), GAMEMODE_WORLDMAP);
    EXPECT_EQ(g_SceneMgr.m_nPrevMode, GAMEMODE_SAVE);
  }
  SetUp();
  cSceneSave s;
  ToMenu(s);
  Press(s, kUp);  // wraps to "タイトルへ"
  Press(s, 0, kZ);
  ASSERT_EQ(s.m_nPhase, 5);
  Press(s, 0, kZ);  // "やっぱりやめる"
  EXPECT_EQ(s.m_nPhase, 1);
  Press(s, 0, kZ);
  Press(s, kUp);
  Press(s, 0, kZ);
  EXPECT_EQ(ModeAfterFade(s), GAMEMODE_TITLE);
}
