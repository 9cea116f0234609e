#include "records/world_map.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "base/report.h"
#include "tests/support/corruption.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

// Data-file bytes written by hand, so that the reader is held against the
// layout and not against our own writer.
class cBytes {
 public:
  cBytes& I32(int32_t v) {
    for (int b = 0; b < 4; ++b) m_s += static_cast<char>((static_cast<uint32_t>(v) >> (8 * b)) & 0xFF);
    return *this;
  }
  cBytes& Str(const std::string& t) {
    I32(static_cast<int32_t>(t.size() + 1));
    if (!t.empty()) m_s += t + '\0';
    return *this;
  }
  cBytes& Fields(std::initializer_list<int32_t> v) {
    I32(static_cast<int32_t>(v.size()));
    for (int32_t x : v) I32(x);
    return *this;
  }
  cBytes& Strs(std::initializer_list<std::string> v) {
    I32(static_cast<int32_t>(v.size()));
    for (const std::string& t : v) Str(t);
    return *this;
  }
  const std::string& str() const { return m_s; }

 private:
  std::string m_s;
};

// A 3 × 2 map (pitch 4) with one kind, one event of one action at
// (eventX, eventY), and an empty second event list. The action holds the
// values 0, 1, 2... (11 of them from version 209 on, unless told otherwise).
std::string SmallMap(int32_t nVersion, int32_t startX, int32_t startY, int32_t eventX, int32_t eventY,
                     int nActionFields = 0) {
  if (nActionFields == 0) nActionFields = nVersion >= 209 ? 11 : 10;
  cBytes b;
  b.I32(nVersion);
  b.Fields({3, 2, 4, 2, startX, startY, 5, 1}).Strs({"W", "bg.bmp"});
  b.I32(1).Fields({7, 1, 4}).Strs({"k", "pass"});
  b.I32(8);
  for (int i = 0; i < 8; ++i) b.I32(100 + i);
  b.I32(1).Fields({eventX, eventY}).Strs({"e"});
  b.I32(1);
  b.I32(nActionFields);
  for (int i = 0; i < nActionFields; ++i) b.I32(i);
  b.Strs({"s.stg4", "t"});
  b.I32(0);
  return b.str();
}

// A map of the given size whose grid words are taken as given (cell i holds
// i + 1), with events of one empty action each at the given cells.
std::string GridMap(int32_t w, int32_t h, int32_t pitch, int32_t shift, int32_t nCells, int32_t startX = 0,
                    int32_t startY = 0, const std::vector<std::pair<int32_t, int32_t>>& events = {}) {
  cBytes b;
  b.I32(667).Fields({w, h, pitch, shift, startX, startY, 16, 0}).Strs({"", ""});
  b.I32(0);
  b.I32(nCells);
  for (int i = 0; i < nCells; ++i) b.I32(i + 1);
  b.I32(static_cast<int32_t>(events.size()));
  for (auto [x, y] : events) {
    b.Fields({x, y}).Strs({""});
    b.I32(1).Fields({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}).Strs({"", ""});
  }
  b.I32(0);
  return b.str();
}

// The boxes shown while fn runs: headless, each writes "[caption] text" to
// standard error.
template <class F>
std::string BoxesDuring(F fn) {
  testing::internal::CaptureStderr();
  fn();
  return testing::internal::GetCapturedStderr();
}

class WorldMapFile : public cRecordFileTest {
 protected:
  void TearDown() override {
    g_bStripCR = 0;
    g_bLogEnable = 0;
  }
  std::string ReportText() { return m_Tmp.ReadFile("Report_Game.txt"); }
  int ReportLines() {
    std::string r = ReportText();
    return static_cast<int>(std::count(r.begin(), r.end(), '\n'));
  }
  std::string Saved(cEdWorldMap& m, const char* path = "w.dat") {
    EXPECT_TRUE(m.SaveToFile(path));
    return m_Tmp.ReadFile(path);
  }
};

}  // namespace

