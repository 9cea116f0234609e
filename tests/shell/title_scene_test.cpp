// The title scene driven frame by frame through player 0's input record:
// its rows from g_System's title menu, the cursor and its sounds, what each
// choice prepares and which mode it leads to, the Continue list, and the
// menu as drawn on a started device.
#include "shell/title_scene.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/graphics/font.h"
#include "media/sound/sound_effects.h"
#include "platform/glyph_source.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "records/system.h"
#include "shell/main_window.h"
#include "shell/mode_scenes.h"
#include "shell/player_input.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"
#include "tests/graphics/graphics_fixture.h"
#include "tests/shell/menu_scene_fixture.h"
#include "tests/support/scoped_override.h"

namespace {

constexpr uint16_t kUp = INPUT_UP, kDown = INPUT_DOWN, kZ = 1, kX = 2;

// What reached the sound list (the cursor sound on the game thread, the
// system sounds through UM_PLAYSE), and the other requests the title sent.
std::vector<int> s_Sounds;
std::vector<std::string> s_Requests;
void RecordSound(int nIndex) { s_Sounds.push_back(nIndex); }

// The chooser answers and what the loaders were given.
BOOL s_bChooserAnswers = FALSE;
BOOL s_bStageLoads = FALSE;
std::vector<std::string> s_Loaded;
BOOL FakeChooser(std::string& path, const OPENCHOOSER&) {
  if (!s_bChooserAnswers) return FALSE;
  path = "data\\stg4\\Stage1.stg4";
  return TRUE;
}
BOOL FakeStartStageFile(const std::string& path, int nFlag) {
  s_Loaded.push_back("stage " + path + " " + std::to_string(nFlag));
  return s_bStageLoads;
}
BOOL FakeLoadReplay(const std::string& path) {
  s_Loaded.push_back("replay " + path);
  return s_bStageLoads;
}

LRESULT TestWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case UM_PLAYSE:
      PlaySoundEntry(static_cast<int>(wParam));
      return 0;
    case UM_PLAYBGM:
      s_Requests.push_back("bgm " + std::to_string(wParam));
      return 0;
    case UM_OPENSTAGE:
    case UM_OPENREPLAY:
      s_Requests.push_back(msg == UM_OPENSTAGE ? "open stage" : "open replay");
      return MainWndOnMessage(hWnd, msg, wParam, lParam);
    default:
      return 0;
  }
}

// The links to later units, recorded.
std::vector<std::string> s_Links;
BOOL s_bSlot5Used = FALSE;
BOOL s_bSlotLoads = TRUE;

class TitleScene : public cMenuSceneTest {
 protected:
  void SetUp() override { ResetState(); }
  // Everything a run of the title touches, fresh.
  void ResetState() {
    StartMenuScene(&TestWndProc, GAMEMODE_TITLE, GAMEMODE_TITLE, 10);
    s_Sounds.clear();
    s_Requests.clear();
    s_Links.clear();
    s_Loaded.clear();
    s_bChooserAnswers = s_bStageLoads = s_bSlot5Used = FALSE;
    s_bSlotLoads = TRUE;
    SetSoundPlayHookForTests(&RecordSound);
    g_WindowRequests.pfnChooseOpenFile = &FakeChooser;
    g_WindowRequests.pfnStartStageFile = &FakeStartStageFile;
    g_WindowRequests.pfnLoadReplay = &FakeLoadReplay;
    g_TitleLinks = TITLELINKS{
        [] { s_Links.push_back("new game"); },
        [] { s_Links.push_back("challenge"); },
        [] { s_Links.push_back("slot list"); },
        [](int n) -> BOOL { return n == 5 && s_bSlot5Used; },
        [](int n) -> BOOL {
          s_Links.push_back("load slot " + std::to_string(n));
          return s_bSlotLoads;
        },
        [](int, int, int nTop, int nRows) {
          s_Links.push_back("draw " + std::to_string(nTop) + "+" + std::to_string(nRows));
        },
    };
    cSceneManager& m = g_SceneMgr;
    m.m_nTitleChoice = 0;
    m.m_nPlayKind = PLAYKIND_STORY;
    m.m_bRankingOn = 0;
    SettleFades();
  }
  void TearDown() override {
    g_SceneMgr.m_nTitleChoice = 0;
    cMenuSceneTest::TearDown();
  }

