#include "play/play_state.h"

#include <gtest/gtest.h>

#include <vector>

#include "platform/keyboard.h"
#include "play/jump_values.h"
#include "play/play_links.h"
#include "play/stage_view.h"
#include "tests/play/play_fixture.h"
#include "tests/support/allocation_probe.h"
#include "tests/support/temp_folder.h"

namespace {

std::vector<int> g_vSounds;

class PlayStateTest : public cPlayFixture {
 protected:
  void SetUp() override {
    g_vSounds.clear();
    g_PlayLinks.pfnPlaySound = [](int n) { g_vSounds.push_back(n); };
  }
  void TearDown() override {
    g_PlayLinks = PLAYLINKS{};
    cPlayFixture::TearDown();
  }
};

TEST_F(PlayStateTest, AxesFromTheStageAndTheirClamp) {
  cEdStage s = MakeBlockStage(40, 15, 10);
  s.m_bStopLeft = 1, s.m_nStopLeft = 5;
  s.m_bStopRight = 1, s.m_nStopRight = 30;
  s.m_nScrollKindY = 1, s.m_nAutoScrollY = 25;
  Start(s);
  const SCROLLAXIS& x = m_Ctx.m_aScroll[SCROLL_X];
  EXPECT_EQ(x.nMin, 320 + 5 * 32);
  EXPECT_EQ(x.nMax, 320 + 31 * 32);
  EXPECT_EQ(x.nFullMax, 50 * 32);
  EXPECT_EQ(x.dPos, x.nMin);
  const SCROLLAXIS& y = m_Ctx.m_aScroll[SCROLL_Y];
  EXPECT_EQ(y.nMax, 25 * 32);
  EXPECT_DOUBLE_EQ(y.dSpeed, 0.25);  // 25 tenths per frame over 10 sub-steps
  EXPECT_EQ(y.bMoving, 1u);
  EXPECT_EQ(m_Ctx.RowShift(), 6);  // 40 + 19 has six binary digits
  EXPECT_EQ(g_vBlockMap.size(), 35u << 6);

  struct CASE {
    int32_t nFirst, nLast;
    BOOL bFirst, bLast;
    double dPos;
    int32_t nMin, nMax;
    double dAfter;
    uint32_t bClamped;
  } cases[] = {
      {2, 10, TRUE, TRUE, 300, 384, 672, 384, 1},    // shorter than the view: pinned at the minimum
      {0, 0, FALSE, FALSE, 600, 320, 1600, 600, 0},  // inside
      {0, 30, FALSE, TRUE, 900, 320, 1312, 672, 1},  // held at the end
      {20, 5, TRUE, TRUE, 0, 960, 960, 960, 1},      // an end before the start is raised to it
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.nFirst << ".." << c.nLast);
    m_Ctx.SetScrollRange(SCROLL_X, c.nFirst, c.nLast, c.bFirst, c.bLast);
    EXPECT_EQ(m_Ctx.m_aScroll[SCROLL_X].nMin, c.nMin);
    EXPECT_EQ(m_Ctx.m_aScroll[SCROLL_X].nMax, c.nMax);
    m_Ctx.m_aScroll[SCROLL_X].dPos = c.dPos;
    m_Ctx.ClampScroll(SCROLL_X);
    EXPECT_EQ(m_Ctx.m_aScroll[SCROLL_X].dPos, c.dAfter);
    EXPECT_EQ(m_Ctx.m_aScroll[SCROLL_X].bClamped, c.bClamped);
  }
  m_Ctx.SetScrollSpeed(SCROLL_Y, FALSE, 25);
  EXPECT_EQ(m_Ctx.m_aScroll[SCROLL_Y].dSpeed, 0.0);
}

