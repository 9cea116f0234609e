#include "shell/boot_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>

#include "platform/file_system.h"
#include "platform/messages.h"
#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "base/report.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/corruption.h"
#include "tests/support/temp_folder.h"

namespace {

// Boot.dat as the layout gives it: version 667, 2 fields, mode, hide, 0 strings.
std::string BootBytes(int nMode, int nHide) {
  return Bytes({0x9B, 0x02, 0, 0, 2, 0, 0, 0, nMode, 0, 0, 0, nHide, 0, 0, 0, 0, 0, 0, 0});
}

class BootFile : public ::testing::Test {
 protected:
  void SetUp() override {
    g_nCurDataVersion = 667;
    ResetMessageLayerForTests();
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    g_Boot.m_dwDrawMode = g_Boot.m_dwHideDialog = 0;
    ::setenv("TARVOLIN4_HEADLESS", "1", 1);
    CreateDirectoryA("user_data");  // start-up makes it before the file is used
  }
  void TearDown() override {
    ::unsetenv("TARVOLIN4_ANSWERS");
    ResetScriptedAnswersForTests();
  }
  cTempFolder m_Tmp;
};

}  // namespace

TEST_F(BootFile, GoldenBytesBothWays) {
  cEdBoot boot;
  EXPECT_EQ(boot.m_dwDrawMode, 0u);
  EXPECT_EQ(boot.m_dwHideDialog, 0u);
  boot.m_dwDrawMode = 1;
  boot.m_dwHideDialog = 1;
  ASSERT_TRUE(boot.SaveToFile(kBootPath));
  EXPECT_EQ(m_Tmp.ReadFile("user_data/Boot.dat"), BootBytes(1, 1));

  m_Tmp.WriteFile("user_data/Boot.dat", BootBytes(1, 0));
  cEdBoot read;
  ASSERT_TRUE(LoadBootFile(read));
  EXPECT_EQ(read.m_dwDrawMode, 1u);
  EXPECT_EQ(read.m_dwHideDialog, 0u);
}

TEST_F(BootFile, DamagedFileLeavesTheRecordWhole) {
  // A file cut after the drawing mode: nothing of it is taken.
  m_Tmp.WriteFile("user_data/Boot.dat", BootBytes(1, 1).substr(0, 12));
  cEdBoot boot;
  EXPECT_FALSE(LoadBootFile(boot));
  EXPECT_EQ(boot.m_dwDrawMode, 0u);
  EXPECT_EQ(boot.m_dwHideDialog, 0u);

  const std::string good = BootBytes(1, 1);
  CORRUPTIONPLAN plan;
  plan.nMutations = 400;
  int n = RunCorruptionHarness(good, "user_data\\Boot.dat", [] {
    cEdBoot b;
    b.m_dwDrawMode = 7;
    b.m_dwHideDialog = 7;
    if (!LoadBootFile(b)) {
      EXPECT_EQ(b.m_dwDrawMode, 7u);
      EXPECT_EQ(b.m_dwHideDialog, 7u);
    }
  }, plan);
  EXPECT_GT(n, 20);
}

