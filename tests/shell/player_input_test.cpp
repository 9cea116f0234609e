#include "shell/player_input.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <vector>

#include "platform/file_system.h"
#include "platform/joystick.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "base/report.h"
#include "tests/support/corruption.h"
#include "tests/support/temp_folder.h"

namespace {

// ---- KeyConfig.dat bytes, written out by hand --------------------------------

void U32(std::string& s, uint32_t v) {
  for (int i = 0; i < 4; ++i) s += static_cast<char>((v >> (8 * i)) & 0xFF);
}
void U16(std::string& s, uint16_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8);
}
struct ENTRYBYTES {
  uint32_t dwDevice;
  uint16_t wCode;
};
std::string KeyConfigBytes(const std::vector<ENTRYBYTES>& entries, uint32_t nEntries, uint32_t nJoysticks,
                           uint32_t nUse) {
  std::string s;
  for (size_t i = 0; i < 12; ++i) {
    ENTRYBYTES e = i < entries.size() ? entries[i] : ENTRYBYTES{0, 0};
    U32(s, e.dwDevice);
    U16(s, e.wCode);
    U16(s, 0);
  }
  U32(s, nEntries);
  U32(s, nJoysticks);
  U32(s, nUse);
  return s;
}
const std::vector<ENTRYBYTES> kDefaultEntries = {{8, 37}, {8, 39}, {8, 38}, {8, 40}, {8, 90}, {8, 88},
                                                 {8, 67}, {8, 86}, {8, 65}, {8, 83}, {8, 68}, {8, 70}};

// ---- A joystick under the test's control -------------------------------------

struct FAKEJOYSTICK {
  bool bPresent = false;
  JOYREADING reading;
  int nReads = 0;
};
FAKEJOYSTICK s_aJoy[2];

BOOL FakeJoystick(UINT uJoyId, JOYREADING* p) {
  if (uJoyId >= 2) return FALSE;
  FAKEJOYSTICK& j = s_aJoy[uJoyId];
  ++j.nReads;
  if (!j.bPresent) return FALSE;
  *p = j.reading;
  return TRUE;
}

void HoldKeys(const std::set<int>& keys) {
  ClearKeyStates();
  for (int vk : keys) SetKeyState(vk, true);
}

class PlayerInput : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMessageLayerForTests();
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    CreateDirectoryA("user_data");
    SetDefaultKeyConfig(g_KeyConfig);
    ClearKeyStates();
    for (FAKEJOYSTICK& j : s_aJoy) j = FAKEJOYSTICK();
    SetJoystickSourceForTests(&FakeJoystick);
  }
  void TearDown() override {
    SetJoystickSourceForTests(nullptr);
    ClearKeyStates();
    SetDefaultKeyConfig(g_KeyConfig);
  }
  cTempFolder m_Tmp;
};

}  // namespace

// ---- Key configuration -------------------------------------------------------

TEST_F(PlayerInput, KeyConfigDefaultsAndGoldenBytes) {
  // The file is the record's bytes as they stand in memory.
  KEYCONFIG kc;
  SetDefaultKeyConfig(kc);
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(&kc), sizeof kc), KeyConfigBytes(kDefaultEntries, 12, 1, 0));
}

