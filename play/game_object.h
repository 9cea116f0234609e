// cGameObj, the base of every live object of a running stage (charas, items,
// shots): identity, life time, facing, the hit box in stage pixels with its
// view and cell copies, speeds, scale and the move type; and the shared
// geometry: clamps against the stage's limits, screen and area tests, speed
// steps, gravity and wave motions.
#pragma once

#include <cstdint>

#include "platform/win_types.h"
#include "records/move_shot.h"
#include "records/stage.h"

class cStageBlock;

// What the block checks read and write on a chara (contact flags, floor,
// air time, jump state). Charas carry it; other objects have none and get
// no chara reactions.
struct BLOCKCONTACT {
  uint8_t m_nScale = 1;  // the chara's integer scale, at least 1
  int m_bTouchLeft = 0;
  int m_bTouchRight = 0;
  int m_bTouchTop = 0;
  int m_bTouchBottom = 0;
  int m_nWallSide = 0;  // 0 after a wall on the left, 1 on the right
  const cStageBlock* m_lpFloorBlock = nullptr;  // under the feet; null in the air
  const cStageBlock* m_lpLandBlock = nullptr;   // last landed on
  int m_nAirFrames = 0;
  int m_bFalling = 0;
  int m_bRidingChara = 0;
  int m_bKnockedBack = 0;
  int m_bHovering = 0;
  int m_bJumpA = 0;
  int m_bJumpB = 0;
  int m_bJumpC = 0;
  int m_bFellOff = 0;  // the player's
  double m_dJumpSpeed = 0.0;
  int m_nJumpFrames = 0;  // the jump-length word
  // The block under the feet acting on the speeds (spring, friction,
  // conveyors) and the no-jump flag.
  int m_nBlockEffectTime = 0;  // sub-steps left
  int m_nBlockEffectKind = 0;
  double m_dBlockEffectAmount = 0.0;
  int m_bBlockFlag2 = 0;
};

// The block triggers the checks raise, in the flow triggers' numbering.
enum : int {
  TRIGGER_HIT_BLOCK = 9,
  TRIGGER_BLOCK_LEFT_RIGHT = 10,
  TRIGGER_BLOCK_LEFT = 11,
  TRIGGER_BLOCK_RIGHT = 12,
  TRIGGER_BLOCK_UP_DOWN = 13,
  TRIGGER_BLOCK_UP = 14,
  TRIGGER_BLOCK_DOWN = 15,
};

// A removal area of the stage: four side switches and four margins in cells.
struct REMOVALAREA {
  uint32_t bLeft, bRight, bTop, bBottom;
  int32_t nLeft, nRight, nTop, nBottom;
};
REMOVALAREA RemovalAreaOf(const cEdStageSub& sub);

// The standing block-chara roster's word that the box filed in its slot
// moved (play/block_chara_collision.cpp).
void NoteBoxMoved(int nSlot);

// The target search index's word that a box coordinate of the chara filed
// in its slot was assigned (play/target_index.cpp).
void NoteTargetBoxMoved(int nSlot);

// A coordinate of an object's box in stage pixels. It reads as a double;
// an assignment also tells the block-chara roster and the target search
// index, while the object is filed in them, that the box moved. There is no
// double& to it, so every write goes through here and none escapes them.
class cBoxCoord {
 public:
  cBoxCoord() = default;
  // A copy is filed nowhere; an assignment keeps the target's slots.
  cBoxCoord(const cBoxCoord& o) : m_d(o.m_d) {}
  cBoxCoord& operator=(const cBoxCoord& o) { return *this = o.m_d; }
  cBoxCoord& operator=(double d) {
    m_d = d;
    if (m_nSlot >= 0) NoteBoxMoved(m_nSlot);
    if (m_nTargetSlot >= 0) NoteTargetBoxMoved(m_nTargetSlot);
    return *this;
  }
  cBoxCoord& operator+=(double d) { return *this = m_d + d; }
  cBoxCoord& operator-=(double d) { return *this = m_d - d; }
  operator double() const { return m_d; }

