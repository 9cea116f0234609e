// The drawn message box (OK, OK / Cancel, Yes / No, Yes / No / Cancel) and
// the set-up that puts the program's own dialogs in place of the scripted
// stand-ins once the game window exists.
#pragma once

#include <string>

#include "platform/win_types.h"
#include "shell/dlg_library.h"

// A message box as a dialog; its result is the button's id (IDOK, IDYES...).
class cMessageBoxDlg : public cDlg {
 public:
  cMessageBoxDlg(const std::string& strTextCp932, const std::string& strCaptionCp932, UINT uType);
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;

 protected:
  bool OnKey(const DLGEVENT& e) override;

 private:
  UINT m_uType;
};

// The box on the window thread (drawn in the game window), from any thread
// (the window thread runs it while the caller waits), or, without a game
// window, the system's own box. What a box answers when it cannot be shown.
int DrawnMessageBox(HWND hOwner, std::string_view cp932Text, std::string_view cp932Caption, UINT uType);
int DefaultBoxAnswer(UINT uType);
// The window thread's part: run here on that thread, or sent to it from
// another (which waits); 0 when no window thread serves boxes.
int RunBoxOnWindowThread(std::string_view cp932Text, std::string_view cp932Caption, UINT uType);
// The calling thread becomes the one that draws boxes for the others.
void CreateDialogHostWindow();

// At program start, before any box: the drawn message boxes (unless
// headless). Before the game window exists a box gets a window of its own.
void InstallDrawnMessageBoxes();
// Window thread, once the game window exists: boxes from other threads are
// drawn by this thread, and the main window's requests get the drawn name
// entry and choosers (each still answers from TARVOLIN4_ANSWERS headless).
void InstallDrawnDialogs();
// Before the window thread ends: boxes from other threads then use the
// system's box.
void RemoveDrawnDialogs();
