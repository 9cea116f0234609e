// A chara and a stage for driving the flow engine without stage play: plain
// fields behind the host interface, and a log of the calls that stage play
// would act on.
#pragma once

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "flow/command_run.h"
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

  // Movement: a box of m_dW × m_dH at (m_dX, m_dY); the scroll is not taken
  // off the screen box unless m_pStage is set.
  BOOL FacesRight() override { return m_bRight; }
  void SetFacing(BOOL b) override { m_bRight = b; }
  BOOL FacingFixed() override { return m_bFixed; }
  BOOL CanFly() override { return m_bFly; }
  BOOL IsOnScreen() override { return m_bOnScreen; }
  void ClearScreenPinning() override { m_bPinned = FALSE; }
  void AddFrameMove(double x, double y) override {
    m_dMoveX += x;
    m_dMoveY += y;
  }
  double& InertiaVelocity(int n) override { return m_adInertia[n]; }
  void ClearNoPush(int n) override { m_abNoPush[n] = FALSE; }
  void StartMoveAnimation() override { m_nMoveAnim += 1; }
  void Centre(double& x, double& y) override {
    x = m_dX + m_dW / 2;
    y = m_dY + m_dH / 2;
  }
  void PlacementPosition(double& x, double& y) override {
    x = m_dPlaceX;
    y = m_dPlaceY;
  }
  // Toward the offset without a scroll: the unit vector times the speed, or
  // the speed's sign along one axis.
  BOOL MoveTowardOffset(cCommandRun& run, double dDX, double dDY, int nAxes, BOOL) override;
  RECT ScreenBox() override {
    RECT r;
    r.left = static_cast<LONG>(m_dX - m_dScrollX);
    r.top = static_cast<LONG>(m_dY - m_dScrollY);
    r.right = r.left + static_cast<LONG>(m_dW) - 1;
    r.bottom = r.top + static_cast<LONG>(m_dH) - 1;
    return r;
  }
  BOOL HitWall() override { return m_bHitWall; }
  void ClearHitWall() override { m_bHitWall = FALSE; }
  void ProbeFeetCells(BOOL& l, BOOL& r) override {
    if (m_fnSolid) {
      l = m_fnSolid(m_dX, m_dY + m_dH);
      r = m_fnSolid(m_dX + m_dW - 1, m_dY + m_dH);
    } else {
      l = r = TRUE;
    }
  }
  double RiddenMoveX() override { return m_dRidden; }
  BOOL FollowSlope(double&, double&) override { return FALSE; }
  void DisableMove() override {
    m_dMoveX = m_dMoveY = 0;
    m_adInertia[0] = m_adInertia[1] = 0;
    m_bPinned = FALSE;
    m_bMoveDisabled = TRUE;
  }
  BOOL MoveDisabled() override { return m_bMoveDisabled; }
  BOOL StartJump(cCommandRun& run) override {
    if (m_bInAir) return FALSE;
    m_bInAir = TRUE;
    m_dJumpSpeed = run.m_dSpeed;
    return TRUE;
  }
  int32_t LastBlockHitSide() override { return m_nBlockSide; }
  int32_t StepFactor() override { return m_nStep; }
  void Position(double& x, double& y) override {
    x = m_dX;
    y = m_dY;
  }
  void BoxSize(double& w, double& h) override {
    w = m_dW;
    h = m_dH;
  }
  void MoveAxis(int n, double d) override { (n == 0 ? m_dX : m_dY) += d; }
  void SetPosition(double x, double y) override {
    m_dX = x;
    m_dY = y;
  }
  void WarpToCell(int32_t c, int32_t r) override {
    m_dX = c * 32.0;
    m_dY = r * 32.0;
  }
  void SaveWarpOrigin() override {
    m_dSavedX = m_dX;
    m_dSavedY = m_dY;
  }
  void RestoreWarpOrigin() override {
    m_dX = m_dSavedX;
    m_dY = m_dSavedY;
  }
  BOOL WarpSpotFree() override {
    if (m_dX < 0 || m_dY < 0 || m_dX + m_dW > m_dStageW || m_dY + m_dH > m_dStageH) return FALSE;
    return !(m_fnSolid && m_fnSolid(m_dX + m_dW / 2, m_dY + m_dH / 2));
  }
  void ClearVerticalMove() override { m_dMoveY = 0; }
  void PinToScreen(double x, double y) override {
    m_bPinned = TRUE;
    Log("pin " + std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)));
  }
  void Launch(int nKind, cCommandRun&, const cEdShot& shot) override {
    Log("launch " + std::to_string(nKind) + " pattern " + std::to_string(shot.m_byPattern));
  }
  void AddSword(cCommandRun&, const cEdShot&, int32_t w, int32_t h) override {
    Log("sword " + std::to_string(w) + "x" + std::to_string(h));
  }
  void SetGraphic(int32_t a, int32_t b, int32_t c) override {
    Log("graphic " + std::to_string(a) + " " + std::to_string(b) + " " + std::to_string(c));
  }
  void SetBaseAnimeSet(int32_t n) override { Log("animeset " + std::to_string(n)); }
  void AddFlowAnime(int32_t n, int32_t tag) override { m_vAnime.push_back({n, tag, 0}); }
  void AddLeadInAnime(int32_t n, int32_t tag, int32_t skip, int32_t hold) override {
    m_vAnime.push_back({n, tag, 0});
    Log("leadin " + std::to_string(n) + " skip " + std::to_string(skip) + " hold " + std::to_string(hold));
  }
  void RemoveFlowAnimes(int32_t tag) override {
    std::erase_if(m_vAnime, [tag](const FAKEANIME& a) { return a.nTag == tag; });
  }
  void StopFlowAnimes(int32_t tag) override {
    for (FAKEANIME& a : m_vAnime)
      if (a.nTag == tag) a.bStopping = 1;
  }
  void ResumeFlowAnimes(int32_t tag) override {
    for (FAKEANIME& a : m_vAnime)
      if (a.nTag == tag) a.bStopping = 0;
  }
  void StartCharaEffect(int32_t n, int32_t m, int32_t r) override {
    Log("charaeffect " + std::to_string(n) + " " + std::to_string(m) + " " + std::to_string(r));
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

  struct FAKEANIME {
    int32_t nAnime, nTag, bStopping;
  };
  BOOL m_bRight = TRUE, m_bFixed = FALSE, m_bFly = FALSE, m_bOnScreen = TRUE, m_bPinned = FALSE;
  BOOL m_bHitWall = FALSE, m_bMoveDisabled = FALSE, m_bInAir = FALSE;
  BOOL m_abNoPush[2] = {TRUE, TRUE};
  double m_dX = 0, m_dY = 0, m_dW = 32, m_dH = 32, m_dPlaceX = 0, m_dPlaceY = 0;
  double m_dScrollX = 0, m_dScrollY = 0, m_dStageW = 640, m_dStageH = 480;
  double m_dMoveX = 0, m_dMoveY = 0, m_adInertia[2] = {0, 0}, m_dRidden = 0, m_dJumpSpeed = 0;
  double m_dSavedX = 0, m_dSavedY = 0;
  int32_t m_nMoveAnim = 0, m_nBlockSide = -1, m_nStep = 0;
  // Solid block test at a stage pixel; null: solid ground everywhere, no walls.
  std::function<BOOL(double, double)> m_fnSolid;
  std::vector<FAKEANIME> m_vAnime;
};

