#include <gtest/gtest.h>

#include <vector>

#include "play/stage_block.h"
#include "tests/play/play_fixture.h"

namespace {

class BlockMovesTest : public cPlayFixture {
 protected:
  // Falls (gravity, step, floor and ceiling) until the chara stops or the
  // check gives 2; the result of the last check.
  int Fall(cTestChara& c, int nMaxSteps = 5000) {
    for (int i = 0; i < nMaxSteps; ++i) {
      m_Ctx.CharaApplyGravity(c);
      c.MoveY(2);
      int r = m_Ctx.BlockMoveY(c);
      if (r != 0 || c.m_bTouchBottom) return r;
    }
    return -1;
  }
};

constexpr uint32_t kLevels[] = {1, 10, 15};

TEST_F(BlockMovesTest, FallsAndLandsOnThePixelAboveTheFloorAtEveryLevel) {
  for (uint32_t nLevel : kLevels) {
    SCOPED_TRACE(nLevel);
    cEdStage s = MakeBlockStage(20, 15, nLevel);
    PlaceRow(s, 0, 19, 10, BLOCKHIT_SOLID);
    Start(s);
    cTestChara c;
    Place(c, CellPx(5) + 3, CellPx(4) + 7, 16, 24, 1, 0);
    c.m_bJumpA = c.m_bFalling = 1;
    ASSERT_EQ(Fall(c), 0);
    // Positions keep their fractions; the bottom's pixel is the last one
    // above the cell.
    EXPECT_EQ(static_cast<int>(c.m_dBottom), CellPx(10) - 1);
    EXPECT_EQ(c.m_dY, c.m_dBottom - 23);
    EXPECT_EQ(c.m_dSpeedY, 0.0);
    EXPECT_EQ(c.m_bJumpA, 0);
    EXPECT_EQ(c.m_bFalling, 0);
    EXPECT_EQ(c.m_lpLandBlock, &g_vBlockMap[((10 + 10) << m_Ctx.RowShift()) + 15]);
    EXPECT_EQ(c.m_vTriggers, (std::vector<int>{TRIGGER_HIT_BLOCK, TRIGGER_BLOCK_UP_DOWN, TRIGGER_BLOCK_DOWN}));
    // Standing on, it stays: the next sub-steps land it on the same pixel.
    for (int i = 0; i < 50; ++i) {
      m_Ctx.CharaApplyGravity(c);
      c.MoveY(2);
      ASSERT_EQ(m_Ctx.BlockMoveY(c), 0);
    }
    EXPECT_EQ(static_cast<int>(c.m_dBottom), CellPx(10) - 1);
  }
}

TEST_F(BlockMovesTest, StopsAtWallsAndUnderCeilings) {
  for (uint32_t nLevel : kLevels) {
    SCOPED_TRACE(nLevel);
    cEdStage s = MakeBlockStage(20, 15, nLevel);
    PlaceColumn(s, 3, 0, 14, BLOCKHIT_SOLID);
    PlaceColumn(s, 12, 0, 14, BLOCKHIT_SOLID);
    PlaceRow(s, 4, 11, 2, BLOCKHIT_SOLID);
    Start(s);

    cTestChara c;
    Place(c, CellPx(8), CellPx(6), 16, 24, 1, 0);
    for (int i = 0; i < 5000 && !c.m_bTouchRight; ++i) {
      c.m_dSpeedX = 100.0;  // limited to the level's maximum
      c.MoveX(2);
      ASSERT_EQ(m_Ctx.BlockMoveX(c), 0);
    }
    EXPECT_EQ(c.m_dRight, CellPx(12) - 1);
    EXPECT_EQ(c.m_nWallSide, 1);
    for (int i = 0; i < 5000 && !c.m_bTouchLeft; ++i) {
      c.m_dSpeedX = -100.0;
      c.MoveX(2);
      ASSERT_EQ(m_Ctx.BlockMoveX(c), 0);
    }
    EXPECT_EQ(c.m_dX, CellPx(4));
    EXPECT_EQ(c.m_nWallSide, 0);

    c.m_vTriggers.clear();
    for (int i = 0; i < 5000 && !c.m_bTouchTop; ++i) {
      c.m_dSpeedY = -100.0;
      c.MoveY(2);
      ASSERT_EQ(m_Ctx.BlockMoveY(c), 0);
    }
    EXPECT_EQ(c.m_dY, CellPx(3));
    EXPECT_EQ(c.m_dSpeedY, 0.0);
    EXPECT_TRUE(c.m_bJumpA && c.m_bJumpB && c.m_bJumpC);
    EXPECT_EQ(c.m_vTriggers, (std::vector<int>{TRIGGER_HIT_BLOCK, TRIGGER_BLOCK_UP_DOWN, TRIGGER_BLOCK_UP}));
  }
}

TEST_F(BlockMovesTest, DeadlyBlocksKillThePlayerAndAreFloorsForTypeOne) {
  for (uint32_t nLevel : kLevels) {
    SCOPED_TRACE(nLevel);
    cEdStage s = MakeBlockStage(20, 15, nLevel);
    PlaceRow(s, 0, 19, 10, BLOCKHIT_DEADLY);
    PlaceColumn(s, 15, 0, 9, BLOCKHIT_DEADLY);
    Start(s);
    cTestChara player;
    Place(player, CellPx(5), CellPx(6), 16, 24, 0, 0);
    EXPECT_EQ(Fall(player), 2);
    EXPECT_GE(player.m_dBottom, CellPx(10));  // not pushed out
    cTestChara walker;
    Place(walker, CellPx(5), CellPx(6), 16, 24, 1, 0);
    EXPECT_EQ(Fall(walker), 0);
    EXPECT_EQ(static_cast<int>(walker.m_dBottom), CellPx(10) - 1);
    // A deadly wall: 2 for the player, a wall for type 1.
    player.m_dX = walker.m_dX = CellPx(15) - 10;
    player.ClampX(-1);
    walker.ClampX(-1);
    EXPECT_EQ(m_Ctx.BlockMoveX(player), 2);
    EXPECT_EQ(m_Ctx.BlockMoveX(walker), 0);
    EXPECT_EQ(walker.m_dRight, CellPx(15) - 1);
  }
}

TEST_F(BlockMovesTest, ObjectsThatEndOnBlocksGetTwoAndStayWhereTheyAre) {
  cEdStage s = MakeBlockStage(20, 15, 10);
  PlaceBlock(s, 6, 6, BLOCKHIT_SOLID);
  Start(s);
  cTestObj shot;
  Place(shot, CellPx(6) - 8, CellPx(6) + 4, 16, 16, 0, 3);
  EXPECT_EQ(m_Ctx.BlockMoveX(shot), 2);
  EXPECT_EQ(shot.m_dX, CellPx(6) - 8);
  EXPECT_EQ(m_Ctx.BlockMoveY(shot), 2);
  // Pass-through objects never meet a block.
  shot.SetMoveType(1);
  EXPECT_EQ(m_Ctx.BlockMoveX(shot), 0);
  EXPECT_EQ(m_Ctx.TestSpawnSpot(shot), 0);
  shot.SetMoveType(0);
  EXPECT_EQ(m_Ctx.TestSpawnSpot(shot), 1);
}

TEST_F(BlockMovesTest, FallingStartsAfterEightFramesOfSubSteps) {
  for (uint32_t nLevel : kLevels) {
    SCOPED_TRACE(nLevel);
    Start(MakeBlockStage(20, 15, nLevel));
    const int n = static_cast<int>(g_Stage.m_nSpeedDiv);
    cTestChara player, rider, walker;
    m_Ctx.m_lpPlayer1 = &player;
    Place(player, CellPx(5), CellPx(3), 16, 24, 0, 0);
    Place(rider, CellPx(7), CellPx(3), 16, 24, 0, 0);
    Place(walker, CellPx(9), CellPx(3), 16, 24, 1, 0);
    rider.m_bRidingChara = 1;
    for (int i = 1; i <= 8 * n; ++i) {
      for (cTestChara* c : {&player, &rider, &walker}) ASSERT_EQ(m_Ctx.HitFloorBlock(*c), 0);
      if (i == 8 * n - 1) {
        ASSERT_FALSE(player.m_bFalling || walker.m_bFalling);
      }
    }
    EXPECT_EQ(player.m_bFalling, 1);
    EXPECT_EQ(walker.m_bFalling, 1);
    EXPECT_EQ(rider.m_bFalling, 0);
    EXPECT_EQ(player.m_bFellOff, 1);
    m_Ctx.m_lpPlayer1 = nullptr;
  }
}

TEST_F(BlockMovesTest, EdgeArithmetic) {
  cEdStage s = MakeBlockStage(20, 15, 10);
  PlaceBlock(s, 3, 5, BLOCKHIT_SOLID);
  PlaceBlock(s, 5, 8, BLOCKHIT_SOLID);
  PlaceBlock(s, 6, 8, BLOCKHIT_SOLID);
  PlaceBlock(s, 9, 8, BLOCKHIT_DEADLY);
  PlaceBlock(s, 10, 8, BLOCKHIT_SOLID);
  Start(s);

  // A left edge on a boundary inside a solid cell moves a whole cell.
  cTestChara c;
  Place(c, CellPx(3), CellPx(5), 16, 16, 1, 0);
  EXPECT_EQ(m_Ctx.HitLeftWall(c), 0);
  EXPECT_EQ(c.m_dX, CellPx(4));

  // Only the bottom-left corner of a 32-high box touches the cell: the
  // second sample (top + 31) finds it.
  Place(c, CellPx(3) + 20, CellPx(4) + 1, 16, 32, 1, 0);
  EXPECT_EQ(m_Ctx.HitLeftWall(c), 0);
  EXPECT_EQ(c.m_dX, CellPx(4));

  // A bottom 4 pixels into the cell moves up by (bottom & 31) + 1 = 5.
  Place(c, CellPx(5) + 4, CellPx(8) + 4 - 23, 16, 24, 1, 0);
  EXPECT_EQ(m_Ctx.HitFloorBlock(c), 0);
  EXPECT_EQ(c.m_dBottom, CellPx(8) - 1);

  // The feet: among two solid cells the one under the middle; a deadly one
  // beats a solid one.
  cTestChara p;
  Place(p, CellPx(5) + 20, CellPx(8) - 10, 40, 24, 0, 0);
  EXPECT_EQ(m_Ctx.ScanFootCells(p), m_Ctx.BlockAtCell(16, 18));
  Place(p, CellPx(9) + 20, CellPx(8) - 10, 40, 24, 0, 0);
  EXPECT_EQ(m_Ctx.ScanFootCells(p), m_Ctx.BlockAtCell(19, 18));
  // A scale of 0 (a giant status gone wrong) scans as 1.
  p.m_nScale = 0;
  EXPECT_EQ(m_Ctx.ScanFootCells(p), m_Ctx.BlockAtCell(19, 18));
}

TEST_F(BlockMovesTest, ProbesOutsideTheMapMeetNothing) {
  Start(MakeBlockStage(20, 15, 10));
  cTestChara c;
  Place(c, -200.0, -300.0, 16, 24, 1, 0);
  EXPECT_EQ(m_Ctx.BlockMoveX(c), 0);
  EXPECT_EQ(m_Ctx.BlockMoveY(c), 0);
  Place(c, 1e12, 1e12, 16, 24, 1, 0);
  EXPECT_EQ(m_Ctx.BlockMoveY(c), 0);
  EXPECT_EQ(m_Ctx.TestSpawnSpot(c), 0);
}

}  // namespace

namespace {

TEST_F(BlockMovesTest, ABlockThatPassesASideLetsThatSideThrough) {
  cEdStage s = MakeBlockStage(20, 15, 10);
  PlaceRow(s, 0, 19, 10, BLOCKHIT_SOLID);
  s.m_vecBlock[5].m_nPassSide = 1;
  Start(s);
  cTestChara ally, enemy;
  Place(ally, CellPx(5) + 8, CellPx(10) - 20, 16, 24, 1, 0);
  Place(enemy, CellPx(5) + 8, CellPx(10) - 20, 16, 24, 1, 0);
  ally.m_nSide = 1;
  EXPECT_EQ(m_Ctx.HitFloorBlock(ally), 0);
  EXPECT_FALSE(ally.m_bTouchBottom);
  EXPECT_EQ(ally.m_lpFloorBlock, nullptr);
  EXPECT_EQ(m_Ctx.HitFloorBlock(enemy), 0);
  EXPECT_TRUE(enemy.m_bTouchBottom);
  EXPECT_EQ(static_cast<int>(enemy.m_dBottom), CellPx(10) - 1);
}

}  // namespace
