// The draw batch, the text drawn from a character sheet, the surface locks
// and the dialog mode.
#include <algorithm>
#include <cstdio>

#include "media/graphics/dd.h"
#include "media/graphics/dd_batch_state.h"
#include "media/graphics/dd_internal.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "platform/window.h"
#include "base/report.h"

BOOL g_bBatchOpen = 0;
BOOL g_bBatchSort = 0;
std::vector<DDBATCHDATA> g_vBatchData;
std::vector<DDBATCHLAYER> g_vBatchLayer;
int32_t g_nBatchCount = 0;

namespace {

bool SameGroup(const DDBATCHDATA& a, const DDBATCHDATA& b) {
  return a.lpDstSD == b.lpDstSD && a.lpSrcSD == b.lpSrcSD && a.dwDrawColor == b.dwDrawColor &&
         a.dwFlags == b.dwFlags && a.dwColorOp == b.dwColorOp && a.dwAlphaOp == b.dwAlphaOp &&
         a.dwReserved == b.dwReserved;
}

void EmptyBatch() {
  g_vBatchData.clear();
  g_vBatchLayer.clear();
  g_nBatchCount = 0;
}

}  // namespace

void DDResetBatches() {
  EmptyBatch();
  g_bBatchOpen = 0;
  g_bBatchSort = 0;
  DDResetFillBatch();
}

void DDBeginBatch(BOOL bSort) {
  if (!lpDTCon) return;
  g_bBatchOpen = 1;
  g_bBatchSort = bSort;
  EmptyBatch();
}

void DDSetBatchLayer(DDSURFACEDATA* lpSD) {
  if (!lpDTCon || !g_bBatchOpen || !g_bBatchSort) return;
  for (const DDBATCHLAYER& l : g_vBatchLayer)
    if (l.lpSD == lpSD) return;
  DDBATCHLAYER layer;
  layer.lpSD = lpSD;
  layer.nOffset = static_cast<int32_t>(g_vBatchLayer.size() + 1) * 100000;
  g_vBatchLayer.push_back(layer);
}

void DDEndBatch() {
  if (!lpDTCon || g_vBatchData.empty()) {
    g_bBatchOpen = 0;
    return;
  }
  if (g_bBatchSort)
    std::sort(g_vBatchData.begin(), g_vBatchData.end(),
              [](const DDBATCHDATA& a, const DDBATCHDATA& b) { return a.nKey < b.nKey; });
  size_t i = 0;
  while (i < g_vBatchData.size()) {
    const DDBATCHDATA& first = g_vBatchData[i];
    size_t end = i + 1;
    while (end < g_vBatchData.size() && SameGroup(first, g_vBatchData[end])) ++end;
    if (!DDBeginScene() || !DDSetRenderTarget(0, first.lpDstSD)) {
      // The group is tried again from its second record.
      ++i;
      continue;
    }
    // All clears of a group come before its quads, as one draw call each.
    if (first.dwFlags == 0 && first.lpSrcSD->lpDT && first.lpSrcSD->lpDT->bTransmit)
      for (size_t k = i; k < end; ++k) {
        const DDBATCHDATA& r = g_vBatchData[k];
        DDClearKeyedRect(r.lpDstSD, r.nX, r.nY, r.nWidth, r.nHeight);
      }
    for (size_t k = i; k < end; ++k) {
      const DDBATCHDATA& r = g_vBatchData[k];
      DDDrawBatchQuad(r.lpDstSD, r.lpSrcSD, r.nX, r.nY, r.nWidth, r.nHeight, r.nSrcX, r.nSrcY, r.nSrcWidth,
                      r.nSrcHeight, first.dwDrawColor, first.dwColorOp, first.dwAlphaOp);
    }
    if (DDSetRenderTarget(0, lpDTCon->lpTargetSD)) i = end;
    else ++i;
  }
  EmptyBatch();
  g_bBatchOpen = 0;
}

void DDDrawTextBatch(DDSURFACEDATA* lpDstSD, int x, int y, int nCellWidth, int nCellHeight, DDSURFACEDATA* lpSheetSD,
                     const char* szText) {
  if (lpDTCon) DDBeginBatch(FALSE);
  int nCol = 0, nLine = y;
  for (const char* p = szText ? szText : ""; *p; ++p) {
    unsigned b = static_cast<unsigned char>(*p);
    if (b == 10) {
      nLine += nCellHeight;
      nCol = 0;
      continue;
    }
    int col = static_cast<int>(b & 15), row;
    if (b >= 0xA6 && b <= 0xBF) row = static_cast<int>(b >> 4) - 10;
    else if (b >= 0xC0 && b <= 0xDD) row = static_cast<int>(b >> 4) - 4;
    else row = static_cast<int>(b >> 4);
    DDBltFast(lpDstSD, x + nCol, nLine, nCellWidth, nCellHeight, lpSheetSD, col * nCellWidth, row * nCellHeight, 1);
    nCol += nCellWidth;
    if (nCol >= g_DDDisplay.nWidth) {
      nLine += nCellHeight;
      nCol = 0;
    }
  }
  if (lpDTCon) DDEndBatch();
}

bool DDLock(DDSURFACEDATA* lpSD, DDLOCKDESC* lpDesc, void** lplpBits, int nBpp) {
  if (lpDTCon) {
    Logf("%s", Sjis("D3DではDDLockは未対応").c_str());
    return false;
  }
  if (!lpDesc) return false;
  lpDesc->dwSize = 124;
  cPixelBuffer* buf = DDSurfacePixels(lpSD);
  if (!buf) return false;
  lpDesc->nWidth = buf->Width();
  lpDesc->nHeight = buf->Height();
  lpDesc->nPitchBytes = buf->Pitch() * buf->BytesPerPixel();
  lpDesc->nBpp = PixelFormatBits(buf->Format());
  lpDesc->lpSurface = buf->Bits();
  if ((nBpp == 8 || nBpp == 16 || nBpp == 24 || nBpp == 32) && lplpBits) *lplpBits = buf->Bits();
  return true;
}

void DDUnlock(DDSURFACEDATA*) {}

cSurfaceLock::cSurfaceLock(DDSURFACEDATA* lpSD) {
  DDResolveLinked(&lpSD);
  DDRedirectBackBuffer(&lpSD);
  m_lpSD = lpSD;
  cPixelBuffer* buf = DDSurfacePixels(lpSD);
  if (!buf) {
    if (lpDTCon) Logf("FAILED( lpSD->lpDT->lpSurface->LockRect(&(lock), NULL, 0) )");
    return;
  }
  m_lpBuffer = buf;
  m_lpBits = buf->Bits();
  m_nPitch = buf->Pitch();
}

cSurfaceLock::~cSurfaceLock() = default;

BOOL DDDialogMode(BOOL bOn) {
  if (g_DDDisplay.nWindowMode) return TRUE;
  if (bOn) {
    DDEndScene();
    ShowCursor(TRUE);
    return TRUE;
  }
  while (ShowCursor(FALSE) >= 0) {
  }
  return TRUE;
}

