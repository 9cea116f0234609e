#include "platform/dialog_input.h"

#include <SDL.h>

#include <deque>
#include <mutex>

#include "platform/keyboard.h"
#include "platform/window.h"

namespace {

// Guards s_Events and s_nDepth (the watch reads the depth wherever SDL
// pushes an event). Never held across a call into SDL: SDL runs the watch
// under its own lock, so holding ours while SDL takes its lock would invert
// the order and could deadlock with a thread that pushes an event.
std::mutex s_Lock;
std::deque<DLGEVENT> s_Events;
int s_nDepth = 0;  // changed on the window thread only

// Runs where SDL pushes events (the window thread's pump). The events also
// go on to the window's own handling: the modal loops drop the key messages
// that reach the main window meanwhile.
int SDLCALL WatchEvent(void*, SDL_Event* ev) {
  DLGEVENT e;
  switch (ev->type) {
    case SDL_KEYDOWN: {
      e.nKind = DLGEV_KEYDOWN;
      e.nVk = VkFromScancode(ev->key.keysym.scancode);
      if (!e.nVk) return 0;
      e.bShift = (ev->key.keysym.mod & KMOD_SHIFT) != 0;
      e.bControl = (ev->key.keysym.mod & KMOD_CTRL) != 0;
      break;
    }
    case SDL_TEXTINPUT:
      e.nKind = DLGEV_TEXT;
      e.strUtf8 = ev->text.text;
      break;
    case SDL_TEXTEDITING:
      e.nKind = DLGEV_COMPOSITION;
      e.strUtf8 = ev->edit.text;
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      if (ev->button.button != SDL_BUTTON_LEFT) return 0;
      e.nKind = ev->type == SDL_MOUSEBUTTONDOWN ? DLGEV_MOUSEDOWN : DLGEV_MOUSEUP;
      e.x = ev->button.x;
      e.y = ev->button.y;
      break;
    case SDL_MOUSEMOTION:
      e.nKind = DLGEV_MOUSEMOVE;
      e.x = ev->motion.x;
      e.y = ev->motion.y;
      break;
    default:
      return 0;
  }
  std::lock_guard<std::mutex> lk(s_Lock);
  if (s_nDepth > 0 && s_Events.size() < 1024) s_Events.push_back(std::move(e));
  return 0;
}

// The dialog's own window (no game window yet); window thread only.
SDL_Window* s_pDlgWindow = nullptr;
SDL_Renderer* s_pDlgRenderer = nullptr;
SDL_Texture* s_pDlgTexture = nullptr;
bool s_bDlgVideo = false;

// The outermost start installs the watch.
void StartGathering() {
  {
    std::lock_guard<std::mutex> lk(s_Lock);
    if (s_nDepth++ > 0) return;
    s_Events.clear();
  }
  SDL_AddEventWatch(&WatchEvent, nullptr);
  SDL_StartTextInput();
  ShowPointerForDialog(true);
}

void StopGathering() {
  {
    std::lock_guard<std::mutex> lk(s_Lock);
    if (s_nDepth == 0 || --s_nDepth > 0) return;
    s_Events.clear();  // the watch adds nothing more from here
  }
  SDL_DelEventWatch(&WatchEvent, nullptr);
  SDL_StopTextInput();
  ShowPointerForDialog(false);
}

}  // namespace

bool OpenDialogWindow(int w, int h, const std::string& utf8Title) {
  if (s_pDlgWindow) return false;
  // As for the game window: SIGTERM must still end the process at once.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return false;
  s_bDlgVideo = true;
  s_pDlgWindow = SDL_CreateWindow(utf8Title.c_str(), SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, w, h, 0);
  if (s_pDlgWindow) s_pDlgRenderer = SDL_CreateRenderer(s_pDlgWindow, -1, SDL_RENDERER_SOFTWARE);
  if (s_pDlgRenderer)
    s_pDlgTexture = SDL_CreateTexture(s_pDlgRenderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING, w, h);
  if (!s_pDlgTexture) {
    CloseDialogWindow();
    return false;
  }
  StartGathering();
  SDL_RaiseWindow(s_pDlgWindow);
  return true;
}

