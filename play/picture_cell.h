// The picture cell lookup: an image reference (kind, index, column, facing,
// pattern) becomes the picture sheet to draw from and the 32 × 32 cell's
// source position; and DrawBlock, which draws one block with it.
#pragma once

#include <cstdint>

#include "records/block.h"

struct DDSURFACEDATA;

// Uses of a lookup: 1 a live chara (its facing chooses the sheet), 2 an
// item (two pattern columns); any other value takes the left-facing sheet.
constexpr int IMAGEUSE_BLOCK = 0;
constexpr int IMAGEUSE_CHARA = 1;
constexpr int IMAGEUSE_ITEM = 2;

struct IMAGESOURCERECT {
  // Sheets of the facing asked for and of the opposite facing, first set and
  // second set; then the two chosen for drawing.
  int nSheet[2] = {0, 0};
  int nSheetOpposite[2] = {0, 0};
  int nDrawSheet = 0;
  int nDrawSheetOpposite = 0;
  // Set: the sheets are surfaces of the own-picture list, not of the stage
  // surface table.
  bool bOwnList = false;
  bool bOwnCell = false;
  int nCellScale = 1;
  int x = 0;
  int y = 0;
};

// The fixed animation of item and shot pictures: the two pattern columns
// of a picture, each shown for 12 drawn frames, then again from the first.
struct PAIRANIME {
  int nPattern = 0;
  int nTick = 0;
  // One drawn frame (a frozen one keeps the pattern); the pattern to draw.
  int Advance(bool bFrozen);
};

// nDir is the object's m_nDir (0 left, 1 right), read for use 1 only.
IMAGESOURCERECT GetImageSourceRect(int nUse, int nKind, int nIndex, int nColumn, int nDir, int nPattern);

// Chooses the sheet set and the global sheets when the stage scene begins.
void SelectSheetSet(bool bDirectDraw, bool bVideoStretch);
// The icon sheet (block and item overlays) and the two further global
// sheets SelectSheetSet chose.
int IconSheet();
int SecondGlobalSheet();
int ThirdGlobalSheetForTests();

// What the lookup and DrawBlock need of the loaded stage graphics: a sheet
// of the stage surface table (or of the own-picture list) by number, null
// when there is none. The stage graphics install it; until then every
// sheet is missing, chara cells are not tested against a sheet's size, and
// DrawBlock draws nothing.
typedef DDSURFACEDATA* (*PICTURESHEETSOURCE)(int nSheet, bool bOwnList);
void SetPictureSheetSource(PICTURESHEETSOURCE pfn);

// One block at (x, y): its picture, then its overlay cell when it has one.
void DrawBlock(const cEdBlock& block, DDSURFACEDATA* lpDst, int x, int y);

// A picture as a 16 × 16 cell (message texts, stage chara icons): items
// unshrunk from the small item sheet, the other kinds shrunk from their
// cell. nSub is the picture column (or base cell).
void DrawSmallCell(DDSURFACEDATA* lpDst, int x, int y, int nKind, int nIndex, int nSub);

// The surfaces of the small item sheet and of the block sheet's second set.
constexpr int SMALL_ITEM_SHEET = 42;
constexpr int BLOCK_SHEET_SMALL_SOURCE = 3;

// The chara sheets of the first set (the second lies CHARA_SECOND_SET_OFFSET
// further): surfaces 4 to 19, two per picture file.
constexpr int CHARA_FIRST_SHEET = 4;
constexpr int CHARA_SHEET_COUNT = 16;
constexpr int CHARA_SECOND_SET_OFFSET = 18;
