// Loading the ten database files into g_Database and building the run
// tables from them.
#include "records/database.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <filesystem>

#include "platform/messages.h"
#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "records/chara.h"
#include "records/database_bounds.h"
#include "records/database_run_tables.h"
#include "records/flow_records.h"
#include "records/item.h"
#include "records/move_shot.h"
#include "base/report.h"
#include "tests/support/allocation_probe.h"
#include "tests/support/corruption.h"
#include "tests/support/database_fixtures.h"
#include "tests/support/temp_folder.h"

namespace {

class Database : public ::testing::Test {
 protected:
  void SetUp() override {
    g_nCurDataVersion = 667;
    g_bStripCR = 1;
    ::setenv("TARVOLIN4_HEADLESS", "1", 1);
    ::unsetenv("TARVOLIN4_ANSWERS");
    ResetScriptedAnswersForTests();
    ResetMessageLayerForTests();
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    std::filesystem::create_directories("data/database");
    m_Fixture = MakeFixtureDatabase();
    g_Database = cEdDatabase();
  }
  void TearDown() override {
    g_bStripCR = 0;
    g_Database = cEdDatabase();
  }
  std::string ReportText() { return m_Tmp.ReadFile("Report_Game.txt"); }

  cTempFolder m_Tmp;
  cEdDatabase m_Fixture;
};

void ExpectSteps(const cVector<ANIMESTEP>& got, std::initializer_list<ANIMESTEP> expect, const char* what) {
  ASSERT_EQ(got.size(), expect.size()) << what;
  size_t k = 0;
  for (const ANIMESTEP& e : expect) {
    EXPECT_EQ(got[k].nPattern, e.nPattern) << what << " step " << k;
    EXPECT_EQ(got[k].nDuration, e.nDuration) << what << " step " << k;
    EXPECT_EQ(got[k].bNoInterrupt, e.bNoInterrupt) << what << " step " << k;
    ++k;
  }
}

// Database file i into its list of a fresh g_Database.
BOOL LoadOneDatabaseFile(int i) {
  g_Database = cEdDatabase();
  switch (i) {
    case 0: return LoadDatabaseFile(g_Database.m_vecAnimeSet, DatabaseFilePath(i));
    case 1: return LoadDatabaseFile(g_Database.m_vecAnime, DatabaseFilePath(i));
    case 2: return LoadDatabaseFile(g_Database.m_vecBmpCharaExc, DatabaseFilePath(i));
    case 3: return LoadDatabaseFile(g_Database.m_vecSwordType, DatabaseFilePath(i));
    case 4: return LoadDatabaseFile(g_Database.m_vecEffect, DatabaseFilePath(i));
    case 5: return LoadDatabaseFile(g_Database.m_vecCharaEffect, DatabaseFilePath(i));
    case 6: return LoadDatabaseFile(g_Database.m_vecScrEffect, DatabaseFilePath(i));
    case 7: return LoadDatabaseFile(g_Database.m_vecPicture, DatabaseFilePath(i));
    case 8: return LoadDatabaseFile(g_Database.m_vecSound, DatabaseFilePath(i));
    case 9: return LoadDatabaseFile(g_Database.m_vecBgm, DatabaseFilePath(i));
  }
  return 0;
}

size_t DatabaseListSize(const cEdDatabase& db, int i) {
  const size_t an[DATABASE_FILE_COUNT] = {db.m_vecAnimeSet.size(),  db.m_vecAnime.size(),   db.m_vecBmpCharaExc.size(),
                                          db.m_vecSwordType.size(), db.m_vecEffect.size(),  db.m_vecCharaEffect.size(),
                                          db.m_vecScrEffect.size(), db.m_vecPicture.size(), db.m_vecSound.size(),
                                          db.m_vecBgm.size()};
  return an[i];
}

// The record an entry of file i reads into, and the entries as the report
// names them.
const size_t kRecordBytes[DATABASE_FILE_COUNT] = {
    sizeof(cEdAnimeSet),    sizeof(cEdAnime),     sizeof(cEdBmpCharaExc), sizeof(cEdSwordType), sizeof(cEdEffect),
    sizeof(cEdCharaEffect), sizeof(cEdScrEffect), sizeof(cEdPicture),     sizeof(cEdSound),     sizeof(cEdBgm)};
const char* const kEntries[DATABASE_FILE_COUNT] = {
    "anime sets", "animations", "chara pictures", "sword types", "effects", "chara effects", "screen effects",
    "pictures",   "sounds",     "pieces of music"};

// A file of file i's entries, each as small as a file holds it: its base
// part's two counts, and the count of each list it holds (a set its
// animations, an animation, a sword type and an effect their frames or
// parts).
ELEMENTFLOOD MinimalEntryFlood(int i, size_t nEntries) {
  const int kNestedLists[DATABASE_FILE_COUNT] = {1, 1, 0, 1, 1, 0, 0, 0, 0, 0};
  ELEMENTFLOOD flood;
  flood.strHead = std::string("\x9b\x02\0\0", 4);  // version 667
  flood.strElement = std::string(8 + 4 * kNestedLists[i], '\0');
  flood.nBytes = flood.strHead.size() + 4 + nEntries * flood.strElement.size();
  return flood;
}

// What a load allocates beside the file's bytes and its list: the file
// object, the default entry, the scratch one, and the writing of a report
// line.
constexpr size_t kLoadOverheadBytes = 8192;

}  // namespace

