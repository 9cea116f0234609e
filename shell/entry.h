// The program's entry (WinMain): the report, the single-instance rule, the
// main window, start-up, the game thread and the window thread's message
// loop, then shut-down.
#pragma once

#include <atomic>
#include <string>

#include "platform/win_types.h"

// The editor link. There is no editor window to tell on this system, so it
// stays 0 whatever the show command.
extern DWORD g_bEditorLink;
// Start-up has finished (set before thGame starts).
extern std::atomic<BYTE> g_bGameReady;
// The application is active: written by the main window's WM_ACTIVATEAPP,
// read by the message loop and the frame-making threads.
extern std::atomic<DWORD> g_bAppActive;

// A command line that CP932 cannot hold, as CP932 with '?' for each
// character it lacks; empty when the line converted. Written by main before
// WinMain, read by WinMain for its report line; one thread, no lock.
extern std::string g_strUnconvertedCmdLine;

// lpCmdLine: the whole command line as CP932, not split. The result is the
// process's exit code: 0 when start-up stops early by the person's choice
// (the other copy kept running), 1 when InitGame fails or the report cannot
// be started, otherwise the wParam
// of the WM_QUIT that ended the message loop.
int WinMain(const char* lpCmdLine, int nCmdShow);
