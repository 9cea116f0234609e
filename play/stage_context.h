// The game context of a running stage as the live objects see it: the two
// scroll axes with their limits, the stage area and padded extent, the block
// map's row shift, the stage timer block, and the block checks that move an
// object through the map. The stage-play scene derives from it.
#pragma once

#include <cstdint>

#include "platform/win_types.h"
#include "records/stage.h"

class cGameObj;
class cStageBlock;
struct BLOCKCONTACT;

// One scroll axis, in stage pixels.
struct SCROLLAXIS {
  double dPos = 0.0;        // left or top edge of the view
  uint32_t bClamped = 0;    // the last clamp held the position at a limit
  int32_t nView = 0;        // 640 or 480
  int32_t nMin = 0;         // scroll range, also the objects' limit range
  int32_t nMax = 0;
  int32_t nCellOrigin = 0;  // the pixel where cell 0 of the stops counts
  int32_t nFullMax = 0;     // the maximum without an end cell
  double dSpeed = 0.0;      // pixels per sub-step
  uint32_t bMoving = 0;
};

// The stage timer block.
struct STAGETIMER {
  int32_t nTime = 0;      // seconds left, 0 to 999
  uint32_t bFrozen = 0;   // no time limit: the counter stands
  uint32_t nFrames = 0;   // play frames counted
  int32_t nElapsed = 0;   // hundredths of a second, at most 599,999
};

constexpr int SCROLL_X = 0;
constexpr int SCROLL_Y = 1;
constexpr int STAGE_MARGIN_CELLS = 10;
constexpr int STAGE_MARGIN = 320;
constexpr int32_t PLAY_TIME_CAP = 599999;
constexpr int32_t STAGE_TIME_CAP = 999;

class cStageContext {
 public:
  cStageContext();
  virtual ~cStageContext() = default;

  // ---- Set-up (stage set-up calls these in its order) ----
  // Sizes, row shift and both axes (ranges from the stops, auto-scroll
  // speeds) from the stage in play; positions 0. The sizes and the row
  // shift are the stage's bounded map (cEdStage::MapWidth and the rest), so
  // the block map here and the placements stage set-up spawns agree.
  void SetupAxes(const cEdStage& stage);
  // The block map: (H + 20) rows of 2^s empty cells, then every placement
  // the stage's map holds copied into its cell. FALSE (with a report line)
  // when there is no memory for it.
  BOOL BuildBlockMap(const cEdStage& stage);

  // ---- Limits of the objects ----
  int StageCells(int axis) const { return m_anCells[axis]; }
  int AreaLow(int) const { return STAGE_MARGIN; }
  int AreaHigh(int axis) const { return (m_anCells[axis] + STAGE_MARGIN_CELLS) * 32; }
  int PaddedExtent(int axis) const { return (m_anCells[axis] + 2 * STAGE_MARGIN_CELLS) * 32; }
  int RowShift() const { return m_nRowShift; }
  // The scroll speed objects that follow the scroll take along: 0 while the
  // axis is not moving or stands at one of its limits.
  double FollowScrollSpeed(int axis) const;

  // ---- Scroll axes and timers ----
  void ClampScroll(int axis);
  void StepScroll(int axis);
  int SetScrollSpeed(int axis, BOOL bOn, int32_t nValue);
  void SetScrollRange(int axis, int32_t nFirst, int32_t nLast, BOOL bUseFirst, BOOL bUseLast);
  void TickPlayTimer();
  // 1 when the time is over.
  int TickStageTimeLimit(int32_t nDelta);

  // ---- The block map ----
  // The cell under stage pixel (x, y); null outside the map.
  const cStageBlock* BlockAtPixel(int x, int y) const;
  const cStageBlock* BlockAtCell(int col, int row) const;
  // The hit kind of a cell for a side; 0 for no cell.
  static int HitKindOf(const cStageBlock* cell, int nSide);

  // ---- Movement against the block map (block_moves.cpp) ----
  const cStageBlock* ScanEdgeCells(cGameObj& obj, int x1, int y1, int x2, int y2);
  const cStageBlock* ScanFootCells(cGameObj& obj);
  const cStageBlock* BestCornerCell(int colLeft, int rowTop, int colRight, int rowBottom, int nSide);
  int HitLeftWall(cGameObj& obj);
  int HitRightWall(cGameObj& obj);
  int HitFloorBlock(cGameObj& obj);
  int HitCeilingBlock(cGameObj& obj);
  int BlockMoveX(cGameObj& obj);
  int BlockRecheckX(cGameObj& obj);
  int BlockMoveY(cGameObj& obj);
  int BlockRecheckY(cGameObj& obj);
  void KeepInViewX(cGameObj& obj);
  int KeepInViewY(cGameObj& obj);
  int TestSpawnSpot(cGameObj& obj);
  void CharaLand(cGameObj& obj);
  void CharaHitCeiling(cGameObj& obj);
  void CharaApplyGravity(cGameObj& obj);

  SCROLLAXIS m_aScroll[2];
  STAGETIMER m_Timer;
  // Counts play frames for the once-a-second time limit when the shell's
  // shared frame divider is not linked.
  int m_nTimeTick = 0;
  // The player whose fall is recorded (element 0 of the players), and the
  // chara whose flow runs now (its facing swaps the key conditions). Both
  // are set by the stage scene; null while there is none.
  cGameObj* m_lpPlayer1 = nullptr;
  cGameObj* m_lpCurChara = nullptr;
  // The live charas a spawn spot must not overlap; set by the stage scene.
  bool (*m_pfnOverlapsLiveChara)(const cGameObj& obj) = nullptr;

 private:
  int SideWall(cGameObj& obj, bool bLeft);
  int FloorEdge(cGameObj& obj, bool bCountAir);
  int CeilingEdge(cGameObj& obj);

  int m_anCells[2] = {0, 0};
  int m_nRowShift = 0;
};

// The context of the stage in play: written by the game thread when the
// stage scene is made and destroyed, read only by the game thread (and by
// the frozen-frame threads while the game thread waits for them).
extern cStageContext* g_lpStageContext;