TEST_F(Database, ConstructionGivesTheDefaultLists) {
  cEdDatabase db;
  EXPECT_EQ(db.m_vecAnimeSet.size(), 1u);
  ASSERT_EQ(db.m_vecAnime.size(), 2u);
  EXPECT_EQ(db.m_vecAnime[0].strName, Sjis("なし"));
  EXPECT_EQ(db.m_vecAnime[1].strName, Sjis("アクションA"));
  EXPECT_EQ(db.m_vecSwordType.size(), 1u);
  for (size_t n : {db.m_vecBmpCharaExc.size(), db.m_vecEffect.size(), db.m_vecCharaEffect.size(),
                   db.m_vecScrEffect.size(), db.m_vecPicture.size(), db.m_vecSound.size(), db.m_vecBgm.size()}) {
    EXPECT_EQ(n, 2u);
  }
  EXPECT_EQ(db.m_vecCharaEffect[0].nKind, 1);
  EXPECT_TRUE(db.m_vecCharaEffectRev.empty());
  EXPECT_TRUE(db.m_vecScrEffectRev.empty());
}

TEST_F(Database, LoadsEveryListAsWrittenAndForcesTheFirstEffectsToNone) {
  ASSERT_TRUE(WriteDatabaseFiles(m_Fixture));
  ASSERT_EQ(LoadDatabases(), 1);
  m_Fixture.m_vecCharaEffect[0].nKind = 0;
  m_Fixture.m_vecScrEffect[0].nKind = 0;
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    EXPECT_EQ(DatabaseFileBytes(g_Database, i), DatabaseFileBytes(m_Fixture, i)) << DatabaseFilePath(i);
  }
  EXPECT_EQ(g_Database.m_vecSound.size(), 3u);
  EXPECT_EQ(g_Database.m_vecSound[2].strFile, "wave\\Bomb.wav");
  EXPECT_EQ(g_Database.m_vecAnime[2].strName, Sjis("ジャンプ"));
  EXPECT_EQ(ReportText(), "");
}

