#include "play/key_conditions.h"

#include <algorithm>

namespace {

// Left and right trade places for a chara facing left: left/right,
// left+up/right+up, left+down/right+down.
int SwappedLog(int k) {
  switch (k) {
    case 1: return 2;
    case 2: return 1;
    case 5: return 7;
    case 7: return 5;
    case 6: return 8;
    case 8: return 6;
    default: return k;
  }
}

int RunsOf(const KEYLOGS& logs, int k) {
  return static_cast<int>(std::min<size_t>(logs.aLog[k].size(), KEY_LOG_RUNS));
}

int LengthOf(const KEYLOGS& logs, int k, int i) {
  return static_cast<int>(std::min<uint32_t>(logs.aLog[k][i].dwFrames, 0x7FFFFFFF));
}

// The combination of the keys' results by the condition's mode.
struct COMBINE {
  int nMatched = 0;
  int nFailed = 0;
  int nSpan = 0;
  void Match(int nMode, int f) {
    if (nMode == 0) nSpan = nMatched == 0 ? f : std::min(nSpan, f);
    else if (nMode == 1) nSpan = nMatched == 0 ? f : std::max(nSpan, f);
    else nSpan = f;
    ++nMatched;
  }
  bool Holds(int nMode) const {
    switch (nMode) {
      case 0: return nFailed == 0;
      case 1: return nMatched >= 1;
      case 2: return nMatched == 1;
      default: return true;
    }
  }
};

int KeyCount(const cEdKeyCondition& cond) {
  // The list's length comes from the file; only the 19 logs exist.
  return std::min<int>(static_cast<int>(cond.m_vecKeyState.size()), KEY_LOGS);
}

}  // namespace

KEYCURSOR KeyCursorNow(const KEYLOGS& logs) {
  KEYCURSOR c{};
  for (int k = 0; k < KEY_LOGS; ++k) {
    c.anRun[k] = 0;
    c.anCount[k] = RunsOf(logs, k) > 0 ? LengthOf(logs, k, 0) : 0;
  }
  return c;
}

void UpdateKeyHistory(KEYCURSOR& c, const KEYLOGS& logs, int n) {
  for (int k = 0; k < KEY_LOGS; ++k) {
    const int nRuns = RunsOf(logs, k);
    if (nRuns == 0) continue;
    int& i = c.anRun[k];
    int& f = c.anCount[k];
    i = std::clamp(i, 0, nRuns - 1);
    // Whole runs at a time: a key held for minutes costs no more than a tap.
    if (n < 0) {
      int64_t left = -static_cast<int64_t>(n);
      while (left > 0) {
        if (left < f) {
          f -= static_cast<int>(left);
          break;
        }
        left -= f;
        f = 0;
        // Beyond the run's start: the next older run, whole.
        if (i + 1 >= nRuns) break;
        ++i;
        f = LengthOf(logs, k, i);
      }
    } else {
      int64_t left = n;
      while (left > 0) {
        const int nLen = LengthOf(logs, k, i);
        const int64_t room = nLen - f;
        if (left <= room) {
          f += static_cast<int>(left);
          break;
        }
        left -= std::max<int64_t>(room, 0);
        f = nLen;
        if (i == 0) break;
        --i;
        f = std::min(1, LengthOf(logs, k, i));
        --left;
      }
    }
  }
}

int TestKeyState(const KEYRUN& run, int nFrames, const cEdKeyCondition& cond, uint8_t byState) {
  if (byState == 1) {
    if (!run.dwState) return 0;
    if (cond.m_byAnyLength) return nFrames >= 1 ? 1 : 0;
    return (cond.m_nMinFrames <= nFrames && nFrames <= cond.m_nMaxFrames) ? 1 : 0;
  }
  if (byState == 2) return (!run.dwState && nFrames >= 1) ? 1 : 0;
  return 0;
}

bool KeyConditionMatches(const cEdKeyCondition& cond, const KEYCURSOR& cursor, const KEYLOGS& logs, bool bFacingLeft,
                         int& nSpan) {
  const bool bSwap = cond.m_byFacingRelative == 1 && bFacingLeft;
  const int nMode = cond.m_byComboMode;
  COMBINE comb;
  for (int k = 0; k < KeyCount(cond); ++k) {
    const uint8_t byState = cond.m_vecKeyState[k];
    if (byState == 0) continue;
    const int log = bSwap ? SwappedLog(k) : k;
    bool bHolds = false;
    int f = 0;
    if (RunsOf(logs, log) > 0) {
      const int i = std::clamp(cursor.anRun[log], 0, RunsOf(logs, log) - 1);
      f = cursor.anCount[log];
      bHolds = TestKeyState(logs.aLog[log][i], f, cond, byState) != 0;
    }
    if (bHolds) comb.Match(nMode, f);
    else ++comb.nFailed;
  }
  nSpan = comb.nSpan;
  return comb.Holds(nMode);
}

bool KeySequenceMatches(std::span<const cEdKeyCondition* const> conds, int nTolerance, const KEYLOGS& logs,
                        bool bFacingLeft) {
  if (conds.empty()) return false;
  KEYCURSOR cursor = KeyCursorNow(logs);
  int i = static_cast<int>(conds.size()) - 1;
  int nSpan = 0;
  if (!conds[i] || !KeyConditionMatches(*conds[i], cursor, logs, bFacingLeft, nSpan)) return false;
  while (i > 0) {
    UpdateKeyHistory(cursor, logs, -nSpan);
    --i;
    if (!conds[i]) return false;
    const cEdKeyCondition& cond = *conds[i];
    if (KeyConditionMatches(cond, cursor, logs, bFacingLeft, nSpan)) continue;
    if (nTolerance <= 0) return false;
    const KEYCURSOR saved = cursor;
    bool bFound = false;
    for (int t = 0; t < nTolerance && !bFound; ++t) {
      UpdateKeyHistory(cursor, logs, -1);
      bFound = KeyConditionMatches(cond, cursor, logs, bFacingLeft, nSpan);
    }
    if (bFound) continue;
    cursor = saved;
    UpdateKeyHistory(cursor, logs, 1);
    if (!KeyConditionMatches(cond, cursor, logs, bFacingLeft, nSpan)) return false;
  }
  return true;
}

bool KeyConditionHeldNow(const KEYLOGS& logs, const cEdKeyCondition& cond) {
  const int nMode = cond.m_byComboMode;
  COMBINE comb;
  for (int k = 0; k < KeyCount(cond); ++k) {
    const uint8_t byState = cond.m_vecKeyState[k];
    if (byState == 0) continue;
    const bool bHeld = RunsOf(logs, k) > 0 && logs.aLog[k][0].dwState != 0;
    const bool bHolds = (byState == 1 && bHeld) || (byState == 2 && !bHeld);
    if (bHolds) comb.Match(nMode, 0);
    else ++comb.nFailed;
  }
  return comb.Holds(nMode);
}
