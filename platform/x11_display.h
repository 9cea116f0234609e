// What SDL leaves undone on a bare X server: with no window manager nobody
// acts on a window's request for full screen, so the window is put over
// its display by hand. Apart from the window's unit because the X headers
// define short macro names (None, Always, Status...).
#pragma once

struct SDL_Window;

// For a window of the X video driver on a display with no EWMH window
// manager: moves and sizes the window over the whole display and raises
// it. Nothing happens otherwise (a window manager does it itself). Window
// thread only.
void CoverDisplayWithoutWindowManager(SDL_Window* pWindow);
