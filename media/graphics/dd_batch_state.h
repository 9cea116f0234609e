// The state of the draw batch (queued blits and registered layers), shared
// by the blit that queues and the flush that draws.
#pragma once

#include <cstdint>
#include <vector>

#include "media/graphics/dd.h"

// One queued blit.
struct DDBATCHDATA {
  int32_t nKey = 0;  // queue count, plus the source's layer offset when the batch sorts
  DDSURFACEDATA* lpDstSD = nullptr;
  DDSURFACEDATA* lpSrcSD = nullptr;
  int32_t nX = 0, nY = 0, nWidth = 0, nHeight = 0;
  int32_t nSrcX = 0, nSrcY = 0, nSrcWidth = 0, nSrcHeight = 0;
  DWORD dwFlags = 0;
  DWORD dwDrawColor = 0;
  DWORD dwColorOp = 0;
  DWORD dwAlphaOp = 0;
  DWORD dwReserved = 0;
};

// One registered layer: the blits of lpSD are moved back by nOffset.
struct DDBATCHLAYER {
  DDSURFACEDATA* lpSD = nullptr;
  int32_t nOffset = 0;
};

// Threads: the thread that draws only (see the globals of dd.h).
extern BOOL g_bBatchOpen;
extern BOOL g_bBatchSort;
extern std::vector<DDBATCHDATA> g_vBatchData;
extern std::vector<DDBATCHLAYER> g_vBatchLayer;
extern int32_t g_nBatchCount;

// One textured quad with the given stage-0 state, drawn at once.
void DDDrawBatchQuad(DDSURFACEDATA* lpDstSD, DDSURFACEDATA* lpSrcSD, int x, int y, int w, int h, int sx, int sy,
                     int sw, int sh, DWORD dwDrawColor, DWORD dwColorOp, DWORD dwAlphaOp);
// The clear in front of an opaque blit of a keyed source.
void DDClearKeyedRect(DDSURFACEDATA* lpDstSD, int x, int y, int w, int h);
void DDResetFillBatch();
