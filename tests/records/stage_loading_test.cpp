#include "records/stage_loading.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "base/report.h"
#include "records/system.h"
#include "base/thread_wrapper.h"
#include "tests/support/database_fixtures.h"
#include "tests/support/stage_fixtures.h"
#include "tests/support/system_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

int s_nAppMessages = 0;
LRESULT CountingProc(HWND, UINT msg, WPARAM, LPARAM) {
  if (msg == WM_APP) ++s_nAppMessages;
  return 0;
}

class StageLoading : public cRecordFileTest {
 protected:
  void SetUp() override {
    cRecordFileTest::SetUp();
    g_hWndMain = CreateMessageWindow(nullptr);
    // Headless boxes write "[caption] text" lines to standard error.
    testing::internal::CaptureStderr();
    g_Database = cEdDatabase();
    g_CommonPalette = MakeFixtureCommonPalette();
    g_Stage = cEdStage();
    g_StageCopy = cEdStage();
    std::filesystem::create_directories("data/stg4");
  }
  void TearDown() override {
    testing::internal::GetCapturedStderr();
    ResetMessageLayerForTests();
    g_hWndMain = nullptr;
    g_CommonPalette = cEdCommonPalette();
    g_Stage = cEdStage();
    g_StageCopy = cEdStage();
    g_Database = cEdDatabase();
    g_bStripCR = 0;
  }
  // The boxes shown since the last call, one "[caption] text" line each.
  std::vector<std::string> Boxes() {
    std::string err = testing::internal::GetCapturedStderr();
    testing::internal::CaptureStderr();
    std::vector<std::string> v;
    size_t start = 0;
    for (size_t nl; (nl = err.find('\n', start)) != std::string::npos; start = nl + 1)
      if (err.compare(start, 1, "[") == 0) v.push_back(err.substr(start, nl - start));
    return v;
  }
  // WM_CLOSE requests waiting for the main window.
  int Closes() {
    int n = 0;
    MSG m;
    while (PeekMessage(&m, g_hWndMain.load(), 0, 0, PM_REMOVE))
      if (m.message == WM_CLOSE) ++n;
    return n;
  }
  void WriteStage(const std::string& path, const std::string& text, uint32_t w = 30) {
    cEdStage st = MakeFixtureStage(w, 15);
    st.m_strText = text;
    ASSERT_TRUE(WriteStageFile(st, path));
  }
};

}  // namespace

TEST_F(StageLoading, AProjectLoadsInOrderAndTheNewestStageFillsTheCopy) {
  std::filesystem::create_directories("data/database");
  cEdDatabase db = MakeFixtureDatabase();
  db.m_vecBgm.resize(3);
  ASSERT_TRUE(WriteDatabaseFiles(db));
  ASSERT_TRUE(WriteDefaultSystemDat());
  cEdCommonPalette pal = MakeFixtureCommonPalette();
  ASSERT_TRUE(WriteCommonPaletteFile(pal));
  WriteStage("data\\stg4\\a.stg4_001", "one");
  WriteStage("data\\stg4\\a.stg4_007", "seven", 45);

  g_Database = cEdDatabase();
  g_CommonPalette = cEdCommonPalette();
  ASSERT_TRUE(LoadDatabases());
  ASSERT_TRUE(LoadSystem());
  ASSERT_TRUE(LoadCommonPalette());
  ASSERT_EQ(g_CommonPalette.m_vecChara.size(), 3u);

  ASSERT_TRUE(LoadStage("data\\stg4\\a.stg4", TRUE, &g_StageCopy));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(g_Stage.m_strFilePath, "data\\stg4\\a.stg4_007");
  EXPECT_EQ(g_Stage.m_bFindLatest, 1u);
  EXPECT_EQ(g_Stage.m_bLoaded, 1u);
  // The settings went to the copy; the records stay in g_Stage.
  EXPECT_EQ(g_StageCopy.m_strText, "seven");
  EXPECT_EQ(g_StageCopy.m_nWidth, 45u);
  EXPECT_EQ(g_StageCopy.m_nBgm, 1u);
  EXPECT_EQ(g_StageCopy.m_nTimeLimit, 300u);
  EXPECT_EQ(g_StageCopy.m_vecBackground.size(), 2u);
  EXPECT_EQ(g_StageCopy.m_vecText.size(), 1u);
  EXPECT_EQ(g_StageCopy.m_vecRankingSwitch.size(), 5u);
  EXPECT_EQ(g_StageCopy.m_aSub[4].m_nE, 10u);
  EXPECT_EQ(g_StageCopy.m_nSpeedDiv, 10u);
  EXPECT_TRUE(g_StageCopy.m_vecBlock.empty());
  EXPECT_TRUE(g_StageCopy.m_vecPaletteBlock.empty());
  EXPECT_TRUE(g_StageCopy.m_vecPaletteChara.empty());
  EXPECT_TRUE(g_StageCopy.m_vecChara.empty());
  EXPECT_EQ(g_Stage.m_vecBlock.size(), 45u);
  EXPECT_EQ(g_Stage.m_vecPaletteBlock.size(), 2u);
  EXPECT_EQ(g_Stage.m_vecPaletteBlock[0].m_nImageIndex, 0);
  EXPECT_EQ(g_Stage.m_vecPaletteChara[0].m_nMaxHp, 10u);
  EXPECT_EQ(g_Stage.m_vecPaletteItem.size(), 2u);
  // The enemy took its template's values from the loaded common palette.
  EXPECT_EQ(g_Stage.m_vecChara[1].m_nTemplateSource, PALETTE_COMMON);
  EXPECT_EQ(g_Stage.m_vecBlock[0].m_nInheritSource, PALETTE_COMMON);

  // Without find-latest the exact name is read.
  ASSERT_TRUE(LoadStage("data\\stg4\\a.stg4_001", FALSE, &g_StageCopy));
  EXPECT_EQ(g_StageCopy.m_strText, "one");
  EXPECT_EQ(g_Stage.m_bFindLatest, 0u);
}

