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
  // The object layers: live objects keep no layer byte of their own, so all
  // of them are on layer 0 and the other layers of an eight-layer stage
  // draw nothing.
  DrawPlayerAndSettleMiss(bStill);
  DDBeginBatch(1);
  if (DDSURFACEDATA* lpMark = StageSurface(STAGESURFACE_MARK)) DDSetBatchLayer(lpMark);
  for (auto& item : g_lstItem) {
    // An item whose conditions fail this frame is not there.
    if (!item || item->m_bRemoved || !item->m_bEnabled) continue;
    item->UpdateScreenRect();
    ItemDraw(*item, bb, bStill != 0);
  }
  DDEndBatch();
  // A chara whose defeat has run out leaves at once, unlinked from every
  // holder before it is freed. Only a play frame frees it: the frozen frames
  // are drawn while the game thread waits inside a flow (perhaps the Died
  // flow of this very chara) or inside a walk of the list, and must not free
  // what they run on.
  for (auto it = g_lstChara.begin(); it != g_lstChara.end();) {
    if (!*it || (*it)->m_bRemoved || DrawStageChara(**it, bStill) != 1 || !bPlay) {
      ++it;
      continue;
    }
    it = EraseChara(it);
  }
  DrawShots(bb, bStill);
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

int cSceneStage::DrawStageChara(cStageChara& chara, BOOL bStill) {
  DDSURFACEDATA* bb = &g_BackBufferSD;
  chara.UpdateScreenRect();
  if (chara.m_bDefeated) return CharaDrawDefeated(chara, bb, bStill);
  // A chara whose conditions fail this frame is not there.
  if (!chara.m_bEnabled) return 0;
  CharaDraw(chara, bb, bStill);
  if (!chara.m_bTransparent && !chara.m_bRemoved) DrawGauges(chara, bb);
  return 0;
}

void cSceneStage::DrawPlayerAndSettleMiss(BOOL bStill) {
  if (cPlayer* p = ::FirstPlayer()) {
    DDSURFACEDATA* bb = &g_BackBufferSD;
    p->UpdateScreenRectScrolled();
    if (!Player1Defeated() && !p->m_bDefeated) {
      CharaDraw(*p, bb, bStill);
      DrawGauges(*p, bb);
      return;
    }
    if (CharaDrawDefeated(*p, bb, bStill) != 1) return;
  }
  // The miss is settled once, in a drawn frame of play: the frozen frames
  // of the states after it must not take a life again, and thPause, which
  // may draw while play is stopped in a step, must not set the stage up.
  if (!Player1Defeated() || m_nState != STAGESTATE_PLAY || bStill) return;
  if (m_Start.nTitleChoice == 4) {
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
  if (m_Start.nPlayKind == 0 && g_System.m_bStoryMissMenu) {
    m_nSubState = 0;
    m_nState = STAGESTATE_MISSMENU;
    return;
  }
  SetStage(1, 0);
  m_nState = STAGESTATE_BANNER;
}
