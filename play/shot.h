// cShot, a live shot of a running stage: a flying shot fired by a Shot
// command or a sword that stays with its owner. The owner and the target
// are held by id and found again through SHOTLINKS on every use, so a shot
// outlives the chara that fired it without a dangling link.
#pragma once

#include <cstdint>
#include <list>
#include <memory>

#include "play/game_object.h"
#include "play/picture_cell.h"
#include "records/move_shot.h"
#include "records/sword_records.h"

class cShot;
struct LAUNCHCONTEXT;

// The scene's list of all shots owns them.
typedef std::list<std::unique_ptr<cShot>> SHOTLIST;

constexpr int SHOT_CELL = 16;  // a shot picture is cut into 16 × 16 cells
constexpr int NO_CHARA = -1;   // no owner, no target
constexpr int COMMAND_KIND_SHOT = 11;
constexpr int COMMAND_KIND_SWORD = 12;

// How shots reach the live charas. The stage scene installs these; until
// then a shot finds no chara (a sword ends, aiming does nothing).
struct SHOTLINKS {
  // The chara with that id (players first, then stage charas), or null
  // when it is gone; with bAlive, null as well when it is defeated.
  cGameObj* (*pfnFindChara)(int nId, int bAlive) = nullptr;
  // Player 1, or null.
  cGameObj* (*pfnPlayer1)() = nullptr;
  // The chara of hit group nGroup that target selection picks from the
  // shot's picture centre, or null.
  cGameObj* (*pfnSelectTarget)(const cShot& shot, int nGroup) = nullptr;
};
// Written by the game thread when a stage scene is made or ends; read by
// the game thread only while it steps the shots.
extern SHOTLINKS g_ShotLinks;

// What a shot needs of the object that fires it.
struct SHOTOWNER {
  int nId = NO_CHARA;
  int bStageChara = 1;  // 0 for a player
  int nGroup = 0;
  int nDir = 0;          // 0 left, 1 right
  int nTargetId = NO_CHARA;
};

// The open fields of the shot parameters as shots read them; one table so
// that the reading can be held against the record in one place.
struct SHOTFIELDS {
  static uint8_t ShotType(const cEdShot& s) { return s.m_bySwordType; }       // 25
  static uint8_t MotionKind(const cEdShot& s) { return s.m_byTrajectory; }    // 26
  static int16_t Distance1(const cEdShot& s) { return static_cast<int16_t>(s.m_wSetting27); }  // 27
  static int16_t Distance2(const cEdShot& s) { return static_cast<int16_t>(s.m_wSetting47); }  // 47
  static uint8_t FollowsScroll(const cEdShot& s) { return s.m_bySetting19; }  // 19
  static uint8_t Invisible(const cEdShot& s) { return s.m_bySetting20; }      // 20
  static uint8_t RangeOn(const cEdShot& s) { return s.m_bySetting35; }        // 35
  static uint8_t StopAtRange(const cEdShot& s) { return s.m_bySetting37; }    // 37
  static uint8_t LifeOn(const cEdShot& s) { return s.m_bySetting41; }         // 41
  static uint8_t PhaseAngle(const cEdShot& s) { return s.m_bySetting52; }     // 52
  static uint8_t TargetGroup1(const cEdShot& s) { return s.m_bySetting53; }   // 53
  static uint8_t TargetGroup2(const cEdShot& s) { return s.m_bySetting54; }   // 54
  static uint8_t WavePeriod(const cEdShot& s) { return s.m_bySetting58; }     // 58
  static uint8_t PerRow(const cEdShot& s) { return s.m_bySetting21; }        // 21
};

// The values of one sword frame (a part of a sword type).
struct SWORDFRAME {
  int nSrcX, nSrcY, nDuration, nPlace, nOffsetX, nOffsetY, bMirrorY, nWidth, nHeight, bMirrorX;
};
SWORDFRAME SwordFrameOf(const cEdSwordPart& part);

