#include "shell/dlg_message_box.h"

#include <algorithm>
#include <cstdio>

#include "platform/dialog_input.h"
#include "platform/message_box.h"
#include "platform/messages.h"
#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "platform/window.h"
#include "shell/dlg_file_chooser.h"
#include "shell/dlg_name_entry.h"
#include "shell/dlg_render.h"
#include "shell/main_window.h"

namespace {

const DLGLAYOUT kMessageBoxLayout = {"ＭＳ Ｐゴシック", 9, 0, 0, true, nullptr, 0};

// Pixels of the box's parts.
constexpr int kMargin = 16;
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 24;
constexpr int kButtonGap = 8;
constexpr int kMaxTextWidth = 560;

struct BOXBUTTON {
  int nId;
  const char* pszText;
};

int Buttons(UINT uType, const BOXBUTTON*& lp) {
  static const BOXBUTTON kOk[] = {{IDOK, "OK"}};
  static const BOXBUTTON kOkCancel[] = {{IDOK, "OK"}, {IDCANCEL, "キャンセル"}};
  static const BOXBUTTON kYesNo[] = {{IDYES, "はい(&Y)"}, {IDNO, "いいえ(&N)"}};
  static const BOXBUTTON kYesNoCancel[] = {{IDYES, "はい(&Y)"}, {IDNO, "いいえ(&N)"}, {IDCANCEL, "キャンセル"}};
  switch (uType & MB_TYPEMASK) {
    case MB_OKCANCEL:
      lp = kOkCancel;
      return 2;
    case MB_YESNO:
      lp = kYesNo;
      return 2;
    case MB_YESNOCANCEL:
      lp = kYesNoCancel;
      return 3;
    default:
      lp = kOk;
      return 1;
  }
}

// The text's lines, long ones broken between characters to fit the box.
std::vector<std::string> WrapLines(cDlgCanvas& cv, const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (;;) {
    size_t nl = text.find('\n', start);
    std::string line = text.substr(start, nl == std::string::npos ? std::string::npos : nl - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string cur;
    for (size_t i = 0; i < line.size();) {
      const size_t n = CharBytesAt(line, i);
      std::string next = cur + line.substr(i, n);
      if (!cur.empty() && cv.TextWidth(next) > kMaxTextWidth) {
        out.push_back(cur);
        next = line.substr(i, n);
      }
      cur = next;
      i += n;
    }
    out.push_back(cur);
    if (nl == std::string::npos) break;
    start = nl + 1;
  }
  return out;
}

// The box's window-thread half, for callers on other threads.
struct BOXREQUEST {
  std::string strText;
  std::string strCaption;
  UINT uType;
};
constexpr UINT kRunBoxMessage = WM_APP + 0x314;
std::atomic<HWND> s_hHost{nullptr};

int RunBoxHere(const std::string& text, const std::string& caption, UINT uType) {
  cMessageBoxDlg dlg(text, caption, uType);
  int r = DialogModal(dlg, 0);
  return r < 0 ? DefaultBoxAnswer(uType) : r;
}

// A window of the box's own size, for the boxes shown before the game window
// exists (the single-instance prompt): the system's box may not be able to
// draw Japanese text.
class cOwnWindowHost : public cDialogHost {
 public:
  explicit cOwnWindowHost(const cDlg& dlg) : m_Dlg(dlg) {}
  bool Begin() override {
    const DLGRECT& rc = m_Dlg.m_rcWindow;
    return OpenDialogWindow(rc.w, rc.h, Cp932ToUtf8(m_Dlg.m_strCaption));
  }
  void End() override { CloseDialogWindow(); }
  bool NextEvent(DLGEVENT& e) override {
    if (!NextDialogWindowEvent(e)) return false;
    e.x += m_Dlg.m_rcWindow.x;
    e.y += m_Dlg.m_rcWindow.y;
    return true;
  }
  void Background(std::vector<uint32_t>& v) override {
    v.assign(static_cast<size_t>(kClientWidth) * kClientHeight, kDlgDesktop);
  }
  void Present(const std::vector<uint32_t>& v) override {
    const DLGRECT& rc = m_Dlg.m_rcWindow;
    m_vCrop.resize(static_cast<size_t>(rc.w) * rc.h);
    for (int y = 0; y < rc.h; ++y)
      for (int x = 0; x < rc.w; ++x)
        m_vCrop[static_cast<size_t>(y) * rc.w + x] = v[static_cast<size_t>(rc.y + y) * kClientWidth + rc.x + x];
    ShowDialogWindowFrame(m_vCrop.data(), rc.w, rc.h);
  }

 private:
  const cDlg& m_Dlg;
  std::vector<uint32_t> m_vCrop;
};

int RunBoxInOwnWindow(const std::string& text, const std::string& caption, UINT uType) {
  cMessageBoxDlg dlg(text, caption, uType);
  cOwnWindowHost host(dlg);
  return DialogModal(dlg, 0, &host);
}

LRESULT HostProc(HWND, UINT msg, WPARAM wParam, LPARAM) {
  if (msg != kRunBoxMessage || !wParam) return 0;
  const BOXREQUEST* req = reinterpret_cast<const BOXREQUEST*>(wParam);
  return RunBoxHere(req->strText, req->strCaption, req->uType);
}

}  // namespace

int DefaultBoxAnswer(UINT uType) {
  switch (uType & MB_TYPEMASK) {
    case MB_YESNO:
      return IDNO;
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
      return IDCANCEL;
    default:
      return IDOK;
  }
}

cMessageBoxDlg::cMessageBoxDlg(const std::string& text, const std::string& caption, UINT uType)
    : cDlg(kMessageBoxLayout), m_uType(uType) {
  m_strCaption = caption;
  m_nEscapeResult = DefaultBoxAnswer(uType);
  std::vector<uint32_t> scratch;
  cDlgCanvas cv(scratch, 1, 1);
  const std::vector<std::string> lines = WrapLines(cv, text);
  const int lh = cv.LineHeight() + 2;
  int tw = 0;
  for (const std::string& l : lines) tw = std::max(tw, cv.TextWidth(l));
  const BOXBUTTON* lpButtons = nullptr;
  const int nButtons = Buttons(uType, lpButtons);
  const int bw = nButtons * kButtonWidth + (nButtons - 1) * kButtonGap;
  const int cw = std::max({tw + 2 * kMargin, bw + 2 * kMargin, 200});
  const int textH = static_cast<int>(lines.size()) * lh;
  const int ch = kMargin + textH + kMargin + kButtonHeight + 12;
  for (size_t i = 0; i < lines.size(); ++i) {
    DLGCONTROL c;
    c.item = {-1, CS_TEXT, 0, 0, 0, 0, nullptr};
    c.rc = {kMargin, kMargin + static_cast<int>(i) * lh, tw, lh};
    c.strText = lines[i];
    m_vItems.push_back(std::move(c));
  }
  int x = (cw - bw) / 2;
  for (int i = 0; i < nButtons; ++i) {
    DLGCONTROL c;
    c.item = {lpButtons[i].nId, i == 0 ? CS_DEFPUSH : CS_PUSH, 0, 0, 0, 0, lpButtons[i].pszText};
    c.rc = {x, kMargin + textH + kMargin, kButtonWidth, kButtonHeight};
    c.strText = Sjis(lpButtons[i].pszText);
    m_vItems.push_back(std::move(c));
    x += kButtonWidth + kButtonGap;
  }
  m_rcWindow.w = std::min(cw + 2 * kFrameWidth, kClientWidth);
  m_rcWindow.h = std::min(ch + 2 * kFrameWidth + kCaptionHeight, kClientHeight);
  m_rcWindow.x = (kClientWidth - m_rcWindow.w) / 2;
  m_rcWindow.y = (kClientHeight - m_rcWindow.h) / 2;
}

LRESULT cMessageBoxDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  cDlg::OnCommand(wParam, lParam);
  const int nId = static_cast<int>(wParam & 0xFFFF);
  if (((wParam >> 16) & 0xFFFF) == BN_CLICKED && Item(nId)) EndDlg(nId);
  return 0;
}