TEST_F(PlayerInput, KeyConfigFiles) {
  const std::string good = KeyConfigBytes({{8, 'Q'}, {8, 'W'}, {0, 1024}, {1, 2048}, {8, 'K'}, {0, 8}}, 6, 2, 1);
  struct CASE {
    const char* pszWhat;
    std::string bytes;  // empty: no file
    BOOL bOk;
    bool bReport;
    std::string kept = "";  // the record after a load; empty: the file's bytes
  } cases[] = {
      {"missing file", "", FALSE, false},
      {"a good file", good, TRUE, false},
      {"longer than the record", good + "xyz", TRUE, false},
      {"short by one byte", good.substr(0, 107), FALSE, true},
      {"only the table", good.substr(0, 96), FALSE, true},
      // More entries in use than the table holds: the table's 12 are kept.
      {"13 entries in use", KeyConfigBytes(kDefaultEntries, 13, 1, 1), TRUE, true,
       KeyConfigBytes(kDefaultEntries, 12, 1, 1)},
      {"entry count 0xFFFFFFFF", KeyConfigBytes({{8, 'Q'}, {8, 'W'}}, 0xFFFFFFFFu, 1, 1), TRUE, true,
       KeyConfigBytes({{8, 'Q'}, {8, 'W'}}, 12, 1, 1)},
      // More joysticks than are read: the count stops at 16, the key table stays.
      {"17 joysticks", KeyConfigBytes(kDefaultEntries, 12, 17, 1), TRUE, false,
       KeyConfigBytes(kDefaultEntries, 12, 16, 1)},
      {"joystick count 0xFFFFFFFF", KeyConfigBytes({{8, 'Q'}, {3, 1}}, 2, 0xFFFFFFFFu, 1), TRUE, false,
       KeyConfigBytes({{8, 'Q'}, {3, 1}}, 2, 16, 1)},
      {"16 joysticks and no entries", KeyConfigBytes(kDefaultEntries, 0, 16, 1), TRUE, false},
  };
  for (const CASE& c : cases) {
    cTempFolder tmp;
    CreateDirectoryA("user_data");
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
    if (!c.bytes.empty()) tmp.WriteFile("user_data/KeyConfig.dat", c.bytes);
    KEYCONFIG kc;
    SetDefaultKeyConfig(kc);
    KEYCONFIG before = kc;
    EXPECT_EQ(LoadKeyConfig(kKeyConfigPath, kc), c.bOk) << c.pszWhat;
    std::string got(reinterpret_cast<const char*>(&kc), sizeof kc);
    if (c.bOk) {
      EXPECT_EQ(got, c.kept.empty() ? c.bytes.substr(0, 108) : c.kept) << c.pszWhat;
    } else {
      EXPECT_EQ(got, std::string(reinterpret_cast<const char*>(&before), sizeof before)) << c.pszWhat;
    }
    EXPECT_EQ(tmp.ReadFile("Report_Game.txt").find("KeyConfig.dat") != std::string::npos, c.bReport) << c.pszWhat;
  }
}

TEST_F(PlayerInput, KeyConfigCorruptionHarness) {
  const std::string good = KeyConfigBytes({{8, 'Q'}, {0, 512}, {3, 1}, {8, 40}, {8, 'Z'}}, 5, 4, 1);
  s_aJoy[0].bPresent = s_aJoy[1].bPresent = true;
  CORRUPTIONPLAN plan;
  plan.nMutations = 500;
  int n = RunCorruptionHarness(good, kKeyConfigPath, [] {
    KEYCONFIG kc;
    SetDefaultKeyConfig(kc);
    if (LoadKeyConfig(kKeyConfigPath, kc)) {
      EXPECT_LE(kc.dwEntries, 12u);
      EXPECT_LE(kc.dwJoysticks, kMaxJoysticks);
    }
    // Whatever was read is polled without harm.
    g_KeyConfig = kc;
    cPlayerInput r;
    PollInputDefault(r, 0, 3, 60);
    PollInputConfigured(r, 1, 60);
  }, plan);
  EXPECT_GT(n, 100);
}

