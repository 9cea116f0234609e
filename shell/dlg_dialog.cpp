// The dialog class: its controls' state, input handling and modal loop.
#include <algorithm>

#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/text_cp932.h"
#include "platform/window.h"
#include "shell/dlg_library.h"
#include "shell/dlg_render.h"

namespace {

// Virtual keys the dialogs use beyond those of the keyboard table.
enum : int {
  kVkEnd = 0x23,
  kVkHome = 0x24,
  kVkDelete = 0x2E,
  kVkA = 0x41,
};

bool IsFocusable(const DLGCONTROL& c) {
  switch (c.item.nStyle) {
    case CS_EDIT:
    case CS_PUSH:
    case CS_DEFPUSH:
    case CS_RADIO:
    case CS_CHECK:
    case CS_LIST:
      return c.bEnabled;
    default:
      return false;
  }
}

// Typed text in CP932; a character that code page 932 cannot hold is
// refused (left out), the others are kept.
std::string TypedCp932(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    const uint8_t b = static_cast<uint8_t>(utf8[i]);
    size_t n = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    n = std::min(n, utf8.size() - i);
    bool bOk = false;
    std::string c = Utf8ToCp932(utf8.substr(i, n), &bOk);
    if (bOk) out += c;
    i += n;
  }
  return out;
}

bool IsButton(const DLGCONTROL& c) { return c.item.nStyle == CS_PUSH || c.item.nStyle == CS_DEFPUSH; }

// Double clicks on a list: a second press on the same line within this time.
constexpr DWORD kDoubleClickMs = 500;

}  // namespace

cDlg::cDlg(const DLGLAYOUT& layout) : m_Layout(layout) {
  for (int i = 0; i < layout.nItems; ++i) {
    DLGCONTROL c;
    c.item = layout.lpItems[i];
    c.rc = {DluToPixelsX(c.item.x), DluToPixelsY(c.item.y), DluToPixelsX(c.item.w), DluToPixelsY(c.item.h)};
    c.strText = c.item.pszText ? Utf8ToCp932(c.item.pszText) : std::string();
    m_vItems.push_back(std::move(c));
  }
  m_rcWindow.w = DluToPixelsX(layout.nWidth) + 2 * kFrameWidth;
  m_rcWindow.h = DluToPixelsY(layout.nHeight) + 2 * kFrameWidth + (layout.bCaption ? kCaptionHeight : 0);
  m_rcWindow.x = (kClientWidth - m_rcWindow.w) / 2;
  m_rcWindow.y = (kClientHeight - m_rcWindow.h) / 2;
}

cDlg::~cDlg() = default;

LRESULT cDlg::DefaultMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT r = cWnd::DefaultMessage(msg, wParam, lParam);
  if (msg == WM_INITDIALOG) OnInitDialog();
  return r;
}

void cDlg::OnInitDialog() {
  m_vChildren.clear();
  m_rcWindow = PlaceWindow(m_rcWindow, m_Place, {0, 0, kClientWidth, kClientHeight});
  // The cursor was put on the default button: the keyboard starts there.
  m_nFocus = -1;
  for (size_t i = 0; i < m_vItems.size(); ++i) {
    if (m_vItems[i].item.nStyle == CS_DEFPUSH) {
      m_nFocus = static_cast<int>(i);
      break;
    }
  }
  if (m_nFocus < 0) MoveFocus(1);
}

LRESULT cDlg::OnCommand(WPARAM wParam, LPARAM) {
  const int nId = static_cast<int>(wParam & 0xFFFF);
  const int nCode = static_cast<int>((wParam >> 16) & 0xFFFF);
  for (cCtrl* c : m_vChildren) {
    if (c->m_nId != nId) continue;
    if (c->m_nKind == 2 || c->m_nKind == 3) {
      if (nCode == EN_UPDATE) c->OnChange();
      if (nCode == EN_KILLFOCUS) c->OnKillFocus();
    } else if (c->m_nKind == 7 && nCode == BN_CLICKED) {
      c->OnChange();
    }
  }
  return 0;
}

void cDlg::EndDlg(int nResult) {
  m_nResult = nResult;
  m_bEnded = true;
}

void cDlg::UpdateControls() {
  for (cCtrl* c : m_vChildren) c->ShowData();
}

void cDlg::SaveControls() {
  for (cCtrl* c : m_vChildren) c->StoreData();
}

