// A chara and a stage for driving the flow engine without stage play: plain
// fields behind the host interface, and a log of the calls that stage play
// would act on.
#pragma once

#include <string>
#include <vector>

#include "flow/flow_host.h"
#include "flow/flow_runner.h"
#include "records/progress.h"

class cFakeChara : public cFlowChara {
 public:
  cFakeChara() {
    m_vVar.assign(9, 0);
    m_anStatus[CharaStatus::Hp] = 100;
    m_anStatus[CharaStatus::MaxHp] = 100;
    m_anStatus[CharaStatus::Sp] = 50;
    m_anStatus[CharaStatus::MaxSp] = 50;
  }
  cVector<cFlowRun>& FlowRuns() override { return m_vRun; }
  FLOWNUMBERFLAGS& FlowNumbers() override { return m_Numbers; }
  cVector<int32_t>& Vars() override { return m_vVar; }
  int32_t Status(int n) override { return m_anStatus[n]; }
  void SetStatus(int n, int32_t v) override { m_anStatus[n] = v; }
  cFlowChara* Target() override { return m_pTarget; }
  BOOL IsComputer() override { return m_bComputer; }
  BOOL IsRemoved() override { return m_bRemoved; }
  BOOL IsInvincible() override { return m_bInvincible; }
  BOOL KeepsSight() override { return m_bKeepsSight; }
  BOOL ChangeLife(int32_t d, BOOL, BOOL bGauge) override {
    m_anStatus[CharaStatus::Hp] += d;
    Log("life " + std::to_string(d) + (bGauge ? " gauge" : ""));
    return m_anStatus[CharaStatus::Hp] <= 0;
  }
  void ChangeSp(int32_t d, BOOL bGauge) override {
    m_anStatus[CharaStatus::Sp] += d;
    Log("sp " + std::to_string(d) + (bGauge ? " gauge" : ""));
  }
  void StartLifeGauge(int32_t d) override { Log("lifegauge " + std::to_string(d)); }
  void StartSpGauge(int32_t d) override { Log("spgauge " + std::to_string(d)); }
  void SightChanged(BOOL bFromCode) override { Log(bFromCode ? "sight code" : "sight"); }
  void BrakingChanged() override { Log("braking"); }
  BOOL TestStateValue(const cEdCondition&) override { return m_bStateValue; }
  BOOL TestStateFlag(const cEdCondition&) override { return m_bStateFlag; }
  BOOL TestPosition(const cEdCondition&) override { return m_bPosition; }
  BOOL KeyConditionsHold(cFlowRun&) override { return m_bKeysHold; }
  int32_t FirstPressedKeyHistory() override { return m_nPressedKey; }
  void ChooseTarget(const int32_t* p, int n) override { Log("target " + std::to_string(n > 0 ? p[0] : -1)); }
  void SetCharaSwitch(int nSwitch, int32_t v) override {
    Log("switch " + std::to_string(nSwitch) + " " + std::to_string(v));
  }

  void Log(const std::string& s) { m_vLog.push_back(s); }

  cVector<cFlowRun> m_vRun;
  FLOWNUMBERFLAGS m_Numbers;
  cVector<int32_t> m_vVar;
  int32_t m_anStatus[CHARA_STATUS_COUNT]{};
  cFlowChara* m_pTarget = nullptr;
  BOOL m_bComputer = FALSE, m_bRemoved = FALSE, m_bInvincible = FALSE, m_bKeepsSight = FALSE;
  BOOL m_bStateValue = FALSE, m_bStateFlag = FALSE, m_bPosition = FALSE, m_bKeysHold = TRUE;
  int32_t m_nPressedKey = 0;
  std::vector<std::string> m_vLog;
};

class cFakeStage : public cFlowStage {
 public:
  cFakeStage() { m_vVar.assign(10, 0); }
  cVector<int32_t>& StageVars() override { return m_vVar; }
  int32_t& TimeCounter() override { return m_nTime; }
  BOOL TimeOn() override { return m_bTimeOn; }
  int32_t& ScrollSpeed(int nAxis) override { return m_anScroll[nAxis]; }
  BOOL& AutoScroll(int nAxis) override { return m_abAuto[nAxis]; }
  void SetScrollSpeed(int nAxis, BOOL bOn, int32_t n) override {
    m_vLog.push_back("scroll " + std::to_string(nAxis) + (bOn ? " on " : " off ") + std::to_string(n));
  }
  void SetOtherCharaDefeated() override { m_bOtherDefeated = TRUE; }
  cFlowChara* FirstPlayer() override { return m_pPlayer; }

  cVector<int32_t> m_vVar;
  int32_t m_nTime = 0;
  BOOL m_bTimeOn = TRUE;
  int32_t m_anScroll[2]{};
  BOOL m_abAuto[2]{};
  BOOL m_bOtherDefeated = FALSE;
  cFlowChara* m_pPlayer = nullptr;
  std::vector<std::string> m_vLog;
};

// Installs a fake stage as the flow context for a test's lifetime and gives
// the common variables ten elements.
class cFakeStageScope {
 public:
  cFakeStageScope() : m_Saved(g_FlowContext), m_vSavedCommon(CommonVars()) {
    g_FlowContext = FLOWCONTEXT{};
    g_FlowContext.m_lpStage = &m_Stage;
    CommonVars().assign(10, 0);
  }
  ~cFakeStageScope() {
    g_FlowContext = m_Saved;
    CommonVars() = m_vSavedCommon;
  }
  cFakeStage m_Stage;

 private:
  FLOWCONTEXT m_Saved;
  cVector<int32_t> m_vSavedCommon;
};