// The block map puts a placement where stage set-up puts a chara or item
// of the same cell: a column past the row's end runs on into the next row,
// and a cell past the map's end (a "negative" 16-bit cell among them) holds
// nothing.
TEST_F(PlayStateTest, BlockPlacementsFollowTheStagesMapRule) {
  struct CASE {
    uint16_t x, y;
    int nCol, nRow;  // the map cell that holds it; -1 for none
  } cases[] = {
      {0, 0, 10, 10},       // the stage's first cell
      {29, 24, 39, 34},     // the far margins
      {54, 0, 0, 11},       // past the row's end
      {53, 24, 63, 34},     // the map's last cell
      {54, 24, -1, -1},     // one past it
      {0xFFFF, 0, -1, -1},  // a column of -1 in 16 bits
      {0, 0xFFFF, -1, -1},  // a row of -1
  };
  cEdStage s = MakeBlockStage(20, 15, 10);
  for (const CASE& c : cases) PlaceBlock(s, c.x, c.y, BLOCKHIT_SOLID);
  Start(s);
  ASSERT_EQ(m_Ctx.RowShift(), g_Stage.MapRowShift());
  ASSERT_EQ(g_vBlockMap.size(), static_cast<size_t>(g_Stage.MapHeight() + 20) << g_Stage.MapRowShift());
  size_t nPlaced = 0;
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
    EXPECT_EQ(g_Stage.PlacementInMap(c.x, c.y), c.nCol >= 0);
    if (c.nCol < 0) continue;
    const cStageBlock* cell = m_Ctx.BlockAtCell(c.nCol, c.nRow);
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->m_nColumn, c.x);
    EXPECT_EQ(cell->m_nRow, c.y);
    ++nPlaced;
  }
  size_t nFilled = 0;
  for (size_t i = 0; i < g_vBlockMap.size(); ++i) nFilled += g_vBlockMap[i].m_nImageIndex != 0;
  EXPECT_EQ(nFilled, nPlaced);
}

TEST_F(PlayStateTest, ViewOriginsAndBackgroundScroll) {
  int nCell, nPos;
  ViewCellOrigin(1000.0, nCell, nPos);
  EXPECT_EQ(nCell, 31);
  EXPECT_EQ(nPos, -8);
  ViewCellOrigin(992.9, nCell, nPos);
  EXPECT_EQ(nCell, 31);
  EXPECT_EQ(nPos, 0);
  EXPECT_EQ(BackgroundSourceOffset(false, 0.0, 420.0, 0.5), 50);
  EXPECT_EQ(BackgroundSourceOffset(true, 7.0, 420.0, 0.5), 107);
  // Automatic scroll runs down by its rate and wraps at the width.
  double off = 1.0;
  StepAutoScrollOffset(off, 1.5, 64);
  EXPECT_EQ(off, 63.5);
  off = 63.5;
  StepAutoScrollOffset(off, -1.0, 64);
  EXPECT_EQ(off, 0.5);
}

TEST_F(PlayStateTest, PlayTimerStopsAtItsCap) {
  Start(MakeBlockStage(20, 15, 10));
  for (int i = 0; i < 6; ++i) m_Ctx.TickPlayTimer();
  EXPECT_EQ(m_Ctx.m_Timer.nElapsed, 10);
  m_Ctx.m_Timer.nFrames = 359998;
  m_Ctx.TickPlayTimer();
  EXPECT_EQ(m_Ctx.m_Timer.nElapsed, 599998);
  m_Ctx.TickPlayTimer();
  m_Ctx.TickPlayTimer();
  EXPECT_EQ(m_Ctx.m_Timer.nElapsed, PLAY_TIME_CAP);
  const uint32_t nFrames = m_Ctx.m_Timer.nFrames;
  m_Ctx.TickPlayTimer();
  EXPECT_EQ(m_Ctx.m_Timer.nFrames, nFrames);
}

TEST_F(PlayStateTest, TimeLimitCountsSecondsAndWarnsEachSecond) {
  Start(MakeBlockStage(20, 15, 10));
  m_Ctx.m_Timer.nTime = 3;
  std::vector<int> vOver;
  int nWarnings = 0;
  for (int f = 1; f <= 300; ++f) {
    if (m_Ctx.TickStageTimeLimit(-1)) vOver.push_back(f);
    // The drawing's second beat is the first frame of every 60.
    if (TimeWarningDue(m_Ctx.m_Timer.nTime, 5, false, (f - 1) % 60 == 0)) ++nWarnings;
  }
  EXPECT_EQ(m_Ctx.m_Timer.nTime, 0);
  // Over at the third second, and again every 60 frames after it.
  EXPECT_EQ(vOver, (std::vector<int>{180, 240, 300}));
  EXPECT_EQ(nWarnings, 3);  // at 3, 2 and 1 seconds left

  m_Ctx.m_Timer.nTime = 999;
  for (int f = 0; f < 60; ++f) m_Ctx.TickStageTimeLimit(5);
  EXPECT_EQ(m_Ctx.m_Timer.nTime, STAGE_TIME_CAP);
  m_Ctx.m_Timer.bFrozen = 1;
  m_Ctx.m_Timer.nTime = 1;
  for (int f = 0; f < 600; ++f) EXPECT_EQ(m_Ctx.TickStageTimeLimit(-1), 0);
  EXPECT_FALSE(TimeWarningDue(1, 5, true, true));
}

