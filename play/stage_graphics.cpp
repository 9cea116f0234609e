#include "play/stage_graphics.h"

#include <string>

#include "base/report.h"
#include "platform/text_cp932.h"
#include "play/picture_cell.h"
#include "records/database.h"
#include "records/start_tables.h"

PICTURESET g_SpecialBmps;
PICTURESET g_SwordGraphics;
PICTURESET g_EffectGraphics;

namespace {

// Written once by start-up before the game thread runs; read by the
// drawing threads.
DDSURFACEDATA* s_lpStageTable = nullptr;
int s_nStageCount = 0;

constexpr int SHOT_COLUMNS = 8;
constexpr int SHOT_ROWS = 30;

// The creation values of one surface of a set; nParent counts from 1
// within the entry's group, 0 for none.
struct SETSURFACE {
  int nMemType;
  int nDTMemType;
  bool bMirror;
  int nParent;
};

// What the drawing code needs of every entry: a plain picture and one
// mirrored by its cells, for the texture path and for the stretching path.
const SETSURFACE s_aSpecial[4] = {{0, 1, false, 0}, {0, 1, true, 1}, {1, 0, true, 1}, {1, 0, true, 1}};
const SETSURFACE s_aSword[4] = {{0, 1, false, 0}, {0, 1, true, 0}, {1, 0, false, 1}, {1, 0, true, 2}};
const SETSURFACE s_aEffect[2] = {{0, 1, false, 0}, {1, 0, true, 0}};

struct SETENTRY {
  std::string strFile;
  int nMirrorWidth;
};

void LoadSet(PICTURESET& set, int nCount, const SETSURFACE* lpRows, int k, SETENTRY (*pfnEntry)(int),
             const char* szFailure) {
  DDReleaseSurfaceVector(set.vSD);
  set.vSD.clear();
  set.vInfo.clear();
  // A database with only its "none" entry gives an empty set.
  if (nCount <= 1) return;
  // Room for every surface first: the parent links point into the vector.
  set.vSD.reserve(static_cast<size_t>(k) * (nCount - 1));
  set.vInfo.reserve(static_cast<size_t>(k) * (nCount - 1));
  const std::string failure = Sjis(szFailure);
  for (int e = 1; e < nCount; ++e) {
    const SETENTRY entry = pfnEntry(e);
    const size_t base = set.vSD.size();
    for (int i = 0; i < k; ++i) {
      DDSURFACEINFO info;
      info.szFileName = entry.strFile;
      info.bTransmit = 1;
      info.nMemType = lpRows[i].nMemType;
      info.nDTMemType = lpRows[i].nDTMemType;
      info.nMirrorWidth = lpRows[i].bMirror ? entry.nMirrorWidth : 0;
      set.vInfo.push_back(info);
    }
    for (int i = 0; i < k; ++i) set.vSD.emplace_back();
    for (int i = 0; i < k; ++i) {
      DDSURFACEINFO& info = set.vInfo[base + i];
      if (lpRows[i].nParent) info.lpParentSD = &set.vSD[base + lpRows[i].nParent - 1];
      int r = DDCreateSurfaceFromFile(&set.vSD[base + i], info.szFileName.c_str(), 1, g_DDDisplay.nBpp,
                                      info.nMemType, info.nDTMemType, info.lpParentSD, 0, info.nMirrorWidth, 0, 0);
      if (!DDSurfaceErrorName(r)) {
        // The picture is left empty; drawing skips it and play goes on.
        ReportAndLogf(failure.c_str(), info.szFileName.c_str());
        DDReleaseSurface(&set.vSD[base + i]);
      }
    }
  }
}

SETENTRY SpecialEntry(int e) {
  const cEdBmpCharaExc& r = g_Database.m_vecBmpCharaExc.CheckedAt(e);
  const int nCells = r.nCellBlocks >= 1 && r.nCellBlocks <= 16 ? r.nCellBlocks : 1;
  return {r.strFile, r.bCustomCell ? 32 * nCells : 32};
}

SETENTRY SwordEntry(int e) { return {g_Database.m_vecSwordType.CheckedAt(e).strFile, 32}; }

SETENTRY EffectEntry(int e) {
  const cEdEffect& r = g_Database.m_vecEffect.CheckedAt(e);
  return {r.strFile, r.nCellWidth > 0 ? r.nCellWidth : 32};
}

DDSURFACEDATA* SheetSource(int nSheet, bool bOwnList) {
  return bOwnList ? PictureSetSurface(g_SpecialBmps, nSheet) : StageSurface(nSheet);
}

}  // namespace

