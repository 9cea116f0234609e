#include "flow/flow_host.h"

#include "records/progress.h"

FLOWCONTEXT g_FlowContext;

namespace {

// Stands in before stage set-up installs the scene: no stage variables, no
// time, no scrolling, no players.
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

 private:
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