TEST_F(WorldMapFile, DefaultsAndLabels) {
  cEdWorldMap m;
  EXPECT_EQ(m.m_nWidth, 20);
  EXPECT_EQ(m.m_nHeight, 15);
  EXPECT_EQ(m.m_nPitch, 32);
  EXPECT_EQ(m.m_nPitchShift, 5);
  EXPECT_EQ(m.m_nStartX, 9);
  EXPECT_EQ(m.m_nStartY, 7);
  EXPECT_EQ(m.m_nBackColor, 16);
  EXPECT_EQ(m.m_bBackPicture, 0);
  EXPECT_EQ(m.m_strName, Sjis("ワールド"));
  EXPECT_EQ(m.m_strBackPicture, "");
  EXPECT_EQ(m.m_vCell.size(), 480u);
  ASSERT_EQ(m.m_vWorld.size(), 10u);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(m.m_vWorld[i].m_nIndex, i);
    EXPECT_EQ(m.m_vWorld[i].m_bBlock, i < 5 ? 1 : 0);
    EXPECT_EQ(m.m_vWorld[i].m_strPassText, Sjis(i < 5 ? "通行不可" : "通行可"));
  }
  EXPECT_TRUE(m.m_vEvent.empty());
  ASSERT_EQ(m.m_vEventB.size(), 1u);
  EXPECT_EQ(m.m_vEventB[0].m_strName, Sjis("デフォルト"));
  EXPECT_EQ(m.m_vEventB[0].m_vAction.size(), 1u);
  EXPECT_EQ(WorldKindNames(), (std::vector<std::string>{Sjis("ワールド"), Sjis("道"), Sjis("壁")}));
  EXPECT_EQ(WorldEndActionNames(),
            (std::vector<std::string>{Sjis("しない"), Sjis("2周目へ突入"), Sjis("タイトルへ戻る")}));

  // A new map writes its defaults in the current layout: 8 fields, 2 strings.
  std::string b = Saved(m);
  std::string head = cBytes().I32(667).Fields({20, 15, 32, 5, 9, 7, 16, 0}).str();
  EXPECT_EQ(b.substr(0, head.size()), head);
}

TEST_F(WorldMapFile, SetSizeTable) {
  struct Case {
    int w, h;
    BOOL result;
    int pitch, shift;
  } cases[] = {
      {20, 15, 1, 32, 5},
      {32, 2, 1, 32, 5},
      {33, 1, 1, 64, 6},
      {1, 1, 1, 1, 0},
      {2, 3, 1, 2, 1},
      {0, 5, 0, 32, 5},
      {5, 0, 0, 32, 5},
      {-1, 3, 0, 32, 5},
      {3, -7, 0, 32, 5},
      {WORLDMAP_MAX_CELLS + 1, 1, 0, 32, 5},
      {1 << 11, 1 << 10, 0, 32, 5},
      {1 << 10, 1 << 10, 1, 1 << 10, 10},
  };
  for (const Case& c : cases) {
    cEdWorldMap m;
    EXPECT_EQ(m.SetSize(c.w, c.h), c.result) << c.w << "x" << c.h;
    EXPECT_EQ(m.m_nPitch, c.pitch) << c.w << "x" << c.h;
    EXPECT_EQ(m.m_nPitchShift, c.shift) << c.w << "x" << c.h;
    if (c.result) {
      EXPECT_EQ(m.m_nWidth, c.w);
      EXPECT_EQ(m.m_vCell.size(), static_cast<size_t>(c.pitch) * c.h);
    } else {
      EXPECT_EQ(m.m_nWidth, 20);
      EXPECT_EQ(m.m_vCell.size(), 480u);
    }
  }
  // The zero-size box shows only while the trace log is on.
  cEdWorldMap m;
  EXPECT_EQ(BoxesDuring([&] { m.SetSize(0, 1); }), "");
  g_bLogEnable = 1;
  EXPECT_EQ(BoxesDuring([&] { m.SetSize(0, 1); }), "[エラー] SetSize()で 0 を指定しました！\n");
}

TEST_F(WorldMapFile, SetSizeKeepsCellsAtTheirColumnAndRow) {
  cEdWorldMap m;
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 20; ++x) m.CellAt(x, y) = y * 100 + x + 1;
  ASSERT_TRUE(m.SetSize(40, 20));
  EXPECT_EQ(m.m_nPitch, 64);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) {
      int expect = (x < 20 && y < 15) ? y * 100 + x + 1 : 0;
      ASSERT_EQ(m.CellAt(x, y), expect) << x << "," << y;
    }
  }
  ASSERT_TRUE(m.SetSize(7, 3));
  EXPECT_EQ(m.m_nPitch, 8);
  EXPECT_EQ(m.m_vCell.size(), 24u);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) EXPECT_EQ(m.CellAt(x, y), y * 100 + x + 1);
  EXPECT_EQ(m.CellAt(7, 0), 0);  // the row's padding
  EXPECT_EQ(ReportText(), "");
}

