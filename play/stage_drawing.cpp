// One picture of the running stage on the back buffer, in its fixed order:
// backgrounds, pictures and blocks, the objects layer by layer, the
// foreground, effects, texts and the status display; and the settling of a
// miss once player 1's defeat animation has run out.
#include <cmath>

#include "media/graphics/dd.h"
#include "play/play_state.h"
#include "play/stage_block.h"
#include "play/stage_scene.h"
#include "records/progress.h"
#include "records/stage.h"
#include "records/system.h"

namespace {

// Until the stage graphics land, the back-ground is a flat sky and every
// block a grey cell, so the stage can be seen and the scroll followed.
constexpr DWORD kPlaceholderSky = 0x203048;
constexpr DWORD kPlaceholderBlock = 0x808080;

void DrawBlockPlaceholders(const cSceneStage& scene) {
  const int x0 = static_cast<int>(std::floor(scene.m_aScroll[SCROLL_X].dPos));
  const int y0 = static_cast<int>(std::floor(scene.m_aScroll[SCROLL_Y].dPos));
  const int nStride = 1 << scene.RowShift();
  const int nRows = static_cast<int>(g_vBlockMap.size()) >> scene.RowShift();
  for (int row = std::max(0, y0 / 32); row <= (y0 + 479) / 32 && row < nRows; ++row) {
    for (int col = std::max(0, x0 / 32); col <= (x0 + 639) / 32 && col < nStride; ++col) {
      const cStageBlock& cell = g_vBlockMap[(static_cast<size_t>(row) << scene.RowShift()) + col];
      if (cell.m_nImageIndex == 0) continue;
      DDFillRectRGB(&g_BackBufferSD, col * 32 - x0 + 1, row * 32 - y0 + 1, 30, 30, kPlaceholderBlock);
    }
  }
}

int CountChars(const std::string& s) {
  int n = 0;
  for (size_t i = 0; i < s.size(); ++i, ++n) {
    const uint8_t c = static_cast<uint8_t>(s[i]);
    if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && i + 1 < s.size()) ++i;
  }
  return n;
}

}  // namespace

void cSceneStage::DrawStageFrame(BOOL bFrozenMenu, BOOL bStill, BOOL bPlay, BOOL bStatusLine) {
  (void)bPlay;
  // Backgrounds (layer 0, then in the pause menu that hides the stage only
  // layer 1 and the screen colour) plug in here.
  DDFillSurfaceRGB(&g_BackBufferSD, kPlaceholderSky);
  if (!bFrozenMenu && m_nState == STAGESTATE_PAUSEMENU && g_System.m_bHideWhilePaused) return;
  // Pictures of layer 0, then the block map's layer 0.
  DrawBlockPlaceholders(*this);
  const int nLayers = g_Stage.m_bEightLayers ? 8 : 1;
  for (int nLayer = 0; nLayer < nLayers; ++nLayer) {
    // Player 1 on its layer (always in the one layer), then the items, the
    // charas and the shots of the layer, each in its batch.
    if (nLayer == 0) DrawPlayerAndSettleMiss(bStill);
  }
  // Foreground blocks, back-ground layer 1, player 1's overlay, pictures of
  // layer 1, hit effects, message texts, the screen effect, the status bar
  // and the time display plug in here.
  if (bStatusLine && g_StageLinks.pfnDrawText) {
    const int nText = m_Start.bFreeStage ? 26 : (m_Start.bEditorLink ? 25 : -1);
    if (nText >= 0 && nText < static_cast<int>(g_System.m_vecText.size())) {
      const std::string& text = g_System.m_vecText[nText];
      g_StageLinks.pfnDrawText(320 - CountChars(text) * 16 / 2, 456, text);
    }
  }
}

void cSceneStage::DrawPlayerAndSettleMiss(BOOL bStill) {
  // Player 1's body and effect layers, or its defeat animation, are drawn
  // here once the player lands; until then a defeat has run out at once.
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
  if (m_Start.nPlayKind == 0 && g_System.m_bStoryMissMenu) {
    m_nSubState = 0;
    m_nState = STAGESTATE_MISSMENU;
    return;
  }
  SetStage(1, 0);
  m_nState = STAGESTATE_BANNER;
}
