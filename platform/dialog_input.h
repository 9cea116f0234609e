// What the program's own dialogs take from the game window while one is
// open (keys, typed text from SDL's text input and the input method, mouse
// clicks in client pixels), and the system's plain message box for the time
// when there is no game window to draw in.
#pragma once

#include <cstdint>
#include <string>

#include "platform/win_types.h"

enum DLGEVENTKIND {
  DLGEV_KEYDOWN,      // nVk (a Windows virtual-key code), bShift, bControl
  DLGEV_TEXT,         // strUtf8: text the player typed or the input method committed
  DLGEV_COMPOSITION,  // strUtf8: the input method's unfinished text ("" when it closes)
  DLGEV_MOUSEDOWN,    // x, y in client pixels of the 640 x 480 window (left button)
  DLGEV_MOUSEUP,
  DLGEV_MOUSEMOVE,
};

struct DLGEVENT {
  DLGEVENTKIND nKind = DLGEV_KEYDOWN;
  int nVk = 0;
  bool bShift = false;
  bool bControl = false;
  std::string strUtf8;
  int x = 0;
  int y = 0;
};

// Window thread only. Starts gathering events and text input; calls nest,
// the outermost pair starts and stops. False (and nothing gathered) when
// there is no game window.
bool BeginDialogInput();
void EndDialogInput();
// The next gathered event, oldest first.
bool NextDialogEvent(DLGEVENT& e);
// Where the input method may show its candidates (client pixels).
void SetDialogTextInputArea(int x, int y, int w, int h);

// A window of its own for a dialog shown while there is no game window (a
// message box before the window exists): client size w x h, UTF-8 title.
// Its events come through NextDialogWindowEvent (the close box arrives as
// Esc); window thread only, one at a time.
bool OpenDialogWindow(int w, int h, const std::string& utf8Title);
void ShowDialogWindowFrame(const uint32_t* pPixels, int w, int h);
bool NextDialogWindowEvent(DLGEVENT& e);
void CloseDialogWindow();

// The system's message box (MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL),
// texts in UTF-8; 0 when it cannot be shown.
int SystemMessageBox(const std::string& utf8Text, const std::string& utf8Caption, UINT type);
