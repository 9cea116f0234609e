// Start-up and shut-down of the whole system, on the window thread: InitGame
// after the main window exists and before the game thread starts, UnInitGame
// after the message loop has ended.
#pragma once

// True when the system is ready to run. Sets g_hWndMain and shows the window.
bool InitGame(const char* lpCmdLine, int nCmdShow);
// Safe after a partial start-up.
void UnInitGame();

// The machine's description in the report (written by the entry after the
// version line).
void WriteSystemReport();