  // Init and the fade-in, up to the menu.
  static void ToMenu(cSceneTitle& s) {
    for (int f = 0; f < 20 && s.m_nPhase != 1; ++f) Frame(s);
    ASSERT_EQ(s.m_nPhase, 1);
  }
  bool CloseWasPosted() {
    MSG m;
    bool b = false;
    while (PeekMessage(&m, nullptr, WM_CLOSE, WM_CLOSE, PM_REMOVE)) b = true;
    return b;
  }
  void EnableOnly(std::initializer_list<int> items) {
    for (cEdSystemText& t : g_System.m_vecTitleMenu) t.m_bEnabled = 0;
    for (int i : items) g_System.m_vecTitleMenu[static_cast<size_t>(i)].m_bEnabled = 1;
  }

  // What the tests change of the project and the links, put back after each.
  cScopedOverride<WINDOWREQUESTS> m_Requests{g_WindowRequests};
  cScopedOverride<TITLELINKS> m_Links{g_TitleLinks};
  cScopedOverride<cVector<cEdSystemText>> m_Menu{g_System.m_vecTitleMenu};
  cScopedOverride<uint32_t> m_MenuCentred{g_System.m_bTitleMenuCentred, 0};
  cScopedOverride<cVector<cEdRankingSwitch>> m_Ranking{g_System.m_vecRankingSwitch};
};

}  // namespace

TEST_F(TitleScene, ModeZeroBuildsTheTitle) {
  cScene* s = MakeModeScene(GAMEMODE_TITLE);
  EXPECT_NE(dynamic_cast<cSceneTitle*>(s), nullptr);
  delete s;
}

TEST_F(TitleScene, RowsAreTheEnabledItemsOfTheSettings) {
  // A new project: the seven items in order, with their labels.
  const char* const labels[] = {"はじめから", "つづきから", "チャレンジ", "フリー",
                                "リプレイ",   "オプション", "しゅうりょう"};
  ASSERT_EQ(g_System.m_vecTitleMenu.size(), 7u);
  for (int i = 0; i < 7; ++i) EXPECT_EQ(g_System.m_vecTitleMenu[static_cast<size_t>(i)].m_strLabel, Sjis(labels[i]));

  struct CASE {
    std::vector<int> enabled;
    std::vector<int> rows;
  };
  const CASE cases[] = {
      {{0, 1, 2, 3, 4, 5, 6}, {0, 1, 2, 3, 4, 5, 6}},
      {{1, 3, 6}, {1, 3, 6}},
      {{}, {0}},  // none enabled: New game alone
  };
  for (const CASE& c : cases) {
    EnableOnly({});
    for (int i : c.enabled) g_System.m_vecTitleMenu[static_cast<size_t>(i)].m_bEnabled = 1;
    cSceneTitle s;
    Frame(s);
    EXPECT_EQ(s_Requests.front(), "bgm 0");  // the title music
    ASSERT_EQ(s.m_nItemCount, static_cast<int>(c.rows.size()));
    EXPECT_EQ(std::vector<int>(s.m_anItem, s.m_anItem + s.m_nItemCount), c.rows);
    s_Requests.clear();
  }
  // A damaged settings file: fewer items give fewer rows, more than seven
  // give the seven rows the menu has.
  EnableOnly({0, 1, 2, 3, 4, 5, 6});
  g_System.m_vecTitleMenu.resize(2);
  {
    cSceneTitle s;
    Frame(s);
    EXPECT_EQ(s.m_nItemCount, 2);
  }
  g_System.m_vecTitleMenu.resize(12);
  cSceneTitle s;
  Frame(s);
  EXPECT_EQ(s.m_nItemCount, 7);
  EXPECT_EQ(s.m_anItem[6], 6);
}

