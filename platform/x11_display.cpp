#include "platform/x11_display.h"

#include <SDL.h>
#include <SDL_syswm.h>

#if defined(SDL_VIDEO_DRIVER_X11)
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace {

// An EWMH window manager names its check window on the root window.
bool HasWindowManager(Display* pDisplay) {
  const Atom check = XInternAtom(pDisplay, "_NET_SUPPORTING_WM_CHECK", True);
  if (check == None) return false;
  Atom type = None;
  int nFormat = 0;
  unsigned long nItems = 0;
  unsigned long nLeft = 0;
  unsigned char* pData = nullptr;
  const bool bRead = XGetWindowProperty(pDisplay, DefaultRootWindow(pDisplay), check, 0, 1, False, XA_WINDOW, &type,
                                        &nFormat, &nItems, &nLeft, &pData) == Success;
  const bool bFound = bRead && pData && nItems == 1;
  if (pData) XFree(pData);
  return bFound;
}

}  // namespace

void CoverDisplayWithoutWindowManager(SDL_Window* pWindow) {
  SDL_SysWMinfo info;
  SDL_VERSION(&info.version);
  if (!pWindow || !SDL_GetWindowWMInfo(pWindow, &info) || info.subsystem != SDL_SYSWM_X11) return;
  Display* pDisplay = info.info.x11.display;
  if (HasWindowManager(pDisplay)) return;
  SDL_Rect bounds;
  if (SDL_GetDisplayBounds(SDL_GetWindowDisplayIndex(pWindow), &bounds) != 0) return;
  const ::Window w = info.info.x11.window;
  XMoveResizeWindow(pDisplay, w, bounds.x, bounds.y, static_cast<unsigned>(bounds.w), static_cast<unsigned>(bounds.h));
  XRaiseWindow(pDisplay, w);
  XFlush(pDisplay);
}

#else

void CoverDisplayWithoutWindowManager(SDL_Window*) {}

#endif
