#include "platform/joystick.h"

#include <SDL.h>

#include <atomic>
#include <cstdio>
#include <mutex>

#include "platform/key_script.h"
#include "platform/test_seams.h"

namespace {

std::atomic<JOYSTICKSOURCE> s_pfnSource{nullptr};
std::mutex s_Lock;  // guards everything below
bool s_bInitialised = false;
SDL_Joystick* s_apJoy[kMaxJoysticks] = {};
// The key script's pad: joystick 0, and the only one, while it exists.
SDL_Joystick* s_pScriptPad = nullptr;

constexpr int kScriptPadAxes = 2;
constexpr int kScriptPadButtons = 8;

// SDL's -32768..32767 as 0..65535.
DWORD AxisValue(SDL_Joystick* p, int nAxis) {
  if (SDL_JoystickNumAxes(p) <= nAxis) return 32767;
  return static_cast<DWORD>(static_cast<int>(SDL_JoystickGetAxis(p, nAxis)) + 32768);
}

void AttachScriptPadLocked() {
  const int nIndex = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, kScriptPadAxes, kScriptPadButtons, 0);
  if (nIndex >= 0) s_pScriptPad = SDL_JoystickOpen(nIndex);
  if (!s_pScriptPad) std::fprintf(stderr, "TARVOLIN4_INPUT: no virtual pad: %s\n", SDL_GetError());
}

}  // namespace

void InitJoysticks() {
  // Asked before the lock: the script's delivery takes its lock, then ours.
  const bool bScriptPad = KeyScriptDrivesPad();
  std::lock_guard<std::mutex> lk(s_Lock);
  if (s_bInitialised) return;
  // Headless runs read no device of the machine: a pad plugged in there
  // would change what a scripted run plays.
  if (IsHeadless() && !bScriptPad) return;
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  // The state is read when the game asks (ReadJoystick), as the original
  // reads the device, not whenever the window thread pumps its events.
  SDL_SetHint(SDL_HINT_AUTO_UPDATE_JOYSTICKS, "0");
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
  SDL_JoystickEventState(SDL_IGNORE);
  s_bInitialised = true;
  if (bScriptPad) AttachScriptPadLocked();
}

void UnInitJoysticks() {
  std::lock_guard<std::mutex> lk(s_Lock);
  if (!s_bInitialised) return;
  for (SDL_Joystick*& p : s_apJoy) {
    if (p) SDL_JoystickClose(p);
    p = nullptr;
  }
  if (s_pScriptPad) {
    SDL_JoystickClose(s_pScriptPad);
    s_pScriptPad = nullptr;
  }
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  s_bInitialised = false;
}

BOOL ReadJoystick(UINT uJoyId, JOYREADING* pReading) {
  if (JOYSTICKSOURCE pfn = s_pfnSource.load()) return pfn(uJoyId, pReading);
  if (uJoyId >= kMaxJoysticks || !pReading) return FALSE;
  std::lock_guard<std::mutex> lk(s_Lock);
  if (!s_bInitialised) return FALSE;
  // The devices' current state, and the pads plugged in or out since.
  SDL_JoystickUpdate();
  SDL_Joystick* p = nullptr;
  if (s_pScriptPad) {
    if (uJoyId != 0) return FALSE;
    p = s_pScriptPad;
  } else {
    SDL_Joystick*& slot = s_apJoy[uJoyId];
    if (slot && !SDL_JoystickGetAttached(slot)) {
      SDL_JoystickClose(slot);
      slot = nullptr;
    }
    if (!slot) {
      // Joystick n is the n-th device SDL knows; one plugged in later is
      // found at the next read the game makes.
      if (static_cast<int>(uJoyId) >= SDL_NumJoysticks()) return FALSE;
      slot = SDL_JoystickOpen(static_cast<int>(uJoyId));
      if (!slot) return FALSE;
    }
    p = slot;
  }
  JOYREADING r;
  r.dwXpos = AxisValue(p, 0);
  r.dwYpos = AxisValue(p, 1);
  int nButtons = SDL_JoystickNumButtons(p);
  for (int i = 0; i < nButtons && i < 32; ++i)
    if (SDL_JoystickGetButton(p, i)) r.dwButtons |= 1u << i;
  *pReading = r;
  return TRUE;
}

void SetScriptedPadAxis(int nAxis, int nValue) {
  std::lock_guard<std::mutex> lk(s_Lock);
  if (!s_pScriptPad || nAxis < 0 || nAxis >= kScriptPadAxes) return;
  const int v = nValue < -32768 ? -32768 : nValue > 32767 ? 32767 : nValue;
  SDL_JoystickSetVirtualAxis(s_pScriptPad, nAxis, static_cast<Sint16>(v));
}

void SetScriptedPadButton(int nButton, bool bDown) {
  std::lock_guard<std::mutex> lk(s_Lock);
  if (!s_pScriptPad || nButton < 0 || nButton >= kScriptPadButtons) return;
  SDL_JoystickSetVirtualButton(s_pScriptPad, nButton, bDown ? SDL_PRESSED : SDL_RELEASED);
}

void SetJoystickSourceForTests(JOYSTICKSOURCE pfn) { s_pfnSource.store(pfn); }
