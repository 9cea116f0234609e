// The joysticks as the game reads them: axes in 0..65535 (32767 at rest,
// left and up low) and one bit per button, button 1 in bit 0. Read through
// SDL's joystick API once InitJoysticks has run; headless, or before that,
// every read fails as for an unplugged joystick.
#pragma once

#include "platform/win_types.h"

struct JOYREADING {
  DWORD dwXpos = 32767;
  DWORD dwYpos = 32767;
  DWORD dwButtons = 0;
};

// The most joysticks a read may name.
constexpr UINT kMaxJoysticks = 16;

// On the window thread at start-up; nothing happens headless. SDL's event
// pump (the window thread's) keeps the readings current.
void InitJoysticks();
void UnInitJoysticks();

// FALSE when joystick uJoyId is absent (the reading is then left alone).
// Any thread.
BOOL ReadJoystick(UINT uJoyId, JOYREADING* pReading);

// Tests only: readings come from this function instead of SDL; null puts
// SDL back.
typedef BOOL (*JOYSTICKSOURCE)(UINT uJoyId, JOYREADING* pReading);
void SetJoystickSourceForTests(JOYSTICKSOURCE pfn);
