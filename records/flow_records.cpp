#include "records/flow_records.h"

#include <algorithm>

#include "records/flow_enums.h"
#include "records/flow_fitting.h"
#include "records/flow_records_conversion.h"

namespace {

// The fewest bytes an element of each list takes in a file (its base part's
// two counts and the counts of its own lists), which bounds a list's count by
// the bytes left.
constexpr size_t MIN_CONDITION_BYTES = 8;
constexpr size_t MIN_KEY_CONDITION_BYTES = 12;
constexpr size_t MIN_COMMAND_BYTES = 24;
constexpr size_t MIN_FLOW_BYTES = 20;

// Nesting of flow lists being read on this thread.
thread_local int t_nFlowListDepth = 0;

class cFlowNesting {
 public:
  cFlowNesting() { ++t_nFlowListDepth; }
  ~cFlowNesting() { --t_nFlowListDepth; }
  cFlowNesting(const cFlowNesting&) = delete;
  cFlowNesting& operator=(const cFlowNesting&) = delete;
};

// Old condition tests compare the bytes as signed values.
int Signed(uint8_t b) { return static_cast<int8_t>(b); }

}  // namespace

// ---- cEdCondition ------------------------------------------------------

cEdCondition::cEdCondition() { BindCurrentFields(); }

void cEdCondition::RegisterFields(int nVersion) {
  ClearTables();
  if (nVersion < 110) {
    AddField8(&m_byKind, 1);                         // 1
    AddField32(&m_nValue, 1);                        // 2
    AddField16(&m_wOldDropped1, 1);                  // dropped
    AddField16(&m_wOldDropped2, 1);                  // dropped
    AddField8(&m_byCompareOp, 1);                    // 15
    if (nVersion >= 43) AddField8(&m_byPercent, 1);  // 16
    AddField8(&m_bySetting17, 1);                    // 17
    return;
  }
  AddField8(&m_byKind, 1);                           // 1
  AddField32(&m_nValue, 1);                          // 2
  AddField32(&m_nRandMin, 1);                        // 3
  AddField32(&m_nRandMax, 1);                        // 4
  AddField8(&m_bySubject, 1);                        // 5
  AddField8(&m_byStatus, 1);                         // 6
  AddField8(&m_byCategory, 1);                       // 7
  AddField8(&m_byVarScope, 1);                       // 8
  AddField16(&m_nVarIndex, 1);                       // 9
  AddField8(&m_bySource, 1);                         // 10
  AddField8(&m_byOpSubject, 1);                      // 11
  AddField8(&m_byOpStatus, 1);                       // 12
  AddField8(&m_byOpVarScope, 1);                     // 13
  AddField16(&m_nOpVarIndex, 1);                     // 14
  AddField8(&m_byCompareOp, 1);                      // 15
  if (nVersion >= 43) AddField8(&m_byPercent, 1);    // 16
  AddField8(&m_bySetting17, 1);                      // 17
}

void cEdCondition::Read(cDataFile& f) {
  cEdRecord::Read(f);
  const int v = g_nFileDataVersion;
  if (v >= DATA_VERSION_CURRENT) return;
  // Statuses and condition kinds were inserted over the versions; each step
  // moves the numbers of the files before it to where they are now.
  if (v < 160 && Signed(m_byKind) >= 5) m_byKind = static_cast<uint8_t>(m_byKind + 2);
  if (v < 161 && Signed(m_byKind) == FlowConditionKind::StatusCondition3 && Signed(m_byStatus) == 2) m_byCompareOp ^= 1;
  auto ShiftStatusesFrom = [this](int nFirst) {
    if (Signed(m_byCategory) == 0 && Signed(m_bySubject) != 2 && Signed(m_byStatus) >= nFirst) ++m_byStatus;
    if (Signed(m_bySource) == 2 && Signed(m_byOpSubject) != 2 && Signed(m_byOpStatus) >= nFirst) ++m_byOpStatus;
  };
  const bool bStatus = Signed(m_byKind) == FlowConditionKind::StatusCondition;
  if (v < 168 && bStatus) ShiftStatusesFrom(10);
  if (v < 203 && bStatus) ShiftStatusesFrom(5);
  if (v < 210 && Signed(m_byKind) == FlowConditionKind::StatusCondition2 && Signed(m_bySubject) != 2 &&
      Signed(m_byStatus) >= 6)
    ++m_byStatus;
  if (v < 657 && Signed(m_byKind) == FlowConditionKind::DistanceCondition) m_bySubject = 0;
}