TEST_F(PlayerInput, ConfigurationInUseOrNot) {
  // Left is Q on the keyboard, right joystick 0's X high, up joystick 0's
  // button 3, down joystick 5 (more than are read); button 1 is K, button 2
  // joystick 1's button 1, button 3 an axis code on joystick 0, which buttons
  // never test.
  m_Tmp.WriteFile("user_data/KeyConfig.dat",
                  KeyConfigBytes({{8, 'Q'}, {0, JOYAXIS_X_HIGH}, {0, 4}, {5, JOYAXIS_Y_HIGH}, {8, 'K'}, {1, 1},
                                  {0, JOYAXIS_X_HIGH}, {8, 'Z'}},
                                 7, 2, 1));
  ASSERT_TRUE(LoadKeyConfig(kKeyConfigPath, g_KeyConfig));
  s_aJoy[0].bPresent = s_aJoy[1].bPresent = true;
  struct CASE {
    const char* pszWhat;
    std::set<int> keys;
    DWORD dwX0, dwButtons0, dwButtons1;
    uint16_t wDir, wButton;
    int nDigit;
  } cases[] = {
      {"nothing", {}, 32767, 0, 0, 0, 0, 5},
      {"Q is left", {'Q', VK_LEFT}, 32767, 0, 0, INPUT_LEFT, 0, 4},
      {"left wins over right", {'Q'}, 65535, 0, 0, INPUT_LEFT, 0, 4},
      {"joystick X high is right", {}, 55535, 0, 0, INPUT_RIGHT, 0, 6},
      {"a joystick button sharing a code's bit counts", {}, 32767, 512, 0, INPUT_RIGHT, 4, 6},
      {"just under the mark", {}, 55534, 0, 0, 0, 0, 5},
      {"joystick button is up", {}, 32767, 4, 0, INPUT_UP, 0, 2},
      {"K and joystick 1's button", {'K'}, 32767, 0, 1, 0, 3, 5},
      {"entries past those in use do nothing", {'Z'}, 32767, 0, 0, 0, 0, 5},
  };
  for (const CASE& c : cases) {
    HoldKeys(c.keys);
    s_aJoy[0].reading = JOYREADING{c.dwX0, 32767, c.dwButtons0};
    s_aJoy[1].reading = JOYREADING{32767, 32767, c.dwButtons1};
    cPlayerInput r;
    EXPECT_FALSE(PollInputDefault(r, 0, 3, 60)) << c.pszWhat;
    EXPECT_EQ(r.m_nJoyRetry, 0);  // touched nothing
    cVector<cPlayerInput> none;
    PollPlayerInput(none);  // an empty list is left alone
    cVector<cPlayerInput> list(1);
    PollPlayerInput(list);
    EXPECT_EQ(list[0].m_wDirection, c.wDir) << c.pszWhat;
    EXPECT_EQ(list[0].m_wButton, c.wButton) << c.pszWhat;
    EXPECT_EQ(list[0].m_nDigit, c.nDigit) << c.pszWhat;
  }

  // The file's last word 0 leaves the fixed keys in force.
  g_KeyConfig.dwUse = 0;
  HoldKeys({'Q', VK_RIGHT, 'X'});
  cVector<cPlayerInput> list(1);
  EXPECT_FALSE(PollInputConfigured(list[0], 1, 60));
  PollPlayerInput(list);
  EXPECT_EQ(list[0].m_wDirection, INPUT_RIGHT);
  EXPECT_EQ(list[0].m_wButton, 2);
}

// ---- Polling with the fixed keys ---------------------------------------------

