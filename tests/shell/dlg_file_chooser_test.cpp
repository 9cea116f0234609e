#include "shell/dlg_file_chooser.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/file_system.h"
#include "platform/keyboard.h"
#include "platform/messages.h"
#include "platform/test_seams.h"
#include "platform/text_cp932.h"
#include "tests/support/temp_folder.h"

namespace {

DLGEVENT Key(int vk) {
  DLGEVENT e;
  e.nVk = vk;
  return e;
}

DLGEVENT Text(const char* utf8) {
  DLGEVENT e;
  e.nKind = DLGEV_TEXT;
  e.strUtf8 = utf8;
  return e;
}

const FILEFILTER kStageFilter{"StageFile ( *.stg4_*;*.rpl4_* )", "*.stg4_*;*.rpl4_*"};
const FILEFILTER kReplayFilter{"ReplayFile ( *.rpl4_667 )", "*.rpl4_667"};

class Chooser : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetMessageLayerForTests();
    ::setenv("TARVOLIN4_HEADLESS", "1", 1);
  }
  void TearDown() override {
    ::unsetenv("TARVOLIN4_ANSWERS");
    ResetScriptedAnswersForTests();
  }
  void Answers(const char* a) {
    ::setenv("TARVOLIN4_ANSWERS", a, 1);
    ResetScriptedAnswersForTests();
  }
  // The stage folder as a game from Windows may spell it.
  void MakeStages() {
    m_Tmp.WriteFile("Data/STG4/b.stg4_667", "x");
    m_Tmp.WriteFile("Data/STG4/A.STG4_667", "x");
    m_Tmp.WriteFile("Data/STG4/c.rpl4_667", "x");
    m_Tmp.WriteFile("Data/STG4/" + Cp932ToUtf8(Sjis("ステージ.stg4_667")), "x");
    m_Tmp.WriteFile("Data/STG4/notes.txt", "x");
    m_Tmp.WriteFile("Data/STG4/stg4_667", "x");
    m_Tmp.WriteFile("Data/STG4/sub.stg4_x/inner.stg4_667", "x");
  }
  cTempFolder m_Tmp;
};

}  // namespace

TEST(ChooserPattern, MatchesWithoutRegardToCase) {
  struct CASE {
    const char* name;
    const char* patterns;
    bool match;
  } cases[] = {
      {"a.stg4_667", "*.stg4_*;*.rpl4_*", true},
      {"A.STG4_667", "*.stg4_*;*.rpl4_*", true},
      {"x.Rpl4_667", "*.stg4_*;*.rpl4_*", true},
      {"a.stg4", "*.stg4_*", false},
      {"stg4_667", "*.stg4_*", false},
      {"a.txt", "*.stg4_*;*.rpl4_*", false},
      {"ステージ.stg4_1", "*.stg4_*", true},
      {"a.rpl4_667", "*.rpl4_667", true},
      {"a.rpl4_666", "*.rpl4_667", false},
      {"ab.x", "?b.x", true},
      {"表.x", "?.x", true},  // a double-byte character is one
      {"a.stg4_1", " *.rpl4_* ; *.stg4_* ", true},
  };
  for (const CASE& c : cases) EXPECT_EQ(MatchFilePattern(Sjis(c.name), c.patterns), c.match) << c.name;
}

TEST_F(Chooser, ListsTheMatchingStageFilesOfAnyLetterCase) {
  MakeStages();
  std::vector<std::string> want = {"A.STG4_667", "b.stg4_667", "c.rpl4_667", Sjis("ステージ.stg4_667")};
  EXPECT_EQ(ListMatchingFiles("data\\stg4\\", kStageFilter.strPattern), want);
  EXPECT_TRUE(ListMatchingFiles("data\\none\\", kStageFilter.strPattern).empty());
}

