// Saves beside their targets: what a copy killed in the middle of a save
// leaves behind is cleared by the next save of that file, and at start-up,
// without touching anything that is not a save's temporary file.
#include "records/data_file.h"

#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/fifo_fixture.h"
#include "tests/support/record_test_fixture.h"

namespace {

class DataFiles : public cRecordFileTest {
 protected:
  // A child starts a save of each path (game paths), writes a little, and
  // is killed before it closes; its temporary files stay behind.
  void KilledDuringSaves(const std::vector<std::string>& paths) {
    pid_t pid = ::fork();
    if (pid == 0) {
      std::vector<std::unique_ptr<cDataFile>> open;
      for (const std::string& p : paths) {
        open.push_back(OpenDataFileWrite(p));
        if (!open.back() || !open.back()->WriteU32(7)) ::_exit(2);
        std::fflush(nullptr);
      }
      ::_exit(0);  // no destructors: as a kill leaves things
    }
    ASSERT_GT(pid, 0);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }

  std::vector<std::string> Names(const std::string& rel) {
    std::vector<std::string> v;
    for (auto& e : std::filesystem::directory_iterator(m_Tmp.Path() + "/" + rel)) v.push_back(e.path().filename());
    std::sort(v.begin(), v.end());
    return v;
  }

  bool Save(const std::string& path) {
    std::unique_ptr<cDataFile> f = OpenDataFileWrite(path);
    return f && f->WriteU32(1) && CloseDataFile(f);
  }
};

// The files a player or a game might keep beside a save, which look a bit
// like temporary files but are not ours.
const char* const kUserFiles[] = {"Save1.dat.tmp", "Save1.dat.t4save~", "Save1.dat.t4save~12-x", "Save1.tmp123_4"};

}  // namespace

TEST_F(DataFiles, NextSaveOfAFileClearsWhatAKilledSaveLeft) {
  m_Tmp.WriteFile("user_data/Save1.dat", "old");
  for (const char* name : kUserFiles) m_Tmp.WriteFile(std::string("user_data/") + name, "mine");
  KilledDuringSaves({"user_data\\Save1.dat", "user_data\\Save2.dat"});
  ASSERT_EQ(Names("user_data").size(), 1u + std::size(kUserFiles) + 2u);
  ASSERT_TRUE(Save("user_data\\Save1.dat"));
  std::vector<std::string> names = Names("user_data");
  // Save2's leftover is not this save's business; start-up clears it.
  EXPECT_EQ(names.size(), 1u + std::size(kUserFiles) + 1u);
  EXPECT_EQ(std::count_if(names.begin(), names.end(), [](const std::string& n) { return n.rfind("Save2.dat", 0) == 0; }),
            1);
  for (const char* name : kUserFiles) EXPECT_EQ(m_Tmp.ReadFile(std::string("user_data/") + name), "mine") << name;
}

TEST_F(DataFiles, StartUpClearsLeftoversInTheFolderAndItsSubfolders) {
  for (const char* name : kUserFiles) m_Tmp.WriteFile(std::string("user_data/") + name, "mine");
  m_Tmp.WriteFile("user_data/replay/Replay1.rep", "kept");
  m_Tmp.WriteFile("data/System.dat", "sys");
  KilledDuringSaves({"user_data\\Save1.dat", "user_data\\replay\\Replay1.rep", "data\\System.dat"});
  RemoveStaleSaveTemps("user_data");
  EXPECT_EQ(Names("user_data").size(), std::size(kUserFiles) + 1u);  // + the replay folder
  EXPECT_EQ(Names("user_data/replay"), std::vector<std::string>{"Replay1.rep"});
  // Only the folder asked for is cleaned.
  EXPECT_EQ(Names("data").size(), 2u);
  RemoveStaleSaveTemps("no_such_folder");
}

// A save still running in this copy keeps its temporary file.
TEST_F(DataFiles, ASaveInProgressKeepsItsFile) {
  std::unique_ptr<cDataFile> f = OpenDataFileWrite("a.dat");
  ASSERT_TRUE(f);
  RemoveStaleSaveTemps("");
  ASSERT_TRUE(Save("a.dat"));
  EXPECT_TRUE(f->WriteU32(3));
  EXPECT_EQ(CloseDataFile(f), 1);
  EXPECT_EQ(m_Tmp.ReadFile("a.dat").size(), 8u);
}

// A named pipe in a data file's place reads as a missing file, at once.
TEST_F(DataFiles, NamedPipeIsNoDataFile) {
  m_Tmp.WriteFile("data/database/x", "");
  const std::string pipe = m_Tmp.Path() + "/data/database/Effect.dat";
  ASSERT_TRUE(MakeFifo(pipe));
  bool bOpened = true;
  EXPECT_TRUE(FinishesWithin(5000, pipe, [&] { bOpened = OpenDataFileRead("data\\database\\Effect.dat") != nullptr; }));
  EXPECT_FALSE(bOpened);
  EXPECT_EQ(m_Tmp.ReadFile("Report_Game.txt"), "");
}
