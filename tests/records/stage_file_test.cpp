#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/messages.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "base/report.h"
#include "records/stage.h"
#include "tests/support/corruption.h"
#include "tests/support/stage_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

class StageFile : public cRecordFileTest {
 protected:
  void SetUp() override {
    cRecordFileTest::SetUp();
    g_Database = cEdDatabase();
    g_Database.m_vecBgm.resize(4);
    g_CommonPalette = MakeFixtureCommonPalette();
    g_Stage = cEdStage();
  }
  void TearDown() override {
    g_CommonPalette = cEdCommonPalette();
    g_Stage = cEdStage();
    g_Database = cEdDatabase();
    g_bStripCR = 0;
  }
};

// Little-endian bytes, for the hand-written file.
class cBytes {
 public:
  cBytes& U8(uint8_t v) { return Raw(&v, 1); }
  cBytes& U16(uint16_t v) { return Raw(&v, 2); }
  cBytes& U32(uint32_t v) { return Raw(&v, 4); }
  cBytes& F64(double v) { return Raw(&v, 8); }
  cBytes& Str(const std::string& s) {
    U32(static_cast<uint32_t>(s.size() + 1));
    m_s += s;
    m_s += '\0';
    return *this;
  }
  const std::string& Get() const { return m_s; }

 private:
  cBytes& Raw(const void* p, size_t n) {
    m_s.append(static_cast<const char*>(p), n);
    return *this;
  }
  std::string m_s;
};

void HandBlock(cBytes& b, uint16_t nColumn, uint16_t nRow) {
  b.U32(0xDEADBEEF);  // the word before each placed record
  b.U32(18);
  b.U8(0).U16(0).U8(0).U8(0);       // inheritance, conditions
  b.U16(7).U8(0).U16(0);            // picture
  b.U8(1).U8(2).U8(0).U16(0);       // settings A, B, overlay
  b.U8(2).U8(255).U8(1).U32(300);   // hit kind, pass side, effect
  b.U8(0).U16(0).U8(4);             // item, setting C
  b.U32(1).Str("blk");
  b.U16(nColumn).U16(nRow);
  b.U32(11);
  for (int i = 0; i < 11; ++i) b.U8(0);
  b.U32(0);  // conditions
}

// A version-150 stage, byte by byte as that editor laid it out.
std::string HandWrittenStage150() {
  static const std::set<int> s_Absent = {25, 26, 30, 31, 33, 36, 37, 38, 39, 42, 43, 48, 49, 50, 51,
                                          52, 56, 60, 61, 62, 63, 66, 67, 70, 71, 72, 73};
  static const std::set<int> s_Doubles = {21, 88, 89, 90, 91, 92};
  cBytes b;
  b.U32(150);
  b.U32(71);
  for (int k = 1; k <= 98; ++k) {
    if (s_Absent.count(k)) continue;
    if (s_Doubles.count(k)) {
      b.F64(k == 21 ? 0.5 : 1.0);
      continue;
    }
    uint32_t v = 1000 + k;
    switch (k) {
      case 1: v = 40; break;  // width
      case 4: v = 15; break;  // height
      case 9: v = 30; break;  // left stop, past W - 20
      case 13: v = 0; break;  // frame rate
      case 22: v = 0; break;  // speed level
      case 24: v = 4; break;  // music: one past the list
      case 40: v = 20; break;
      case 41: v = 28; break;
      case 64: v = 14; break;
      case 65: v = 26; break;
    }
    b.U32(v);
  }
  b.U32(1).Str("old");
  b.U32(3).U32(1).U32(1).U32(1);  // ranking switches
  for (int s = 0; s < 5; ++s) {  // each a base part: eight fields, no strings
    b.U32(8);
    for (int j = 0; j < 8; ++j) b.U32(static_cast<uint32_t>(s * 10 + j));
    b.U32(0);
  }
  b.U32(0).U32(0).U32(0);  // empty palette lists
  b.U32(2);
  HandBlock(b, 3, 14);
  HandBlock(b, 40, 0);  // outside the map
  b.U32(0).U32(0);      // no charas, no items
  b.U32(1);             // one background
  b.U32(10).U32(1).U32(0).U32(33).U32(1).F64(0.25).F64(0.5).U32(1).U32(0).F64(3.0).F64(4.0);
  b.U32(1).Str("bg.bmp");
  b.U32(0);  // no texts; no end mark before 173
  return b.Get();
}

