#include "records/move_shot.h"

#include "records/flow_fitting.h"

cEdMove::cEdMove() {
  SetDefaults();
  BindCurrentFields();
}

void cEdMove::SetDefaults() {
  m_byTargetMode = 0;
  m_byDirection = 0;
  m_nAngle = 0;
  m_nAngleStep = 0;
  m_byMirrorAngle = 1;
  m_byEnableX = 1;
  m_byEnableY = 1;
  m_nCellX = 0;
  m_nCellY = 0;
  m_nDotX = 0;
  m_nDotY = 0;
  m_byCoordKind = 0;
  m_byTurnWithFacing = 1;
  m_byOnlyY = 0;
  m_byOnlyX = 0;
  m_byMirrorX = 1;
  m_byMirrorY = 0;
  m_byStopOnArrival = 1;
  m_byNoAnimation = 0;
  m_byKeepFacing = 0;
  m_byTiming = 0;
  m_nSpeed = 10;
  m_nSpeedStep = 0;
  m_nEndAngle = 0;
  m_nEndAngleStep = 0;
  m_byUnit = 0;
  m_nRange = 0;
  m_nRangeStep = 0;
  m_byInertia = 0;
  m_nSpeed2 = 0;
  m_dTurnFactor = 1.0;
  m_bySpeed2On = 0;
}

// The file fixes widths, order, gates and defaults; the uses of fields 2, 6,
// 7, 12, 13, 18 to 20, 22, 23, 29, 30, 31 and 32 are this system's reading of
// how the movement commands use them:
//   2 direction code and a circle's turning   22, 23 speed base and step
//   6, 7 the axes a move toward a point uses  29 inertia switch
//   12 coordinate kind of a target point      30 inertial speed limit
//   13 turn with the chara's facing           31 turn factor of inertia
//   18 stop on arrival                        32 the speed limit is used
//   19 no walking animation, 20 keep facing
void cEdMove::RegisterFields(int nVersion) {
  ClearTables();
  AddField8(&m_byTargetMode, 1);                        // 1
  AddField8(&m_byDirection, 1);                         // 2
  AddField16(&m_nAngle, 1);                             // 3
  AddField16(&m_nAngleStep, 1);                         // 4
  if (nVersion >= 158) AddField8(&m_byMirrorAngle, 1);  // 5
  AddField8(&m_byEnableX, 1);                           // 6
  AddField8(&m_byEnableY, 1);                           // 7
  AddField16(&m_nCellX, 1);                             // 8
  AddField16(&m_nCellY, 1);                             // 9
  AddField16(&m_nDotX, 1);                              // 10
  AddField16(&m_nDotY, 1);                              // 11
  AddField8(&m_byCoordKind, 1);                         // 12
  AddField8(&m_byTurnWithFacing, 1);                    // 13
  AddField8(&m_byOnlyY, 1);                             // 14
  AddField8(&m_byOnlyX, 1);                             // 15
  AddField8(&m_byMirrorX, 1);                           // 16
  AddField8(&m_byMirrorY, 1);                           // 17
  AddField8(&m_byStopOnArrival, 1);                     // 18
  AddField8(&m_byNoAnimation, 1);                       // 19
  if (nVersion >= 162) AddField8(&m_byKeepFacing, 1);   // 20
  AddField8(&m_byTiming, 1);                            // 21
  AddField16(&m_nSpeed, 1);                             // 22
  AddField16(&m_nSpeedStep, 1);                         // 23
  AddField16(&m_nEndAngle, 1);                          // 24
  AddField16(&m_nEndAngleStep, 1);                      // 25
  if (nVersion >= 159) AddField8(&m_byUnit, 1);         // 26
  AddField16(&m_nRange, 1);                             // 27
  AddField16(&m_nRangeStep, 1);                         // 28
  AddField8(&m_byInertia, 1);                           // 29
  AddField16(&m_nSpeed2, 1);                            // 30
  AddField64(&m_dTurnFactor, 1);                        // 31
  if (nVersion >= 162) AddField8(&m_bySpeed2On, 1);     // 32
}

void cEdMove::Read(cDataFile& f) {
  cEdRecord::Read(f);
  const int v = g_nFileDataVersion;
  if (v >= DATA_VERSION_CURRENT) return;
  if (v < 158) m_byMirrorAngle = 0;
  if (v < 159) m_byUnit = 0;
  if (v < 162) {
    m_byKeepFacing = 0;
    m_bySpeed2On = 0;
  }
}