 private:
  friend class cGameObj;
  double m_d = 0.0;
  int m_nSlot = -1;
  int m_nTargetSlot = -1;
};

class cGameObj {
 public:
  cGameObj();
  virtual ~cGameObj() = default;
  virtual void CopyFrom(const cGameObj& other);
  virtual void SetScale(int nNew, int nOld);
  virtual void ScaleBoxes(int) {}
  virtual void KeepFootOnScale(int, int) {}
  virtual void UpdateRectX() {}
  virtual void UpdateRectY() {}
  virtual void SetCenter(double, double) {}
  virtual void SetCenterR(double, double) {}
  virtual void SetCenterX(double) {}
  virtual void SetCenterXR(double) {}
  virtual void SetCenterY(double) {}
  virtual void SetCenterYR(double) {}
  // Charas answer with their contact state, move hooks and triggers.
  virtual BLOCKCONTACT* Contact() { return nullptr; }
  virtual void OnMovedX() {}
  virtual void OnMovedY() {}
  virtual void RaiseTrigger(int) {}

  void Setup(int nId, int nType, int nKindB, int nSide, int nValue, int nImgOffsetX, int nImgOffsetY, int nBoxW,
             int nBoxH, int nImgW, int nImgH, int nDir, int nMoveType, uint16_t wWord);
  void SetMoveType(int nType);
  // The box's slot in the block-chara roster's index, -1 when it is filed
  // in none; the roster alone sets it.
  void SetBoxSlot(int nSlot) { m_dX.m_nSlot = m_dY.m_nSlot = m_dRight.m_nSlot = m_dBottom.m_nSlot = nSlot; }
  int BoxSlot() const { return m_dX.m_nSlot; }
  // The chara's slot in the target search index, -1 when it is filed in
  // none; the index alone sets it.
  void SetTargetSlot(int nSlot) {
    m_dX.m_nTargetSlot = m_dY.m_nTargetSlot = m_dRight.m_nTargetSlot = m_dBottom.m_nTargetSlot = nSlot;
  }
  int TargetSlot() const { return m_dX.m_nTargetSlot; }
  int ClampX(int nMode);
  int ClampY(int nMode);
  // The far edge and the cells under the box from the position, without
  // the derived classes' rectangles.
  void SyncBoxX();
  void SyncBoxY();
  int MoveX(int nMode);
  int MoveY(int nMode);
  void ApplyGravity();
  void Decelerate(double& dSpeed, int bOn) const;
  int GetDirSign() const { return m_nDir > 0 ? 1 : -1; }
  void UpdateScreenRect();
  // As UpdateScreenRect, but on an axis that scrolls by itself the position
  // and the scroll are truncated separately.
  void UpdateScreenRectScrolled();
  int IsOnScreen() const;
  int IsInViewAxes(int bSkipX, int bSkipY) const;
  int IsWithinStageBounds(int nMode) const;
  int IsOutOfArea(const REMOVALAREA& area) const;
  // The speed of a wave of the amplitude and period at the phase (F a
  // degree); the phase then advances by the step and wraps at F × 360.
  double WaveSpeedCos(double dAmplitude, double dPeriodDeg, double& dPhase, double dStep, double dPhaseOffset) const;
  double AccelPerFrame(double v) const;
  void ComponentSpeeds(double& dOutX, double& dOutY, int8_t nSpeed, double dx, double dy) const;