TEST_F(PlayStateTest, LivesAndSounds) {
  struct CASE {
    int32_t nLives;
    BOOL bFree;
    int nResult;
    int32_t nAfter;
  } cases[] = {{3, FALSE, 1, 2}, {0, FALSE, 0, 0}, {0, TRUE, 1, 0}, {kUnlimitedLives, FALSE, 1, kUnlimitedLives}};
  for (const CASE& c : cases) {
    cEdProgress p;
    p.m_nLives = c.nLives;
    EXPECT_EQ(UseLife(p, c.bFree), c.nResult);
    EXPECT_EQ(p.m_nLives, c.nAfter);
  }
  cEdProgress p;
  p.m_nLives = 98;
  GainLife(p);
  GainLife(p);
  EXPECT_EQ(p.m_nLives, 99);
  p.m_nLives = kUnlimitedLives;
  GainLife(p);
  EXPECT_EQ(p.m_nLives, kUnlimitedLives);

  RequestUserSound(0);
  RequestUserSound(3);
  RequestSystemSound(7);
  EXPECT_EQ(CheckSpaceKey(), 0);
  SetKeyState(VK_SPACE, true);
  EXPECT_EQ(CheckSpaceKey(), 1);
  SetKeyState(VK_SPACE, false);
  EXPECT_EQ(g_vSounds, (std::vector<int>{19, 7, 4}));
  int nMusic = -1;
  static int* s_lpMusic;
  s_lpMusic = &nMusic;
  g_PlayLinks.pfnPlayBgm = [](int nScreen, int n) { *s_lpMusic = nScreen * 100 + n; };
  RequestBgmPlay(p, 5, 2);
  EXPECT_EQ(nMusic, 405);
  EXPECT_EQ(p.m_nStageBgmOption, 2);
}

TEST_F(PlayStateTest, NextStageFileIsTheNewestNumberedOne) {
  cTempFolder tmp;
  tmp.WriteFile("data/stg4/Cave-2.stg4_000", "x");
  tmp.WriteFile("data/stg4/Cave-2.stg4_003", "x");
  cEdProgress p;
  p.m_strStage = "data\\stg4\\Cave.";
  p.m_bNumbered = 1;
  std::string out = "old";
  EXPECT_EQ(BuildStageFileName(out, 2, p, 2, "stg4"), 1);
  EXPECT_EQ(out, "data\\stg4\\Cave-2.stg4_003");
  EXPECT_EQ(IsLastStage(2, p, 2, "stg4"), 0);
  EXPECT_EQ(IsLastStage(3, p, 3, "stg4"), 1);
  EXPECT_EQ(BuildStageFileName(out, 2, p, 0, "stg4"), 0);
  EXPECT_EQ(out, "");
  p.m_bNumbered = 0;
  EXPECT_EQ(BuildStageFileName(out, 2, p, 2, "stg4"), 0);
  // A chained game without a stored name looks for "-2.stg4_NNN".
  p.m_bNumbered = 1;
  p.m_strStage.clear();
  EXPECT_EQ(BuildStageFileName(out, 2, p, 2, "stg4"), 0);
}

