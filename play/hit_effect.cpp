// Hit effect objects.
#include "play/hit_effect.h"

#include "platform/game_random.h"
#include "play/game_object.h"
#include "play/shot.h"
#include "play/play_math.h"
#include "records/database.h"

namespace {

// Each effect frame lasts its time in tenths of a second, six drawn frames
// a tenth; a frame of no time is still shown once.
int FrameTicks(const cEdEffectFrame& f) { return f.nTime > 0 ? f.nTime * 6 : 1; }

int Offset(int k) { return rand() % (8 * k + 1) - 4 * k; }

}  // namespace

bool BoxOverlaps(const HITBOX& a, const HITBOX& b) {
  return a.dLeft <= b.dRight && b.dLeft <= a.dRight && a.dTop <= b.dBottom && b.dTop <= a.dBottom;
}

HITBOX ObjectBox(const cGameObj& o) { return HITBOX{o.m_dX, o.m_dY, o.m_dRight, o.m_dBottom}; }

HITBOX AttackBox(const cShot& s) { return HITBOX{s.m_dAtkLeft, s.m_dAtkTop, s.m_dAtkRight, s.m_dAtkBottom}; }

void cHitEffect::HitEffectSetup(int nEffect, const HITBOX& a, const HITBOX& b, int nMagnify) {
  m_nFrame = m_nTick = m_bEnded = 0;
  m_nEffect = static_cast<uint16_t>(nEffect);
  const cEdEffect& e = g_Database.m_vecEffect.CheckedAt(nEffect);
  int k = 1;
  if (e.bScalable) k = static_cast<int8_t>(nMagnify);
  if (k < 1) k = 1;
  m_bMagnified = k > 1;
  m_nWidth = e.nCellWidth * k;
  m_nHeight = e.nCellHeight * k;
  HITBOX area;
  if (BoxOverlaps(a, b)) {
    area.dLeft = a.dLeft > b.dLeft ? a.dLeft : b.dLeft;
    area.dTop = a.dTop > b.dTop ? a.dTop : b.dTop;
    area.dRight = a.dRight < b.dRight ? a.dRight : b.dRight;
    area.dBottom = a.dBottom < b.dBottom ? a.dBottom : b.dBottom;
  }
  m_dX = area.dLeft + (TruncToInt(area.dRight - area.dLeft + 1) >> 1) - (m_nWidth >> 1);
  m_dY = area.dTop + (TruncToInt(area.dBottom - area.dTop + 1) >> 1) - (m_nHeight >> 1);
  m_dX += Offset(k);
  m_dY += Offset(k);
  HitEffectStartAnime(nEffect);
}

void cHitEffect::EffectObjectSetup(int nEffect, double x, double y, int nWidth, int nHeight, int bKeepRunning) {
  m_nEffect = static_cast<uint16_t>(nEffect);
  m_dX = x, m_dY = y;
  m_nWidth = nWidth, m_nHeight = nHeight;
  m_bKeepRunning = bKeepRunning;
  const cEdEffect& e = g_Database.m_vecEffect.CheckedAt(nEffect);
  m_bMagnified = nWidth != e.nCellWidth;
  HitEffectStartAnime(nEffect);
}

void cHitEffect::HitEffectStartAnime(int nEffect) {
  m_nEffect = static_cast<uint16_t>(nEffect);
  m_nFrame = 0;
  m_nTick = 0;
  m_bEnded = 0;
}

int cHitEffect::CurrentPattern() const {
  const auto& frames = g_Database.m_vecEffect.CheckedAt(m_nEffect).m_vecFrame;
  if (m_nFrame < 0 || m_nFrame >= static_cast<int>(frames.size())) return 0;
  return frames[m_nFrame].nPattern;
}

int cHitEffect::UpdateAnime() {
  const auto& frames = g_Database.m_vecEffect.CheckedAt(m_nEffect).m_vecFrame;
  if (m_bEnded || m_nFrame >= static_cast<int>(frames.size())) return m_bEnded = 1, -4;
  if (++m_nTick > FrameTicks(frames[m_nFrame])) {
    m_nTick = 1;
    if (++m_nFrame >= static_cast<int>(frames.size())) return m_bEnded = 1, -4;
  }
  return frames[m_nFrame].nPattern;
}

int cHitEffect::DrawHitEffect(HITEFFECTDRAW& out, int bPaused, double dScrollX, double dScrollY, int bStretchPath) {
  // Entry 0 is "none": it has no pictures to draw.
  if (m_nEffect == 0) return 1;
  const cEdEffect& e = g_Database.m_vecEffect.CheckedAt(m_nEffect);
  if (e.m_vecFrame.empty()) return 1;
  int p;
  if (bPaused && !m_bKeepRunning) {
    p = CurrentPattern();
  } else {
    p = UpdateAnime();
    if (p == -4) return 1;
  }
  out.nDstX = TruncToInt(m_dX - dScrollX);
  out.nDstY = TruncToInt(m_dY - dScrollY);
  out.nDstW = m_nWidth;
  out.nDstH = m_nHeight;
  out.nSrcY = 0;
  const int e2 = 2 * static_cast<int>(m_nEffect);
  if (m_bMagnified) {
    out.nSrcX = p * e.nCellWidth;
    out.nSrcW = e.nCellWidth;
    out.nSrcH = e.nCellHeight;
    out.nSurface = bStretchPath ? e2 - 2 : e2 - 1;
    out.bStretch = 1;
  } else {
    out.nSrcX = p * m_nWidth;
    out.nSrcW = m_nWidth;
    out.nSrcH = m_nHeight;
    out.nSurface = e2 - 2;
    out.bStretch = 0;
  }
  return 0;
}
