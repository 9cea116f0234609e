// Player input: the per-player input records that the game thread fills from
// the keyboard and the joysticks once per frame, their views (direction and
// button words, the direction digit, histories, run logs, the menu filters),
// and the key configuration "user_data\KeyConfig.dat".
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"
#include "base/checked_containers.h"

// Direction bits of the direction word. Buttons 1..8 are bits 0..7 of the
// button word; in the menus button 1 decides and button 2 cancels.
enum : uint16_t {
  INPUT_LEFT = 1,
  INPUT_RIGHT = 2,
  INPUT_UP = 4,
  INPUT_DOWN = 8,
};

// ---- Key configuration -------------------------------------------------------

// One entry: the device (KEYDEVICE_KEYBOARD, otherwise a joystick number)
// and its code (a virtual-key code, or a joystick button mask or axis code).
struct KEYCONFIGENTRY {
  uint32_t dwDevice;
  uint16_t wCode;
  uint16_t wUnused;
};

// The file is this record's 108 bytes, little-endian, with no version word:
//   offset  size    field
//   0       12 x 8  entries: 0..3 left, right, up, down; 4..11 buttons 1..8
//   96      4       entries in use (12; at most 12)
//   100     4       joysticks to read (1)
//   104     4       use this table (0: the fixed keys)
struct KEYCONFIG {
  KEYCONFIGENTRY aEntry[12];
  uint32_t dwEntries;
  uint32_t dwJoysticks;
  uint32_t dwUse;
};
static_assert(sizeof(KEYCONFIG) == 108);

constexpr uint32_t KEYDEVICE_KEYBOARD = 8;
enum : uint16_t {
  JOYAXIS_X_LOW = 256,    // left
  JOYAXIS_X_HIGH = 512,   // right
  JOYAXIS_Y_LOW = 1024,   // up
  JOYAXIS_Y_HIGH = 2048,  // down
};

// Threads: loaded by InitGame before the game thread starts; then the game
// thread only (input polling and the key configuration).
extern KEYCONFIG g_KeyConfig;
extern const char* const kKeyConfigPath;  // "user_data\KeyConfig.dat"

// FALSE when the file cannot be opened, or is shorter than the record (with
// a report line): the record is then left as it was. An entry count past the
// table's 12 keeps the 12 (with a report line); a joystick count beyond the
// joysticks that can be read is taken as that many. The game never writes
// the file.
BOOL LoadKeyConfig(const std::string& path, KEYCONFIG& rec);
// All keyboard: arrows left, right, up, down, then Z X C V A S D F; 12
// entries, 1 joystick, not in use.
void SetDefaultKeyConfig(KEYCONFIG& rec);

// ---- Input records -----------------------------------------------------------

struct INPUTHISTORY {
  uint16_t wInput;
  uint32_t dwFrames;
};

// One run of a run log: state 1 while the log's pattern held.
struct INPUTRUN {
  uint32_t dwState;
  uint32_t dwFrames;
};
typedef cVector<INPUTRUN> cInputLog;  // 32 runs, newest first

constexpr int kInputHistorySize = 32;
constexpr int kInputLogRuns = 32;
constexpr int kDirectionLogs = 10;
constexpr int kButtonLogs = 9;

class cPlayerInput {
 public:
  cPlayerInput();

  // Direction word 0, digit 5.
  void InputStateReset();
  // Button word 0.
  void ClearInputEdges();
  void InputHistoryClear();
  void InputHistoryPush();
  // The word of ring nRing (0 directions, 1 buttons) held nFrames frames ago
  // (0: this frame).
  uint16_t InputHistoryLookBack(int nRing, uint32_t nFrames) const;
  void InputLogRecord();
  void InputLogTrim();
  // Every run of every log zeroed (the logs kept at their run count).
  void InputLogClear();
  // Menu key repeat of the direction word: a held direction acts on its
  // first frame, after the delay, then every period.
  void MenuKeyRepeat();
  // Lets the masked buttons (0: all eight) act once per press.
  void ButtonLatch(uint16_t wMask);
  void SetDefaultJoystickMasks();

  uint16_t m_wDirection = 0;
  uint16_t m_wButton = 0;
  uint32_t m_dwRepeatHistory = 0;  // previous << 4 | current direction word
  INPUTHISTORY m_aHistory[2][kInputHistorySize] = {};
  uint32_t m_adwHistoryPos[2] = {};
  cVector<cInputLog> m_vDirectionLog;
  cVector<cInputLog> m_vButtonLog;
  int32_t m_nDigit = 5;
  uint32_t m_adwRepeatCount[2] = {};  // horizontal, vertical
  uint32_t m_dwRepeatDelay = 18;
  uint32_t m_dwRepeatPeriod = 6;
  uint32_t m_dwButtonLatch = 0;
  uint16_t m_awJoyMask[8] = {};
  uint32_t m_dwJoyPresent = 0;
  int32_t m_nJoyRetry = 0;
};

// The failure lines of checked accesses name the original's sizes.
template <>
struct ReportedSize<cPlayerInput> {
  static constexpr int value = 708;
};
template <>
struct ReportedSize<cInputLog> {
  static constexpr int value = 16;
};

// One record per player, one at start; player 0 is the one polled.
// Threads: set up by InitGame before the game thread starts; then polled
// and read on the game thread only.
extern cVector<cPlayerInput> g_vPlayerInput;

// 5, then left -1 (else right +1), then up -3 (else down +3).
int32_t DirectionDigitFromBits(uint16_t wBits);

// Polls player 0 with the fixed keys or the configuration, as g_KeyConfig
// says.
void PollPlayerInput(cVector<cPlayerInput>& list);
// dwFlags bit 0: read the joystick; bit 1: read the keyboard. A joystick
// that fails to read is asked again after 2 x nRetry frames. FALSE, touching
// nothing, when the configuration is in use.
BOOL PollInputDefault(cPlayerInput& r, UINT uJoyId, DWORD dwFlags, int nRetry);
// FALSE, touching nothing, when the configuration is not in use.
BOOL PollInputConfigured(cPlayerInput& r, int nPlayers, int nRetry);
