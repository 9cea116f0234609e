#include "platform/keyboard.h"

#include <SDL.h>

#include <array>
#include <atomic>
#include <string>

#include "platform/messages.h"

namespace {

struct SCANVK {
  SDL_Scancode m_nScancode;
  int m_nVk;
};

// The one table from physical keys to virtual-key codes, laid out as on a US
// keyboard (the position decides, not the printed symbol); the keys of a
// Japanese keyboard that have codes of their own come last.
constexpr SCANVK kScanVkTable[] = {
    {SDL_SCANCODE_A, 'A'}, {SDL_SCANCODE_B, 'B'}, {SDL_SCANCODE_C, 'C'}, {SDL_SCANCODE_D, 'D'},
    {SDL_SCANCODE_E, 'E'}, {SDL_SCANCODE_F, 'F'}, {SDL_SCANCODE_G, 'G'}, {SDL_SCANCODE_H, 'H'},
    {SDL_SCANCODE_I, 'I'}, {SDL_SCANCODE_J, 'J'}, {SDL_SCANCODE_K, 'K'}, {SDL_SCANCODE_L, 'L'},
    {SDL_SCANCODE_M, 'M'}, {SDL_SCANCODE_N, 'N'}, {SDL_SCANCODE_O, 'O'}, {SDL_SCANCODE_P, 'P'},
    {SDL_SCANCODE_Q, 'Q'}, {SDL_SCANCODE_R, 'R'}, {SDL_SCANCODE_S, 'S'}, {SDL_SCANCODE_T, 'T'},
    {SDL_SCANCODE_U, 'U'}, {SDL_SCANCODE_V, 'V'}, {SDL_SCANCODE_W, 'W'}, {SDL_SCANCODE_X, 'X'},
    {SDL_SCANCODE_Y, 'Y'}, {SDL_SCANCODE_Z, 'Z'},
    {SDL_SCANCODE_1, '1'}, {SDL_SCANCODE_2, '2'}, {SDL_SCANCODE_3, '3'}, {SDL_SCANCODE_4, '4'},
    {SDL_SCANCODE_5, '5'}, {SDL_SCANCODE_6, '6'}, {SDL_SCANCODE_7, '7'}, {SDL_SCANCODE_8, '8'},
    {SDL_SCANCODE_9, '9'}, {SDL_SCANCODE_0, '0'},
    {SDL_SCANCODE_RETURN, VK_RETURN}, {SDL_SCANCODE_ESCAPE, VK_ESCAPE}, {SDL_SCANCODE_BACKSPACE, VK_BACK},
    {SDL_SCANCODE_TAB, VK_TAB}, {SDL_SCANCODE_SPACE, VK_SPACE},
    {SDL_SCANCODE_MINUS, 0xBD}, {SDL_SCANCODE_EQUALS, 0xBB}, {SDL_SCANCODE_LEFTBRACKET, 0xDB},
    {SDL_SCANCODE_RIGHTBRACKET, 0xDD}, {SDL_SCANCODE_BACKSLASH, 0xDC}, {SDL_SCANCODE_NONUSHASH, 0xDC},
    {SDL_SCANCODE_SEMICOLON, 0xBA}, {SDL_SCANCODE_APOSTROPHE, 0xDE}, {SDL_SCANCODE_GRAVE, 0xC0},
    {SDL_SCANCODE_COMMA, 0xBC}, {SDL_SCANCODE_PERIOD, 0xBE}, {SDL_SCANCODE_SLASH, 0xBF},
    {SDL_SCANCODE_CAPSLOCK, 0x14},
    {SDL_SCANCODE_F1, 0x70}, {SDL_SCANCODE_F2, 0x71}, {SDL_SCANCODE_F3, 0x72}, {SDL_SCANCODE_F4, 0x73},
    {SDL_SCANCODE_F5, 0x74}, {SDL_SCANCODE_F6, 0x75}, {SDL_SCANCODE_F7, 0x76}, {SDL_SCANCODE_F8, 0x77},
    {SDL_SCANCODE_F9, 0x78}, {SDL_SCANCODE_F10, 0x79}, {SDL_SCANCODE_F11, 0x7A}, {SDL_SCANCODE_F12, 0x7B},
    {SDL_SCANCODE_PRINTSCREEN, 0x2C}, {SDL_SCANCODE_SCROLLLOCK, 0x91}, {SDL_SCANCODE_PAUSE, 0x13},
    {SDL_SCANCODE_INSERT, 0x2D}, {SDL_SCANCODE_HOME, 0x24}, {SDL_SCANCODE_PAGEUP, 0x21},
    {SDL_SCANCODE_DELETE, 0x2E}, {SDL_SCANCODE_END, 0x23}, {SDL_SCANCODE_PAGEDOWN, 0x22},
    {SDL_SCANCODE_RIGHT, VK_RIGHT}, {SDL_SCANCODE_LEFT, VK_LEFT}, {SDL_SCANCODE_DOWN, VK_DOWN},
    {SDL_SCANCODE_UP, VK_UP},
    {SDL_SCANCODE_NUMLOCKCLEAR, 0x90}, {SDL_SCANCODE_KP_DIVIDE, 0x6F}, {SDL_SCANCODE_KP_MULTIPLY, 0x6A},
    {SDL_SCANCODE_KP_MINUS, 0x6D}, {SDL_SCANCODE_KP_PLUS, 0x6B}, {SDL_SCANCODE_KP_ENTER, VK_RETURN},
    {SDL_SCANCODE_KP_1, 0x61}, {SDL_SCANCODE_KP_2, 0x62}, {SDL_SCANCODE_KP_3, 0x63}, {SDL_SCANCODE_KP_4, 0x64},
    {SDL_SCANCODE_KP_5, 0x65}, {SDL_SCANCODE_KP_6, 0x66}, {SDL_SCANCODE_KP_7, 0x67}, {SDL_SCANCODE_KP_8, 0x68},
    {SDL_SCANCODE_KP_9, 0x69}, {SDL_SCANCODE_KP_0, 0x60}, {SDL_SCANCODE_KP_PERIOD, 0x6E},
    {SDL_SCANCODE_NONUSBACKSLASH, 0xE2}, {SDL_SCANCODE_APPLICATION, 0x5D},
    {SDL_SCANCODE_LCTRL, VK_LCONTROL}, {SDL_SCANCODE_LSHIFT, VK_LSHIFT}, {SDL_SCANCODE_LALT, VK_LMENU},
    {SDL_SCANCODE_LGUI, 0x5B}, {SDL_SCANCODE_RCTRL, VK_RCONTROL}, {SDL_SCANCODE_RSHIFT, VK_RSHIFT},
    {SDL_SCANCODE_RALT, VK_RMENU}, {SDL_SCANCODE_RGUI, 0x5C},
    // Japanese keyboard: "ろ" (OEM_102), "￥" (OEM_5), 変換, 無変換, かな.
    {SDL_SCANCODE_INTERNATIONAL1, 0xE2}, {SDL_SCANCODE_INTERNATIONAL3, 0xDC},
    {SDL_SCANCODE_INTERNATIONAL4, 0x1C}, {SDL_SCANCODE_INTERNATIONAL5, 0x1D},
    {SDL_SCANCODE_INTERNATIONAL2, 0x15},
};

std::array<std::atomic<bool>, 256> s_bKeyDown{};

}  // namespace

