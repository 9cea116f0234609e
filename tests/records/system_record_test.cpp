#include "records/system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "base/report.h"
#include "tests/support/allocation_probe.h"
#include "tests/support/corruption.h"
#include "tests/support/system_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

const char* const kGoldenPath = T4_SOURCE_DIR "/tests/golden/records/System.dat";

std::string ReadNative(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class SystemFile : public cRecordFileTest {
 protected:
  void SetUp() override {
    cRecordFileTest::SetUp();
    m_Saved = g_System;
  }
  void TearDown() override {
    g_System = m_Saved;
    g_bStripCR = 0;
  }
  std::string ReportText() { return m_Tmp.ReadFile("Report_Game.txt"); }

  cEdSystem m_Saved;
};

// A reader of the file written independently of the record code: it walks
// the bytes field by field, as the file holds them, and checks the counts
// and values of a new project as it goes.
class cByteWalker {
 public:
  explicit cByteWalker(const std::string& b) : m_strBytes(b) {}
  uint32_t U32() {
    uint32_t v = 0;
    if (m_nPos + 4 <= m_strBytes.size()) std::memcpy(&v, m_strBytes.data() + m_nPos, 4);
    m_nPos += 4;
    return v;
  }
  uint8_t U8() { return m_nPos < m_strBytes.size() ? static_cast<uint8_t>(m_strBytes[m_nPos++]) : (m_nPos++, 0); }
  std::string Str() {
    uint32_t len = U32();
    if (len <= 1) return std::string();
    std::string s = m_strBytes.substr(m_nPos, len - 1);
    m_nPos += len;
    return s;
  }
  size_t Pos() const { return m_nPos; }
  bool AtEnd() const { return m_nPos == m_strBytes.size(); }

 private:
  std::string m_strBytes;
  size_t m_nPos = 0;
};

}  // namespace

TEST_F(SystemFile, NewProjectFileMatchesTheGoldenFile) {
  ASSERT_TRUE(WriteDefaultSystemDat());
  std::string bytes = m_Tmp.ReadFile("data/System.dat");
  if (std::getenv("T4_UPDATE_GOLDEN")) {
    std::ofstream(kGoldenPath, std::ios::binary) << bytes;
  }
  EXPECT_EQ(bytes, ReadNative(kGoldenPath));
}

// g_System is built before the entry, while the data version is still 0.
TEST_F(SystemFile, GlobalBuiltBeforeTheEntryHoldsTheDefaults) {
  ASSERT_TRUE(WriteSystemDat(m_Saved));
  EXPECT_EQ(m_Tmp.ReadFile("data/System.dat"), ReadNative(kGoldenPath));
}

