// cEdMove and cEdShot: the movement parameters of a move or warp command and
// the parameters of a shot, sword or summon command, held by the command
// through shared pointers. Both are stored as their base part only.
#pragma once

#include <cstdint>
#include <memory>

#include "records/record.h"

class cEdMove : public cEdRecord {
 public:
  cEdMove();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override { WriteAndHook(*this, f); }
  // The values of a new movement record.
  void SetDefaults();

  // Field numbers are the positions in the file. Where the meaning of a field
  // is not fixed by the records, the name gives the use this system takes it
  // for; see the table at RegisterFields.
  uint8_t m_byTargetMode;        // 1  1 = target offset, 0 = by direction
  uint8_t m_byDirection;         // 2  direction code; a circle's turning
  int16_t m_nAngle;              // 3  degrees, + m_nAngleStep x w
  int16_t m_nAngleStep;          // 4
  uint8_t m_byMirrorAngle;       // 5  facing right: 360 - angle
  uint8_t m_byEnableX;           // 6
  uint8_t m_byEnableY;           // 7
  int16_t m_nCellX;              // 8  target offset in cells
  int16_t m_nCellY;              // 9
  int16_t m_nDotX;               // 10 target offset in pixels
  int16_t m_nDotY;               // 11
  uint8_t m_byCoordKind;         // 12
  uint8_t m_byTurnWithFacing;    // 13
  uint8_t m_byOnlyY;             // 14
  uint8_t m_byOnlyX;             // 15 wins over m_byOnlyY
  uint8_t m_byMirrorX;           // 16 facing right: x offset negated
  uint8_t m_byMirrorY;           // 17 facing right: y offset negated
  uint8_t m_byStopOnArrival;     // 18
  uint8_t m_byNoAnimation;       // 19
  uint8_t m_byKeepFacing;        // 20
  uint8_t m_byTiming;            // 21 distance into speed (1) or duration (2)
  int16_t m_nSpeed;              // 22 tenths of a pixel per frame
  int16_t m_nSpeedStep;          // 23
  int16_t m_nEndAngle;           // 24 circle end angle, + step x w
  int16_t m_nEndAngleStep;       // 25
  uint8_t m_byUnit;              // 26 distance unit: 1 pixels, else half cells
  int16_t m_nRange;              // 27 circle radius, homing range, distance
  int16_t m_nRangeStep;          // 28
  uint8_t m_byInertia;           // 29
  int16_t m_nSpeed2;             // 30 inertial speed limit, tenths
  double m_dTurnFactor;          // 31
  uint8_t m_bySpeed2On;          // 32
};

class cEdShot : public cEdRecord {
 public:
  cEdShot();
  void RegisterFields(int nVersion) override;
  void Read(cDataFile& f) override;
  void Write(cDataFile& f) override;
  // Size at least 1; a hit effect outside the effect database becomes 0.
  void Check();
  void SetDefaults();

  int8_t m_cCount;               // 1  objects per wave
  uint8_t m_byPattern;           // 2  launch pattern
  int16_t m_nSpacing;            // 3  half cells (degrees for the fan)
  uint8_t m_byDirMode;           // 4
  uint8_t m_byAim;               // 5
  int16_t m_nAngle;              // 6
  int16_t m_nAngleStep;          // 7
  uint8_t m_byMirrorAngle;       // 8
  int16_t m_nSpread;             // 9
  uint8_t m_byFromAngle;         // 10 launch from the angle around the owner
  int8_t m_cWaves;               // 11 extra waves
  int16_t m_nOffsetX;            // 12 start offset x base
  int16_t m_nOffsetXStep;        // 13
  int16_t m_nOffsetY;            // 14
  int16_t m_nOffsetYStep;        // 15
  uint8_t m_byMirrorX;           // 16
  uint8_t m_byMirrorY;           // 17
  uint16_t m_wPicture;           // 18 shot picture number (0 to 119)
  uint8_t m_bySetting19;         // 19
  uint8_t m_bySetting20;         // 20
  uint8_t m_bySetting21;         // 21
  uint8_t m_byGroupValue;        // 22
  uint8_t m_byOwnerGroup;        // 23 the shot takes its owner's group
  int8_t m_cSize;                // 24 half cells, at least 1
  uint8_t m_bySwordType;         // 25 SwordType database index
  uint8_t m_byTrajectory;        // 26
  uint16_t m_wSetting27;         // 27
  uint8_t m_byHoming;            // 28 the trajectory homes (4 to 7)
  int16_t m_nSpeed;              // 29 tenths of a pixel per sub-step
  int16_t m_nSpeedStep;          // 30
  uint8_t m_byAccel;             // 31 acceleration switch
  uint16_t m_wAccel;             // 32 acceleration base
  uint16_t m_wAccelStep;         // 33 acceleration step per wave
  int16_t m_nLaunch1;            // 34 first further launch value
  uint8_t m_bySetting35;         // 35
  int16_t m_nLaunch1Step;        // 36
  uint8_t m_bySetting37;         // 37
  uint8_t m_bySetting38;         // 38
  int16_t m_nLaunch2;            // 39 second further launch value
  int16_t m_nLaunch2Step;        // 40
  uint8_t m_bySetting41;         // 41
  uint8_t m_byPassChara;         // 42
  uint8_t m_byPassBlockChara;    // 43
  uint8_t m_byErasable;          // 44
  int8_t m_cStrength;            // 45
  int32_t m_nAttack;             // 46
  uint16_t m_wSetting47;         // 47
  uint8_t m_byImpact;            // 48
  uint16_t m_wHitEffect;         // 49 Effect database index, 0 none
  uint8_t m_byItemSource;        // 50 PALETTEKIND: 0 none, 1 common, 2 stage
  uint16_t m_wItemIndex;         // 51
  uint8_t m_bySetting52;         // 52
  uint8_t m_bySetting53;         // 53
  uint8_t m_bySetting54;         // 54
  uint8_t m_bySummonSource;      // 55 0 common palette, 1 stage palette
  int16_t m_nSummonIndex;        // 56
  uint8_t m_byGroupMode;         // 57
  uint8_t m_bySetting58;         // 58
  uint8_t m_byReverseFacing;     // 59
};

// Store a new record with the defaults of its table in the pointer.
void NewEdMove(std::shared_ptr<cEdMove>& p);
void NewEdShot(std::shared_ptr<cEdShot>& p);

// Start offset of wave n: step x n + base, negated for an owner facing right
// (nDirection 1) when the axis is mirrored.
double ShotStartOffsetX(const cEdShot& shot, int n, int nDirection);
double ShotStartOffsetY(const cEdShot& shot, int n, int nDirection);