TEST_F(StageLoading, CheckStageFileTestsTheEndMarkFromVersion174) {
  WriteStage("data\\stg4\\good.stg4_000", "g");
  const std::string good = m_Tmp.ReadFile("data/stg4/good.stg4_000");
  auto WithVersionAndTail = [&](uint32_t v, uint32_t tail) {
    std::string s = good;
    std::memcpy(s.data(), &v, 4);
    std::memcpy(s.data() + s.size() - 4, &tail, 4);
    return s;
  };
  struct {
    std::string bytes;
    bool bOk;
  } cases[] = {
      {WithVersionAndTail(667, STAGE_END_MARK), true},
      {WithVersionAndTail(174, STAGE_END_MARK), true},
      {WithVersionAndTail(174, STAGE_END_MARK + 1), false},
      {WithVersionAndTail(667, 0), false},
      {WithVersionAndTail(173, 5), true},
      {std::string("\x9b\x02", 2), false},  // too short for its version
  };
  for (const auto& c : cases) {
    m_Tmp.WriteFile("data/stg4/c.stg4_000", c.bytes);
    EXPECT_EQ(CheckStageFile("data\\stg4\\c.stg4_000"), c.bOk ? TRUE : FALSE);
    EXPECT_EQ(Closes(), c.bOk ? 0 : 1);
    std::vector<std::string> boxes = Boxes();
    if (c.bOk) {
      EXPECT_TRUE(boxes.empty());
    } else {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0], "[エラー] ステージファイル data\\stg4\\c.stg4_000 が破損しています！");
    }
  }
  EXPECT_TRUE(CheckStageFile("data\\stg4\\none.stg4_000"));
}