TEST_F(SystemFile, GoldenFileHoldsTheLayoutOfANewProject) {
  cByteWalker w(ReadNative(kGoldenPath));
  EXPECT_EQ(w.U32(), 667u);
  EXPECT_EQ(w.U32(), 37u);
  // Fields 1 to 25 are words; 26 to 28 the three bytes of the colour.
  const uint32_t kWords[25] = {0, 100, 1, 0, 60, 0, 0, 1, 1, 1, 1, 1, 40, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 0, 0};
  for (int i = 0; i < 25; ++i) EXPECT_EQ(w.U32(), kWords[i]) << "field " << i + 1;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(w.U8(), 0);
  // 29 to 37: follow scroll .. block keep alone; the ramp value is 33rd.
  const uint32_t kTail[9] = {0, 0, 0, 0, 16, 0, 0, 0, 0};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(w.U32(), kTail[i]) << "field " << i + 29;
  EXPECT_EQ(w.Pos(), 8u + 139u);
  EXPECT_EQ(w.U32(), 1u);
  EXPECT_EQ(w.Str(), "");

  EXPECT_EQ(w.U32(), 25u);
  std::string carry;
  for (int i = 0; i < 25; ++i) carry += static_cast<char>('0' + w.U8());
  EXPECT_EQ(carry, "1100000000000110110111000");
  EXPECT_EQ(w.U32(), 25u);
  std::string reset;
  for (int i = 0; i < 25; ++i) reset += static_cast<char>('0' + w.U8());
  EXPECT_EQ(reset, "0000000000011000000000000");

  EXPECT_EQ(w.U32(), 5u);
  const char* const kLabels[5] = {"スコア", "スコア", "HP", "SP", "人"};
  const uint32_t kDigits[5] = {4, 3, 0, 0, 2};
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(w.U32(), 6u);
    EXPECT_EQ(w.U32(), 1u);  // shown
    EXPECT_EQ(w.U32(), 1u);  // icon
    EXPECT_EQ(w.U32(), kDigits[i]);
    for (int k = 0; k < 3; ++k) EXPECT_EQ(w.U32(), 0u);  // show number, low mark, percent
    EXPECT_EQ(w.U32(), 1u);
    EXPECT_EQ(w.Str(), Sjis(kLabels[i]));
  }
  EXPECT_EQ(w.U32(), 4u);
  for (uint32_t n : {5u, 5u, 5u, 99u}) EXPECT_EQ(w.U32(), n);
  EXPECT_EQ(w.U32(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(w.U32(), 1u);
  EXPECT_EQ(w.U32(), 4u);
  for (int i = 0; i < 4; ++i) {
    const uint8_t on = i < 3 ? 1 : 0;
    EXPECT_EQ(w.U32(), 1u);
    EXPECT_EQ(w.U32(), on);
    EXPECT_EQ(w.U32(), 0u);
    EXPECT_EQ(w.U32(), 5u);
    for (int k = 0; k < 5; ++k) EXPECT_EQ(w.U8(), on);
  }
  EXPECT_EQ(w.U32(), 28u);
  const char* const kTexts[28] = {
      "ワールド", "ステージ", "スコア", "ハイスコア", "トータルスコア", "スコア", "残り時間", "クリア時間",
      "残りHP", "残りSP", "ステージに挑む", "やっぱりやめる", "セーブする", "やっぱりやめる",
      "オートセーブＯＮ", "オートセーブＯＦＦ", "保存先が不明です！一度は「セーブ」して下さい！",
      "タイトルへ戻る", "やっぱりやめる", "しゅうりょう", "つづける", "リトライ", "リトライ", "マップへ戻る",
      "Vキーでジャンルの切り替え", "スペースキーでタイトルへ戻る", "スペースキーで終了",
      "F3キーでランキングへ登録"};
  for (int i = 0; i < 28; ++i) EXPECT_EQ(w.Str(), Sjis(kTexts[i])) << "text " << i;
  EXPECT_EQ(w.U32(), 17u);
  for (int i = 0; i < 17; ++i) EXPECT_EQ(w.U32(), 1u);  // empty names
  EXPECT_EQ(w.U32(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(w.U32(), 0u);
  EXPECT_EQ(w.U32(), 4u);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(w.U8(), 1);

  struct MENU {
    int n;
    const char* labels[7];
  };
  const MENU kMenus[3] = {
      {7, {"はじめから", "つづきから", "チャレンジ", "フリー", "リプレイ", "オプション", "しゅうりょう"}},
      {4, {"セーブ", "オートセーブ", "もどる", "タイトルへ"}},
      {6, {"BGM", "SE", "ランキング登録", "ランキング登録名", "もどる", ""}},
  };
  for (const MENU& m : kMenus) {
    EXPECT_EQ(w.U32(), static_cast<uint32_t>(m.n));
    for (int i = 0; i < m.n; ++i) {
      EXPECT_EQ(w.U32(), 1u);
      EXPECT_EQ(w.U32(), 1u);  // enabled
      EXPECT_EQ(w.U32(), 1u);
      EXPECT_EQ(w.Str(), Sjis(m.labels[i]));
    }
  }
  EXPECT_EQ(w.U32(), 9u);
  const struct {
    const char* name;
    uint32_t kind, value;
  } kKeys[9] = {{"Direct3D", 0, 2},      {"WindowMode", 0, 0},   {"Bpp", 0, 0},
                {"VSync", 0, 2},         {"D3D_FontCache", 0, 0}, {"DD_FontCache", 0, 1},
                {"DD_VideoStretch", 0, 0}, {"ShowFps", 0, 1},    {"FreeStage", 1, 0}};
  for (const auto& k : kKeys) {
    EXPECT_EQ(w.U32(), 2u);
    EXPECT_EQ(w.U32(), k.kind);
    EXPECT_EQ(w.U32(), k.value);
    EXPECT_EQ(w.U32(), 2u);
    EXPECT_EQ(w.Str(), k.name);
    EXPECT_EQ(w.Str(), "");
  }
  EXPECT_TRUE(w.AtEnd());
}

TEST_F(SystemFile, WriteReadWriteGivesTheSameBytes) {
  cEdSystem sys;
  sys.m_strTitle = Sjis("テストゲーム");
  sys.m_vecText.CheckedAt(3) = "line\r\nbreak";  // list texts keep their CRs
  sys.m_vecStatusItem.CheckedAt(2).m_nLowMark = -5;
  sys.m_vecScreenBgm = {0, 0, 0, 0, 0};
  ASSERT_TRUE(WriteSystemDat(sys));
  std::string first = m_Tmp.ReadFile("data/System.dat");

  ASSERT_TRUE(LoadSystem());
  EXPECT_EQ(g_System.m_strTitle, Sjis("テストゲーム"));
  EXPECT_EQ(g_System.m_vecText.CheckedAt(3), "line\r\nbreak");
  EXPECT_EQ(g_System.m_vecStatusItem.CheckedAt(2).m_nLowMark, -5);
  EXPECT_EQ(g_System.m_vecScreenBgm.size(), 5u);
  ASSERT_TRUE(WriteSystemDat(g_System));
  EXPECT_EQ(m_Tmp.ReadFile("data/System.dat"), first);
}

TEST_F(SystemFile, ListsTakeTheFileCounts) {
  cEdSystem sys;
  sys.m_vecTitleMenu.resize(2);
  sys.m_vecText.resize(30, "x");
  sys.m_vecIniKey.resize(11);
  ASSERT_TRUE(WriteSystemDat(sys));
  ASSERT_TRUE(LoadSystem());
  EXPECT_EQ(g_System.m_vecTitleMenu.size(), 2u);
  EXPECT_EQ(g_System.m_vecText.size(), 30u);
  EXPECT_EQ(g_System.m_vecIniKey.size(), 11u);
}

TEST_F(SystemFile, ScreenMusicOutsideTheDatabaseBecomesZero) {
  cEdSystem sys;
  sys.m_vecScreenBgm = {12, 9, 10, 0};
  sys.ClampBgmIndices(10);
  EXPECT_EQ(sys.m_vecScreenBgm, (cVector<uint32_t>{0, 9, 0, 0}));
  sys.m_vecScreenBgm = {3, 0};
  sys.ClampBgmIndices(0);
  EXPECT_EQ(sys.m_vecScreenBgm, (cVector<uint32_t>{0, 0}));
}

TEST_F(SystemFile, MissingOrDamagedFileLeavesTheSettingsWhole) {
  g_System.m_strTitle = "kept";
  EXPECT_FALSE(LoadSystem());  // no file
  EXPECT_EQ(g_System.m_strTitle, "kept");

  cEdSystem sys;
  sys.m_strTitle = "new";
  ASSERT_TRUE(WriteSystemDat(sys));
  std::string bytes = m_Tmp.ReadFile("data/System.dat");
  m_Tmp.WriteFile("data/System.dat", bytes.substr(0, bytes.size() - 10));
  EXPECT_FALSE(LoadSystem());
  EXPECT_EQ(g_System.m_strTitle, "kept");
  EXPECT_EQ(g_System.m_vecText.size(), 28u);
  EXPECT_NE(ReportText(), "");
  EXPECT_EQ(Cp932ToUtf8(SystemLoadFailedFormat()), "%s の読み込みに失敗…");
}

TEST_F(SystemFile, NewerFileIsReadWithTheCurrentLayoutUnconverted) {
  cEdSystem sys;
  sys.m_bBlockKeepAlone = 0;
  sys.m_vecResetSwitch.assign(25, 1);
  ASSERT_TRUE(WriteSystemDat(sys));
  std::string bytes = m_Tmp.ReadFile("data/System.dat");
  bytes[0] = static_cast<char>(0xE8);  // 1000
  bytes[1] = 0x03;
  m_Tmp.WriteFile("data/System.dat", bytes);
  ASSERT_TRUE(LoadSystem());
  EXPECT_EQ(g_System.m_bBlockKeepAlone, 0u);
  EXPECT_EQ(g_System.m_vecResetSwitch, cVector<uint8_t>(25, 1));
}

TEST_F(SystemFile, ReaderSurvivesDamagedFiles) {
  ASSERT_TRUE(WriteDefaultSystemDat());
  std::string good = m_Tmp.ReadFile("data/System.dat");
  CORRUPTIONPLAN plan;
  plan.nMutations = 1500;
  int n = RunCorruptionHarness(good, "data\\System.dat", [] { LoadSystem(); }, plan);
  EXPECT_GT(n, 1500);
  // Old layouts take other paths through the reader.
  cEdSystem old = SystemAsWrittenBy(168);
  ASSERT_TRUE(WriteSystemDat(old, 168));
  plan.nMutations = 500;
  RunCorruptionHarness(m_Tmp.ReadFile("data/System.dat"), "data\\System.dat", [] { LoadSystem(); }, plan);
}

TEST_F(SystemFile, CountsTheFileCannotHoldAllocateNothing) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  ASSERT_TRUE(WriteDefaultSystemDat());
  const std::string good = m_Tmp.ReadFile("data/System.dat");
  HOSTILESIZEPLAN plan;
  plan.nMaxOffsets = 256;
  plan.nTailElementBytes = 8;  // a record's two count words
  HOSTILESIZERESULT r = RunHostileSizeHarness(good, "data\\System.dat", [] { LoadSystem(); }, plan);
  EXPECT_GT(r.nVariants, 900);
  // Sized to their counts, the menu and key lists took a megabyte here.
  EXPECT_LT(r.nWorstPeakBytes, 256u << 10) << r.strWorst;
}

TEST(SystemTables, FontFacesAndColourLabels) {
  EXPECT_EQ(FontNameCount(), 123);
  const struct {
    int index;
    const char* name;
  } kCases[] = {{0, "System"},          {59, "ＭＳ ゴシック"},           {60, "ＭＳ Ｐゴシック"},
                {86, "HGｺﾞｼｯｸE"},       {100, "メイリオ"},               {119, "HGS創英ﾌﾟﾚｾﾞﾝｽEB"},
                {121, "Sydnie"},        {122, ""}};
  for (const auto& c : kCases) EXPECT_EQ(FontNameAt(c.index), Sjis(c.name)) << c.index;
  // Half-width katakana are single bytes in CP932.
  EXPECT_EQ(FontNameAt(86).size(), 8u);
  EXPECT_EQ(ColourDepthLabelAt(0), Sjis("256色(8bit) カラーパレットあり"));
  EXPECT_EQ(ColourDepthLabelAt(1), Sjis("1677万色(24bit) カラーパレットなし"));
  EXPECT_EQ(ColourDepthLabelAt(2), "");
}

TEST(SystemTables, NewProjectDefaults) {
  int32_t saved = g_nCurDataVersion;
  g_nCurDataVersion = 667;
  cEdSystem sys;
  g_nCurDataVersion = saved;
  EXPECT_EQ(FontNameAt(static_cast<int>(sys.m_nFontFace)), Sjis("ＭＳ Ｐゴシック"));
  ASSERT_EQ(sys.m_vecOptionMenu.size(), 6u);
  EXPECT_EQ(sys.m_vecOptionMenu[5].m_strLabel, "");
  EXPECT_EQ(sys.m_vecOptionMenu[5].m_bEnabled, 1u);
  EXPECT_EQ(sys.m_vecSystemSoundFile.size(), 17u);
  // A default-made element leaves nothing unset.
  cEdSystemElemB item;
  EXPECT_EQ(item.m_bShowNumber + item.m_nDigits + item.m_bLowMarkPercent, 0u);
  EXPECT_EQ(item.m_nLowMark, 0);
  cEdSystemElemC key;
  EXPECT_EQ(key.m_nKind + key.m_nValue, 0u);
}

// Ranking switches that are really in the file: the list takes the file's
// count, each switch at a small multiple of its bytes.
TEST_F(SystemFile, AFloodOfSmallRankingSwitchesCostsAFewTimesItsBytes) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  cEdSystem none;
  cEdSystem one = none;
  one.m_vecRankingSwitch.emplace_back();
  ASSERT_TRUE(WriteSystemDat(none));
  const std::string withNone = m_Tmp.ReadFile("data/System.dat");
  ASSERT_TRUE(WriteSystemDat(one));
  ELEMENTFLOOD flood;
  ASSERT_TRUE(SplitAtListCount(withNone, m_Tmp.ReadFile("data/System.dat"), flood));
  flood.strElement = std::string(12, '\0');  // no fields, no strings, no flags
  g_System = cEdSystem();
  ELEMENTFLOODRESULT r = RunElementFloodHarness(flood, "data\\System.dat", [] { ASSERT_TRUE(LoadSystem()); });
  ASSERT_GT(r.nElements, 100000u);
  EXPECT_EQ(g_System.m_vecRankingSwitch.size(), r.nElements + flood.nTailElements);
  EXPECT_LT(r.nPeakBytes, 24 * r.nFileBytes);
}
