#include <gtest/gtest.h>

#include <cstring>
#include <set>

#include "platform/messages.h"
#include "records/common_palette.h"
#include "records/database.h"
#include "records/live_bounds.h"
#include "base/report.h"
#include "records/stage.h"
#include "tests/support/allocation_probe.h"
#include "tests/support/byte_fixture.h"
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
  // A rate of 0 and a level of 0 stay as the file holds them; play uses
  // the sane ones.
  EXPECT_EQ(s.m_nFps, 0u);
  EXPECT_EQ(s.FrameRate(), 60u);
  EXPECT_EQ(s.m_nSpeedLevel, 0u);
  EXPECT_EQ(s.SpeedLevelInUse(), 10u);
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
  // The block past the 40 × 15 stage is kept: it lies in the block map's
  // right margin.
  ASSERT_EQ(s.m_vecBlock.size(), 2u);
  EXPECT_EQ(s.m_vecBlock[1].m_nColumn, 40);
  EXPECT_TRUE(s.PlacementInMap(s.m_vecBlock[1].m_nColumn, s.m_vecBlock[1].m_nRow));
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
  EXPECT_EQ(s.m_nFps, 0u);
  EXPECT_EQ(s.FrameRate(), 60u);
  s.m_nFps = 30;
  EXPECT_EQ(s.FrameRate(), 30u);
  s.m_nFps = 5000;
  EXPECT_EQ(s.FrameRate(), 60u);

  struct {
    uint32_t nLevel, nLevelInUse, n;
    double dLimit, dMax;
  } cases[] = {
      {15, 15, 5, 60.0, 12.0}, {10, 10, 10, 60.0, 6.0}, {1, 1, 1, 6.0, 6.0}, {11, 11, 1, 60.0, 60.0},
      {19, 19, 9, 60.0, 60.0 / 9}, {0, 10, 10, 60.0, 6.0}, {20, 10, 10, 60.0, 6.0}, {0xFFFFFFFF, 10, 10, 60.0, 6.0},
  };
  for (const auto& c : cases) {
    s.m_dGravityBase = 0.4;
    s.SetSpeedLevel(c.nLevel);
    EXPECT_EQ(s.m_nSpeedLevel, c.nLevel);  // kept as given
    EXPECT_EQ(s.SpeedLevelInUse(), c.nLevelInUse);
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

TEST_F(StageFile, AStagePaletteEntryInheritsFromTheListAsItStandsWhileRead) {
  // Entry 1 names the later entry 2, which is not read yet: its marked
  // groups take the values of a default element. Entry 3 names entry 2
  // once read.
  cEdStage st = MakeFixtureStage(30, 15);
  st.m_vecPaletteBlock.resize(2);
  st.m_vecPaletteChara.resize(2);
  st.m_vecPaletteItem.resize(2);
  for (int i = 2; i < 4; ++i) {
    st.m_vecPaletteBlock.push_back(st.m_vecPaletteBlock[1]);
    st.m_vecPaletteChara.push_back(st.m_vecPaletteChara[1]);
    st.m_vecPaletteItem.push_back(st.m_vecPaletteItem[1]);
  }
  for (int i = 1; i < 4; ++i) {
    st.m_vecPaletteBlock[i].m_nImageIndex = static_cast<uint16_t>(11 * i);
    st.m_vecPaletteChara[i].m_nMaxHp = 100u * i;
    st.m_vecPaletteItem[i].m_nImageIndex = static_cast<uint16_t>(11 * i);
  }
  for (int i : {1, 3}) {
    cEdBlock& b = st.m_vecPaletteBlock[i];
    b.m_nInheritSource = PALETTE_STAGE, b.m_nInheritIndex = 2, b.m_vecInherit[2] = 1;  // the picture
    cEdChara& c = st.m_vecPaletteChara[i];
    c.m_nTemplateSource = PALETTE_STAGE, c.m_nTemplateIndex = 2, c.m_vecInherit[23] = 1;  // the HP
    cEdItem& it = st.m_vecPaletteItem[i];
    it.m_nInheritSource = PALETTE_STAGE, it.m_nInheritIndex = 2, it.m_vecInherit[4] = 1;  // the picture
  }
  ASSERT_TRUE(WriteStageFile(st, "data\\stg4\\p.stg4_000"));
  g_Stage = cEdStage();
  ASSERT_TRUE(g_Stage.LoadFromFile("data\\stg4\\p.stg4_000"));
  ASSERT_EQ(g_Stage.m_vecPaletteBlock.size(), 4u);
  ASSERT_EQ(g_Stage.m_vecPaletteChara.size(), 4u);
  ASSERT_EQ(g_Stage.m_vecPaletteItem.size(), 4u);
  const cEdBlock& b1 = g_Stage.m_vecPaletteBlock[1];
  EXPECT_EQ(b1.m_nImageIndex, 0);
  EXPECT_EQ(b1.m_nHitKind, BLOCKHIT_NONE);  // an empty block hits nothing
  EXPECT_EQ(b1.m_nInheritSource, PALETTE_STAGE);
  EXPECT_EQ(b1.m_nInheritIndex, 2);
  EXPECT_EQ(g_Stage.m_vecPaletteBlock[3].m_nImageIndex, 22);
  EXPECT_EQ(g_Stage.m_vecPaletteChara[1].m_nMaxHp, 10u);
  EXPECT_EQ(g_Stage.m_vecPaletteChara[1].m_nTemplateIndex, 2);
  EXPECT_EQ(g_Stage.m_vecPaletteChara[3].m_nMaxHp, 200u);
  EXPECT_EQ(g_Stage.m_vecPaletteItem[1].m_nImageIndex, 0);
  EXPECT_EQ(g_Stage.m_vecPaletteItem[3].m_nImageIndex, 22);

  // Read into another stage, source 2 names g_Stage's palette as it stands.
  cEdStage other;
  ASSERT_TRUE(other.LoadFromFile("data\\stg4\\p.stg4_000"));
  EXPECT_EQ(other.m_vecPaletteBlock[1].m_nImageIndex, 22);
  EXPECT_EQ(other.m_vecPaletteChara[1].m_nMaxHp, 200u);
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
  // The records are this stage's, also the ones past the 20-cell map.
  EXPECT_EQ(g_Stage.m_vecBlock.size(), 50u);
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
    ASSERT_LE(static_cast<uint64_t>(g_Stage.MapHeight() + 2 * STAGE_MAP_MARGIN) << g_Stage.MapRowShift(),
              STAGE_MAX_MAP_CELLS);
    ASSERT_GE(g_Stage.FrameRate(), 1u);
    ASSERT_GE(g_Stage.m_nSpeedDiv, 1u);
  }, plan);
  plan.nMutations = 200;
  RunCorruptionHarness(HandWrittenStage150(), "data\\stg4\\h.stg4_000",
                       [] { g_Stage.LoadFromFile("data\\stg4\\h.stg4_000"); }, plan);
  std::string old = StageFileBytes(st, 172);
  RunCorruptionHarness(old, "data\\stg4\\o.stg4_000", [] { g_Stage.LoadFromFile("data\\stg4\\o.stg4_000"); },
                       plan);
}

