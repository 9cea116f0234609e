// The HP and SP gauges drawn over a chara: the pieces of one frame from the
// system gauge picture, and their drawing.
#pragma once

#include "play/live_chara.h"

struct DDSURFACEDATA;

// One piece: a column of the gauge picture (source x, y; 1 pixel wide, 2
// high) repeated over w pixels from the view position (x, y).
struct GAUGEPIECE {
  int sx, sy;
  int x, y, w;
};

// The pieces of the chara's life (bLife) or SP gauge this frame, at most
// three (frame, bar, change), then one frame of the gauge's timer. 0 pieces
// while the gauge is not shown or the chara is defeated.
int CharaGaugePieces(cChara& chara, bool bLife, int nPictureWidth, GAUGEPIECE aOut[3]);
// Draws them from lpPicture onto lpDst (either may be null: the timer still
// runs).
void CharaDrawLifeGauge(cChara& chara, DDSURFACEDATA* lpDst, DDSURFACEDATA* lpPicture, int nPictureWidth);
void CharaDrawSpGauge(cChara& chara, DDSURFACEDATA* lpDst, DDSURFACEDATA* lpPicture, int nPictureWidth);