TEST_F(StageLoading, FailuresGiveTheirBoxesAndCloseWhereTheyMust) {
  // No numbered file: nothing shown.
  EXPECT_FALSE(LoadStage("data\\stg4\\missing.stg4", TRUE, &g_StageCopy));
  EXPECT_TRUE(Boxes().empty());
  EXPECT_EQ(Closes(), 0);

  // A path that does not exist: the read fails, no close.
  EXPECT_FALSE(LoadStage("data\\stg4\\missing.stg4_000", FALSE, &g_StageCopy));
  std::vector<std::string> boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "[エラー] ステージファイル data\\stg4\\missing.stg4_000 の読み込みに失敗しました！");
  EXPECT_EQ(Closes(), 0);

  // A damaged version-173 file passes the check and fails in the read; the
  // half-read stage is not kept.
  WriteStage("data\\stg4\\short.stg4_000", "s");
  std::string bytes = m_Tmp.ReadFile("data/stg4/short.stg4_000");
  bytes[0] = static_cast<char>(173);
  bytes[1] = 0;
  m_Tmp.WriteFile("data/stg4/short.stg4_000", bytes.substr(0, bytes.size() / 2));
  EXPECT_FALSE(LoadStage("data\\stg4\\short.stg4_000", FALSE, &g_StageCopy));
  EXPECT_EQ(Boxes().size(), 1u);
  EXPECT_EQ(Closes(), 0);
  EXPECT_EQ(g_Stage.m_vecBlock.size(), 0u);
  EXPECT_EQ(g_Stage.m_strText, "");

  // A stage without a player: read, refused, closed.
  cEdStage st = MakeFixtureStage(30, 15);
  st.m_vecChara[0].m_nType = 1;
  ASSERT_TRUE(WriteStageFile(st, "data\\stg4\\np.stg4_000"));
  g_StageCopy.m_strText = "untouched";
  EXPECT_FALSE(LoadStage("data\\stg4\\np.stg4", TRUE, &g_StageCopy));
  boxes = Boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0], "[エラー] 主人公が配置されていないのでプレイできません！");
  EXPECT_EQ(Closes(), 1);
  EXPECT_EQ(g_StageCopy.m_strText, "untouched");
  EXPECT_EQ(g_Stage.m_bLoaded, 1u);
}

// The read on thLoader can throw (no memory for a huge stage): the load
// then fails as a read that failed, with a report line and the box, rather
// than leaving the caller waiting for a loader that has ended.
TEST_F(StageLoading, AReadThatThrowsIsAFailedRead) {
  WriteStage("data\\stg4\\t.stg4_000", "t");
  g_StageCopy.m_strText = "untouched";
  const struct {
    const char* pszWhat;
    void (*pfnThrow)();
  } cases[] = {
      {"std::bad_alloc", [] { throw std::bad_alloc(); }},
      {"by an exception\n", [] { throw 7; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    SetStageReadHookForTests(c.pfnThrow);
    EXPECT_FALSE(LoadStage("data\\stg4\\t.stg4_000", FALSE, &g_StageCopy));
    SetStageReadHookForTests(nullptr);
    std::vector<std::string> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], "[エラー] ステージファイル data\\stg4\\t.stg4_000 の読み込みに失敗しました！");
    EXPECT_EQ(Closes(), 0);
    EXPECT_NE(m_Tmp.ReadFile("Report_Game.txt").find(c.pszWhat), std::string::npos);
    EXPECT_EQ(g_Stage.m_bLoaded, 0u);
    EXPECT_EQ(g_StageCopy.m_strText, "untouched");
  }
  // The next load reads the same file whole.
  EXPECT_TRUE(LoadStage("data\\stg4\\t.stg4_000", FALSE, &g_StageCopy));
  EXPECT_EQ(g_StageCopy.m_strText, "t");
}

TEST_F(StageLoading, WithoutADestinationTheStageStaysInGStageOnly) {
  WriteStage("data\\stg4\\b.stg4_000", "b");
  g_StageCopy.m_strText = "untouched";
  ASSERT_TRUE(LoadStage("data\\stg4\\b.stg4", TRUE, nullptr));
  EXPECT_EQ(g_StageCopy.m_strText, "untouched");
  EXPECT_EQ(g_Stage.m_strText, "b");
  EXPECT_EQ(g_Stage.m_vecBlock.size(), 30u);
}

