#include "records/move_shot.h"

#include <gtest/gtest.h>

#include "platform/messages.h"
#include "base/report.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/corruption.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {

class MoveShot : public cRecordFileTest {
 protected:
};

}  // namespace

TEST_F(MoveShot, NewRecordsHoldTheDefaultsOfTheirTables) {
  std::shared_ptr<cEdMove> pMove;
  NewEdMove(pMove);
  ASSERT_TRUE(pMove);
  EXPECT_EQ(pMove->m_nSpeed, 10);
  EXPECT_EQ(pMove->m_dTurnFactor, 1.0);
  EXPECT_EQ(pMove->m_byMirrorAngle, 1);
  EXPECT_EQ(pMove->m_byMirrorX, 1);
  EXPECT_EQ(pMove->m_byStopOnArrival, 1);
  EXPECT_EQ(pMove->m_byMirrorY, 0);
  EXPECT_EQ(pMove->FieldCount(), 32);

  std::shared_ptr<cEdShot> pShot;
  NewEdShot(pShot);
  ASSERT_TRUE(pShot);
  EXPECT_EQ(pShot->m_cSize, 1);
  EXPECT_EQ(pShot->m_byMirrorAngle, 1);
  EXPECT_EQ(pShot->m_byMirrorX, 1);
  EXPECT_EQ(pShot->m_bySetting21, 1);
  EXPECT_EQ(pShot->FieldCount(), 59);

  // Golden bytes of a new move: 32 fields, 52 bytes.
  cEdMove move;
  std::string bytes = SaveAt(move, 667).substr(4);
  std::string expect = U32(32);
  expect += std::string("\0\0\0\0\0\0\x01\x01\x01", 9);                  // 1 to 7
  expect += std::string(8, '\0');                                        // 8 to 11
  expect += std::string("\0\x01\0\0\x01\0\x01\0\0\0", 10);               // 12 to 21
  expect += std::string("\x0A\0\0\0\0\0\0\0\0\0\0\0\0\0\0\0", 16);      // 22 to 30
  expect += std::string("\0\0\0\0\0\0\xF0\x3F\0", 9);                    // 31, 32
  expect += U32(0);
  EXPECT_EQ(bytes.size(), 4u + 52u + 4u);
  EXPECT_EQ(bytes, expect);
}

TEST_F(MoveShot, RoundTripsByteIdentically) {
  cEdMove move;
  move.m_byTargetMode = 1;
  move.m_nAngle = -45;
  move.m_nCellX = -3;
  move.m_nDotY = 7;
  move.m_nRange = 20;
  move.m_dTurnFactor = 0.125;
  move.m_bySpeed2On = 1;
  std::string m1 = SaveAt(move, 667, "m1.dat");
  cEdMove move2;
  ASSERT_TRUE(move2.LoadFromFile("m1.dat"));
  EXPECT_EQ(SaveAt(move2, 667, "m2.dat"), m1);
  EXPECT_EQ(move2.m_nAngle, -45);
  EXPECT_EQ(move2.m_dTurnFactor, 0.125);

  cEdShot shot;
  shot.m_cCount = -2;
  shot.m_nSpacing = 300;
  shot.m_nOffsetXStep = -16;
  shot.m_wPicture = 77;
  shot.m_byTrajectory = 8;
  shot.m_nAttack = 123456;
  shot.m_wHitEffect = 4;
  shot.m_nSummonIndex = -1;
  shot.m_byReverseFacing = 1;
  std::string s1 = SaveAt(shot, 667, "s1.dat");
  EXPECT_EQ(s1.size(), 4u + 4u + 84u + 4u);
  cEdShot shot2;
  ASSERT_TRUE(shot2.LoadFromFile("s1.dat"));
  EXPECT_EQ(SaveAt(shot2, 667, "s2.dat"), s1);
  EXPECT_EQ(shot2.m_nAttack, 123456);
  EXPECT_EQ(shot2.m_nSummonIndex, -1);

  // A copy is a record of its own.
  cEdShot copy = shot2;
  copy.m_nAttack = 5;
  EXPECT_EQ(SaveAt(copy, 667, "s3.dat").size(), s1.size());
  EXPECT_EQ(shot2.m_nAttack, 123456);
}

TEST_F(MoveShot, MoveConversionsByVersion) {
  struct CASE {
    int nVersion;
    int nMirror, nUnit, nKeepFacing, nSpeed2On;
  } cases[] = {
      {157, 0, 0, 0, 0}, {158, 1, 0, 0, 0}, {159, 1, 1, 0, 0}, {161, 1, 1, 0, 0}, {162, 1, 1, 1, 1}, {667, 1, 1, 1, 1},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.nVersion);
    cEdMove w;
    w.m_byMirrorAngle = 1;
    w.m_byUnit = 1;
    w.m_byKeepFacing = 1;
    w.m_bySpeed2On = 1;
    w.m_dTurnFactor = 2.5;
    SaveAt(w, c.nVersion);
    cEdMove r;
    ASSERT_TRUE(r.LoadFromFile("old.dat"));
    EXPECT_EQ(r.m_byMirrorAngle, c.nMirror);
    EXPECT_EQ(r.m_byUnit, c.nUnit);
    EXPECT_EQ(r.m_byKeepFacing, c.nKeepFacing);
    EXPECT_EQ(r.m_bySpeed2On, c.nSpeed2On);
    EXPECT_EQ(r.m_dTurnFactor, 2.5);
  }
}

