#include "play/key_conditions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "records/flow_enums.h"

namespace {

// Key logs recorded from a history of frames, oldest first, as the input
// records them: per log one run per stretch of frames in which its pattern
// held or did not, newest first, 32 runs in all.
class cLogs {
 public:
  // Each frame: a direction letter (. none, L R U D, l = left+up,
  // d = left+down, r = right+up, e = right+down) and whether button 0 is down.
  cLogs(const std::string& dirs, const std::string& button0) {
    for (int k = 0; k < KEY_LOGS; ++k) {
      for (size_t f = 0; f < dirs.size(); ++f) {
        const bool bHeld = Held(k, Bits(dirs[f]), f < button0.size() && button0[f] == 'B');
        if (m_v[k].empty() || (m_v[k].front().dwState != 0) != bHeld) {
          m_v[k].insert(m_v[k].begin(), KEYRUN{bHeld ? 1u : 0u, 0});
        }
        ++m_v[k].front().dwFrames;
      }
      m_v[k].resize(KEY_LOG_RUNS, KEYRUN{0, 0});
      m_Logs.aLog[k] = m_v[k];
    }
  }
  const KEYLOGS& Logs() const { return m_Logs; }

 private:
  static uint16_t Bits(char c) {
    switch (c) {
      case 'L': return 1;
      case 'R': return 2;
      case 'U': return 4;
      case 'D': return 8;
      case 'l': return 5;
      case 'd': return 9;
      case 'r': return 6;
      case 'e': return 10;
      default: return 0;
    }
  }
  static bool Held(int k, uint16_t dir, bool bButton) {
    static const int kPattern[9] = {0, 1, 2, 4, 8, 5, 9, 6, 10};
    if (k < 9) return dir == kPattern[k];
    if (k == 9) return dir != 0;
    if (k == 10) return !bButton;
    return k == 11 && bButton;
  }
  std::vector<KEYRUN> m_v[KEY_LOGS];
  KEYLOGS m_Logs;
};

enum { K_LEFT = 1, K_RIGHT = 2, K_DOWN = 4, K_BUTTON0 = 11 };

cEdKeyCondition Cond(std::initializer_list<std::pair<int, uint8_t>> keys, uint8_t byMode = 0, uint8_t byFacing = 0) {
  cEdKeyCondition c;
  c.SetDefaults();
  for (auto [k, s] : keys) c.m_vecKeyState[k] = s;
  c.m_nMinFrames = 1;
  c.m_nMaxFrames = 1000;
  c.m_byComboMode = byMode;
  c.m_byFacingRelative = byFacing;
  return c;
}

TEST(KeySequence, StartsWithinTheToleranceAndTheFacing) {
  const cEdKeyCondition down = Cond({{K_DOWN, 1}});
  const cEdKeyCondition right = Cond({{K_RIGHT, 1}}, 0, 1);
  const cEdKeyCondition button = Cond({{K_BUTTON0, 1}});
  struct CASE {
    const char* pszDirs;
    const char* pszButton;
    const cEdKeyCondition* first;
    int nTolerance;
    bool bFacingLeft;
    bool bStarts;
  } cases[] = {
      // Down, then right straight after.
      {"DDDDDRRR", "", &down, 0, false, true},
      {"DDDDD.RRR", "", &down, 0, false, false},
      {"DDDDD.RRR", "", &down, 3, false, true},
      {"DDDDD...RRR", "", &down, 3, false, true},
      {"DDDDD....RRR", "", &down, 3, false, false},
      // Right is released: the last condition does not hold now.
      {"DDDDDRRR.", "", &down, 3, false, false},
      // The button pressed together with right: one frame later than the
      // frame before right, found only by the tolerance's retry.
      {".....RRR", ".....B..", &button, 0, false, false},
      {".....RRR", ".....B..", &button, 3, false, true},
      // Facing left, the right key means left.
      {"DDDDDLLL", "", &down, 0, true, true},
      {"DDDDDLLL", "", &down, 0, false, false},
      {"DDDDDRRR", "", &down, 0, true, false},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(testing::Message() << c.pszDirs << " / " << c.pszButton << " tol " << c.nTolerance << " left "
                                    << c.bFacingLeft);
    cLogs logs(c.pszDirs, c.pszButton);
    const cEdKeyCondition* seq[] = {c.first, &right};
    EXPECT_EQ(KeySequenceMatches(seq, c.nTolerance, logs.Logs(), c.bFacingLeft), c.bStarts);
  }
}

TEST(KeyCondition, ModesLengthsAndReleasedKeys) {
  cLogs logs("..DDDDLLL", "BBBBBBBBB");
  struct CASE {
    const char* pszName;
    cEdKeyCondition cond;
    bool bHolds;
    int nSpan;
  } cases[] = {
      {"all of left and button", Cond({{K_LEFT, 1}, {K_BUTTON0, 1}}, 0), true, 3},
      {"all, one fails", Cond({{K_LEFT, 1}, {K_DOWN, 1}}, 0), false, 3},
      {"any takes the longest", Cond({{K_LEFT, 1}, {K_BUTTON0, 1}}, 1), true, 9},
      {"exactly one of two held", Cond({{K_LEFT, 1}, {K_BUTTON0, 1}}, 2), false, 9},
      {"exactly one", Cond({{K_LEFT, 1}, {K_DOWN, 1}}, 2), true, 3},
      {"released down", Cond({{K_DOWN, 2}}, 0), true, 3},
      {"nothing asked, mode 0", Cond({}, 0), true, 0},
      {"nothing asked, mode 1", Cond({}, 1), false, 0},
      {"nothing asked, mode 2", Cond({}, 2), false, 0},
      {"nothing asked, mode 3", Cond({}, 3), true, 0},
  };
  const KEYCURSOR now = KeyCursorNow(logs.Logs());
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.pszName);
    int nSpan = -1;
    EXPECT_EQ(KeyConditionMatches(c.cond, now, logs.Logs(), false, nSpan), c.bHolds);
    EXPECT_EQ(nSpan, c.nSpan);
  }
  // Hold lengths: left has been held 3 frames.
  cEdKeyCondition shortHold = Cond({{K_LEFT, 1}});
  shortHold.m_nMaxFrames = 2;
  int nSpan;
  EXPECT_FALSE(KeyConditionMatches(shortHold, now, logs.Logs(), false, nSpan));
  shortHold.m_byAnyLength = 1;
  EXPECT_TRUE(KeyConditionMatches(shortHold, now, logs.Logs(), false, nSpan));
}