DLGCONTROL* cDlg::Item(int nId) {
  for (DLGCONTROL& c : m_vItems)
    if (c.item.nId == nId) return &c;
  return nullptr;
}

std::string cDlg::GetItemText(int nId) {
  DLGCONTROL* c = Item(nId);
  return c ? c->strText : std::string();
}

void cDlg::SetItemText(int nId, const std::string& s) {
  DLGCONTROL* c = Item(nId);
  if (!c) return;
  c->strText = s;
  c->nSelStart = c->nSelEnd = 0;
}

void cDlg::CheckItem(int nId, bool bChecked) {
  if (DLGCONTROL* c = Item(nId)) c->bChecked = bChecked;
}

bool cDlg::IsItemChecked(int nId) {
  DLGCONTROL* c = Item(nId);
  return c && c->bChecked;
}

void cDlg::SetFocusItem(int nId) {
  for (size_t i = 0; i < m_vItems.size(); ++i)
    if (m_vItems[i].item.nId == nId) m_nFocus = static_cast<int>(i);
}

int cDlg::FocusId() const {
  if (m_nFocus < 0 || m_nFocus >= static_cast<int>(m_vItems.size())) return -1;
  return m_vItems[static_cast<size_t>(m_nFocus)].item.nId;
}

void cDlg::Notify(int nId, int nCode) { SendMsg(WM_COMMAND, MakeCommand(nId, nCode), 0); }

void cDlg::PressButton(int nId) { Notify(nId, BN_CLICKED); }

void cDlg::MoveFocus(int nStep) {
  const int n = static_cast<int>(m_vItems.size());
  if (n == 0) return;
  int i = m_nFocus < 0 ? (nStep > 0 ? -1 : n) : m_nFocus;
  for (int k = 0; k < n; ++k) {
    i = (i + nStep + n) % n;
    if (IsFocusable(m_vItems[static_cast<size_t>(i)])) {
      m_nFocus = i;
      return;
    }
  }
}

void cDlg::SelectRadio(int nIndex) {
  // The group: the radio buttons next to this one, up to another control.
  int a = nIndex;
  int b = nIndex;
  while (a > 0 && m_vItems[static_cast<size_t>(a) - 1].item.nStyle == CS_RADIO) --a;
  while (b + 1 < static_cast<int>(m_vItems.size()) && m_vItems[static_cast<size_t>(b) + 1].item.nStyle == CS_RADIO) ++b;
  for (int i = a; i <= b; ++i) m_vItems[static_cast<size_t>(i)].bChecked = i == nIndex;
  m_nFocus = nIndex;
  Notify(m_vItems[static_cast<size_t>(nIndex)].item.nId, BN_CLICKED);
}

void cDlg::TypeText(DLGCONTROL& c, const std::string& cp932) {
  std::string clean;
  for (size_t i = 0; i < cp932.size();) {
    const size_t n = CharBytesAt(cp932, i);
    if (n == 2 || static_cast<uint8_t>(cp932[i]) >= 0x20) clean.append(cp932, i, n);
    i += n;
  }
  if (clean.empty()) return;
  const size_t s0 = static_cast<size_t>(std::min(c.nSelStart, c.nSelEnd));
  const size_t s1 = static_cast<size_t>(std::max(c.nSelStart, c.nSelEnd));
  std::string next = c.strText.substr(0, s0) + clean + c.strText.substr(s1);
  if (c.nMaxBytes > 0 && static_cast<int>(next.size()) > c.nMaxBytes) return;
  c.strText = next;
  c.nSelStart = c.nSelEnd = static_cast<int>(s0 + clean.size());
  Notify(c.item.nId, EN_UPDATE);
}