void ReadConditionList(cVector<cEdCondition>& v, cDataFile& f) {
  uint32_t n = f.ReadCount(MIN_CONDITION_BYTES, "condition list");
  ReadRecordElements(f, v, n);
}

void WriteConditionList(cVector<cEdCondition>& v, cDataFile& f) { WriteRecordList(f, v); }

// ---- cEdKeyCondition ---------------------------------------------------

// The elements a key-condition list is read into start as new ones.
cEdKeyCondition::cEdKeyCondition() { SetDefaults(); }

void cEdKeyCondition::SetDefaults() {
  m_byFacingRelative = 0;
  m_nMinFrames = 0;
  m_nMaxFrames = 0;
  m_byAnyLength = 0;
  m_byComboMode = 0;
  m_vecKeyState.assign(KEY_CONDITION_KEYS, 0);
  BindCurrentFields();
}

void cEdKeyCondition::RegisterFields(int) {
  ClearTables();
  AddField8(&m_byFacingRelative, 1);  // 1
  AddField16(&m_nMinFrames, 1);       // 2
  AddField16(&m_nMaxFrames, 1);       // 3
  AddField8(&m_byAnyLength, 1);       // 4
  AddField8(&m_byComboMode, 1);       // 5
}

void cEdKeyCondition::Read(cDataFile& f) {
  cEdRecord::Read(f);
  // Kept as long as the file has it; the key test reads missing keys as 0.
  uint32_t n = f.ReadCount(1, "key states");
  m_vecKeyState.assign(n, 0);
  if (n) f.ReadBytes(m_vecKeyState.data(), n);
}

void cEdKeyCondition::Write(cDataFile& f) {
  cEdRecord::Write(f);
  WriteValueList(f, m_vecKeyState);
}

void ReadKeyConditionList(cVector<cEdKeyCondition>& v, cDataFile& f) {
  uint32_t n = f.ReadCount(MIN_KEY_CONDITION_BYTES, "key condition list");
  ReadRecordElements(f, v, n);
}

void WriteKeyConditionList(cVector<cEdKeyCondition>& v, cDataFile& f) { WriteRecordList(f, v); }

// ---- cEdCommand --------------------------------------------------------

cEdCommand::cEdCommand() { SetDefaults(); }

void cEdCommand::SetDefaults() {
  m_byList = 0;
  m_byKind = 0;
  m_nTimeBase = 0;
  m_nTimeStep = 0;
  m_byWithNext = 0;
  m_nSound = 0;
  m_byOnScreenOnly = 1;
  m_nAnime = 0;
  m_strText.clear();
  m_pMove.reset();
  m_pShot.reset();
  BindCurrentFields();
}

void cEdCommand::RegisterFields(int) {
  ClearTables();
  AddField8(&m_byList, 1);          // 1
  AddField8(&m_byKind, 1);          // 2
  AddField16(&m_nTimeBase, 1);      // 3
  AddField16(&m_nTimeStep, 1);      // 4
  AddField8(&m_byWithNext, 1);      // 5
  AddField16(&m_nSound, 1);         // 6
  AddField8(&m_byOnScreenOnly, 1);  // 7
  AddField16(&m_nAnime, 1);         // 8
  AddStrField(&m_strText, 1);
}

