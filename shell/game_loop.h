// The game thread: GameLoop makes a frame whenever the application is active
// and ends on WM_QUIT; GameFrame is one paced frame.
#pragma once

// The thread procedure of thGame.
unsigned GameLoop(void* pArg);
// One frame; false ends the program (GameLoop then closes the window).
bool GameFrame();
