// Files of older data versions: their layouts and the ordered conversions.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "base/report.h"
#include "records/system.h"
#include "tests/support/system_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

class SystemVersions : public cRecordFileTest {
 protected:
  void SetUp() override {
    cRecordFileTest::SetUp();
    m_Saved = g_System;
  }
  void TearDown() override {
    g_System = m_Saved;
    g_bStripCR = 0;
  }
  // Writes sys as version v wrote it and loads it over a new project.
  const cEdSystem& Load(cEdSystem& sys, int v) {
    EXPECT_TRUE(WriteSystemDat(sys, v));
    g_System = cEdSystem();
    EXPECT_TRUE(LoadSystem());
    EXPECT_EQ(g_nFileDataVersion, v);
    return g_System;
  }
  std::string ReportText() { return m_Tmp.ReadFile("Report_Game.txt"); }

  cEdSystem m_Saved;
  cEdSystem m_Default;
};

std::vector<std::string> KeyNames(const cEdSystem& s) {
  std::vector<std::string> v;
  for (const cEdSystemElemC& k : s.m_vecIniKey) v.push_back(k.m_strKey);
  return v;
}

}  // namespace

// Each version's defaults, as that version held them, come back as the
// defaults of today, apart from what the conversions set on purpose.
TEST_F(SystemVersions, OldDefaultsComeBackAsTodaysLists) {
  for (int v : {100, 168, 180, 240, 285, 500, 567, 586, 636, 666}) {
    SCOPED_TRACE(v);
    cEdSystem old = SystemAsWrittenBy(v);
    const cEdSystem& s = Load(old, v);
    EXPECT_EQ(s.m_vecText, m_Default.m_vecText);
    // The 1 that 168 inserted at 16 ends at 18 after the later inserts, where
    // a new project has 0.
    cVector<uint8_t> carry = m_Default.m_vecCarryStatus;
    if (v < 168) carry[18] = 1;
    EXPECT_EQ(s.m_vecCarryStatus, carry);
    ASSERT_EQ(s.m_vecSaveMenu.size(), 4u);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(s.m_vecSaveMenu[i].m_strLabel, m_Default.m_vecSaveMenu[i].m_strLabel);
    EXPECT_EQ(KeyNames(s), KeyNames(m_Default));
    for (int i = 0; i < 9; ++i) EXPECT_EQ(s.m_vecIniKey[i].m_nKind, m_Default.m_vecIniKey[i].m_nKind) << i;
    // Direct3D comes with the value 1 into files that had no such key.
    EXPECT_EQ(s.m_vecIniKey[0].m_nValue, v < 286 ? 1u : 2u);
    EXPECT_EQ(s.m_vecStatusItem.size(), 5u);
  }
}

// Scalars that the conversions set, by version (a row per version, the
// expected values after loading the old defaults).
TEST_F(SystemVersions, ScalarConversionsByVersion) {
  struct CASE {
    int v;
    uint32_t keepMarked, titleCentred, fontB, replay, extend, colourMode, transG, resetTest;
    uint32_t fontFace, followScroll, pauseA, scaleFoot, colourChange, paletteCycle, ramp, retrigger, shotOption,
        blockKeep, storyMiss;
  };
  const CASE kCases[] = {
      // v    km tc fB rp ex cm  tG  rT  face fs pA sf cc pc ramp rt so bk sm
      {100, 0, 0, 0, 1, 1, 0, 177, 1, 60, 1, 0, 1, 0, 1, 16, 1, 1, 1, 0},
      {168, 0, 1, 0, 1, 1, 0, 177, 1, 60, 1, 0, 1, 0, 1, 16, 1, 1, 1, 0},
      {180, 0, 1, 0, 1, 1, 0, 177, 1, 60, 1, 0, 1, 0, 1, 16, 1, 1, 1, 0},
      {240, 0, 1, 0, 1, 0, 0, 0, 0, 60, 0, 1, 1, 0, 1, 16, 1, 1, 1, 1},
      {285, 0, 1, 0, 1, 0, 0, 0, 0, 60, 0, 1, 0, 0, 1, 16, 1, 1, 1, 1},
      {500, 0, 1, 0, 1, 0, 0, 0, 0, 60, 0, 1, 0, 0, 0, 16, 1, 1, 1, 1},
      {586, 0, 1, 0, 1, 0, 0, 0, 0, 60, 0, 1, 0, 0, 0, 16, 0, 0, 1, 1},
      {617, 0, 1, 0, 1, 0, 0, 0, 0, 60, 0, 1, 0, 0, 0, 16, 0, 0, 0, 1},
  };
  for (const CASE& c : kCases) {
    SCOPED_TRACE(c.v);
    cEdSystem old = SystemAsWrittenBy(c.v);
    const cEdSystem& s = Load(old, c.v);
    EXPECT_EQ(s.m_bKeepMarkedFlows, c.keepMarked);
    EXPECT_EQ(s.m_bTitleMenuCentred, c.titleCentred);
    EXPECT_EQ(s.m_nFontSettingB, c.fontB);
    EXPECT_EQ(s.m_bReplaySave, c.replay);
    EXPECT_EQ(s.m_bExtendOn, c.extend);
    EXPECT_EQ(s.m_nColourMode, c.colourMode);
    EXPECT_EQ(s.m_byTransG, c.transG);
    EXPECT_EQ(s.m_nResetStatusTest, c.resetTest);
    EXPECT_EQ(s.m_nFontFace, c.fontFace);
    EXPECT_EQ(s.m_bFollowScroll, c.followScroll);
    EXPECT_EQ(s.m_bPauseItemA, c.pauseA);
    EXPECT_EQ(s.m_bPauseItemB, c.pauseA);
    EXPECT_EQ(s.m_bScaleFromFoot, c.scaleFoot);
    EXPECT_EQ(s.m_bCharaColourChange, c.colourChange);
    EXPECT_EQ(s.m_bPaletteCycle, c.paletteCycle);
    EXPECT_EQ(s.m_nColourRampValue, c.ramp);
    EXPECT_EQ(s.m_bRetrigger, c.retrigger);
    EXPECT_EQ(s.m_bShotOption, c.shotOption);
    EXPECT_EQ(s.m_bBlockKeepAlone, c.blockKeep);
    EXPECT_EQ(s.m_bStoryMissMenu, c.storyMiss);
    EXPECT_EQ(s.m_bMapShowLives, c.storyMiss);
  }
}

