#include "records/story_slot.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/text_cp932.h"
#include "records/system.h"
#include "records/world_map.h"
#include "tests/support/record_test_fixture.h"
#include "tests/support/scoped_override.h"

namespace {

class StorySlot : public cRecordFileTest {
 protected:
  void SetUp() override {
    cRecordFileTest::SetUp();
    ::setenv("TARVOLIN4_HEADLESS", "1", 1);
    g_WorldMap.m_nWidth = 20;
    g_WorldMap.m_nHeight = 10;
    g_System.m_vecInfiniteLives.assign(4, 0);
    ProgressReset(g_Progress);
    for (SLOTENTRY& e : g_SlotList) e = SLOTENTRY{};
  }
  // A progress with a value in each member that a data version gates.
  static void FillProgress(cEdProgress& p) {
    ProgressReset(p);
    p.m_nMapX = 5;
    p.m_nMapY = 3;
    p.m_nLives = 4;
    p.m_nStageBgmOption = 3;
    p.m_bAutoSave = 1;
    p.m_nRankValue3 = 8;
    p.m_bLeftStage = 1;
    p.m_nPrevMapX = 6;
    p.m_nFacing = 2;
    p.m_vCarry[4] = 0;
    p.m_vFlag[7] = 1;
    p.m_vVar[9] = -12;
    p.m_stSaved = SAVEDTIME{2026, 11, 0, 29, 8, 30, 0, 0};
  }

  cScopedOverride<cEdWorldMap> m_Map{g_WorldMap};
  cScopedOverride<cEdSystem> m_System{g_System};
  cScopedOverride<cEdProgress> m_Progress{g_Progress};
};

}  // namespace

TEST_F(StorySlot, FileNamesCountFromOneInTwoDigits) {
  EXPECT_EQ(MakeStorySlotPath(0), "user_data\\story\\Story01.dat");
  EXPECT_EQ(MakeStorySlotPath(98), "user_data\\story\\Story99.dat");
  EXPECT_EQ(g_SlotList.size(), 99u);
}

// A slot written by each data version a member is gated on reads back with
// that version's values, the list shows it, and the version's gaps take the
// conversion values.
TEST_F(StorySlot, SlotsOfEveryGatedVersionListAndLoad) {
  struct CASE {
    int nVersion;
    int32_t nBgmOption, bAutoSave, nRank3, bLeft, nPrevX, nFacing;
    uint32_t nCarry4;
  } cases[] = {
      {165, 1, 0, 0, 0, 0, 0, 1}, {166, 3, 0, 0, 0, 0, 0, 1}, {169, 3, 1, 0, 0, 0, 0, 1},
      {182, 3, 1, 8, 0, 0, 0, 1}, {190, 3, 1, 8, 1, 0, 0, 1}, {191, 3, 1, 8, 1, 6, 0, 1},
      {194, 3, 1, 8, 1, 6, 2, 1}, {500, 3, 1, 8, 1, 6, 2, 1}, {501, 3, 1, 8, 1, 6, 2, 0},
      {667, 3, 1, 8, 1, 6, 2, 0},
  };
  int nSlot = 0;
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.nVersion);
    cEdProgress p;
    FillProgress(p);
    m_Tmp.WriteFile("user_data/story/.keep", "");
    SaveAt(p, c.nVersion, MakeStorySlotPath(nSlot).c_str());

    LoadSaveSlotList(g_SlotList);
    EXPECT_EQ(g_SlotList[static_cast<size_t>(nSlot)].bUsed, 1);
    EXPECT_EQ(g_SlotList[static_cast<size_t>(nSlot)].stSaved.wDay, 29);
    EXPECT_EQ(g_SlotList[static_cast<size_t>(nSlot) + 1].bUsed, 0);

    ProgressReset(g_Progress);
    ASSERT_TRUE(LoadStorySlot(nSlot));
    const cEdProgress& g = g_Progress;
    EXPECT_EQ(g.m_nMapX, 5);
    EXPECT_EQ(g.m_nLives, 4);
    EXPECT_EQ(g.m_vFlag[7], 1u);
    EXPECT_EQ(g.m_vVar[9], -12);
    EXPECT_EQ(g.m_nStageBgmOption, c.nBgmOption);
    EXPECT_EQ(g.m_bAutoSave, c.bAutoSave);
    EXPECT_EQ(g.m_nRankValue3, c.nRank3);
    EXPECT_EQ(g.m_bLeftStage, c.bLeft);
    EXPECT_EQ(g.m_nPrevMapX, c.nPrevX);
    EXPECT_EQ(g.m_nFacing, c.nFacing);
    EXPECT_EQ(g.m_vCarry[4], c.nCarry4);
    ++nSlot;
  }
}