TEST_F(StageLoading, MessagesAreHandledDuringTheLoadAndAQuitEndsItAndStaysPosted) {
  WriteStage("data\\stg4\\q.stg4_000", "q", 200);
  HWND w = CreateMessageWindow(&CountingProc);
  s_nAppMessages = 0;
  PostMessage(w, WM_APP, 0, 0);
  PostMessage(w, WM_APP, 0, 0);
  ASSERT_TRUE(LoadStage("data\\stg4\\q.stg4", TRUE, &g_StageCopy));
  // Handled while the loader ran, or left for this thread's own loop.
  MSG m;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessage(&m);
  EXPECT_EQ(s_nAppMessages, 2);

  PostQuitMessage(3);
  EXPECT_FALSE(LoadStage("data\\stg4\\q.stg4", TRUE, &g_StageCopy));
  EXPECT_TRUE(Boxes().empty());
  bool bQuit = false;
  while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
    if (m.message == WM_QUIT && m.wParam == 3) bQuit = true;
  EXPECT_TRUE(bQuit);
  // The loader has ended; the next load works.
  ASSERT_TRUE(LoadStage("data\\stg4\\q.stg4", TRUE, &g_StageCopy));
  EXPECT_EQ(g_StageCopy.m_strText, "q");
  DestroyMessageWindow(w);
}

TEST_F(StageLoading, AQuitDuringALongReadLeavesNoHalfReadStage) {
  cEdStage big = MakeLargeStage(1000, 40, 20000, 50, 50);
  ASSERT_TRUE(WriteStageFile(big, "data\\stg4\\big.stg4_000"));
  for (int attempt = 0; attempt < 3; ++attempt) {
    PostQuitMessage(0);
    EXPECT_FALSE(LoadStage("data\\stg4\\big.stg4", TRUE, &g_StageCopy));
    // The loader either finished before it was told to end or dropped what
    // it had read.
    const size_t n = g_Stage.m_vecBlock.size();
    EXPECT_TRUE(n == 0 || n == 20000u) << n;
    EXPECT_EQ(g_Stage.m_bLoaded == 1, n == 20000u);
    MSG m;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }
}

TEST_F(StageLoading, ShutDownDuringALoadEndsItWithoutAHalfReadStage) {
  cEdStage big = MakeLargeStage(1000, 40, 20000, 50, 50);
  ASSERT_TRUE(WriteStageFile(big, "data\\stg4\\big.stg4_000"));
  BeginShutdown();
  // Whether the caller looks at the shut-down before or after the loader is
  // through the 20,000 blocks, no stage is left.
  EXPECT_FALSE(LoadStage("data\\stg4\\big.stg4", TRUE, &g_StageCopy));
  EXPECT_EQ(g_Stage.m_vecBlock.size(), 0u);
  EXPECT_EQ(g_Stage.m_bLoaded, 0u);
  EXPECT_TRUE(Boxes().empty());
}

namespace {
// Stands for a window thread that is slow to look at its queue: the first
// look (the event pump runs first) lasts until the loader has ended, which
// its queue's removal shows.
void PumpUntilTheLoaderHasEnded() {
  for (int i = 0; i < 10000 && PostThreadMessage(thLoader.m_dwThreadId.load(), WM_NULL, 0, 0); ++i) Sleep(1);
}
}  // namespace

// The loader finishes before the caller sees the quit or the shut-down that
// came first: the load still ends without a stage, as a long one does.
TEST_F(StageLoading, AQuitOrShutDownBeforeTheCallerLooksLeavesNoStage) {
  WriteStage("data\\stg4\\s.stg4_000", "s");
  struct CASE {
    const char* m_pszName;
    bool m_bShutdown;
  } cases[] = {{"quit", false}, {"shut-down", true}};
  for (const CASE& c : cases) {
    if (c.m_bShutdown)
      BeginShutdown();
    else
      PostQuitMessage(4);
    SetEventPump(GetCurrentThreadId(), &PumpUntilTheLoaderHasEnded);
    EXPECT_FALSE(LoadStage("data\\stg4\\s.stg4", TRUE, &g_StageCopy)) << c.m_pszName;
    SetEventPump(GetCurrentThreadId(), nullptr);
    EXPECT_EQ(g_Stage.m_bLoaded, 0u) << c.m_pszName;
    EXPECT_TRUE(g_Stage.m_vecBlock.empty()) << c.m_pszName;
    EXPECT_NE(g_StageCopy.m_strText, "s") << c.m_pszName;
    EXPECT_TRUE(Boxes().empty()) << c.m_pszName;
    MSG m;
    bool bQuit = false;
    while (PeekMessage(&m, nullptr, 0, 0, PM_REMOVE))
      if (m.message == WM_QUIT && m.wParam == 4) bQuit = true;
    EXPECT_EQ(bQuit, !c.m_bShutdown) << c.m_pszName;
  }
}