TEST_F(SystemVersions, Version168SaveMenuGetsAutoSaveSecond) {
  cEdSystem old = SystemAsWrittenBy(168);
  old.m_vecSaveMenu.resize(3);
  old.m_vecSaveMenu[0].m_strLabel = "a";
  old.m_vecSaveMenu[1].m_strLabel = "b";
  old.m_vecSaveMenu[2].m_strLabel = "c";
  old.m_vecSaveMenu[2].m_bEnabled = 0;
  old.m_vecTitleMenu.resize(5);
  const cEdSystem& s = Load(old, 168);
  ASSERT_EQ(s.m_vecSaveMenu.size(), 4u);
  const char* const kLabels[4] = {"a", "オートセーブ", "b", "c"};
  for (int i = 0; i < 4; ++i) EXPECT_EQ(s.m_vecSaveMenu[i].m_strLabel, Sjis(kLabels[i])) << i;
  EXPECT_EQ(s.m_vecSaveMenu[1].m_bEnabled, 1u);
  EXPECT_EQ(s.m_vecSaveMenu[3].m_bEnabled, 0u);
  EXPECT_EQ(s.m_vecTitleMenu.size(), 5u);
  EXPECT_EQ(s.m_vecOptionMenu.size(), 6u);
  // Lists that 168 did not carry: defaults, then converted.
  EXPECT_EQ(s.m_vecInfiniteLives, (cVector<uint32_t>{0, 0, 0, 1}));
  EXPECT_EQ(s.m_vecScreenBgmLoop, (cVector<uint8_t>{1, 1, 1, 1}));
  EXPECT_EQ(s.m_vecResetSwitch, cVector<uint8_t>(25, 0));
  // Status items of before 204 show their numbers.
  for (const cEdSystemElemB& item : s.m_vecStatusItem) EXPECT_EQ(item.m_bShowNumber, 1u);
}