cEdShot::cEdShot() {
  SetDefaults();
  BindCurrentFields();
}

void cEdShot::SetDefaults() {
  m_cCount = 0;
  m_byPattern = 0;
  m_nSpacing = 0;
  m_byDirMode = 0;
  m_byAim = 0;
  m_nAngle = 0;
  m_nAngleStep = 0;
  m_byMirrorAngle = 1;
  m_nSpread = 0;
  m_byFromAngle = 0;
  m_cWaves = 0;
  m_nOffsetX = 0;
  m_nOffsetXStep = 0;
  m_nOffsetY = 0;
  m_nOffsetYStep = 0;
  m_byMirrorX = 1;
  m_byMirrorY = 0;
  m_wPicture = 0;
  m_bySetting19 = 0;
  m_bySetting20 = 0;
  m_bySetting21 = 1;
  m_byGroupValue = 0;
  m_byOwnerGroup = 0;
  m_cSize = 1;
  m_bySwordType = 0;
  m_byTrajectory = 0;
  m_wSetting27 = 0;
  m_byHoming = 0;
  m_nSpeed = 0;
  m_nSpeedStep = 0;
  m_byAccel = 0;
  m_wAccel = 0;
  m_wAccelStep = 0;
  m_nLaunch1 = 0;
  m_bySetting35 = 0;
  m_nLaunch1Step = 0;
  m_bySetting37 = 0;
  m_bySetting38 = 0;
  m_nLaunch2 = 0;
  m_nLaunch2Step = 0;
  m_bySetting41 = 0;
  m_byPassChara = 0;
  m_byPassBlockChara = 0;
  m_byErasable = 0;
  m_cStrength = 0;
  m_nAttack = 0;
  m_wSetting47 = 0;
  m_byImpact = 0;
  m_wHitEffect = 0;
  m_byItemSource = 0;
  m_wItemIndex = 0;
  m_bySetting52 = 0;
  m_bySetting53 = 0;
  m_bySetting54 = 0;
  m_bySummonSource = 0;
  m_nSummonIndex = 0;
  m_byGroupMode = 0;
  m_bySetting58 = 0;
  m_byReverseFacing = 0;
}