TEST_F(TitleScene, CursorStartsOnTheLastChoiceAndWrapsWithItsSound) {
  g_SceneMgr.m_nTitleChoice = TITLEITEM_FREE;
  EnableOnly({0, 3, 5});
  {
    cSceneTitle s;
    ToMenu(s);
    Frame(s);
    EXPECT_EQ(CurrentMenuState().nRow, 1);
    EXPECT_EQ(CurrentMenuState().nY, kTitleMenuY + 32);
    EXPECT_EQ(CurrentMenuState().nX, kTitleMenuX);
    EXPECT_TRUE(s_Sounds.empty());
    Press(s, kDown);
    Press(s, kDown);  // past the last row: the first
    EXPECT_EQ(CurrentMenuState().nRow, 0);
    Press(s, kUp);  // above the first: the last
    EXPECT_EQ(CurrentMenuState().nRow, 2);
    EXPECT_EQ(s_Sounds, std::vector<int>({0, 0, 0}));
    // Held, the cursor moves on its first frame and then by the repeat.
    s_Sounds.clear();
    for (int f = 0; f < 19; ++f) Frame(s, kDown);
    EXPECT_EQ(s_Sounds.size(), 2u);
    EXPECT_EQ(CurrentMenuState().nRow, 1);
  }
  // A choice that is no longer a row: its number, wrapped by the first move.
  g_SceneMgr.m_nTitleChoice = TITLEITEM_QUIT;
  ResetMenuState();
  cSceneTitle s;
  Frame(s);
  EXPECT_EQ(CurrentMenuState().nRow, 6);
  ToMenu(s);
  Frame(s);
  EXPECT_EQ(CurrentMenuState().nRow, 0);
}

TEST_F(TitleScene, EachChoicePreparesItsPlayAndLeadsToItsMode) {
  // Ranking on for the story and free play only.
  for (cEdRankingSwitch& r : g_System.m_vecRankingSwitch) r.m_bOn = 0;
  g_System.m_vecRankingSwitch.CheckedAt(PLAYKIND_STORY).m_bOn = 1;
  g_System.m_vecRankingSwitch.CheckedAt(PLAYKIND_FREE).m_bOn = 1;
  ASSERT_EQ(g_System.m_vecRankingSwitch.size(), 4u);
  struct CASE {
    int row;
    BOOL bChosen;  // the chooser answers and the file loads
    int nextMode;  // -1: the title stays
    int playKind;
    int rankingOn;
    std::vector<std::string> links;
    std::vector<std::string> loaded;
  };
  const CASE cases[] = {
      {TITLEITEM_NEWGAME, FALSE, GAMEMODE_WORLDMAP, PLAYKIND_STORY, 1, {"new game"}, {}},
      {TITLEITEM_CHALLENGE, FALSE, GAMEMODE_CHALLENGE, PLAYKIND_CHALLENGE, 0, {"challenge"}, {}},
      {TITLEITEM_FREE, TRUE, GAMEMODE_STAGE, PLAYKIND_FREE, 1, {}, {"stage data\\stg4\\Stage1.stg4 0"}},
      {TITLEITEM_FREE, FALSE, -1, PLAYKIND_FREE, 1, {}, {"stage data\\stg4\\Stage1.stg4 0"}},
      {TITLEITEM_REPLAY, TRUE, GAMEMODE_STAGE, PLAYKIND_REPLAY, 0, {}, {"replay data\\stg4\\Stage1.stg4"}},
      {TITLEITEM_OPTION, FALSE, GAMEMODE_OPTION, PLAYKIND_STORY, 0, {}, {}},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "item " << c.row << " chosen " << c.bChosen);
    ResetState();
    s_bChooserAnswers = TRUE;
    s_bStageLoads = c.bChosen;
    cSceneTitle s;
    ToMenu(s);
    for (int k = 0; k < c.row; ++k) Press(s, kDown);
    s_Sounds.clear();
    Frame(s, 0, kZ);
    EXPECT_EQ(s_Sounds, std::vector<int>({1}));
    EXPECT_EQ(g_SceneMgr.m_nTitleChoice, c.row);
    EXPECT_EQ(g_SceneMgr.m_nPlayKind, c.playKind);
    EXPECT_EQ(g_SceneMgr.m_bRankingOn, c.rankingOn);
    EXPECT_EQ(s_Links, c.links);
    EXPECT_EQ(s_Loaded, c.loaded);
    if (c.nextMode < 0) {
      // A stage chosen that fails to load is not chosen: the menu stays.
      EXPECT_EQ(s.m_nPhase, 1);
      Frame(s);
      Frame(s);
      EXPECT_EQ(s.m_nPhase, 1);
      EXPECT_EQ(g_SceneMgr.m_nMode, GAMEMODE_TITLE);
      continue;
    }
    EXPECT_EQ(s.m_nPhase, 3);
    EXPECT_EQ(FramesToModeSwitch(s), 10);  // the fade-out of step 10
    EXPECT_EQ(g_SceneMgr.m_nMode, c.nextMode);
    EXPECT_EQ(g_SceneMgr.m_nPrevMode, GAMEMODE_TITLE);
    EXPECT_EQ(g_MenuState.vecState.size(), 1u);
  }
}