TEST_F(StageFile, TheFilesMapSpeedAndRateStayInTheRecordAndAReplay) {
  cEdStage st = MakeFixtureStage(20, 15);
  st.m_nWidth = 0xFFFFFFFF;
  st.m_nHeight = 0x80000000;
  st.m_nFps = 0;
  st.SetSpeedLevel(0);
  cEdBlock far = st.m_vecBlock[0];
  far.m_nColumn = 60000;
  far.m_nRow = 60000;
  st.m_vecBlock.push_back(far);
  st.m_vecChara[0].m_nColumn = 65535;  // the player outside the map
  ASSERT_TRUE(WriteStageFile(st, "data\\stg4\\m.stg4_000"));
  const std::string file = m_Tmp.ReadFile("data/stg4/m.stg4_000");

  cAllocationProbe probe;
  ASSERT_TRUE(g_Stage.LoadFromFile("data\\stg4\\m.stg4_000"));
  if (cAllocationProbe::Available()) {
    EXPECT_LT(probe.PeakBytes(), 4u << 20);  // nothing sized by the map
  }
  EXPECT_EQ(g_Stage.m_nWidth, 0xFFFFFFFFu);
  EXPECT_EQ(g_Stage.m_nHeight, 0x80000000u);
  EXPECT_EQ(g_Stage.m_nFps, 0u);
  EXPECT_EQ(g_Stage.m_nSpeedLevel, 0u);
  EXPECT_EQ(g_Stage.m_vecBlock.size(), 21u);
  EXPECT_EQ(g_Stage.FindPlayerPlacement(), 0);
  EXPECT_EQ(g_Stage.MapWidth(), STAGE_MAX_SIDE_CELLS);
  EXPECT_EQ(g_Stage.MapRowShift(), 17);
  EXPECT_EQ(g_Stage.MapHeight(), (STAGE_MAX_MAP_CELLS >> 17) - 2 * STAGE_MAP_MARGIN);
  EXPECT_FALSE(g_Stage.PlacementInMap(60000, 60000));

  {
    auto f = OpenDataFileWrite("data\\replay_part.dat");
    ASSERT_TRUE(f);
    g_Stage.WriteForReplay(*f, g_Stage);
    ASSERT_TRUE(CloseDataFile(f));
  }
  EXPECT_EQ(m_Tmp.ReadFile("data/replay_part.dat"), file);
}

