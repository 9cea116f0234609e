#include "platform/window.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

#include "platform/keyboard.h"
#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "platform/x11_display.h"

namespace {

// SDL objects: window thread only.
SDL_Window* s_pWindow = nullptr;
SDL_Renderer* s_pRenderer = nullptr;
SDL_Texture* s_pTexture = nullptr;
int s_nTextureW = 0;
int s_nTextureH = 0;
bool s_bPresentVSync = false;  // the renderer waits for the display's blank
bool s_bShown = false;
bool s_bActive = false;
std::vector<uint32_t> s_Shown;  // the frame on screen, for expose (window thread only)

// The cursor's display count (ShowCursor, any thread) and the dialogs that
// want the pointer; the window thread's pump shows or hides SDL's cursor
// to match.
std::atomic<int> s_nCursorCount{0};
std::atomic<int> s_nDialogPointers{0};
bool s_bCursorShown = true;  // window thread only

// The refresh rate of the display the window is on (0: unknown); the
// window thread keeps it, the thread that presents reads it.
std::atomic<int> s_nRefreshHz{0};

std::atomic<HWND> s_hWnd{nullptr};
std::atomic<bool> s_bHasWindow{false};
std::atomic<DWORD> s_dwWindowThread{0};

// The frame handed over by the game side, waiting for the window thread.
struct cFrameHandoff {
  std::mutex m_Lock;
  std::condition_variable m_Shown;
  std::vector<uint32_t> m_Pixels;
  int m_nWidth = 0;
  int m_nHeight = 0;
  bool m_bVSync = false;
  uint64_t m_nSubmitted = 0;
  uint64_t m_nShown = 0;
};
cFrameHandoff s_Handoff;

void Activate(bool bActive) {
  if (bActive == s_bActive) return;
  s_bActive = bActive;
  if (!bActive) ClearKeyStates();  // key releases are not seen without focus
  PostMessage(s_hWnd.load(), WM_ACTIVATEAPP, bActive ? 1 : 0, 0);
}

void Render() {
  if (!s_pRenderer) return;
  SDL_RenderClear(s_pRenderer);
  if (s_pTexture) SDL_RenderCopy(s_pRenderer, s_pTexture, nullptr, nullptr);
  SDL_RenderPresent(s_pRenderer);
}

void ShowPendingFrame() {
  uint64_t nSeq = 0;
  int w = 0;
  int h = 0;
  bool bVSync = false;
  {
    std::lock_guard<std::mutex> lk(s_Handoff.m_Lock);
    if (s_Handoff.m_nSubmitted == s_Handoff.m_nShown) return;
    nSeq = s_Handoff.m_nSubmitted;
    w = s_Handoff.m_nWidth;
    h = s_Handoff.m_nHeight;
    bVSync = s_Handoff.m_bVSync;
    s_Shown.swap(s_Handoff.m_Pixels);
  }
  // The present of a frame handed over with VSync returns at the display's
  // next vertical blank (SDL keeps that time itself where the display
  // reports no blank); the others go out at once.
  if (bVSync != s_bPresentVSync && SDL_RenderSetVSync(s_pRenderer, bVSync ? 1 : 0) == 0) s_bPresentVSync = bVSync;
  if (w != s_nTextureW || h != s_nTextureH) {
    if (s_pTexture) SDL_DestroyTexture(s_pTexture);
    s_pTexture = SDL_CreateTexture(s_pRenderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
    s_nTextureW = w;
    s_nTextureH = h;
  }
  if (s_pTexture) SDL_UpdateTexture(s_pTexture, nullptr, s_Shown.data(), w * 4);
  Render();
  std::lock_guard<std::mutex> lk(s_Handoff.m_Lock);
  s_Handoff.m_nShown = nSeq;
  s_Handoff.m_Shown.notify_all();
}

void ReadRefreshRate() {
  SDL_DisplayMode mode{};
  const int nDisplay = s_pWindow ? SDL_GetWindowDisplayIndex(s_pWindow) : -1;
  s_nRefreshHz = nDisplay >= 0 && SDL_GetCurrentDisplayMode(nDisplay, &mode) == 0 ? mode.refresh_rate : 0;
}

void ApplyCursor() {
  const bool bShow = s_nCursorCount.load() >= 0 || s_nDialogPointers.load() > 0;
  if (bShow == s_bCursorShown) return;
  SDL_ShowCursor(bShow ? SDL_ENABLE : SDL_DISABLE);
  s_bCursorShown = bShow;
}

// The window thread's event pump (see SetEventPump).
void PumpWindowEvents() {
  if (!s_pWindow) return;
  HWND hWnd = s_hWnd.load();
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        int nVk = VkFromScancode(e.key.keysym.scancode);
        if (nVk) PostKeyMessage(nVk, e.type == SDL_KEYDOWN, e.key.repeat != 0);
        break;
      }
      case SDL_WINDOWEVENT:
        switch (e.window.event) {
          case SDL_WINDOWEVENT_CLOSE: PostMessage(hWnd, WM_CLOSE, 0, 0); break;
          case SDL_WINDOWEVENT_FOCUS_GAINED: Activate(true); break;
          case SDL_WINDOWEVENT_FOCUS_LOST: Activate(false); break;
          case SDL_WINDOWEVENT_DISPLAY_CHANGED: ReadRefreshRate(); break;
          case SDL_WINDOWEVENT_EXPOSED:
            Render();
            PostMessage(hWnd, WM_PAINT, 0, 0);
            break;
          default: break;
        }
        break;
      default: break;
    }
  }
  ApplyCursor();
  ShowPendingFrame();
}