TEST_F(WorldMapFile, HandWrittenBytesReadFieldByFieldAndWriteBackTheSame) {
  const std::string file = SmallMap(667, 1, 1, 2, 1);
  m_Tmp.WriteFile("hand.dat", file);
  cEdWorldMap m;
  ASSERT_TRUE(m.LoadFromFile("hand.dat"));
  EXPECT_EQ(m.m_nWidth, 3);
  EXPECT_EQ(m.m_nHeight, 2);
  EXPECT_EQ(m.m_nPitch, 4);
  EXPECT_EQ(m.m_nPitchShift, 2);
  EXPECT_EQ(m.m_nStartX, 1);
  EXPECT_EQ(m.m_nStartY, 1);
  EXPECT_EQ(m.m_nBackColor, 5);
  EXPECT_EQ(m.m_bBackPicture, 1);
  EXPECT_EQ(m.m_strName, "W");
  EXPECT_EQ(m.m_strBackPicture, "bg.bmp");
  ASSERT_EQ(m.m_vWorld.size(), 1u);
  EXPECT_EQ(m.m_vWorld[0].m_nValue, 7);
  EXPECT_EQ(m.m_vWorld[0].m_bBlock, 1);
  EXPECT_EQ(m.m_vWorld[0].m_nIndex, 4);
  EXPECT_EQ(m.m_vWorld[0].m_strName, "k");
  EXPECT_EQ(m.m_vWorld[0].m_strPassText, "pass");
  ASSERT_EQ(m.m_vCell.size(), 8u);
  EXPECT_EQ(m.CellAt(0, 0), 100);
  EXPECT_EQ(m.CellAt(2, 1), 106);  // (1 << 2) + 2
  ASSERT_EQ(m.m_vEvent.size(), 1u);
  cEdWorldEvent& e = m.m_vEvent[0];
  EXPECT_EQ(e.m_nX, 2);
  EXPECT_EQ(e.m_nY, 1);
  EXPECT_EQ(e.m_strName, "e");
  ASSERT_EQ(e.m_vAction.size(), 1u);  // replaced, not added to the new event's one
  const cEdWorldAction& a = e.m_vAction[0];
  const int32_t got[11] = {a.m_nKind,    a.m_bPassed,       a.m_bReEnter,   a.m_nPassFlag, a.m_nNeedFlag, a.m_nVarNo,
                           a.m_nCompare, a.m_nCompareValue, a.m_nScoreNeed, a.m_nValue10,  a.m_nEndKind};
  for (int i = 0; i < 11; ++i) EXPECT_EQ(got[i], i) << "action value " << i + 1;
  EXPECT_EQ(a.m_strStage, "s.stg4");
  EXPECT_EQ(a.m_strText, "t");
  EXPECT_TRUE(m.m_vEventB.empty());
  EXPECT_EQ(m.FindEntry(2, 1), &m.m_vEvent[0]);
  EXPECT_EQ(m.FindEntry(1, 2), nullptr);

  EXPECT_EQ(Saved(m), file);
  EXPECT_EQ(ReportText(), "");
}

TEST_F(WorldMapFile, RoundTripIsByteExact) {
  cEdWorldMap m = MakeDemoWorldMap();
  m.m_strBackPicture = "bmp\\WorldBack2.bmp";
  m.m_vWorld[3].m_nValue = -4;
  m.m_vEventB[0].m_vAction[0].m_strText = Sjis("既定の説明");
  const std::string first = Saved(m, "a.dat");
  cEdWorldMap back;
  ASSERT_TRUE(back.LoadFromFile("a.dat"));
  EXPECT_EQ(Saved(back, "b.dat"), first);
  ASSERT_EQ(back.m_vEvent.size(), m.m_vEvent.size());
  EXPECT_EQ(back.m_vEvent[1].m_vAction.size(), 2u);
  EXPECT_EQ(back.m_vEvent[2].m_vAction[0].m_strStage, DEMO_STAGE2);
  EXPECT_EQ(back.m_vCell, m.m_vCell);
  EXPECT_EQ(back.m_vWorld[3].m_nValue, -4);
  EXPECT_EQ(ReportText(), "");
}

