// The play log of headless runs: one line per frame of the stage scene, so
// that scripted runs and replays can be compared byte for byte.
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "play/live_lists.h"
#include "play/player.h"
#include "play/stage_chara.h"
#include "play/stage_scene.h"
#include "records/progress.h"

namespace {

// Game thread only: opened on the first line, closed at the process's end.
struct PLAYLOGFILE {
  bool bTried = false;
  FILE* fp = nullptr;
  ~PLAYLOGFILE() {
    if (fp) std::fclose(fp);
  }
};
PLAYLOGFILE s_Log;

}  // namespace

void WritePlayLogLine(const cSceneStage& scene) {
  if (!s_Log.bTried) {
    s_Log.bTried = true;
    const char* pszPath = std::getenv("TARVOLIN4_PLAYLOG");
    if (pszPath && *pszPath) s_Log.fp = std::fopen(pszPath, "w");
  }
  if (!s_Log.fp) return;
  const cPlayer* p = FirstPlayer();
  const int x = p ? static_cast<int>(std::floor(p->m_dX)) : 0;
  const int y = p ? static_cast<int>(std::floor(p->m_dY)) : 0;
  const int hp = p ? p->m_nHp : 0;
  const int nCharas = static_cast<int>(g_lstChara.size()), nShots = static_cast<int>(scene.m_Shots.m_lstShot.size());
  const int nItems = static_cast<int>(g_lstItem.size());
  std::fprintf(s_Log.fp, "frame=%u stage=%d state=%d x=%d y=%d hp=%d lives=%d score=%d time=%d charas=%d shots=%d items=%d\n",
               scene.m_nPlayFrame, g_Progress.m_nArea, scene.m_nState, x, y, hp, g_Progress.m_nLives,
               g_Progress.m_nScore, scene.m_Timer.nTime, nCharas, nShots, nItems);
  std::fflush(s_Log.fp);
}
