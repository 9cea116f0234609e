#include "platform/file_system.h"

#include <gtest/gtest.h>

#include "platform/text_cp932.h"
#include "tests/support/fifo_fixture.h"
#include "tests/support/temp_folder.h"

TEST(FileSystem, ResolvesBackslashesAndLetterCase) {
  cTempFolder tmp;
  tmp.WriteFile("Data/Stg4/A.STG4_003", "x");
  EXPECT_EQ(ResolvePath("data\\stg4\\a.stg4_003"), "Data/Stg4/A.STG4_003");
  FILE* f = OpenFile("DATA\\STG4\\a.Stg4_003", "rb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);
  // A missing tail keeps the given spelling so that it can be created.
  EXPECT_EQ(ResolvePath("data\\new\\file.dat"), "Data/new/file.dat");
}

TEST(FileSystem, DoubleByteCharacterKeepsItsTrailByte) {
  cTempFolder tmp;
  tmp.WriteFile("表/ファイル.txt", "x");
  std::string path = Sjis("表\\ファイル.txt");
  EXPECT_EQ(ResolvePath(path), "表/ファイル.txt");
  EXPECT_EQ(GetFileAttributesA(path), FILE_ATTRIBUTE_ARCHIVE);
  EXPECT_EQ(GetFileAttributesA(Sjis("表")), FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(GetFileAttributesA("nothing"), INVALID_FILE_ATTRIBUTES);
}

TEST(FileSystem, FolderOperations) {
  cTempFolder tmp;
  EXPECT_TRUE(CreateDirectoryA("user_data"));
  EXPECT_FALSE(CreateDirectoryA("USER_DATA"));  // exists, in another case
  EXPECT_TRUE(CreateDirectoryA("user_data\\story"));
  EXPECT_TRUE(PathIsDirectoryA("User_Data\\Story"));
  tmp.WriteFile("user_data/A.DAT", "old");
  auto names = ListFolder("user_data");
  EXPECT_EQ(names.size(), 2u);
}

// A named pipe, a folder or a device where a file should be opens as no
// file, at once: a pipe with no writer would otherwise hold the open for
// good. Regular files still open in every mode.
TEST(FileSystem, OnlyRegularFilesOpen) {
  cTempFolder tmp;
  tmp.WriteFile("data/a.dat", "abc");
  ASSERT_TRUE(MakeFifo(tmp.Path() + "/data/pipe.dat"));
  for (const char* mode : {"rb", "r+b", "wb", "ab"}) {
    SCOPED_TRACE(mode);
    FILE* f = nullptr;
    EXPECT_TRUE(FinishesWithin(5000, tmp.Path() + "/data/pipe.dat", [&] { f = OpenFile("data\\PIPE.dat", mode); }));
    EXPECT_EQ(f, nullptr);
    if (f) std::fclose(f);
    EXPECT_EQ(OpenFile("data", mode), nullptr);
    EXPECT_EQ(OpenNativeFile("/dev/null", mode), nullptr);
  }
  FILE* f = OpenFile("data\\a.dat", "rb");
  ASSERT_NE(f, nullptr);
  char buf[4] = {};
  EXPECT_EQ(std::fread(buf, 1, 4, f), 3u);
  std::fclose(f);
  f = OpenFile("data\\a.dat", "ab");
  ASSERT_NE(f, nullptr);
  EXPECT_GE(std::fputs("d", f), 0);
  std::fclose(f);
  EXPECT_EQ(tmp.ReadFile("data/a.dat"), "abcd");
  // "w" creates a missing file and empties an existing one.
  for (const char* name : {"data\\a.dat", "data\\new.dat"}) {
    f = OpenFile(name, "wb");
    ASSERT_NE(f, nullptr) << name;
    std::fclose(f);
  }
  EXPECT_EQ(tmp.ReadFile("data/a.dat"), "");
  EXPECT_TRUE(tmp.Exists("data/new.dat"));
}

// The whole-file read of the sound readers: the bytes of a regular file, a
// file over the limit refused as unreadable, anything that does not open
// told apart from it.
TEST(FileSystem, ReadFileBytes) {
  cTempFolder tmp;
  tmp.WriteFile("bgm/A.mid", "MThd");
  tmp.WriteFile("bgm/empty.mid", "");
  struct CASE {
    const char* path;
    uint64_t nMax;
    FILEREADRESULT result;
    const char* bytes;
  } cases[] = {
      {"bgm\\a.mid", 4, FILEREAD_OK, "MThd"},
      {"bgm\\empty.mid", 4, FILEREAD_OK, ""},
      {"bgm\\a.mid", 3, FILEREAD_FAILED, ""},
      {"bgm\\none.mid", 4, FILEREAD_NOFILE, ""},
      {"bgm", 4, FILEREAD_NOFILE, ""},
  };
  for (const CASE& c : cases) {
    SCOPED_TRACE(c.path);
    std::vector<uint8_t> v = {1, 2, 3};
    EXPECT_EQ(ReadFileBytes(c.path, c.nMax, v), c.result);
    EXPECT_EQ(std::string(v.begin(), v.end()), c.bytes);
  }
}
