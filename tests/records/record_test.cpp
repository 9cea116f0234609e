#include "records/record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <thread>
#include <vector>

#include "platform/messages.h"
#include "base/report.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/corruption.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

// A record whose layout changed twice: m_nAdded153 and the string m_strB came
// at 153, m_dAdded204 at 204; m_nOld was dropped at 204.
class cToyRecord : public cEdRecord {
 public:
  int32_t m_nA = 5;
  int32_t m_anArray[3] = {1, 2, 3};
  int32_t m_nOld = 9;
  int16_t m_nShort = 7;
  uint8_t m_byFlag = 1;
  int32_t m_nAdded153 = 42;
  double m_dAdded204 = 1.5;
  std::string m_strA = "abc";
  std::string m_strB = "b";
  std::vector<int> m_vecRuntime = {1};  // not registered

  cToyRecord() { RegisterFields(667); }
  void RegisterFields(int v) override {
    ClearTables();
    AddField32(&m_nA, 1);
    AddField32(m_anArray, 3);
    if (v < 204) AddField32(&m_nOld, 1);
    AddField16(&m_nShort, 1);
    AddField8(&m_byFlag, 1);
    if (v >= 153) AddField32(&m_nAdded153, 1);
    if (v >= 204) AddField64(&m_dAdded204, 1);
    AddStrField(&m_strA, 1);
    if (v >= 153) AddStrField(&m_strB, 1);
  }
};

class cEmptyRecord : public cEdRecord {
 public:
  cEmptyRecord() { RegisterFields(667); }
  void RegisterFields(int) override { ClearTables(); }
};

class RecordFiles : public cRecordFileTest {
 protected:
  void TearDown() override { g_bStripCR = 0; }
  std::string ReportText() { return m_Tmp.ReadFile("Report_Game.txt"); }
  int ReportLines() {
    std::string r = ReportText();
    return static_cast<int>(std::count(r.begin(), r.end(), '\n'));
  }
};

}  // namespace

