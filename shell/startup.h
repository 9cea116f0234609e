// Start-up and shut-down of the whole system, on the window thread: InitGame
// after the main window exists and before the game thread starts, UnInitGame
// after the message loop has ended (or after a start-up that failed part of
// the way: it undoes only the steps that ran).
#pragma once

#include <string>

#include "media/graphics/dd.h"
#include "platform/win_types.h"
#include "records/start_tables.h"
#include "shell/ini_file.h"

// True when the system is ready to run. Sets g_hWndMain and shows the window.
bool InitGame(const char* lpCmdLine, int nCmdShow);
// Safe after a partial start-up, and a second time.
void UnInitGame();

// Loads picture set n of the 8-bit DirectDraw display: its colour table
// "bmp\hbt\hbtNN.dat" and the palette shifted or banded for the set (true
// at once on any other display). A missing or short table gives the box
// "%s の読み込みに失敗！" and false. Start-up and the option screen call it
// on the game thread.
bool LoadHbt(int n);

// The steps of start-up that have something to undo, and whether they ran.
struct STARTUPRAN {
  bool bTimerPeriod = false;
  bool bGraphics = false;  // DDInit was called (it may have left a part behind)
  bool bFonts = false;
  bool bDigits = false;
  bool bSound = false;     // DS_Init was called
};
const STARTUPRAN& StartupStepsRanForTests();
// The fonts exist (the frame-rate text and the surface restore use them).
bool StartupFontsReady();

// Threads (these and g_bFreeStage): filled by InitGame and released by
// UnInitGame on the window thread, before the game thread starts and after
// it has ended; in between the thread that draws reads them. The one
// exception: the stage scene's start reloads the eight background entries
// on the game thread, while no other thread draws (thPause is not running).
// The fixed surfaces: one record per row of the system bitmap table and the
// descriptions DDInit is given (entry 0 is the palette picture).
extern DDSURFACEDATA g_aStageSurface[SYSTEM_BITMAP_COUNT];
extern DDSURFACEINFO g_aStageSurfaceInfo[SYSTEM_BITMAP_COUNT];

// (Re)loads the eight background surfaces of the table from the pictures
// named, one per slot, and keeps each name in the slot's description. A
// picture that cannot be loaded gives the report line "%s の読み込みに失敗！"
// and the slot gets its default picture back; play goes on. Game thread.
void LoadBackgroundSurfaces(DDSURFACEDATA* aSD, DDSURFACEINFO* aInfo, const std::string* aszFile);

// 1 when the program started straight into the "FreeStage" file.
extern BOOL g_bFreeStage;

// ---- The screen-mode decision ------------------------------------------------

enum SCREENMODERESULT {
  SCREENMODE_OK = 0,
  SCREENMODE_REFUSED,  // "画面モードが不正です！\nSystem.iniと画面の設定を見直して下さい！"
};
// Writes the decided "VSync" and "Bpp" back into ini and gives the window
// flag. nDesktopBpp is the desktop's depth (24 already counted as 32).
// Window mode takes any depth the desktop has: our window converts.
SCREENMODERESULT DecideScreenMode(INIVALUES& ini, int nDesktopBpp, bool bFullColourProject, bool bOsAtLeast6,
                                  int& nWindowFlag);
