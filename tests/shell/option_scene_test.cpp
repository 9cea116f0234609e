// The option scene driven frame by frame through player 0's input record:
// editing wraps round and takes effect at once, Cancel puts the old value
// back, the name entry, and leaving saves the options and sets the music up.
#include "shell/option_scene.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "media/sound/sound_effects.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "records/data_file.h"
#include "records/option.h"
#include "records/system.h"
#include "shell/main_window.h"
#include "shell/mode_scenes.h"
#include "shell/player_input.h"
#include "shell/scene_manager.h"
#include "tests/support/byte_fixture.h"
#include "tests/shell/menu_scene_fixture.h"
#include "tests/support/scoped_override.h"
#include "tests/support/temp_folder.h"

namespace {

constexpr uint16_t kUp = INPUT_UP, kDown = INPUT_DOWN, kZ = 1, kX = 2;

// What the scene asked of the rest of the program, in order.
std::vector<std::string> s_Events;

LRESULT TestWndProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  switch (msg) {
    case UM_PLAYSE:
      s_Events.push_back("se " + std::to_string(wParam));
      return 0;
    case UM_PLAYBGM:
      s_Events.push_back("bgm " + std::to_string(wParam));
      return 0;
    case UM_NAMEENTRY:
      // The dialog types a name longer than a ranking name may be.
      g_Option.m_szRankingName = "abcd";
      s_Events.push_back("name entry");
      g_bNameEntered = 1;
      return 0;
    default:
      return 0;
  }
}

class OptionScene : public cMenuSceneTest {
 protected:
  void SetUp() override {
    StartMenuScene(&TestWndProc, GAMEMODE_OPTION, GAMEMODE_TITLE, 10);
    s_Events.clear();
    g_OptionLinks = OPTIONLINKS{
        [](int n) { s_Events.push_back("hbt " + std::to_string(n)); },
        [](int n) { s_Events.push_back("volume " + std::to_string(n)); },
        [] { s_Events.push_back("music " + std::to_string(g_Option.m_bMusic)); },
    };
    SettleFades();
    std::filesystem::create_directories("user_data");
  }

  static void ToScreen(cSceneOption& s) {
    for (int f = 0; f < 20 && s.m_nPhase != 1; ++f) Frame(s);
    ASSERT_EQ(s.m_nPhase, 1);
    Frame(s);
  }
  // Down to row nRow (from row 0) and into its edit.
  static void EditRow(cSceneOption& s, int nRow) {
    for (int i = 0; i < nRow; ++i) Press(s, kDown);
    Press(s, 0, kZ);
    ASSERT_EQ(s.m_nSubStep, 2);
  }

  cTempFolder m_Tmp;
  cScopedOverride<int32_t> m_Version{g_nCurDataVersion, 667};
  cScopedOverride<cEdOption> m_Option{g_Option};
  cScopedOverride<OPTIONLINKS> m_Links{g_OptionLinks};
  cScopedOverride<cVector<cEdSystemText>> m_Menu{g_System.m_vecOptionMenu};
};

}  // namespace

TEST_F(OptionScene, ModeFiveBuildsTheOptionScene) {
  cScene* s = MakeModeScene(GAMEMODE_OPTION);
  EXPECT_NE(dynamic_cast<cSceneOption*>(s), nullptr);
  delete s;
}

