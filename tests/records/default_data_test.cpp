// Making "data" from "default", and the project folders.
#include "records/default_data.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include "platform/messages.h"
#include "platform/test_seams.h"
#include "base/report.h"
#include "tests/support/temp_folder.h"

namespace fs = std::filesystem;

namespace {

class DefaultData : public ::testing::Test {
 protected:
  void SetUp() override {
    ::setenv("TARVOLIN4_HEADLESS", "1", 1);
    ResetMessageLayerForTests();
    ASSERT_TRUE(OpenReport("Report_Game.txt"));
  }
  void TearDown() override {
    ::unsetenv("TARVOLIN4_ANSWERS");
    ResetScriptedAnswersForTests();
  }
  void Answers(const char* psz) {
    ::setenv("TARVOLIN4_ANSWERS", psz, 1);
    ResetScriptedAnswersForTests();
  }
  // Runs CreateDefaultData and gives what the headless boxes printed.
  BOOL Run(std::string& boxes) {
    testing::internal::CaptureStderr();
    BOOL b = CreateDefaultData(nullptr);
    boxes = testing::internal::GetCapturedStderr();
    return b;
  }
  void MakeDefault() {
    m_Tmp.WriteFile("default/System.dat", "sys");
    m_Tmp.WriteFile("default/database/Anime.dat", "anime");
    m_Tmp.WriteFile("default/stg4/a.stg4_000", "stage");
  }
  cTempFolder m_Tmp;
};

const char* const QUESTION = "[デフォルトデータ作成の確認] データが存在しません！デフォルトデータを作成しますか？\n";

}  // namespace

TEST_F(DefaultData, AnExistingDataFolderIsEnoughWithoutAQuestion) {
  fs::create_directory("DATA");  // any letter case
  Answers("no");
  std::string boxes;
  EXPECT_EQ(Run(boxes), TRUE);
  EXPECT_EQ(boxes, "");
  std::string unused;
  EXPECT_TRUE(NextScriptedAnswer(unused));
}

TEST_F(DefaultData, NeitherFolderFailsWithoutAQuestion) {
  std::string boxes;
  EXPECT_EQ(Run(boxes), FALSE);
  EXPECT_EQ(boxes, "");
  EXPECT_FALSE(fs::exists("data"));
}

TEST_F(DefaultData, AnsweringNoCreatesNothing) {
  MakeDefault();
  Answers("no");
  std::string boxes;
  EXPECT_EQ(Run(boxes), FALSE);
  EXPECT_NE(boxes.find(QUESTION), std::string::npos) << boxes;
  EXPECT_FALSE(fs::exists("data"));
}

TEST_F(DefaultData, AnsweringYesCopiesTheWholeDefaultFolder) {
  MakeDefault();
  Answers("yes");
  std::string boxes;
  EXPECT_EQ(Run(boxes), TRUE);
  EXPECT_NE(boxes.find(QUESTION), std::string::npos) << boxes;
  EXPECT_EQ(m_Tmp.ReadFile("data/System.dat"), "sys");
  EXPECT_EQ(m_Tmp.ReadFile("data/database/Anime.dat"), "anime");
  EXPECT_EQ(m_Tmp.ReadFile("data/stg4/a.stg4_000"), "stage");
  EXPECT_EQ(m_Tmp.ReadFile("default/System.dat"), "sys");  // the source stays
}

TEST_F(DefaultData, AFailedCopyLeavesNoPartialDataFolder) {
  MakeDefault();
  // Entries that nobody can copy, not even root: a link to nothing, and a
  // named pipe in a sub-folder.
  struct Case {
    const char* pszEntry;
    bool bPipe;
  } cases[] = {{"default/zz_broken_link", false}, {"default/database/zz_pipe", true}};
  for (const Case& c : cases) {
    if (c.bPipe) {
      ASSERT_EQ(::mkfifo(c.pszEntry, 0600), 0);
    } else {
      fs::create_symlink("nowhere", c.pszEntry);
    }
    Answers("yes");
    std::string boxes;
    EXPECT_EQ(Run(boxes), FALSE) << c.pszEntry;
    EXPECT_NE(boxes.find(QUESTION), std::string::npos) << boxes;
    EXPECT_FALSE(fs::exists(fs::symlink_status("data"))) << c.pszEntry;
    EXPECT_EQ(m_Tmp.ReadFile("default/System.dat"), "sys");
    fs::remove(c.pszEntry);
  }
}

TEST_F(DefaultData, ADataFileIsNeverDeleted) {
  MakeDefault();
  m_Tmp.WriteFile("data", "user's file");
  Answers("yes");
  std::string boxes;
  EXPECT_EQ(Run(boxes), FALSE);
  EXPECT_EQ(m_Tmp.ReadFile("data"), "user's file");
  EXPECT_TRUE(fs::is_regular_file("data"));
}

TEST_F(DefaultData, PreparingTheProjectReportsFailureOrMakesEveryFolder) {
  testing::internal::CaptureStderr();
  EXPECT_EQ(PrepareProjectFolders(nullptr), FALSE);
  std::string boxes = testing::internal::GetCapturedStderr();
  EXPECT_NE(boxes.find("[エラー] 「data」フォルダの作成に失敗…\n「default」フォルダに問題がある可能性があります。"),
            std::string::npos)
      << boxes;
  EXPECT_NE(m_Tmp.ReadFile("Report_Game.txt").find("「data」フォルダの作成に失敗…"), std::string::npos);
  EXPECT_FALSE(fs::exists("user_data"));

  fs::create_directory("data");
  EXPECT_EQ(PrepareProjectFolders(nullptr), TRUE);
  int n = 0;
  for (; g_aszProjectFolder[n][0] != '\0'; ++n) {
    std::string native = g_aszProjectFolder[n];
    for (char& c : native) {
      if (c == '\\') c = '/';
    }
    EXPECT_TRUE(fs::is_directory(native)) << native;
  }
  EXPECT_EQ(n, 22);
}