TEST_F(PlayerInput, FixedKeysAndJoystick) {
  struct CASE {
    const char* pszWhat;
    std::set<int> keys;
    bool bJoy;
    DWORD dwX, dwY, dwButtons;
    uint16_t wDir, wButton;
    int nDigit;
  } cases[] = {
      {"nothing", {}, false, 0, 0, 0, 0, 0, 5},
      {"left and right arrows together", {VK_LEFT, VK_RIGHT}, false, 0, 0, 0, INPUT_LEFT | INPUT_RIGHT, 0, 5},
      {"up and right", {VK_UP, VK_RIGHT}, false, 0, 0, 0, INPUT_UP | INPUT_RIGHT, 0, 3},
      {"down and left", {VK_DOWN, VK_LEFT}, false, 0, 0, 0, INPUT_DOWN | INPUT_LEFT, 0, 7},
      {"Z X C V A S D F", {'Z', 'X', 'C', 'V', 'A', 'S', 'D', 'F'}, false, 0, 0, 0, 0, 0xFF, 5},
      {"Z and F", {'Z', 'F'}, false, 0, 0, 0, 0, 0x81, 5},
      {"a joystick at rest leaves the keys", {VK_DOWN, 'X'}, true, 32767, 32767, 0, INPUT_DOWN, 2, 8},
      {"joystick up-left wins over the arrows", {VK_RIGHT, 'C'}, true, 10000, 0, 0, INPUT_LEFT | INPUT_UP, 4, 1},
      {"axis marks", {}, true, 10001, 55535, 0, INPUT_DOWN, 0, 8},
      {"a joystick button: keyboard buttons ignored", {'Z', VK_UP}, true, 32767, 32767, 0x80, INPUT_UP, 0x80, 2},
  };
  for (const CASE& c : cases) {
    HoldKeys(c.keys);
    s_aJoy[0].bPresent = c.bJoy;
    s_aJoy[0].reading = JOYREADING{c.dwX, c.dwY, c.dwButtons};
    cPlayerInput r;
    r.m_nDigit = 1;  // an earlier frame's joystick direction must not hold the keys off
    r.m_wDirection = 5;
    EXPECT_TRUE(PollInputDefault(r, 0, 3, 60)) << c.pszWhat;
    EXPECT_EQ(r.m_wDirection, c.wDir) << c.pszWhat;
    EXPECT_EQ(r.m_wButton, c.wButton) << c.pszWhat;
    EXPECT_EQ(r.m_nDigit, c.nDigit) << c.pszWhat;
    EXPECT_EQ(r.m_dwJoyPresent, c.bJoy ? 1u : 0u) << c.pszWhat;
  }
}

TEST_F(PlayerInput, JoystickMasksAndRetry) {
  cPlayerInput r;
  // Button i is any joystick button of mask i.
  r.m_awJoyMask[0] = 0x300;
  s_aJoy[0].bPresent = true;
  s_aJoy[0].reading = JOYREADING{32767, 32767, 0x200 | 0x4};
  PollInputDefault(r, 0, 3, 60);
  EXPECT_EQ(r.m_wButton, 0x1 | 0x4);
  r.SetDefaultJoystickMasks();
  EXPECT_EQ(r.m_awJoyMask[7], 128);

  // Unplugged: asked in the first frame, then again only after 120 frames.
  s_aJoy[0] = FAKEJOYSTICK();
  std::vector<int> asked;
  for (int frame = 1; frame <= 250; ++frame) {
    int before = s_aJoy[0].nReads;
    HoldKeys({VK_LEFT});
    PollInputDefault(r, 0, 3, 60);
    ASSERT_EQ(r.m_wDirection, INPUT_LEFT) << frame;  // the keyboard alone
    if (s_aJoy[0].nReads != before) asked.push_back(frame);
  }
  EXPECT_EQ(asked, (std::vector<int>{1, 122, 243}));
}

// ---- The views of a scripted key sequence ------------------------------------

TEST_F(PlayerInput, DirectionDigitFromBits) {
  const int expect[16] = {5, 4, 6, 4, 2, 1, 3, 1, 8, 7, 9, 7, 2, 1, 3, 1};
  for (int bits = 0; bits < 16; ++bits) EXPECT_EQ(DirectionDigitFromBits(static_cast<uint16_t>(bits)), expect[bits]) << bits;
}