TEST_F(TitleScene, CancelledChooserAndQuitKeepTheMenu) {
  cSceneTitle s;
  ToMenu(s);
  for (int k = 0; k < TITLEITEM_FREE; ++k) Press(s, kDown);
  Press(s, 0, kZ);  // the chooser is cancelled
  EXPECT_EQ(s_Requests.back(), "open stage");
  EXPECT_TRUE(s_Loaded.empty());
  EXPECT_EQ(s.m_nPhase, 1);

  for (int k = TITLEITEM_FREE; k < TITLEITEM_QUIT; ++k) Press(s, kDown);
  CloseWasPosted();
  Press(s, 0, kZ);
  EXPECT_TRUE(CloseWasPosted());
  EXPECT_EQ(s.m_nPhase, 1);
  EXPECT_EQ(g_SceneMgr.m_nTitleChoice, TITLEITEM_QUIT);
}

TEST_F(TitleScene, ContinueListRefusesEmptySlotsAndReturnsOnCancel) {
  cSceneTitle s;
  ToMenu(s);
  Press(s, kDown);
  Press(s, 0, kZ);
  EXPECT_EQ(s.m_nPhase, 2);
  EXPECT_EQ(g_MenuState.vecState.size(), 2u);  // the menu's cursor is kept below
  EXPECT_EQ(s_Links, std::vector<std::string>({"slot list", "draw 0+10"}));
  EXPECT_EQ(CurrentMenuState().nY, kContinueListY);
  EXPECT_EQ(CurrentMenuState().nX, kContinueListX);

  // Right turns a page of 9 rows.
  s_Sounds.clear();
  Press(s, INPUT_RIGHT);
  EXPECT_EQ(CurrentMenuState().nRow, 9);
  EXPECT_EQ(s.m_nListTop, 9);
  EXPECT_EQ(s_Sounds, std::vector<int>({0}));

  // An empty slot is refused.
  s_Sounds.clear();
  Frame(s, 0, kZ);
  EXPECT_EQ(s_Sounds, std::vector<int>({3}));
  Frame(s);
  EXPECT_EQ(s.m_nPhase, 2);

  s_Sounds.clear();
  Frame(s, 0, kX);
  EXPECT_EQ(s_Sounds, std::vector<int>({2}));
  EXPECT_EQ(s.m_nPhase, 1);
  EXPECT_EQ(g_MenuState.vecState.size(), 1u);
  EXPECT_EQ(CurrentMenuState().nRow, 1);  // back on Continue
  Frame(s);

  // Again: the list starts at its top; a used slot that loads goes to the map.
  s_bSlot5Used = TRUE;
  s_Links.clear();
  Press(s, 0, kZ);
  EXPECT_EQ(CurrentMenuState().nRow, 0);
  for (int k = 0; k < 5; ++k) Press(s, kDown);
  s_Sounds.clear();
  s_bSlotLoads = FALSE;  // a damaged slot: the list stays
  Frame(s, 0, kZ);
  Frame(s);
  EXPECT_EQ(s.m_nPhase, 2);
  s_bSlotLoads = TRUE;
  Frame(s, 0, kZ);
  EXPECT_EQ(s_Sounds, std::vector<int>({1, 1}));
  EXPECT_EQ(s.m_nPhase, 3);
  EXPECT_EQ(FramesToModeSwitch(s), 10);
  EXPECT_EQ(g_SceneMgr.m_nMode, GAMEMODE_WORLDMAP);
  EXPECT_EQ(g_SceneMgr.m_nPlayKind, PLAYKIND_STORY);
  int loads = 0;
  for (const std::string& l : s_Links) loads += l == "load slot 5";
  EXPECT_EQ(loads, 2);
}