TEST(KeyCondition, KeyStateOfOneRunByItsLength) {
  cEdKeyCondition kc;
  kc.SetDefaults();
  kc.m_nMinFrames = 3;
  kc.m_nMaxFrames = 5;
  struct Case {
    uint32_t bPressed;
    int nLength, bAny;
    uint8_t byState;
    int expect;
  } cases[] = {
      {1, 3, 0, KeyState::Pressed, 1},  {1, 5, 0, KeyState::Pressed, 1},  {1, 2, 0, KeyState::Pressed, 0},
      {1, 6, 0, KeyState::Pressed, 0},  {1, 1, 1, KeyState::Pressed, 1},  {1, 0, 1, KeyState::Pressed, 0},
      {0, 4, 0, KeyState::Pressed, 0},  {0, 1, 0, KeyState::Released, 1}, {0, 0, 0, KeyState::Released, 0},
      {1, 4, 0, KeyState::Released, 0}, {1, 4, 0, KeyState::Ignore, 0},
  };
  for (const Case& c : cases) {
    kc.m_byAnyLength = static_cast<uint8_t>(c.bAny);
    EXPECT_EQ(TestKeyState(KEYRUN{c.bPressed, 0}, c.nLength, kc, c.byState), c.expect)
        << c.bPressed << " " << c.nLength << " any " << c.bAny << " state " << int{c.byState};
  }
}

TEST(KeyCondition, HeldNowReadsTheCurrentRunOnly) {
  cLogs logs("DDDDR", "");
  EXPECT_TRUE(KeyConditionHeldNow(logs.Logs(), Cond({{K_RIGHT, 1}, {K_DOWN, 2}})));
  // No facing swap and no length range here.
  cEdKeyCondition left = Cond({{K_LEFT, 1}}, 0, 1);
  left.m_nMinFrames = 5;
  EXPECT_FALSE(KeyConditionHeldNow(logs.Logs(), left));
  cEdKeyCondition right = Cond({{K_RIGHT, 1}});
  right.m_nMinFrames = 5;
  EXPECT_TRUE(KeyConditionHeldNow(logs.Logs(), right));
}

TEST(KeyCondition, DamagedListsAndMissingLogs) {
  // A key-state list longer than the 19 logs from a file: the keys beyond
  // them are not read; logs the input does not have fail their keys.
  cEdKeyCondition c = Cond({{K_RIGHT, 1}});
  c.m_vecKeyState.resize(40, 1);
  cLogs logs("RRR", "");
  int nSpan;
  EXPECT_TRUE(KeyConditionMatches(c, KeyCursorNow(logs.Logs()), logs.Logs(), false, nSpan));
  KEYLOGS none{};
  const cEdKeyCondition right = Cond({{K_RIGHT, 1}});
  const cEdKeyCondition* seq[] = {&right, &right};
  EXPECT_FALSE(KeySequenceMatches(seq, 5, none, false));
  EXPECT_FALSE(KeySequenceMatches({}, 5, logs.Logs(), false));
  KEYCURSOR cur = KeyCursorNow(logs.Logs());
  UpdateKeyHistory(cur, logs.Logs(), -1000000);
  UpdateKeyHistory(cur, logs.Logs(), 2000000000);
  EXPECT_EQ(cur.anRun[K_RIGHT], 0);
  EXPECT_EQ(cur.anCount[K_RIGHT], 3);
}

}  // namespace
