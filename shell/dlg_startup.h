// The start-up dialog (resource 103): Direct3D or DirectDraw, "hide from now
// on", start or stop; the drawn "ask" of DecideDrawingPath.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "shell/boot_file.h"
#include "shell/dlg_library.h"

enum : int {
  IDD_STARTUP = 103,
  IDC_STARTUP_START = 1000,
  IDC_STARTUP_STOP = 1001,
  IDC_STARTUP_D3D = 1002,
  IDC_STARTUP_DDRAW = 1003,
  IDC_STARTUP_HIDE = 1004,
  IDC_STARTUP_PICTURE = 1075,
};

class cStartupDlg : public cDlg {
 public:
  // The radio buttons and the check box are bound to the record's fields;
  // the caption is the game's title (CP932).
  cStartupDlg(cEdBoot& boot, const std::string& strCaptionCp932);
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void OnInitDialog() override;

 private:
  cEdBoot& m_Boot;
  std::vector<std::unique_ptr<cCtrl>> m_vBindings;
};

// 1: "ゲーム開始" with the choice in the record (saving it is the caller's,
// DecideDrawingPath); 0: "ゲーム中止" or closed. Headless, or without a game
// window, ScriptedStartupDialog answers.
int StartupDialogModal(cEdBoot& boot, const std::string& strCaptionCp932);