void SetDistinctLayout(cEdStage& st) {
  st.m_nPlayerHitW = 20, st.m_nPlayerHitH = 28;
  st.m_nPlayerHitNgW = 1, st.m_nPlayerHitNgH = 2;
  st.m_nPlayerBodyColour = 3;
  st.m_nCharaBodyH = 40;
  st.m_bKeepBgm = 1;
  st.m_bResultAutoClose = 1;
}

std::string Tail4(const std::string& s) { return s.substr(s.size() - 4); }

}  // namespace

TEST_F(StageFile, HandWrittenVersion150FileReadsWithEveryConversion) {
  m_Tmp.WriteFile("data/stg4/old.stg4_000", HandWrittenStage150());
  ASSERT_TRUE(g_Stage.LoadFromFile("data\\stg4\\old.stg4_000")) << m_Tmp.ReadFile("Report_Game.txt");
  cEdStage& s = g_Stage;
  EXPECT_EQ(s.m_strText, "old");
  EXPECT_EQ(s.m_nWidth, 40u);
  EXPECT_EQ(s.m_nHeight, 15u);
  EXPECT_EQ(s.m_nSetting2, 1002u);
  EXPECT_EQ(s.m_nStopLeft, 20u);
  EXPECT_EQ(s.m_nStopTop, 0u);  // 1011 lowered to H - 15
  EXPECT_EQ(s.m_nFps, 60u);
  EXPECT_EQ(s.m_nSpeedLevel, 10u);
  EXPECT_EQ(s.m_nSpeedDiv, 10u);
  EXPECT_DOUBLE_EQ(s.m_dGravity, 0.005);
  EXPECT_EQ(s.m_nBgm, 0u);
  // Below 155.
  EXPECT_EQ(s.m_nPlayerHitNgW, 20u);
  EXPECT_EQ(s.m_nPlayerHitNgH, 28u);
  EXPECT_EQ(s.m_nCharaHitNgW, 14u);
  EXPECT_EQ(s.m_nCharaHitNgH, 26u);
  EXPECT_EQ(s.m_bPlayerHitBottom + s.m_bPlayerHitNgBottom + s.m_bCharaHitBottom + s.m_bCharaHitNgBottom, 0u);
  // Below 166 to 225.
  EXPECT_EQ(s.m_nBgmOption, 1u);
  EXPECT_EQ(s.m_vecRankingSwitch, (cVector<uint32_t>{1, 1, 1, 0, 0}));
  EXPECT_EQ(s.m_bShowStatusBar, 1u);
  EXPECT_EQ(s.m_bResultAutoClose, 0u);
  EXPECT_EQ(s.m_bKeepBgm, 0u);
  EXPECT_EQ(s.m_nPlayerBodyW, 16u);
  EXPECT_EQ(s.m_nPlayerBodyH, 24u);
  EXPECT_EQ(s.m_nPlayerBodyColour, 5u);
  EXPECT_EQ(s.m_nCharaBodyH, 30u);
  EXPECT_EQ(s.m_nCharaBodyOtherH, 30u);
  EXPECT_EQ(s.m_bCharaBodyOtherBottom, 1u);
  EXPECT_EQ(s.m_bStartBanner, 0u);
  EXPECT_EQ(s.m_nPlayerHitShow, 1053u);
  EXPECT_EQ(s.m_nCharaInvincible, 1098u);
  EXPECT_EQ(s.m_aSub[4].m_nA, 40u);
  EXPECT_EQ(s.m_aSub[4].m_nH, 47u);
  // An empty palette list loads as the fixed head and one default entry.
  ASSERT_EQ(s.m_vecPaletteBlock.size(), 2u);
  ASSERT_EQ(s.m_vecPaletteChara.size(), 2u);
  ASSERT_EQ(s.m_vecPaletteItem.size(), 2u);
  // The block outside the 40 × 15 map is gone.
  ASSERT_EQ(s.m_vecBlock.size(), 1u);
  EXPECT_EQ(s.m_vecBlock[0].m_nImageIndex, 7);
  EXPECT_EQ(s.m_vecBlock[0].m_nEffectValue, 300u);
  EXPECT_EQ(s.m_vecBlock[0].m_strText, "blk");
  ASSERT_EQ(s.m_vecBackground.size(), 1u);
  EXPECT_EQ(s.m_vecBackground[0].m_nLayer, 1u);
  EXPECT_EQ(s.m_vecBackground[0].m_dRateY, 0.5);
  EXPECT_EQ(s.m_vecBackground[0].m_dOffsetY, 4.0);
  EXPECT_EQ(s.m_vecBackground[0].m_strFile, "bg.bmp");
}

