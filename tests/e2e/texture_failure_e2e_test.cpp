// The real program, headless: a picture the Direct3D path cannot make a
// texture of tells the player what that means, once, and the game closes;
// the DirectDraw path has no textures and no such message.
#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_runner.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

// A title-menu label of 600 characters makes a menu surface wider than any
// texture can be.
TEST(TextureFailureE2e, ATextureThatCannotBeMadeIsExplainedUnderDirect3D) {
  const std::string kMessage =
      "[エラー] テクスチャの作成に失敗しました！\nビデオカードの性能が十分ではないかもしれません。\n"
      "System.iniファイルで「Direct3D=0」に変更してDirect3Dを無効にすれば改善される可能性があります。";
  const struct {
    const char* pszAnswer;
    bool bMessage;
  } kCases[] = {{"d3d", true}, {"ddraw", false}};
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.pszAnswer);
    cTempFolder folder;
    cProjectBuilder builder(folder.Path());
    builder.m_System.m_bTitleMenuCentred = 0;
    builder.m_System.m_vecTitleMenu[0].m_strLabel = std::string(600, 'A');
    ASSERT_TRUE(builder.Build());
    folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
    const std::string err =
        RunToExit(folder.Path(), {{"TARVOLIN4_ANSWERS", c.pszAnswer}, {"TARVOLIN4_EXIT_AFTER", "120"}});
    const size_t at = err.find(kMessage);
    EXPECT_EQ(at != std::string::npos, c.bMessage) << err;
    if (at != std::string::npos) {
      EXPECT_EQ(err.find(kMessage, at + 1), std::string::npos) << "shown twice: " << err;
    }
  }
}