int VkFromScancode(int nScancode) {
  for (const SCANVK& e : kScanVkTable) {
    if (e.m_nScancode == nScancode) return e.m_nVk;
  }
  return 0;
}

int ScancodeFromVkForTests(int nVk) {
  for (const SCANVK& e : kScanVkTable) {
    if (e.m_nVk == nVk) return e.m_nScancode;
  }
  return 0;
}

int MessageVk(int nVk) {
  switch (nVk) {
    case VK_LSHIFT:
    case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL:
    case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU:
    case VK_RMENU: return VK_MENU;
    default: return nVk;
  }
}

int VkFromKeyName(std::string_view name) {
  // A pure table lookup in SDL: it needs no SDL_Init, so it works headless.
  SDL_Scancode sc = SDL_GetScancodeFromName(std::string(name).c_str());
  return sc == SDL_SCANCODE_UNKNOWN ? 0 : VkFromScancode(sc);
}

void SetKeyState(int nVk, bool bDown) {
  if (nVk <= 0 || nVk > 255) return;
  s_bKeyDown[nVk] = bDown;
  int nGeneric = MessageVk(nVk);
  if (nGeneric == nVk) return;
  int nLeft = nGeneric == VK_SHIFT ? VK_LSHIFT : nGeneric == VK_CONTROL ? VK_LCONTROL : VK_LMENU;
  s_bKeyDown[nGeneric] = s_bKeyDown[nLeft].load() || s_bKeyDown[nLeft + 1].load();
}

int16_t GetAsyncKeyState(int nVk) {
  if (nVk <= 0 || nVk > 255) return 0;
  return s_bKeyDown[nVk] ? static_cast<int16_t>(-32768) : 0;
}

void ClearKeyStates() {
  for (auto& b : s_bKeyDown) b = false;
}

void PostKeyMessage(int nVk, bool bDown, bool bRepeat) {
  SetKeyState(nVk, bDown);
  // Repeat count 1; bit 30 the previous state, bit 31 the transition (set
  // for a release). No part of the game reads the hardware scan code field.
  uint32_t lParam = 1u;
  if (!bDown) lParam |= 0xC0000000u;
  if (bDown && bRepeat) lParam |= 0x40000000u;
  PostMessage(g_hWndMain, bDown ? WM_KEYDOWN : WM_KEYUP, static_cast<WPARAM>(MessageVk(nVk)),
              static_cast<LPARAM>(lParam));
}