TEST_F(SystemVersions, Version168TextsAndCarryStatusInserts) {
  // Distinct texts show where each insert lands.
  cEdSystem old = SystemAsWrittenBy(168);
  ASSERT_EQ(old.m_vecText.size(), 21u);
  for (size_t i = 0; i < old.m_vecText.size(); ++i) old.m_vecText[i] = "t" + std::to_string(i);
  ASSERT_EQ(old.m_vecCarryStatus.size(), 23u);
  for (size_t i = 0; i < old.m_vecCarryStatus.size(); ++i) old.m_vecCarryStatus[i] = static_cast<uint8_t>(10 + i);
  const cEdSystem& s = Load(old, 168);
  const char* const kExpect[28] = {"t0",  "t1",  "t2",  "t3",  "t4",  "t5",  "t6",  "t7",  "残りHP", "残りSP",
                                   "t8",  "t9",  "t10", "t11", "オートセーブＯＮ", "オートセーブＯＦＦ",
                                   "保存先が不明です！一度は「セーブ」して下さい！", "t12", "t13", "t14", "t15",
                                   "t16", "リトライ", "マップへ戻る", "t17", "t18", "t19", "t20"};
  ASSERT_EQ(s.m_vecText.size(), 28u);
  for (int i = 0; i < 28; ++i) EXPECT_EQ(s.m_vecText[i], Sjis(kExpect[i])) << i;
  // 168 has the insert at 16 already; 201 puts 0 at 14, then 210 0 at 9.
  const uint8_t kCarry[25] = {10, 11, 12, 13, 14, 15, 16, 17, 18, 0,  19, 20, 21,
                              22, 23, 0,  24, 25, 26, 27, 28, 29, 30, 31, 32};
  ASSERT_EQ(s.m_vecCarryStatus.size(), 25u);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(s.m_vecCarryStatus[i], kCarry[i]) << i;
}

TEST_F(SystemVersions, Version180KeepsDefaultRankingSwitchesWithoutCategories3And4) {
  cEdSystem old = SystemAsWrittenBy(180);
  old.m_vecRankingSwitch[0].m_bOn = 0;  // not in the file: stays a default
  const cEdSystem& s = Load(old, 180);
  ASSERT_EQ(s.m_vecRankingSwitch.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    const uint8_t on = i < 3 ? 1 : 0;
    EXPECT_EQ(s.m_vecRankingSwitch[i].m_bOn, on);
    EXPECT_EQ(s.m_vecRankingSwitch[i].Flags(), (cVector<uint8_t>{on, on, on, 0, 0})) << i;
  }
}

TEST_F(SystemVersions, Version240DropsTheWordAfterFollowScroll) {
  cEdSystem old = SystemAsWrittenBy(240);
  old.m_bFollowScroll = 1;
  old.m_bScaleFromFoot = 0;
  old.m_bKeepDefeated = 1;
  ASSERT_TRUE(WriteSystemDat(old, 240));
  std::string bytes = m_Tmp.ReadFile("data/System.dat");
  uint32_t nFields = 0;
  std::memcpy(&nFields, bytes.data() + 4, 4);
  EXPECT_EQ(nFields, 30u);  // 29 fields and the dropped word
  // The dropped word is the last field; give it a value that must vanish.
  const size_t kDropped = 8 + 25 * 4 + 3 + 4;
  uint32_t w = 0x12345678;
  std::memcpy(bytes.data() + kDropped, &w, 4);
  m_Tmp.WriteFile("data/System.dat", bytes);
  g_System = cEdSystem();
  ASSERT_TRUE(LoadSystem());
  EXPECT_EQ(g_System.m_bFollowScroll, 1u);
  EXPECT_EQ(g_System.m_bScaleFromFoot, 1u);
  EXPECT_EQ(g_System.m_bKeepDefeated, 0u);
  EXPECT_EQ(g_System.m_nColourRampValue, 16u);
}

TEST_F(SystemVersions, Version285KeyTable) {
  cEdSystem old = SystemAsWrittenBy(285);
  ASSERT_EQ(KeyNames(old), (std::vector<std::string>{"WindowMode", "Bpp", "VSync", "ShowFps", "FreeStage"}));
  old.m_vecIniKey[2].m_nValue = 3;
  old.m_vecIniKey[4].m_strValue = "stage.stg4";
  const cEdSystem& s = Load(old, 285);
  const struct {
    const char* name;
    uint32_t value;
  } kKeys[9] = {{"Direct3D", 1},      {"WindowMode", 0},   {"Bpp", 0},
                {"VSync", 2},         {"D3D_FontCache", 0}, {"DD_FontCache", 1},
                {"DD_VideoStretch", 0}, {"ShowFps", 1},    {"FreeStage", 0}};
  ASSERT_EQ(s.m_vecIniKey.size(), 9u);
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(s.m_vecIniKey[i].m_strKey, kKeys[i].name) << i;
    EXPECT_EQ(s.m_vecIniKey[i].m_nValue, kKeys[i].value) << i;
  }
  EXPECT_EQ(s.m_vecIniKey[8].m_nKind, 1u);
  EXPECT_EQ(s.m_vecIniKey[8].m_strValue, "stage.stg4");
}