bool OpenSdlWindow(std::string_view cp932Title) {
  // SIGTERM must end the process at once (the single-instance rule
  // terminates the other copy); SDL would turn it into a quit event.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    std::fprintf(stderr, "SDL video: %s\n", SDL_GetError());
    return false;
  }
  std::string title = Cp932ToUtf8(cp932Title);
  s_pWindow = SDL_CreateWindow(title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, kClientWidth,
                               kClientHeight, SDL_WINDOW_HIDDEN);
  if (s_pWindow) {
    s_pRenderer = SDL_CreateRenderer(s_pWindow, -1, SDL_RENDERER_ACCELERATED);
    if (!s_pRenderer) s_pRenderer = SDL_CreateRenderer(s_pWindow, -1, SDL_RENDERER_SOFTWARE);
  }
  if (!s_pWindow || !s_pRenderer) {
    std::fprintf(stderr, "SDL window: %s\n", SDL_GetError());
    if (s_pWindow) SDL_DestroyWindow(s_pWindow);
    s_pWindow = nullptr;
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return false;
  }
  SDL_RenderSetLogicalSize(s_pRenderer, kClientWidth, kClientHeight);
  SDL_SetRenderDrawColor(s_pRenderer, 0, 0, 0, 255);
  ReadRefreshRate();
  return true;
}

void CloseSdlWindow() {
  if (s_pTexture) SDL_DestroyTexture(s_pTexture);
  if (s_pRenderer) SDL_DestroyRenderer(s_pRenderer);
  if (s_pWindow) SDL_DestroyWindow(s_pWindow);
  s_pTexture = nullptr;
  s_pRenderer = nullptr;
  s_pWindow = nullptr;
  s_nTextureW = s_nTextureH = 0;
  s_bPresentVSync = false;
  s_bCursorShown = true;  // SDL's own state once video starts again
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

}  // namespace

HWND CreateMainWindow(WNDPROC pfnProc, std::string_view cp932Title) {
  bool bVideo = !IsHeadless();
  if (bVideo && !OpenSdlWindow(cp932Title)) return nullptr;
  HWND hWnd = CreateMessageWindow(pfnProc);
  s_hWnd = hWnd;
  s_bShown = false;
  s_bActive = false;
  s_dwWindowThread = GetCurrentThreadId();
  if (bVideo) {
    s_bHasWindow = true;
    SetEventPump(GetCurrentThreadId(), &PumpWindowEvents);
  }
  SendMessage(hWnd, WM_CREATE, 0, 0);
  return hWnd;
}

BOOL ShowWindow(HWND hWnd, int nCmdShow) {
  if (!IsWindow(hWnd)) return FALSE;
  BOOL bWasShown = s_bShown ? TRUE : FALSE;
  if (hWnd != s_hWnd.load()) return bWasShown;
  bool bActivates = nCmdShow != SW_HIDE && nCmdShow != SW_SHOWNOACTIVATE && nCmdShow != SW_SHOWMINNOACTIVE &&
                    nCmdShow != SW_MINIMIZE;
  s_bShown = nCmdShow != SW_HIDE;
  if (s_pWindow) {
    if (nCmdShow == SW_HIDE) {
      SDL_HideWindow(s_pWindow);
    } else {
      SDL_ShowWindow(s_pWindow);
      if (nCmdShow == SW_MINIMIZE || nCmdShow == SW_SHOWMINIMIZED || nCmdShow == SW_SHOWMINNOACTIVE) {
        SDL_MinimizeWindow(s_pWindow);
      } else if (nCmdShow == SW_RESTORE) {
        SDL_RestoreWindow(s_pWindow);
      }
      if (bActivates) {
        // An activated window has the keyboard. Without a window manager
        // (a bare X server) nobody else would give it the focus.
        SDL_RaiseWindow(s_pWindow);
        SDL_SetWindowInputFocus(s_pWindow);
      }
      Render();
    }
  }
  // Some window managers (or none, under a bare X server) never report focus
  // for a new window: the first activating show counts as activation.
  // Headless, whatever the command: nothing else would ever activate it.
  static bool s_bFirstActivation = true;
  if ((bActivates || !s_bHasWindow.load()) && s_bFirstActivation) {
    s_bFirstActivation = false;
    Activate(true);
  }
  return bWasShown;
}

