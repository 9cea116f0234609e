// What the move, warp, jump, graphic and animation commands of the flows do
// on a live chara: the movement of the sub-step, pinning, warps, block
// probes under the feet and the flow animations.
#include <algorithm>
#include <cmath>

#include "play/block_chara_collision.h"
#include "play/effect_runs.h"
#include "play/live_chara.h"
#include "play/live_lists.h"
#include "play/stage_block.h"
#include "play/stage_chara.h"
#include "play/stage_context.h"
#include "play/stage_scene.h"

void cChara::AddFrameMove(double dX, double dY) {
  m_dSpeedX += dX;
  m_dSpeedY += dY;
}

void cChara::StartMoveAnimation() {
  m_bMoveRan = 1;
  m_Anime.ChangeAnime(m_nNoGravity ? 3 : 1, false);
}

void cChara::Centre(double& dX, double& dY) {
  dX = m_dX + m_nBoxW / 2.0;
  dY = m_dY + m_nBoxH / 2.0;
}

void cChara::PlacementPosition(double& dX, double& dY) {
  dX = m_dSetupX;
  dY = m_dSetupY;
}

RECT cChara::ScreenBox() {
  const double sx = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_X].dPos : 0.0;
  const double sy = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_Y].dPos : 0.0;
  RECT r;
  r.left = static_cast<LONG>(std::floor(m_dX - sx));
  r.top = static_cast<LONG>(std::floor(m_dY - sy));
  r.right = static_cast<LONG>(std::floor(m_dRight - sx));
  r.bottom = static_cast<LONG>(std::floor(m_dBottom - sy));
  return r;
}

void cChara::ProbeFeetCells(BOOL& bLeftSolid, BOOL& bRightSolid) {
  bLeftSolid = bRightSolid = FALSE;
  cStageContext* ctx = g_lpStageContext;
  if (!ctx) return;
  // The row under the feet, kept within the stage's last row (margin rows
  // included) so a chara at the bottom edge probes the edge row.
  int nRow = static_cast<int>(std::floor(m_dBottom + 1.0)) / 32;
  const int nLastRow = ctx->StageCells(SCROLL_Y) + STAGE_MARGIN_CELLS - 1;
  nRow = std::clamp(nRow, 0, std::max(nLastRow, 0));
  const int nLeft = static_cast<int>(std::floor(m_dX)) / 32;
  const int nRight = static_cast<int>(std::floor(m_dRight)) / 32;
  bLeftSolid = cStageContext::HitKindOf(ctx->BlockAtCell(nLeft, nRow), m_nSide) != 0;
  bRightSolid = cStageContext::HitKindOf(ctx->BlockAtCell(nRight, nRow), m_nSide) != 0;
}

double cChara::RiddenMoveX() {
  if (!m_bRidingChara) return 0.0;
  for (auto& p : g_lstChara)
    if (p && p->m_nId == m_nCarrierId && p.get() != this && p->m_Def.m_bBlockChara) return p->m_dMoveDX;
  return 0.0;
}

// The block map keeps no slope vectors: every block is flat.
BOOL cChara::FollowSlope(double&, double&) { return FALSE; }

void cChara::DisableMove() {
  m_dSpeedX = m_dSpeedY = 0;
  m_dSpeedX2 = m_dSpeedY2 = 0;
  m_dImpulseX = m_dImpulseY = 0;
  m_abPinned[0] = m_abPinned[1] = 0;
  m_bMoveDisabled = 1;
}

int32_t cChara::LastBlockHitSide() { return (m_bTouchLeft || m_bTouchRight) ? m_nWallSide : -1; }

void cChara::Position(double& dX, double& dY) {
  dX = m_dX;
  dY = m_dY;
}

void cChara::BoxSize(double& dW, double& dH) {
  dW = m_nBoxW;
  dH = m_nBoxH;
}

// The box edges and cells follow the position through the clamp, as a warp
// to a cell does.
void cChara::MoveAxis(int nAxis, double dDelta) {
  if (nAxis == 0) {
    m_dX += dDelta;
    ClampX(2);
    OnMovedX();
  } else {
    m_dY += dDelta;
    ClampY(2);
    OnMovedY();
  }
}

