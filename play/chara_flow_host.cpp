// What the move, warp, jump, graphic and animation commands of the flows do
// on a live chara: the movement of the sub-step, pinning, warps, block
// probes under the feet and the flow animations.
#include <algorithm>
#include <climits>
#include <cmath>
#include <span>

#include "play/block_chara_collision.h"
#include "play/effect_runs.h"
#include "play/id_index.h"
#include "play/live_chara.h"
#include "play/live_lists.h"
#include "play/stage_block.h"
#include "play/stage_chara.h"
#include "play/stage_context.h"
#include "play/stage_scene.h"
#include "records/database_run_tables.h"

void cChara::AddFrameMove(double dX, double dY) {
  m_dSpeedX += dX;
  m_dSpeedY += dY;
}

// Forced: every step of an anime set's animations refuses a change that is
// not; the walk already shown keeps running.
void cChara::StartMoveAnimation() {
  m_bMoveRan = 1;
  m_Anime.ChangeAnime(m_nNoGravity ? 3 : 1, true);
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
  const cChara* lpCarrier = cIdIndex::Ready().FirstOfId(
      m_nCarrierId, [this](const cChara& c) { return &c != this && c.m_Def.m_bBlockChara; });
  return lpCarrier ? lpCarrier->m_dMoveDX : 0.0;
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

// The graphic command's three values are the picture's kind, number and
// sub number that the drawing reads.
void cChara::SetGraphic(int32_t nGraphic, int32_t nSecond, int32_t nThird) {
  m_Def.m_nImageKind = static_cast<uint8_t>(nGraphic);
  m_Def.m_nImageIndex = static_cast<uint16_t>(nSecond);
  m_Def.m_nImageSub = static_cast<uint16_t>(nThird);
}

namespace {

bool AnimeExists(int32_t nAnime) { return nAnime >= 0 && static_cast<size_t>(nAnime) < g_vAnimeRun.size(); }

// An override playing animation nAnime of the database once from its first
// step: its frames left are the frames it plays (a step of 0 frames lasts
// one), up to its end code.
ANIMEOVERRIDE FlowOverride(int32_t nAnime, int32_t nTag) {
  ANIMEOVERRIDE o;
  const cVector<ANIMESTEP>& steps = g_vAnimeRun[static_cast<size_t>(nAnime)];
  o.Anime.BuildFrom(std::span<const cVector<ANIMESTEP>>(&steps, 1));
  o.Anime.SetAnime(0, TRUE);
  int64_t nFrames = 0;
  for (const ANIMESTEP& s : steps) {
    if (s.nPattern < 0) break;
    nFrames += std::max(s.nDuration, 1);
  }
  o.nFrames = static_cast<int>(std::min<int64_t>(nFrames, INT32_MAX));
  o.nTag = nTag;
  return o;
}

// Nothing left to play: its end code reached or its frames run out.
bool OverrideOver(ANIMEOVERRIDE& o) { return o.nFrames <= 0 || o.Anime.GetPattern() < 0; }

}  // namespace

void cChara::AddFlowAnime(int32_t nAnime, int32_t nTag) {
  if (!AnimeExists(nAnime)) return;
  m_Anime.lstOverride.push_back(FlowOverride(nAnime, nTag));
}

// A lead-in is timed to end as its command starts and may hold its pose
// through the command, so it shows before any other flow animation.
void cChara::AddLeadInAnime(int32_t nAnime, int32_t nTag, int32_t nSkip, int32_t nHold) {
  if (!AnimeExists(nAnime)) return;
  ANIMEOVERRIDE o = FlowOverride(nAnime, nTag);
  o.bPriority = 1;
  if (nHold > 0 && !o.Anime.vAnime.empty()) {
    // The hold lengthens the first step that may not be interrupted.
    for (ANIMERUNFRAME& f : o.Anime.vAnime[0]) {
      if (f.nPattern < 0) break;
      if (!f.bNoInterrupt) continue;
      f.nDuration = static_cast<int32_t>(std::min<int64_t>(static_cast<int64_t>(std::max(f.nDuration, 1)) + nHold,
                                                           INT32_MAX));
      o.nFrames = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(o.nFrames) + nHold, INT32_MAX));
      break;
    }
  }
  if (nSkip > 0) {
    o.Anime.Advance(nSkip);
    o.nFrames -= std::min(nSkip, o.nFrames);
  }
  m_Anime.lstOverride.push_back(std::move(o));
}

void cChara::RemoveFlowAnimes(int32_t nTag) {
  m_Anime.lstOverride.remove_if([nTag](const ANIMEOVERRIDE& o) { return o.nTag == nTag; });
}

void cChara::StopFlowAnimes(int32_t nTag) {
  m_Anime.lstOverride.remove_if([nTag](ANIMEOVERRIDE& o) { return o.nTag == nTag && OverrideOver(o); });
  for (ANIMEOVERRIDE& o : m_Anime.lstOverride)
    if (o.nTag == nTag) o.bPaused = 1;
}

void cChara::ResumeFlowAnimes(int32_t nTag) {
  for (ANIMEOVERRIDE& o : m_Anime.lstOverride)
    if (o.nTag == nTag) o.bPaused = 0;
}

void cChara::StartCharaEffect(int32_t nEffect, int32_t nMode, int32_t nRepeat) {
  CharaEffectStart(m_Effect, nEffect, static_cast<uint32_t>(nMode), static_cast<uint32_t>(nRepeat));
}