void ShowDialogWindowFrame(const uint32_t* pPixels, int w, int h) {
  if (!s_pDlgTexture) return;
  SDL_Rect rc{0, 0, w, h};
  SDL_UpdateTexture(s_pDlgTexture, &rc, pPixels, w * 4);
  SDL_RenderClear(s_pDlgRenderer);
  SDL_RenderCopy(s_pDlgRenderer, s_pDlgTexture, nullptr, nullptr);
  SDL_RenderPresent(s_pDlgRenderer);
}

bool NextDialogWindowEvent(DLGEVENT& e) {
  if (!s_pDlgWindow) return false;
  SDL_Event ev;
  while (SDL_PollEvent(&ev)) {
    if (ev.type == SDL_QUIT || (ev.type == SDL_WINDOWEVENT && ev.window.event == SDL_WINDOWEVENT_CLOSE)) {
      e = DLGEVENT();
      e.nVk = VK_ESCAPE;
      return true;
    }
    // The watch turns the event into ours; it is taken from the queue here.
    std::lock_guard<std::mutex> lk(s_Lock);
    if (s_Events.empty()) continue;
    e = std::move(s_Events.front());
    s_Events.pop_front();
    return true;
  }
  return false;
}

void CloseDialogWindow() {
  if (s_pDlgTexture) StopGathering();
  if (s_pDlgTexture) SDL_DestroyTexture(s_pDlgTexture);
  if (s_pDlgRenderer) SDL_DestroyRenderer(s_pDlgRenderer);
  if (s_pDlgWindow) SDL_DestroyWindow(s_pDlgWindow);
  if (s_bDlgVideo) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  s_bDlgVideo = false;
  s_pDlgTexture = nullptr;
  s_pDlgRenderer = nullptr;
  s_pDlgWindow = nullptr;
}

bool BeginDialogInput() {
  if (!HasGameWindow()) return false;
  StartGathering();
  return true;
}

void EndDialogInput() { StopGathering(); }

bool NextDialogEvent(DLGEVENT& e) {
  std::lock_guard<std::mutex> lk(s_Lock);
  if (s_Events.empty()) return false;
  e = std::move(s_Events.front());
  s_Events.pop_front();
  return true;
}

void SetDialogTextInputArea(int x, int y, int w, int h) {
  SDL_Rect rc{x, y, w, h};
  SDL_SetTextInputRect(&rc);
}

int SystemMessageBox(const std::string& utf8Text, const std::string& utf8Caption, UINT type) {
  struct BUTTON {
    int nId;
    const char* pszText;
  };
  static const BUTTON kOk[] = {{IDOK, "OK"}};
  static const BUTTON kOkCancel[] = {{IDOK, "OK"}, {IDCANCEL, "キャンセル"}};
  static const BUTTON kYesNo[] = {{IDYES, "はい(Y)"}, {IDNO, "いいえ(N)"}};
  static const BUTTON kYesNoCancel[] = {{IDYES, "はい(Y)"}, {IDNO, "いいえ(N)"}, {IDCANCEL, "キャンセル"}};
  const BUTTON* p = kOk;
  int n = 1;
  int nEscape = IDOK;
  switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
      p = kOkCancel;
      n = 2;
      nEscape = IDCANCEL;
      break;
    case MB_YESNO:
      p = kYesNo;
      n = 2;
      nEscape = IDNO;
      break;
    case MB_YESNOCANCEL:
      p = kYesNoCancel;
      n = 3;
      nEscape = IDCANCEL;
      break;
    default:
      break;
  }
  SDL_MessageBoxButtonData buttons[3];
  for (int i = 0; i < n; ++i) {
    buttons[i].flags = 0;
    if (i == 0) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT;
    if (p[i].nId == nEscape) buttons[i].flags |= SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT;
    buttons[i].buttonid = p[i].nId;
    buttons[i].text = p[i].pszText;
  }
  SDL_MessageBoxData data{};
  data.flags = SDL_MESSAGEBOX_INFORMATION | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  data.title = utf8Caption.c_str();
  data.message = utf8Text.c_str();
  data.numbuttons = n;
  data.buttons = buttons;
  int nPressed = 0;
  if (SDL_ShowMessageBox(&data, &nPressed) != 0) return 0;
  return nPressed < 0 ? nEscape : nPressed;
}
