#include "shell/play_start.h"

#include "platform/text_cp932.h"
#include "base/path_helpers.h"
#include "records/progress.h"
#include "base/report.h"
#include "records/stage.h"
#include "records/stage_loading.h"
#include "records/system.h"
#include "records/world_map.h"
#include "shell/scene_manager.h"
#include "shell/startup.h"

namespace {

void SetLivesOfPlayKind(cEdProgress& p, int nPlayKind) {
  if (!g_System.m_vecInfiniteLives.CheckedAt(nPlayKind)) {
    const int32_t nLives = static_cast<int32_t>(g_System.m_vecStartLives.CheckedAt(nPlayKind));
    p.m_nLivesStart = nLives;
    p.m_nLives = nLives - 1;
  } else {
    p.m_nLivesStart = p.m_nLives = kUnlimitedLives;
  }
}

}  // namespace

void NewGameReset() {
  cEdProgress& p = g_Progress;
  ProgressReset(p);
  p.m_nMapX = g_WorldMap.m_nStartX;
  p.m_nMapY = g_WorldMap.m_nStartY;
  p.m_nMapRound = 0;
  SetLivesOfPlayKind(p, PLAYKIND_STORY);
}

BOOL StartStageFile(const std::string& path, int nFlag) {
  std::string name = path;
  cEdProgress& p = g_Progress;
  ProgressReset(p);
  if (!LoadStage(name, nFlag, &g_StageCopy)) {
    // The loader's box goes away with the program; the report keeps which
    // stage it was.
    ReportAndLogf(Sjis("「%s」の読み込みに失敗しました！").c_str(), name.c_str());
    return 0;
  }
  p.m_nClearFlag = 1;
  p.m_nArea = 1;
  SetLivesOfPlayKind(p, PLAYKIND_FREE);
  if (g_bFreeStage) p.m_nLivesStart = p.m_nLives = kUnlimitedLives;
  MakeRelativePath(name);
  SetProgressStageName(p, name);
  return 1;
}