// ---- Drawn on a started device --------------------------------------------------

namespace {

using namespace t4gfx;

constexpr uint32_t kTitleColour = 0x2040A0, kWindowColour = 0x305030, kCursorColour = 0xF0F000;

// The four pictures of the title and a palette, in a started DirectDraw
// 32-bit device whose fixed surfaces are the program's own array.
class cTitleDevice {
 public:
  cTitleDevice() {
    m_Folder.WriteFile("bmp/plt/Palette.bmp", PaletteBmp());
    m_Folder.WriteFile("bmp/Title.bmp", MakeBmpRgb(24, 640, 480, std::vector<uint32_t>(640 * 480, kTitleColour)));
    m_Folder.WriteFile("bmp/Window.bmp", MakeBmpRgb(24, 256, 256, std::vector<uint32_t>(256 * 256, kWindowColour)));
    std::vector<uint32_t> acc(96 * 32, kMagenta);
    for (int y = 8; y < 24; ++y)
      for (int x = 8; x < 24; ++x) acc[static_cast<size_t>(y * 96 + x)] = kCursorColour;
    m_Folder.WriteFile("bmp/Accessory.bmp", MakeBmpRgb(24, 96, 32, acc));
    // 128 wide, one strip per item in its own colour, key-coloured left half.
    std::vector<uint32_t> modes(128 * 224, kMagenta);
    for (int y = 0; y < 224; ++y)
      for (int x = 64; x < 128; ++x) modes[static_cast<size_t>(y * 128 + x)] = StripColour(y / 32);
    m_Folder.WriteFile("bmp/GameMode.bmp", MakeBmpRgb(24, 128, 224, modes));
    for (int i : {0, int{TITLESURFACE_WINDOW}, int{TITLESURFACE_TITLE}, int{TITLESURFACE_GAMEMODE},
                  int{TITLESURFACE_ACCESSORY}}) {
      const SYSTEMBITMAPINFO& b = g_vecSystemBitmap.CheckedAt(i);
      DDSURFACEINFO& d = g_aStageSurfaceInfo[i];
      d = DDSURFACEINFO{};
      d.szFileName = b.szFileName;
      d.bTransmit = b.bTransmit;
      d.nMemType = b.nMemType;
      d.nDTMemType = b.nDTMemType;
    }
    m_bOk = DDInit(0, nullptr, 640, 480, 32, 0, 1, 1, 60, 0, g_aStageSurface, g_aStageSurfaceInfo,
                   SYSTEM_BITMAP_COUNT) &&
            DDLoadPaletteFromFile(g_Palette, &g_aStageSurfaceInfo[0], 1);
    if (!m_bOk) return;
    std::copy(g_Palette, g_Palette + 1024, g_WorkPalette);
    m_bOk = DDSetTransmit(&g_aStageSurfaceInfo[0]) != 0;
    m_Glyphs = CreateFakeGlyphSourceForTests();
    SetGlyphSourceForTests(m_Glyphs.get());
    m_FontTable = BuildFontTable();
    m_bOk = m_bOk && cFont::InitAll(g_Fonts, m_FontTable.data(), FONT_COUNT);
  }
  ~cTitleDevice() {
    for (cFont& f : g_Fonts) f.ReleaseFonts();
    DDUnInit();
    for (DDSURFACEDATA& sd : g_aStageSurface) DDReleaseSurface(&sd);
    // Later scenes of the test program run without a device.
    g_DDDisplay.lpInfoTable = nullptr;
    g_DDDisplay.nInfoCount = 0;
    SetGlyphSourceForTests(nullptr);
  }
  static uint32_t StripColour(int nItem) { return 0x101010u * static_cast<uint32_t>(nItem + 2) | 0x800000; }
  bool Ok() const { return m_bOk; }

