#include "shell/startup.h"

#include <cstdlib>

#include "platform/messages.h"
#include "platform/window.h"
#include "shell/main_window.h"

bool InitGame(const char* lpCmdLine, int nCmdShow) {
  (void)lpCmdLine;
  timeBeginPeriod(1);
  srand(timeGetTime());
  // Still to come, in this order: the data version and the strings' carriage
  // returns; CreateDefaultData and the folder list; the databases with the
  // effect working lists and run-time tables; g_System; System.ini, Boot.dat
  // and the start-up dialog; the command line over "FreeStage"; target rate
  // and fade step; key repeat; the screen mode; then, after the window is
  // shown below (titled with g_System's title), the graphics with the
  // fallback to DirectDraw, the display lines of the report, palette and
  // colour key, surfaces, fonts, joystick masks, key configuration, options,
  // the 8-bit picture set, music, the sound table and sounds, the world map
  // and the common palette, and the free-play stage.
  HWND hWnd = g_MainWnd.m_hWnd;
  ShowWindow(hWnd, nCmdShow);
  g_hWndMain = hWnd;
  return true;
}

void UnInitGame() {
  // Still to come, in this order, each only for what start-up made: the font
  // counts in the report, sound, music, the scenes, fonts, digit surfaces,
  // the graphics.
  timeEndPeriod(1);
}

// The system report unit replaces this with the machine's description.
void WriteSystemReport() {}
