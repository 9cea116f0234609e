#include "platform/pacing_clock.h"

#include <atomic>

#include "platform/messages.h"
#include "platform/test_seams.h"

namespace {

std::atomic<DWORD> s_dwPacedClock{0};
std::atomic<bool> s_bInstalled{false};

DWORD PacedTime() { return s_dwPacedClock.load(); }

}  // namespace

bool IsFastPacing() {
  static const bool s_bFast = EnvNumber("TARVOLIN4_FAST", 0) != 0;
  return s_bFast;
}

void InitPacingClock() {
  if (!IsFastPacing()) return;
  // Starts where the real clock stands, so seeds taken from it still vary.
  s_dwPacedClock = timeGetTime();
  SetTimeSource(&PacedTime);
  s_bInstalled = true;
}

void PacingSleep(DWORD dwMs) {
  if (s_bInstalled) {
    s_dwPacedClock.fetch_add(dwMs);
    return;
  }
  Sleep(dwMs);
}
