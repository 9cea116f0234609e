// The name-entry dialog (resource 102): the name a result enters the
// rankings under, or the options' ranking name, at most three characters.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/dlg_library.h"

enum : int {
  IDD_NAMEENTRY = 102,
  IDC_NAME_EDIT = 1003,
  IDC_NAME_OK = 1000,
  IDC_NAME_CANCEL = 1001,
  IDC_NAME_PICTURE = 1075,
};

class cNameEntryDlg : public cDlg {
 public:
  // lpTarget: the string edited in place; null gives no edit binding.
  explicit cNameEntryDlg(std::string* lpTarget);
  ~cNameEntryDlg() override;
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnInitDialog() override;

  std::vector<std::unique_ptr<cEditCtrl>> m_vEdit;
};

// The string the dialog edits now: the options' ranking name when the title
// menu's last choice is the option item (5), otherwise the stage scene's
// registration name when a stage scene has set it, otherwise none.
std::string* NameEntryTarget();
// The stage scene's registration name, set by the stage scene while it
// exists (null when there is none).
// Threads: set by the game thread; read by the name-entry dialog on the
// window thread while the game thread waits for it in SendMessage.
extern std::string* g_lpStageRegName;

// Runs the dialog on lpTarget: 1 after OK, 0 when it was closed. Headless
// (or with no game window) the next TARVOLIN4_ANSWERS entry "text:NAME" is
// typed into it and OK pressed; any other answer closes it.
int RunNameEntryDialog(std::string* lpTarget);
// The main window's name-entry request (window thread).
void NameEntryRequestDialog();
