#include "records/flow_records.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "records/flow_enums.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "base/report.h"
#include "tests/support/byte_fixture.h"
#include "tests/support/corruption.h"
#include "tests/support/flow_fixtures.h"
#include "tests/support/temp_folder.h"
#include "tests/support/record_test_fixture.h"

namespace {


// A command's bytes as a file of any version holds them (its layout never
// changed): base part, move and shot flags with their records, no child
// flows, the parameters.
std::string CommandBytes(int nList, int nKind, const std::vector<int32_t>& params, const std::string& move = "",
                         const std::string& shot = "") {
  std::string s = U32(8) + Bytes({nList, nKind}) + U16(0) + U16(0) + Bytes({0}) + U16(0) + Bytes({1}) + U16(0);
  s += U32(1) + U32(1);
  s += move.empty() ? U32(0) : U32(1) + move;
  s += shot.empty() ? U32(0) : U32(1) + shot;
  s += U32(0);
  s += U32(static_cast<uint32_t>(params.size()));
  for (int32_t p : params) s += U32(static_cast<uint32_t>(p));
  return s;
}

class FlowRecords : public cRecordFileTest {
 protected:
  template <class T>
  void LoadBytes(T& rec, int nVersion, const std::string& body) {
    m_Tmp.WriteFile("hand.dat", U32(static_cast<uint32_t>(nVersion)) + body);
    ASSERT_TRUE(rec.LoadFromFile("hand.dat"));
  }
  int ReportLinesWith(const std::string& what) {
    std::string r = m_Tmp.ReadFile("Report_Game.txt");
    int n = 0;
    for (size_t p = r.find(what); p != std::string::npos; p = r.find(what, p + 1)) ++n;
    return n;
  }
};

}  // namespace

TEST_F(FlowRecords, EveryClassRoundTripsByteIdentically) {
  cFlowListFile file;
  file.m_vecFlow.push_back(MakeRichFlow());
  file.m_vecFlow.push_back(MakeWalkerFlow());
  std::string first = SaveAt(file, 667, "a.dat");
  cFlowListFile back;
  ASSERT_TRUE(back.LoadFromFile("a.dat"));
  EXPECT_EQ(SaveAt(back, 667, "b.dat"), first);

  const cEdFlow& f = back.m_vecFlow[0];
  EXPECT_EQ(f.m_byFlowId, 7);
  EXPECT_EQ(f.m_cTriggerParam, -2);
  ASSERT_EQ(f.m_vecCondition.size(), 2u);
  EXPECT_EQ(f.m_vecCondition[1].m_nValue, -123456);
  EXPECT_EQ(f.m_vecCondition[1].m_nOpVarIndex, 300);
  ASSERT_EQ(f.m_vecKeyCondition.size(), 1u);
  EXPECT_EQ(f.m_vecKeyCondition[0].m_vecKeyState.size(), 19u);
  EXPECT_EQ(f.m_vecKeyCondition[0].m_vecKeyState[12], KeyState::Released);
  ASSERT_EQ(f.m_vecCommand.size(), 6u);
  EXPECT_EQ(f.m_vecCommand[1].m_nTimeStep, -3);
  ASSERT_TRUE(f.m_vecCommand[1].m_pMove);
  EXPECT_EQ(f.m_vecCommand[1].m_pMove->m_dTurnFactor, 0.25);
  ASSERT_TRUE(f.m_vecCommand[2].m_pShot);
  EXPECT_EQ(f.m_vecCommand[2].m_pShot->m_byTrajectory, 6);
  EXPECT_EQ(f.m_vecCommand[3].m_strText, Sjis("my.hp = my.hp - 1 // 体力"));
  EXPECT_EQ(f.m_vecCommand[4].m_vParam[16], 41);
  ASSERT_EQ(f.m_vecCommand[5].m_vecFlow.size(), 2u);
  EXPECT_EQ(f.m_vecCommand[5].m_vecFlow[1].m_vecCommand[0].m_pMove->m_nSpeed, 10);

  // Each class on its own, as the records nest them.
  cEdCondition cond = f.m_vecCondition[1];
  cEdKeyCondition key = f.m_vecKeyCondition[0];
  cEdCommand cmd = f.m_vecCommand[2];
  cEdFlow flow = f;
  EXPECT_EQ(SaveAt(cond, 667, "c.dat").size(), 40u);  // version, counts, 28 field bytes
  cEdCondition cond2;
  ASSERT_TRUE(cond2.LoadFromFile("c.dat"));
  EXPECT_EQ(SaveAt(cond2, 667, "c2.dat"), m_Tmp.ReadFile("c.dat"));
  SaveAt(key, 667, "k.dat");
  cEdKeyCondition key2;
  ASSERT_TRUE(key2.LoadFromFile("k.dat"));
  EXPECT_EQ(SaveAt(key2, 667, "k2.dat"), m_Tmp.ReadFile("k.dat"));
  SaveAt(cmd, 667, "m.dat");
  cEdCommand cmd2;
  ASSERT_TRUE(cmd2.LoadFromFile("m.dat"));
  EXPECT_EQ(SaveAt(cmd2, 667, "m2.dat"), m_Tmp.ReadFile("m.dat"));
  SaveAt(flow, 667, "f.dat");
  cEdFlow flow2;
  ASSERT_TRUE(flow2.LoadFromFile("f.dat"));
  EXPECT_EQ(SaveAt(flow2, 667, "f2.dat"), m_Tmp.ReadFile("f.dat"));
}