TEST_F(WorldMapFile, ActionsOfFilesBeforeVersion209HaveNoEndKind) {
  // A hand-written file of version 208: ten values an action.
  m_Tmp.WriteFile("old.dat", SmallMap(208, 0, 0, 0, 0));
  cEdWorldMap m;
  ASSERT_TRUE(m.LoadFromFile("old.dat"));
  ASSERT_EQ(m.m_vEvent.size(), 1u);
  EXPECT_EQ(m.m_vEvent[0].m_vAction[0].m_nValue10, 9);
  EXPECT_EQ(m.m_vEvent[0].m_vAction[0].m_nEndKind, 0);

  // The builder writes the same layout at 208; reading converts it, and
  // saving writes 667 with the eleventh value.
  cProjectBuilder builder(m_Tmp.Path());
  builder.SetDataVersion(208);
  builder.m_WorldMap.m_vEvent[2].m_vAction[0].m_nEndKind = 2;
  ASSERT_TRUE(builder.Build());
  EXPECT_EQ(g_nCurDataVersion, 667);
  cEdWorldMap built;
  ASSERT_TRUE(built.LoadFromFile("data\\WorldMap.dat"));
  EXPECT_EQ(g_nFileDataVersion, 208);
  EXPECT_EQ(built.m_vEvent[2].m_vAction[0].m_nEndKind, 0);
  EXPECT_EQ(built.m_vEvent[2].m_vAction[0].m_nPassFlag, 2);
  std::string now = Saved(built);
  EXPECT_EQ(now.substr(0, 4), cBytes().I32(667).str());
  // One more value in each of the five actions.
  EXPECT_EQ(now.size(), m_Tmp.ReadFile("data/WorldMap.dat").size() + 4 * 5);
}

TEST_F(WorldMapFile, ReadingPullsTheStartCellInAndDropsEventsOutsideTheGrid) {
  struct Case {
    int startX, startY, eventX, eventY;
    int wantX, wantY;
    bool keepsEvent;
  } cases[] = {
      {1, 1, 2, 1, 1, 1, true},     {25, 3, 3, 0, 2, 1, false}, {2, 9, 0, 2, 2, 1, false},
      {-3, -1, -1, 0, 0, 0, false}, {0, 0, 0, -1, 0, 0, false}, {0, 1, 2, 1, 0, 1, true},
  };
  for (const Case& c : cases) {
    m_Tmp.WriteFile("n.dat", SmallMap(667, c.startX, c.startY, c.eventX, c.eventY));
    cEdWorldMap m;
    ASSERT_TRUE(m.LoadFromFile("n.dat"));
    EXPECT_EQ(m.m_nStartX, c.wantX) << c.startX << "," << c.startY;
    EXPECT_EQ(m.m_nStartY, c.wantY) << c.startX << "," << c.startY;
    EXPECT_EQ(m.m_vEvent.size(), c.keepsEvent ? 1u : 0u) << c.eventX << "," << c.eventY;
  }

  // On a 20 × 15 map: (25, 3) becomes (19, 3); an event at (20, 0) goes, one
  // at (19, 14) stays, and the events after a dropped one keep their order.
  m_Tmp.WriteFile("w.dat", GridMap(20, 15, 32, 5, 480, 25, 3, {{20, 0}, {19, 14}, {3, 15}, {0, 0}}));
  cEdWorldMap back;
  ASSERT_TRUE(back.LoadFromFile("w.dat"));
  EXPECT_EQ(back.m_nStartX, 19);
  EXPECT_EQ(back.m_nStartY, 3);
  ASSERT_EQ(back.m_vEvent.size(), 2u);
  EXPECT_EQ(back.m_vEvent[0].m_nX, 19);
  EXPECT_EQ(back.m_vEvent[1].m_nX, 0);
  EXPECT_EQ(ReportText(), "");

  // Writing normalises first, so a file never holds what reading would drop.
  cEdWorldMap m;
  m.m_nStartY = 40;
  m.m_vEvent.resize(2);
  m.m_vEvent[0].m_nX = -1;
  std::string b = Saved(m);
  cEdWorldMap again;
  ASSERT_TRUE(again.LoadFromFile("w.dat"));
  EXPECT_EQ(again.m_nStartY, 14);
  EXPECT_EQ(again.m_vEvent.size(), 1u);
  EXPECT_EQ(Saved(again), b);
}