void cChara::SetPosition(double dX, double dY) {
  m_dX = dX;
  m_dY = dY;
  ClampX(2);
  ClampY(2);
}

void cChara::SaveWarpOrigin() {
  m_adWarpOrigin[0] = m_dX;
  m_adWarpOrigin[1] = m_dY;
  m_adWarpOrigin[2] = m_dRight;
  m_adWarpOrigin[3] = m_dBottom;
}

void cChara::RestoreWarpOrigin() {
  m_dX = m_adWarpOrigin[0];
  m_dY = m_adWarpOrigin[1];
  m_dRight = m_adWarpOrigin[2];
  m_dBottom = m_adWarpOrigin[3];
  ClampX(2);
  ClampY(2);
}

BOOL cChara::WarpSpotFree() {
  UpdateScreenRect();
  if (!IsWithinStageBounds(0)) return FALSE;
  if (g_lpStageContext && g_lpStageContext->TestSpawnSpot(*this)) return FALSE;
  return TRUE;
}

void cChara::PinToScreen(double dX, double dY) {
  m_abPinned[0] = m_abPinned[1] = 1;
  m_dPinX = dX;
  m_dPinY = dY;
}

// Shots go to the running stage's lists, summons to the live lists and the
// block map; without a stage nothing is made.
void cChara::Launch(int nKind, cCommandRun& run, const cEdShot& shot) {
  if (!g_lpSceneStage) return;
  if (nKind == COMMAND_KIND_SHOT)
    g_lpSceneStage->LaunchShots(*this, run.m_nDirection, shot);
  else
    g_lpSceneStage->SummonObjects(*this, nKind, run.m_nDirection, shot);
}
void cChara::AddSword(cCommandRun&, const cEdShot& shot, int32_t nWidth, int32_t nHeight) {
  if (g_lpSceneStage) g_lpSceneStage->AddSwordShot(*this, shot, nWidth, nHeight);
}

void cChara::SetGraphic(int32_t nGraphic, int32_t nSecond, int32_t nThird) {
  m_nGraphic = nGraphic;
  m_nGraphic2 = nSecond;
  m_nGraphic3 = nThird;
}

namespace {
bool AnimeExists(int32_t nAnime) { return nAnime >= 0 && static_cast<size_t>(nAnime) < g_Database.m_vecAnime.size(); }
}  // namespace

void cChara::AddFlowAnime(int32_t nAnime, int32_t nTag) {
  if (!AnimeExists(nAnime)) return;
  FLOWANIME a;
  a.nAnime = nAnime;
  a.nTag = nTag;
  m_vFlowAnime.push_back(a);
}

void cChara::AddLeadInAnime(int32_t nAnime, int32_t nTag, int32_t nSkip, int32_t nHold) {
  if (!AnimeExists(nAnime)) return;
  FLOWANIME a;
  a.nAnime = nAnime;
  a.nTag = nTag;
  a.nTick = std::max(nSkip, 0);
  a.nHold = std::max(nHold, 0);
  m_vFlowAnime.push_back(a);
}

void cChara::RemoveFlowAnimes(int32_t nTag) {
  std::erase_if(m_vFlowAnime, [nTag](const FLOWANIME& a) { return a.nTag == nTag; });
}

void cChara::StopFlowAnimes(int32_t nTag) {
  std::erase_if(m_vFlowAnime, [nTag](const FLOWANIME& a) { return a.nTag == nTag && a.bFinished; });
  for (FLOWANIME& a : m_vFlowAnime)
    if (a.nTag == nTag) a.bStopping = 1;
}

void cChara::ResumeFlowAnimes(int32_t nTag) {
  for (FLOWANIME& a : m_vFlowAnime)
    if (a.nTag == nTag) a.bStopping = 0;
}

void cChara::StartCharaEffect(int32_t nEffect, int32_t nMode, int32_t nRepeat) {
  CharaEffectStart(m_Effect, nEffect, static_cast<uint32_t>(nMode), static_cast<uint32_t>(nRepeat));
}