TEST_F(Database, OlderFoldersLoadToo) {
  for (int nVersion : {54, 120, 150, 400, 666}) {
    g_Database = cEdDatabase();
    cEdDatabase fixture = MakeFixtureDatabase();
    ASSERT_TRUE(WriteDatabaseFiles(fixture, "", nVersion));
    EXPECT_EQ(LoadDatabases(), 1) << nVersion;
    EXPECT_EQ(g_Database.m_vecAnimeSet.size(), 2u) << nVersion;
    EXPECT_EQ(g_Database.m_vecAnimeSet[0].m_vecAnime.size(), 4u) << nVersion;
    EXPECT_EQ(g_Database.m_vecPicture[1].nAttr, nVersion >= 153 ? 5 : 0) << nVersion;
    EXPECT_EQ(g_Database.m_vecBmpCharaExc[1].nCellBlocks, nVersion >= 172 ? 4 : 2) << nVersion;
  }
  EXPECT_EQ(ReportText(), "");
}

TEST_F(Database, HandWrittenListFilesRead) {
  auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  // Bgm.dat at 667: two entries.
  std::string bgm = u32(667) + u32(2);
  bgm += u32(1) + u32(0) + u32(2) + u32(1) + u32(1);
  bgm += u32(1) + u32(4) + u32(2) + u32(2) + std::string("m\0", 2) + u32(10) + std::string("bgm\\M.ogg\0", 10);
  m_Tmp.WriteFile("data/database/Bgm.dat", bgm);
  ASSERT_EQ(LoadDatabaseFile(g_Database.m_vecBgm, "data\\database\\Bgm.dat"), 1);
  ASSERT_EQ(g_Database.m_vecBgm.size(), 2u);
  EXPECT_EQ(g_Database.m_vecBgm[1].strName, "m");
  EXPECT_EQ(g_Database.m_vecBgm[1].nAttr, 4);
  EXPECT_EQ(g_Database.m_vecBgm[1].strFile, "bgm\\M.ogg");

  // CharaEffect.dat at 400: a wave without its p5, which the catalogue fills.
  std::string ce = u32(400) + u32(1);
  ce += u32(2) + u32(4) + u32(5) + u32(0) + u32(32) + u32(3) + u32(0) + u32(1) + u32(2) + std::string("w\0", 2);
  m_Tmp.WriteFile("data/database/CharaEffect.dat", ce);
  ASSERT_EQ(LoadDatabaseFile(g_Database.m_vecCharaEffect, "data\\database\\CharaEffect.dat"), 1);
  ASSERT_EQ(g_Database.m_vecCharaEffect.size(), 1u);
  const cEdCharaEffect& w = g_Database.m_vecCharaEffect[0];
  EXPECT_EQ(w.strName, "w");
  EXPECT_EQ(w.nKind, 4);
  EXPECT_EQ(w.anParam[3], 3);
  EXPECT_EQ(w.anParam[4], 2);
  EXPECT_EQ(ReportText(), "");
}

TEST_F(Database, AMissingFileStopsTheLoadWithItsBox) {
  ASSERT_TRUE(WriteDatabaseFiles(m_Fixture));
  std::filesystem::remove("data/database/Effect.dat");
  cEdDatabase defaults;
  testing::internal::CaptureStderr();
  EXPECT_EQ(LoadDatabases(), 0);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("[エラー] data\\database\\Effect.dat のロードに失敗！"), std::string::npos) << err;
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(DatabaseFileBytes(g_Database, i), DatabaseFileBytes(m_Fixture, i)) << DatabaseFilePath(i);
  }
  for (int i = 4; i < DATABASE_FILE_COUNT; ++i) {
    EXPECT_EQ(DatabaseFileBytes(g_Database, i), DatabaseFileBytes(defaults, i)) << DatabaseFilePath(i);
  }
}

std::string NativePath(const std::string& gamePath) {
  std::string s = gamePath;
  for (char& c : s) {
    if (c == '\\') c = '/';
  }
  return s;
}

