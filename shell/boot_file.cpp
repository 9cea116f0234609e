#include "shell/boot_file.h"

#include <cstdio>

#include "platform/test_seams.h"
#include "platform/text_cp932.h"

cEdBoot g_Boot;
const char* const kBootPath = "user_data\\Boot.dat";

void cEdBoot::RegisterFields(int) {
  // The same two fields in every data version.
  ClearTables();
  AddField32(&m_dwDrawMode, 1);
  AddField32(&m_dwHideDialog, 1);
}

BOOL LoadBootFile(cEdBoot& boot, const std::string& path) {
  // Read into a copy so that a damaged file cannot leave half its values.
  cEdBoot read;
  read.m_dwDrawMode = boot.m_dwDrawMode;
  read.m_dwHideDialog = boot.m_dwHideDialog;
  if (!read.LoadFromFile(path)) return FALSE;
  boot.m_dwDrawMode = read.m_dwDrawMode;
  boot.m_dwHideDialog = read.m_dwHideDialog;
  return TRUE;
}

int ScriptedStartupDialog(cEdBoot& boot, const std::string& cp932Caption) {
  std::string answer;
  bool bAnswered = NextScriptedAnswer(answer);
  int nResult = 1;
  if (bAnswered && answer == "d3d") {
    boot.m_dwDrawMode = 1;
  } else if (bAnswered && answer == "ddraw") {
    boot.m_dwDrawMode = 0;
  } else if (bAnswered && answer == "cancel") {
    nResult = 0;
  }
  auto mark = [](bool b) { return b ? "(*)" : "( )"; };
  std::fprintf(stderr, "[%s] 描画モード: %s Direct3D %s DirectDraw / [%s] 次回からこのダイアログを表示しない / %s -> %s\n",
               Cp932ToUtf8(cp932Caption).c_str(), mark(boot.m_dwDrawMode == 1), mark(boot.m_dwDrawMode == 0),
               boot.m_dwHideDialog == 1 ? "x" : " ", "詳細な設定は環境設定ファイル「System.ini」で行って下さい。",
               nResult ? "ゲーム開始" : "ゲーム中止");
  std::fflush(stderr);
  return nResult;
}

int DecideDrawingPath(int nDirect3D, const std::string& cp932Title, const STARTUPDIALOG& ask) {
  if (nDirect3D < 2) return nDirect3D;
  const bool bCurrentFile = LoadBootFile(g_Boot) && g_nFileDataVersion == DATA_VERSION_CURRENT;
  const DWORD dwReadMode = g_Boot.m_dwDrawMode, dwReadHide = g_Boot.m_dwHideDialog;
  if (g_Boot.m_dwHideDialog == 1) return g_Boot.m_dwDrawMode == 1 ? 1 : 0;
  if (!ask(g_Boot, cp932Title)) return kDrawingPathCancelled;
  // The start button's save; a failed save only means the dialog comes
  // again next time. A file that holds these choices already is left as it
  // is: a save waits for the disk, on the way to the first frame.
  if (!bCurrentFile || g_Boot.m_dwDrawMode != dwReadMode || g_Boot.m_dwHideDialog != dwReadHide)
    g_Boot.SaveToFile(kBootPath);
  return g_Boot.m_dwDrawMode == 1 ? 1 : 0;
}
