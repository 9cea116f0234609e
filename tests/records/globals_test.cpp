// The fixed start-up tables and the globals built before the entry runs.
#include "records/globals.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "platform/text_cp932.h"

TEST(StartTables, PathAndExtensionTables) {
  ASSERT_EQ(g_vecPathTable.size(), 47u);
  struct Case {
    int i;
    const char* psz;
  } cases[] = {
      {0, "data\\"},
      {1, "default\\"},
      {2, "data\\stg4\\old_ver\\"},
      {11, "data\\stg4\\Default.stg4_***"},
      {15, "data\\database\\AnimeSet.dat"},
      {23, "data\\database\\Effect.dat"},
      {34, "default\\database\\Bgm.dat"},
      {37, "data\\stg4\\c"},
      {41, "user_data\\story\\Story"},
      {44, "user_data\\"},
      {46, "user_data\\Boot.dat"},
  };
  for (const Case& c : cases) EXPECT_EQ(g_vecPathTable[c.i], c.psz) << c.i;
  // The data paths of the database files pair with their defaults.
  for (int i = 15; i <= 35; i += 2) {
    EXPECT_EQ(g_vecPathTable[i].substr(0, 5), "data\\") << i;
    EXPECT_EQ(g_vecPathTable[i + 1], "default\\" + g_vecPathTable[i].substr(5)) << i;
  }
  EXPECT_EQ(g_vecExtension, (cVector<std::string>{"cplt4", "stg4", "plt4", "rkg"}));
}

TEST(StartTables, LabelTablesEndWithAnEmptyEntry) {
  struct Case {
    const cVector<std::string>* pTable;
    std::vector<const char*> expect;
  } cases[] = {
      {&g_vecAssignOpLabel, {"＝", "＋", "－", "×", "÷", "÷ X の余り", "X ％", ""}},
      {&g_vecCompareOpLabel, {"である", "でない", "以上", "以下", "より上", "より下", ""}},
      {&g_vecConditionSenseLabel, {"なら", "でないなら", ""}},
      {&g_vecColorNameLabel, {"なし", "白", "黒", "赤", "緑", "青", "黄", "赤紫", "青紫", "4色", ""}},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(c.pTable->size(), c.expect.size());
    for (size_t i = 0; i < c.expect.size(); ++i) EXPECT_EQ((*c.pTable)[i], Sjis(c.expect[i])) << c.expect[i];
  }
  // "－" is the CP932 full-width minus 817C.
  EXPECT_EQ(g_vecAssignOpLabel[2], "\x81\x7C");
  ASSERT_EQ(g_vecCharaVarLabel.size(), 9u);
  EXPECT_EQ(g_vecCharaVarLabel[0], Sjis("1 キャラ変数-1"));
  EXPECT_EQ(g_vecCharaVarLabel[7], Sjis("8 キャラ変数-8"));
  EXPECT_EQ(g_vecCharaVarLabel[8], "");
}