TEST_F(Database, ADamagedFileFailsLikeAMissingOneAndKeepsItsList) {
  struct Case {
    int nFile;
    int nCut;  // bytes kept; -1: a whole file whose list is empty
  } cases[] = {{8, 30}, {1, 7}, {3, 60}, {5, -1}, {6, -1}};
  for (const Case& c : cases) {
    g_Database = cEdDatabase();
    ASSERT_TRUE(WriteDatabaseFiles(m_Fixture));
    const std::string native = NativePath(DatabaseFilePath(c.nFile));
    std::string bytes = m_Tmp.ReadFile(native);
    bytes = c.nCut < 0 ? std::string("\x9B\x02\0\0\0\0\0\0", 8) : bytes.substr(0, c.nCut);
    m_Tmp.WriteFile(native, bytes);
    cEdDatabase defaults;
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadDatabases(), 0) << native;
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(Cp932ToUtf8(DatabaseFilePath(c.nFile)) + " のロードに失敗！"), std::string::npos) << err;
    EXPECT_EQ(DatabaseFileBytes(g_Database, c.nFile), DatabaseFileBytes(defaults, c.nFile)) << native;
  }
  // One report line per damaged file.
  std::string r = ReportText();
  EXPECT_EQ(std::count(r.begin(), r.end(), '\n'), 5) << r;
}

TEST_F(Database, RunTablesFollowTheFramesOfEveryEntry) {
  ASSERT_TRUE(WriteDatabaseFiles(m_Fixture));
  ASSERT_EQ(LoadDatabases(), 1);
  BuildDatabaseRunTables();

  ASSERT_EQ(g_vAnimeRun.size(), 3u);
  // Entry 0 takes no time, cannot be interrupted and loops.
  ExpectSteps(g_vAnimeRun[0], {{5, 0, 1}, {6, 0, 1}, {-2, 0, 1}}, "anime 0");
  // The no-interrupt flag of a frame carries to every later step.
  ExpectSteps(g_vAnimeRun[1], {{10, 12, 0}, {11, 30, 1}, {12, 6, 1}, {-4, 0, 0}}, "anime 1");
  ExpectSteps(g_vAnimeRun[2], {{-4, 0, 0}}, "anime without frames");

  ASSERT_EQ(g_vEffectRun.size(), 2u);
  ExpectSteps(g_vEffectRun[0], {{0, 0, 1}, {0, 0, 1}, {-2, 0, 1}}, "effect 0");
  ExpectSteps(g_vEffectRun[1], {{0, 6, 0}, {1, 12, 0}, {2, 18, 0}, {3, 24, 0}, {-4, 0, 0}}, "effect 1");

  ASSERT_EQ(g_CharaEffectRun.size(), 3u);
  ASSERT_EQ(g_CharaEffectRunRev.size(), 3u);
  // Chara effect 0 is "none": nothing but its number and record.
  EXPECT_EQ(g_CharaEffectRun[0].lpRecord, &g_Database.m_vecCharaEffect[0]);
  EXPECT_EQ(g_CharaEffectRun[0].dStep, 0.0);
  // Kind 7 from 0 to 1440 over 1 s, and back.
  const EFFECTRUN& f1 = g_CharaEffectRun[1];
  const EFFECTRUN& r1 = g_CharaEffectRunRev[1];
  EXPECT_EQ(f1.nEffect, 1);
  EXPECT_EQ(f1.lpRecord, &g_Database.m_vecCharaEffect[1]);
  EXPECT_EQ(r1.lpRecord, &g_Database.m_vecCharaEffectRev[1]);
  EXPECT_EQ(f1.nStart, 0);
  EXPECT_EQ(f1.nEnd, 1440);
  EXPECT_EQ(f1.dCurrent, 0.0);
  EXPECT_EQ(f1.dStep, 24.0);
  EXPECT_EQ(r1.nStart, 1440);
  EXPECT_EQ(r1.nEnd, 0);
  EXPECT_EQ(r1.dCurrent, 1440.0);
  EXPECT_EQ(r1.dStep, 24.0);
  EXPECT_EQ(g_Database.m_vecCharaEffect[1].anParam[1], 0);
  EXPECT_EQ(g_Database.m_vecCharaEffect[1].anParam[2], 1440);
  EXPECT_EQ(g_Database.m_vecCharaEffectRev[1].anParam[1], 1440);
  EXPECT_EQ(g_Database.m_vecCharaEffectRev[1].anParam[2], 0);
  // Kind 6 (blink) counts sixths of a tenth up to p1, in both tables.
  for (const EFFECTRUN* e : {&g_CharaEffectRun[2], &g_CharaEffectRunRev[2]}) {
    EXPECT_EQ(e->nStart, 0);
    EXPECT_EQ(e->nEnd, 10);
    EXPECT_EQ(e->dCurrent, 0.0);
    EXPECT_EQ(e->dStep, 0.16666666666666666);
  }

  ASSERT_EQ(g_ScrEffectRun.size(), 3u);
  EXPECT_EQ(g_ScrEffectRun[0].dStep, 0.0);  // kind forced to none
  // A move keeps its two points in the record; the reversed record has them
  // exchanged.
  EXPECT_EQ(g_ScrEffectRun[1].dStep, 1.0 / 6.0);
  const int32_t* p = g_Database.m_vecScrEffectRev[1].anParam;
  EXPECT_EQ(p[1], 640);
  EXPECT_EQ(p[2], 120);
  EXPECT_EQ(p[3], 0);
  EXPECT_EQ(p[4], 0);
  EXPECT_EQ(g_Database.m_vecScrEffect[1].anParam[3], 640);
  // Kind 10 from 640 to 0 over 0.5 s.
  EXPECT_EQ(g_ScrEffectRun[2].nStart, 640);
  EXPECT_EQ(g_ScrEffectRun[2].nEnd, 0);
  EXPECT_EQ(g_ScrEffectRun[2].dCurrent, 640.0);
  EXPECT_EQ(g_ScrEffectRun[2].dStep, 640.0 / 30.0);
  EXPECT_EQ(g_ScrEffectRunRev[2].nStart, 0);
  EXPECT_EQ(g_ScrEffectRunRev[2].dCurrent, 0.0);
}