TEST_F(FlowRecords, HandWrittenBytesOfAFlowMatchWriterAndReader) {
  std::string body = U32(8) + Bytes({4, 9, 0, 1, 1, 2, 3, 0}) + U32(0);  // base part
  body += U32(0);                                                             // no conditions
  body += U32(1) + U32(5) + Bytes({0, 0, 0, 0, 0, 0, 0}) + U32(0) + U32(19) + std::string(19, '\0');
  body += U32(1) + U32(8) + Bytes({0, 1, 20, 0, 0, 0, 0, 0, 0, 1, 0, 0}) + U32(1) + U32(1);
  body += U32(0) + U32(0) + U32(0) + U32(0);  // no move, no shot, no child flows, no parameters

  cEdFlow f;
  f.m_byFlowId = 4;
  f.m_byStopNo = 9;
  f.m_byCondMode = 1;
  f.m_byLatch = 1;
  f.m_byTrigger = FlowTrigger::Impacted;
  f.m_vecKeyCondition.push_back(cEdKeyCondition());
  f.m_vecCommand.push_back(MakeFlowCommand(FlowCommandKind::Wait, 20));
  EXPECT_EQ(SaveAt(f, 667), U32(667) + body);

  cEdFlow r;
  LoadBytes(r, 667, body);
  EXPECT_EQ(r.m_byFlowId, 4);
  EXPECT_EQ(r.m_byStopNo, 9);
  EXPECT_EQ(r.m_byTrigger, 2);
  EXPECT_EQ(r.m_cTriggerParam, 3);
  ASSERT_EQ(r.m_vecCommand.size(), 1u);
  EXPECT_EQ(r.m_vecCommand[0].m_nTimeBase, 20);
  EXPECT_EQ(r.m_vecCommand[0].m_byOnScreenOnly, 1);
}

TEST_F(FlowRecords, NewRecordsHoldTheirDefaults) {
  cEdKeyCondition key;
  EXPECT_EQ(key.m_vecKeyState, cVector<uint8_t>(19, 0));
  cEdFlow flow;
  EXPECT_EQ(flow.m_cTriggerParam, 3);
  cEdCommand cmd;
  EXPECT_EQ(cmd.m_byOnScreenOnly, 1);
  EXPECT_FALSE(cmd.m_pMove);
  EXPECT_FALSE(cmd.m_pShot);

  // A list reader gives its elements the same defaults before they read.
  std::string body = U32(0) + U32(0) + U32(1) + U32(0) + U32(0) + U32(0) + U32(0) + U32(0);
  cFlowListFile file;
  LoadBytes(file, 667, body);
  ASSERT_EQ(file.m_vecFlow.size(), 1u);
  EXPECT_EQ(file.m_vecFlow[0].m_cTriggerParam, 3);
}

TEST_F(FlowRecords, KeyStatesAreKeptAsLongAsTheFileHasThem) {
  cEdKeyCondition key;
  LoadBytes(key, 667, U32(5) + Bytes({1, 2, 0, 3, 0, 1, 2}) + U32(0) + U32(3) + Bytes({1, 2, 1}));
  EXPECT_EQ(key.m_byFacingRelative, 1);
  EXPECT_EQ(key.m_nMinFrames, 2);
  EXPECT_EQ(key.m_nMaxFrames, 3);
  EXPECT_EQ(key.m_byComboMode, 2);
  EXPECT_EQ(key.m_vecKeyState, cVector<uint8_t>({1, 2, 1}));
}

