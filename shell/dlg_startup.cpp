#include "shell/dlg_startup.h"

#include <iterator>

#include "platform/test_seams.h"
#include "platform/window.h"

namespace {

// The resource gives the controls and texts; the places are ours, with the
// start button where the dialog puts the mouse cursor (about 182, 199 pixels
// from the dialog's top-left).
const DLGITEM kStartupItems[] = {
    {IDC_STARTUP_PICTURE, CS_PICTURE, 7, 7, 208, 48, nullptr},
    {-1, CS_GROUP, 7, 58, 208, 38, "描画モード"},
    {IDC_STARTUP_D3D, CS_RADIO, 24, 73, 70, 12, "Direct3D"},
    {IDC_STARTUP_DDRAW, CS_RADIO, 116, 73, 80, 12, "DirectDraw"},
    {IDC_STARTUP_START, CS_DEFPUSH, 78, 104, 60, 16, "ゲーム開始"},
    {IDC_STARTUP_STOP, CS_PUSH, 148, 104, 60, 16, "ゲーム中止"},
    {-1, CS_TEXT, 7, 130, 208, 10, "詳細な設定は環境設定ファイル「System.ini」で行って下さい。"},
    {IDC_STARTUP_HIDE, CS_CHECK, 7, 148, 208, 12, "次回からこのダイアログを表示しない"},
};
const DLGLAYOUT kStartupLayout = {
    "ＭＳ Ｐゴシック", 9, 222, 171, true, kStartupItems, static_cast<int>(std::size(kStartupItems))};

}  // namespace

cStartupDlg::cStartupDlg(cEdBoot& boot, const std::string& caption) : cDlg(kStartupLayout), m_Boot(boot) {
  m_strCaption = caption;
  m_nEscapeResult = 0;
  // Centred on the game window (whose client is the whole 640 x 480).
  m_Place.nStoredX = (kClientWidth - m_rcWindow.w) / 2;
  m_Place.nStoredY = (kClientHeight - m_rcWindow.h) / 2;
}

void cStartupDlg::OnInitDialog() {
  cDlg::OnInitDialog();
  m_vBindings.clear();
  m_vBindings.push_back(std::make_unique<cRadioCtrl>(IDC_STARTUP_D3D, &m_Boot.m_dwDrawMode, 1));
  m_vBindings.push_back(std::make_unique<cRadioCtrl>(IDC_STARTUP_DDRAW, &m_Boot.m_dwDrawMode, 0));
  m_vBindings.push_back(std::make_unique<cCheckCtrl>(IDC_STARTUP_HIDE, &m_Boot.m_dwHideDialog));
  for (auto& b : m_vBindings) {
    b->Attach(this);
    AddChild(b.get());
  }
  UpdateControls();
}

LRESULT cStartupDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  cDlg::OnCommand(wParam, lParam);
  const int nId = static_cast<int>(wParam & 0xFFFF);
  if (nId == IDC_STARTUP_START) {
    SaveControls();
    EndDlg(1);
  } else if (nId == IDC_STARTUP_STOP) {
    EndDlg(0);
  }
  return 0;
}

LRESULT cStartupDlg::OnMessage(UINT msg, WPARAM, LPARAM) {
  if (msg == WM_CLOSE) EndDlg(0);
  return 0;
}

int StartupDialogModal(cEdBoot& boot, const std::string& caption) {
  if (!IsHeadless() && HasGameWindow()) {
    cStartupDlg dlg(boot, caption);
    int r = DialogModal(dlg, 0);
    if (r >= 0) return r;
  }
  return ScriptedStartupDialog(boot, caption);
}
