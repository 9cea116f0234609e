#include "records/database_run_tables.h"

#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

namespace {

// Durations come from files in tenths of a second; a huge one saturates
// instead of overflowing.
int32_t FramesOfTenths(int32_t nTenths) {
  int64_t n = static_cast<int64_t>(nTenths) * 6;
  if (n > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (n < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(n);
}

// The step per frame that takes a value from nFrom to nTo in nTenths tenths
// of a second. The catalogues allow run times from 1; a file's 0 or
// negative time runs as 1 rather than dividing by zero.
double StepOf(int32_t nFrom, int32_t nTo, int32_t nTenths) {
  if (nTenths < 1) nTenths = 1;
  double dist = std::abs(static_cast<double>(nTo) - static_cast<double>(nFrom));
  return dist / (static_cast<double>(nTenths) * 6.0);
}

// Sets the entry to run from p2 to p3 of its record over p1.
void SetStepped(EFFECTRUN& e, cEdKindEffect& r) {
  e.nStart = r.anParam[1];
  e.nEnd = r.anParam[2];
  e.dCurrent = static_cast<double>(r.anParam[1]);
  e.dStep = StepOf(r.anParam[1], r.anParam[2], r.anParam[0]);
}

template <class FRAME>
void BuildSteps(cVector<ANIMESTEP>& steps, const cVector<FRAME>& frames, bool bFirst) {
  steps.assign(frames.size() + 1, ANIMESTEP{0, 0, 0});
  int32_t bCarry = 0;
  for (size_t k = 0; k < frames.size(); ++k) {
    const FRAME& fr = frames[k];
    ANIMESTEP& s = steps[k];
    s.nPattern = fr.nPattern;
    s.nDuration = FramesOfTenths(fr.nTime);
    if (bFirst) {
      // Entry 0 is "none": its steps take no time and cannot be left by a
      // change that is not forced.
      s.nDuration = 0;
      s.bNoInterrupt = 1;
    } else if constexpr (requires { fr.bNoInterrupt; }) {
      // Once a frame forbids interrupting, so does the rest of the animation.
      if (fr.bNoInterrupt) bCarry = 1;
      s.bNoInterrupt = bCarry;
    }
  }
  steps.back() = bFirst ? ANIMESTEP{ANIMESTEP_LOOP, 0, 1} : ANIMESTEP{ANIMESTEP_END, 0, 0};
}

}  // namespace

void BuildAnimeRunTable(ANIMERUNTABLE& table) {
  cVector<cEdAnime>& v = g_Database.m_vecAnime;
  table.clear();
  table.resize(v.size());
  for (size_t i = 0; i < v.size(); ++i) BuildSteps(table[i], v[i].m_vecFrame, i == 0);
}

void BuildEffectRunTable(ANIMERUNTABLE& table) {
  cVector<cEdEffect>& v = g_Database.m_vecEffect;
  table.clear();
  table.resize(v.size());
  for (size_t i = 0; i < v.size(); ++i) BuildSteps(table[i], v[i].m_vecFrame, i == 0);
}

void CharaEffectRunSetup(EFFECTRUN& e, int nEffect, BOOL bReverse) {
  e.nEffect = static_cast<int16_t>(nEffect);
  cEdKindEffect& r = bReverse ? static_cast<cEdKindEffect&>(g_Database.m_vecCharaEffectRev.CheckedAt(nEffect))
                              : static_cast<cEdKindEffect&>(g_Database.m_vecCharaEffect.CheckedAt(nEffect));
  e.lpRecord = &r;
  switch (r.nKind) {
    case 1: case 2: case 3: case 7: case 8: case 9: case 10: case 11: case 12: case 13: case 15: case 16:
      if (bReverse) std::swap(r.anParam[1], r.anParam[2]);
      SetStepped(e, r);
      break;
    case 4: case 5:
      if (bReverse) std::swap(r.anParam[1], r.anParam[2]);
      SetStepped(e, r);
      e.nExtra1 = 0;
      break;
    case 6: case 14:
      e.nStart = 0;
      e.nEnd = r.anParam[0];
      e.dCurrent = 0.0;
      e.dStep = 1.0 / 6.0;
      e.nExtra1 = 0;
      e.nExtra2 = 0;
      break;
    default:
      break;
  }
}

void ScrEffectRunSetup(EFFECTRUN& e, int nEffect, BOOL bReverse) {
  e.nEffect = static_cast<int16_t>(nEffect);
  cEdKindEffect& r = bReverse ? static_cast<cEdKindEffect&>(g_Database.m_vecScrEffectRev.CheckedAt(nEffect))
                              : static_cast<cEdKindEffect&>(g_Database.m_vecScrEffect.CheckedAt(nEffect));
  e.lpRecord = &r;
  switch (r.nKind) {
    case 1:
      // A move has two points, (p2, p3) to (p4, p5); the record keeps them.
      if (bReverse) {
        std::swap(r.anParam[1], r.anParam[3]);
        std::swap(r.anParam[2], r.anParam[4]);
      }
      e.dCurrent = 0.0;
      e.dStep = 1.0 / 6.0;
      break;
    case 2: case 3: case 8:
      e.nStart = 0;
      e.nEnd = 0;
      e.dCurrent = 0.0;
      e.dStep = 1.0 / 6.0;
      e.nExtra1 = 0;
      e.nExtra2 = 0;
      break;
    case 4: case 5: case 9: case 10: case 11: case 12: case 13:
      if (bReverse) std::swap(r.anParam[1], r.anParam[2]);
      SetStepped(e, r);
      break;
    case 6: case 7:
      if (bReverse) std::swap(r.anParam[1], r.anParam[2]);
      SetStepped(e, r);
      e.nExtra1 = 0;
      break;
    default:
      break;
  }
}

void BuildCharaEffectTables(EFFECTRUNTABLE& forward, EFFECTRUNTABLE& reversed) {
  size_t n = g_Database.m_vecCharaEffect.size();
  forward.assign(n, EFFECTRUN());
  reversed.assign(n, EFFECTRUN());
  for (size_t i = 0; i < n; ++i) {
    CharaEffectRunSetup(forward[i], static_cast<int>(i), FALSE);
    CharaEffectRunSetup(reversed[i], static_cast<int>(i), TRUE);
  }
}

void BuildScrEffectTables(EFFECTRUNTABLE& forward, EFFECTRUNTABLE& reversed) {
  size_t n = g_Database.m_vecScrEffect.size();
  forward.assign(n, EFFECTRUN());
  reversed.assign(n, EFFECTRUN());
  for (size_t i = 0; i < n; ++i) {
    ScrEffectRunSetup(forward[i], static_cast<int>(i), FALSE);
    ScrEffectRunSetup(reversed[i], static_cast<int>(i), TRUE);
  }
}

void EffectRunCopyEntry(EFFECTRUN& run, const EFFECTRUN& entry) {
  run.lpRecord = entry.lpRecord;
  run.nStart = entry.nStart;
  run.nEnd = entry.nEnd;
  run.dCurrent = entry.dCurrent;
  run.dStep = entry.dStep;
  run.nExtra1 = entry.nExtra1;
  run.nExtra2 = entry.nExtra2;
}

void BuildDatabaseRunTables() {
  g_Database.CopyEffectWorkLists();
  BuildAnimeRunTable(g_vAnimeRun);
  BuildEffectRunTable(g_vEffectRun);
  BuildCharaEffectTables(g_CharaEffectRun, g_CharaEffectRunRev);
  BuildScrEffectTables(g_ScrEffectRun, g_ScrEffectRunRev);
}