TEST_F(WorldMapFile, GridThatDoesNotFitItsSizeIsRebuiltWithOneReportLine) {
  struct Case {
    const char* name;
    int32_t w, h, pitch, shift, cells;
    int32_t cell10;  // the cell (1, 0) after reading
  } cases[] = {
      {"too few cells", 3, 2, 4, 2, 5, 2},
      {"too many cells", 3, 2, 4, 2, 30, 2},
      {"pitch not the shift's power", 3, 2, 8, 2, 8, 2},
      {"pitch below the width", 5, 1, 4, 2, 4, 2},
      {"shift of 40", 3, 2, 4, 40, 8, 2},
      {"negative shift", 3, 2, 4, -1, 8, 2},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    m_Tmp.WriteFile("g.dat", GridMap(c.w, c.h, c.pitch, c.shift, c.cells));
    cEdWorldMap m;
    ASSERT_TRUE(m.LoadFromFile("g.dat")) << c.name;
    EXPECT_EQ(ReportLines(), 1) << c.name << ": " << ReportText();
    EXPECT_EQ(m.m_nPitch, 1 << m.m_nPitchShift) << c.name;
    EXPECT_GE(m.m_nPitch, m.m_nWidth) << c.name;
    EXPECT_EQ(m.m_vCell.size(), static_cast<size_t>(m.m_nPitch) * m.m_nHeight) << c.name;
    EXPECT_EQ(m.CellAt(1, 0), c.cell10) << c.name;
  }
  // A pitch above the smallest power is still a grid the scene can index.
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  m_Tmp.WriteFile("g.dat", GridMap(3, 2, 8, 3, 16));
  cEdWorldMap m;
  ASSERT_TRUE(m.LoadFromFile("g.dat"));
  EXPECT_EQ(m.m_nPitch, 8);
  EXPECT_EQ(m.CellAt(1, 1), 10);
  EXPECT_EQ(ReportText(), "");
}

TEST_F(WorldMapFile, DamagedFilesFailWithOneReportLine) {
  cEdWorldMap good = MakeDemoWorldMap();
  const std::string g = Saved(good, "good.dat");
  const std::string afterBase = cBytes().I32(667).Fields({20, 15, 32, 5, 4, 7, 16, 0}).str();
  const size_t nKindsAt = g.find(cBytes().I32(10).str(), afterBase.size());  // the kind count
  ASSERT_NE(nKindsAt, std::string::npos);
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"version only", g.substr(0, 4)},
      {"cut in the base part", g.substr(0, 20)},
      {"cut in the grid", g.substr(0, g.size() / 2)},
      {"cut before the last list", g.substr(0, g.size() - 4)},
      {"huge kind count", g.substr(0, nKindsAt) + cBytes().I32(0x7FFFFFFF).str() + g.substr(nKindsAt + 4)},
      {"width 0", GridMap(0, 2, 1, 0, 0)},
      {"negative height", GridMap(3, -2, 4, 2, 0)},
      {"grid beyond the limit", GridMap(1 << 20, 4, 1 << 20, 20, 0)},
      {"action with 12 values", SmallMap(667, 0, 0, 0, 0, 12)},
      {"action of version 208 with 11 values", SmallMap(208, 0, 0, 0, 0, 11)},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    m_Tmp.WriteFile("bad.dat", c.bytes);
    cEdWorldMap m;
    EXPECT_EQ(m.LoadFromFile("bad.dat"), 0) << c.name;
    EXPECT_EQ(ReportLines(), 1) << c.name << ": " << ReportText();
  }
}

TEST_F(WorldMapFile, SurvivesTheCorruptionHarness) {
  cEdWorldMap good = MakeDemoWorldMap();
  const std::string g = Saved(good, "h.dat");
  int n = RunCorruptionHarness(g, "h.dat", [] {
    cEdWorldMap m;
    if (m.LoadFromFile("h.dat")) {
      // Whatever was read is a grid the scene can index.
      ASSERT_EQ(m.m_nPitch, 1 << m.m_nPitchShift);
      ASSERT_EQ(m.m_vCell.size(), static_cast<size_t>(m.m_nPitch) * m.m_nHeight);
      ASSERT_GE(m.m_nStartX, 0);
      ASSERT_LT(m.m_nStartX, m.m_nWidth);
      ASSERT_GE(m.m_nStartY, 0);
      ASSERT_LT(m.m_nStartY, m.m_nHeight);
      for (const cEdWorldEvent& e : m.m_vEvent) {
        ASSERT_TRUE(e.m_nX >= 0 && e.m_nX < m.m_nWidth && e.m_nY >= 0 && e.m_nY < m.m_nHeight);
      }
    }
  });
  EXPECT_GT(n, 2000);
}