TEST_F(StageFile, PlacementsInTheBlockMapIncludeItsMargins) {
  struct {
    uint32_t w, h;
    int nShift;
    uint32_t x, y;
    bool bIn;
  } cases[] = {
      {20, 15, 6, 0, 0, true},
      {20, 15, 6, 29, 24, true},     // the far margins
      {20, 15, 6, 54, 0, true},      // past the row's end: runs on into the next row
      {20, 15, 6, 53, 24, true},     // the map's last cell
      {20, 15, 6, 54, 24, false},    // one past it
      {20, 15, 6, 0, 25, false},
      {20, 15, 6, 65535, 65535, false},
      {45, 20, 7, 44, 19, true},     // 45 + 19 = 64 takes 7 binary digits
      {0, 0, 5, 21, 9, true},
      {0, 0, 5, 0, 10, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h << " at " << c.x << ", " << c.y);
    cEdStage s;
    s.m_nWidth = c.w;
    s.m_nHeight = c.h;
    EXPECT_EQ(s.MapRowShift(), c.nShift);
    EXPECT_EQ(s.PlacementInMap(c.x, c.y), c.bIn);
  }
  // A claimed height far past the bound: the block map stays within it.
  cEdStage tall;
  tall.m_nWidth = 20;
  tall.m_nHeight = 0xFFFFFFFF;
  EXPECT_EQ(tall.MapHeight(), (STAGE_MAX_MAP_CELLS >> 6) - 2 * STAGE_MAP_MARGIN);
  EXPECT_TRUE(tall.PlacementInMap(0, 60000));
}

TEST_F(StageFile, CountsTheFileCannotHoldAllocateNothing) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  // A small stage, so that every byte offset gets its hostile counts.
  cEdStage st;
  st.m_nWidth = 20;
  st.m_nHeight = 15;
  cEdChara player;
  player.m_nType = 0;
  player.m_nImageIndex = 1;
  st.m_vecChara.push_back(player);
  st.m_vecBlock.resize(1);
  st.m_vecItem.resize(1);
  ASSERT_TRUE(WriteStageFile(st, "data\\stg4\\s.stg4_000"));
  const std::string good = m_Tmp.ReadFile("data/stg4/s.stg4_000");
  HOSTILESIZEPLAN plan;
  plan.nMaxOffsets = good.size();
  HOSTILESIZERESULT r = RunHostileSizeHarness(good, "data\\stg4\\s.stg4_000",
                                              [] { g_Stage.LoadFromFile("data\\stg4\\s.stg4_000"); }, plan);
  EXPECT_GT(r.nVariants, 1000);
  // Sized to their counts, the lists took tens of megabytes here.
  EXPECT_LT(r.nWorstPeakBytes, 1u << 20) << r.strWorst;
}

namespace {

enum { FLOOD_BLOCKS, FLOOD_CHARAS, FLOOD_ITEMS };

// The smallest element of a list as a file holds it: no fields, no
// strings, the cell, no inheritance entries, no conditions; a chara's
// placement value and no flows, an item's no commands. A placed one has its
// dropped word before it.
std::string SmallestElement(int nList, bool bPlaced) {
  const std::string kHead = Words({0, 0}) + U16(0) + U16(0);
  const std::string kLists = Words({0, 0});
  const std::string strWord = bPlaced ? U32(0) : std::string();
  if (nList == FLOOD_CHARAS) return strWord + kHead + U32(0) + kLists + U32(0);
  if (nList == FLOOD_ITEMS) return strWord + kHead + kLists + U32(0);
  return strWord + kHead + kLists;
}

// A 20 x 15 stage split at the count of one of its lists, flooded with
// that list's smallest elements.
bool SplitStageForFlood(int nList, bool bPalette, ELEMENTFLOOD& flood) {
  cEdStage none;
  none.m_nWidth = 20;
  none.m_nHeight = 15;
  cEdStage one = none;
  if (bPalette) {
    if (nList == FLOOD_BLOCKS) one.m_vecPaletteBlock.resize(3);
    if (nList == FLOOD_CHARAS) one.m_vecPaletteChara.resize(3);
    if (nList == FLOOD_ITEMS) one.m_vecPaletteItem.resize(3);
  } else {
    if (nList == FLOOD_BLOCKS) one.m_vecBlock.resize(1);
    if (nList == FLOOD_CHARAS) one.m_vecChara.resize(1);
    if (nList == FLOOD_ITEMS) one.m_vecItem.resize(1);
  }
  if (!SplitAtListCount(StageFileBytes(none), StageFileBytes(one), flood)) return false;
  flood.strElement = SmallestElement(nList, !bPalette);
  return true;
}

}  // namespace

