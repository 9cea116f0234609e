#include "shell/dlg_name_entry.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "records/option.h"
#include "shell/scene_manager.h"

namespace {

DLGEVENT Text(const char* utf8) {
  DLGEVENT e;
  e.nKind = DLGEV_TEXT;
  e.strUtf8 = utf8;
  return e;
}

DLGEVENT Key(int vk) {
  DLGEVENT e;
  e.nVk = vk;
  return e;
}

class NameEntry : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMessageLayerForTests();
    ::setenv("TARVOLIN4_HEADLESS", "1", 1);
  }
  void TearDown() override {
    ::unsetenv("TARVOLIN4_ANSWERS");
    ResetScriptedAnswersForTests();
    g_SceneMgr.m_nTitleChoice = 0;
    g_lpStageRegName = nullptr;
  }
  void Answers(const char* a) {
    ::setenv("TARVOLIN4_ANSWERS", a, 1);
    ResetScriptedAnswersForTests();
  }
};

}  // namespace

TEST_F(NameEntry, TypingKeepsThreeCharactersAndOkStoresCp932) {
  struct CASE {
    std::vector<const char*> typed;  // UTF-8 text events, one after another
    const char* stored;
  } cases[] = {
      {{"a", "b", "c", "d"}, "abc"},
      {{"あ", "い", "う", "え"}, "あいう"},
      {{"aあ", "bい"}, "aあb"},
      {{"ABCDE"}, "ABC"},       // an input method may commit several at once
      {{"x", "😀", "y"}, "xy"},  // not in code page 932: refused
      {{"☃"}, ""},              // refused, the offered name was replaced... by nothing typed
  };
  for (const CASE& c : cases) {
    std::string target = Sjis("前名");
    cNameEntryDlg dlg(&target);
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    // The offered name is selected whole.
    const DLGCONTROL* edit = dlg.Item(IDC_NAME_EDIT);
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->strText, Sjis("前名"));
    EXPECT_EQ(edit->nSelEnd - edit->nSelStart, 4);
    for (const char* t : c.typed) dlg.HandleEvent(Text(t));
    if (std::string(c.typed[0]) == "☃") dlg.HandleEvent(Key(VK_BACK));
    dlg.HandleEvent(Key(VK_RETURN));
    EXPECT_TRUE(dlg.Ended());
    EXPECT_EQ(dlg.Result(), 1);
    EXPECT_EQ(target, Sjis(c.stored)) << c.stored;
    EXPECT_EQ(dlg.Item(IDC_NAME_EDIT)->nSelEnd, static_cast<int>(target.size())) << "caret after the last kept";
  }
}

TEST_F(NameEntry, BackspaceRemovesAWholeDoubleByteCharacter) {
  std::string target;
  cNameEntryDlg dlg(&target);
  dlg.SendMsg(WM_INITDIALOG, 0, 0);
  dlg.HandleEvent(Text("aあい"));
  dlg.HandleEvent(Key(VK_BACK));
  dlg.HandleEvent(Text("b"));
  dlg.HandleEvent(Key(VK_LEFT));
  dlg.HandleEvent(Key(VK_LEFT));
  dlg.HandleEvent(Text("c"));  // the line is full: the last character goes
  dlg.HandleEvent(Key(VK_RETURN));
  EXPECT_EQ(target, Sjis("acあ"));
}

TEST_F(NameEntry, CloseAndEscapeLeaveTheNameAsItWas) {
  for (bool bEscape : {false, true}) {
    std::string target = "ABC";
    cNameEntryDlg dlg(&target);
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    dlg.HandleEvent(Text("X"));
    if (bEscape)
      dlg.HandleEvent(Key(VK_ESCAPE));
    else
      dlg.SendMsg(WM_CLOSE, 0, 0);
    EXPECT_TRUE(dlg.Ended());
    EXPECT_EQ(dlg.Result(), 0);
    EXPECT_EQ(target, "ABC");
  }
}