TEST_F(FlowRecords, MoveAndShotFlagsDecideWhatTheCommandHolds) {
  cEdCommand cmd = MakeFlowCommand(FlowCommandKind::StraightMove);
  NewEdMove(cmd.m_pMove);
  NewEdShot(cmd.m_pShot);
  std::shared_ptr<cEdMove> pOld = cmd.m_pMove;
  pOld->m_nSpeed = 77;
  LoadBytes(cmd, 667, CommandBytes(0, FlowCommandKind::StraightMove, {}));
  EXPECT_FALSE(cmd.m_pMove);
  EXPECT_FALSE(cmd.m_pShot);
  EXPECT_EQ(pOld->m_nSpeed, 77);  // a copy sharing the old move keeps it

  cEdMove move;
  move.m_nSpeed = 25;
  std::string moveBytes = SaveAt(move, 667).substr(4);
  cmd.m_pMove = pOld;
  LoadBytes(cmd, 667, CommandBytes(0, FlowCommandKind::StraightMove, {}, moveBytes));
  ASSERT_TRUE(cmd.m_pMove);
  EXPECT_NE(cmd.m_pMove, pOld);
  EXPECT_EQ(cmd.m_pMove->m_nSpeed, 25);
  EXPECT_EQ(pOld->m_nSpeed, 77);
}

// Conditions written in the layouts of old versions by their own writer.
TEST_F(FlowRecords, ConditionConversionsByVersion) {
  struct CASE {
    int nVersion;
    int nKind, nSubject, nStatus, nCategory, nSource, nOpSubject, nOpStatus, nOp;
    int nKindOut, nSubjectOut, nStatusOut, nOpStatusOut, nOpOut;
  } cases[] = {
      // kind 5 and above move up by 2 before 160; distance conditions lose
      // field 5 before 657
      {150, 5, 1, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0, 0},
      {159, 6, 1, 3, 0, 0, 0, 0, 0, 8, 1, 3, 0, 0},
      {160, 5, 1, 6, 0, 0, 0, 0, 0, 5, 1, 7, 0, 0},
      {656, 7, 1, 0, 0, 0, 0, 0, 0, 7, 0, 0, 0, 0},
      {657, 7, 1, 0, 0, 0, 0, 0, 0, 7, 1, 0, 0, 0},
      // kind 6 with selector 2 swaps its operator before 161
      {160, 6, 0, 2, 0, 0, 0, 0, 2, 6, 0, 2, 0, 3},
      {160, 6, 0, 2, 0, 0, 0, 0, 5, 6, 0, 2, 0, 4},
      {160, 6, 0, 1, 0, 0, 0, 0, 2, 6, 0, 1, 0, 2},
      {161, 6, 0, 2, 0, 0, 0, 0, 2, 6, 0, 2, 0, 2},
      // status conditions: statuses inserted at 10 (168) and at 5 (203)
      {167, 4, 0, 10, 0, 2, 1, 5, 0, 4, 0, 12, 6, 0},
      {167, 4, 0, 9, 0, 2, 2, 12, 0, 4, 0, 10, 12, 0},
      {167, 4, 2, 12, 0, 0, 0, 12, 0, 4, 2, 12, 12, 0},
      {167, 4, 0, 12, 1, 0, 0, 0, 0, 4, 0, 12, 0, 0},
      {167, 4, 0, 200, 0, 0, 0, 0, 0, 4, 0, 200, 0, 0},  // a negative byte
      {202, 4, 1, 5, 0, 2, 0, 4, 0, 4, 1, 6, 4, 0},
      {203, 4, 1, 5, 0, 2, 0, 5, 0, 4, 1, 5, 5, 0},
      // kind 5: a selector of 6 or more moves up before 210
      {209, 5, 0, 6, 0, 0, 0, 0, 0, 5, 0, 7, 0, 0},
      {209, 5, 2, 6, 0, 0, 0, 0, 0, 5, 2, 6, 0, 0},
      {210, 5, 0, 6, 0, 0, 0, 0, 0, 5, 0, 6, 0, 0},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.nVersion << " kind " << c.nKind << " status " << c.nStatus);
    cEdCondition w;
    w.m_byKind = static_cast<uint8_t>(c.nKind);
    w.m_bySubject = static_cast<uint8_t>(c.nSubject);
    w.m_byStatus = static_cast<uint8_t>(c.nStatus);
    w.m_byCategory = static_cast<uint8_t>(c.nCategory);
    w.m_bySource = static_cast<uint8_t>(c.nSource);
    w.m_byOpSubject = static_cast<uint8_t>(c.nOpSubject);
    w.m_byOpStatus = static_cast<uint8_t>(c.nOpStatus);
    w.m_byCompareOp = static_cast<uint8_t>(c.nOp);
    w.m_nValue = 42;
    SaveAt(w, c.nVersion);
    cEdCondition r;
    ASSERT_TRUE(r.LoadFromFile("old.dat"));
    EXPECT_EQ(r.m_byKind, c.nKindOut);
    EXPECT_EQ(r.m_bySubject, c.nSubjectOut);
    EXPECT_EQ(r.m_byStatus, c.nStatusOut);
    EXPECT_EQ(r.m_byOpStatus, c.nOpStatusOut);
    EXPECT_EQ(r.m_byCompareOp, c.nOpOut);
    EXPECT_EQ(r.m_nValue, 42);
  }
}

