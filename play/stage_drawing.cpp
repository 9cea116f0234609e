// One picture of the running stage on the back buffer, in its fixed order:
// backgrounds, pictures and blocks, the objects layer by layer, the
// foreground, effects, texts and the status display; and the settling of a
// miss once player 1's defeat animation has run out.

#include <algorithm>
#include <cstdint>

#include "base/message_box.h"
#include "media/graphics/colour_ramps.h"
#include "media/graphics/dd.h"
#include "play/chara_drawing.h"
#include "play/chara_gauges.h"
#include "play/item_object.h"
#include "play/stage_chara.h"
#include "play/stage_graphics.h"
#include "play/live_lists.h"
#include "play/message_text.h"
#include "play/play_state.h"
#include "play/player.h"
#include "play/status_bar.h"
#include "play/status_carry.h"
#include "play/stage_block.h"
#include "play/stage_scene.h"
#include "records/progress.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

// The gauges are cut from the accessory sheet of the system pictures.
void DrawGauges(cChara& chara, DDSURFACEDATA* bb) {
  DDSURFACEDATA* lpPicture = StageSurface(STAGESURFACE_ACCESSORY);
  const int nWidth = lpPicture ? lpPicture->nWidth : 0;
  CharaDrawLifeGauge(chara, bb, lpPicture, nWidth);
  CharaDrawSpGauge(chara, bb, lpPicture, nWidth);
}

// Player 1's view limit: the window of the view surface around the player,
// kept within the surface, over the whole view.
void DrawViewLimit(const cPlayer& player, DDSURFACEDATA* bb, DDSURFACEDATA* lpView) {
  if (!SurfaceHasPixels(lpView)) return;
  int sx = 0, sy = 0;
  if (!player.PlayerViewLimitSource(lpView->nWidth, lpView->nHeight, sx, sy)) return;
  DDBltFast(bb, 0, 0, 640, 480, lpView, sx, sy, 1);
}

}  // namespace

int ObjectLayerOf(const cChara& chara) { return chara.m_Def.m_nSetting17; }

void cSceneStage::DrawStageFrame(BOOL bFrozenMenu, BOOL bStill, BOOL bPlay, BOOL bStatusLine) {
  DDSURFACEDATA* bb = &g_BackBufferSD;
  if (bPlay) StepBackgroundScroll();
  DrawBackgrounds(bb, 0);
  // The pause menu may hide the stage: only its backgrounds and the screen
  // colour stay behind the menu.
  if (!bFrozenMenu && m_nState == STAGESTATE_PAUSEMENU && g_System.m_bHideWhilePaused) {
    DrawBackgrounds(bb, 1);
    StepScreenColor(m_ScreenColour, bb, bStill);
    return;
  }
  DrawScreenPictures(m_Pictures, bb, 0, bStill);
  DrawBlockMap(bb, 0);
  // The object layers, each object read for its layer as it is drawn, so
  // that a flow's change of a chara's Z moves it at once.
  const bool bLayers = g_Stage.m_bEightLayers != 0;
  // Player 1 outside the layers (or gone) is not drawn, but its defeat still
  // runs out and settles the miss.
  const cPlayer* p1 = ::FirstPlayer();
  if (!p1 || (bLayers && (ObjectLayerOf(*p1) < 0 || ObjectLayerOf(*p1) >= OBJECT_LAYERS)))
    DrawPlayerAndSettleMiss(bStill, FALSE);
  for (int nLayer = 0; nLayer < (bLayers ? OBJECT_LAYERS : 1); ++nLayer)
    DrawObjectLayer(bLayers ? nLayer : -1, bStill, bPlay);
  DrawBlockMap(bb, 1);
  DrawBackgrounds(bb, 1);
  if (const cPlayer* p = ::FirstPlayer()) DrawViewLimit(*p, bb, &m_ViewSD);
  DrawScreenPictures(m_Pictures, bb, 1, bStill);
  DrawHitEffects(bb, bStill);
  // Message texts; a finished one has released its surface and leaves. In
  // the frozen frames it stays, undrawn, until the next play frame: the
  // waiting flow command takes its own text down by its place in the list.
  for (auto it = g_lstText.begin(); it != g_lstText.end();) {
    if (it->TextObjectDraw(bb, bStill, m_nPlayFrame) == 1 && bPlay)
      it = g_lstText.erase(it);
    else
      ++it;
  }
  RunScreenEffect(m_ScreenEffect, bb, bStill, ::FirstPlayer());
  STATUSBARVALUES values;
  values.nCounter0 = g_Progress.m_nScore;
  values.nCounter1 = g_Progress.m_nValue17;  // the per-stage count, cleared when the stage is set up
  values.nCounter4 = g_Progress.m_nLives;
  if (const cPlayer* p = ::FirstPlayer()) {
    values.nHp = p->m_nHp;
    values.nMaxHp = static_cast<int32_t>(p->m_Def.m_nMaxHp);
    values.nSp = p->m_nSp;
    values.nMaxSp = static_cast<int32_t>(p->m_Def.m_nMaxSp);
  }
  DrawStatusBar(bb, values, g_Stage.m_bShowStatusBar != 0);
  // Frozen frames show the time but never sound its warning.
  if (g_Stage.m_bTimeLimit) DrawTimeCounter(bb, bPlay);
  if (bStatusLine && g_StageLinks.pfnDrawText) {
    const int nText = m_Start.bFreeStage ? 26 : (m_Start.bEditorLink ? 25 : -1);
    if (nText >= 0 && nText < static_cast<int>(g_System.m_vecText.size())) {
      const std::string& text = g_System.m_vecText[nText];
      g_StageLinks.pfnDrawText(320 - CountMbcsChars(text) * 16 / 2, 456, text);
    }
  }
  // The colour ramps move once per stage picture; the tint goes over the
  // whole picture, the status display and the bottom line included.
  StepColourRamps(g_ColourRamps, static_cast<int>(std::min<uint32_t>(g_System.m_nColourRampValue, 255)),
                  g_System.m_bPaletteCycle != 0);
  StepScreenColor(m_ScreenColour, bb, bStill);
}