 private:
  cTempFolder m_Folder;
  std::unique_ptr<cGlyphSource> m_Glyphs;
  cVector<FONTINFO> m_FontTable;
  bool m_bOk = false;
};

uint32_t Pixel(const std::vector<uint32_t>& px, int x, int y) {
  return px[static_cast<size_t>(y * 640 + x)] & 0xFFFFFF;
}

}  // namespace

TEST_F(TitleScene, DrawsTheTextMenuWithItsFrameLabelsAndCursor) {
  cTitleDevice dev;
  ASSERT_TRUE(dev.Ok());
  cSceneTitle s;
  ToMenu(s);
  Frame(s);
  EXPECT_FALSE(CloseWasPosted());
  ASSERT_NE(s.MenuSurface(), nullptr);
  // "しゅうりょう" is the widest label: 6 characters.
  EXPECT_EQ(s.MenuSurface()->nWidth, 32 * 6 + 34);
  EXPECT_EQ(s.MenuSurface()->nHeight, 32 * 7 + 2);

  const std::vector<uint32_t> px = BackBufferPixels();
  ASSERT_EQ(px.size(), 640u * 480u);
  const uint32_t frame = TestPalette()[240];
  EXPECT_EQ(Pixel(px, 0, 0), kTitleColour);
  EXPECT_EQ(Pixel(px, kTitleMenuX, kTitleMenuY + 100), frame);
  EXPECT_EQ(Pixel(px, kTitleMenuX + 32 * 6 + 33, kTitleMenuY + 100), frame);
  EXPECT_EQ(Pixel(px, kTitleMenuX + 2, kTitleMenuY + 100), kWindowColour);
  EXPECT_EQ(Pixel(px, kTitleMenuX + 32 * 6 + 34, kTitleMenuY + 100), kTitleColour);
  // The cursor on row 0, its key colour showing the window.
  EXPECT_EQ(Pixel(px, kTitleMenuX + 16, kTitleMenuY + 16), kCursorColour);
  EXPECT_EQ(Pixel(px, kTitleMenuX + 2, kTitleMenuY + 2), kWindowColour);
  // Each row carries ink of its label.
  for (int k = 0; k < 7; ++k) {
    int ink = 0;
    for (int y = kTitleMenuY + 32 * k + 1; y < kTitleMenuY + 32 * k + 31; ++y)
      for (int x = kTitleMenuX + 32; x < kTitleMenuX + 32 * 6 + 32; ++x) ink += Pixel(px, x, y) != kWindowColour;
    EXPECT_GT(ink, 100) << "row " << k;
  }
  Press(s, kDown);
  const std::vector<uint32_t> px2 = BackBufferPixels();
  EXPECT_EQ(Pixel(px2, kTitleMenuX + 16, kTitleMenuY + 32 + 16), kCursorColour);
  EXPECT_EQ(Pixel(px2, kTitleMenuX + 16, kTitleMenuY + 16), kWindowColour);
}