TEST_F(WorldMapFile, CheckedAccessNamesTheOriginalSizes) {
  g_hWndMain = CreateMessageWindow(nullptr);
  cEdWorldMap m;
  WorldAt(m.m_vWorld, 10);
  WorldEventAt(m.m_vEventB, 1);
  WorldCellAt(m.m_vEventB[0].m_vAction, -1);
  m.CellAt(0, 15);
  std::string r = ReportText();
  EXPECT_NE(r.find("err V[10] ( 10 , 80 )"), std::string::npos) << r;
  EXPECT_NE(r.find("err V[1] ( 1 , 76 )"), std::string::npos) << r;
  EXPECT_NE(r.find("err V[-1] ( 1 , 112 )"), std::string::npos) << r;
  EXPECT_NE(r.find("err V[480] ( 480 , 4 )"), std::string::npos) << r;
  int closes = 0;
  MSG msg;
  while (PeekMessage(&msg, g_hWndMain, 0, 0, PM_REMOVE)) closes += msg.message == WM_CLOSE;
  EXPECT_EQ(closes, 4);
}

TEST_F(WorldMapFile, StartUpLoaderTakesTheFileWholeOrNotAtAll) {
  const std::string box = "[エラー] data\\WorldMap.dat のロードに失敗！\n";
  g_WorldMap = cEdWorldMap();
  // Missing: the box, 0, and the map keeps its defaults.
  BOOL result = 1;
  EXPECT_EQ(BoxesDuring([&] { result = LoadWorldMap(); }), box);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(g_WorldMap.m_nStartX, 9);

  cProjectBuilder builder(m_Tmp.Path());
  ASSERT_TRUE(builder.Build());
  EXPECT_EQ(BoxesDuring([&] { result = LoadWorldMap(); }), "");
  EXPECT_EQ(result, 1);
  EXPECT_EQ(g_WorldMap.m_nStartX, 4);
  EXPECT_EQ(g_WorldMap.m_vEvent.size(), 3u);

  // Damaged: the box again, and the map read before stays whole.
  std::string b = m_Tmp.ReadFile("data/WorldMap.dat");
  m_Tmp.WriteFile("data/WorldMap.dat", b.substr(0, b.size() - 10));
  EXPECT_EQ(BoxesDuring([&] { result = LoadWorldMap(); }), box);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(g_WorldMap.m_vEvent.size(), 3u);
  EXPECT_EQ(g_WorldMap.m_vEventB.size(), 1u);
  g_WorldMap = cEdWorldMap();
}

TEST_F(WorldMapFile, BuilderLaysOutAGameFolder) {
  const std::string root = m_Tmp.Path() + "/ゲーム";
  cProjectBuilder builder(root);
  ASSERT_TRUE(builder.Build());
  for (const char* folder : {"data/database", "data/stg4/old_ver", "data/work", "data/plt4", "bmp/plt", "bgm",
                             "user_data/story", "user_data/challenge", "user_data/free", "user_data/rpl4"}) {
    EXPECT_TRUE(std::filesystem::is_directory(root + "/" + folder)) << folder;
  }
  cEdWorldMap m;
  ASSERT_TRUE(m.LoadFromFile(builder.GamePath("data\\WorldMap.dat")));
  EXPECT_EQ(m.m_strName, Sjis("デモワールド"));
  // Every event stands on the road, and the road is passable.
  for (const cEdWorldEvent& e : m.m_vEvent) {
    EXPECT_EQ(m.m_vWorld[m.CellAt(e.m_nX, e.m_nY)].m_bBlock, 0) << e.m_nX;
  }
  EXPECT_EQ(m.m_vWorld[m.CellAt(m.m_nStartX, m.m_nStartY)].m_bBlock, 0);
}