TEST_F(Database, RunTablesSurviveZeroTimesHugeTimesAndEmptyLists) {
  cEdCharaEffect c;
  c.nKind = 7;
  c.anParam[0] = 0;
  c.anParam[1] = 0;
  c.anParam[2] = 60;
  cEdCharaEffect n = c;
  n.anParam[0] = -5;
  n.anParam[1] = INT_MIN;
  n.anParam[2] = INT_MAX;
  g_Database.m_vecCharaEffect = {c, c, n};
  cEdScrEffect s;
  s.nKind = 4;
  s.anParam[0] = 0;
  s.anParam[2] = 30;
  g_Database.m_vecScrEffect = {s};
  g_Database.m_vecAnime[1].m_vecFrame[0].nTime = INT_MAX;
  g_Database.m_vecEffect[1].m_vecFrame.assign(1, cEdEffectFrame::MakeDefault());
  g_Database.m_vecEffect[1].m_vecFrame[0].nTime = INT_MIN;
  BuildDatabaseRunTables();
  // A run time below 1 runs as 1.
  EXPECT_EQ(g_CharaEffectRun[1].dStep, 10.0);
  EXPECT_EQ(g_ScrEffectRun[0].dStep, 5.0);
  EXPECT_GT(g_CharaEffectRun[2].dStep, 0.0);
  EXPECT_EQ(g_vAnimeRun[1][0].nDuration, INT_MAX);
  EXPECT_EQ(g_vEffectRun[1][0].nDuration, INT_MIN);

  g_Database.m_vecCharaEffect.clear();
  g_Database.m_vecScrEffect.clear();
  g_Database.m_vecAnime.clear();
  g_Database.m_vecEffect.clear();
  BuildDatabaseRunTables();
  EXPECT_TRUE(g_vAnimeRun.empty());
  EXPECT_TRUE(g_vEffectRun.empty());
  EXPECT_TRUE(g_CharaEffectRun.empty());
  EXPECT_TRUE(g_ScrEffectRunRev.empty());
  // With no entry 0 to reset, the access is reported and the window asked
  // to close; nothing crashes.
  g_Database.ResetFirstEffects();
  EXPECT_NE(ReportText().find("err V[0] ( 0 , 76 )"), std::string::npos);
}

