#include "flow/lead_in_anime.h"

#include <algorithm>
#include <climits>

#include "flow/flow_host.h"
#include "flow/flow_runner.h"
#include "flow/value_ops.h"
#include "records/database.h"

namespace {

// 6 × the tenths of the animation's frames before its first control frame;
// -1 for an animation the database does not hold.
int64_t LeadInLength(int nAnime) {
  cVector<cEdAnime>& vAnime = g_Database.m_vecAnime;
  if (nAnime <= 0 || static_cast<size_t>(nAnime) >= vAnime.size()) return -1;
  int64_t nTenths = 0;
  for (const cEdAnimeFrame& f : vAnime[nAnime].m_vecFrame) {
    if (f.nPattern < 0) break;
    nTenths += f.nTime;
  }
  return nTenths * 6;
}

bool IsSequential(const cCommandRun& c) { return !c.m_lpCommand || c.m_lpCommand->m_byWithNext != 1; }

}  // namespace

void BuildLeadInSchedule(cFlowRun& run, const FLOWTIMING& timing) {
  run.m_vLeadIn.clear();
  // A frame factor of 0 would divide by 0 below; it counts as 1.
  const int64_t nFactor = timing.nFrameFactor > 0 ? timing.nFrameFactor : 1;
  int64_t nStart = 0;  // flow frame at which command j starts
  for (size_t j = 0; j < run.m_vCommand.size(); ++j) {
    const cCommandRun& c = run.m_vCommand[j];
    const cEdCommand* pCmd = c.m_lpCommand;
    int64_t nL6 = pCmd && pCmd->m_nAnime != 0 ? LeadInLength(pCmd->m_nAnime) : -1;
    if (nL6 >= 0) {
      const int64_t nLf = nL6 * timing.nFrameFactor;
      int64_t nRemaining = nLf;
      for (size_t k = j; k-- > 0 && nRemaining > 0;)
        if (IsSequential(run.m_vCommand[k])) nRemaining -= run.m_vCommand[k].m_nDuration;
      LEADINANIME e;
      e.nAnime = pCmd->m_nAnime;
      if (nRemaining <= 0) {
        e.nStartFrame = Saturate32(nStart - nLf);
      } else {
        e.nStartFrame = 0;
        e.nSkip = Saturate32(std::min(nRemaining / nFactor, nL6));
      }
      e.nLength = Saturate32(nL6 - e.nSkip);
      e.nCommandTime = Saturate32(static_cast<int64_t>(pCmd->m_nTimeBase) * 6);
      e.bHold = pCmd->m_byKind == FlowCommandKind::Jump || pCmd->m_byKind == FlowCommandKind::Sword ? 0 : 1;
      run.m_vLeadIn.push_back(e);
    }
    if (IsSequential(c)) nStart += c.m_nDuration;
  }
}

void StartLeadInAnimations(cFlowChara& chara) {
  for (cFlowRun& run : chara.FlowRuns()) {
    if (!run.m_bRunning || run.m_bPaused) continue;
    for (const LEADINANIME& e : run.m_vLeadIn) {
      if (e.nStartFrame != run.m_nFrame) continue;
      int32_t nHold = e.bHold && e.nCommandTime >= 2 ? e.nCommandTime - 1 : 0;
      chara.AddLeadInAnime(e.nAnime, run.m_nEffectTag, e.nSkip, nHold);
    }
  }
}
