#include "play/chara_gauges.h"

#include "media/graphics/dd.h"

namespace {

constexpr int GAUGE_W = 50;

// Piece columns of the wide picture (at least 209 pixels) and of the
// narrow one: frame, bar, low bar, gain, loss.
struct GAUGECOLUMNS {
  int nBase, nBar, nLow, nGain, nLoss;
};
constexpr GAUGECOLUMNS kWide = {208, 2, 4, 8, 6};
constexpr GAUGECOLUMNS kNarrow = {128, 16, 32, 64, 48};

// The bar counts as low at a quarter of its maximum or less.
bool IsLow(int32_t nValue, int32_t nMax) { return nMax > 0 && static_cast<int64_t>(nValue) * 4 <= nMax; }

void Draw(cChara& c, bool bLife, DDSURFACEDATA* lpDst, DDSURFACEDATA* lpPicture, int nPictureWidth) {
  GAUGEPIECE a[3];
  const int n = CharaGaugePieces(c, bLife, nPictureWidth, a);
  if (!lpDst || !lpPicture) return;
  for (int i = 0; i < n; ++i)
    for (int k = 0; k < a[i].w; ++k) DDBltFast(lpDst, a[i].x + k, a[i].y, 1, 2, lpPicture, a[i].sx, a[i].sy, 0);
}

}  // namespace

int CharaGaugePieces(cChara& c, bool bLife, int nPictureWidth, GAUGEPIECE aOut[3]) {
  GAUGE& g = bLife ? c.m_HpGauge : c.m_SpGauge;
  if (g.m_nTimer < 1 || c.m_bDefeated) return 0;
  const GAUGECOLUMNS& col = nPictureWidth >= 209 ? kWide : kNarrow;
  const int sy = bLife ? 0 : 64;
  const int x = c.m_rcScreen.left + c.m_nImgW / 2 - GAUGE_W / 2;
  const int y = c.m_rcScreen.top - (bLife ? 3 : 7);
  const int32_t nValue = bLife ? c.m_nHp : c.m_nSp;
  const int32_t nMax = static_cast<int32_t>(bLife ? c.m_Def.m_nMaxHp : c.m_Def.m_nMaxSp);
  int n = 0;
  aOut[n++] = {col.nBase, sy, x, y, GAUGE_W};
  if (g.m_nBar > 0) aOut[n++] = {col.nBase + (IsLow(nValue, nMax) ? col.nLow : col.nBar), sy, x, y, g.m_nBar};
  const int nChange = static_cast<int>(g.m_dChange >= 0 ? g.m_dChange : -g.m_dChange);
  if (nChange > 0) {
    if (g.m_dChange >= 0) aOut[n++] = {col.nBase + col.nGain, sy, x + g.m_nBar - nChange, y, nChange};
    else aOut[n++] = {col.nBase + col.nLoss, sy, x + g.m_nBar, y, nChange};
  }
  cChara::GaugeTick(g);
  return n;
}

void CharaDrawLifeGauge(cChara& c, DDSURFACEDATA* lpDst, DDSURFACEDATA* lpPicture, int nPictureWidth) {
  Draw(c, true, lpDst, lpPicture, nPictureWidth);
}

void CharaDrawSpGauge(cChara& c, DDSURFACEDATA* lpDst, DDSURFACEDATA* lpPicture, int nPictureWidth) {
  Draw(c, false, lpDst, lpPicture, nPictureWidth);
}