TEST_F(Chooser, DrawnOpenChooserReturnsARelativeCp932Path) {
  MakeStages();
  struct CASE {
    const char* what;
    std::vector<DLGEVENT> events;
    int result;
    const char* path;  // UTF-8
  } cases[] = {
      {"Enter on the first", {Key(VK_RETURN)}, 1, "data\\stg4\\A.STG4_667"},
      {"down to the Japanese name",
       {Key(VK_DOWN), Key(VK_DOWN), Key(VK_DOWN), Key(VK_RETURN)},
       1,
       "data\\stg4\\ステージ.stg4_667"},
      {"a typed name that exists, other case",
       {Key(VK_TAB), Text("B.Stg4_667"), Key(VK_RETURN)},
       1,
       "data\\stg4\\B.Stg4_667"},
      {"a typed name that does not exist is not taken", {Key(VK_TAB), Text("zz.stg4_667"), Key(VK_RETURN)}, -1, ""},
      {"a path out of the folder is not taken", {Key(VK_TAB), Text("..\\x.stg4_1"), Key(VK_RETURN)}, -1, ""},
      {"Esc", {Key(VK_ESCAPE)}, 0, ""},
  };
  for (const CASE& c : cases) {
    cFileChooserDlg dlg(false, "data\\stg4\\", Sjis("ステージファイルの選択"), kStageFilter, "stg4_*;rpl4_*", "");
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    for (const DLGEVENT& e : c.events) dlg.HandleEvent(e);
    EXPECT_EQ(dlg.Ended() ? dlg.Result() : -1, c.result) << c.what;
    EXPECT_EQ(dlg.m_strChosen, Sjis(c.path)) << c.what;
  }
}

// The choosers move into subfolders (a folder line, or a typed path) and up
// again, never above the game folder: a stage kept in "data\\stg4\\old_ver"
// can be chosen, and the path comes back relative to the game folder.
TEST_F(Chooser, MovesThroughSubfoldersButNotAboveTheGameFolder) {
  MakeStages();
  m_Tmp.WriteFile("Data/STG4/old_ver/v1.stg4_500", "x");
  m_Tmp.WriteFile("top.stg4_667", "x");
  struct CASE {
    const char* what;
    std::vector<DLGEVENT> events;
    int result;
    const char* path;    // UTF-8
    const char* folder;  // shown at the end
  } cases[] = {
      // Lines: "..\\", "old_ver\\", "sub.stg4_x\\", then the files, the first under the cursor.
      {"Enter on a folder line, then on its file",
       {Key(VK_UP), Key(VK_UP), Key(VK_RETURN), Key(VK_RETURN)}, 1, "data\\stg4\\old_ver\\v1.stg4_500", "data\\stg4\\old_ver"},
      {"a typed path through a folder",
       {Key(VK_TAB), Text("sub.stg4_x\\inner.stg4_667"), Key(VK_RETURN)}, 1, "data\\stg4\\sub.stg4_x\\inner.stg4_667",
       "data\\stg4"},
      {"a typed folder name moves there", {Key(VK_TAB), Text("OLD_VER"), Key(VK_RETURN)}, -1, "", "data\\stg4\\OLD_VER"},
      {"up twice to the game folder, whose own stage can be chosen",
       {Key(VK_TAB), Text("..\\.."), Key(VK_RETURN), Text("top.stg4_667"), Key(VK_RETURN)}, 1, "top.stg4_667", "."},
      {"the up line takes one step", {Key(VK_UP), Key(VK_UP), Key(VK_UP), Key(VK_RETURN)}, -1, "", "data"},
      {"nothing above the game folder",
       {Key(VK_TAB), Text("..\\..\\..\\x.stg4_1"), Key(VK_RETURN)}, -1, "", "data\\stg4"},
      {"nor a path from the root", {Key(VK_TAB), Text("\\top.stg4_667"), Key(VK_RETURN)}, -1, "", "data\\stg4"},
  };
  for (const CASE& c : cases) {
    cFileChooserDlg dlg(false, "data\\stg4\\", Sjis("ステージファイルの選択"), kStageFilter, "stg4_*;rpl4_*", "");
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    for (const DLGEVENT& e : c.events) dlg.HandleEvent(e);
    EXPECT_EQ(dlg.Ended() ? dlg.Result() : -1, c.result) << c.what;
    EXPECT_EQ(dlg.m_strChosen, Sjis(c.path)) << c.what;
    EXPECT_EQ(dlg.GetItemText(IDC_FILE_FOLDER), c.folder) << c.what;
  }
  // At the game folder there is no line to go up.
  cFileChooserDlg top(false, "", Sjis("ステージファイルの選択"), kStageFilter, "stg4_*;rpl4_*", "");
  top.SendMsg(WM_INITDIALOG, 0, 0);
  for (const std::string& line : top.Item(IDC_FILE_LIST)->vLines) EXPECT_NE(line, "..\\");
}

