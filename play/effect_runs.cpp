#include "play/effect_runs.h"

#include <cmath>

#include "base/report.h"
#include "play/play_math.h"

namespace {

// The entry of the run's direction, or null (with a report line) when the
// number lies outside the table.
const EFFECTRUN* EntryOf(const EFFECTRUNTABLE& forward, const EFFECTRUNTABLE& reversed, const EFFECTRUN& run,
                         const char* pszWhat) {
  const EFFECTRUNTABLE& t = run.bReverse ? reversed : forward;
  if (run.nEffect < 0 || static_cast<size_t>(run.nEffect) >= t.size()) {
    Reportf("%s effect %d is not in the database (%d entries)", pszWhat, run.nEffect, static_cast<int>(t.size()));
    return nullptr;
  }
  return &t[run.nEffect];
}

void Start(EFFECTRUN& run, const EFFECTRUNTABLE& forward, const EFFECTRUNTABLE& reversed, int nEffect,
           uint32_t nMode, uint32_t bRepeat, const char* pszWhat) {
  run.bReverse = nMode == EFFECTMODE_REVERSED ? 1 : 0;
  run.nEffect = static_cast<int16_t>(nEffect);
  run.nMode = nMode;
  run.bRepeat = bRepeat;
  run.nFrame = 0;
  const EFFECTRUN* e = nEffect == run.nEffect ? EntryOf(forward, reversed, run, pszWhat) : nullptr;
  if (!e) {
    EffectRunReset(run);
    return;
  }
  EffectRunCopyEntry(run, *e);
}

void Restart(EFFECTRUN& run, const EFFECTRUNTABLE& forward, const EFFECTRUNTABLE& reversed, const char* pszWhat) {
  if (run.nMode == EFFECTMODE_BACK_AND_FORTH) run.bReverse = run.bReverse ? 0 : 1;
  run.nFrame = 0;
  const EFFECTRUN* e = EntryOf(forward, reversed, run, pszWhat);
  if (!e) {
    EffectRunReset(run);
    return;
  }
  EffectRunCopyEntry(run, *e);
}

// The end of a run: finished, or started again.
int AtEnd(EFFECTRUN& run, void (*pfnRestart)(EFFECTRUN&)) {
  const bool bDone = !run.bRepeat && (run.nMode != EFFECTMODE_BACK_AND_FORTH || run.bReverse);
  if (bDone || !run.lpRecord) return 1;
  pfnRestart(run);
  return 0;
}

// A step of 0, negative or not a number never reaches the end (an effect
// record with a run time of 0); such a run ends at once.
bool UsableStep(double d) { return d > 0.0 && std::isfinite(d); }

}  // namespace

void EffectRunReset(EFFECTRUN& run) {
  run.nEffect = 0;
  run.lpRecord = nullptr;
  run.bRepeat = 0;
  run.bReverse = 0;
}

void CharaEffectStart(EFFECTRUN& run, int nEffect, uint32_t nMode, uint32_t bRepeat) {
  Start(run, g_CharaEffectRun, g_CharaEffectRunRev, nEffect, nMode, bRepeat, "chara");
}

void CharaEffectRestart(EFFECTRUN& run) { Restart(run, g_CharaEffectRun, g_CharaEffectRunRev, "chara"); }

int CharaEffectStep(EFFECTRUN& run) {
  if (!run.lpRecord) return 1;
  if (UsableStep(run.dStep)) {
    if (run.nStart > run.nEnd) {
      run.dCurrent -= run.dStep;
      if (run.dCurrent >= run.nEnd) return 0;
    } else {
      run.dCurrent += run.dStep;
      if (run.dCurrent <= run.nEnd) return 0;
    }
  }
  return AtEnd(run, CharaEffectRestart);
}

void ScreenEffectStart(EFFECTRUN& run, int nEffect, uint32_t nMode, uint32_t bRepeat) {
  Start(run, g_ScrEffectRun, g_ScrEffectRunRev, nEffect, nMode, bRepeat, "screen");
}

void ScreenEffectRestart(EFFECTRUN& run) { Restart(run, g_ScrEffectRun, g_ScrEffectRunRev, "screen"); }

int ScreenEffectStep(EFFECTRUN& run, int nFrom, int nTo, double dStep) {
  if (!run.lpRecord) return 1;
  if (UsableStep(dStep)) {
    if (nFrom > nTo) {
      run.dCurrent -= dStep;
      if (TruncToInt(run.dCurrent) >= nTo) return 0;
    } else {
      run.dCurrent += dStep;
      if (TruncToInt(run.dCurrent) <= nTo) return 0;
    }
  }
  return AtEnd(run, ScreenEffectRestart);
}
