#include "platform/keyboard.h"

#include <gtest/gtest.h>

#include "platform/key_script.h"

TEST(Keyboard, KeyNamesGiveWindowsCodes) {
  struct CASE {
    const char* m_pszName;
    int m_nVk;
  } cases[] = {
      {"Escape", 0x1B}, {"Z", 'Z'},         {"x", 'X'},          {"Left", 0x25},        {"Down", 0x28},
      {"Space", 0x20},  {"Return", 0x0D},   {"F1", 0x70},        {"F2", 0x71},          {"Left Shift", 0xA0},
      {"Right Ctrl", 0xA3}, {"Keypad 0", 0x60}, {"Keypad Enter", 0x0D}, {"7", '7'}, {"No Such Key", 0},
  };
  for (const CASE& c : cases) EXPECT_EQ(VkFromKeyName(c.m_pszName), c.m_nVk) << c.m_pszName;
}

// Every code the table gives leads back to a key that gives the same code,
// so a key configuration file's code can always be pressed.
TEST(Keyboard, TableRoundTrips) {
  for (int sc = 0; sc < 512; ++sc) {
    int vk = VkFromScancode(sc);
    if (vk == 0) continue;
    EXPECT_EQ(VkFromScancode(ScancodeFromVkForTests(vk)), vk) << "scancode " << sc;
  }
  EXPECT_EQ(ScancodeFromVkForTests(0xFF), 0);
}

TEST(Keyboard, GenericModifiersFollowBothSides) {
  ClearKeyStates();
  EXPECT_EQ(MessageVk(VK_LSHIFT), VK_SHIFT);
  EXPECT_EQ(MessageVk(VK_RMENU), VK_MENU);
  EXPECT_EQ(MessageVk('Z'), 'Z');
  SetKeyState(VK_LSHIFT, true);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  SetKeyState(VK_RSHIFT, true);
  SetKeyState(VK_LSHIFT, false);
  EXPECT_LT(GetAsyncKeyState(VK_SHIFT), 0);
  EXPECT_EQ(GetAsyncKeyState(VK_LSHIFT), 0);
  SetKeyState(VK_RSHIFT, false);
  EXPECT_EQ(GetAsyncKeyState(VK_SHIFT), 0);
  // Codes outside the table's range are never held.
  SetKeyState(300, true);
  EXPECT_EQ(GetAsyncKeyState(300), 0);
  EXPECT_EQ(GetAsyncKeyState(-1), 0);
}

TEST(KeyScript, ParsesSortsAndReportsBadLines) {
  std::string errors;
  auto ev = ParseKeyScript(
      "# a comment\n"
      "30 Escape down\r\n"
      "\n"
      "10 Left Shift down\n"
      "10 Z up\n"
      "x Z down\n"
      "12 Nonsense down\n"
      "12 Z sideways\n"
      "12Z\n"
      "5 Space up",
      &errors);
  ASSERT_EQ(ev.size(), 4u);
  EXPECT_EQ(ev[0].m_nFrame, 5u);
  EXPECT_EQ(ev[0].m_nVk, VK_SPACE);
  EXPECT_FALSE(ev[0].m_bDown);
  // Lines of one frame keep their order.
  EXPECT_EQ(ev[1].m_nVk, VK_LSHIFT);
  EXPECT_TRUE(ev[1].m_bDown);
  EXPECT_EQ(ev[2].m_nVk, 'Z');
  EXPECT_EQ(ev[3].m_nFrame, 30u);
  EXPECT_EQ(ev[3].m_nVk, VK_ESCAPE);
  for (const char* line : {"line 6 ", "line 7 ", "line 8 ", "line 9 "}) {
    EXPECT_NE(errors.find(line), std::string::npos) << line;
  }
  EXPECT_EQ(errors.find("line 2 "), std::string::npos);
}

TEST(KeyScript, PadControlsAreNamedAsKeys) {
  std::string errors;
  auto ev = ParseKeyScript(
      "5 Pad Left down\n"
      "6 Pad Button 8 up\n"
      "7 Pad Down down\n"
      "8 Pad Button 9 down\n"
      "9 Pad Sideways down\n",
      &errors);
  ASSERT_EQ(ev.size(), 3u);
  EXPECT_EQ(ev[0].m_nPad, KSPAD_LEFT);
  EXPECT_TRUE(ev[0].m_bDown);
  EXPECT_EQ(ev[1].m_nPad, KSPAD_BUTTON1 + 7);
  EXPECT_FALSE(ev[1].m_bDown);
  EXPECT_EQ(ev[2].m_nPad, KSPAD_DOWN);
  for (const KEYSCRIPTEVENT& e : ev) EXPECT_EQ(e.m_nVk, 0);
  EXPECT_NE(errors.find("line 4 "), std::string::npos);
  EXPECT_NE(errors.find("line 5 "), std::string::npos);
}