// Placements and palette entries that are really in the file, as small as
// a file holds them: each costs a small multiple of its bytes, never the
// tables and default lists a record carries while it is being read.
TEST_F(StageFile, FloodsOfSmallElementsCostAFewTimesTheirBytes) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  const struct {
    const char* pszList;
    bool bPalette;
    int nList;
  } cases[] = {
      {"placed blocks", false, FLOOD_BLOCKS},  {"placed charas", false, FLOOD_CHARAS},
      {"placed items", false, FLOOD_ITEMS},    {"palette blocks", true, FLOOD_BLOCKS},
      {"palette charas", true, FLOOD_CHARAS},  {"palette items", true, FLOOD_ITEMS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszList);
    ELEMENTFLOOD flood;
    ASSERT_TRUE(SplitStageForFlood(c.nList, c.bPalette, flood));
    // A palette holds at most 65,536 entries.
    if (c.bPalette) flood.nBytes = 60000 * flood.strElement.size();
    // What the load replaces goes first: the probe would count its freeing
    // against what the load takes.
    g_Stage = cEdStage();
    ELEMENTFLOODRESULT r = RunElementFloodHarness(flood, "data\\stg4\\f.stg4_000", [this] {
      ASSERT_TRUE(g_Stage.LoadFromFile("data\\stg4\\f.stg4_000")) << m_Tmp.ReadFile("Report_Game.txt");
    });
    ASSERT_GT(r.nElements, 50000u);
    // An element costs its record (7 to 9 times its bytes here) and, while
    // the list grows, the room of the one before: 30 to 50 times before the
    // elements let go of their field tables and default lists.
    EXPECT_LT(r.nPeakBytes, 24 * r.nFileBytes);
  }
}

// A file may place more charas and items than play can make: those past
// the bound are read past rather than kept, so a flood of them costs what
// the bound costs, and the report says how many were left out.
TEST_F(StageFile, PlacementsPastWhatPlayCanMakeAreLeftOutWithAReportLine) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  const struct {
    const char* pszList;
    bool bChara;
  } cases[] = {{"placed charas", true}, {"placed items", false}};
  constexpr uint32_t kFlood = 6 * LIVE_MAX[LIVE_CHARA];
  static_assert(LIVE_MAX[LIVE_CHARA] == LIVE_MAX[LIVE_ITEM]);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszList);
    ELEMENTFLOOD flood;
    ASSERT_TRUE(SplitStageForFlood(c.bChara ? FLOOD_CHARAS : FLOOD_ITEMS, false, flood));
    flood.nBytes = kFlood * flood.strElement.size();
    g_Stage = cEdStage();
    m_Tmp.WriteFile("Report_Game.txt", "");
    ELEMENTFLOODRESULT r = RunElementFloodHarness(flood, "data\\stg4\\f.stg4_000", [this] {
      ASSERT_TRUE(g_Stage.LoadFromFile("data\\stg4\\f.stg4_000")) << m_Tmp.ReadFile("Report_Game.txt");
    });
    ASSERT_GT(r.nElements, kFlood - 100);
    EXPECT_EQ(c.bChara ? g_Stage.m_vecChara.size() : g_Stage.m_vecItem.size(), LIVE_MAX[LIVE_CHARA]);
    EXPECT_NE(m_Tmp.ReadFile("Report_Game.txt")
                  .find(std::string("the stage keeps at most 10000 ") + c.pszList + ": " +
                        std::to_string(r.nElements - LIVE_MAX[LIVE_CHARA]) + " more are left out"),
              std::string::npos)
        << m_Tmp.ReadFile("Report_Game.txt");
    // Kept whole, the flood took some 13 times its bytes.
    EXPECT_LT(r.nPeakBytes, 8 * r.nFileBytes);
  }
}
