// The game window: a 640 x 480 client area shown with SDL on the window
// thread (the process's main thread), whose events arrive as the window
// messages the game handles (keys, close box, activation, paint), and which
// shows the frames the game side hands over. Headless there is no SDL video
// at all: the window is only a message window, and the application is
// always active.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/messages.h"
#include "platform/win_types.h"

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 480;

// Creates the window on the calling thread, hidden, titled with a CP932
// title, and sends WM_CREATE to its procedure. Null when SDL cannot make it.
HWND CreateMainWindow(WNDPROC pfnProc, std::string_view cp932Title);
// Shows or hides it. A command that activates a window (every one but
// SW_HIDE, SW_SHOWNOACTIVATE, SW_SHOWMINNOACTIVE and SW_MINIMIZE) posts
// WM_ACTIVATEAPP 1 the first time, as the system does for a new window;
// later activation follows the window's focus.
BOOL ShowWindow(HWND hWnd, int nCmdShow);
// A dialog drawn in the game window while start-up has not shown it yet
// (the start-up dialog, a box of the steps before the show) shows it,
// activated, so that a person sees the dialog and types into it. It stays
// shown; start-up's own show then finds it so. Window thread only; nothing
// happens headless.
void ShowGameWindowForDialog();
BOOL SetWindowTextA(HWND hWnd, std::string_view cp932Title);
// Full screen for the rest of the run: the 640 x 480 picture scaled to fill
// the display with its aspect kept, black bars beside it; FALSE and the
// window as it was when the display refuses. Window thread only; nothing
// happens headless.
BOOL SetWindowFullScreen(HWND hWnd);
// The cursor's display count: one up or down, the new count returned. The
// mouse pointer is shown over the window while the count is 0 or more (or a
// dialog is open, see ShowPointerForDialog). Any thread.
int ShowCursor(BOOL bShow);
// An open dialog wants the pointer whatever the count; calls pair.
void ShowPointerForDialog(bool bShow);
// Sends WM_DESTROY, then destroys the window (and, for the game window, its
// SDL window). Owner thread only.
BOOL DestroyWindow(HWND hWnd);

// True when a real window is shown with SDL (false headless).
bool HasGameWindow();
// The refresh rate in Hz of the display the window is on; 0 when unknown
// (a virtual display, headless). Any thread.
int GameWindowRefreshRate();

// The game side's frame (0x00RRGGBB pixels), copied and shown by the window
// thread the next time it looks at its queue. With bVSync the frame is
// presented at the display's vertical blank and the call waits until it is
// (at most 100 ms; never during shut-down).
void HandFrameToWindow(const uint32_t* pPixels, int nWidth, int nHeight, int nPitchPixels, bool bVSync);
// The last frame handed over (on screen, or about to be), for a dialog to
// draw over while the game side may be making the next one. Window thread
// only; false when no frame was handed over (always so headless).
bool CopyLastHandedFrame(std::vector<uint32_t>& vPixels, int& nWidth, int& nHeight);