void SetStageSurfaceTable(DDSURFACEDATA* lpTable, int nCount) {
  s_lpStageTable = lpTable;
  s_nStageCount = lpTable ? nCount : 0;
}

bool SurfaceHasPixels(const DDSURFACEDATA* lpSD) {
  if (!lpSD) return false;
  const DDSURFACEDATA* sd = lpSD;
  // A surface standing for its parent draws the parent's pixels.
  for (int i = 0; i < 4 && sd->lpParentSD && !(sd->lpDT && sd->lpDT->lpSurface); ++i) sd = sd->lpParentSD;
  if (lpDTCon) return sd->lpDT && sd->lpDT->lpSurface;
  return lpSD->lpDDS && lpSD->lpDDS->lpSurface;
}

void FillSurfaceInfoTable(DDSURFACEINFO* aInfo) {
  for (int i = 0; i < SYSTEM_BITMAP_COUNT; ++i) {
    const SYSTEMBITMAPINFO& b = g_vecSystemBitmap.CheckedAt(i);
    DDSURFACEINFO& d = aInfo[i];
    d = DDSURFACEINFO{};
    d.szFileName = b.szFileName;
    d.bTransmit = b.bTransmit;
    d.nMemType = b.nMemType;
    d.nDTMemType = b.nDTMemType;
    d.bPalMap = b.bPalMap;
    d.bNoError = b.bNoError;
    d.nMirrorWidth = b.nMirrorWidth;
    d.nMirrorHeight = b.nMirrorHeight;
    d.nWidth = b.nWidth;
    d.nHeight = b.nHeight;
  }
}

DDSURFACEDATA* StageSurface(int n) {
  if (!s_lpStageTable || n < 0 || n >= s_nStageCount) return nullptr;
  DDSURFACEDATA* sd = &s_lpStageTable[n];
  return SurfaceHasPixels(sd) ? sd : nullptr;
}

DDSURFACEDATA* PictureSetSurface(PICTURESET& set, int n) {
  if (n < 0 || static_cast<size_t>(n) >= set.vSD.size()) return nullptr;
  DDSURFACEDATA* sd = &set.vSD[static_cast<size_t>(n)];
  return SurfaceHasPixels(sd) ? sd : nullptr;
}

void ComposeShotSheets() {
  const int anSource[2] = {STAGESURFACE_SHOT, STAGESURFACE_SHOT_MIRROR};
  const int anTarget[2] = {STAGESURFACE_SHOTSHEET, STAGESURFACE_SHOTSHEET_MIRROR};
  for (int s = 0; s < 2; ++s) {
    DDSURFACEDATA* dst = StageSurface(anTarget[s]);
    if (!dst) continue;
    DDFillRect(dst, 0, 0, dst->nWidth, dst->nHeight, 0);
    DDSURFACEDATA* src = StageSurface(anSource[s]);
    if (!src) continue;
    for (int r = 0; r < SHOT_ROWS; ++r)
      for (int j = 0; j < SHOT_COLUMNS; ++j) DDBltFast(dst, 32 * j + 8, 32 * r + 8, 16, 16, src, 16 * j, 16 * r, 1);
  }
}

void LoadSpecialBmps() {
  LoadSet(g_SpecialBmps, static_cast<int>(g_Database.m_vecBmpCharaExc.size()), s_aSpecial, 4, SpecialEntry,
          "専用bmp %s 読み込み失敗！");
}

void LoadSwordGraphics() {
  LoadSet(g_SwordGraphics, static_cast<int>(g_Database.m_vecSwordType.size()), s_aSword, 4, SwordEntry,
          "ソード %s 読み込み失敗！");
}

void LoadEffectGraphics() {
  LoadSet(g_EffectGraphics, static_cast<int>(g_Database.m_vecEffect.size()), s_aEffect, 2, EffectEntry,
          "エフェクト %s 読み込み失敗！");
}

void ReleaseStageGraphics() {
  for (PICTURESET* set : {&g_SpecialBmps, &g_SwordGraphics, &g_EffectGraphics}) {
    DDReleaseSurfaceVector(set->vSD);
    set->vSD.clear();
    set->vInfo.clear();
  }
}

void InstallStageSheetSource() { SetPictureSheetSource(SheetSource); }
