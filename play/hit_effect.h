// Hit effect objects: the short animation of an Effect database entry placed
// where two boxes meet (or where an effect command puts it), stepped once
// per drawn frame until its frames run out.
#pragma once

#include <cstdint>
#include <list>

// A box in stage pixels: left, top, right, bottom (inclusive).
struct HITBOX {
  double dLeft = 0, dTop = 0, dRight = 0, dBottom = 0;
};
// Edges inclusive.
bool BoxOverlaps(const HITBOX& a, const HITBOX& b);
class cGameObj;
class cShot;
// The object's own box (m_dX, m_dY to m_dRight, m_dBottom).
HITBOX ObjectBox(const cGameObj& o);
// The shot's attack box.
HITBOX AttackBox(const cShot& s);

// What the stage drawing blits for one effect this frame: the cell of the
// effect's picture (source rectangle) to the screen rectangle, from the
// effect picture set's surface nSurface (2e − 2 plain, 2e − 1 magnified, or
// 2e − 2 as well with the stretching path).
struct HITEFFECTDRAW {
  int nSurface = 0;
  int nSrcX = 0, nSrcY = 0, nSrcW = 0, nSrcH = 0;
  int nDstX = 0, nDstY = 0, nDstW = 0, nDstH = 0;
  int bStretch = 0;
};

class cHitEffect {
 public:
  // Placed at the meeting of two boxes, magnified by nMagnify (a signed
  // byte; only for a scalable effect, and below 1 counts as 1).
  void HitEffectSetup(int nEffect, const HITBOX& a, const HITBOX& b, int nMagnify);
  // Placed at (x, y) with a drawn size; magnified when the width differs
  // from the effect's cell width.
  void EffectObjectSetup(int nEffect, double x, double y, int nWidth, int nHeight, int bKeepRunning);
  void HitEffectStartAnime(int nEffect);
  // One drawn frame: 1 when the effect has finished (nothing to draw),
  // else 0 with `out` filled. While paused, an effect without the
  // keep-running flag stays on its cell.
  int DrawHitEffect(HITEFFECTDRAW& out, int bPaused, double dScrollX, double dScrollY, int bStretchPath);

  uint16_t m_nEffect = 0;
  double m_dX = 0, m_dY = 0;  // top-left of the picture, stage pixels
  int m_nWidth = 0, m_nHeight = 0;
  int m_bMagnified = 0;
  int m_bKeepRunning = 0;
  // The animation: the frame shown and the drawn frames it has been shown.
  int m_nFrame = 0;
  int m_nTick = 0;
  int m_bEnded = 0;

 private:
  // Advances one drawn frame; the cell to show, or -4 at the end.
  int UpdateAnime();
  int CurrentPattern() const;
};

// The scene's list of running hit effects; owns them.
typedef std::list<cHitEffect> HITEFFECTLIST;