// A damaged slot lists as empty and cannot be loaded; the live progress is
// not half overwritten, and the slots beside it still load.
TEST_F(StorySlot, ADamagedSlotListsEmptyAndLeavesTheProgress) {
  cEdProgress p;
  FillProgress(p);
  m_Tmp.WriteFile("user_data/story/.keep", "");
  ASSERT_TRUE(p.SaveToFile(MakeStorySlotPath(0)));
  ASSERT_TRUE(p.SaveToFile(MakeStorySlotPath(2)));
  const std::string bytes = m_Tmp.ReadFile("user_data/story/Story01.dat");
  m_Tmp.WriteFile("user_data/story/Story02.dat", bytes.substr(0, bytes.size() - 100));

  LoadSaveSlotList(g_SlotList);
  EXPECT_EQ(g_SlotList[0].bUsed, 1);
  EXPECT_EQ(g_SlotList[1].bUsed, 0);
  EXPECT_EQ(g_SlotList[2].bUsed, 1);

  ProgressReset(g_Progress);
  g_Progress.m_nLives = 77;
  EXPECT_FALSE(LoadStorySlot(1));
  EXPECT_EQ(g_Progress.m_nLives, 77);
  EXPECT_EQ(g_Progress.m_nMapX, 0);
  EXPECT_TRUE(LoadStorySlot(2));
  EXPECT_EQ(g_Progress.m_nMapX, 5);
  EXPECT_FALSE(LoadStorySlot(99));
}

TEST_F(StorySlot, LoadingFitsTheLivesToTheStoryPlayKind) {
  struct CASE {
    uint32_t bInfinite, nStartLives;
    int32_t nSavedLives, nLives, nLivesStart;
  } cases[] = {
      {1, 3, 2, kUnlimitedLives, kUnlimitedLives},
      {0, 3, kUnlimitedLives, 3, 9},
      {0, 3, 2, 2, 9},
  };
  m_Tmp.WriteFile("user_data/story/.keep", "");
  for (const CASE& c : cases) {
    g_System.m_vecInfiniteLives.assign(4, c.bInfinite);
    g_System.m_vecStartLives.assign(4, c.nStartLives);
    cEdProgress p;
    FillProgress(p);
    p.m_nLives = c.nSavedLives;
    p.m_nLivesStart = 9;
    ASSERT_TRUE(p.SaveToFile(MakeStorySlotPath(4)));
    ASSERT_TRUE(LoadStorySlot(4));
    EXPECT_EQ(g_Progress.m_nLives, c.nLives);
    EXPECT_EQ(g_Progress.m_nLivesStart, c.nLivesStart);
  }
}

TEST_F(StorySlot, SavingStampsTheTimeAndMarksTheSlot) {
  m_Tmp.WriteFile("user_data/story/.keep", "");
  FillProgress(g_Progress);
  g_Progress.m_stSaved = SAVEDTIME{};
  ASSERT_TRUE(SaveStorySlot(98));
  EXPECT_GE(g_Progress.m_stSaved.wYear, 2024);
  EXPECT_EQ(g_SlotList[98].bUsed, 1);
  EXPECT_EQ(g_SlotList[98].stSaved.wMinute, g_Progress.m_stSaved.wMinute);
  EXPECT_TRUE(m_Tmp.Exists("user_data/story/Story99.dat"));
  EXPECT_FALSE(SaveStorySlot(99));
  EXPECT_FALSE(SaveStorySlot(-1));
}

// A save into a folder that cannot be written: a box, 0, and the old slot
// file byte for byte. Run in a child that drops root, since root writes
// anywhere.
TEST_F(StorySlot, ASaveIntoAReadOnlyFolderFailsAndKeepsTheOldFile) {
  m_Tmp.WriteFile("user_data/story/Story01.dat", "old slot bytes");
  ::chmod(m_Tmp.Path().c_str(), 0755);
  ::chmod((m_Tmp.Path() + "/user_data").c_str(), 0755);
  ::chmod((m_Tmp.Path() + "/user_data/story").c_str(), 0555);
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(
      {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) std::_Exit(3);
        g_SlotList[0] = SLOTENTRY{};
        const BOOL ok = SaveStorySlot(0);
        std::_Exit(ok == 0 && g_SlotList[0].bUsed == 0 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "Story01\\.dat");
  ::chmod((m_Tmp.Path() + "/user_data/story").c_str(), 0755);
  EXPECT_EQ(m_Tmp.ReadFile("user_data/story/Story01.dat"), "old slot bytes");
}
