#include "play/picture_cell.h"

#include <atomic>

#include "media/graphics/dd.h"
#include "records/database.h"

namespace {

constexpr int CELL = 32;
constexpr DWORD BLT_COLOUR_KEY = 1;

std::atomic<PICTURESHEETSOURCE> s_pfnSheets{nullptr};
bool s_bFirstSet = false;
int s_nIconSheet = 44;
int s_nSecondSheet = 68;
int s_nThirdSheet = 70;

constexpr int PAIR_PATTERNS = 2;
constexpr int PAIR_PATTERN_FRAMES = 12;

DDSURFACEDATA* Sheet(int nSheet, bool bOwnList) {
  PICTURESHEETSOURCE pfn = s_pfnSheets.load();
  return pfn ? pfn(nSheet, bOwnList) : nullptr;
}

void SetSheets(IMAGESOURCERECT& r, int nFirst, int nSecond, int nFirstOpp, int nSecondOpp) {
  r.nSheet[0] = nFirst;
  r.nSheet[1] = nSecond;
  r.nSheetOpposite[0] = nFirstOpp;
  r.nSheetOpposite[1] = nSecondOpp;
}

// Cell (0, 0) of the first chara sheet: where a reference that names no
// cell of its sheets is drawn from.
void FirstCharaCell(IMAGESOURCERECT& r) {
  r = IMAGESOURCERECT();
  SetSheets(r, CHARA_FIRST_SHEET, CHARA_FIRST_SHEET + CHARA_SECOND_SET_OFFSET, CHARA_FIRST_SHEET + 1,
            CHARA_FIRST_SHEET + 1 + CHARA_SECOND_SET_OFFSET);
}

bool OutsideSheet(int nSheet, int x, int y) {
  DDSURFACEDATA* sd = Sheet(nSheet, false);
  return sd && (x >= sd->nWidth || y >= sd->nHeight);
}

void CharaCell(IMAGESOURCERECT& r, int nUse, int q, int rr, int nColumn, int nDir, int nPattern) {
  if (q >= CHARA_SHEET_COUNT / 2 || nColumn < 0) return FirstCharaCell(r);
  const int nPair = CHARA_FIRST_SHEET + 2 * q;
  if (nUse == IMAGEUSE_CHARA) {
    SetSheets(r, nPair + nDir, nPair + nDir + CHARA_SECOND_SET_OFFSET, nPair + 1 - nDir,
              nPair + 1 - nDir + CHARA_SECOND_SET_OFFSET);
    r.x = (nColumn + nPattern) * CELL;
    r.y = rr * CELL;
    return;
  }
  const int nRight = nColumn >= 20 ? 1 : 0;
  SetSheets(r, nPair + nRight, nPair + nRight + CHARA_SECOND_SET_OFFSET, nPair + 1 - nRight,
            nPair + 1 - nRight + CHARA_SECOND_SET_OFFSET);
  r.x = (nColumn - 20 * nRight) * CELL;
  r.y = rr * CELL;
  if (OutsideSheet(r.nSheet[0], r.x, r.y)) FirstCharaCell(r);
}

void OwnCell(IMAGESOURCERECT& r, int nUse, int nIndex, int nColumn, int nDir, int nPattern) {
  // Picture p (counted from 1) is database entry p; 0 and entries past the
  // list name no picture, and a scale past 16 leaves no cell in a row.
  const cVector<cEdBmpCharaExc>& v = g_Database.m_vecBmpCharaExc;
  if (nIndex < 1 || static_cast<size_t>(nIndex) >= v.size()) return FirstCharaCell(r);
  const cEdBmpCharaExc& pic = v[static_cast<size_t>(nIndex)];
  const int s = pic.bCustomCell ? pic.nCellBlocks : 1;
  if (s < 1 || s > 16) return FirstCharaCell(r);
  const int nFacing = nUse == IMAGEUSE_CHARA ? nDir : 0;
  const int nBase = 4 * nIndex - 4;
  SetSheets(r, nBase + nFacing, nBase + 2 + nFacing, nBase + 1 - nFacing, nBase + 3 - nFacing);
  r.bOwnList = true;
  const int c = nUse == IMAGEUSE_CHARA ? nColumn + nPattern : nColumn;
  if (c < 0) return FirstCharaCell(r);
  if (pic.bCustomCell) {
    const int nPerRow = 16 / s;
    r.bOwnCell = true;
    r.nCellScale = s;
    r.x = (c % nPerRow) * CELL * s;
    r.y = (c / nPerRow) * CELL * s;
  } else {
    r.x = (c & 15) * CELL;
    r.y = (c / 16) * CELL;
  }
}

}  // namespace

