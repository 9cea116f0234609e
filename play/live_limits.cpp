#include "play/live_limits.h"

#include "base/report.h"

namespace {

const char* const kKindName[LIVE_KIND_COUNT] = {"charas", "items", "shots", "blocks"};

// Game thread only, as the spawns are.
bool s_abReported[LIVE_KIND_COUNT] = {};

}  // namespace

bool RoomForLive(LIVEKIND kind, size_t nLive) {
  if (nLive < LIVE_MAX[kind]) return true;
  if (!s_abReported[kind]) {
    s_abReported[kind] = true;
    Reportf("the stage holds at most %zu %s at once: no more are made", LIVE_MAX[kind], kKindName[kind]);
  }
  return false;
}

void ResetLiveLimitReports() {
  for (bool& b : s_abReported) b = false;
}
