#include "play/message_text.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "base/message_box.h"
#include "flow/flow_host.h"
#include "media/graphics/font.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "play/game_object.h"
#include "play/picture_cell.h"
#include "play/stage_context.h"
#include "play/stage_graphics.h"

std::list<DDSURFACEDATA> g_lstTextSD;
std::list<DDSURFACEINFO> g_lstTextInfo;
cList<TEXTOBJ> g_lstText;

namespace {

// Installed by the stage scene before the first text; read by the game
// thread.
TEXTCHARALOOKUP s_pfnFindChara = nullptr;

constexpr int VAR_NUMBER_CAP = 100000;  // digits past this only keep the number out of range
constexpr int POPIN_FRAMES = 10;

cFont& TextFont() { return g_Fonts[1]; }

// A variable of the token; a number the list does not reach reads 0 (the
// stage's list has 255 entries, so #S255 names one past it).
int32_t VariableValue(bool bCommon, int n) {
  cVector<int32_t>& v = bCommon ? CommonVars() : FlowStage().StageVars();
  return static_cast<size_t>(n) < v.size() ? v[static_cast<size_t>(n)] : 0;
}

std::string FormatNumber(int32_t v, int nWidth, bool bZero, bool bPlus) {
  const int64_t a = std::llabs(static_cast<int64_t>(v));
  std::string digits = std::to_string(a);
  if (static_cast<int>(digits.size()) < nWidth) digits.insert(0, nWidth - digits.size(), '0');
  if (!bZero)
    for (size_t i = 0; i + 1 < digits.size() && digits[i] == '0'; ++i) digits[i] = ' ';
  if (v < 0) return "-" + digits;
  if (bPlus) return "+" + digits;
  return digits;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string LayoutTextTokens(const std::string& src) {
  std::string s = src;
  size_t i = 0;
  while (i < s.size()) {
    const uint8_t c = static_cast<uint8_t>(s[i]);
    // The byte after a lead byte is always its pair's, even a "#".
    if (IsSjisLeadByte(c)) {
      i += 2;
      continue;
    }
    if (c != '#') {
      ++i;
      continue;
    }
    bool bCommon = false, bStage = false, bZero = false, bPlus = false;
    int nNumber = 0, nWidth = 0;
    size_t j = i + 1;
    for (; j < s.size(); ++j) {
      const char t = s[j];
      if (t == 'C' || t == 'c') bCommon = true;
      else if (t == 'S' || t == 's') bStage = true;
      else if (IsDigit(t)) nNumber = std::min(nNumber * 10 + (t - '0'), VAR_NUMBER_CAP);
      else break;
    }
    if (j < s.size() && s[j] == '_') {
      for (++j; j < s.size(); ++j) {
        const char t = s[j];
        if (t == 'Z' || t == 'z') bZero = true;
        else if (t == 'P' || t == 'p') bPlus = true;
        else if (IsDigit(t)) nWidth = t - '0';
        else {
          if (t == '.') ++j;
          break;
        }
      }
    }
    if (!(bCommon || bStage) || nNumber < 1 || nNumber > 255) {
      ++i;
      continue;
    }
    const std::string num = FormatNumber(VariableValue(bCommon, nNumber), nWidth, bZero, bPlus);
    s.replace(i, j - i, num);
    i += num.size();
  }
  return s;
}

void SetTextCharaLookup(TEXTCHARALOOKUP pfn) { s_pfnFindChara = pfn; }

void ClearStageTexts() {
  DDReleaseSurfaceArray(g_lstTextSD);
  g_lstTextSD.clear();
  g_lstTextInfo.clear();
  g_lstText.clear();
}

void TEXTOBJ::TextObjectSetup(const TEXTSETUP& s, BOOL bSurfaceExists) {
  set = s;
  bPinned = 0;
  bDrawn = 0;
  dPopIn = 0.0;
  bPopIn = set.nLifeMode == 0 && !set.bNoPopIn;
  strWork = set.strText;
  if (set.bSubstitute) TextLayout();
  if (set.nKind != TEXTKIND_TEXT) {
    nWidth = nHeight = 16;
    return;
  }
  TextRender(&nWidth, &nHeight, strWork);
  // A kept surface is used again only at the new text's size.
  if (!bSurfaceExists || !lpSD || lpSD->nWidth != nWidth || lpSD->nHeight != nHeight) TextCreateSurface();
  if (lpSD) TextDrawToSurface(lpSD);
}

void TEXTOBJ::TextLayout() { strWork = LayoutTextTokens(set.strText); }

void TEXTOBJ::TextRender(int* lpWidth, int* lpHeight, const std::string& text) const {
  int w = 0, h = 0;
  // Measured with the face on both paths: an unmeasured proportional text
  // would become an empty 2 x 2 surface.
  TextFont().MeasureText(text.c_str(), &w, &h);
  *lpWidth = w + 2;
  *lpHeight = h + 2;
}

void TEXTOBJ::TextCreateSurface() {
  RemoveSurface();
  DDAddSurfaceToList(g_lstTextSD, g_lstTextInfo, nWidth, nHeight, 1, 0, 0, nullptr);
  lpSD = &g_lstTextSD.back();
  if (!SurfaceHasPixels(lpSD)) {
    DDRemoveSurface(g_lstTextSD, g_lstTextInfo, lpSD);
    lpSD = nullptr;
    PostMessage(g_hWndMain, WM_CLOSE, 0, 0);
  }
}

void TEXTOBJ::TextDrawToSurface(DDSURFACEDATA* lpTarget) const {
  if (set.bRect) {
    TextFont().DrawTextRect(lpTarget, 1, 1, 0, 0, strWork.c_str(), 0);
  } else {
    DDFillSurface(lpTarget, 0);
    TextFont().DrawText(lpTarget, 1, 1, strWork.c_str(), 0);
  }
}

void TEXTOBJ::RemoveSurface() {
  if (!lpSD) return;
  DDRemoveSurface(g_lstTextSD, g_lstTextInfo, lpSD);
  lpSD = nullptr;
}

BOOL TEXTOBJ::TextPlace(int& x, int& y) {
  const double sx = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_X].dPos : 0.0;
  const double sy = g_lpStageContext ? g_lpStageContext->m_aScroll[SCROLL_Y].dPos : 0.0;
  const int w = nWidth, h = nHeight;
  x = y = 0;
  const int m = set.nPosMode;
  if (m >= 1 && m <= 6) {
    cGameObj* c = s_pfnFindChara ? s_pfnFindChara(set.nCharaId) : nullptr;
    if (!c) return FALSE;
    const int cx = static_cast<int>(c->m_dX - sx), cy = static_cast<int>(c->m_dY - sy);
    x = cx + (c->m_nImgW >> 1) - c->m_nImgOffsetX - (w >> 1) + set.nOffsetX;
    if (m == 1 || m == 4) y = cy - c->m_nImgOffsetY - h + set.nOffsetY;
    else if (m == 2 || m == 5) y = cy - c->m_nImgOffsetY + c->m_nImgH + 1 + set.nOffsetY;
    else y = cy + (c->m_nImgH >> 1) - c->m_nImgOffsetY - (h >> 1) + set.nOffsetY;
  } else if (m == 7) {
    x = set.nCellX * 32 + set.nOffsetX;
    y = set.nCellY * 32 + set.nOffsetY;
  } else if (m == 8) {
    x = static_cast<int>(std::floor((10.0 + set.nCellX) * 32 + set.nOffsetX - sx));
    y = static_cast<int>(std::floor((10.0 + set.nCellY) * 32 + set.nOffsetY - sy));
  } else {
    x = 320 + set.nOffsetX - (w >> 1);
    y = 240 + set.nOffsetY - (h >> 1);
  }
  // Pinning: modes 0 and 7 keep their place in the stage, the others
  // their place on the screen.
  if (set.bPin) {
    const bool bStagePin = m == 0 || m == 7;
    if (!bPinned) {
      bPinned = 1;
      nPinX = bStagePin ? x + static_cast<int>(sx) : x;
      nPinY = bStagePin ? y + static_cast<int>(sy) : y;
    }
    x = bStagePin ? nPinX - static_cast<int>(sx) : nPinX;
    y = bStagePin ? nPinY - static_cast<int>(sy) : nPinY;
  }
  // Keep inside.
  if (set.bKeepInside) {
    if (x < 0) x = 0;
    if (x + w > 638) x = 640 - w;
  }
  return TRUE;
}

int TEXTOBJ::TextObjectDraw(DDSURFACEDATA* lpDst, BOOL bPaused, uint32_t nPlayFrame) {
  // 1. Life. A text of life 0 is still drawn once.
  if (set.nLifeMode == TEXTLIFE_TIMED && (set.bCountWhilePaused || !bPaused)) {
    --set.nLife;
    if (set.nLife < 0 && bDrawn) {
      RemoveSurface();
      return 1;
    }
  }
  // 2. Refresh.
  if (set.bRefresh && set.nInterval > 0 && nPlayFrame % static_cast<uint32_t>(set.nInterval) == 0 &&
      set.nKind == TEXTKIND_TEXT && set.bSubstitute) {
    std::string fresh = LayoutTextTokens(set.strText);
    if (fresh != strWork) {
      strWork = fresh;
      int w, h;
      TextRender(&w, &h, strWork);
      if (w != nWidth || h != nHeight || !lpSD) {
        nWidth = w;
        nHeight = h;
        TextCreateSurface();
      }
      if (lpSD) TextDrawToSurface(lpSD);
    }
  }
  int x, y;
  if (!TextPlace(x, y)) {
    RemoveSurface();
    return 1;
  }
  const int w = nWidth, h = nHeight;
  // 6. Drawing.
  bDrawn = 1;
  if (set.nKind == TEXTKIND_TEXT) {
    if (!lpSD) return 0;
    if (lpSD->bLost) {
      TextDrawToSurface(lpSD);
      lpSD->bLost = 0;
    }
    if (strWork.empty()) return 0;
    if (bPopIn) {
      dPopIn += 1.0;
      if (dPopIn < POPIN_FRAMES) {
        const double s = dPopIn * 0.1;
        const int bw = static_cast<int>(w * s), bh = static_cast<int>(h * s);
        TextFont().DrawBox(lpDst, x + (w >> 1) - (bw >> 1), y + (h >> 1) - (bh >> 1), bw, bh);
        return 0;
      }
    }
    DDBltFast(lpDst, x, y, w, h, lpSD, 0, 0, 1);
    return 0;
  }
  const int dy = y - (30 - set.nLife) / 4;
  if (set.nKind == TEXTKIND_ITEMCELL) {
    DrawSmallCell(lpDst, x, dy, set.anCell[0], set.anCell[1], set.anCell[2]);
  } else if (set.nKind == TEXTKIND_ICON) {
    if (DDSURFACEDATA* acc = StageSurface(STAGESURFACE_ACCESSORY)) DDBltFast(lpDst, x, dy, 16, 16, acc, 48, 0, 1);
  }
  return 0;
}
