// Executors of the target and status commands: SetTarget, StatusOp and
// StatusOp2.
#include <algorithm>

#include "flow/command_executors.h"
#include "flow/conditions.h"
#include "flow/flow_host.h"
#include "flow/value_ops.h"
#include "records/progress.h"

namespace {

// StatusOp's operand; false when the command must end without effect.
bool StatusOpOperand(cFlowChara& chara, const FLOWPARAMS& p, int32_t& nOperand) {
  switch (p[6]) {
    case 0: nOperand = p[7]; return true;
    case 1: nOperand = RandomBetween(p[8], p[9]); return true;
    case 2: {
      if (p[12] == FlowSubject::System) {
        nOperand = (p[13] >= 0 && p[13] < SYSTEM_VALUE_COUNT) ? ReadSystemValue(p[13]) : 0;
        return true;
      }
      cFlowChara* pOp = SubjectChara(chara, p[12]);
      if (p[12] == FlowSubject::Target && !pOp) return false;
      nOperand = 0;
      if (pOp && p[13] >= 0 && p[13] < CHARA_STATUS_COUNT) {
        nOperand = ReadCharaStatus(*pOp, p[13], p[11]);
        if (p[13] == CharaStatus::Stopping) pOp->BrakingChanged();
      }
      return true;
    }
    case 3: {
      cVector<int32_t>* pVars = VarsOfScope(p[10]);
      nOperand = pVars ? pVars->CheckedAt(p[11]) : 0;
      return true;
    }
    default: nOperand = 0; return true;
  }
}

void SystemOp(const FLOWPARAMS& p, int32_t nOperand) {
  const int n = p[4];
  if (n < 0 || n >= SYSTEM_VALUE_COUNT) return;
  cFlowStage& stage = FlowStage();
  int32_t* pValue = nullptr;
  switch (n) {
    case SystemValue::Time: pValue = &stage.TimeCounter(); break;
    case SystemValue::ScrollX: pValue = &stage.ScrollSpeed(0); break;
    case SystemValue::ScrollY: pValue = &stage.ScrollSpeed(1); break;
    case SystemValue::Score: pValue = &g_Progress.m_nScore; break;
    case SystemValue::Lives:
      if (g_Progress.m_nLives == kUnlimitedLives) return;
      pValue = &g_Progress.m_nLives;
      break;
  }
  if (p[14]) nOperand = PercentOf(*pValue, nOperand);
  ApplyAssignOp(pValue, nOperand, p[5], g_FlowSystemRange[n].nMin, g_FlowSystemRange[n].nMax);
  if (n == SystemValue::ScrollX || n == SystemValue::ScrollY) {
    int nAxis = n == SystemValue::ScrollX ? 0 : 1;
    stage.SetScrollSpeed(nAxis, stage.AutoScroll(nAxis), *pValue);
  }
}

void CharaOp(cFlowChara& chara, cFlowChara& subject, const FLOWPARAMS& p, int32_t nOperand) {
  const int n = p[4];
  if (n < 0 || n >= CHARA_STATUS_COUNT) return;
  if (p[17] && subject.IsInvincible()) return;
  const bool bOther = &subject != &chara;
  const FLOWSTATUSENTRY& e = g_FlowStatusTable[n];
  if (n == CharaStatus::Hp || n == CharaStatus::Sp) {
    const bool bHp = n == CharaStatus::Hp;
    int32_t nPresent = subject.Status(n);
    if (p[15] == 1) nOperand = PercentOf(subject.Status(bHp ? CharaStatus::MaxHp : CharaStatus::MaxSp), nOperand);
    else if (p[15] == 2) nOperand = PercentOf(nPresent, nOperand);
    int32_t nNew = nPresent;
    ApplyAssignOp(&nNew, nOperand, p[5], e.nOpMin, e.nOpMax);
    int32_t nDelta = Saturate32(static_cast<int64_t>(nNew) - nPresent);
    if (bHp) {
      subject.ChangeLife(nDelta, TRUE, p[16] != 0);
      if (bOther && subject.Status(CharaStatus::Hp) <= 0) FlowStage().SetOtherCharaDefeated();
    } else {
      subject.ChangeSp(nDelta, p[16] != 0);
    }
    return;
  }
  if (n == CharaStatus::Sight && subject.IsComputer()) return;
  if (n == CharaStatus::Variable) {
    int32_t& v = subject.Vars().CheckedAt(p[2]);
    if (p[14]) nOperand = PercentOf(v, nOperand);
    ApplyAssignOp(&v, nOperand, p[5], e.nOpMin, e.nOpMax);
    return;
  }
  int32_t nValue = subject.Status(n);
  if (p[14]) nOperand = PercentOf(nValue, nOperand);
  ApplyAssignOp(&nValue, nOperand, p[5], e.nOpMin, e.nOpMax);
  subject.SetStatus(n, AtWidth(nValue, e.nBytes));
  switch (n) {
    case CharaStatus::MaxHp:
      if (subject.Status(CharaStatus::Hp) > nValue) subject.SetStatus(CharaStatus::Hp, nValue);
      if (bOther && subject.Status(CharaStatus::Hp) <= 0) FlowStage().SetOtherCharaDefeated();
      break;
    case CharaStatus::MaxSp:
      if (subject.Status(CharaStatus::Sp) > nValue) subject.SetStatus(CharaStatus::Sp, nValue);
      break;
    case CharaStatus::Sight: subject.SightChanged(FALSE); break;
    case CharaStatus::Stopping: subject.BrakingChanged(); break;
    default: break;
  }
}

}  // namespace

void ExecSetTarget(cFlowChara& chara, cCommandRun&, const FLOWPARAMS& params) {
  chara.ChooseTarget(params.p, 10);
}

void ExecStatusOp(cFlowChara& chara, cCommandRun&, const FLOWPARAMS& p) {
  int32_t nOperand = 0;
  if (!StatusOpOperand(chara, p, nOperand)) return;
  if (p[0] == 1) {
    cVector<int32_t>* pVars = VarsOfScope(p[1]);
    if (!pVars) return;
    int32_t& v = pVars->CheckedAt(p[2]);
    if (p[14]) nOperand = PercentOf(v, nOperand);
    ApplyAssignOp(&v, nOperand, p[5], -999999, 999999);
    return;
  }
  if (p[0] != 0) return;
  if (p[3] == FlowSubject::System) {
    SystemOp(p, nOperand);
    return;
  }
  cFlowChara* pSubject = SubjectChara(chara, p[3]);
  if (pSubject) CharaOp(chara, *pSubject, p, nOperand);
}

void ExecStatusOp2(cFlowChara& chara, cCommandRun&, const FLOWPARAMS& p) {
  if (p[0] == FlowSubject::System) {
    if (p[1] != 0 && p[1] != 1) return;
    cFlowStage& stage = FlowStage();
    BOOL& bAuto = stage.AutoScroll(p[1]);
    bAuto = p[2] != 0;
    stage.SetScrollSpeed(p[1], bAuto, stage.ScrollSpeed(p[1]));
    return;
  }
  cFlowChara* pSubject = SubjectChara(chara, p[0]);
  if (!pSubject || p[1] < 0 || p[1] >= 7) return;
  pSubject->SetCharaSwitch(p[1], p[2]);
  if (p[1] == 0 && pSubject != &chara) FlowStage().SetOtherCharaDefeated();
}
