#include "play/screen_picture.h"

#include "media/graphics/dd.h"
#include "play/play_math.h"

void SetPictureParams(SCREENPICTURE& pic, int nNumber, double x, double y, int nWidth, int nHeight, uint32_t nMode,
                      int32_t nTime, int nAlpha, const DWORD adwBlend[2], uint32_t bFixed, uint32_t bCountWhilePaused,
                      int nLayer) {
  pic.nNumber = nNumber;
  pic.dX = x;
  pic.dY = y;
  pic.nWidth = nWidth;
  pic.nHeight = nHeight;
  pic.nMode = nMode;
  pic.nTime = nTime;
  pic.bBlend = nAlpha != 100 ? 1 : 0;
  pic.adwBlend[0] = adwBlend ? adwBlend[0] : 0;
  pic.adwBlend[1] = adwBlend ? adwBlend[1] : 0;
  pic.bFixed = bFixed;
  pic.bCountWhilePaused = bCountWhilePaused;
  pic.bOffsetTaken = 0;
  pic.nLayer = nLayer;
}

int DrawScreenPicture(SCREENPICTURE& pic, DDSURFACEDATA* lpDst, DDSURFACEDATA* lpPicture, BOOL bPaused,
                      double dScrollX, double dScrollY) {
  if (pic.nMode == PICTUREMODE_TIMED && (!bPaused || pic.bCountWhilePaused)) {
    if (--pic.nTime < 0) return 1;
  }
  int x, y;
  if (pic.bFixed) {
    // The place on the first drawn frame is kept from then on.
    if (!pic.bOffsetTaken) {
      pic.nOffsetX = TruncToInt(pic.dX - dScrollX);
      pic.nOffsetY = TruncToInt(pic.dY - dScrollY);
      pic.bOffsetTaken = 1;
    }
    x = pic.nOffsetX;
    y = pic.nOffsetY;
  } else {
    x = TruncToInt(pic.dX - dScrollX);
    y = TruncToInt(pic.dY - dScrollY);
  }
  if (!lpDst || !lpPicture) return 0;
  if (!pic.bBlend) DDBltFast(lpDst, x, y, pic.nWidth, pic.nHeight, lpPicture, 0, 0, 1);
  else DDBltFastBlend(lpDst, x, y, pic.nWidth, pic.nHeight, lpPicture, 0, 0, 1, pic.adwBlend);
  return 0;
}