TEST_F(FlowRecords, ConditionsBefore110HoldTheShortLayout) {
  // kind 5, value 7, two dropped words, operator 3, percent 1, field 17 = 2
  std::string body = U32(7) + Bytes({5}) + U32(7) + U16(0xAAAA) + U16(0xBBBB) + Bytes({3, 1, 2}) + U32(0);
  cEdCondition r;
  r.m_bySubject = 9;  // a list element would be cleared; this one is not
  LoadBytes(r, 109, body);
  EXPECT_EQ(r.m_byKind, 7);
  EXPECT_EQ(r.m_nValue, 7);
  EXPECT_EQ(r.m_byCompareOp, 3);
  EXPECT_EQ(r.m_byPercent, 1);
  EXPECT_EQ(r.m_bySetting17, 2);
  EXPECT_EQ(r.m_bySubject, 0);  // distance condition before 657
  EXPECT_EQ(r.FieldCount(), 17);

  // In a list the fields a 109 file lacks read back as 0.
  cEdFlow flow;
  std::string flowBody = U32(8) + std::string(8, '\0') + U32(0) + U32(1) + body + U32(0) + U32(0);
  LoadBytes(flow, 109, flowBody);
  ASSERT_EQ(flow.m_vecCondition.size(), 1u);
  const cEdCondition& c = flow.m_vecCondition[0];
  EXPECT_EQ(c.m_nRandMin, 0);
  EXPECT_EQ(c.m_nRandMax, 0);
  EXPECT_EQ(c.m_byStatus, 0);
  EXPECT_EQ(c.m_nOpVarIndex, 0);
  EXPECT_EQ(c.m_byKind, 7);

  // Written back at 109 by the record's own writer: the same layout, with
  // the kind as converted.
  std::string converted = body;
  converted[4] = 7;
  EXPECT_EQ(SaveAt(r, 109), U32(109) + converted);
}

TEST_F(FlowRecords, FlowTriggerConversionsByVersion) {
  struct CASE {
    int nVersion, nTrigger, nStopNo, nTriggerOut, nStopNoOut;
  } cases[] = {
      {100, 11, 5, 14, 0}, {131, 12, 5, 15, 0}, {131, 10, 5, 12, 0}, {131, 4, 5, 4, 0},
      {150, 12, 5, 14, 0}, {162, 3, 7, 3, 0},   {162, 5, 7, 7, 0},   {162, 0, 7, 0, 7},
      {163, 5, 7, 7, 7},   {164, 5, 7, 5, 7},   {666, 19, 7, 19, 7},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.nVersion << " trigger " << c.nTrigger);
    cEdFlow w;
    w.m_byTrigger = static_cast<uint8_t>(c.nTrigger);
    w.m_byStopNo = static_cast<uint8_t>(c.nStopNo);
    SaveAt(w, c.nVersion);
    cEdFlow r;
    ASSERT_TRUE(r.LoadFromFile("old.dat"));
    EXPECT_EQ(r.m_byTrigger, c.nTriggerOut);
    EXPECT_EQ(r.m_byStopNo, c.nStopNoOut);
  }
  // The same by hand: version 131, trigger 12, stop number 5.
  cEdFlow r;
  LoadBytes(r, 131, U32(8) + Bytes({1, 5, 0, 0, 0, 12, 3, 0}) + U32(0) + U32(0) + U32(0) + U32(0));
  EXPECT_EQ(r.m_byTrigger, 15);
  EXPECT_EQ(r.m_byStopNo, 0);
  EXPECT_EQ(r.m_byFlowId, 1);
}

