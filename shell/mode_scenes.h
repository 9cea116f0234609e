// The scenes of the six game modes as SetMode builds them. A mode whose own
// scene is not built yet gets a stand-in that initialises once and shows a
// black frame, so the mode manager and the frame run the same way with it.
#pragma once

#include "shell/scene.h"

// A new scene for a mode of 0..5 (null for any other).
cScene* MakeModeScene(int nMode);

class cEmptyModeScene : public cScene {
 public:
  explicit cEmptyModeScene(int nMode) : m_nMode(nMode) {}
  void Update() override;

  int m_nMode;
};