void cDlg::EditKey(DLGCONTROL& c, const DLGEVENT& e) {
  const int len = static_cast<int>(c.strText.size());
  const int s0 = std::min(c.nSelStart, c.nSelEnd);
  const int s1 = std::max(c.nSelStart, c.nSelEnd);
  auto moveTo = [&](int pos) {
    if (e.bShift) {
      c.nSelEnd = pos;
    } else {
      c.nSelStart = c.nSelEnd = pos;
    }
  };
  switch (e.nVk) {
    case VK_LEFT:
      if (!e.bShift && s0 != s1)
        moveTo(s0);
      else if (c.nSelEnd > 0)
        moveTo(static_cast<int>(PrevCharStart(c.strText, static_cast<size_t>(c.nSelEnd))));
      break;
    case VK_RIGHT:
      if (!e.bShift && s0 != s1)
        moveTo(s1);
      else if (c.nSelEnd < len)
        moveTo(c.nSelEnd + static_cast<int>(CharBytesAt(c.strText, static_cast<size_t>(c.nSelEnd))));
      break;
    case kVkHome:
      moveTo(0);
      break;
    case kVkEnd:
      moveTo(len);
      break;
    case kVkA:
      if (e.bControl) {
        c.nSelStart = 0;
        c.nSelEnd = len;
      }
      break;
    case VK_BACK:
    case kVkDelete: {
      int a = s0;
      int b = s1;
      if (a == b) {
        if (e.nVk == VK_BACK) {
          if (a == 0) break;
          a = static_cast<int>(PrevCharStart(c.strText, static_cast<size_t>(a)));
        } else {
          if (b >= len) break;
          b += static_cast<int>(CharBytesAt(c.strText, static_cast<size_t>(b)));
        }
      }
      c.strText.erase(static_cast<size_t>(a), static_cast<size_t>(b - a));
      c.nSelStart = c.nSelEnd = a;
      Notify(c.item.nId, EN_UPDATE);
      break;
    }
    default:
      break;
  }
}

void cDlg::ListKey(DLGCONTROL& c, const DLGEVENT& e) {
  const int n = static_cast<int>(c.vLines.size());
  if (n == 0) return;
  const int rows = std::max(1, (c.rc.h - 4) / (kDialogTextHeight + 2));
  int sel = c.nCurSel;
  switch (e.nVk) {
    case VK_UP:
      sel = std::max(0, sel - 1);
      break;
    case VK_DOWN:
      sel = std::min(n - 1, sel + 1);
      break;
    case 0x21:
      sel = std::max(0, sel - rows);
      break;  // Page Up
    case 0x22:
      sel = std::min(n - 1, sel + rows);
      break;  // Page Down
    case kVkHome:
      sel = 0;
      break;
    case kVkEnd:
      sel = n - 1;
      break;
    default:
      return;
  }
  if (sel < 0) sel = 0;
  c.nCurSel = sel;
  if (sel < c.nTop) c.nTop = sel;
  if (sel >= c.nTop + rows) c.nTop = sel - rows + 1;
  Notify(c.item.nId, LBN_SELCHANGE);
}

void cDlg::ClickAt(int x, int y, bool bDown) {
  const int cx = x - ClientX();
  const int cy = y - ClientY();
  int hit = -1;
  for (size_t i = 0; i < m_vItems.size(); ++i) {
    DLGRECT rc = m_vItems[i].rc;
    if (m_vItems[i].item.nStyle == CS_RADIO || m_vItems[i].item.nStyle == CS_CHECK) rc.w += 32;
    if (rc.Contains(cx, cy) && IsFocusable(m_vItems[i])) hit = static_cast<int>(i);
  }
  if (bDown) {
    m_nPressedItem = hit;
    if (hit < 0) return;
    DLGCONTROL& c = m_vItems[static_cast<size_t>(hit)];
    m_nFocus = hit;
    c.bPressed = IsButton(c);
    if (c.item.nStyle == CS_LIST) {
      const int row = c.nTop + (cy - c.rc.y - 2) / (kDialogTextHeight + 2);
      if (row < 0 || row >= static_cast<int>(c.vLines.size())) return;
      static DWORD s_dwLastClick = 0;
      static int s_nLastRow = -1;
      const DWORD now = timeGetTime();
      const bool bDouble = row == s_nLastRow && row == c.nCurSel && now - s_dwLastClick < kDoubleClickMs;
      s_dwLastClick = now;
      s_nLastRow = row;
      c.nCurSel = row;
      Notify(c.item.nId, LBN_SELCHANGE);
      if (bDouble) Notify(c.item.nId, LBN_DBLCLK);
    } else if (c.item.nStyle == CS_EDIT) {
      c.nSelStart = c.nSelEnd = static_cast<int>(c.strText.size());
    }
    return;
  }
  const int pressed = m_nPressedItem;
  m_nPressedItem = -1;
  for (DLGCONTROL& c : m_vItems) c.bPressed = false;
  if (pressed < 0 || pressed != hit) return;
  DLGCONTROL& c = m_vItems[static_cast<size_t>(hit)];
  if (IsButton(c)) {
    PressButton(c.item.nId);
  } else if (c.item.nStyle == CS_RADIO) {
    SelectRadio(hit);
  } else if (c.item.nStyle == CS_CHECK) {
    c.bChecked = !c.bChecked;
    PressButton(c.item.nId);
  }
}