TEST_F(FlowRecords, CommandParameterConversionsByVersion) {
  using namespace FlowCommandKind;
  std::vector<int32_t> statusIn(18, 0), statusOut(18, 0);
  statusIn[4] = 10;
  statusIn[6] = 2;
  statusIn[13] = 12;
  statusOut = statusIn;
  statusOut[4] = 12;  // moved at 168 and again at 203
  statusOut[13] = 14;
  std::vector<int32_t> statusSystem = statusIn;
  statusSystem[3] = 2;
  statusSystem[12] = 2;
  std::vector<int32_t> status203In(18, 0), status203Out(18, 0);
  status203In[3] = 1;
  status203In[4] = 5;
  status203Out = status203In;
  status203Out[4] = 6;

  std::vector<int32_t> picIn, picOut = {10, 11, 12, 13, 14, 15, 1, 16, 17, 18, 19, 0, 0, 0};
  for (int i = 10; i <= 22; ++i) picIn.push_back(i);
  std::vector<int32_t> msgIn = {7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14};
  std::vector<int32_t> msgOut = {7, 1, 2, 3, 4, 5, 6, 7, 8, 9, 1, 0, 0, 0, 1, 0, 1};
  std::vector<int32_t> msg545In(17, 9), msg545Out(17, 9);
  msg545In[0] = 3;
  msg545Out[0] = 3;
  msg545Out[10] = 0;
  for (int i = 11; i <= 13; ++i) msg545Out[i] = 0;
  msg545Out[14] = 1;
  msg545Out[15] = 0;
  msg545Out[16] = 1;
  std::vector<int32_t> msg546In(17, 5), msg546Out(17, 5);
  msg546In[0] = 0;
  msg546Out[0] = 0;  // p10 keeps its 5: the rule of 546 is past
  for (int i = 11; i <= 13; ++i) msg546Out[i] = 0;
  msg546Out[14] = 1;
  msg546Out[15] = 0;
  msg546Out[16] = 1;
  std::vector<int32_t> msg555In(17, 5), msg555Out(17, 5);
  msg555Out[16] = 1;
  std::vector<int32_t> pic544In(14, 5), pic544Out(14, 5);
  pic544Out[11] = pic544Out[12] = pic544Out[13] = 0;

  struct CASE {
    int nVersion, nList, nKind;
    std::vector<int32_t> in, out;
  } cases[] = {
      {144, 0, StageClear, {2}, {2, 0, 0, 0, 0}},
      {144, 1, ItemCommandKind::StageClear, {1, 9}, {1, 9, 0, 0, 0}},
      {165, 0, PlayBgm, {4}, {4, 1}},
      {166, 0, PlayBgm, {4, 0}, {4, 0}},
      {167, 0, StatusOp, statusIn, statusOut},
      {167, 1, ItemCommandKind::StatusOp, statusIn, statusOut},
      {167, 0, StatusOp, statusSystem, statusSystem},
      {202, 0, StatusOp, status203In, status203Out},
      {203, 0, StatusOp, status203In, status203In},
      {188, 0, SetTarget, {1, 2, 3, 4, 5, 6, 7, 8, 9}, {1, 2, 0, 3, 4, 5, 6, 7, 8, 9}},
      {189, 0, SetTarget, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}},
      {193, 0, ShowPicture, picIn, picOut},
      {194, 0, RunCharaEffect, {5, 6}, {5, 0, 6}},
      {194, 1, ItemCommandKind::RunScreenEffect, {5, 6}, {5, 0, 6}},
      {195, 0, RunScreenEffect, {5, 6, 7}, {5, 6, 7}},
      {202, 0, FlowControl, {1}, {1, 0, 0}},
      {209, 0, StatusOp2, {0, 6, 1}, {0, 7, 1}},
      {209, 0, StatusOp2, {2, 6, 1}, {2, 6, 1}},
      {209, 0, StatusOp2, {0, 5, 1}, {0, 5, 1}},
      {218, 0, ChangeGraphic, {3, 40, 5}, {3, 41, 5}},
      {218, 0, ChangeGraphic, {3, 119, 5}, {3, 119, 5}},
      {218, 0, ChangeGraphic, {2, 40, 5}, {2, 40, 5}},
      {218, 0, ChangeGraphic, {3}, {3, 0, 0}},  // a missing p1 is not made
      {219, 0, ChangeGraphic, {3, 40, 5}, {3, 40, 5}},
      {540, 0, Message, msgIn, msgOut},
      {540, 1, ItemCommandKind::Message, msgIn, msgOut},
      {545, 0, Message, msg545In, msg545Out},
      {546, 0, Message, msg546In, msg546Out},
      {555, 0, Message, msg555In, msg555Out},
      {544, 0, ShowPicture, pic544In, pic544Out},
      {556, 0, Message, msg555In, msg555In},
      {667, 0, Message, msg555In, msg555In},
      // whatever the version, the list takes its kind's length
      {667, 0, StageClear, {1, 2, 3, 4, 5, 6, 7}, {1, 2, 3, 4, 5}},
      {667, 0, GameWait, {}, {0}},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << "version " << c.nVersion << " list " << c.nList << " kind " << c.nKind);
    cEdCommand r;
    LoadBytes(r, c.nVersion, CommandBytes(c.nList, c.nKind, c.in));
    EXPECT_EQ(std::vector<int32_t>(r.m_vParam.begin(), r.m_vParam.end()), c.out);
  }
}