TEST_F(RecordFiles, GoldenBytesOfTheBasePart) {
  cEmptyRecord e;
  ASSERT_TRUE(e.SaveToFile("e.dat"));
  EXPECT_EQ(m_Tmp.ReadFile("e.dat"), Bytes({0x9B, 0x02, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

  cToyRecord r;
  r.m_strA = "abc";
  r.m_strB = "";
  ASSERT_TRUE(r.SaveToFile("r.dat"));
  std::string expect = Bytes({0x9B, 0x02, 0, 0});                      // version 667
  expect += Bytes({6, 0, 0, 0});                                       // six fields
  expect += Bytes({5, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0, 3, 0, 0, 0});  // m_nA, array
  expect += Bytes({7, 0, 1, 42, 0, 0, 0});                             // short, flag, 153
  expect += Bytes({0, 0, 0, 0, 0, 0, 0xF8, 0x3F});                     // 1.5
  expect += Bytes({2, 0, 0, 0, 4, 0, 0, 0, 'a', 'b', 'c', 0, 1, 0, 0, 0});
  EXPECT_EQ(m_Tmp.ReadFile("r.dat"), expect);
}

TEST_F(RecordFiles, StringsLoseCarriageReturnsAndEndAtTheirFirstNul) {
  std::string file = Bytes({0x9B, 0x02, 0, 0, 0, 0, 0, 0, 2, 0, 0, 0});
  file += Bytes({5, 0, 0, 0, 'a', '\r', '\n', 'b', 0});
  file += Bytes({6, 0, 0, 0, 'a', 'b', 0, 'c', 'd', 0});
  m_Tmp.WriteFile("s.dat", file);
  cToyRecord r;
  r.m_nA = 77;
  ASSERT_TRUE(r.LoadFromFile("s.dat"));
  EXPECT_EQ(r.m_strA, "a\nb");
  EXPECT_EQ(r.m_strB, "ab");
  EXPECT_EQ(r.m_nA, 77);  // a field count of 0 reads no field
}

TEST_F(RecordFiles, OlderFileReadsInItsOwnLayoutAndSavesCurrent) {
  g_nCurDataVersion = 150;
  cToyRecord old;
  old.m_nA = 11;
  old.m_nOld = 99;
  ASSERT_TRUE(old.SaveToFile("old.dat"));
  g_nCurDataVersion = 667;

  cToyRecord r;
  ASSERT_TRUE(r.LoadFromFile("old.dat"));
  EXPECT_EQ(g_nFileDataVersion, 150);
  EXPECT_EQ(r.m_nA, 11);
  EXPECT_EQ(r.m_nOld, 99);
  EXPECT_EQ(r.m_nAdded153, 42);  // kept its default
  EXPECT_EQ(r.FieldCount(), 6);  // the current layout again
  ASSERT_TRUE(r.SaveToFile("new.dat"));
  cToyRecord back;
  ASSERT_TRUE(back.LoadFromFile("new.dat"));
  EXPECT_EQ(g_nFileDataVersion, 667);
  EXPECT_EQ(back.m_nA, 11);
  cToyRecord fresh;
  ASSERT_TRUE(fresh.SaveToFile("fresh.dat"));
  EXPECT_EQ(m_Tmp.ReadFile("new.dat").size(), m_Tmp.ReadFile("fresh.dat").size());
}

TEST_F(RecordFiles, NewerFileReadsWithTheNewestLayout) {
  cToyRecord w;
  w.m_nA = 3;
  ASSERT_TRUE(w.SaveToFile("n.dat"));
  std::string bytes = m_Tmp.ReadFile("n.dat");
  bytes[0] = static_cast<char>(0xE8);  // version 1000
  bytes[1] = 0x03;
  m_Tmp.WriteFile("n.dat", bytes);
  cToyRecord r;
  r.m_nA = 0;
  ASSERT_TRUE(r.LoadFromFile("n.dat"));
  EXPECT_EQ(r.m_nA, 3);
  EXPECT_EQ(ReportText(), "");
}

TEST_F(RecordFiles, DamagedFilesFailWithOneReportLine) {
  cToyRecord good;
  ASSERT_TRUE(good.SaveToFile("good.dat"));
  std::string g = m_Tmp.ReadFile("good.dat");
  const size_t strOffset = g.size() - 18;  // the string count word: "abc" and "b" follow
  struct Case {
    const char* name;
    std::string bytes;
  } cases[] = {
      {"empty", ""},
      {"three bytes", g.substr(0, 3)},
      {"cut inside a string", g.substr(0, g.size() - 6)},
      {"field count beyond the table", g.substr(0, 4) + Bytes({7, 0, 0, 0}) + g.substr(8)},
      {"huge field count", g.substr(0, 4) + Bytes({0xFF, 0xFF, 0xFF, 0x7F}) + g.substr(8)},
      {"string count beyond the table", g.substr(0, strOffset) + Bytes({3, 0, 0, 0}) + g.substr(strOffset + 4)},
      // Counts are unsigned words: one with the top bit set is no count of 0.
      {"field count 0xFFFFFFFF", g.substr(0, 4) + Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + g.substr(8)},
      {"string count 0x80000000", g.substr(0, strOffset) + Bytes({0, 0, 0, 0x80}) + g.substr(strOffset + 4)},
      {"string length 0xFFFFFFFF", g.substr(0, strOffset + 4) + Bytes({0xFF, 0xFF, 0xFF, 0xFF}) + g.substr(strOffset + 8)},
  };
  for (const Case& c : cases) {
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    m_Tmp.WriteFile("bad.dat", c.bytes);
    cToyRecord r;
    EXPECT_EQ(r.LoadFromFile("bad.dat"), 0) << c.name;
    EXPECT_EQ(ReportLines(), 1) << c.name << ": " << ReportText();
  }
  // A string length of 0 is read as the empty string, not as damage.
  ASSERT_TRUE(OpenReport("Report_Game.txt"));
  m_Tmp.WriteFile("zero.dat", g.substr(0, strOffset + 4) + Bytes({0, 0, 0, 0}) + g.substr(strOffset + 12));
  cToyRecord z;
  EXPECT_EQ(z.LoadFromFile("zero.dat"), 1);
  EXPECT_EQ(z.m_strA, "");
  EXPECT_EQ(ReportText(), "");
  // A missing file is a plain 0 with no line: the caller has its own message.
  cToyRecord m;
  EXPECT_EQ(m.LoadFromFile("missing.dat"), 0);
  EXPECT_EQ(ReportText(), "");
}

TEST_F(RecordFiles, FailedSaveLeavesTheEarlierFileUntouched) {
  cToyRecord r;
  ASSERT_TRUE(r.SaveToFile("keep.dat"));
  std::string before = m_Tmp.ReadFile("keep.dat");
  r.m_nA = 1234;
  SetDataFileWriteLimitForTests(10);
  EXPECT_EQ(r.SaveToFile("keep.dat"), 0);
  SetDataFileWriteLimitForTests(-1);
  EXPECT_EQ(m_Tmp.ReadFile("keep.dat"), before);
  // No temporary file is left behind.
  int files = 0;
  for (auto& e : std::filesystem::directory_iterator(m_Tmp.Path())) files += e.path().filename() != "Report_Game.txt";
  EXPECT_EQ(files, 1);
  EXPECT_EQ(r.SaveToFile("no_such_folder\\x.dat"), 0);
}

TEST_F(RecordFiles, CopiesNameTheirOwnMembers) {
  std::vector<cToyRecord> v(3);
  v[1].m_nA = 21;
  v.insert(v.begin(), cToyRecord());  // moves every element
  cToyRecord copy = v[2];
  copy.m_nA = 8;
  copy.m_strA = "own";
  ASSERT_TRUE(copy.SaveToFile("c.dat"));
  cToyRecord back;
  ASSERT_TRUE(back.LoadFromFile("c.dat"));
  EXPECT_EQ(back.m_nA, 8);
  EXPECT_EQ(back.m_strA, "own");
  EXPECT_EQ(v[2].m_nA, 21);

  cToyRecord dst;
  dst.m_vecRuntime = {5, 6};
  cToyRecord src;
  src.m_anArray[2] = 33;
  src.m_strB = "x";
  dst.CopyFieldValues(src);
  EXPECT_EQ(dst.m_anArray[2], 33);
  EXPECT_EQ(dst.m_strB, "x");
  EXPECT_EQ(dst.m_vecRuntime, (std::vector<int>{5, 6}));

  dst.ClearFields();
  EXPECT_EQ(dst.m_nA, 0);
  EXPECT_EQ(dst.m_anArray[2], 0);
  EXPECT_EQ(dst.m_strA, "");
  EXPECT_EQ(dst.m_vecRuntime.size(), 2u);
  dst.RegisterFields(667);
  dst.RegisterFields(667);
  EXPECT_EQ(dst.FieldCount(), 6);
}

TEST_F(RecordFiles, EveryVersionGetsItsOwnLayoutWhateverWasRegisteredBefore) {
  // Two classes at every version in turn, so that layouts looked up before
  // cannot stand in for one another; below 0 and past the current version
  // as the ends of the range.
  for (int v = -3; v <= 700; ++v) {
    SCOPED_TRACE(v);
    g_nCurDataVersion = v;
    cEmptyRecord e;
    e.ClearFields();
    EXPECT_EQ(e.FieldCount(), 0);
    cToyRecord r;
    r.m_nOld = 9;
    r.m_dAdded204 = 1.5;
    r.ClearFields();
    EXPECT_EQ(r.FieldCount(), 4 + (v < 204) + (v >= 153) + (v >= 204));
    EXPECT_EQ(r.StrFieldCount(), 1 + (v >= 153));
    EXPECT_EQ(r.m_nOld, v < 204 ? 0 : 9);
    EXPECT_EQ(r.m_dAdded204, v >= 204 ? 0.0 : 1.5);
  }
  g_nCurDataVersion = 667;
  // One pair of tables serves every record of a class at a version, copies
  // included.
  cToyRecord a, b;
  cToyRecord c = a;
  EXPECT_EQ(&a.FieldAt(0), &b.FieldAt(0));
  EXPECT_EQ(&a.StrFieldAt(1), &c.StrFieldAt(1));
}

namespace {
// A layout no other test registers, so that the threads below make it.
class cThreadToy : public cEdRecord {
 public:
  int32_t m_an[24] = {};
  std::string m_str;
  cThreadToy() { RegisterFields(667); }
  void RegisterFields(int) override {
    ClearTables();
    for (int32_t& n : m_an) AddField32(&n, 1);
    AddStrField(&m_str, 1);
  }
};
}  // namespace

TEST(RecordTables, RecordsMadeOnSeveralThreadsAtOnceShareOneLayout) {
  constexpr int kThreads = 4;
  const RECFIELD* apFirst[kThreads] = {};
  int anFields[kThreads] = {};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t, &apFirst, &anFields] {
      std::vector<cThreadToy> v(200);
      v.back().ClearFields();
      apFirst[t] = &v.back().FieldAt(0);
      anFields[t] = v.back().FieldCount();
    });
  for (std::thread& th : threads) th.join();
  for (int t = 0; t < kThreads; ++t) {
    EXPECT_EQ(anFields[t], 24);
    EXPECT_EQ(apFirst[t], apFirst[0]);
  }
}

TEST_F(RecordFiles, CopyFromARecordWithFewerFieldsIsReportedAndReadsNothingBeyondIt) {
  cEmptyRecord empty;
  cToyRecord dst;
  dst.CopyFieldValues(empty);
  EXPECT_EQ(dst.m_nA, 5);
  EXPECT_EQ(dst.m_strA, "abc");
  EXPECT_GE(ReportLines(), 1);
  EXPECT_NE(ReportText().find("err V[0] ( 0 , 16 )"), std::string::npos);
}

TEST_F(RecordFiles, LongStringsAreCutOnACharacterBoundary) {
  cToyRecord r;
  r.m_strA = std::string(5118, 'x') + "\x95\x5C" + "tail";  // a pair across the limit
  ASSERT_TRUE(r.SaveToFile("long.dat"));
  cToyRecord back;
  ASSERT_TRUE(back.LoadFromFile("long.dat"));
  EXPECT_EQ(back.m_strA, std::string(5118, 'x'));
}

TEST_F(RecordFiles, SurvivesTheCorruptionHarness) {
  cToyRecord good;
  ASSERT_TRUE(good.SaveToFile("h.dat"));
  int n = RunCorruptionHarness(m_Tmp.ReadFile("h.dat"), "h.dat", [] {
    cToyRecord r;
    r.LoadFromFile("h.dat");
  });
  EXPECT_GT(n, 2000);
}