IMAGESOURCERECT GetImageSourceRect(int nUse, int nKind, int nIndex, int nColumn, int nDir, int nPattern) {
  IMAGESOURCERECT r;
  if (nIndex < 0) nIndex = 0;
  nDir = nDir == 1 ? 1 : 0;
  const int q = nIndex / 15;
  const int rr = nIndex % 15;
  switch (nKind) {
    case IMAGE_BLOCK:
      SetSheets(r, 2, 3, 2, 3);
      r.x = q * CELL;
      r.y = rr * CELL;
      break;
    case IMAGE_CHARA:
      CharaCell(r, nUse, q, rr, nColumn, nDir, nPattern);
      break;
    case IMAGE_ITEM:
      SetSheets(r, 40, 41, 40, 41);
      r.x = q * 2 * CELL + (nUse == IMAGEUSE_ITEM ? nPattern * CELL : 0);
      r.y = rr * CELL;
      break;
    case IMAGE_SHOT:
      if (nUse == IMAGEUSE_CHARA) {
        SetSheets(r, 63 + nDir, 63 + nDir, 64 - nDir, 64 - nDir);
      } else {
        SetSheets(r, 63, 63, 63, 63);
      }
      r.x = nIndex / 30 * 2 * CELL;
      r.y = nIndex % 30 * CELL;
      break;
    case IMAGE_OWN:
      OwnCell(r, nUse, nIndex, nColumn, nDir, nPattern);
      break;
    default:
      FirstCharaCell(r);
      break;
  }
  r.nDrawSheet = s_bFirstSet ? r.nSheet[0] : r.nSheet[1];
  r.nDrawSheetOpposite = s_bFirstSet ? r.nSheetOpposite[0] : r.nSheetOpposite[1];
  return r;
}

void SelectSheetSet(bool bDirectDraw, bool bVideoStretch) {
  s_bFirstSet = bDirectDraw && bVideoStretch;
  s_nIconSheet = s_bFirstSet ? 43 : 44;
  s_nSecondSheet = s_bFirstSet ? 67 : 68;
  s_nThirdSheet = bDirectDraw ? 68 : 70;
}

int PAIRANIME::Advance(bool bFrozen) {
  if (!bFrozen && ++nTick >= PAIR_PATTERN_FRAMES) {
    nTick = 0;
    nPattern = (nPattern + 1) % PAIR_PATTERNS;
  }
  return nPattern;
}

int IconSheet() { return s_nIconSheet; }
int SecondGlobalSheet() { return s_nSecondSheet; }
int ThirdGlobalSheetForTests() { return s_nThirdSheet; }

void SetPictureSheetSource(PICTURESHEETSOURCE pfn) { s_pfnSheets = pfn; }

void DrawBlock(const cEdBlock& block, DDSURFACEDATA* lpDst, int x, int y) {
  IMAGESOURCERECT r = GetImageSourceRect(IMAGEUSE_BLOCK, block.m_nImageKind, block.m_nImageIndex, block.m_nImageSub,
                                         0, 0);
  if (DDSURFACEDATA* src = Sheet(r.nDrawSheet, r.bOwnList))
    DDBltFast(lpDst, x, y, CELL, CELL, src, r.x, r.y, BLT_COLOUR_KEY);
  if (block.m_bOverlay != 1) return;
  DDSURFACEDATA* icons = Sheet(s_nIconSheet, false);
  if (!icons) return;
  // The overlay cell comes from the file; a cell outside the sheet is not
  // drawn.
  const int sx = block.m_nOverlayCell / 15 * CELL;
  const int sy = block.m_nOverlayCell % 15 * CELL;
  if (sx + CELL > icons->nWidth || sy + CELL > icons->nHeight) return;
  DDBltFast(lpDst, x, y, CELL, CELL, icons, sx, sy, BLT_COLOUR_KEY);
}

void DrawSmallCell(DDSURFACEDATA* lpDst, int x, int y, int nKind, int nIndex, int nSub) {
  constexpr int SMALL = 16;
  if (nIndex < 0) nIndex = 0;
  if (nKind == IMAGE_ITEM) {
    if (DDSURFACEDATA* src = Sheet(SMALL_ITEM_SHEET, false))
      DDBltFast(lpDst, x, y, SMALL, SMALL, src, nIndex / 15 * CELL, nIndex % 15 * SMALL, BLT_COLOUR_KEY);
    return;
  }
  IMAGESOURCERECT r = GetImageSourceRect(IMAGEUSE_BLOCK, nKind, nIndex, nSub, 0, 0);
  // The block sheet and the 30-row sheet have one surface for small cells;
  // charas and own pictures are taken from the sheet drawing uses.
  int nSheet = r.nDrawSheet;
  if (nKind == IMAGE_BLOCK) nSheet = BLOCK_SHEET_SMALL_SOURCE;
  DDSURFACEDATA* src = Sheet(nSheet, r.bOwnList);
  if (!src) return;
  const int nCell = CELL * r.nCellScale;
  DDBltD3D(lpDst, x, y, SMALL, SMALL, src, r.x, r.y, nCell, nCell, BLT_COLOUR_KEY);
}