void cEdCommand::Read(cDataFile& f) {
  cEdRecord::Read(f);
  uint32_t bMove = 0;
  f.ReadU32(bMove);
  if (bMove && !f.Failed()) {
    // A new record each time: a copy of this command may share the old one.
    std::shared_ptr<cEdMove> pMove;
    NewEdMove(pMove);
    pMove->Read(f);
    m_pMove = std::move(pMove);
  } else {
    m_pMove.reset();
  }
  uint32_t bShot = 0;
  f.ReadU32(bShot);
  if (bShot && !f.Failed()) {
    std::shared_ptr<cEdShot> pShot;
    NewEdShot(pShot);
    pShot->Read(f);
    m_pShot = std::move(pShot);
  } else {
    m_pShot.reset();
  }
  ReadFlowList(m_vecFlow, f);
  ReadValueList(f, m_vParam, "command parameters");
  if (g_nFileDataVersion < DATA_VERSION_CURRENT) ConvertOldCommandParams(*this, g_nFileDataVersion);
  if (!TestPlayFlowsKept()) FixupLoadedFlows(m_vecFlow);
  FitCommandToDatabase(*this);
}

void cEdCommand::Write(cDataFile& f) {
  FitCommandToDatabase(*this);
  cEdRecord::Write(f);
  f.WriteU32(m_pMove ? 1 : 0);
  if (m_pMove) m_pMove->Write(f);
  f.WriteU32(m_pShot ? 1 : 0);
  if (m_pShot) m_pShot->Write(f);
  WriteFlowList(m_vecFlow, f);
  WriteValueList(f, m_vParam);
}

void ReadCommandList(cVector<cEdCommand>& v, cDataFile& f) {
  uint32_t n = f.ReadCount(MIN_COMMAND_BYTES, "command list");
  ReadRecordElements(f, v, n);
}

void WriteCommandList(cVector<cEdCommand>& v, cDataFile& f) { WriteRecordList(f, v); }

// ---- cEdFlow -----------------------------------------------------------

cEdFlow::cEdFlow() {
  m_cTriggerParam = 3;
  BindCurrentFields();
}

void cEdFlow::RegisterFields(int) {
  ClearTables();
  AddField8(&m_byFlowId, 1);       // 1
  AddField8(&m_byStopNo, 1);       // 2
  AddField8(&m_byTestPlay, 1);     // 3
  AddField8(&m_byCondMode, 1);     // 4
  AddField8(&m_byLatch, 1);        // 5
  AddField8(&m_byTrigger, 1);      // 6
  AddField8(&m_cTriggerParam, 1);  // 7
  AddField8(&m_byTriggerMode, 1);  // 8
}

void cEdFlow::Read(cDataFile& f) {
  cEdRecord::Read(f);
  ReadConditionList(m_vecCondition, f);
  ReadKeyConditionList(m_vecKeyCondition, f);
  ReadCommandList(m_vecCommand, f);
  const int v = g_nFileDataVersion;
  if (v < DATA_VERSION_CURRENT) {
    // Triggers were inserted at 132 (one at 11) and 164 (two at 5); each step
    // sees the result of the one before.
    if (v < 132 && m_byTrigger >= 11) ++m_byTrigger;
    if (v < 163 && m_byTrigger != FlowTrigger::Always) m_byStopNo = 0;
    if (v < 164 && m_byTrigger >= 5) m_byTrigger = static_cast<uint8_t>(m_byTrigger + 2);
  }
  FitFlowCommands(*this);
}

void cEdFlow::Write(cDataFile& f) {
  FitFlowCommands(*this);
  cEdRecord::Write(f);
  WriteConditionList(m_vecCondition, f);
  WriteKeyConditionList(m_vecKeyCondition, f);
  WriteCommandList(m_vecCommand, f);
}

void ReadFlowList(cVector<cEdFlow>& v, cDataFile& f) {
  uint32_t n = f.ReadCount(MIN_FLOW_BYTES, "flow list");
  v.clear();
  if (n == 0) return;
  // Flows nest through commands; a damaged file must not nest them deeper
  // than the stack can follow.
  if (t_nFlowListDepth >= MAX_FLOW_NESTING) {
    f.Fail("flow nesting");
    return;
  }
  cFlowNesting nesting;
  ReadRecordElements(f, v, n);
}

void WriteFlowList(cVector<cEdFlow>& v, cDataFile& f) { WriteRecordList(f, v); }