// Most of a large map is empty, and an empty cell costs one word: a stage
// file of a few kilobytes that claims a tall or wide map still plays in a
// few tens of megabytes, its placed blocks where they belong.
TEST_F(PlayStateTest, EmptyCellsOfALargeMapCostAWordEach) {
  if (!cAllocationProbe::Available()) GTEST_SKIP() << "no allocation probe in this build";
  struct CASE {
    uint32_t w, h;
    int x, y;  // a placed block far from the first cell
  } cases[] = {
      {20, 0xFFFF, 5, 60000},
      {65516, 236, 65000, 200},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.w << " x " << c.h);
    cEdStage s = MakeBlockStage(c.w, c.h, 10);
    PlaceRow(s, 0, 19, 14, BLOCKHIT_SOLID);
    PlaceBlock(s, c.x, c.y, BLOCKHIT_SOLID);
    g_vBlockMap.clear();
    size_t nPeak = 0;
    {
      cAllocationProbe probe;
      Start(s);
      nPeak = probe.PeakBytes();
    }
    const size_t nCells = g_vBlockMap.size();
    EXPECT_EQ(nCells, static_cast<size_t>(g_Stage.MapHeight() + 20) << g_Stage.MapRowShift());
    EXPECT_EQ(g_Stage.MapHeight(), c.h);
    EXPECT_LT(nPeak, nCells * 4 + (2u << 20));
    EXPECT_EQ(m_Ctx.HitKindOf(m_Ctx.BlockAtCell(c.x + 10, c.y + 10), 0), BLOCKHIT_SOLID);
    EXPECT_EQ(m_Ctx.HitKindOf(m_Ctx.BlockAtCell(c.x + 11, c.y + 10), 0), 0);
    EXPECT_EQ(m_Ctx.HitKindOf(m_Ctx.BlockAtCell(19 + 10, 14 + 10), 0), BLOCKHIT_SOLID);
  }
}

TEST_F(PlayStateTest, BlockEffectsUnderTheFeet) {
  cEdStage s = MakeBlockStage(20, 15, 10);
  Start(s);
  cStageBlock& block = *g_vBlockMap.Edit((static_cast<size_t>(20) << m_Ctx.RowShift()) + 15);
  block.SetDefaults();
  cTestChara c;
  Place(c, CellPx(5), CellPx(9), 16, 24, 1, 0);
  c.m_lpFloorBlock = &block;

  // Spring: the jump speed of 6 half cells, sound 10.
  block.m_nEffect = BLOCKEFFECT_JUMP;
  block.m_nEffectValue = 6;
  c.m_bFellOff = 1;
  ApplyBlockEffect(c);
  EXPECT_EQ(g_vSounds, std::vector<int>{10});
  EXPECT_EQ(c.m_dSpeedY, JumpSpeedForHalfCells(6, 1));
  EXPECT_TRUE(c.m_bJumpA && c.m_bJumpB && !c.m_bFellOff);
  EXPECT_EQ(c.m_nJumpFrames, JumpFramesFromSpeed(c.m_dSpeedY));

  // Conveyor to the left: 3 × 0.1 / n per sub-step for n sub-steps, then
  // a push down.
  block.m_nEffect = BLOCKEFFECT_MOVE_LEFT;
  block.m_nEffectValue = 3;
  c.m_dSpeedX = 0.0;
  c.m_dSpeedX2 = 1.0;
  c.m_dSpeedY = 0.0;
  for (int i = 0; i < 10; ++i) ApplyBlockEffect(c);
  EXPECT_NEAR(c.m_dSpeedX, -0.3, 1e-12);
  EXPECT_EQ(c.m_dSpeedX2, 0.0);
  EXPECT_EQ(c.m_dSpeedY, 1.0);
  EXPECT_EQ(c.m_nBlockEffectTime, 0);

  // No-jump: set on the block, cleared on another kind.
  block.m_nEffect = BLOCKEFFECT_NO_JUMP;
  ApplyBlockEffect(c);
  EXPECT_EQ(c.m_bBlockFlag2, 1);
  block.m_nEffect = BLOCKEFFECT_NONE;
  ApplyBlockEffect(c);
  EXPECT_EQ(c.m_bBlockFlag2, 0);

  // Objects without gravity and non-charas are left alone.
  block.m_nEffect = BLOCKEFFECT_SPEED;
  block.m_nEffectValue = 50;
  c.SetMoveType(1);
  c.m_dSpeedX = 2.0;
  ApplyBlockEffect(c);
  EXPECT_EQ(c.m_dSpeedX, 2.0);
  c.SetMoveType(0);
  ApplyBlockEffect(c);
  EXPECT_EQ(c.m_dSpeedX, 1.0);
}

}  // namespace