TEST_F(StageFile, OlderVersionsWrittenByTheirLayoutReadBack) {
  for (int v : {154, 172, 199, 667}) {
    cEdStage st = MakeFixtureStage(30, 15);
    SetDistinctLayout(st);
    const std::string path = "data\\stg4\\v" + std::to_string(v) + ".stg4_000";
    ASSERT_TRUE(WriteStageFile(st, path, v));
    std::string bytes = m_Tmp.ReadFile("data/stg4/v" + std::to_string(v) + ".stg4_000");
    uint32_t mark = STAGE_END_MARK;
    EXPECT_EQ(Tail4(bytes) == std::string(reinterpret_cast<char*>(&mark), 4), v >= 173) << v;

    g_Stage = cEdStage();
    ASSERT_TRUE(g_Stage.LoadFromFile(path)) << v;
    cEdStage& s = g_Stage;
    EXPECT_EQ(s.m_strText, st.m_strText);
    EXPECT_EQ(s.m_vecBlock.size(), 30u);
    EXPECT_EQ(s.m_vecChara.size(), 2u);
    EXPECT_EQ(s.m_vecItem.size(), 1u);
    EXPECT_EQ(s.FindPlayerPlacement(), 0) << v;
    EXPECT_EQ(s.m_vecPaletteChara.size(), 2u);
    EXPECT_EQ(s.m_vecPaletteChara[1].m_strText, st.m_vecPaletteChara[1].m_strText);
    EXPECT_EQ(s.m_vecBackground.size(), 2u);
    EXPECT_EQ(s.m_vecBackground[1].m_dRateX, 0.5);
    EXPECT_EQ(s.m_nPlayerHitNgW, v < 155 ? 20u : 1u) << v;
    EXPECT_EQ(s.m_nBgmOption, v < 166 ? 1u : 0u) << v;
    EXPECT_EQ(s.m_bResultAutoClose, v < 184 ? 0u : 1u) << v;
    EXPECT_EQ(s.m_bKeepBgm, v < 199 ? 0u : 1u) << v;
    EXPECT_EQ(s.m_nPlayerBodyColour, v < 200 ? 5u : 3u) << v;
    EXPECT_EQ(s.m_nCharaBodyH, v < 200 ? 30u : 40u) << v;
    EXPECT_EQ(s.m_bStartBanner, v < 225 ? 0u : 1u) << v;
    EXPECT_EQ(s.m_vecRankingSwitch, (v < 181 ? cVector<uint32_t>{1, 1, 1, 0, 0} : cVector<uint32_t>{1, 1, 1, 1, 1}));
  }
}

TEST_F(StageFile, RoundTripKeepsEveryByteAndResetsThePaletteHeads) {
  cEdStage st = MakeFixtureStage(40, 20);
  st.m_vecPaletteBlock[0].m_nImageIndex = 9;  // a file's own element 0
  st.m_vecPaletteChara[0].m_nMaxHp = 1;
  ASSERT_TRUE(WriteStageFile(st, "data\\stg4\\r.stg4_000"));
  ASSERT_TRUE(g_Stage.LoadFromFile("data\\stg4\\r.stg4_000"));
  EXPECT_EQ(g_Stage.m_vecPaletteBlock[0].m_nImageIndex, 0);
  EXPECT_EQ(g_Stage.m_vecPaletteChara[0].m_nMaxHp, 10u);
  EXPECT_EQ(g_Stage.m_vecChara[1].m_nPlacementValue, 7u);
  EXPECT_EQ(g_Stage.m_vecChara[1].m_vecFlow.size(), g_CommonPalette.m_vecChara[2].m_vecFlow.size());
  EXPECT_EQ(g_Stage.m_vecText[0].m_strText, st.m_vecText[0].m_strText);

  std::string once = StageFileBytes(g_Stage);
  cEdStage again;
  g_Stage = cEdStage();
  m_Tmp.WriteFile("data/stg4/r2.stg4_000", once);
  ASSERT_TRUE(g_Stage.LoadFromFile("data\\stg4\\r2.stg4_000"));
  EXPECT_EQ(StageFileBytes(g_Stage), once);
}