void ShowGameWindowForDialog() {
  HWND hWnd = s_hWnd.load();
  if (hWnd && s_pWindow && !s_bShown) ShowWindow(hWnd, SW_SHOWNORMAL);
}

BOOL SetWindowFullScreen(HWND hWnd) {
  if (!IsWindow(hWnd)) return FALSE;
  if (hWnd != s_hWnd.load() || !s_pWindow) return TRUE;
  // The renderer's logical size of 640 x 480 does the scaling and the bars.
  if (SDL_SetWindowFullscreen(s_pWindow, SDL_WINDOW_FULLSCREEN_DESKTOP) != 0) {
    std::fprintf(stderr, "SDL full screen: %s\n", SDL_GetError());
    return FALSE;
  }
  CoverDisplayWithoutWindowManager(s_pWindow);
  ReadRefreshRate();
  Render();
  return TRUE;
}

int ShowCursor(BOOL bShow) { return s_nCursorCount.fetch_add(bShow ? 1 : -1) + (bShow ? 1 : -1); }

void ShowPointerForDialog(bool bShow) { s_nDialogPointers.fetch_add(bShow ? 1 : -1); }

BOOL SetWindowTextA(HWND hWnd, std::string_view cp932Title) {
  if (!IsWindow(hWnd)) return FALSE;
  if (hWnd == s_hWnd.load() && s_pWindow) SDL_SetWindowTitle(s_pWindow, Cp932ToUtf8(cp932Title).c_str());
  return TRUE;
}

BOOL DestroyWindow(HWND hWnd) {
  if (!IsWindow(hWnd)) return FALSE;
  SendMessage(hWnd, WM_DESTROY, 0, 0);
  DestroyMessageWindow(hWnd);
  if (hWnd == s_hWnd.load()) {
    s_hWnd = nullptr;
    if (s_bHasWindow.exchange(false)) {
      SetEventPump(s_dwWindowThread.load(), nullptr);
      CloseSdlWindow();
    }
    std::lock_guard<std::mutex> lk(s_Handoff.m_Lock);
    s_Handoff.m_nShown = s_Handoff.m_nSubmitted;
    s_Handoff.m_Shown.notify_all();
  }
  return TRUE;
}

bool HasGameWindow() { return s_bHasWindow.load(); }

int GameWindowRefreshRate() { return s_nRefreshHz.load(); }

bool CopyLastHandedFrame(std::vector<uint32_t>& v, int& w, int& h) {
  std::lock_guard<std::mutex> lk(s_Handoff.m_Lock);
  if (s_Handoff.m_nSubmitted != s_Handoff.m_nShown) {
    v = s_Handoff.m_Pixels;
    w = s_Handoff.m_nWidth;
    h = s_Handoff.m_nHeight;
  } else {
    // Shown already: s_Shown and the texture size change only on this thread.
    v = s_Shown;
    w = s_nTextureW;
    h = s_nTextureH;
  }
  return w > 0 && h > 0 && v.size() == static_cast<size_t>(w) * h;
}

void HandFrameToWindow(const uint32_t* pPixels, int w, int h, int pitch, bool bVSync) {
  if (!s_bHasWindow.load() || !pPixels || w <= 0 || h <= 0) return;
  std::unique_lock<std::mutex> lk(s_Handoff.m_Lock);
  s_Handoff.m_Pixels.resize(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    const uint32_t* src = pPixels + static_cast<size_t>(y) * pitch;
    std::copy(src, src + w, s_Handoff.m_Pixels.begin() + static_cast<ptrdiff_t>(y) * w);
  }
  s_Handoff.m_nWidth = w;
  s_Handoff.m_nHeight = h;
  s_Handoff.m_bVSync = bVSync;
  uint64_t nSeq = ++s_Handoff.m_nSubmitted;
  lk.unlock();
  WakeThread(s_dwWindowThread.load());
  if (!bVSync || IsShuttingDown()) return;
  // Bounded: a display that never presents (a window being destroyed) must
  // not hold the game side.
  lk.lock();
  s_Handoff.m_Shown.wait_for(lk, std::chrono::milliseconds(100),
                             [&] { return s_Handoff.m_nShown >= nSeq || IsShuttingDown(); });
}
