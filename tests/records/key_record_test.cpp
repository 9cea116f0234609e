#include "records/key_record.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/messages.h"
#include "base/report.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/corruption.h"
#include "tests/support/temp_folder.h"

namespace {

class KeyRecordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_nCurDataVersion = 667;
    ResetMessageLayerForTests();
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
  }
  cTempFolder m_Tmp;
};

struct FRAME {
  uint16_t dir, button;
};

std::vector<FRAME> PlayAll(cKeyRecord& rec, size_t nLimit = 1000) {
  std::vector<FRAME> out;
  uint16_t d = 0xFFFF, b = 0xFFFF;
  while (out.size() < nLimit && KeyRecordPlayFrame(rec, d, b) == 0) out.push_back({d, b});
  return out;
}

}  // namespace

TEST_F(KeyRecordTest, FileLayout) {
  cKeyRecord rec;
  ASSERT_TRUE(rec.SaveToFile("new.rec"));
  // Version, one field (the seed 0), no strings, four empty lists.
  EXPECT_EQ(m_Tmp.ReadFile("new.rec"), Words({667, 1, 0, 0, 0, 0, 0, 0}));

  rec.m_nRandomSeed = 0xABCD;
  KeyRecordRecordFrame(rec, 1, 0);
  KeyRecordRecordFrame(rec, 1, 2);
  rec.m_nPlayPos[0] = 9;  // never written
  ASSERT_TRUE(rec.SaveToFile("one.rec"));
  std::string expect = Words({667, 1, 0xABCD, 0, 1}) + std::string("\x01\x00", 2) + Words({2}) +
                       std::string("\x00\x00\x02\x00", 4) + Words({1, 2, 2, 1, 1});
  EXPECT_EQ(m_Tmp.ReadFile("one.rec"), expect);

  cKeyRecord back;
  ASSERT_TRUE(back.LoadFromFile("one.rec"));
  EXPECT_EQ(back.m_nRandomSeed, 0xABCDu);
  EXPECT_EQ(back.m_vecKeys2, (cVector<uint16_t>{0, 2}));
  EXPECT_EQ(back.m_vecRun1, (cVector<uint32_t>{2}));
}

TEST_F(KeyRecordTest, RecordedInputPlaysBackFrameByFrame) {
  const std::vector<FRAME> input = {{0, 0}, {1, 0}, {1, 1}, {1, 1}, {4, 1}, {4, 0}, {4, 0}, {0, 8}};
  cKeyRecord rec;
  for (const FRAME& f : input) KeyRecordRecordFrame(rec, f.dir, f.button);
  EXPECT_EQ(rec.m_vecKeys1, (cVector<uint16_t>{0, 1, 4, 0}));
  EXPECT_EQ(rec.m_vecRun1, (cVector<uint32_t>{1, 3, 3, 1}));
  EXPECT_EQ(rec.m_vecKeys2, (cVector<uint16_t>{0, 1, 0, 8}));
  EXPECT_EQ(rec.m_vecRun2, (cVector<uint32_t>{2, 3, 2, 1}));
  std::vector<FRAME> out = PlayAll(rec);
  ASSERT_EQ(out.size(), input.size());
  for (size_t i = 0; i < input.size(); ++i) {
    EXPECT_EQ(out[i].dir, input[i].dir) << i;
    EXPECT_EQ(out[i].button, input[i].button) << i;
  }
  uint16_t d = 7, b = 7;
  EXPECT_EQ(KeyRecordPlayFrame(rec, d, b), 1);
  EXPECT_EQ(d, 7);  // left alone at the end
}

TEST_F(KeyRecordTest, HeldInputIsOneRunAndStreamsEndApart) {
  cKeyRecord rec;
  for (int i = 0; i < 500; ++i) KeyRecordRecordFrame(rec, 2, 0);
  EXPECT_EQ(rec.m_vecKeys1.size(), 1u);
  EXPECT_EQ(rec.m_vecRun1, (cVector<uint32_t>{500}));

  // The button stream runs out first: playback ends there.
  cKeyRecord r2;
  r2.m_vecKeys1 = {1};
  r2.m_vecRun1 = {10};
  r2.m_vecKeys2 = {3};
  r2.m_vecRun2 = {4};
  EXPECT_EQ(PlayAll(r2).size(), 4u);
}

TEST_F(KeyRecordTest, DamagedStreamsStillEnd) {
  // Run lists shorter than their key lists, and a run of 0 frames.
  cKeyRecord rec;
  rec.m_vecKeys1 = {1, 2, 3};
  rec.m_vecRun1 = {2, 0};
  rec.m_vecKeys2 = {5, 6};
  rec.m_vecRun2 = {1, 9};
  std::vector<FRAME> out = PlayAll(rec);
  ASSERT_EQ(out.size(), 3u);
  EXPECT_EQ(out[2].dir, 2);
  // Recording onto such a record starts a new run where the lists part.
  KeyRecordRecordFrame(rec, 3, 6);
  EXPECT_EQ(rec.m_vecKeys1.size(), rec.m_vecRun1.size());
}

TEST_F(KeyRecordTest, AssignAndClear) {
  cKeyRecord src;
  src.m_nRandomSeed = 77;
  KeyRecordRecordFrame(src, 1, 2);
  src.m_nPlayPos[1] = 5;
  cKeyRecord dst;
  dst.m_nPlayPos[0] = 3;
  KeyRecordAssign(dst, src);
  EXPECT_EQ(dst.m_nRandomSeed, 77u);
  EXPECT_EQ(dst.m_vecKeys1, src.m_vecKeys1);
  EXPECT_EQ(dst.m_vecRun2, src.m_vecRun2);
  EXPECT_EQ(dst.m_nPlayPos[0], 3u);
  EXPECT_EQ(dst.m_nPlayPos[1], 0u);

  dst.Clear();
  EXPECT_EQ(dst.m_nRandomSeed, 0u);
  EXPECT_TRUE(dst.m_vecKeys1.empty() && dst.m_vecKeys2.empty() && dst.m_vecRun1.empty() && dst.m_vecRun2.empty());
  EXPECT_EQ(dst.m_nPlayPos[0], 0u);
}

TEST_F(KeyRecordTest, ReaderSurvivesDamagedFiles) {
  cKeyRecord rec;
  for (int i = 0; i < 40; ++i) KeyRecordRecordFrame(rec, static_cast<uint16_t>(i / 3), static_cast<uint16_t>(i / 5));
  ASSERT_TRUE(rec.SaveToFile("k.rec"));
  RunCorruptionHarness(m_Tmp.ReadFile("k.rec"), "k.rec", [] {
    cKeyRecord r;
    r.LoadFromFile("k.rec");
    PlayAll(r);
  });
}
