#include "flow/flow_host.h"

#include "records/progress.h"

FLOWCONTEXT g_FlowContext;

namespace {

// Stands in before stage set-up installs the scene: no stage variables, no
// time, no scrolling, no players, no texts (messages are skipped), no
// pictures and no window to send requests to.
class cNoStage : public cFlowStage {
 public:
  cVector<int32_t>& StageVars() override { return m_vVar; }
  int32_t& TimeCounter() override { return m_nTime; }
  BOOL TimeOn() override { return FALSE; }
  int32_t& ScrollSpeed(int nAxis) override { return m_anScroll[nAxis == 1 ? 1 : 0]; }
  BOOL& AutoScroll(int nAxis) override { return m_abAuto[nAxis == 1 ? 1 : 0]; }
  void SetScrollSpeed(int, BOOL, int32_t) override {}
  void SetOtherCharaDefeated() override {}
  cFlowChara* FirstPlayer() override { return nullptr; }
  int32_t& StageClearRequest() override { return m_nClear; }
  int32_t& NextStage() override { return m_nNext; }
  int32_t CommandTick() override { return 1; }
  double SpeedDiv() override { return 1.0; }
  double ScrollPos(int) override { return 0; }
  BOOL ScrollHeld() override { return FALSE; }
  int32_t StageSize(int nAxis) override { return nAxis == 1 ? 480 : 640; }
  int32_t FirstCell(int) override { return 0; }
  int32_t ViewOffset(int) override { return 0; }
  void RequestSound(int32_t) override {}
  void RequestBgm(int32_t, int32_t) override {}
  BOOL MessageSkip() override { return TRUE; }
  int FindNumberedMessage(int32_t) override { return -1; }
  int ShowMessage(const FLOWPARAMS&, const std::string&, cFlowChara*, BOOL, int) override { return -1; }
  int AddWaitText(int32_t) override { return -1; }
  void TakeDownText(int) override {}
  void SetGameWait(int32_t) override {}
  void ArmKeyWait(int, BOOL, int32_t, BOOL) override {}
  BOOL RunPauseThread() override { return FALSE; }
  void ClearEffects() override {}
  void AddEffect(int32_t, double, double, int32_t, int32_t, int32_t) override {}
  void ClearPictures() override {}
  int FindNumberedPicture(int32_t) override { return -1; }
  void TakeDownPicture(int) override {}
  BOOL LoadPicture(const std::string&, BOOL, int32_t&, int32_t&) override { return FALSE; }
  int ShowPicture(int, const FLOWPICTURE&) override { return -1; }
  void SetScreenColor(const FLOWPARAMS&) override {}
  int32_t BackgroundLayerCount() override { return 0; }
  BOOL& BackgroundVisible(int) override { return m_bLayer; }
  void StartScreenEffect(int32_t, int32_t, int32_t) override {}
  int32_t RunPaletteItem(int32_t, int32_t) override { return 0; }

 private:
  int32_t m_nClear = 0, m_nNext = 0;
  BOOL m_bLayer = FALSE;
  cVector<int32_t> m_vVar;
  int32_t m_nTime = 0;
  int32_t m_anScroll[2]{};
  BOOL m_abAuto[2]{};
};

}  // namespace

cFlowStage& FlowStage() {
  thread_local cNoStage s_NoStage;
  return g_FlowContext.m_lpStage ? *g_FlowContext.m_lpStage : s_NoStage;
}

cVector<int32_t>& CommonVars() { return g_Progress.m_vVar; }