// Each row edits the option its label names: with a new project's labels
// "BGM", "SE", "ランキング登録", "ランキング登録名", "もどる" and an empty sixth,
// the colour set is the sixth row.
TEST_F(OptionScene, EditingWrapsRoundAndAppliesAtOnce) {
  const struct {
    int nRow;
    const char* pszLabel;
    int32_t cEdOption::*pnMember;
    int32_t nStart;
    uint16_t wKey;
    int32_t nAfter;
    const char* pszApplied;  // what took effect at once, or null
  } kCases[] = {
      {5, "", &cEdOption::m_nHbt, 23, kUp, 0, "hbt 0"},
      {5, "", &cEdOption::m_nHbt, 0, kDown, 23, "hbt 23"},
      {0, "BGM", &cEdOption::m_bMusic, 1, kUp, 0, nullptr},
      {0, "BGM", &cEdOption::m_bMusic, 0, kDown, 1, nullptr},
      {1, "SE", &cEdOption::m_nSeVolume, 0, kDown, 10, "volume 10"},
      {1, "SE", &cEdOption::m_nSeVolume, 7, kUp, 8, "volume 8"},
      {2, "ランキング登録", &cEdOption::m_nRankingMode, 3, kUp, 0, nullptr},
  };
  g_System.m_vecOptionMenu = cEdSystem().m_vecOptionMenu;
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.nRow * 100 + c.nStart);
    ResetMenuState();
    g_Option = cEdOption();
    g_Option.*c.pnMember = c.nStart;
    cSceneOption s;
    ToScreen(s);
    ASSERT_EQ(s.m_nItemCount, 6);
    EXPECT_EQ(g_System.m_vecOptionMenu[static_cast<size_t>(s.m_anItem[c.nRow])].m_strLabel, Sjis(c.pszLabel));
    EditRow(s, c.nRow);
    s_Events.clear();
    Press(s, c.wKey);
    EXPECT_EQ(g_Option.*c.pnMember, c.nAfter);
    std::vector<std::string> expect;
    if (c.pszApplied) expect.push_back(c.pszApplied);
    EXPECT_EQ(s_Events, expect);
    // Decide keeps the new value.
    Press(s, 0, kZ);
    EXPECT_EQ(s.m_nSubStep, 1);
    EXPECT_EQ(g_Option.*c.pnMember, c.nAfter);
  }
}

TEST_F(OptionScene, CancelRestoresTheValueFromBeforeTheEditAndAppliesIt) {
  g_Option.m_nSeVolume = 7;
  cSceneOption s;
  ToScreen(s);
  EditRow(s, 1);
  for (int i = 0; i < 4; ++i) Press(s, kDown);
  EXPECT_EQ(g_Option.m_nSeVolume, 3);
  s_Events.clear();
  Press(s, 0, kX);
  EXPECT_EQ(g_Option.m_nSeVolume, 7);
  EXPECT_EQ(s_Events, (std::vector<std::string>{"se 2", "volume 7"}));
  EXPECT_EQ(s.m_nSubStep, 1);
  EXPECT_EQ(s.m_nPhase, 1);
}

TEST_F(OptionScene, LeavingSetsTheMusicUpAndSavesTheOptions) {
  g_Option.m_nSeVolume = 7;
  cSceneOption s;
  ToScreen(s);
  EditRow(s, 1);
  Press(s, kUp);
  Press(s, 0, kZ);
  // From the volume row, up to music.
  Press(s, kUp);
  Press(s, 0, kZ);
  ASSERT_EQ(s.m_nSubStep, 2);
  Press(s, kUp);
  Press(s, 0, kZ);
  EXPECT_EQ(g_Option.m_bMusic, 0);
  // The name entry: the typed name, cut to a ranking name's length.
  for (int i = 0; i < 3; ++i) Press(s, kDown);
  Press(s, 0, kZ);
  EXPECT_EQ(g_Option.m_szRankingName, "abc");
  // Back, by Cancel on the item list.
  s_Events.clear();
  Press(s, 0, kX);
  EXPECT_EQ(s.m_nPhase, 2);
  EXPECT_GT(FramesToModeSwitch(s), 0);
  EXPECT_EQ(g_SceneMgr.m_nMode, GAMEMODE_TITLE);
  EXPECT_EQ(g_SceneMgr.m_nPrevMode, GAMEMODE_OPTION);
  EXPECT_EQ(s_Events, (std::vector<std::string>{"se 2", "music 0"}));
  EXPECT_EQ(m_Tmp.ReadFile("user_data/Option.dat"), Words({667, 4, 0, 0, 8, 0, 1, 4}) + std::string("abc", 4));
}
