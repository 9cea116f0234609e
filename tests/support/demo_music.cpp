#include "tests/support/demo_music.h"

#include <fstream>

#include "platform/text_cp932.h"
#include "tests/support/music_writers.h"

namespace {

cEdBgm Entry(const char* pszName, const char* pszFile) {
  cEdBgm e;
  e.strName = Sjis(pszName);
  e.strFile = pszFile;
  return e;
}

BOOL WriteNative(const std::string& path, const std::string& bytes) {
  if (bytes.empty()) return 0;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
  out.close();
  return out.good() ? 1 : 0;
}

}  // namespace

void SetDemoMusic(cProjectBuilder& b) {
  b.m_Database.m_vecBgm = {Entry("なし", ""), Entry("タイトル", "bgm\\Title.ogg"), Entry("ステージ", "bgm\\Stage.mid")};
  // Title, world map and save, challenge, option; every one loops.
  b.m_System.m_vecScreenBgm = {kDemoTitleMusic, kDemoStageMusic, kDemoTitleMusic, kDemoTitleMusic};
  b.m_System.m_vecScreenBgmLoop = {1, 1, 1, 1};
  for (cEdStage* st : {&b.m_Stage1, &b.m_Stage2}) {
    st->m_nBgm = kDemoStageMusic;
    st->m_nBgmOption = 1;  // the loop flag of the stage's music request
  }
}

BOOL WriteDemoMusic(const cProjectBuilder& b) {
  return WriteNative(b.Root() + "/bgm/Title.ogg", DemoTitleOgg()) &&
         WriteNative(b.Root() + "/bgm/Stage.mid", DemoStageMidi());
}
