#include "flow/conditions.h"

#include <algorithm>

#include "flow/flow_host.h"
#include "flow/flow_runner.h"
#include "flow/value_ops.h"
#include "records/progress.h"

namespace {

bool CompareAtWidth(int32_t a, int32_t b, int op, int nBytes) {
  if (nBytes == 1) return CompareI8(static_cast<int8_t>(a), static_cast<int8_t>(b), op);
  if (nBytes == 2) return CompareI16(static_cast<int16_t>(a), static_cast<int16_t>(b), op);
  return CompareByOp(a, b, op);
}

}  // namespace

cVector<int32_t>* VarsOfScope(int nScope) {
  if (nScope == 0) return &CommonVars();
  if (nScope == 1) return &FlowStage().StageVars();
  return nullptr;
}

cFlowChara* SubjectChara(cFlowChara& self, int nSubject) {
  if (nSubject == FlowSubject::Self) return &self;
  if (nSubject == FlowSubject::Target) return self.Target();
  return nullptr;
}

int32_t ReadCharaStatus(cFlowChara& chara, int nStatus, int nVarIndex) {
  if (nStatus == CharaStatus::Variable) return chara.Vars().CheckedAt(nVarIndex);
  if (nStatus < 0 || nStatus >= CHARA_STATUS_COUNT) return 0;
  return chara.Status(nStatus);
}

int32_t ReadSystemValue(int nIndex) {
  cFlowStage& stage = FlowStage();
  switch (nIndex) {
    case SystemValue::Time: return stage.TimeOn() ? stage.TimeCounter() : 0;
    case SystemValue::ScrollX: return stage.ScrollSpeed(0);
    case SystemValue::ScrollY: return stage.ScrollSpeed(1);
    case SystemValue::Score: return g_Progress.m_nScore;
    case SystemValue::Lives: return g_Progress.m_nLives;
    default: return 0;
  }
}

int EvaluateStatusCondition(const cEdCondition& cond, cFlowChara& subject) {
  // The operand.
  int32_t nOperand = 0;
  switch (cond.m_bySource) {
    case ValueSource::Constant: nOperand = cond.m_nValue; break;
    case ValueSource::Random: nOperand = RandomBetween(cond.m_nRandMin, cond.m_nRandMax); break;
    case ValueSource::Status:
      if (cond.m_byOpSubject == FlowSubject::System) {
        nOperand = cond.m_byOpStatus < SYSTEM_VALUE_COUNT ? ReadSystemValue(cond.m_byOpStatus) : 0;
      } else if (cond.m_byOpSubject == FlowSubject::Self || cond.m_byOpSubject == FlowSubject::Target) {
        cFlowChara* pOp = SubjectChara(subject, cond.m_byOpSubject);
        if (!pOp) return 0;
        if (cond.m_byOpStatus == CharaStatus::Sight && pOp->IsComputer()) return 0;
        if (cond.m_byOpStatus < CHARA_STATUS_COUNT)
          nOperand = ReadCharaStatus(*pOp, cond.m_byOpStatus, cond.m_nOpVarIndex);
        if (cond.m_byOpStatus == CharaStatus::Stopping) pOp->BrakingChanged();
      }
      break;
    case ValueSource::Variable: {
      cVector<int32_t>* pVars = VarsOfScope(cond.m_byOpVarScope);
      nOperand = pVars ? pVars->CheckedAt(cond.m_nOpVarIndex) : 0;
      break;
    }
    default: break;
  }

  if (cond.m_byCategory == 1) {
    cVector<int32_t>* pVars = VarsOfScope(cond.m_byVarScope);
    if (!pVars) return 0;
    if (cond.m_byPercent) nOperand = 0;
    return CompareByOp(pVars->CheckedAt(cond.m_nVarIndex), nOperand, cond.m_byCompareOp);
  }
  if (cond.m_byCategory != 0) return 0;

  if (cond.m_bySubject == FlowSubject::System) {
    int n = cond.m_byStatus;
    if (n >= SYSTEM_VALUE_COUNT) return 0;
    int32_t nValue = ReadSystemValue(n);
    if (n == SystemValue::Lives && nValue == kUnlimitedLives) return 0;
    if (cond.m_byPercent)
      nOperand = std::clamp(PercentOf(0, nOperand), g_FlowSystemRange[n].nMin, g_FlowSystemRange[n].nMax);
    return CompareByOp(nValue, nOperand, cond.m_byCompareOp);
  }
  cFlowChara* pChara = SubjectChara(subject, cond.m_bySubject);
  if (!pChara || cond.m_byStatus >= CHARA_STATUS_COUNT) return 0;
  const FLOWSTATUSENTRY& e = g_FlowStatusTable[cond.m_byStatus];
  int32_t nValue = ReadCharaStatus(*pChara, cond.m_byStatus, cond.m_nVarIndex);
  if (cond.m_byPercent) {
    int32_t nBase = e.nPercentOf ? pChara->Status(e.nPercentOf) : 0;
    nOperand = std::clamp(PercentOf(nBase, nOperand), e.nCondMin, e.nCondMax);
  }
  return CompareAtWidth(nValue, nOperand, cond.m_byCompareOp, e.nBytes);
}

int EvaluateCondition(const cEdCondition& cond, cFlowChara& subject) {
  switch (cond.m_byKind) {
    case FlowConditionKind::CommonVarCondition:
      return CompareByOp(CommonVars().CheckedAt(cond.m_nVarIndex), cond.m_nValue, cond.m_byCompareOp);
    case FlowConditionKind::StageVarCondition:
      return CompareByOp(FlowStage().StageVars().CheckedAt(cond.m_nVarIndex), cond.m_nValue, cond.m_byCompareOp);
    case FlowConditionKind::CharaVarCondition:
      return CompareByOp(subject.Vars().CheckedAt(cond.m_nVarIndex), cond.m_nValue, cond.m_byCompareOp);
    case FlowConditionKind::StatusCondition: return EvaluateStatusCondition(cond, subject);
    case FlowConditionKind::StatusCondition2: return subject.TestStateValue(cond) ? 1 : 0;
    case FlowConditionKind::StatusCondition3: return subject.TestStateFlag(cond) ? 1 : 0;
    case FlowConditionKind::DistanceCondition: return subject.TestPosition(cond) ? 1 : 0;
    default: return 0;
  }
}

int EvaluateConditionList(const cVector<cEdCondition>& vCond, int nMode, cFlowChara& subject) {
  if (nMode == ConditionMode::All) {
    for (const cEdCondition& c : vCond)
      if (!EvaluateCondition(c, subject)) return 0;
    return 1;
  }
  if (nMode == ConditionMode::Any) {
    for (const cEdCondition& c : vCond)
      if (EvaluateCondition(c, subject)) return 1;
    return 0;
  }
  return 0;
}

int CheckConditionList(const cVector<cEdCondition>& vCond, int nMode, int bLatch, int32_t& bLatched,
                       cFlowChara& subject) {
  if (vCond.empty()) return 1;
  if (bLatch && bLatched) return 1;
  if (!EvaluateConditionList(vCond, nMode, subject)) return 0;
  bLatched = 1;
  return 1;
}

int CheckFlowConditions(cFlowRun& run, cFlowChara& subject) {
  if (!run.m_lpFlow) return 1;
  const cEdFlow& f = *run.m_lpFlow;
  return CheckConditionList(f.m_vecCondition, f.m_byCondMode, f.m_byLatch, run.m_bLatched, subject);
}