class cShot : public cGameObj {
 public:
  cShot();
  void ScaleBoxes(int nScale) override;
  void KeepFootOnScale(int nNew, int nOld) override;
  void UpdateRectX() override;
  void UpdateRectY() override;

  // Attack box (stage pixels, inclusive), with its unscaled offsets/size.
  double m_dAtkLeft = 0, m_dAtkTop = 0, m_dAtkRight = 0, m_dAtkBottom = 0;
  int m_nAtkOffX = 0, m_nAtkOffY = 0, m_nAtkW = 0, m_nAtkH = 0;
  int m_nAtkOffX0 = 0, m_nAtkOffY0 = 0, m_nAtkW0 = 0, m_nAtkH0 = 0;
  int m_bOwnerStageChara = 1;
  int m_nOwnerId = NO_CHARA;
  int m_nGroup = 0;
  uint8_t m_byGroup = 0;
  uint32_t m_bFlying = 1;
  uint32_t m_bFollowScroll = 0;
  double m_dVelX = 0, m_dVelY = 0;
  double m_dAccX = 0, m_dAccY = 0;
  uint32_t m_bAccel = 0;
  int32_t m_nRange = 0;
  int32_t m_nLife = 0;
  uint8_t m_byMotion = 0;
  int32_t m_nMotionStep = 0;
  uint32_t m_bMotionDone = 0;
  double m_dPhaseSpeed = 0;
  int32_t m_nDelay = 0, m_nEnd = 0;
  double m_dWavePhase = 0, m_dWaveCross = 0, m_dWaveAmp = 0;
  // The share of the velocity the wave makes up this sub-step.
  double m_dWaveOffX = 0, m_dWaveOffY = 0;
  int m_nTargetId = NO_CHARA;
  int m_nWave = 0;           // the wave this shot was fired in
  int32_t m_nSerial = 0;
  // Sword state: frame index and sub-steps in the frame.
  int m_nSwordFrame = 0;
  int32_t m_nSwordStep = 0;
  int m_nScale = 1;
  PAIRANIME m_Anime;         // a flying shot's two pattern columns
  std::list<int> m_lstHit;   // ids of the charas already hit
  cEdShot m_Shot;
  // Where the shot lists keep this shot's places (their own business): -1
  // while it is in none.
  int m_nListPlace = -1;

  // 1 when the chara with this id is in the hit list; NoteHit adds it once.
  int HasHit(int nCharaId) const;
  void NoteHit(int nCharaId);
};

// Sets a new shot up from its owner and the launch context (kind 11 a
// flying shot, 12 a sword). The stage in play gives the box sizes and n.
void ShotInit(cShot& shot, const SHOTOWNER& owner, int nCommandKind, int32_t nSerial, int nWave,
              const cEdShot& params, const LAUNCHCONTEXT& ctx);
// One sub-step; 1 when the shot is finished.
int ShotStep(cShot& shot);
int SwordStep(cShot& shot);
void ShotMotion(cShot& shot);
// 1 when the shot stands in a block that stops the shots of its side.
int ShotHitsBlock(const cShot& shot);

// The 16-pixel cell of picture m, pattern p in the shot picture sheet.
void ShotCell(int nPicture, int nPattern, int& nSrcX, int& nSrcY);

// What the sprite batch draws for one shot this frame. A flying shot is a
// 16-pixel cell of the shot sheet for its facing; a sword the current
// frame's cell of its type's picture for the facing (four pictures a type).
struct SHOTDRAW {
  int bSword = 0;
  int nSheet = 0;  // flying: 0 left, 1 right; sword: type × 4 + facing
  int nSrcX = 0, nSrcY = 0, nSrcW = 0, nSrcH = 0;
  int nDstX = 0, nDstY = 0, nDstW = 0, nDstH = 0;
  int bStretch = 0;
};
// 0 when there is nothing to draw (an invisible shot, a sword without its
// frame); else 1 with `out` filled for the view at the scroll.
int ShotDrawData(const cShot& shot, int nPattern, double dScrollX, double dScrollY, SHOTDRAW& out);
