// The fixed tables built before the entry runs and indexed by the rest of
// the system: the path table, the file extensions, the label tables of the
// flow records, the system bitmap table, the font table, the parent links of
// the fixed surfaces, the menu cursor stack and the square root of 2. The
// tables themselves are defined in records/globals.cpp, in construction
// order; texts are CP932.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/checked_containers.h"
#include "base/surface_tables.h"

// ---- Path and name tables ----------------------------------------------------

constexpr int PATH_TABLE_COUNT = 47;
constexpr int EXTENSION_COUNT = 4;
// Threads (every table in this section and the next): built before the
// entry runs and never changed; any thread reads them.
// "data\", "default\", ... "user_data\Boot.dat".
extern cVector<std::string> g_vecPathTable;
// "cplt4", "stg4", "plt4", "rkg".
extern cVector<std::string> g_vecExtension;
// Each label table ends with an empty entry.
extern cVector<std::string> g_vecCharaVarLabel;   // "1 キャラ変数-1" ... "8 キャラ変数-8"
extern cVector<std::string> g_vecAssignOpLabel;   // in the order of AssignOp
extern cVector<std::string> g_vecCompareOpLabel;  // in the order of CompareOp
extern cVector<std::string> g_vecConditionSenseLabel;
extern cVector<std::string> g_vecColorNameLabel;

// ---- Fixed surfaces and fonts -----------------------------------------------

extern cVector<SYSTEMBITMAPINFO> g_vecSystemBitmap;
extern cVector<FONTINFO> g_vecFontInfo;
// Blank descriptions (empty name, memory kind 1) for surfaces the scenes
// add at run time.
extern cVector<SYSTEMBITMAPINFO> g_vecBlankSurfaceInfo;

// A fixed surface and the surface it is made from.
struct SURFACELINK {
  int32_t nSurface;
  int32_t nParent;
};
extern const SURFACELINK g_aSurfaceLink[SURFACE_LINK_COUNT];

// Sets the parent link of the 31 fixed surfaces, through the graphics layer's
// setter (the surface records are its own). Called once by start-up, right
// after the graphics are set up and before the palette is loaded.
void LinkGlobalTables(const std::function<void(int nSurface, int nParent)>& pfnSetParent);

// ---- Menu cursor stack -------------------------------------------------------

// A cursor of a menu level.
struct MENUSTATE {
  int32_t nCol;
  int32_t nRow;
  int32_t nX;  // pixels
  int32_t nY;
};

struct MENUSTATESTACK {
  // One zeroed state, current.
  MENUSTATESTACK();
  MENUSTATESTACK(const MENUSTATESTACK&) = delete;
  MENUSTATESTACK& operator=(const MENUSTATESTACK&) = delete;

  MENUSTATE* lpCurrent = nullptr;   // the top record
  MENUSTATE* lpPrevious = nullptr;  // the record below it, or null
  int32_t nCurrent = 0;             // index of the top record
  cVector<MENUSTATE> vecState;
};

// Threads: the game thread only (the menu scenes and their cursor moves);
// the window thread's dialogs never touch it.
extern MENUSTATESTACK g_MenuState;

// Exactly one zeroed state, current, index 0.
void ResetMenuState();

// ---- Constants ----------------------------------------------------------------

extern const double g_dSqrt2;
extern const double g_dInvSqrt2;

// ---- Builders used by the static construction --------------------------------

cVector<std::string> BuildPathTable();
cVector<std::string> BuildExtensionTable();
cVector<std::string> BuildCharaVarLabels();
cVector<std::string> BuildAssignOpLabels();
cVector<std::string> BuildCompareOpLabels();
cVector<std::string> BuildConditionSenseLabels();
cVector<std::string> BuildColorNameLabels();
cVector<SYSTEMBITMAPINFO> BuildSystemBitmapTable();
cVector<FONTINFO> BuildFontTable();
cVector<SYSTEMBITMAPINFO> BuildBlankSurfaceInfos();