TEST_F(PlayerInput, HistoriesAndRunLogs) {
  const std::vector<std::set<int>> script = {
      {}, {}, {VK_LEFT}, {VK_LEFT, 'Z'}, {VK_LEFT, 'Z'}, {VK_LEFT, VK_RIGHT}, {VK_UP, VK_RIGHT, 'X'}, {VK_DOWN, VK_LEFT},
  };
  cVector<cPlayerInput> list(1);
  cPlayerInput& r = list[0];
  for (const auto& keys : script) {
    HoldKeys(keys);
    PollPlayerInput(list);
    r.InputHistoryPush();
    r.InputLogRecord();
  }
  // Direction words 0 0 1 1 1 3 6 9; button words 0 0 0 1 1 0 2 0.
  const uint16_t dirAgo[] = {9, 6, 3, 1, 1, 1, 0, 0};
  const uint16_t buttonAgo[] = {0, 2, 0, 1, 1, 0, 0, 0};
  for (uint32_t n = 0; n < 8; ++n) {
    EXPECT_EQ(r.InputHistoryLookBack(0, n), dirAgo[n]) << n;
    EXPECT_EQ(r.InputHistoryLookBack(1, n), buttonAgo[n]) << n;
  }
  // Beyond what was recorded: the empty word.
  EXPECT_EQ(r.InputHistoryLookBack(0, 8), 0);
  EXPECT_EQ(r.InputHistoryLookBack(0, 1000), 0);
  EXPECT_EQ(r.InputHistoryLookBack(2, 0), 0);

  auto runs = [](const cInputLog& log, size_t n) {
    std::vector<std::pair<uint32_t, uint32_t>> v;
    for (size_t i = 0; i < n; ++i) v.emplace_back(log[i].dwState, log[i].dwFrames);
    return v;
  };
  typedef std::vector<std::pair<uint32_t, uint32_t>> RUNS;
  EXPECT_EQ(runs(r.m_vDirectionLog[0], 3), (RUNS{{0, 6}, {1, 2}, {0, 0}}));          // none
  EXPECT_EQ(runs(r.m_vDirectionLog[1], 4), (RUNS{{0, 3}, {1, 3}, {0, 2}, {0, 0}}));  // left only
  EXPECT_EQ(runs(r.m_vDirectionLog[6], 3), (RUNS{{1, 1}, {0, 7}, {0, 0}}));          // down-left (9)
  EXPECT_EQ(runs(r.m_vDirectionLog[7], 4), (RUNS{{0, 1}, {1, 1}, {0, 6}, {0, 0}}));  // up-right (6)
  EXPECT_EQ(runs(r.m_vDirectionLog[9], 3), (RUNS{{1, 6}, {0, 2}, {0, 0}}));          // any direction
  EXPECT_EQ(runs(r.m_vButtonLog[0], 6), (RUNS{{1, 1}, {0, 1}, {1, 1}, {0, 2}, {1, 3}, {0, 0}}));  // no button
  EXPECT_EQ(runs(r.m_vButtonLog[1], 4), (RUNS{{0, 3}, {1, 2}, {0, 3}, {0, 0}}));     // button 1
  EXPECT_EQ(runs(r.m_vButtonLog[2], 4), (RUNS{{0, 1}, {1, 1}, {0, 6}, {0, 0}}));     // button 2
  for (const cInputLog& log : r.m_vDirectionLog) EXPECT_EQ(log.size(), 32u);

  // A log that changes every frame keeps its newest 32 runs.
  for (int i = 0; i < 40; ++i) {
    r.m_wDirection = static_cast<uint16_t>(i % 2 ? INPUT_LEFT : 0);
    r.InputLogRecord();
  }
  EXPECT_EQ(r.m_vDirectionLog[1].size(), 32u);
  EXPECT_EQ(r.m_vDirectionLog[1][0].dwState, 1u);
  EXPECT_EQ(r.m_vDirectionLog[1][31].dwFrames, 1u);

  // Stage play's clearing: empty rings, logs of exactly 32 runs again.
  r.InputHistoryClear();
  r.m_vButtonLog[3].clear();
  r.m_vButtonLog[4].resize(50, INPUTRUN{1, 1});
  r.InputLogTrim();
  EXPECT_EQ(r.InputHistoryLookBack(0, 0), 0);
  EXPECT_EQ(r.m_vButtonLog[3].size(), 32u);
  EXPECT_EQ(r.m_vButtonLog[4].size(), 32u);
  r.InputStateReset();
  EXPECT_EQ(r.m_wDirection, 0);
  EXPECT_EQ(r.m_nDigit, 5);
  r.m_wButton = 3;
  r.ClearInputEdges();
  EXPECT_EQ(r.m_wButton, 0);
}

