// The joysticks as the game reads them: axes in 0..65535 (32767 at rest,
// left and up low) and one bit per button, button 1 in bit 0. Read through
// SDL's joystick API once InitJoysticks has run; headless, or before that,
// every read fails as for an unplugged joystick, unless the key script
// plays a pad (platform/key_script.h), which is then joystick 0.
#pragma once

#include "platform/win_types.h"

struct JOYREADING {
  DWORD dwXpos = 32767;
  DWORD dwYpos = 32767;
  DWORD dwButtons = 0;
};

// The most joysticks a read may name.
constexpr UINT kMaxJoysticks = 16;

// On the window thread at start-up and shut-down, while no other thread
// reads; headless nothing happens (but for the key script's pad).
void InitJoysticks();
void UnInitJoysticks();

// The device's state at the call. FALSE when joystick uJoyId is absent (the
// reading is then left alone). Any thread.
BOOL ReadJoystick(UINT uJoyId, JOYREADING* pReading);

// The key script's pad: an axis (0 X, 1 Y) to -32768..32767, a button
// (0 for button 1) down or up. Nothing happens while there is no such pad.
void SetScriptedPadAxis(int nAxis, int nValue);
void SetScriptedPadButton(int nButton, bool bDown);

// Tests only: readings come from this function instead of SDL; null puts
// SDL back.
typedef BOOL (*JOYSTICKSOURCE)(UINT uJoyId, JOYREADING* pReading);
void SetJoystickSourceForTests(JOYSTICKSOURCE pfn);
