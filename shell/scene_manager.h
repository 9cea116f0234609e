// The game-mode manager g_SceneMgr: the six mode scenes and the mode
// variables the scenes hand control over with. SetMode makes the current
// mode's scene exist and deletes the others.
#pragma once

#include <cstdint>

#include "shell/scene.h"

class cSceneManager {
 public:
  cSceneManager() = default;
  // The second DeleteAllScenes of the exit; finds null pointers after
  // UnInitGame.
  ~cSceneManager();
  cSceneManager(const cSceneManager&) = delete;
  cSceneManager& operator=(const cSceneManager&) = delete;

  // The scene of a mode (null when not built, or for a mode outside 0..5).
  cScene* SceneOf(int nMode) const;

  // Owned; null when not built. The stage scene's pointer is also the game
  // context once the stage scene exists.
  cScene* m_lpTitle = nullptr;
  cScene* m_lpWorldMap = nullptr;
  cScene* m_lpSave = nullptr;
  cScene* m_lpChallenge = nullptr;
  cScene* m_lpOption = nullptr;
  cScene* m_lpStage = nullptr;

  int32_t m_nMode = GAMEMODE_TITLE;
  int32_t m_nNextMode = GAMEMODE_TITLE;
  int32_t m_nPrevMode = GAMEMODE_TITLE;
  int32_t m_nTitleChoice = 0;  // 3: a direct free play
  int32_t m_nPlayKind = PLAYKIND_STORY;
  int32_t m_bRankingOn = 0;    // the chosen play kind ranks (set by the title)
  int32_t m_bKeepScenes = 0;   // always 0
  int32_t m_nChallengeRow = 0;  // the challenge scene's own two words
  int32_t m_nChallengeTop = 0;
  int32_t m_bDirectPlay = 0;   // started straight into a stage
  int32_t m_nTargetFps = 0;    // frames per second of the pacing
  int32_t m_nFadeStep = 0;     // per frame of the Begin and End fades
};

// Threads: InitGame sets it up and UnInitGame deletes the scenes on the
// window thread, before the game thread starts and after it has ended; in
// between the game thread owns it, and the window thread reads it only in
// requests the game thread is blocked on (the music request's modes, the
// name entry's target).
extern cSceneManager g_SceneMgr;

// Deletes every scene whose mode differs from nMode, then builds nMode's
// scene when it does not exist. A mode outside 0..5 builds nothing. An
// allocation failure gives the out-of-memory box; a text thrown by a scene's
// constructor leaves SetMode (the frame catches it).
void SetMode(int nMode);
// Deletes the six scenes in slot order (title, world map, save, challenge,
// option, stage) and nulls the pointers.
void DeleteAllScenes();
// Advances the colour ramps (g_ColourRamps) by one frame with the project's
// blink step and palette-animation switch; the menu scenes call it from the
// frames they draw.
void UpdateColourRamps();

// What builds a mode's scene (MakeModeScene unless a test sets another;
// null puts MakeModeScene back).
typedef cScene* (*SCENEMAKER)(int nMode);
void SetSceneMakerForTests(SCENEMAKER pfn);