TEST_F(StageFile, NormalizeLimitsScrollStopsMusicAndSpeedValues) {
  cEdStage& s = g_Stage;
  s.m_nWidth = 30;
  s.m_nHeight = 10;
  s.m_nStopLeft = 25;
  s.m_nStopRight = 29;
  s.m_nStopTop = 3;
  s.m_nBgm = 4;  // as many as the music list holds
  s.Normalize();
  EXPECT_EQ(s.m_nStopLeft, 10u);
  EXPECT_EQ(s.m_nStopRight, 29u);
  EXPECT_EQ(static_cast<int32_t>(s.m_nStopTop), -5);  // a stage lower than a screen
  EXPECT_EQ(s.m_nBgm, 0u);
  s.m_nBgm = 3;
  s.m_nFps = 0;
  s.Normalize();
  EXPECT_EQ(s.m_nBgm, 3u);
  EXPECT_EQ(s.m_nFps, 60u);

  struct {
    uint32_t nLevel, nLevelAfter, n;
    double dLimit, dMax;
  } cases[] = {
      {15, 15, 5, 60.0, 12.0}, {10, 10, 10, 60.0, 6.0}, {1, 1, 1, 6.0, 6.0}, {11, 11, 1, 60.0, 60.0},
      {19, 19, 9, 60.0, 60.0 / 9}, {0, 10, 10, 60.0, 6.0}, {20, 10, 10, 60.0, 6.0}, {0xFFFFFFFF, 10, 10, 60.0, 6.0},
  };
  for (const auto& c : cases) {
    s.m_dGravityBase = 0.4;
    s.SetSpeedLevel(c.nLevel);
    EXPECT_EQ(s.m_nSpeedLevel, c.nLevelAfter);
    EXPECT_EQ(s.m_nSpeedDiv, c.n) << c.nLevel;
    EXPECT_EQ(s.m_dSpeedDiv, static_cast<double>(c.n));
    EXPECT_EQ(s.m_dSpeedDiv2, static_cast<double>(c.n * c.n));
    EXPECT_EQ(s.m_dSpeedLimit, c.dLimit);
    EXPECT_DOUBLE_EQ(s.m_dMaxSpeed, c.dMax);
    EXPECT_DOUBLE_EQ(s.m_dGravity, 0.4 / (c.n * c.n));
    EXPECT_EQ(s.m_nFallSteps, 8 * c.n);
    EXPECT_EQ(s.m_nFlowTimeMul, 6 * c.n);
  }
}

TEST_F(StageFile, AStagePaletteEntryDoesNotInheritFromOneNotYetRead) {
  cEdStage st = MakeFixtureStage(30, 15);
  st.m_vecPaletteBlock.resize(2);
  st.m_vecPaletteBlock.push_back(st.m_vecPaletteBlock[1]);
  st.m_vecPaletteBlock.push_back(st.m_vecPaletteBlock[1]);
  st.m_vecPaletteBlock[1].m_nImageIndex = 11;
  st.m_vecPaletteBlock[2].m_nImageIndex = 22;
  st.m_vecPaletteBlock[3].m_nImageIndex = 33;
  for (int i : {1, 3}) {  // 1 names the later entry 2, 3 the earlier entry 2
    st.m_vecPaletteBlock[i].m_nInheritSource = PALETTE_STAGE;
    st.m_vecPaletteBlock[i].m_nInheritIndex = 2;
    st.m_vecPaletteBlock[i].m_vecInherit[2] = 1;
  }
  st.m_vecPaletteBlock[2].m_nImageIndex = 22;
  g_Stage = st;
  ASSERT_TRUE(WriteStageFile(st, "data\\stg4\\p.stg4_000"));
  g_Stage = cEdStage();
  ASSERT_TRUE(g_Stage.LoadFromFile("data\\stg4\\p.stg4_000"));
  ASSERT_EQ(g_Stage.m_vecPaletteBlock.size(), 4u);
  EXPECT_EQ(g_Stage.m_vecPaletteBlock[1].m_nImageIndex, 11);
  EXPECT_EQ(g_Stage.m_vecPaletteBlock[3].m_nImageIndex, 22);
  EXPECT_EQ(g_Stage.m_vecPaletteBlock[1].m_nInheritSource, PALETTE_STAGE);
}