TEST_F(FlowRecords, CommandConversionsOfMoveAndShot) {
  using namespace FlowCommandKind;
  struct CASE {
    int nVersion, nKind, nPicture, nPictureOut;
  } shots[] = {{219, Shot, 5, 6}, {219, Shot, 118, 119}, {219, Shot, 119, 119}, {220, Shot, 5, 5}, {219, Sword, 5, 5}};
  for (const CASE& c : shots) {
    SCOPED_TRACE(testing::Message() << "version " << c.nVersion << " kind " << c.nKind);
    cEdShot shot;
    shot.m_wPicture = static_cast<uint16_t>(c.nPicture);
    std::string shotBytes = SaveAt(shot, c.nVersion).substr(4);
    cEdCommand r;
    LoadBytes(r, c.nVersion, CommandBytes(0, c.nKind, {}, "", shotBytes));
    ASSERT_TRUE(r.m_pShot);
    EXPECT_EQ(r.m_pShot->m_wPicture, c.nPictureOut);
  }

  struct MOVECASE {
    int nVersion, nKind;
    bool bConverted;
  } moves[] = {{513, ChargeMove, true}, {157, ChargeMove, true}, {514, ChargeMove, false}, {513, StraightMove, false}};
  for (const MOVECASE& c : moves) {
    SCOPED_TRACE(testing::Message() << "version " << c.nVersion << " kind " << c.nKind);
    cEdMove move;
    move.m_nAngle = 30;
    move.m_nAngleStep = 2;
    move.m_byMirrorAngle = 0;
    move.m_nSpeed = 40;
    std::string moveBytes = SaveAt(move, c.nVersion).substr(4);
    cEdCommand r;
    LoadBytes(r, c.nVersion, CommandBytes(0, c.nKind, {}, moveBytes));
    ASSERT_TRUE(r.m_pMove);
    EXPECT_EQ(r.m_pMove->m_nAngle, c.bConverted ? 0 : 30);
    EXPECT_EQ(r.m_pMove->m_nAngleStep, c.bConverted ? 0 : 2);
    EXPECT_EQ(r.m_pMove->m_byMirrorAngle, c.bConverted ? 1 : 0);
    EXPECT_EQ(r.m_pMove->m_nSpeed, 40);
  }
  // Neither conversion needs the record to be there.
  cEdCommand r;
  LoadBytes(r, 200, CommandBytes(0, Shot, {}));
  LoadBytes(r, 200, CommandBytes(0, ChargeMove, {}));
  EXPECT_FALSE(r.m_pMove);
}