TEST_F(MoveShot, ShotConversionsByVersion) {
  struct CASE {
    int nVersion, nTrajectory;
    int nMirrorOut, n54Out, nHomingOut, nAccelOut, nPassBlockOut;
  } cases[] = {
      // field 54 took field 53's value before 197; 28 comes from the
      // trajectory before 212 (211 files too); 31 to 33 came at 213; 43
      // took 42's value before 636
      {157, 6, 0, 3, 1, 0, 1},
      {196, 6, 1, 3, 1, 0, 1},
      {197, 8, 1, 9, 0, 0, 1},
      {211, 6, 1, 9, 1, 0, 1},
      {211, 8, 1, 9, 0, 0, 1},
      {211, 3, 1, 9, 0, 0, 1},
      {212, 8, 1, 9, 7, 0, 1},
      {212, 4, 1, 9, 7, 0, 1},
      {635, 4, 1, 9, 7, 5, 1},
      {636, 4, 1, 9, 7, 5, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.nVersion << " trajectory " << c.nTrajectory);
    cEdShot w;
    w.m_byMirrorAngle = 1;
    w.m_byTrajectory = static_cast<uint8_t>(c.nTrajectory);
    w.m_byHoming = 7;
    w.m_bySetting53 = 3;
    w.m_bySetting54 = 9;
    w.m_byAccel = 5;
    w.m_wAccel = 5;
    w.m_wAccelStep = 5;
    w.m_byPassChara = 1;
    w.m_byPassBlockChara = 0;
    SaveAt(w, c.nVersion);
    cEdShot r;
    ASSERT_TRUE(r.LoadFromFile("old.dat"));
    EXPECT_EQ(r.m_byMirrorAngle, c.nMirrorOut);
    EXPECT_EQ(r.m_bySetting54, c.n54Out);
    EXPECT_EQ(r.m_byHoming, c.nHomingOut);
    EXPECT_EQ(r.m_byAccel, c.nAccelOut);
    EXPECT_EQ(r.m_wAccel, c.nAccelOut);
    EXPECT_EQ(r.m_wAccelStep, c.nAccelOut);
    EXPECT_EQ(r.m_byPassBlockChara, c.nPassBlockOut);
    EXPECT_EQ(r.m_byTrajectory, c.nTrajectory);
  }
}

TEST_F(MoveShot, CheckKeepsSizeAndHitEffectInRange) {
  cEdShot w;
  w.m_cSize = 0;
  w.m_wHitEffect = 12;
  SaveAt(w, 667, "a.dat");
  cEdShot r;
  r.m_cSize = 5;
  ASSERT_TRUE(r.LoadFromFile("a.dat"));
  EXPECT_EQ(r.m_cSize, 1);
  EXPECT_EQ(r.m_wHitEffect, 12);  // nothing loaded to test it against

  cFakeFlowProjectView view;
  view.m_anCount[FITDB_EFFECT] = 12;
  cEdShot s;
  s.m_cSize = -3;
  s.m_wHitEffect = 12;
  s.Check();
  EXPECT_EQ(s.m_cSize, 1);
  EXPECT_EQ(s.m_wHitEffect, 0);
  s.m_wHitEffect = 11;
  s.Check();
  EXPECT_EQ(s.m_wHitEffect, 11);
}

TEST_F(MoveShot, StartOffsetsStepPerWaveAndMirror) {
  cEdShot s;
  s.m_nOffsetX = 10;
  s.m_nOffsetXStep = -4;
  s.m_nOffsetY = -8;
  s.m_nOffsetYStep = 3;
  s.m_byMirrorX = 1;
  s.m_byMirrorY = 0;
  EXPECT_EQ(ShotStartOffsetX(s, 0, 0), 10.0);
  EXPECT_EQ(ShotStartOffsetX(s, 2, 0), 2.0);
  EXPECT_EQ(ShotStartOffsetX(s, 2, 1), -2.0);
  EXPECT_EQ(ShotStartOffsetY(s, 2, 1), -2.0);
  s.m_byMirrorY = 1;
  EXPECT_EQ(ShotStartOffsetY(s, 2, 1), 2.0);
  EXPECT_EQ(ShotStartOffsetY(s, 2, 0), -2.0);
}

TEST_F(MoveShot, DamagedRecordsFailCleanly) {
  cEdShot shot;
  shot.m_nAttack = 99;
  std::string good = SaveAt(shot, 667, "shot.dat");
  RunCorruptionHarness(good, "shot.dat", [] {
    cEdShot r;
    r.LoadFromFile("shot.dat");
  });
  cEdMove move;
  good = SaveAt(move, 667, "move.dat");
  RunCorruptionHarness(good, "move.dat", [] {
    cEdMove r;
    r.LoadFromFile("move.dat");
  });
  // More fields than the layout has is damage, not a reason to read on.
  std::string bad = good;
  bad.replace(4, 4, U32(33));
  m_Tmp.WriteFile("bad.dat", bad);
  cEdMove r;
  EXPECT_FALSE(r.LoadFromFile("bad.dat"));
}