void cSceneStage::DrawObjectLayer(int nLayer, BOOL bStill, BOOL bPlay) {
  DDSURFACEDATA* bb = &g_BackBufferSD;
  auto OnLayer = [nLayer](int n) { return nLayer < 0 || n == nLayer; };
  if (const cPlayer* p = ::FirstPlayer(); p && OnLayer(ObjectLayerOf(*p))) DrawPlayerAndSettleMiss(bStill, TRUE);
  if (OnLayer(ITEM_AND_SHOT_LAYER)) {
    DDBeginBatch(1);
    if (DDSURFACEDATA* lpMark = StageSurface(STAGESURFACE_MARK)) DDSetBatchLayer(lpMark);
    for (auto& item : g_lstItem) {
      // An item whose conditions fail this frame is not there.
      if (!item || item->m_bRemoved || !item->m_bEnabled) continue;
      item->UpdateScreenRect();
      ItemDraw(*item, bb, bStill != 0);
    }
    DDEndBatch();
  }
  // A chara whose defeat has run out leaves at once, unlinked from every
  // holder before it is freed. Only a play frame frees it: the frozen frames
  // are drawn while the game thread waits inside a flow (perhaps the Died
  // flow of this very chara) or inside a walk of the list, and must not free
  // what they run on.
  for (auto it = g_lstChara.begin(); it != g_lstChara.end();) {
    if (!*it || (*it)->m_bRemoved || !OnLayer(ObjectLayerOf(**it)) || DrawStageChara(**it, bStill) != 1 || !bPlay) {
      ++it;
      continue;
    }
    it = EraseChara(it);
  }
  if (OnLayer(ITEM_AND_SHOT_LAYER)) DrawShots(bb, bStill);
}

// The view limit of player 1's definition at its present radius; a stage
// without one keeps no view surface from the stage before.
void cSceneStage::BuildViewSurfaces() {
  DDReleaseSurface(&m_ViewSD);
  DDReleaseSurface(&m_ViewWorkSD);
  if (const cPlayer* p = ::FirstPlayer(); p && p->m_Def.m_nSetting37 != 0)
    CreateStageSurface(&m_ViewSD, &m_ViewWorkSD, p->m_nViewLimitPixels, p->m_Def.m_nSetting37);
}

int cSceneStage::DrawStageChara(cStageChara& chara, BOOL bStill) {
  DDSURFACEDATA* bb = &g_BackBufferSD;
  chara.UpdateScreenRect();
  if (chara.m_bDefeated) return CharaDrawDefeated(chara, bb, bStill);
  // A chara whose conditions fail this frame is not there.
  if (!chara.m_bEnabled) return 0;
  CharaDraw(chara, bb, bStill);
  if (chara.m_bTransparent || chara.m_bRemoved) return 0;
  DrawGauges(chara, bb);
  chara.StageCharaDrawIcon(bb, bStill);
  return 0;
}

void cSceneStage::DrawPlayerAndSettleMiss(BOOL bStill, BOOL bDrawn) {
  if (cPlayer* p = ::FirstPlayer()) {
    // Not drawn: the draw runs on no surface, so its animation and defeat
    // go on unseen.
    DDSURFACEDATA* bb = bDrawn ? &g_BackBufferSD : nullptr;
    p->UpdateScreenRectScrolled();
    if (!Player1Defeated() && !p->m_bDefeated) {
      p->PlayerDraw(bb, bStill);
      return;
    }
    if (CharaDrawDefeated(*p, bb, bStill) != 1) return;
  }
  // The miss is settled once, in a drawn frame of play: the frozen frames
  // of the states after it must not take a life again, and thPause, which
  // may draw while play is stopped in a step, must not set the stage up.
  if (!Player1Defeated() || m_nState != STAGESTATE_PLAY || bStill) return;
  if (m_Start.nTitleChoice == 4) {
    RestoreStartStatus(true);
    SetStage(1, 1);
    m_nState = STAGESTATE_BANNER;
    return;
  }
  if (!UseLife(g_Progress, m_Start.bFreeStage)) {
    m_nSubState = 0;
    m_nState = STAGESTATE_GAMEOVER;
    return;
  }
  // The carried values the project resets on a miss are dropped.
  if (g_Stage.m_bInheritStatus) ClearResetSwitches(g_Progress);
  RestoreStartStatus(false);
  if (m_Start.nPlayKind == 0 && g_System.m_bStoryMissMenu) {
    m_nSubState = 0;
    m_nState = STAGESTATE_MISSMENU;
    return;
  }
  SetStage(1, 0);
  m_nState = STAGESTATE_BANNER;
}