// The file fixes widths, order, gates and defaults. Fields named "Setting"
// have no use fixed by the records; the uses of 10, 18, 23, 25, 28 and 31 to
// 33 are this system's reading of how shots and launches use them:
//   10 the launch-from-angle byte            25 the sword type of a Sword command
//   18 the shot's picture (the 16-bit number 28 homing on (derived from 4 to 7
//      that the version-220 conversion moves)   of the trajectory in old files)
//   23 the shot takes its owner's group      31, 32, 33 acceleration switch,
//                                               base and step per wave
void cEdShot::RegisterFields(int nVersion) {
  ClearTables();
  AddField8(&m_cCount, 1);                                // 1
  AddField8(&m_byPattern, 1);                             // 2
  AddField16(&m_nSpacing, 1);                             // 3
  AddField8(&m_byDirMode, 1);                             // 4
  AddField8(&m_byAim, 1);                                 // 5
  AddField16(&m_nAngle, 1);                               // 6
  AddField16(&m_nAngleStep, 1);                           // 7
  if (nVersion >= 158) AddField8(&m_byMirrorAngle, 1);    // 8
  AddField16(&m_nSpread, 1);                              // 9
  AddField8(&m_byFromAngle, 1);                           // 10
  AddField8(&m_cWaves, 1);                                // 11
  AddField16(&m_nOffsetX, 1);                             // 12
  AddField16(&m_nOffsetXStep, 1);                         // 13
  AddField16(&m_nOffsetY, 1);                             // 14
  AddField16(&m_nOffsetYStep, 1);                         // 15
  AddField8(&m_byMirrorX, 1);                             // 16
  AddField8(&m_byMirrorY, 1);                             // 17
  AddField16(&m_wPicture, 1);                             // 18
  AddField8(&m_bySetting19, 1);                           // 19
  AddField8(&m_bySetting20, 1);                           // 20
  AddField8(&m_bySetting21, 1);                           // 21
  AddField8(&m_byGroupValue, 1);                          // 22
  AddField8(&m_byOwnerGroup, 1);                          // 23
  AddField8(&m_cSize, 1);                                 // 24
  AddField8(&m_bySwordType, 1);                           // 25
  AddField8(&m_byTrajectory, 1);                          // 26
  AddField16(&m_wSetting27, 1);                           // 27
  if (nVersion >= 211) AddField8(&m_byHoming, 1);         // 28
  AddField16(&m_nSpeed, 1);                               // 29
  AddField16(&m_nSpeedStep, 1);                           // 30
  if (nVersion >= 213) AddField8(&m_byAccel, 1);          // 31
  if (nVersion >= 213) AddField16(&m_wAccel, 1);          // 32
  if (nVersion >= 213) AddField16(&m_wAccelStep, 1);      // 33
  AddField16(&m_nLaunch1, 1);                             // 34
  AddField8(&m_bySetting35, 1);                           // 35
  AddField16(&m_nLaunch1Step, 1);                         // 36
  AddField8(&m_bySetting37, 1);                           // 37
  AddField8(&m_bySetting38, 1);                           // 38
  AddField16(&m_nLaunch2, 1);                             // 39
  AddField16(&m_nLaunch2Step, 1);                         // 40
  AddField8(&m_bySetting41, 1);                           // 41
  AddField8(&m_byPassChara, 1);                           // 42
  if (nVersion >= 636) AddField8(&m_byPassBlockChara, 1); // 43
  AddField8(&m_byErasable, 1);                            // 44
  AddField8(&m_cStrength, 1);                             // 45
  AddField32(&m_nAttack, 1);                              // 46
  AddField16(&m_wSetting47, 1);                           // 47
  AddField8(&m_byImpact, 1);                              // 48
  AddField16(&m_wHitEffect, 1);                           // 49
  AddField8(&m_byItemSource, 1);                          // 50
  AddField16(&m_wItemIndex, 1);                           // 51
  AddField8(&m_bySetting52, 1);                           // 52
  AddField8(&m_bySetting53, 1);                           // 53
  if (nVersion >= 197) AddField8(&m_bySetting54, 1);      // 54
  AddField8(&m_bySummonSource, 1);                        // 55
  AddField16(&m_nSummonIndex, 1);                         // 56
  AddField8(&m_byGroupMode, 1);                           // 57
  AddField8(&m_bySetting58, 1);                           // 58
  AddField8(&m_byReverseFacing, 1);                       // 59
}

void cEdShot::Read(cDataFile& f) {
  cEdRecord::Read(f);
  const int v = g_nFileDataVersion;
  if (v < DATA_VERSION_CURRENT) {
    if (v < 158) m_byMirrorAngle = 0;
    if (v < 197) m_bySetting54 = m_bySetting53;
    // Field 28 came at 211, but files of 211 hold it unset: it is derived
    // from the trajectory for every file before 212.
    if (v < 212) m_byHoming = (m_byTrajectory >= 4 && m_byTrajectory <= 7) ? 1 : 0;
    if (v < 213) {
      m_byAccel = 0;
      m_wAccel = 0;
      m_wAccelStep = 0;
    }
    if (v < 636) m_byPassBlockChara = m_byPassChara;
  }
  Check();
}

void cEdShot::Write(cDataFile& f) {
  Check();
  cEdRecord::Write(f);
}

void cEdShot::Check() {
  if (m_cSize < 1) m_cSize = 1;
  const cFlowProjectView* pView = GetFlowProjectView();
  if (pView && m_wHitEffect >= pView->DatabaseCount(FITDB_EFFECT)) m_wHitEffect = 0;
}

void NewEdMove(std::shared_ptr<cEdMove>& p) {
  auto pMove = std::make_shared<cEdMove>();
  pMove->ClearFields();
  pMove->SetDefaults();
  p = std::move(pMove);
}

void NewEdShot(std::shared_ptr<cEdShot>& p) {
  auto pShot = std::make_shared<cEdShot>();
  pShot->ClearFields();
  pShot->SetDefaults();
  p = std::move(pShot);
}

double ShotStartOffsetX(const cEdShot& shot, int n, int nDirection) {
  double d = static_cast<double>(shot.m_nOffsetXStep) * n + shot.m_nOffsetX;
  return (nDirection == 1 && shot.m_byMirrorX) ? -d : d;
}

double ShotStartOffsetY(const cEdShot& shot, int n, int nDirection) {
  double d = static_cast<double>(shot.m_nOffsetYStep) * n + shot.m_nOffsetY;
  return (nDirection == 1 && shot.m_byMirrorY) ? -d : d;
}