TEST_F(StageFile, ReplayFormCarriesTheGivenSettingsWithThisStagesRecords) {
  cEdStage records = MakeFixtureStage(50, 15);
  cEdStage settings = MakeFixtureStage(20, 15);
  settings.m_strText = "as loaded";
  settings.m_nTimeLimit = 123;
  settings.m_vecRankingSwitch = {0, 1, 0, 1, 0};
  settings.m_aSub[0].m_nE = 9;
  settings.m_vecBackground.resize(3);
  settings.m_vecText.clear();
  {
    auto f = OpenDataFileWrite("replay_stage.dat");
    ASSERT_TRUE(f);
    records.WriteForReplay(*f, settings);
    ASSERT_TRUE(CloseDataFile(f));
  }
  ASSERT_TRUE(g_Stage.LoadFromFile("replay_stage.dat"));
  EXPECT_EQ(g_Stage.m_strText, "as loaded");
  EXPECT_EQ(g_Stage.m_nTimeLimit, 123u);
  EXPECT_EQ(g_Stage.m_nWidth, 20u);
  EXPECT_EQ(g_Stage.m_vecRankingSwitch, (cVector<uint32_t>{0, 1, 0, 1, 0}));
  EXPECT_EQ(g_Stage.m_aSub[0].m_nE, 9u);
  EXPECT_EQ(g_Stage.m_vecBackground.size(), 3u);
  EXPECT_TRUE(g_Stage.m_vecText.empty());
  // The records are this stage's; the ones past the 20-cell map are dropped.
  EXPECT_EQ(g_Stage.m_vecBlock.size(), 20u);
  EXPECT_EQ(g_Stage.m_vecPaletteChara[1].m_strText, records.m_vecPaletteChara[1].m_strText);
}

TEST_F(StageFile, DamagedFilesNeitherCrashNorHang) {
  cEdStage st = MakeFixtureStage(24, 15);
  ASSERT_TRUE(WriteStageFile(st, "data\\stg4\\d.stg4_000"));
  std::string good = m_Tmp.ReadFile("data/stg4/d.stg4_000");
  CORRUPTIONPLAN plan;
  plan.nMutations = 500;
  RunCorruptionHarness(good, "data\\stg4\\d.stg4_000", [] {
    if (g_Stage.LoadFromFile("data\\stg4\\d.stg4_000")) {
      ASSERT_GE(g_Stage.m_vecPaletteBlock.size(), 2u);
    }
    ASSERT_LE(static_cast<uint64_t>(g_Stage.m_nWidth) * g_Stage.m_nHeight, STAGE_MAX_MAP_CELLS);
    for (const cEdBlock& b : g_Stage.m_vecBlock) ASSERT_LT(b.m_nColumn, g_Stage.m_nWidth);
  }, plan);
  plan.nMutations = 200;
  RunCorruptionHarness(HandWrittenStage150(), "data\\stg4\\h.stg4_000",
                       [] { g_Stage.LoadFromFile("data\\stg4\\h.stg4_000"); }, plan);
  std::string old = StageFileBytes(st, 172);
  RunCorruptionHarness(old, "data\\stg4\\o.stg4_000", [] { g_Stage.LoadFromFile("data\\stg4\\o.stg4_000"); },
                       plan);
}