TEST_F(NameEntry, WithoutATargetTheDialogStillRuns) {
  cNameEntryDlg dlg(nullptr);
  dlg.SendMsg(WM_INITDIALOG, 0, 0);
  dlg.HandleEvent(Text("abcd"));
  dlg.HandleEvent(Key(VK_RETURN));
  EXPECT_EQ(dlg.Result(), 1);
}

TEST_F(NameEntry, ScriptedAnswersDriveTheDialog) {
  struct CASE {
    const char* answers;
    int result;
    const char* name;  // UTF-8 after the dialog
  } cases[] = {
      {"text:ABCD", 1, "ABC"}, {"text:名前です", 1, "名前で"},
      {"text:", 1, ""},  // an empty name may be confirmed
      {"cancel", 0, "元"},     {"", 0, "元"},
      {"text:a😀b", 1, "ab"},
  };
  for (const CASE& c : cases) {
    Answers(c.answers);
    std::string target = Sjis("元");
    EXPECT_EQ(RunNameEntryDialog(&target), c.result) << c.answers;
    EXPECT_EQ(target, Sjis(c.name)) << c.answers;
  }
}

TEST_F(NameEntry, TheOptionScreenEditsTheRankingName) {
  std::string stageName = "STG";
  g_lpStageRegName = &stageName;
  g_SceneMgr.m_nTitleChoice = 5;
  EXPECT_EQ(NameEntryTarget(), &g_Option.m_szRankingName);
  g_SceneMgr.m_nTitleChoice = 1;
  EXPECT_EQ(NameEntryTarget(), &stageName);
  g_lpStageRegName = nullptr;
  EXPECT_EQ(NameEntryTarget(), nullptr);

  g_SceneMgr.m_nTitleChoice = 5;
  g_Option.m_szRankingName = "OLD";
  Answers("text:ねこです");
  NameEntryRequestDialog();
  EXPECT_EQ(g_Option.m_szRankingName, Sjis("ねこで"));
}

TEST_F(NameEntry, TheInputMethodKeepsItsOwnKeys) {
  DLGEVENT compose;
  compose.nKind = DLGEV_COMPOSITION;
  compose.strUtf8 = "なまえ";
  struct CASE {
    const char* what;
    bool bEnterBeforeCommit;  // the Enter that commits arrives before the text
  } cases[] = {{"Enter, then the text", true}, {"the text, then its Enter", false}};
  for (const CASE& c : cases) {
    std::string target;
    cNameEntryDlg dlg(&target);
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    dlg.HandleEvent(compose);
    dlg.HandleEvent(Key(VK_ESCAPE));  // cancels a conversion step, not the dialog
    dlg.HandleEvent(Key(VK_BACK));
    if (c.bEnterBeforeCommit) dlg.HandleEvent(Key(VK_RETURN));
    dlg.HandleEvent(Text("名前"));
    if (!c.bEnterBeforeCommit) dlg.HandleEvent(Key(VK_RETURN));
    EXPECT_FALSE(dlg.Ended()) << c.what;
    EXPECT_EQ(dlg.GetItemText(IDC_NAME_EDIT), Sjis("名前")) << c.what;
    dlg.HandleEvent(Key(VK_RETURN));
    EXPECT_EQ(dlg.Result(), 1) << c.what;
    EXPECT_EQ(target, Sjis("名前")) << c.what;
  }
}

TEST_F(NameEntry, ALongerStoredNameIsCutWhenShown) {
  std::string target = Sjis("abあいう");  // from a damaged options file
  cNameEntryDlg dlg(&target);
  dlg.SendMsg(WM_INITDIALOG, 0, 0);
  EXPECT_EQ(dlg.GetItemText(IDC_NAME_EDIT), Sjis("abあ"));
  dlg.HandleEvent(Key(VK_RETURN));
  EXPECT_EQ(target, Sjis("abあ"));
}