TEST_F(Database, StartingARunCopiesOnlyTheEntrysValues) {
  EFFECTRUN entry;
  entry.nEffect = 3;
  entry.lpRecord = &g_Database.m_vecCharaEffect[1];
  entry.nMode = 2;
  entry.nStart = 10;
  entry.nEnd = 20;
  entry.dCurrent = 10.5;
  entry.dStep = 0.25;
  entry.nExtra1 = 4;
  entry.nExtra2 = 5;
  EFFECTRUN run;
  run.nEffect = 7;
  run.nMode = 1;
  run.bRepeat = 1;
  run.bReverse = 1;
  run.nFrame = 99;
  EffectRunCopyEntry(run, entry);
  EXPECT_EQ(run.lpRecord, entry.lpRecord);
  EXPECT_EQ(run.nStart, 10);
  EXPECT_EQ(run.nEnd, 20);
  EXPECT_EQ(run.dCurrent, 10.5);
  EXPECT_EQ(run.dStep, 0.25);
  EXPECT_EQ(run.nExtra1, 4);
  EXPECT_EQ(run.nExtra2, 5);
  EXPECT_EQ(run.nEffect, 7);
  EXPECT_EQ(run.nMode, 1u);
  EXPECT_EQ(run.bRepeat, 1u);
  EXPECT_EQ(run.bReverse, 1u);
  EXPECT_EQ(run.nFrame, 99u);
}

TEST_F(Database, EveryReaderSurvivesTheCorruptionHarness) {
  CORRUPTIONPLAN plan;
  plan.nMutations = 600;
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    std::string good = DatabaseFileBytes(m_Fixture, i);
    ASSERT_FALSE(good.empty());
    RunCorruptionHarness(good, DatabaseFilePath(i), [i] {
      LoadOneDatabaseFile(i);
      g_Database.ResetFirstEffects();
      BuildDatabaseRunTables();
    }, plan);
  }
}

TEST_F(Database, CountsTheFileCannotHoldAllocateNothing) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    SCOPED_TRACE(DatabaseFilePath(i));
    // The head of the file holds the list count and the first entry's own
    // counts: every offset there gets its hostile counts.
    const std::string head = DatabaseFileBytes(m_Fixture, i).substr(0, 64);
    HOSTILESIZEPLAN plan;
    plan.nMaxOffsets = head.size();
    plan.nTailElementBytes = 8;  // an entry's two count words
    HOSTILESIZERESULT r = RunHostileSizeHarness(head, DatabaseFilePath(i), [i] { LoadOneDatabaseFile(i); }, plan);
    EXPECT_GT(r.nVariants, 100);
    // Sized to their counts, the lists of default entries took megabytes here.
    EXPECT_LT(r.nWorstPeakBytes, 256u << 10) << r.strWorst;
  }
}

