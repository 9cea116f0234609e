#include "base/path_helpers.h"

#include <gtest/gtest.h>

#include "platform/file_system.h"
#include "platform/text_cp932.h"
#include "tests/support/temp_folder.h"

TEST(PathHelpers, Extensions) {
  struct Case {
    const char* path;
    const char* ext;  // for ReplaceExtension
    BOOL replaced;
    const char* replaceResult;
    const char* removeResult;
  } cases[] = {
      {"a.b.c", "x", TRUE, "a.b.x", "a.b"},
      {"..\\stages.old\\boss", "stg4", FALSE, "..\\stages.old\\boss", "..\\stages.old\\boss"},
      {"..\\stages.old\\boss.stg4", "rpl4", TRUE, "..\\stages.old\\boss.rpl4", "..\\stages.old\\boss"},
      {"dir.d/name", "x", FALSE, "dir.d/name", "dir.d/name"},
      {"name", "x", FALSE, "name", "name"},
  };
  for (const Case& c : cases) {
    std::string dst;
    EXPECT_EQ(ReplaceExtension(dst, c.path, c.ext), c.replaced) << c.path;
    EXPECT_EQ(dst, c.replaceResult);
    std::string p = c.path;
    RemoveExtension(p);
    EXPECT_EQ(p, c.removeResult);
  }
  std::string dst = "keep";
  EXPECT_FALSE(GetExtension(dst, "name"));
  EXPECT_EQ(dst, "keep");
  EXPECT_TRUE(GetExtension(dst, "x\\name.stg4_010"));
  EXPECT_EQ(dst, "stg4_010");
  EXPECT_TRUE(ReplaceExtension(dst, "a.b.c", nullptr));
  EXPECT_EQ(dst, "a.b");
}

TEST(PathHelpers, StripDirectoryKnowsDoubleByteCharacters) {
  struct Case {
    std::string path, stripped;
  } cases[] = {
      {Sjis("dir\\表"), Sjis("表")},
      {Sjis("ぁ\\file"), "file"},  // "ぁ" is 82 9F: its trail byte looks like a lead byte
      {"a\\b\\c.stg4", "c.stg4"},
      {"plain", "plain"},
      {"\\root", "root"},
  };
  for (const Case& c : cases) {
    std::string p = c.path;
    StripDirectory(p);
    EXPECT_EQ(p, c.stripped) << Cp932ToUtf8(c.path);
  }
}

TEST(PathHelpers, NumberedNames) {
  std::string dst;
  EXPECT_TRUE(MakeNumberedName(dst, "rp.rpl4_667", 0, 5));
  EXPECT_EQ(dst, "rp_05.rpl4_667");
  EXPECT_FALSE(MakeNumberedName(dst, "noext", 0, 5));
}

TEST(PathHelpers, FindsTheNewestNumberedFileInAnyCase) {
  cTempFolder tmp;
  tmp.WriteFile("data/stg4/A.STG4_003", "3");
  tmp.WriteFile("data/stg4/a.stg4_010", "10");
  tmp.WriteFile("data/stg4/a.stg4_01", "short");
  tmp.WriteFile("data/stg4/b.stg4_999", "other");
  std::string dst;
  ASSERT_TRUE(FindLatestNumberedFile(dst, "data\\stg4\\a.stg4", "stg4"));
  EXPECT_EQ(dst, "data\\stg4\\a.stg4_010");
  FILE* f = OpenFile(dst, "rb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  // A replay name is given exactly; no numbered file: FALSE, dst untouched.
  dst = "kept";
  EXPECT_FALSE(FindLatestNumberedFile(dst, "user_data\\rpl4\\x.rpl4_667", "stg4"));
  EXPECT_EQ(dst, "kept");
  // The extension is replaced first.
  ASSERT_TRUE(FindLatestNumberedFile(dst, "data\\stg4\\a.rpl4_667", "stg4"));
  EXPECT_EQ(dst, "data\\stg4\\a.stg4_010");
}

TEST(PathHelpers, AbsoluteAndRelative) {
  cTempFolder tmp;
  std::string p = "Report_Game.txt";
  ASSERT_TRUE(MakeAbsolutePath(p));
  std::string cwd = GetCurrentDirectoryCp932();
  EXPECT_EQ(p, cwd + "\\Report_Game.txt");
  ASSERT_TRUE(MakeRelativePath(p));
  EXPECT_EQ(p, ".\\Report_Game.txt");
  std::string rel = "data\\x";
  EXPECT_TRUE(MakeRelativePath(rel));
  EXPECT_EQ(rel, "data\\x");
  std::string sub = cwd + "\\data\\stg4\\a.stg4_000";
  ASSERT_TRUE(MakeRelativePath(sub));
  EXPECT_EQ(sub, ".\\data\\stg4\\a.stg4_000");
}
