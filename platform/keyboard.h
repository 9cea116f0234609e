// The keyboard as the game sees it: Windows virtual-key codes (key
// configuration files store them), one table from the physical keys of this
// system to those codes, and the held-key state that GetAsyncKeyState reads.
#pragma once

#include <cstdint>
#include <string_view>

// The codes the program itself names.
enum : int {
  VK_BACK = 0x08,
  VK_TAB = 0x09,
  VK_RETURN = 0x0D,
  VK_SHIFT = 0x10,
  VK_CONTROL = 0x11,
  VK_MENU = 0x12,
  VK_ESCAPE = 0x1B,
  VK_SPACE = 0x20,
  VK_LEFT = 0x25,
  VK_UP = 0x26,
  VK_RIGHT = 0x27,
  VK_DOWN = 0x28,
  VK_F1 = 0x70,
  VK_F2 = 0x71,
  VK_F3 = 0x72,
  VK_LSHIFT = 0xA0,
  VK_RSHIFT = 0xA1,
  VK_LCONTROL = 0xA2,
  VK_RCONTROL = 0xA3,
  VK_LMENU = 0xA4,
  VK_RMENU = 0xA5,
};

// The key's code (left and right modifiers kept apart), 0 for a key that has
// none. The argument is an SDL scancode.
int VkFromScancode(int nScancode);
// The first scancode that gives the code; 0 when none does.
int ScancodeFromVkForTests(int nVk);
// The code a key message carries: a left or right Shift, Ctrl or Alt becomes
// the generic VK_SHIFT, VK_CONTROL or VK_MENU, as key messages report them.
int MessageVk(int nVk);
// The code of a key named as SDL names keys ("Escape", "Z", "Left", "Space",
// "Left Shift", "F1"...); 0 for an unknown name.
int VkFromKeyName(std::string_view name);

// Records a key going down or up (the window's events, the key script). The
// generic modifier codes follow their left and right keys.
void SetKeyState(int nVk, bool bDown);
// Negative (bit 15 set) while the key is held, 0 otherwise. Any thread.
int16_t GetAsyncKeyState(int nVk);
// A key event of the window or the key script: the state is recorded and
// WM_KEYDOWN or WM_KEYUP (with MessageVk's code) is posted to the main window.
void PostKeyMessage(int nVk, bool bDown, bool bRepeat);
// Every key up (focus lost; tests).
void ClearKeyStates();