TEST_F(SystemVersions, Version567KeyTable) {
  cEdSystem old = SystemAsWrittenBy(567);
  old.m_vecIniKey[4].m_nValue = 1;  // DD_VideoStretch
  const cEdSystem& s = Load(old, 567);
  EXPECT_EQ(s.m_vecIniKey[4].m_strKey, "D3D_FontCache");
  EXPECT_EQ(s.m_vecIniKey[5].m_strKey, "DD_FontCache");
  EXPECT_EQ(s.m_vecIniKey[6].m_strKey, "DD_VideoStretch");
  EXPECT_EQ(s.m_vecIniKey[6].m_nValue, 1u);
}

TEST_F(SystemVersions, Version500ResetSwitchesBecomeZero) {
  cEdSystem old = SystemAsWrittenBy(500);
  const cEdSystem& s = Load(old, 500);
  EXPECT_EQ(s.m_vecResetSwitch, cVector<uint8_t>(25, 0));
  EXPECT_NE(m_Default.m_vecResetSwitch, s.m_vecResetSwitch);
}

TEST_F(SystemVersions, Version586StatusItemsGetLowMarks) {
  cEdSystem old = SystemAsWrittenBy(586);
  old.m_vecStatusItem.resize(3);
  old.m_vecStatusItem[0].m_bShowNumber = 0;
  const cEdSystem& s = Load(old, 586);
  ASSERT_EQ(s.m_vecStatusItem.size(), 5u);
  EXPECT_EQ(s.m_vecStatusItem[0].m_bShowNumber, 0u);
  for (int i = 0; i < 5; ++i) {
    const bool gauge = i == 2 || i == 3;
    EXPECT_EQ(s.m_vecStatusItem[i].m_nLowMark, gauge ? 33 : 0) << i;
    EXPECT_EQ(s.m_vecStatusItem[i].m_bLowMarkPercent, gauge ? 1u : 0u) << i;
  }
}

// Hand-made bytes, so that reader and writer cannot share a mistake: the
// smallest version-100 file (six fields) with empty lists.
TEST_F(SystemVersions, HandWrittenVersion100File) {
  std::string b;
  auto u32 = [&b](uint32_t v) { b.append(reinterpret_cast<const char*>(&v), 4); };
  u32(100);
  u32(6);
  // extend score, hide while paused, font A, carry lives, challenge limit, on
  for (uint32_t v : {250u, 0u, 3u, 0u, 7u, 1u}) u32(v);
  u32(1);
  u32(5);
  b.append("Game", 5);
  for (int i = 0; i < 4; ++i) u32(0);  // carry, status items, start lives, texts
  u32(0);                              // sound files
  u32(2);
  u32(0);  // two screen music indices
  u32(0);
  for (int i = 0; i < 4; ++i) u32(0);  // three menus, keys
  m_Tmp.WriteFile("data/System.dat", b);
  g_System = cEdSystem();
  ASSERT_TRUE(LoadSystem());
  const cEdSystem& s = g_System;
  EXPECT_EQ(s.m_strTitle, "Game");
  EXPECT_EQ(s.m_nExtendScore, 250u);
  EXPECT_EQ(s.m_nFontSettingA, 3u);
  EXPECT_EQ(s.m_bCarryLives, 0u);
  EXPECT_EQ(s.m_nChallengeLimit, 7u);
  EXPECT_EQ(s.m_bChallengeLimitOn, 1u);
  EXPECT_EQ(s.m_vecScreenBgm, (cVector<uint32_t>{0, 0}));
  EXPECT_EQ(s.m_vecScreenBgmLoop, (cVector<uint8_t>{1, 1, 1, 1}));
  // Empty lists grown by the conversions.
  EXPECT_EQ(s.m_vecCarryStatus.size(), 25u);
  EXPECT_EQ(s.m_vecCarryStatus[18], 1);  // put at 16, moved by 201 and 210
  EXPECT_EQ(s.m_vecText.size(), 28u);
  EXPECT_EQ(s.m_vecText[8], Sjis("残りHP"));
  EXPECT_EQ(s.m_vecText[14], Sjis("オートセーブＯＮ"));  // put at 12, moved by 181
  EXPECT_EQ(s.m_vecText[22], Sjis("リトライ"));
  EXPECT_EQ(s.m_vecText[0], "");
  EXPECT_EQ(s.m_vecSaveMenu.size(), 4u);
  EXPECT_EQ(s.m_vecIniKey.size(), 9u);
  EXPECT_EQ(s.m_vecIniKey[0].m_strKey, "Direct3D");
  EXPECT_EQ(s.m_vecIniKey[8].m_strKey, "");  // the keys are found by index
  EXPECT_EQ(s.m_vecStatusItem.size(), 5u);
  EXPECT_EQ(s.m_vecStatusItem[3].m_nLowMark, 33);
  EXPECT_EQ(ReportText(), "");
}
