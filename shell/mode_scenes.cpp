#include "shell/mode_scenes.h"

#include "media/graphics/dd.h"
#include "shell/challenge_scene.h"
#include "shell/option_scene.h"
#include "shell/save_scene.h"
#include "shell/title_scene.h"
#include "shell/worldmap_scene.h"

cScene* MakeModeScene(int nMode) {
  switch (nMode) {
    // Each mode takes its own scene here once it exists.
    case GAMEMODE_TITLE: return new cSceneTitle();
    case GAMEMODE_WORLDMAP: return new cSceneWorldMap();
    case GAMEMODE_SAVE: return new cSceneSave();
    case GAMEMODE_STAGE:
      return new cEmptyModeScene(nMode);
    case GAMEMODE_CHALLENGE: return new cSceneChallenge();
    case GAMEMODE_OPTION: return new cSceneOption();
    default:
      return nullptr;
  }
}

void cEmptyModeScene::Update() {
  InitOnce();
  DDFillSurfaceRGB(&g_BackBufferSD, 0);
}