TEST(StartTables, SystemBitmapTableRows) {
  ASSERT_EQ(g_vecSystemBitmap.size(), 71u);
  struct Case {
    int i;
    const char* pszFile;
    int32_t an[10];
  } cases[] = {
      {0, "bmp\\plt\\Palette.bmp", {0, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
      {7, "bmp\\Character2.bmp", {1, 0, 0, 1, 0, 1, 32, 0, 0, 0}},
      {21, "bmp\\Shot.bmp", {1, 0, 0, 1, 0, 0, 16, 0, 0, 0}},
      {37, "bmp\\Character8.bmp", {1, 1, 0, 1, 0, 1, 32, 0, 0, 0}},
      {47, "bmp\\Title.bmp", {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {53, "bmp\\WorldEvent.bmp", {1, 1, 0, 0, 0, 0, 0, 0, 0, 0}},
      {54, "bmp\\WorldBack.bmp", {0, 1, 0, 0, 0, 1, 0, 0, 0, 0}},
      {55, "背景その1.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},
      {62, "背景その8.bmp", {1, 0, 0, 0, 0, 1, 0, 0, 0, 0}},
      {63, "E", {1, 1, 0, 0, 0, 0, 0, 0, 256, 960}},
      {66, "E", {0, 1, 0, 0, 0, 0, 0, 0, 640, 480}},
      {68, "E", {1, 1, 0, 1, 0, 0, 0, 0, 640, 480}},
      {69, "E", {1, 0, 2, 0, 0, 0, 0, 0, 1024, 1024}},
      {70, "E", {1, 1, 1, 0, 0, 0, 0, 0, 1024, 1024}},
  };
  for (const Case& c : cases) {
    const SYSTEMBITMAPINFO& r = g_vecSystemBitmap[c.i];
    EXPECT_EQ(r.szFileName, Sjis(c.pszFile)) << c.i;
    const int32_t values[10] = {r.bTransmit, r.nMemType,     r.nDTMemType,    r.bParent, r.bPalMap,
                                r.bNoError,  r.nMirrorWidth, r.nMirrorHeight, r.nWidth,  r.nHeight};
    for (int k = 0; k < 10; ++k) EXPECT_EQ(values[k], c.an[k]) << "row " << c.i << " value " << k + 1;
  }
  // Picture files are loaded with no-error only for the optional ones.
  std::set<int> noError;
  for (int i = 0; i < 71; ++i) {
    if (g_vecSystemBitmap[i].bNoError) noError.insert(i);
  }
  std::set<int> expect = {48, 54, 55, 56, 57, 58, 59, 60, 61, 62};
  for (int i = 6; i <= 19; ++i) expect.insert(i);
  for (int i = 24; i <= 37; ++i) expect.insert(i);
  EXPECT_EQ(noError, expect);
}

TEST(StartTables, ParentLinksAreExactlyTheRowsWithTheParentFlag) {
  std::set<int> flagged;
  for (int i = 0; i < 71; ++i) {
    if (g_vecSystemBitmap[i].bParent) flagged.insert(i);
  }
  std::vector<std::pair<int, int>> links;
  LinkGlobalTables([&](int nSurface, int nParent) { links.emplace_back(nSurface, nParent); });
  ASSERT_EQ(links.size(), 31u);
  std::set<int> linked;
  for (auto [s, p] : links) {
    linked.insert(s);
    // A parent is a plain loaded picture of the same file, or the empty
    // surface before it.
    EXPECT_FALSE(g_vecSystemBitmap[p].bParent) << s;
    EXPECT_EQ(g_vecSystemBitmap[s].szFileName, g_vecSystemBitmap[p].szFileName) << s;
  }
  EXPECT_EQ(linked, flagged);
  const std::vector<std::pair<int, int>> some = {{3, 2}, {21, 20}, {22, 4}, {39, 20}, {41, 40}, {44, 43}, {68, 67}};
  for (const auto& l : some) EXPECT_NE(std::find(links.begin(), links.end(), l), links.end()) << l.first;
}

TEST(StartTables, FontsBlankSurfacesAndConstants) {
  ASSERT_EQ(g_vecFontInfo.size(), 3u);
  const int32_t expect[3][10] = {{0, 9, 10, 10, 241, 45, 1, 240, 50, 2},
                                 {0, 16, 16, 16, 241, 45, 1, 240, 50, 2},
                                 {0, 30, 32, 32, 241, 45, 1, 240, 50, 0}};
  for (int i = 0; i < 3; ++i) {
    const FONTINFO& f = g_vecFontInfo[i];
    EXPECT_EQ(f.szFaceName, "\x82\x6C\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4E");  // ＭＳ ゴシック
    const int32_t got[10] = {f.nWidth,      f.nHeight,      f.nCharSpacing, f.nLineSpacing,      f.nColorNumber,
                             f.nBoxSurface, f.nFrameWidth, f.nFrameColorNumber, f.nIconSurface, f.nFastFont};
    for (int k = 0; k < 10; ++k) EXPECT_EQ(got[k], expect[i][k]) << "font " << i << " value " << k + 1;
  }
  ASSERT_EQ(g_vecBlankSurfaceInfo.size(), 3u);
  for (const SYSTEMBITMAPINFO& b : g_vecBlankSurfaceInfo) {
    EXPECT_EQ(b.szFileName, "");
    EXPECT_EQ(b.nMemType, 1);
    EXPECT_EQ(b.bTransmit + b.nDTMemType + b.bParent + b.nWidth + b.nHeight, 0);
  }
  EXPECT_EQ(g_dSqrt2, std::sqrt(2.0));
  EXPECT_EQ(g_dInvSqrt2, 1.0 / std::sqrt(2.0));
}

TEST(StartTables, ResetMenuStateLeavesOneZeroedCurrentState) {
  ASSERT_EQ(g_MenuState.vecState.size(), 1u);
  EXPECT_EQ(g_MenuState.lpCurrent, &g_MenuState.vecState[0]);
  for (size_t n : {size_t{0}, size_t{1}, size_t{5}}) {
    g_MenuState.vecState.assign(n, MENUSTATE{3, 4, 5, 6});
    g_MenuState.nCurrent = static_cast<int32_t>(n) - 1;
    g_MenuState.lpCurrent = nullptr;
    ResetMenuState();
    ASSERT_EQ(g_MenuState.vecState.size(), 1u) << n;
    const MENUSTATE& m = g_MenuState.vecState[0];
    EXPECT_EQ(m.nCol + m.nRow + m.nX + m.nY, 0) << n;
    EXPECT_EQ(g_MenuState.lpCurrent, &g_MenuState.vecState[0]) << n;
    EXPECT_EQ(g_MenuState.lpPrevious, nullptr) << n;
    EXPECT_EQ(g_MenuState.nCurrent, 0) << n;
  }
}
