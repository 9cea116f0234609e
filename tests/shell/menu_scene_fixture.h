// The frame the menu-scene tests share: a message window in place of the
// main window, the system sound list, the scene manager in the scene's mode
// and player 0's input fresh; the scene is then driven a frame at a time
// through player 0's input record.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "media/sound/sound_effects.h"
#include "platform/messages.h"
#include "records/start_tables.h"
#include "shell/main_window.h"
#include "shell/menu_cursor.h"
#include "shell/player_input.h"
#include "shell/scene.h"
#include "shell/scene_manager.h"

class cMenuSceneTest : public ::testing::Test {
 protected:
  // The scene of nMode entered from nPrevMode; proc answers what the scene
  // sends the main window.
  void StartMenuScene(WNDPROC proc, int nMode, int nPrevMode, int nFadeStep, size_t nSounds = kSystemSoundCount) {
    ResetMessageLayerForTests();
    g_hWndMain = CreateMessageWindow(proc);
    m_nMode = nMode;
    m_Sounds.assign(nSounds, SOUNDDATA{});
    g_SoundList = &m_Sounds;
    ResetMenuState();
    cSceneManager& m = g_SceneMgr;
    m.m_nMode = m.m_nNextMode = nMode;
    m.m_nPrevMode = nPrevMode;
    m.m_nFadeStep = nFadeStep;
    g_vPlayerInput.CheckedAt(0) = cPlayerInput();
  }
  // The fades keep their angle between scenes: one run each way to the end
  // leaves both at their start.
  static void SettleFades() {
    while (!MenuFadeIn(90)) {
    }
    while (!MenuFadeOut(90)) {
    }
  }
  void TearDown() override {
    SetSoundPlayHookForTests(nullptr);
    g_SoundList = nullptr;
    g_hWndMain = nullptr;
    g_SceneMgr.m_nFadeStep = 0;
    g_SceneMgr.m_nMode = GAMEMODE_TITLE;
    ResetMenuState();
    ResetMessageLayerForTests();
  }

  // One frame with these keys held.
  static void Frame(cScene& s, uint16_t wDirection = 0, uint16_t wButton = 0) {
    cPlayerInput& in = g_vPlayerInput.CheckedAt(0);
    in.m_wDirection = wDirection;
    in.m_wButton = wButton;
    s.Update();
  }
  // A key pressed for one frame and released for one.
  static void Press(cScene& s, uint16_t wDirection, uint16_t wButton = 0) {
    Frame(s, wDirection, wButton);
    Frame(s);
  }
  // The frames up to and with the one that leaves the scene's mode; -1
  // when it is still current after 30.
  int FramesToModeSwitch(cScene& s) const {
    for (int f = 1; f <= 30; ++f) {
      Frame(s);
      if (g_SceneMgr.m_nMode != m_nMode) return f;
    }
    return -1;
  }

  int m_nMode = GAMEMODE_TITLE;
  cVector<SOUNDDATA> m_Sounds;
};