void cDlg::HandleEvent(const DLGEVENT& e) {
  if (m_bEnded) return;
  switch (e.nKind) {
    case DLGEV_COMPOSITION:
      m_strComposition = e.strUtf8;
      return;
    case DLGEV_TEXT: {
      // The Enter that commits the input method's text may come after the
      // text; it is the input method's, not the dialog's default button.
      if (!m_strComposition.empty()) m_bSwallowEnter = !m_bEnterWhileComposing;
      m_bEnterWhileComposing = false;
      m_strComposition.clear();
      if (m_nFocus < 0) return;
      DLGCONTROL& c = m_vItems[static_cast<size_t>(m_nFocus)];
      if (c.item.nStyle != CS_EDIT) return;
      TypeText(c, TypedCp932(e.strUtf8));
      return;
    }
    case DLGEV_MOUSEDOWN:
    case DLGEV_MOUSEUP:
      ClickAt(e.x, e.y, e.nKind == DLGEV_MOUSEDOWN);
      return;
    case DLGEV_MOUSEMOVE:
      return;
    case DLGEV_KEYDOWN:
      break;
  }
  m_bBackspace = e.nVk == VK_BACK;
  // While the input method composes, its keys are its own.
  if (!m_strComposition.empty()) {
    if (e.nVk == VK_RETURN) m_bEnterWhileComposing = true;
    return;
  }
  const bool bSwallow = m_bSwallowEnter && e.nVk == VK_RETURN;
  m_bSwallowEnter = false;
  if (bSwallow) return;
  if (OnKey(e)) return;
  // Esc cancels the dialog only: the dialog has the keyboard, so the game
  // window's own Esc (which closes the game) never sees it.
  if (e.nVk == VK_ESCAPE) {
    EndDlg(m_nEscapeResult);
    return;
  }
  if (e.nVk == VK_TAB) {
    MoveFocus(e.bShift ? -1 : 1);
    return;
  }
  DLGCONTROL* f = m_nFocus >= 0 ? &m_vItems[static_cast<size_t>(m_nFocus)] : nullptr;
  if (e.nVk == VK_RETURN) {
    if (f && IsButton(*f)) {
      PressButton(f->item.nId);
      return;
    }
    if (f && f->item.nStyle == CS_LIST && f->nCurSel >= 0) {
      Notify(f->item.nId, LBN_DBLCLK);
      return;
    }
    for (const DLGCONTROL& c : m_vItems)
      if (c.item.nStyle == CS_DEFPUSH && c.bEnabled) {
        PressButton(c.item.nId);
        return;
      }
    return;
  }
  if (!f) return;
  switch (f->item.nStyle) {
    case CS_EDIT:
      EditKey(*f, e);
      break;
    case CS_LIST:
      ListKey(*f, e);
      break;
    case CS_PUSH:
    case CS_DEFPUSH:
      if (e.nVk == VK_SPACE) PressButton(f->item.nId);
      if (e.nVk == VK_LEFT || e.nVk == VK_UP) MoveFocus(-1);
      if (e.nVk == VK_RIGHT || e.nVk == VK_DOWN) MoveFocus(1);
      break;
    case CS_CHECK:
      if (e.nVk == VK_SPACE) {
        f->bChecked = !f->bChecked;
        PressButton(f->item.nId);
      }
      break;
    case CS_RADIO: {
      const int step = (e.nVk == VK_UP || e.nVk == VK_LEFT) ? -1 : (e.nVk == VK_DOWN || e.nVk == VK_RIGHT) ? 1 : 0;
      if (e.nVk == VK_SPACE) SelectRadio(m_nFocus);
      const int next = m_nFocus + step;
      if (step && next >= 0 && next < static_cast<int>(m_vItems.size()) &&
          m_vItems[static_cast<size_t>(next)].item.nStyle == CS_RADIO)
        SelectRadio(next);
      break;
    }
    default:
      break;
  }
}

void cDlg::Render(std::vector<uint32_t>& vPixels) {
  cDlgCanvas cv(vPixels, kClientWidth, kClientHeight);
  DrawDialog(cv, *this, m_strComposition);
}

// ---- The game window's host ----------------------------------------------------------

