#include "play/status_bar.h"

#include <algorithm>
#include <cstdint>

#include "base/message_box.h"
#include "media/graphics/dd.h"
#include "media/graphics/font.h"
#include "platform/text_cp932.h"
#include "play/stage_graphics.h"
#include "records/system.h"
#include "records/system_queries.h"

namespace {

constexpr int GAUGE_W = 50;
constexpr int ITEM_Y = 3;

const cEdSystemElemB* ShownItem(int i) {
  cVector<cEdSystemElemB>& v = g_System.m_vecStatusItem;
  if (static_cast<size_t>(i) >= v.size() || !v[static_cast<size_t>(i)].m_bShown) return nullptr;
  return &v[static_cast<size_t>(i)];
}

bool IsGauge(int i) { return i == 2 || i == 3; }

int LabelWidth(const cEdSystemElemB& it) { return it.m_bIcon ? 16 : 16 * CountMbcsChars(it.m_strLabel); }

int ItemWidth(int i, const cEdSystemElemB& it) {
  // The digit count comes from the project; a huge one only pushes the
  // items off the bar.
  const int nDigits = static_cast<int>(std::min<uint32_t>(it.m_nDigits, 64));
  return LabelWidth(it) + (IsGauge(i) ? GAUGE_W : 16 * nDigits);
}

void DrawIcon(DDSURFACEDATA* lpDst, DDSURFACEDATA* acc, int x, int i) {
  if (acc) DDBltFast(lpDst, x, ITEM_Y, 16, 16, acc, 16 * i, 32, 1);
}

}  // namespace

int StatusBarPositions(int anX[STATUS_ITEM_COUNT]) {
  int nShown = 0, nSum = 0;
  for (int i = 0; i < STATUS_ITEM_COUNT; ++i) {
    anX[i] = -1;
    if (const cEdSystemElemB* it = ShownItem(i)) {
      ++nShown;
      nSum += ItemWidth(i, *it);
    }
  }
  if (nShown == 0) return 0;
  const int gap = (638 - nSum) / (nShown + 1);
  int x = gap;
  for (int i = 0; i < STATUS_ITEM_COUNT; ++i) {
    if (const cEdSystemElemB* it = ShownItem(i)) {
      anX[i] = x;
      x += ItemWidth(i, *it) + gap;
    }
  }
  return nShown;
}

int StatusGaugeWidth(int32_t v, int32_t nMax) {
  if (nMax <= 0) return 0;
  const int64_t w = static_cast<int64_t>(std::clamp(v, 0, nMax)) * GAUGE_W / nMax;
  return static_cast<int>(w);
}

void DrawStatusBar(DDSURFACEDATA* lpDst, const STATUSBARVALUES& values, bool bShow) {
  int anX[STATUS_ITEM_COUNT];
  if (StatusBarPositions(anX) == 0 || !bShow) return;
  if (DDSURFACEDATA* strip = StageSurface(STAGESURFACE_STATUSWINDOW)) DDBltFast(lpDst, 0, 0, 640, 20, strip, 0, 0, 0);
  DDSURFACEDATA* acc = StageSurface(STAGESURFACE_ACCESSORY);
  cFont& label = g_Fonts[1];
  static const std::string s_strInfinity = Sjis("∞");
  for (int i = 0; i < STATUS_ITEM_COUNT; ++i) {
    const cEdSystemElemB* it = ShownItem(i);
    if (!it) continue;
    const int x = anX[i];
    const char* szLabel = it->m_strLabel.c_str();
    if (IsGauge(i)) {
      const int32_t v = i == 2 ? values.nHp : values.nSp;
      const int32_t nMax = i == 2 ? values.nMaxHp : values.nMaxSp;
      if (it->m_bIcon) DrawIcon(lpDst, acc, x, i);
      else label.DrawTextf(lpDst, x, ITEM_Y, "%s", szLabel);
      const int gx = x + LabelWidth(*it);
      const int sx = i == 2 ? 0 : 64;
      if (acc) {
        DDBltFast(lpDst, gx, ITEM_Y, GAUGE_W, 16, acc, sx, 128, 1);
        const int w = StatusGaugeWidth(v, nMax);
        const int sy = CheckPercentThreshold(i, v, nMax) ? 160 : 144;
        if (w > 0) DDBltFast(lpDst, gx, ITEM_Y, w, 16, acc, sx, sy, 1);
      }
      if (it->m_bShowNumber) g_Fonts[0].DrawTextf(lpDst, gx, 6, "%d", v);
      continue;
    }
    const int32_t v = i == 0 ? values.nCounter0 : i == 1 ? values.nCounter1 : values.nCounter4;
    const bool bInfinite = i == 4 && v == STATUS_UNLIMITED;
    if (it->m_bIcon) {
      DrawIcon(lpDst, acc, x, i);
      if (bInfinite) label.DrawText(lpDst, x + 16, ITEM_Y, s_strInfinity.c_str(), 0);
      else label.DrawTextf(lpDst, x + 16, ITEM_Y, "%d", v);
    } else if (bInfinite) {
      label.DrawTextf(lpDst, x, ITEM_Y, "%s%s", szLabel, s_strInfinity.c_str());
    } else {
      label.DrawTextf(lpDst, x, ITEM_Y, "%s%d", szLabel, v);
    }
  }
}