TEST_F(Chooser, SaveChooserAddsTheExtensionAndAsksBeforeOverwriting) {
  m_Tmp.WriteFile("user_data/rpl4/old.rpl4_667", "x");
  struct CASE {
    const char* what;
    const char* typed;
    const char* answers;
    int result;
    const char* path;
  } cases[] = {
      {"new name, extension added", "new", "", 1, "user_data\\rpl4\\new.rpl4_667"},
      {"existing: yes overwrites", "old.rpl4_667", "yes", 1, "user_data\\rpl4\\old.rpl4_667"},
      {"existing: no keeps the dialog open", "OLD", "no", -1, ""},
  };
  for (const CASE& c : cases) {
    Answers(c.answers);
    cFileChooserDlg dlg(true, "user_data\\rpl4\\", Sjis("保存先のファイル選択"), kReplayFilter, "rpl4_667",
                        "offer_00.rpl4_667");
    dlg.SendMsg(WM_INITDIALOG, 0, 0);
    EXPECT_EQ(dlg.GetItemText(IDC_FILE_NAME), "offer_00.rpl4_667") << "the proposal is offered";
    dlg.HandleEvent(Text(c.typed));
    dlg.HandleEvent(Key(VK_RETURN));
    EXPECT_EQ(dlg.Ended() ? dlg.Result() : -1, c.result) << c.what;
    EXPECT_EQ(dlg.m_strChosen, c.path) << c.what;
  }
}

TEST_F(Chooser, ProposesTheFirstFreeReplayName) {
  EXPECT_EQ(ProposeReplaySaveName(""), "");
  EXPECT_EQ(ProposeReplaySaveName("data\\stg4\\s1.stg4_667"), "s1_00.rpl4_667");
  m_Tmp.WriteFile("user_data/rpl4/s1_00.rpl4_667", "x");
  m_Tmp.WriteFile("user_data/rpl4/S1_01.RPL4_667", "x");  // any letter case counts
  EXPECT_EQ(ProposeReplaySaveName("data\\stg4\\s1.stg4_667"), "s1_02.rpl4_667");
  for (int a = 0; a <= 8; ++a)
    for (int b = 0; b <= 8; ++b)
      m_Tmp.WriteFile("user_data/rpl4/s1_" + std::to_string(a) + std::to_string(b) + ".rpl4_667", "x");
  EXPECT_EQ(ProposeReplaySaveName("s1.stg4_667"), "s1_88.rpl4_667") << "all 81 exist";
  EXPECT_EQ(ProposeReplaySaveName("noext"), "noext_00.rpl4_667");
}

TEST_F(Chooser, ScriptedAnswersDriveBothChoosers) {
  MakeStages();
  std::string path = "junk";
  Answers("file:data\\stg4\\ステージ.stg4_667,cancel,file:user_data\\rpl4\\x.rpl4_667,cancel");
  std::vector<std::string> list;
  EXPECT_EQ(ChooseOpenFile(path, 260, "data\\stg4\\", "t", kStageFilter, "", &list), 1);
  EXPECT_EQ(path, Sjis("data\\stg4\\ステージ.stg4_667"));
  EXPECT_EQ(list, std::vector<std::string>{path});
  EXPECT_EQ(ChooseOpenFileForRequest(path, kStageChooser), 0);
  EXPECT_EQ(path, "") << "cleared on cancel";
  EXPECT_EQ(ChooseReplaySaveFileForRequest(path, "data\\stg4\\s.stg4_667"), 1);
  EXPECT_EQ(path, "user_data\\rpl4\\x.rpl4_667");
  // Cancelling the save chooser leaves the proposed name.
  EXPECT_EQ(ChooseReplaySaveFileForRequest(path, "data\\stg4\\s.stg4_667"), 0);
  EXPECT_EQ(path, "s_00.rpl4_667");
}

TEST_F(Chooser, APathLongerThanTheBufferIsNotChosen) {
  Answers("file:data\\stg4\\abcdefgh.stg4_667");
  std::string path;
  EXPECT_EQ(ChooseOpenFile(path, 10, "data\\stg4\\", "t", kStageFilter, "", nullptr), 0);
  EXPECT_EQ(path, "");
}
