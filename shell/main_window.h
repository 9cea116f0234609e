// The main window's message handling: activation, the Esc key, and the close
// sequence that ends every worker thread and then the message loop.
#pragma once

#include <atomic>

#include "platform/win_types.h"

// The main window object. The handle member is the target of the game
// side's requests; g_hWndMain is the copy that error paths post WM_CLOSE to.
struct cMainWnd {
  std::atomic<HWND> m_hWnd{nullptr};
  std::atomic<BOOL> m_bCreated{FALSE};
};
extern cMainWnd g_MainWnd;

// The window procedure of the main window.
LRESULT MainWndProc(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
LRESULT MainWndOnMessage(HWND hWnd, UINT msg, WPARAM wParam, LPARAM lParam);
