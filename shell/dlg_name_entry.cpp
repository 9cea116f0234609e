#include "shell/dlg_name_entry.h"

#include <cstdio>
#include <iterator>

#include "platform/keyboard.h"
#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "platform/window.h"
#include "records/option.h"
#include "shell/scene_manager.h"

std::string* g_lpStageRegName = nullptr;

namespace {

const DLGITEM kNameEntryItems[] = {
    {IDC_NAME_PICTURE, CS_PICTURE, 7, 7, 20, 21, nullptr},
    {IDC_NAME_EDIT, CS_EDIT, 75, 12, 24, 14, ""},
    {IDC_NAME_OK, CS_DEFPUSH, 30, 35, 50, 18, "OK"},
    {-1, CS_TEXT, 15, 15, 56, 8, "登録名(3文字まで)"},
};
const DLGLAYOUT kNameEntryLayout = {
    "ＭＳ Ｐゴシック", 9, 110, 65, false, kNameEntryItems, static_cast<int>(std::size(kNameEntryItems))};

// The dialog's place in the game window, and the title-menu item of the
// options.
constexpr int kNameEntryX = 240;
constexpr int kNameEntryY = 220;
constexpr int kTitleChoiceOption = 5;

}  // namespace

cNameEntryDlg::cNameEntryDlg(std::string* lpTarget) : cDlg(kNameEntryLayout) {
  m_nEscapeResult = 0;
  m_Place.nStoredX = kNameEntryX;
  m_Place.nStoredY = kNameEntryY;
  if (!lpTarget) return;
  m_vEdit.push_back(std::make_unique<cEditCtrl>());
  // Buffer 4 (limit + 1), 3 characters, 1 line, counted as characters.
  m_vEdit[0]->SetBinding(IDC_NAME_EDIT, lpTarget, RANKING_NAME_MAX_CHARS + 1, RANKING_NAME_MAX_CHARS, 1, true);
}

cNameEntryDlg::~cNameEntryDlg() = default;

void cNameEntryDlg::OnInitDialog() {
  cDlg::OnInitDialog();
  for (auto& e : m_vEdit) {
    e->Attach(this);
    AddChild(e.get());
  }
  UpdateControls();
  SetFocusItem(IDC_NAME_EDIT);
  // The whole offered name is selected, so typing replaces it.
  if (DLGCONTROL* c = Item(IDC_NAME_EDIT)) {
    c->nSelStart = 0;
    c->nSelEnd = static_cast<int>(c->strText.size());
    for (auto& e : m_vEdit) e->m_Last = {c->strText, c->nSelStart, c->nSelEnd};
  }
}

LRESULT cNameEntryDlg::OnCommand(WPARAM wParam, LPARAM lParam) {
  cDlg::OnCommand(wParam, lParam);
  const int nId = static_cast<int>(wParam & 0xFFFF);
  if (nId == IDC_NAME_OK) {
    SaveControls();
    EndDlg(1);
  } else if (nId == IDC_NAME_CANCEL) {
    EndDlg(0);
  }
  return 0;
}

LRESULT cNameEntryDlg::OnMessage(UINT msg, WPARAM, LPARAM) {
  if (msg == WM_CLOSE) EndDlg(0);
  if (msg == WM_DESTROY) return 1;
  return 0;
}

std::string* NameEntryTarget() {
  if (g_SceneMgr.m_nTitleChoice == kTitleChoiceOption) return &g_Option.m_szRankingName;
  return g_lpStageRegName;
}

int RunNameEntryDialog(std::string* lpTarget) {
  cNameEntryDlg dlg(lpTarget);
  if (!IsHeadless() && HasGameWindow()) {
    int r = DialogModal(dlg, 0);
    if (r >= 0) return r;
  }
  std::string answer;
  const bool bText = NextScriptedAnswer(answer) && answer.rfind("text:", 0) == 0;
  std::fprintf(stderr, "[%s] %s\n", "登録名(3文字まで)", bText ? answer.c_str() + 5 : "");
  std::fflush(stderr);
  if (!bText) return 0;
  // Typed and confirmed as a person would: the same limit and refusals.
  dlg.SendMsg(WM_INITDIALOG, 0, 0);
  DLGEVENT e;
  e.nKind = DLGEV_TEXT;
  e.strUtf8 = answer.substr(5);
  if (e.strUtf8.empty()) {
    e.nKind = DLGEV_KEYDOWN;
    e.nVk = VK_BACK;
  }
  dlg.HandleEvent(e);
  DLGEVENT enter;
  enter.nVk = VK_RETURN;
  dlg.HandleEvent(enter);
  return dlg.Result();
}

void NameEntryRequestDialog() { RunNameEntryDialog(NameEntryTarget()); }
