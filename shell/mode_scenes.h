// The scenes of the six game modes as SetMode builds them.
#pragma once

#include <memory>

#include "shell/scene.h"

class cSceneStage;

// A new scene for a mode of 0..5 (null for any other).
cScene* MakeModeScene(int nMode);

// The stage mode's scene: the stage-play scene of play/, made with what the
// mode manager knows of the play started, stepped once per frame; when it
// has faded out, the mode changes to its next mode.
class cStageModeScene : public cScene {
 public:
  cStageModeScene();
  ~cStageModeScene() override;
  void Update() override;

  std::unique_ptr<cSceneStage> m_lpStage;
};

// What stage play asks of the shell (input, presenting, sounds, music, the
// frame divider, stage files, text): installed by start-up before the game
// thread runs.
void InstallStageLinks();