TEST_F(BootFile, DrawingPathDecision) {
  enum { NONE = -1 };
  struct CASE {
    const char* pszWhat;
    int nDirect3D;
    int nBootMode, nBootHide;  // NONE: no Boot.dat
    const char* pszAnswers;    // null: none
    int nResult;
    bool bDialog;
    int nSavedMode, nSavedHide;  // NONE: no file afterwards
  } cases[] = {
      {"DirectDraw asked for", 0, NONE, NONE, "d3d", 0, false, NONE, NONE},
      {"Direct3D asked for", 1, 1, 1, "ddraw", 1, false, 1, 1},
      {"first start, Direct3D chosen", 2, NONE, NONE, "d3d", 1, true, 1, 0},
      {"first start, DirectDraw chosen", 3, NONE, NONE, "ddraw", 0, true, 0, 0},
      {"first start, stopped", 2, NONE, NONE, "cancel", kDrawingPathCancelled, true, NONE, NONE},
      {"first start, no answer starts with DirectDraw", 2, NONE, NONE, nullptr, 0, true, 0, 0},
      {"remembered Direct3D, shown again", 2, 1, 0, nullptr, 1, true, 1, 0},
      {"remembered choice changed", 2, 1, 0, "ddraw", 0, true, 0, 0},
      {"hidden Direct3D", 2, 1, 1, "cancel", 1, false, 1, 1},
      {"hidden DirectDraw", 2, 0, 1, "d3d", 0, false, 0, 1},
      {"hidden, odd mode counts as DirectDraw", 5, 7, 1, nullptr, 0, false, 7, 1},
  };
  for (const CASE& c : cases) {
    cTempFolder tmp;
    CreateDirectoryA("user_data");
    g_Boot.m_dwDrawMode = g_Boot.m_dwHideDialog = 0;
    if (c.nBootMode != NONE) tmp.WriteFile("user_data/Boot.dat", BootBytes(c.nBootMode, c.nBootHide));
    if (c.pszAnswers)
      ::setenv("TARVOLIN4_ANSWERS", c.pszAnswers, 1);
    else
      ::unsetenv("TARVOLIN4_ANSWERS");
    ResetScriptedAnswersForTests();
    testing::internal::CaptureStderr();
    int nResult = DecideDrawingPath(c.nDirect3D, Sjis("テストゲーム"));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_EQ(nResult, c.nResult) << c.pszWhat;
    EXPECT_EQ(err.find("[テストゲーム]") != std::string::npos, c.bDialog) << c.pszWhat << ": " << err;
    if (c.bDialog) {
      EXPECT_NE(err.find("詳細な設定は環境設定ファイル「System.ini」で行って下さい。"), std::string::npos);
    }
    if (c.nSavedMode == NONE) {
      EXPECT_FALSE(tmp.Exists("user_data/Boot.dat")) << c.pszWhat;
    } else {
      EXPECT_EQ(tmp.ReadFile("user_data/Boot.dat"), BootBytes(c.nSavedMode, c.nSavedHide)) << c.pszWhat;
    }
  }
}

TEST_F(BootFile, TickedHideMakesLaterStartsSilent) {
  // The drawn dialog ticks the box and picks Direct3D; the next start asks
  // nobody.
  int nAsked = 0;
  auto tick = [&](cEdBoot& boot, const std::string& caption) {
    ++nAsked;
    EXPECT_EQ(caption, Sjis("題"));
    EXPECT_EQ(boot.m_dwDrawMode, 0u);  // a first start shows DirectDraw checked
    boot.m_dwDrawMode = 1;
    boot.m_dwHideDialog = 1;
    return 1;
  };
  EXPECT_EQ(DecideDrawingPath(2, Sjis("題"), tick), 1);
  EXPECT_EQ(m_Tmp.ReadFile("user_data/Boot.dat"), BootBytes(1, 1));
  g_Boot.m_dwDrawMode = g_Boot.m_dwHideDialog = 0;
  EXPECT_EQ(DecideDrawingPath(2, Sjis("題"), tick), 1);
  EXPECT_EQ(nAsked, 1);
}

TEST_F(BootFile, TheSameChoiceAgainLeavesTheFileAsItIs) {
  // A save replaces the file (a new one renamed over it); a start that
  // changes nothing keeps the one there, unless it is of an older layout.
  auto inode = [] {
    struct stat st {};
    return ::stat("user_data/Boot.dat", &st) == 0 ? st.st_ino : 0;
  };
  auto same = [](cEdBoot&, const std::string&) { return 1; };
  m_Tmp.WriteFile("user_data/Boot.dat", BootBytes(1, 0));
  const ino_t nBefore = inode();
  EXPECT_EQ(DecideDrawingPath(2, Sjis("題"), same), 1);
  EXPECT_EQ(inode(), nBefore);
  std::string older = BootBytes(1, 0);
  older[0] = static_cast<char>(0x90);  // version 656
  m_Tmp.WriteFile("user_data/Boot.dat", older);
  EXPECT_EQ(DecideDrawingPath(2, Sjis("題"), same), 1);
  EXPECT_EQ(m_Tmp.ReadFile("user_data/Boot.dat"), BootBytes(1, 0));
}