// Entries that are really in the file, as small as a file holds them, fewer
// than the list keeps: each costs its record and its bytes in the file, and
// the list holds no room to grow. Grown as read, the list took up to three
// records an entry while it moved, 14 to 28 times the file's bytes.
TEST_F(Database, FloodsOfSmallEntriesCostTheirRecordsAndNoRoomToGrow) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    SCOPED_TRACE(DatabaseFilePath(i));
    const size_t nEntries = std::min<size_t>(200000, DATABASE_MAX_ENTRIES[i] - 1);
    ELEMENTFLOOD flood = MinimalEntryFlood(i, nEntries);
    g_Database = cEdDatabase();
    ELEMENTFLOODRESULT r =
        RunElementFloodHarness(flood, DatabaseFilePath(i), [i] { ASSERT_EQ(LoadOneDatabaseFile(i), 1); });
    ASSERT_EQ(r.nElements, nEntries);
    EXPECT_EQ(DatabaseListSize(g_Database, i), nEntries);
    EXPECT_LT(r.nPeakBytes, r.nFileBytes + nEntries * kRecordBytes[i] + kLoadOverheadBytes);
    // An entry of 8 or 12 bytes reads into a record of 72 to 144.
    EXPECT_LT(r.nPeakBytes, 14 * r.nFileBytes);
  }
}

// The lists inside one entry, flooded the same way: each element costs its
// record and its bytes. Grown as read, the parts of one sword type took 21
// times their bytes while the list moved.
TEST_F(Database, FloodsInsideOneEntryCostTheirRecordsToo) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  auto u32 = [](uint32_t v) { return std::string(reinterpret_cast<const char*>(&v), 4); };
  // Version 667, one entry, and that entry's base part (no fields, no
  // strings); for frames of a set's animation, one animation of the same.
  const std::string one = u32(667) + u32(1) + std::string(8, '\0');
  const struct {
    const char* pszWhat;
    int nFile;
    std::string strHead;
    size_t nElementBytes, nRecordBytes;
    size_t (*pfnRead)();  // how many the list holds after the load
  } cases[] = {
      {"animations of a set", 0, one, 12, sizeof(cEdAnime),
       [] { return g_Database.m_vecAnimeSet.at(0).m_vecAnime.size(); }},
      {"frames of a set's animation", 0, one + u32(1) + std::string(8, '\0'), 8, sizeof(cEdAnimeFrame),
       [] { return g_Database.m_vecAnimeSet.at(0).m_vecAnime.at(0).m_vecFrame.size(); }},
      {"frames of an animation", 1, one, 8, sizeof(cEdAnimeFrame),
       [] { return g_Database.m_vecAnime.at(0).m_vecFrame.size(); }},
      {"parts of a sword type", 3, one, 8, sizeof(cEdSwordPart),
       [] { return g_Database.m_vecSwordType.at(0).m_vecPart.size(); }},
      {"frames of an effect", 4, one, 8, sizeof(cEdEffectFrame),
       [] { return g_Database.m_vecEffect.at(0).m_vecFrame.size(); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pszWhat);
    ELEMENTFLOOD flood;
    flood.strHead = c.strHead;
    flood.strElement = std::string(c.nElementBytes, '\0');
    g_Database = cEdDatabase();
    const int i = c.nFile;
    ELEMENTFLOODRESULT r =
        RunElementFloodHarness(flood, DatabaseFilePath(i), [i] { ASSERT_EQ(LoadOneDatabaseFile(i), 1); });
    ASSERT_GT(r.nElements, 100000u);
    EXPECT_EQ(c.pfnRead(), r.nElements);
    EXPECT_LT(r.nPeakBytes, r.nFileBytes + r.nElements * c.nRecordBytes + kLoadOverheadBytes);
  }
}

