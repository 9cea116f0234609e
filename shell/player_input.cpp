#include "shell/player_input.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstring>
#include <memory>

#include "platform/file_system.h"
#include "platform/joystick.h"
#include "platform/keyboard.h"
#include "platform/text_cp932.h"
#include "base/report.h"

KEYCONFIG g_KeyConfig = {};
const char* const kKeyConfigPath = "user_data\\KeyConfig.dat";
cVector<cPlayerInput> g_vPlayerInput(1);

namespace {

constexpr uint32_t kFramesMax = 0x7FFFFFFF;
// A joystick axis counts as pushed below the low or from the high mark.
constexpr DWORD kAxisLow = 10001;
constexpr DWORD kAxisHigh = 55535;

constexpr int kFixedButtonKeys[8] = {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'};

// The run-log patterns: direction logs 0..8 hold while the word equals the
// pattern, log 9 while any direction is held; button log 0 holds while no
// button is, logs 1..8 while their button is.
constexpr uint16_t kDirectionPatterns[kDirectionLogs] = {0, 1, 2, 4, 8, 5, 9, 6, 10, 15};
constexpr uint16_t kButtonPatterns[kButtonLogs] = {0, 1, 2, 4, 8, 16, 32, 64, 128};

struct FILECLOSER {
  void operator()(FILE* fp) const { std::fclose(fp); }
};

void RecordRun(cInputLog& log, uint32_t dwState) {
  if (!log.empty() && log.front().dwState == dwState) {
    if (log.front().dwFrames < kFramesMax) ++log.front().dwFrames;
    return;
  }
  log.insert(log.begin(), INPUTRUN{dwState, 1});
  if (log.size() > static_cast<size_t>(kInputLogRuns)) log.pop_back();
}

// The joystick read of one frame with the record's retry countdown: a
// joystick that failed is not asked again until the countdown has run out.
bool AskJoystick(cPlayerInput& r, UINT uJoyId, int nRetry, JOYREADING& jr) {
  if (!r.m_dwJoyPresent && r.m_nJoyRetry > 0) {
    --r.m_nJoyRetry;
    return false;
  }
  if (!ReadJoystick(uJoyId, &jr)) {
    r.m_dwJoyPresent = 0;
    r.m_nJoyRetry = 2 * nRetry;
    return false;
  }
  r.m_dwJoyPresent = 1;
  return true;
}

bool KeyHeld(int nVk) { return GetAsyncKeyState(nVk) < 0; }

void ReportDamagedKeyConfig(const std::string& path, const char* pszWhat, long long nPos) {
  Reportf(Sjis("データファイル %s が破損しています（%s、%lld バイト目）").c_str(), path.c_str(), pszWhat, nPos);
}

}  // namespace

// ---- Key configuration -------------------------------------------------------

BOOL LoadKeyConfig(const std::string& path, KEYCONFIG& rec) {
  std::unique_ptr<FILE, FILECLOSER> fp(OpenFile(path, "rb"));
  if (!fp) return FALSE;
  KEYCONFIG read;
  size_t n = std::fread(&read, 1, sizeof read, fp.get());
  // Mended: the original took a short file as read, leaving the rest of the
  // record as it happened to be; such a file now counts as not read, and the
  // fixed keys stay. It also used an entry count as it came, past the end of
  // the 12-entry table: the table is kept with the entries it holds.
  if (n < sizeof read) {
    ReportDamagedKeyConfig(path, "short file", static_cast<long long>(n));
    return FALSE;
  }
  constexpr uint32_t kTableEntries = sizeof read.aEntry / sizeof read.aEntry[0];
  if (read.dwEntries > kTableEntries) {
    ReportDamagedKeyConfig(path, "entry count", offsetof(KEYCONFIG, dwEntries));
    read.dwEntries = kTableEntries;
  }
  // More joysticks than can be read is no damage: polling reads the ones
  // there are, and the player's key table stays in force.
  read.dwJoysticks = std::min<DWORD>(read.dwJoysticks, kMaxJoysticks);
  rec = read;
  return TRUE;
}

void SetDefaultKeyConfig(KEYCONFIG& rec) {
  static const uint16_t s_awCodes[12] = {VK_LEFT, VK_RIGHT, VK_UP, VK_DOWN, 'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'};
  for (int i = 0; i < 12; ++i) rec.aEntry[i] = KEYCONFIGENTRY{KEYDEVICE_KEYBOARD, s_awCodes[i], 0};
  rec.dwEntries = 12;
  rec.dwJoysticks = 1;
  rec.dwUse = 0;
}

// ---- Input records -----------------------------------------------------------

cPlayerInput::cPlayerInput()
    : m_vDirectionLog(kDirectionLogs, cInputLog(kInputLogRuns, INPUTRUN{0, 0})),
      m_vButtonLog(kButtonLogs, cInputLog(kInputLogRuns, INPUTRUN{0, 0})) {
  SetDefaultJoystickMasks();
}

void cPlayerInput::SetDefaultJoystickMasks() {
  for (int i = 0; i < 8; ++i) m_awJoyMask[i] = static_cast<uint16_t>(1u << i);
}

void cPlayerInput::InputStateReset() {
  m_wDirection = 0;
  m_nDigit = 5;
}

void cPlayerInput::ClearInputEdges() { m_wButton = 0; }

void cPlayerInput::InputHistoryClear() {
  std::memset(m_aHistory, 0, sizeof m_aHistory);
  m_adwHistoryPos[0] = m_adwHistoryPos[1] = 0;
}

void cPlayerInput::InputHistoryPush() {
  const uint16_t awWord[2] = {m_wDirection, m_wButton};
  for (int ring = 0; ring < 2; ++ring) {
    uint32_t& pos = m_adwHistoryPos[ring];
    pos %= kInputHistorySize;
    INPUTHISTORY& cur = m_aHistory[ring][pos];
    if (cur.wInput != awWord[ring]) {
      pos = (pos + 1) % kInputHistorySize;
      m_aHistory[ring][pos] = INPUTHISTORY{awWord[ring], 1};
    } else if (cur.dwFrames < kFramesMax) {
      ++cur.dwFrames;
    }
  }
}

uint16_t cPlayerInput::InputHistoryLookBack(int nRing, uint32_t nFrames) const {
  if (nRing < 0 || nRing > 1) return 0;
  uint32_t pos = m_adwHistoryPos[nRing] % kInputHistorySize;
  // An entry of f frames holds the words of 0..f-1 frames before its end,
  // so it is passed over while nFrames reaches past it. An entry of no
  // frames was never written: nothing older is known, and its word is 0.
  for (int i = 0; i < kInputHistorySize; ++i) {
    uint32_t f = m_aHistory[nRing][pos].dwFrames;
    if (nFrames < f || f == 0) break;
    nFrames -= f;
    pos = (pos + kInputHistorySize - 1) % kInputHistorySize;
  }
  return m_aHistory[nRing][pos].wInput;
}

void cPlayerInput::InputLogRecord() {
  size_t nDir = std::min<size_t>(m_vDirectionLog.size(), kDirectionLogs);
  for (size_t i = 0; i < nDir; ++i) {
    uint16_t p = kDirectionPatterns[i];
    bool held = i + 1 == kDirectionLogs ? (m_wDirection & p) != 0 : m_wDirection == p;
    RecordRun(m_vDirectionLog[i], held ? 1 : 0);
  }
  size_t nButton = std::min<size_t>(m_vButtonLog.size(), kButtonLogs);
  for (size_t i = 0; i < nButton; ++i) {
    uint16_t p = kButtonPatterns[i];
    bool held = i == 0 ? m_wButton == 0 : (m_wButton & p) != 0;
    RecordRun(m_vButtonLog[i], held ? 1 : 0);
  }
}

void cPlayerInput::InputLogTrim() {
  for (cInputLog& log : m_vDirectionLog) log.resize(kInputLogRuns, INPUTRUN{0, 0});
  for (cInputLog& log : m_vButtonLog) log.resize(kInputLogRuns, INPUTRUN{0, 0});
}

void cPlayerInput::InputLogClear() {
  for (cInputLog& log : m_vDirectionLog) log.assign(kInputLogRuns, INPUTRUN{0, 0});
  for (cInputLog& log : m_vButtonLog) log.assign(kInputLogRuns, INPUTRUN{0, 0});
}

void cPlayerInput::MenuKeyRepeat() {
  uint32_t prev = m_dwRepeatHistory & 0xF;
  uint32_t cur = m_wDirection & 0xF;
  m_dwRepeatHistory = (prev << 4) | cur;
  static const uint16_t s_awAxis[2] = {INPUT_LEFT | INPUT_RIGHT, INPUT_UP | INPUT_DOWN};
  for (int axis = 0; axis < 2; ++axis) {
    uint16_t mask = s_awAxis[axis];
    uint32_t& count = m_adwRepeatCount[axis];
    if ((prev & mask) != (cur & mask)) {
      count = 0;
      continue;
    }
    ++count;
    bool repeat = count >= m_dwRepeatDelay && m_dwRepeatPeriod != 0 && count % m_dwRepeatPeriod == 0;
    if (!repeat) m_wDirection = static_cast<uint16_t>(m_wDirection & ~mask);
  }
}

void cPlayerInput::ButtonLatch(uint16_t wMask) {
  if (wMask == 0) wMask = 0xFF;
  bool had = (m_wButton & wMask) != 0;
  if (m_dwButtonLatch == 1)
    m_wButton = static_cast<uint16_t>(m_wButton & ~wMask);
  else if (had)
    m_dwButtonLatch = 1;
  if (!had) m_dwButtonLatch = 0;
}

// ---- Polling -----------------------------------------------------------------

int32_t DirectionDigitFromBits(uint16_t wBits) {
  int32_t d = 5;
  if (wBits & INPUT_LEFT)
    d -= 1;
  else if (wBits & INPUT_RIGHT)
    d += 1;
  if (wBits & INPUT_UP)
    d -= 3;
  else if (wBits & INPUT_DOWN)
    d += 3;
  return d;
}

BOOL PollInputDefault(cPlayerInput& r, UINT uJoyId, DWORD dwFlags, int nRetry) {
  if (g_KeyConfig.dwUse != 0) return FALSE;
  // What the joystick gave this frame. A joystick that was not read gives
  // nothing, so the keyboard decides; the record's digit of an earlier frame
  // must not hold the keys off.
  int32_t nJoyDigit = 5;
  uint16_t wJoyButtons = 0;
  JOYREADING jr;
  if (AskJoystick(r, uJoyId, nRetry, jr) && (dwFlags & 1)) {
    r.m_nDigit = 5;
    r.m_wDirection = 0;
    if (jr.dwXpos < kAxisLow) {
      r.m_nDigit -= 1;
      r.m_wDirection |= INPUT_LEFT;
    } else if (jr.dwXpos >= kAxisHigh) {
      r.m_nDigit += 1;
      r.m_wDirection |= INPUT_RIGHT;
    }
    if (jr.dwYpos < kAxisLow) {
      r.m_nDigit -= 3;
      r.m_wDirection |= INPUT_UP;
    } else if (jr.dwYpos >= kAxisHigh) {
      r.m_nDigit += 3;
      r.m_wDirection |= INPUT_DOWN;
    }
    r.m_wButton = 0;
    for (int i = 0; i < 8; ++i)
      if (jr.dwButtons & r.m_awJoyMask[i]) r.m_wButton |= static_cast<uint16_t>(1u << i);
    nJoyDigit = r.m_nDigit;
    wJoyButtons = r.m_wButton;
  }
  if (!(dwFlags & 2)) return TRUE;
  if (nJoyDigit == 5) {
    r.m_nDigit = 5;
    r.m_wDirection = 0;
    // Both keys of a pair held add both.
    if (KeyHeld(VK_LEFT)) {
      r.m_nDigit -= 1;
      r.m_wDirection |= INPUT_LEFT;
    }
    if (KeyHeld(VK_RIGHT)) {
      r.m_nDigit += 1;
      r.m_wDirection |= INPUT_RIGHT;
    }
    if (KeyHeld(VK_UP)) {
      r.m_nDigit -= 3;
      r.m_wDirection |= INPUT_UP;
    }
    if (KeyHeld(VK_DOWN)) {
      r.m_nDigit += 3;
      r.m_wDirection |= INPUT_DOWN;
    }
  }
  if (wJoyButtons) return TRUE;
  r.m_wButton = 0;
  for (int i = 0; i < 8; ++i)
    if (KeyHeld(kFixedButtonKeys[i])) r.m_wButton |= static_cast<uint16_t>(1u << i);
  return TRUE;
}

BOOL PollInputConfigured(cPlayerInput& r, int /*nPlayers*/, int nRetry) {
  const KEYCONFIG& kc = g_KeyConfig;
  if (kc.dwUse == 0) return FALSE;
  // Counts are bounded here too, for a record filled by other means than
  // LoadKeyConfig.
  UINT nJoysticks = std::min<UINT>(kc.dwJoysticks, kMaxJoysticks);
  UINT nEntries = std::min<UINT>(kc.dwEntries, 12);
  bool abUsable[kMaxJoysticks] = {};
  JOYREADING aReading[kMaxJoysticks];
  if (nJoysticks > 0) {
    if (!r.m_dwJoyPresent && r.m_nJoyRetry > 0) {
      --r.m_nJoyRetry;
    } else {
      for (UINT j = 0; j < nJoysticks; ++j) {
        if (ReadJoystick(j, &aReading[j])) {
          abUsable[j] = true;
          r.m_dwJoyPresent = 1;
        } else {
          r.m_dwJoyPresent = 0;
          r.m_nJoyRetry = 2 * nRetry;
        }
      }
    }
  }
  // A joystick number at or above the joysticks read names nothing: the
  // entry is never active.
  auto active = [&](const KEYCONFIGENTRY& e, bool bButton) {
    if (e.dwDevice == KEYDEVICE_KEYBOARD) return KeyHeld(e.wCode);
    if (e.dwDevice >= nJoysticks || !abUsable[e.dwDevice]) return false;
    const JOYREADING& j = aReading[e.dwDevice];
    if ((j.dwButtons & e.wCode) != 0) return true;
    if (bButton) return false;
    return ((e.wCode & JOYAXIS_X_LOW) && j.dwXpos < kAxisLow) || ((e.wCode & JOYAXIS_X_HIGH) && j.dwXpos >= kAxisHigh) ||
           ((e.wCode & JOYAXIS_Y_LOW) && j.dwYpos < kAxisLow) || ((e.wCode & JOYAXIS_Y_HIGH) && j.dwYpos >= kAxisHigh);
  };
  r.m_nDigit = 5;
  r.m_wDirection = 0;
  r.m_wButton = 0;
  if (active(kc.aEntry[0], false)) {
    r.m_nDigit -= 1;
    r.m_wDirection |= INPUT_LEFT;
  } else if (active(kc.aEntry[1], false)) {
    r.m_nDigit += 1;
    r.m_wDirection |= INPUT_RIGHT;
  }
  if (active(kc.aEntry[2], false)) {
    r.m_nDigit -= 3;
    r.m_wDirection |= INPUT_UP;
  } else if (active(kc.aEntry[3], false)) {
    r.m_nDigit += 3;
    r.m_wDirection |= INPUT_DOWN;
  }
  for (UINT i = 4; i < nEntries; ++i)
    if (active(kc.aEntry[i], true)) r.m_wButton |= static_cast<uint16_t>(1u << (i - 4));
  return TRUE;
}

void PollPlayerInput(cVector<cPlayerInput>& list) {
  if (list.empty()) return;
  cPlayerInput& r = list[0];
  if (g_KeyConfig.dwUse == 0)
    PollInputDefault(r, 0, 3, 60);
  else
    PollInputConfigured(r, 1, 60);
}
