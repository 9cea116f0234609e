#include "shell/dlg_message_box.h"

#include <gtest/gtest.h>

#include "platform/glyph_source.h"
#include "platform/keyboard.h"
#include "platform/text_cp932.h"
#include "shell/dlg_render.h"
#include "shell/dlg_startup.h"

namespace {

DLGEVENT Key(int vk) {
  DLGEVENT e;
  e.nVk = vk;
  return e;
}

DLGEVENT Click(int x, int y, bool bDown) {
  DLGEVENT e;
  e.nKind = bDown ? DLGEV_MOUSEDOWN : DLGEV_MOUSEUP;
  e.x = x;
  e.y = y;
  return e;
}

// Presses and releases the mouse over a control.
void ClickItem(cDlg& dlg, int nId) {
  const DLGCONTROL* c = dlg.Item(nId);
  ASSERT_NE(c, nullptr);
  const int x = dlg.ClientX() + c->rc.x + 4;
  const int y = dlg.ClientY() + c->rc.y + c->rc.h / 2;
  dlg.HandleEvent(Click(x, y, true));
  dlg.HandleEvent(Click(x, y, false));
}

class FakeGlyphs : public ::testing::Test {
 protected:
  void SetUp() override {
    m_lpSource = CreateFakeGlyphSourceForTests();
    SetGlyphSourceForTests(m_lpSource.get());
  }
  void TearDown() override { SetGlyphSourceForTests(nullptr); }
  std::unique_ptr<cGlyphSource> m_lpSource;
};

}  // namespace

TEST_F(FakeGlyphs, BoxAnswersByKeyAndButton) {
  struct CASE {
    UINT type;
    std::vector<DLGEVENT> keys;
    int result;
  } cases[] = {
      {MB_YESNO, {Key(VK_RETURN)}, IDYES},
      {MB_YESNO, {Key(VK_TAB), Key(VK_RETURN)}, IDNO},
      {MB_YESNO, {Key(VK_RIGHT), Key(VK_SPACE)}, IDNO},
      {MB_YESNO, {Key('N')}, IDNO},
      {MB_YESNO, {Key('Y')}, IDYES},
      {MB_YESNO, {Key(VK_ESCAPE)}, IDNO},
      {MB_OK, {Key(VK_ESCAPE)}, IDOK},
      {MB_OK, {Key('N'), Key(VK_RETURN)}, IDOK},
      {MB_OKCANCEL, {Key(VK_ESCAPE)}, IDCANCEL},
      {MB_YESNOCANCEL, {Key(VK_TAB), Key(VK_TAB), Key(VK_RETURN)}, IDCANCEL},
  };
  for (const CASE& c : cases) {
    cMessageBoxDlg box(Sjis("既に起動しています。"), Sjis("二重起動"), c.type);
    box.SendMsg(WM_INITDIALOG, 0, 0);
    for (const DLGEVENT& e : c.keys) box.HandleEvent(e);
    EXPECT_TRUE(box.Ended());
    EXPECT_EQ(box.Result(), c.result) << c.type;
  }
  cMessageBoxDlg box(Sjis("本文"), Sjis("題"), MB_YESNO);
  box.SendMsg(WM_INITDIALOG, 0, 0);
  ClickItem(box, IDNO);
  EXPECT_EQ(box.Result(), IDNO);
}

TEST_F(FakeGlyphs, LongTextIsWrappedInsideTheWindowAndDrawn) {
  std::string text = Sjis("ステージファイル ");
  for (int i = 0; i < 40; ++i) text += Sjis("長い名前");
  text += Sjis(" が読み込めません！\n二行目");
  cMessageBoxDlg box(text, Sjis("エラー"), MB_OK);
  box.SendMsg(WM_INITDIALOG, 0, 0);
  const DLGRECT& w = box.m_rcWindow;
  EXPECT_GE(w.x, 0);
  EXPECT_LE(w.x + w.w, 640);
  int nLines = 0;
  for (const DLGCONTROL& c : box.m_vItems) {
    if (c.item.nStyle != CS_TEXT) continue;
    ++nLines;
    EXPECT_LE(box.ClientX() + c.rc.x + c.rc.w, w.x + w.w);
  }
  EXPECT_GT(nLines, 2);

  std::vector<uint32_t> px(640 * 480, 0x010203);
  box.Render(px);
  auto at = [&](int x, int y) { return px[static_cast<size_t>(y) * 640 + x]; };
  EXPECT_EQ(at(0, 0), 0x010203u) << "outside the box the picture stays";
  EXPECT_EQ(at(w.x + w.w / 2, w.y + kFrameWidth + 1), static_cast<uint32_t>(kDlgCaption));
  // The first line's characters leave ink in the line's place.
  const DLGCONTROL& first = box.m_vItems[0];
  int nInk = 0;
  for (int y = 0; y < first.rc.h; ++y)
    for (int x = 0; x < first.rc.w; ++x)
      nInk += at(box.ClientX() + first.rc.x + x, box.ClientY() + first.rc.y + y) == kDlgText;
  EXPECT_GT(nInk, 100);
}