TEST_F(FlowRecords, DamagedFlowFilesFailCleanly) {
  cFlowListFile file;
  file.m_vecFlow = MakeEnemyFlows();
  file.m_vecFlow.push_back(MakeRichFlow());
  file.m_vecFlow.push_back(MakeLowHpFlow());
  ASSERT_TRUE(file.SaveToFile("flows.dat"));
  std::string good = m_Tmp.ReadFile("flows.dat");
  int n = RunCorruptionHarness(good, "flows.dat", [] {
    cFlowListFile r;
    r.LoadFromFile("flows.dat");
  });
  EXPECT_GT(n, 2000);
  // Again with a loaded project, so that the fitting passes meet the
  // damaged values too.
  {
    cFakeFlowProjectView view;
    view.m_anCount[FITDB_SWORDTYPE] = 1;
    CORRUPTIONPLAN plan;
    plan.nSeed = 7;
    plan.nMutations = 500;
    RunCorruptionHarness(good, "flows.dat", [] {
      cFlowListFile r;
      if (r.LoadFromFile("flows.dat"))
        for (cEdFlow& f : r.m_vecFlow) FitFlowPalettes(f);
    }, plan);
  }

  // A list count the rest of the file cannot hold.
  std::string bad = good;
  bad.replace(12, 4, U32(0x7FFFFFFF));
  m_Tmp.WriteFile("bad.dat", bad);
  cFlowListFile r;
  EXPECT_FALSE(r.LoadFromFile("bad.dat"));
}

// Nested counts each claim the same rest of the file: three levels of
// command and flow lists, the innermost followed by filler that reads as
// damage. A damaged read holds none of the elements it only claimed.
TEST_F(FlowRecords, ClaimedButUnreadElementsAreNotBuilt) {
  const uint32_t nFiller = 4096;
  std::string s = U32(0) + U32(0);  // the file record's base part
  for (int nLevel = 0; nLevel < 3; ++nLevel) {
    s += U32(nFiller / 20);                  // flows
    s += U32(0) + U32(0) + U32(0) + U32(0);  // flow 0: base part, no conditions
    s += U32(nFiller / 24);                  // commands
    s += U32(0) + U32(0) + U32(0) + U32(0);  // command 0: base part, no move, no shot
  }
  s += U32(0) + U32(0);  // the innermost command: no flows, no parameters
  s += std::string(nFiller, '\xFF');  // a field count no record has
  m_Tmp.WriteFile("claims.dat", U32(DATA_VERSION_CURRENT) + s);
  cFlowListFile r;
  EXPECT_FALSE(r.LoadFromFile("claims.dat"));
  EXPECT_TRUE(r.m_vecFlow.empty()) << r.m_vecFlow.size() << " flows";
}

TEST_F(FlowRecords, DeeplyNestedFlowsFailWithOneReportLine) {
  m_Tmp.WriteFile("deep.dat", NestedFlowListFileBytes(100000));
  cFlowListFile r;
  EXPECT_FALSE(r.LoadFromFile("deep.dat"));
  EXPECT_EQ(ReportLinesWith("flow nesting"), 1);

  // Nesting up to the limit reads whole.
  m_Tmp.WriteFile("ok.dat", NestedFlowListFileBytes(MAX_FLOW_NESTING));
  cFlowListFile ok;
  ASSERT_TRUE(ok.LoadFromFile("ok.dat"));
  const cEdFlow* p = &ok.m_vecFlow[0];
  int nDepth = 1;
  while (!p->m_vecCommand[0].m_vecFlow.empty()) {
    p = &p->m_vecCommand[0].m_vecFlow[0];
    ++nDepth;
  }
  EXPECT_EQ(nDepth, MAX_FLOW_NESTING);
  m_Tmp.WriteFile("over.dat", NestedFlowListFileBytes(MAX_FLOW_NESTING + 1));
  cFlowListFile over;
  EXPECT_FALSE(over.LoadFromFile("over.dat"));

  // The deep file through the corruption harness (a sample: each variant
  // is megabytes long).
  CORRUPTIONPLAN plan;
  plan.nMutations = 24;
  plan.nAllTruncationsBelow = 16;
  RunCorruptionHarness(m_Tmp.ReadFile("deep.dat"), "deep.dat",
                       [] {
                         cFlowListFile d;
                         d.LoadFromFile("deep.dat");
                       },
                       plan);
}