inline BOOL cFakeChara::MoveTowardOffset(cCommandRun& run, double dDX, double dDY, int nAxes, BOOL) {
  const double s = run.m_dSpeed;
  if (nAxes == 1) dDY = 0;
  if (nAxes == 2) dDX = 0;
  const double dLen = std::sqrt(dDX * dDX + dDY * dDY);
  run.m_dVelocityX = dLen > 0 ? dDX / dLen * s : 0;
  run.m_dVelocityY = dLen > 0 ? dDY / dLen * s : 0;
  return dLen < std::fabs(s);
}

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
  int32_t& StageClearRequest() override { return m_nClearRequest; }
  int32_t& NextStage() override { return m_nNextStage; }
  int32_t CommandTick() override { return m_nTick; }
  double SpeedDiv() override { return m_dSpeedDiv; }
  double ScrollPos(int n) override { return m_adScrollPos[n]; }
  BOOL ScrollHeld() override { return m_bScrollHeld; }
  int32_t StageSize(int n) override { return m_anStageSize[n]; }
  int32_t FirstCell(int n) override { return m_anFirstCell[n]; }
  int32_t ViewOffset(int n) override { return m_anViewOffset[n]; }
  void RequestSound(int32_t n) override { m_vLog.push_back("UM_PLAYSE " + std::to_string(n)); }
  void RequestBgm(int32_t n, int32_t o) override {
    m_vLog.push_back("UM_PLAYBGM " + std::to_string(n) + " loop " + std::to_string(o));
  }
  BOOL MessageSkip() override { return m_bMessageSkip; }
  int FindNumberedMessage(int32_t n) override {
    for (size_t i = 0; i < m_vText.size(); ++i)
      if (m_vText[i].bNumbered && m_vText[i].nNumber == n) return static_cast<int>(i);
    return -1;
  }
  int ShowMessage(const FLOWPARAMS& p, const std::string& text, cFlowChara* pAnchor, BOOL bContinue,
                  int nReplace) override {
    FAKETEXT t{text, p[12] != 0, p[13], pAnchor, p[6]};
    if (nReplace >= 0) {
      m_vText[nReplace] = t;
      return nReplace;
    }
    if (bContinue && !m_vText.empty()) {
      m_vText.back() = t;
      m_vLog.push_back("continue " + text);
      return static_cast<int>(m_vText.size()) - 1;
    }
    m_vText.push_back(t);
    m_vLog.push_back("message " + text);
    return static_cast<int>(m_vText.size()) - 1;
  }
  int AddWaitText(int32_t n) override {
    m_vText.push_back(FAKETEXT{"", false, 0, nullptr, 2});
    m_vLog.push_back("waittext " + std::to_string(n));
    return static_cast<int>(m_vText.size()) - 1;
  }
  void TakeDownText(int i) override {
    if (i >= 0 && i < static_cast<int>(m_vText.size())) m_vText.erase(m_vText.begin() + i);
  }
  void SetGameWait(int32_t n) override { m_vLog.push_back("gamewait " + std::to_string(n)); }
  void ArmKeyWait(int nWaiter, BOOL bKey, int32_t n, BOOL bMsg) override {
    m_vLog.push_back("keywait " + std::to_string(nWaiter) + (bKey ? " key " : " time ") + std::to_string(n) +
                     (bMsg ? " shared" : ""));
  }
  BOOL RunPauseThread() override {
    m_vLog.push_back("pause texts=" + std::to_string(m_vText.size()) + " pictures=" + std::to_string(m_vPicture.size()));
    if (m_fnPause) m_fnPause();
    return FALSE;
  }
  void ClearEffects() override { m_vLog.push_back("effects cleared"); }
  void AddEffect(int32_t n, double x, double y, int32_t w, int32_t h, int32_t wait) override {
    m_vLog.push_back("effect " + std::to_string(n) + " at " + std::to_string(static_cast<int>(x)) + "," +
                     std::to_string(static_cast<int>(y)) + " " + std::to_string(w) + "x" + std::to_string(h) +
                     " wait " + std::to_string(wait));
  }
  void ClearPictures() override { m_vPicture.clear(); }
  int FindNumberedPicture(int32_t n) override {
    for (size_t i = 0; i < m_vPicture.size(); ++i)
      if (m_vPicture[i].bNumbered && m_vPicture[i].nNumber == n) return static_cast<int>(i);
    return -1;
  }
  void TakeDownPicture(int i) override {
    if (i >= 0 && i < static_cast<int>(m_vPicture.size())) m_vPicture.erase(m_vPicture.begin() + i);
  }
  BOOL LoadPicture(const std::string& f, BOOL bScaled, int32_t& w, int32_t& h) override {
    m_vLog.push_back("load " + f + (bScaled ? " scaled" : ""));
    if (f.empty() || f == "missing.bmp") return FALSE;
    w = m_nPictureW;
    h = m_nPictureH;
    return TRUE;
  }
  int ShowPicture(int nAt, const FLOWPICTURE& pic) override {
    if (nAt >= 0 && nAt <= static_cast<int>(m_vPicture.size())) {
      m_vPicture.insert(m_vPicture.begin() + nAt, pic);
      return nAt;
    }
    m_vPicture.push_back(pic);
    return static_cast<int>(m_vPicture.size()) - 1;
  }
  void SetScreenColor(const FLOWPARAMS& p) override {
    m_vLog.push_back("screencolor " + std::to_string(p[0]) + " " + std::to_string(p[5]));
  }
  int32_t BackgroundLayerCount() override { return static_cast<int32_t>(m_vLayer.size()); }
  BOOL& BackgroundVisible(int n) override { return m_vLayer[n]; }
  void StartScreenEffect(int32_t n, int32_t m, int32_t r) override {
    m_vLog.push_back("screeneffect " + std::to_string(n) + " " + std::to_string(m) + " " + std::to_string(r));
  }
  int32_t RunPaletteItem(int32_t src, int32_t n) override {
    m_vLog.push_back("item " + std::to_string(src) + " " + std::to_string(n));
    return m_nItemResult;
  }

  cVector<int32_t> m_vVar;
  int32_t m_nTime = 0;
  BOOL m_bTimeOn = TRUE;
  int32_t m_anScroll[2]{};
  BOOL m_abAuto[2]{};
  BOOL m_bOtherDefeated = FALSE;
  cFlowChara* m_pPlayer = nullptr;
  std::vector<std::string> m_vLog;

  struct FAKETEXT {
    std::string strText;
    bool bNumbered;
    int32_t nNumber;
    cFlowChara* pAnchor;
    int32_t nDuration;
  };
  int32_t m_nClearRequest = 0, m_nNextStage = 0, m_nTick = 1;
  double m_dSpeedDiv = 1.0, m_adScrollPos[2] = {0, 0};
  BOOL m_bScrollHeld = FALSE, m_bMessageSkip = FALSE;
  int32_t m_anStageSize[2] = {640, 480}, m_anFirstCell[2] = {0, 0}, m_anViewOffset[2] = {0, 0};
  std::vector<FAKETEXT> m_vText;
  std::vector<FLOWPICTURE> m_vPicture;
  int32_t m_nPictureW = 64, m_nPictureH = 48, m_nItemResult = 0;
  std::vector<BOOL> m_vLayer;
  // Runs inside the pause thread's wait, as a frozen frame would.
  std::function<void()> m_fnPause;
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