TEST_F(FakeGlyphs, StartupDialogBindsTheDrawingModeAndHideFlag) {
  struct CASE {
    const char* what;
    uint32_t mode, hide;  // before
    std::vector<int> clicks;
    int result;
    uint32_t modeAfter, hideAfter;
  } cases[] = {
      {"start as it stands", 0, 0, {IDC_STARTUP_START}, 1, 0, 0},
      {"Direct3D and hide", 0, 0, {IDC_STARTUP_D3D, IDC_STARTUP_HIDE, IDC_STARTUP_START}, 1, 1, 1},
      {"DirectDraw, untick", 1, 1, {IDC_STARTUP_DDRAW, IDC_STARTUP_HIDE, IDC_STARTUP_START}, 1, 0, 0},
      {"stop keeps the record", 0, 0, {IDC_STARTUP_D3D, IDC_STARTUP_STOP}, 0, 0, 0},
  };
  for (const CASE& c : cases) {
    cEdBoot boot;
    boot.m_dwDrawMode = c.mode;
    boot.m_dwHideDialog = c.hide;
    cStartupDlg dlg(boot, Sjis("テストゲーム"));
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    EXPECT_EQ(dlg.IsItemChecked(IDC_STARTUP_DDRAW), c.mode == 0) << c.what;
    EXPECT_EQ(dlg.IsItemChecked(IDC_STARTUP_D3D), c.mode == 1) << c.what;
    EXPECT_EQ(dlg.IsItemChecked(IDC_STARTUP_HIDE), c.hide == 1) << c.what;
    for (int id : c.clicks) ClickItem(dlg, id);
    EXPECT_TRUE(dlg.Ended()) << c.what;
    EXPECT_EQ(dlg.Result(), c.result) << c.what;
    EXPECT_EQ(boot.m_dwDrawMode, c.modeAfter) << c.what;
    EXPECT_EQ(boot.m_dwHideDialog, c.hideAfter) << c.what;
  }
}

TEST_F(FakeGlyphs, StartupDialogByKeys) {
  cEdBoot boot;
  cStartupDlg dlg(boot, Sjis("題"));
  dlg.SendMsg(WM_INITDIALOG, 0, 0);
  EXPECT_EQ(dlg.FocusId(), IDC_STARTUP_START) << "the keyboard starts on the start button";
  // Shift+Tab back to the DirectDraw radio button, Left to Direct3D.
  DLGEVENT back = Key(VK_TAB);
  back.bShift = true;
  dlg.HandleEvent(back);
  EXPECT_EQ(dlg.FocusId(), IDC_STARTUP_DDRAW);
  dlg.HandleEvent(Key(VK_LEFT));
  EXPECT_TRUE(dlg.IsItemChecked(IDC_STARTUP_D3D));
  EXPECT_FALSE(dlg.IsItemChecked(IDC_STARTUP_DDRAW));
  dlg.HandleEvent(Key(VK_RETURN));
  EXPECT_EQ(dlg.Result(), 1);
  EXPECT_EQ(boot.m_dwDrawMode, 1u);
  // The default button's place is where the mouse cursor is put.
  const DLGCONTROL* start = dlg.Item(IDC_STARTUP_START);
  const int cx = dlg.m_rcWindow.x + 181 - dlg.ClientX();
  const int cy = dlg.m_rcWindow.y + 198 - dlg.ClientY();
  EXPECT_TRUE(start->rc.Contains(cx, cy));
}
