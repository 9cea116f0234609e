// The real program on the demo project with its music, headless, its mix
// dumped to a WAV file: the title music is what the dump holds.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "platform/ogg_stream.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/demo_music.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

uint32_t Le32(const std::string& s, size_t at) {
  return uint32_t(uint8_t(s[at])) | uint32_t(uint8_t(s[at + 1])) << 8 | uint32_t(uint8_t(s[at + 2])) << 16 |
         uint32_t(uint8_t(s[at + 3])) << 24;
}

size_t FirstSound(const std::vector<int16_t>& v) {
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i]) return i & ~size_t(1);
  return v.size();
}

// The title piece as our own mixer plays it, in this process.
std::vector<int16_t> TitlePiece(int nFrames) {
  AudioSetManualMixForTests(true);
  cVoxPlayer* p = CreateVox();
  std::vector<int16_t> out(size_t(nFrames) * 2);
  if (p->Load("bgm\\Title.ogg")) {
    p->SetLoopCount(0);
    p->Play();
    AudioMixFrames(out.data(), nFrames);
  }
  p->Release();
  return out;
}

}  // namespace

TEST(MusicE2e, TheDumpHoldsTheTitleMusicFromTheFirstSeconds) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  builder.m_System.m_bTitleMenuCentred = 0;
  SetDemoMusic(builder);
  ASSERT_TRUE(builder.Build());
  ASSERT_TRUE(WriteDemoMusic(builder));
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  const int kFrames = 150;
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", "d3d"},
                         {"TARVOLIN4_EXIT_AFTER", std::to_string(kFrames)},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_AUDIO_DUMP", folder.Path() + "/mix.wav"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  ASSERT_TRUE(folder.Exists("mix.wav"));
  const std::string wav = folder.ReadFile("mix.wav");
  ASSERT_GE(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(Le32(wav, 4), wav.size() - 8);
  EXPECT_EQ(Le32(wav, 24), 44100u);
  const uint32_t bytes = Le32(wav, 40);
  ASSERT_EQ(bytes, wav.size() - 44);
  // 735 frames of the mix for every frame presented.
  EXPECT_EQ(bytes % (735 * 4), 0u);
  EXPECT_GE(bytes / (735 * 4), uint32_t(kFrames));

  std::vector<int16_t> mix(bytes / 2);
  std::memcpy(mix.data(), wav.data() + 44, bytes);
  const size_t start = FirstSound(mix);
  // The title asks for its music when it starts, within its first frames.
  ASSERT_LT(start, size_t(2 * 735 * 30));
  const std::vector<int16_t> piece = TitlePiece(44100 * 2);
  const size_t pieceStart = FirstSound(piece);
  const size_t n = std::min(mix.size() - start, piece.size() - pieceStart);
  ASSERT_GT(n, size_t(2 * 735 * 100));
  for (size_t i = 0; i < n; ++i) ASSERT_EQ(mix[start + i], piece[pieceStart + i]) << i;
}