  int m_nId = 0;
  int m_nLifeTime = 0;
  int m_nDir = 0;  // 0 left, 1 right
  uint16_t m_wSetupWord = 0;
  int m_nSetupValue = 0;
  int m_nSpare = 0;
  RECT m_rcScreen = {0, 0, 0, 0};
  int m_nImgOffsetX = 0, m_nImgOffsetY = 0;
  int m_nImgW = 0, m_nImgH = 0;
  int m_nImgOffsetX0 = 0, m_nImgOffsetY0 = 0;
  int m_nImgW0 = 0, m_nImgH0 = 0;
  int m_nType = 0;  // 0 the player's rules; 1 a deadly block is a wall
  int m_nKindB = 0;
  int m_nSide = 0;
  cBoxCoord m_dX, m_dY;
  cBoxCoord m_dRight, m_dBottom;  // inclusive
  int m_nCellLeft = 0, m_nCellTop = 0, m_nCellRight = 0, m_nCellBottom = 0;
  double m_dSpeedX = 0.0, m_dSpeedY = 0.0;
  double m_dSpeedX2 = 0.0, m_dSpeedY2 = 0.0;
  double m_dDecel = 0.0;
  int m_nFollowScroll = 0;
  int m_nBoxW = 0, m_nBoxH = 0;
  int m_nBoxW0 = 0, m_nBoxH0 = 0;
  int m_nNoGravity = 0;
  uint8_t m_nMoveAxes = 0;
  int m_bEnabled = 0;
  int m_bOnScreen = 0;
  uint8_t m_byExtra = 0;

 private:
  int ClampAxis(int nMode, int axis, cBoxCoord& dPos, int nSize, bool bVertical);
};

// Movement toward a point. The speed toward `to` on one axis (negative when
// `to` lies before `from`) with its direction (1 toward smaller x, 2 toward
// larger x; 0 for the vertical axis), the scroll speed added for an object
// carried by the scroll when the project says so. 1 when the point is
// reached within one step (with bTestArrival).
int SpeedToward(int axis, double& dOutSpeed, double& dOutOther, int& nOutDir, const cGameObj* lpObj, double dFrom,
                double dTo, double dSpeed, int bIgnoreScroll, int bTestArrival);
// The velocity v of length dSpeed that makes v + (cx, cy) run along
// (dx, dy): an object whose motion the view's speed (cx, cy) adds to meets a
// point d away. 0 with v = 0 when there is none (the view outruns it).
int InterceptVelocity(double dx, double dy, double dSpeed, double cx, double cy, double& vx, double& vy);
// The velocity from (x0, y0) toward (x1, y1) at dSpeed (a negative speed
// flees along a diagonal unless bNoDiagonal), compensated for the scroll;
// direction 1 for a negative x speed, 2 for a positive one, 0 for none. 1
// when the point is reached within one step (with bTestArrival).
int AimVelocity(double& dOutX, double& dOutY, int& nOutDir, const cGameObj* lpObj, double x0, double y0, double x1,
                double y1, double dSpeed, int bRelative, int bNoDiagonal, int bTestArrival);
// The centre of the object's picture in view coordinates, and the target
// point of a move: that centre plus the offsets on the axes the move
// record allows (only x wins over only y).
void PictureCentre(const cGameObj& obj, int& x, int& y);
void GetMoveTargetPoint(const cGameObj& obj, const cEdMove& move, int nOffsetX, int nOffsetY, int& x, int& y);

// The surface a shot draws from: under DirectDraw the second set (index +
// 18) stands in for a missing first one, or is preferred with bAlt when it
// is loaded; under Direct3D always the index itself.
int ChooseSurfaceIndex(int nIndex, int bAlt, bool bDirectDraw, bool (*pfnLoaded)(int nSurface));

// The move types: (no gravity, axes).
inline bool PassesBlocks(const cGameObj& o) { return o.m_nNoGravity == 1 && o.m_nMoveAxes == 0; }
inline bool FixedBlockOrder(const cGameObj& o) { return o.m_nNoGravity == 1 && o.m_nMoveAxes == 1; }
inline bool EndsOnBlocks(const cGameObj& o) { return o.m_nNoGravity == 1 && o.m_nMoveAxes == 2; }