bool cMessageBoxDlg::OnKey(const DLGEVENT& e) {
  const UINT t = m_uType & MB_TYPEMASK;
  if (t != MB_YESNO && t != MB_YESNOCANCEL) return false;
  if (e.nVk == 'Y')
    EndDlg(IDYES);
  else if (e.nVk == 'N')
    EndDlg(IDNO);
  else
    return false;
  return true;
}

int DrawnMessageBox(HWND, std::string_view text, std::string_view caption, UINT uType) {
  if (!HasGameWindow()) {
    int r = RunBoxInOwnWindow(std::string(text), std::string(caption), uType);
    if (r <= 0) r = SystemMessageBox(Cp932ToUtf8(text), Cp932ToUtf8(caption), uType);
    if (r > 0) return r;
    std::fprintf(stderr, "[%s] %s\n", Cp932ToUtf8(caption).c_str(), Cp932ToUtf8(text).c_str());
    return DefaultBoxAnswer(uType);
  }
  int r = RunBoxOnWindowThread(text, caption, uType);
  if (r > 0) return r;
  r = SystemMessageBox(Cp932ToUtf8(text), Cp932ToUtf8(caption), uType);
  return r > 0 ? r : DefaultBoxAnswer(uType);
}

int RunBoxOnWindowThread(std::string_view text, std::string_view caption, UINT uType) {
  HWND hHost = s_hHost.load();
  if (!hHost) return 0;
  if (GetWindowThreadId(hHost) == GetCurrentThreadId())
    return RunBoxHere(std::string(text), std::string(caption), uType);
  BOXREQUEST req{std::string(text), std::string(caption), uType};
  // 0 when shut-down has started: the box is not shown.
  LRESULT r = SendMessage(hHost, kRunBoxMessage, reinterpret_cast<WPARAM>(&req), 0);
  return r ? static_cast<int>(r) : DefaultBoxAnswer(uType);
}

void CreateDialogHostWindow() {
  if (!s_hHost.load()) s_hHost = CreateMessageWindow(&HostProc);
}

void InstallDrawnMessageBoxes() {
  if (!IsHeadless()) SetMessageBoxDriver(&DrawnMessageBox);
}

void InstallDrawnDialogs() {
  g_WindowRequests.pfnNameEntry = &NameEntryRequestDialog;
  g_WindowRequests.pfnChooseOpenFile = &ChooseOpenFileForRequest;
  g_WindowRequests.pfnChooseReplaySavePath = &ChooseReplaySaveFileForRequest;
  InstallDrawnMessageBoxes();
  if (IsHeadless() || !HasGameWindow()) return;
  CreateDialogHostWindow();
}

void RemoveDrawnDialogs() {
  if (HWND h = s_hHost.exchange(nullptr)) DestroyMessageWindow(h);
}
