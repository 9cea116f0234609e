// The key-condition test: a flow's key conditions held, released and in
// sequence against the recent history of player 1's 19 key logs (ten
// direction logs, nine button logs; runs newest first).
#pragma once

#include <cstdint>
#include <span>

#include "records/flow_records.h"

constexpr int KEY_LOGS = 19;
constexpr int KEY_LOG_RUNS = 32;

// One run of a key log, laid out as the input's own runs.
struct KEYRUN {
  uint32_t dwState;   // nonzero while held
  uint32_t dwFrames;  // length
};

// Player 1's logs; an empty span for a log the input does not have.
struct KEYLOGS {
  std::span<const KEYRUN> aLog[KEY_LOGS];
};

// A point in the past: per log a run index and that run's frames up to it.
struct KEYCURSOR {
  int anRun[KEY_LOGS];
  int anCount[KEY_LOGS];
};

// The cursor at the current frame (run 0, its whole length).
KEYCURSOR KeyCursorNow(const KEYLOGS& logs);
// Moves the cursor by n frames: toward the past for negative n.
void UpdateKeyHistory(KEYCURSOR& cursor, const KEYLOGS& logs, int n);
// State byte 1 (held for a length in range) or 2 (released) of one run.
int TestKeyState(const KEYRUN& run, int nFrames, const cEdKeyCondition& cond, uint8_t byState);

// Whether the condition holds at the cursor; nSpan takes the frames the
// match covers. bFacingLeft: the chara whose flow is tested faces left
// (left and right keys trade places when the condition asks for it).
bool KeyConditionMatches(const cEdKeyCondition& cond, const KEYCURSOR& cursor, const KEYLOGS& logs, bool bFacingLeft,
                         int& nSpan);
// The conditions, oldest first, entered in this order, each within the
// tolerance (frames) of the one after it.
bool KeySequenceMatches(std::span<const cEdKeyCondition* const> conds, int nTolerance, const KEYLOGS& logs,
                        bool bFacingLeft);
// The condition's keys held or released in the current frame only.
bool KeyConditionHeldNow(const KEYLOGS& logs, const cEdKeyCondition& cond);
