// The pictures stage play draws from: the stage surface table (the fixed
// surfaces start-up loads), the two spread-out shot sheets, and the special
// chara, sword and effect picture sets made from the databases' files.
#pragma once

#include <vector>

#include "media/graphics/dd.h"

// Numbers in the stage surface table.
constexpr int STAGESURFACE_SHOT = 20;
constexpr int STAGESURFACE_SHOT_MIRROR = 21;
constexpr int STAGESURFACE_STATUSWINDOW = 46;
constexpr int STAGESURFACE_MARK = 43;  // the sort key of the item batch
constexpr int STAGESURFACE_ACCESSORY = 49;
constexpr int STAGESURFACE_WORD = 51;
constexpr int STAGESURFACE_BACKGROUND = 55;  // + background entry, 8 entries
constexpr int STAGESURFACE_BACKGROUND_COUNT = 8;
constexpr int STAGESURFACE_SHOTSHEET = 63;
constexpr int STAGESURFACE_SHOTSHEET_MIRROR = 64;
constexpr int STAGESURFACE_WORK = 67;
constexpr int STAGESURFACE_WORK2 = 68;

// A picture set: its surfaces and their descriptions, element for element.
// Entry e (from 1) of its database owns surfaces (e - 1) * k ... (e - 1) * k + k - 1.
struct PICTURESET {
  std::vector<DDSURFACEDATA> vSD;
  std::vector<DDSURFACEINFO> vInfo;
};

// Written by the game thread when the stage scene loads its pictures, read
// by the threads that draw a stage frame (the game thread, or the frozen
// frame threads while it waits for them).
extern PICTURESET g_SpecialBmps;
extern PICTURESET g_SwordGraphics;
extern PICTURESET g_EffectGraphics;

// Start-up hands over its stage surface table (nCount entries); without one
// every stage surface is missing.
void SetStageSurfaceTable(DDSURFACEDATA* lpTable, int nCount);
// The descriptions DDInit is given for the fixed surfaces, one per row of
// the system bitmap table (aInfo holds SYSTEM_BITMAP_COUNT entries).
void FillSurfaceInfoTable(DDSURFACEINFO* aInfo);
// The surface n of the table, null when there is none or it holds no
// picture.
DDSURFACEDATA* StageSurface(int n);
// A surface of a picture set, null when outside the set or empty.
DDSURFACEDATA* PictureSetSurface(PICTURESET& set, int n);
// True when the surface holds pixels on the path in use.
bool SurfaceHasPixels(const DDSURFACEDATA* lpSD);

// Makes sheets 63 and 64: the 16 x 16 pieces of sheets 20 and 21 (8 columns,
// 30 rows) each in the middle of a 32 x 32 cell.
void ComposeShotSheets();
void LoadSpecialBmps();
void LoadSwordGraphics();
void LoadEffectGraphics();
// Releases the three sets (the stage scene's end).
void ReleaseStageGraphics();
// Points the picture cell lookup at the stage surface table and the special
// chara pictures.
void InstallStageSheetSource();
