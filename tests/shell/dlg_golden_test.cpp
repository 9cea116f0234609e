// The drawn dialogs with the system's Japanese fonts, held against pictures
// a person has looked at (T4_UPDATE_GOLDEN=1 writes them again).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/keyboard.h"
#include "platform/screenshot.h"
#include "platform/text_cp932.h"
#include "shell/dlg_file_chooser.h"
#include "shell/dlg_message_box.h"
#include "shell/dlg_name_entry.h"
#include "shell/dlg_startup.h"
#include "tests/support/temp_folder.h"

namespace {

void CheckGolden(const std::string& name, const std::vector<uint32_t>& px) {
  const std::string path = std::string(T4_SOURCE_DIR) + "/tests/golden/dialogs/" + name + ".png";
  const char* upd = std::getenv("T4_UPDATE_GOLDEN");
  if (upd && std::string(upd) == "1") {
    ASSERT_TRUE(WritePng(path, px.data(), 640, 480, 640));
    return;
  }
  std::vector<uint32_t> want;
  int w = 0, h = 0;
  ASSERT_TRUE(ReadPng(path, want, w, h)) << path << " (make it with T4_UPDATE_GOLDEN=1)";
  ASSERT_EQ(w, 640);
  ASSERT_EQ(h, 480);
  size_t nDiff = 0;
  for (size_t i = 0; i < px.size(); ++i) nDiff += px[i] != want[i];
  EXPECT_EQ(nDiff, 0u) << name << " differs from " << path;
}

std::vector<uint32_t> Background() {
  std::vector<uint32_t> px(640 * 480);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) px[static_cast<size_t>(y) * 640 + x] = ((x / 32 + y / 32) % 2) ? 0x304860 : 0x203040;
  return px;
}

}  // namespace

TEST(DialogGolden, MessageBoxNameEntryAndStartup) {
  if (!std::filesystem::exists("/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"))
    GTEST_SKIP() << "no IPAPGothic (fonts-ipafont)";
  {
    cMessageBoxDlg box(Sjis("既に起動しています。\n実行中のプログラムを閉じて再起動しますか？"), Sjis("二重起動"),
                       MB_YESNO);
    box.SendMsg(WM_INITDIALOG, 0, 0);
    std::vector<uint32_t> px = Background();
    box.Render(px);
    CheckGolden("message_box_yesno", px);
  }
  {
    std::string name = Sjis("ねこ");
    cNameEntryDlg dlg(&name);
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    DLGEVENT e;
    e.nKind = DLGEV_TEXT;
    e.strUtf8 = "名前です";
    dlg.HandleEvent(e);
    std::vector<uint32_t> px = Background();
    dlg.Render(px);
    CheckGolden("name_entry", px);
  }
  {
    cEdBoot boot;
    cStartupDlg dlg(boot, Sjis("テストゲーム"));
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    std::vector<uint32_t> px = Background();
    dlg.Render(px);
    CheckGolden("startup", px);
  }
}

TEST(DialogGolden, OpenAndSaveChoosers) {
  if (!std::filesystem::exists("/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf"))
    GTEST_SKIP() << "no IPAPGothic (fonts-ipafont)";
  cTempFolder tmp;
  tmp.WriteFile("data/stg4/Stage1.stg4_000", "x");
  tmp.WriteFile("data/stg4/Stage2.STG4_003", "x");
  tmp.WriteFile("data/stg4/notes.txt", "x");
  tmp.WriteFile("data/stg4/old_ver/Stage1.stg4_500", "x");
  tmp.WriteFile("user_data/rpl4/Stage1.rpl4_667", "x");
  {
    cFileChooserDlg dlg(false, "data\\stg4\\", Sjis("ステージファイルの選択"),
                        FILEFILTER{"StageFile ( *.stg4_*;*.rpl4_* )", "*.stg4_*;*.rpl4_*"}, "stg4_*;rpl4_*", "");
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    std::vector<uint32_t> px = Background();
    dlg.Render(px);
    CheckGolden("open_chooser", px);
  }
  {
    cFileChooserDlg dlg(true, "user_data\\rpl4", Sjis("リプレイファイルの保存"),
                        FILEFILTER{"ReplayFile ( *.rpl4_* )", "*.rpl4_*"}, "rpl4_667",
                        ProposeReplaySaveName("Stage1.stg4_000"));
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    std::vector<uint32_t> px = Background();
    dlg.Render(px);
    CheckGolden("save_chooser", px);
  }
}