// Everything that names a database entry holds its number at a fixed width;
// a list keeps no entry past what the widest of them can name.
TEST_F(Database, ListBoundsFollowTheWidthOfTheReferences) {
  auto named = [](size_t nBytes) { return size_t{1} << (8 * nBytes); };
  EXPECT_EQ(DATABASE_MAX_ENTRIES[0], named(sizeof(cEdChara::m_nAnimeSet)));
  EXPECT_EQ(DATABASE_MAX_ENTRIES[2], named(sizeof(cEdChara::m_nImageIndex)));
  EXPECT_EQ(DATABASE_MAX_ENTRIES[3], named(sizeof(cEdShot::m_bySwordType)));
  EXPECT_EQ(DATABASE_MAX_ENTRIES[4], named(std::max(sizeof(cEdChara::m_nHitEffect), sizeof(cEdShot::m_wHitEffect))));
  EXPECT_EQ(DATABASE_MAX_ENTRIES[5], named(sizeof(cEdChara::m_nAppearEffect)));
  // The screen-effect and picture commands take their numbers at 16 bits.
  EXPECT_EQ(DATABASE_MAX_ENTRIES[6], named(2));
  EXPECT_EQ(DATABASE_MAX_ENTRIES[7], named(2));
  EXPECT_EQ(DATABASE_MAX_ENTRIES[8], named(std::max(sizeof(cEdItem::m_nSound), sizeof(cEdCommand::m_nSound))));
  // The animation command and a stage's music name theirs in 32 bits.
  EXPECT_EQ(DATABASE_MAX_ENTRIES[1], SIZE_MAX);
  EXPECT_EQ(DATABASE_MAX_ENTRIES[9], SIZE_MAX);
}

TEST_F(Database, EntriesPastWhatAReferenceCanNameAreLeftOutWithAReportLine) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  for (int i = 0; i < DATABASE_FILE_COUNT; ++i) {
    const size_t nKeep = DATABASE_MAX_ENTRIES[i];
    if (nKeep == SIZE_MAX) continue;
    SCOPED_TRACE(DatabaseFilePath(i));
    ELEMENTFLOOD flood = MinimalEntryFlood(i, nKeep + nKeep / 2);
    g_Database = cEdDatabase();
    m_Tmp.WriteFile("Report_Game.txt", "");
    ELEMENTFLOODRESULT r =
        RunElementFloodHarness(flood, DatabaseFilePath(i), [i] { ASSERT_EQ(LoadOneDatabaseFile(i), 1); });
    EXPECT_EQ(DatabaseListSize(g_Database, i), nKeep);
    EXPECT_EQ(ReportText(), "the database keeps at most " + std::to_string(nKeep) + " " + kEntries[i] + ": " +
                                std::to_string(nKeep / 2) + " more are left out\n");
    EXPECT_LT(r.nPeakBytes, r.nFileBytes + nKeep * kRecordBytes[i] + kLoadOverheadBytes);
  }
}

// The entries kept are the file's first; those left out are read all the
// same, so one damaged among them fails the file, and a whole file loads
// with the others.
TEST_F(Database, EntriesLeftOutAreStillRead) {
  const size_t nKeep = DATABASE_MAX_ENTRIES[3];
  m_Fixture.m_vecSwordType.resize(nKeep + 44);
  for (size_t k = 0; k < m_Fixture.m_vecSwordType.size(); ++k) m_Fixture.m_vecSwordType[k].strName = std::to_string(k);
  ASSERT_TRUE(WriteDatabaseFiles(m_Fixture));
  ASSERT_EQ(LoadDatabases(), 1);
  ASSERT_EQ(g_Database.m_vecSwordType.size(), nKeep);
  for (size_t k = 0; k < nKeep; ++k) EXPECT_EQ(g_Database.m_vecSwordType[k].strName, std::to_string(k));
  EXPECT_EQ(g_Database.m_vecSwordType[1].m_vecPart.size(), m_Fixture.m_vecSwordType[1].m_vecPart.size());
  EXPECT_EQ(DatabaseFileBytes(g_Database, 9), DatabaseFileBytes(m_Fixture, 9));
  EXPECT_NE(ReportText().find("the database keeps at most 256 sword types: 44 more are left out"), std::string::npos);

  const std::string native = NativePath(DatabaseFilePath(3));
  std::string bytes = m_Tmp.ReadFile(native);
  m_Tmp.WriteFile(native, bytes.substr(0, bytes.size() - 1));
  cEdDatabase defaults;
  EXPECT_EQ(LoadOneDatabaseFile(3), 0);
  EXPECT_EQ(DatabaseFileBytes(g_Database, 3), DatabaseFileBytes(defaults, 3));
}
