#include "platform/joystick.h"

#include <SDL.h>

#include <atomic>
#include <mutex>

#include "platform/test_seams.h"

namespace {

std::atomic<JOYSTICKSOURCE> s_pfnSource{nullptr};
std::mutex s_Lock;  // guards the table of opened joysticks
bool s_bInitialised = false;
SDL_Joystick* s_apJoy[kMaxJoysticks] = {};

// SDL's -32768..32767 as 0..65535.
DWORD AxisValue(SDL_Joystick* p, int nAxis) {
  if (SDL_JoystickNumAxes(p) <= nAxis) return 32767;
  return static_cast<DWORD>(static_cast<int>(SDL_JoystickGetAxis(p, nAxis)) + 32768);
}

}  // namespace

void InitJoysticks() {
  std::lock_guard<std::mutex> lk(s_Lock);
  if (s_bInitialised || IsHeadless()) return;
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) return;
  s_bInitialised = true;
}

void UnInitJoysticks() {
  std::lock_guard<std::mutex> lk(s_Lock);
  if (!s_bInitialised) return;
  for (SDL_Joystick*& p : s_apJoy) {
    if (p) SDL_JoystickClose(p);
    p = nullptr;
  }
  SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  s_bInitialised = false;
}

BOOL ReadJoystick(UINT uJoyId, JOYREADING* pReading) {
  if (JOYSTICKSOURCE pfn = s_pfnSource.load()) return pfn(uJoyId, pReading);
  if (uJoyId >= kMaxJoysticks || !pReading) return FALSE;
  std::lock_guard<std::mutex> lk(s_Lock);
  if (!s_bInitialised) return FALSE;
  SDL_Joystick*& p = s_apJoy[uJoyId];
  if (p && !SDL_JoystickGetAttached(p)) {
    SDL_JoystickClose(p);
    p = nullptr;
  }
  if (!p) {
    // Joystick n is the n-th device SDL knows; one plugged in later is found
    // at the next read the game makes.
    if (static_cast<int>(uJoyId) >= SDL_NumJoysticks()) return FALSE;
    p = SDL_JoystickOpen(static_cast<int>(uJoyId));
    if (!p) return FALSE;
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

void SetJoystickSourceForTests(JOYSTICKSOURCE pfn) { s_pfnSource.store(pfn); }