TEST_F(TitleScene, PictureLabelsCentreTheStripsOfTheEnabledItems) {
  g_System.m_bTitleMenuCentred = 1;
  EnableOnly({0, 4, 6});
  cTitleDevice dev;
  ASSERT_TRUE(dev.Ok());
  cSceneTitle s;
  ToMenu(s);
  Frame(s);
  EXPECT_FALSE(CloseWasPosted());
  EXPECT_EQ(s.m_nMenuX, 288 - 128 / 2);
  ASSERT_NE(s.MenuSurface(), nullptr);
  EXPECT_EQ(s.MenuSurface()->nWidth, 128 + 32);
  EXPECT_EQ(s.MenuSurface()->nHeight, 32 * 3 + 2);
  const std::vector<uint32_t> px = BackBufferPixels();
  const int x = s.m_nMenuX;
  const int items[] = {0, 4, 6};
  for (int k = 0; k < 3; ++k) {
    EXPECT_EQ(Pixel(px, x + 32 + 64 + 10, kTitleMenuY + 32 * k + 10), cTitleDevice::StripColour(items[k]))
        << "row " << k;
    EXPECT_EQ(Pixel(px, x + 32 + 10, kTitleMenuY + 32 * k + 10), kTitleColour);  // the strip's key colour
  }
  EXPECT_EQ(Pixel(px, x + 16, kTitleMenuY + 16), kCursorColour);
  EXPECT_EQ(Pixel(px, x + 16, kTitleMenuY + 32 + 16), kTitleColour);
}

TEST_F(TitleScene, ChooserWaitEndsWhenNoWindowAnswers) {
  // No window: nothing to ask.
  g_hWndMain = nullptr;
  EXPECT_FALSE(RequestStageChooser());
  // A window that never sets the done flag, while the program closes.
  g_hWndMain = CreateMessageWindow([](HWND, UINT, WPARAM, LPARAM) -> LRESULT { return 0; });
  BeginShutdown();
  EXPECT_FALSE(RequestReplayChooser());
  EXPECT_FALSE(RequestStageChooser());
}

TEST_F(TitleScene, ComingBackFromTheOptionsBuildsANewTitleOnTheSameRow) {
  SetMode(GAMEMODE_TITLE);
  auto* lpTitle = dynamic_cast<cSceneTitle*>(g_SceneMgr.m_lpTitle);
  ASSERT_NE(lpTitle, nullptr);
  ToMenu(*lpTitle);
  for (int k = 0; k < TITLEITEM_OPTION; ++k) Press(*lpTitle, kDown);
  Frame(*lpTitle, 0, kZ);
  ASSERT_EQ(FramesToModeSwitch(*lpTitle), 10);
  ASSERT_EQ(g_SceneMgr.m_nMode, GAMEMODE_OPTION);
  SetMode(g_SceneMgr.m_nMode);
  EXPECT_EQ(g_SceneMgr.m_lpTitle, nullptr);

  s_Requests.clear();
  g_SceneMgr.m_nMode = GAMEMODE_TITLE;
  SetMode(GAMEMODE_TITLE);
  lpTitle = dynamic_cast<cSceneTitle*>(g_SceneMgr.m_lpTitle);
  ASSERT_NE(lpTitle, nullptr);
  EXPECT_EQ(lpTitle->m_nPhase, -1);
  Frame(*lpTitle);
  EXPECT_EQ(s_Requests, std::vector<std::string>({"bgm 0"}));
  EXPECT_EQ(CurrentMenuState().nRow, TITLEITEM_OPTION);
  DeleteAllScenes();
}