namespace {

class cGameWindowHost : public cDialogHost {
 public:
  bool Begin() override {
    if (!BeginDialogInput()) return false;
    ShowGameWindowForDialog();
    return true;
  }
  void End() override { EndDialogInput(); }
  bool NextEvent(DLGEVENT& e) override { return NextDialogEvent(e); }
  void Background(std::vector<uint32_t>& v) override {
    v.assign(static_cast<size_t>(kClientWidth) * kClientHeight, kDlgDesktop);
    // The frame last handed to the window, not the back buffer or the
    // primary: a thread that draws (the pause thread) may be making the
    // next frame in them meanwhile.
    std::vector<uint32_t> frame;
    int w = 0;
    int h = 0;
    if (CopyLastHandedFrame(frame, w, h) && w == kClientWidth && h == kClientHeight) v.swap(frame);
  }
  void Present(const std::vector<uint32_t>& v) override {
    HandFrameToWindow(v.data(), kClientWidth, kClientHeight, kClientWidth, false);
  }
  void SetTextArea(const DLGRECT& rc) override { SetDialogTextInputArea(rc.x, rc.y, rc.w, rc.h); }
};

bool IsKeyMessage(UINT m) {
  return m == WM_KEYDOWN || m == WM_KEYUP || m == WM_CHAR || m == WM_SYSKEYDOWN || m == WM_SYSKEYUP;
}

// Frames of other threads may cover the dialog; it is shown again this often.
constexpr DWORD kRepaintMs = 250;

}  // namespace

namespace {
cDialogHost* s_lpHostForTests = nullptr;
}

cDialogHost* GameWindowDialogHost() {
  static cGameWindowHost s_Host;
  return &s_Host;
}

void SetDialogHostForTests(cDialogHost* lpHost) { s_lpHostForTests = lpHost; }

int DialogModal(cDlg& dlg, int, cDialogHost* lpHost) {
  if (!lpHost) lpHost = s_lpHostForTests ? s_lpHostForTests : GameWindowDialogHost();
  if (!lpHost->Begin()) return -1;
  dlg.SendMsg(WM_INITDIALOG, 0, 0);
  std::vector<uint32_t> background;
  lpHost->Background(background);
  std::vector<uint32_t> frame;
  bool bPassClose = false;
  bool bPassQuit = false;
  int nQuitCode = 0;
  bool bDirty = true;
  DWORD dwShown = 0;
  while (!dlg.Ended()) {
    MSG msg;
    while (!dlg.Ended() && PeekMessage(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        bPassQuit = true;
        nQuitCode = static_cast<int>(msg.wParam);
        dlg.EndDlg(dlg.m_nEscapeResult);
        break;
      }
      HWND hMain = g_hWndMain.load();
      if (hMain && msg.hwnd == hMain) {
        // The close runs once the dialog is gone, from the loop that owns
        // the window, never nested inside a request being handled.
        if (msg.message == WM_CLOSE) {
          bPassClose = true;
          dlg.EndDlg(dlg.m_nEscapeResult);
          break;
        }
        // The dialog has the keyboard while it is open.
        if (IsKeyMessage(msg.message)) continue;
      }
      DispatchMessage(&msg);
    }
    if (IsShuttingDown() && !dlg.Ended()) dlg.EndDlg(dlg.m_nEscapeResult);
    DLGEVENT e;
    while (!dlg.Ended() && lpHost->NextEvent(e)) {
      dlg.HandleEvent(e);
      bDirty = true;
    }
    if (dlg.Ended()) break;
    if (bDirty || timeGetTime() - dwShown >= kRepaintMs) {
      frame = background;
      dlg.Render(frame);
      lpHost->Present(frame);
      if (DLGCONTROL* c = dlg.Item(dlg.FocusId()); c && c->item.nStyle == CS_EDIT)
        lpHost->SetTextArea({dlg.ClientX() + c->rc.x, dlg.ClientY() + c->rc.y, c->rc.w, c->rc.h});
      dwShown = timeGetTime();
      bDirty = false;
    }
    WaitMessageTimeout(10);
  }
  // The picture as it was, until the game draws again.
  lpHost->Present(background);
  lpHost->End();
  if (bPassClose) PostMessage(g_hWndMain.load(), WM_CLOSE, 0, 0);
  if (bPassQuit) PostQuitMessage(nQuitCode);
  return dlg.Result();
}