TEST_F(PlayerInput, HistoryFramesStopAtTheLimit) {
  cPlayerInput r;
  r.m_aHistory[0][0] = INPUTHISTORY{0, 0x7FFFFFFF};
  r.InputHistoryPush();
  EXPECT_EQ(r.m_aHistory[0][0].dwFrames, 0x7FFFFFFFu);
  r.m_vDirectionLog[0][0] = INPUTRUN{1, 0x7FFFFFFF};
  r.InputLogRecord();
  EXPECT_EQ(r.m_vDirectionLog[0][0].dwFrames, 0x7FFFFFFFu);
}

TEST_F(PlayerInput, MenuKeyRepeat) {
  // Left held 31 frames, up pressed from frame 10 to 30: each axis repeats on
  // its own: first frame, after 18 frames, then every 6.
  cVector<cPlayerInput> list(1);
  std::vector<int> left, up;
  for (int frame = 1; frame <= 31; ++frame) {
    std::set<int> keys = {VK_LEFT};
    if (frame >= 10 && frame <= 30) keys.insert(VK_UP);
    HoldKeys(keys);
    PollPlayerInput(list);
    list[0].MenuKeyRepeat();
    if (list[0].m_wDirection & INPUT_LEFT) left.push_back(frame);
    if (list[0].m_wDirection & INPUT_UP) up.push_back(frame);
  }
  EXPECT_EQ(left, (std::vector<int>{1, 19, 25, 31}));
  EXPECT_EQ(up, (std::vector<int>{10, 28}));
  EXPECT_EQ(list[0].m_dwRepeatHistory, (0x5u << 4) | 0x1u);  // previous up-left, now left

  // Turning from left to right is a new press.
  HoldKeys({VK_RIGHT});
  PollPlayerInput(list);
  list[0].MenuKeyRepeat();
  EXPECT_EQ(list[0].m_wDirection, INPUT_RIGHT);
}

TEST_F(PlayerInput, ButtonLatch) {
  // Per frame: the buttons held, and what the menu sees after the latch on
  // buttons 1 and 2.
  struct {
    std::set<int> keys;
    uint16_t wSeen;
  } frames[] = {
      {{'Z'}, 1},            // decide acts
      {{'Z'}, 0},            // held: nothing more
      {{'Z', 'X'}, 0},       // cancel while decide is held: latched too
      {{'X'}, 0},            // still a masked button held
      {{}, 0},               // released: the latch opens
      {{'X', 'C'}, 2 | 4},   // cancel acts; button 3 is not masked
      {{'C'}, 4},            // unmasked buttons pass untouched and open the latch
      {{'Z'}, 1},
  };
  cVector<cPlayerInput> list(1);
  int i = 0;
  for (const auto& f : frames) {
    HoldKeys(f.keys);
    PollPlayerInput(list);
    list[0].ButtonLatch(3);
    EXPECT_EQ(list[0].m_wButton, f.wSeen) << "frame " << i++;
  }
  // Mask 0 latches all eight buttons.
  cPlayerInput r;
  r.m_wButton = 0x80;
  r.ButtonLatch(0);
  EXPECT_EQ(r.m_wButton, 0x80);
  r.ButtonLatch(0);
  EXPECT_EQ(r.m_wButton, 0);
}

TEST_F(PlayerInput, NoJoystickSystemMeansNeutral) {
  // Headless, the joysticks are never opened: every read fails, and the
  // keyboard alone is polled.
  ::setenv("TARVOLIN4_HEADLESS", "1", 1);
  SetJoystickSourceForTests(nullptr);
  InitJoysticks();
  JOYREADING jr;
  EXPECT_FALSE(ReadJoystick(0, &jr));
  EXPECT_FALSE(ReadJoystick(kMaxJoysticks, &jr));
  cPlayerInput r;
  HoldKeys({});
  EXPECT_TRUE(PollInputDefault(r, 0, 3, 60));
  EXPECT_EQ(r.m_wDirection, 0);
  EXPECT_EQ(r.m_wButton, 0);
  EXPECT_EQ(r.m_nDigit, 5);
  EXPECT_EQ(r.m_dwJoyPresent, 0u);
  EXPECT_EQ(r.m_nJoyRetry, 120);
  UnInitJoysticks();
}
