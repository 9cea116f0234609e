// The real program on the demo project with its music, headless, its mix
// dumped to a WAV file: the title music is what the dump holds, and once a
// stage starts, the stage's piece.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/audio.h"
#include "media/sound/midi_player.h"
#include "platform/ogg_stream.h"
#include "tests/e2e/audio_dump.h"
#include "tests/e2e/e2e_runner.h"
#include "tests/support/demo_game.h"
#include "tests/support/demo_music.h"
#include "tests/support/project_builder.h"
#include "tests/support/temp_folder.h"

namespace {

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

// The stage piece (MIDI) as our mixer plays it, pulled a frame's worth
// at a time as the headless program pulls it.
std::vector<int16_t> StagePiece(int nFrames) {
  AudioSetManualMixForTests(true);
  std::vector<int16_t> out(size_t(nFrames) * 735 * 2);
  cMidi piece("bgm\\Stage.mid");
  if (!piece.IsLoaded()) return {};
  piece.Restart(TRUE);
  for (int f = 0; f < nFrames; ++f) AudioMixFrames(out.data() + size_t(f) * 735 * 2, 735);
  piece.PauseStop(0);
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
  // 735 frames of the mix for every frame presented, up to the last.
  EXPECT_EQ(bytes, uint32_t(kFrames) * 735 * 4);

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

// Title, then free play of the first stage: the title's Ogg from the first
// frames up to the stage, then the stage's MIDI piece, which starts with the
// stage and not before.
TEST(MusicE2e, TheDumpHoldsTheStageMusicOnceTheStageStarts) {
  cTempFolder folder;
  cProjectBuilder builder(folder.Path());
  ASSERT_TRUE(BuildDemoProject(builder));
  folder.WriteFile("System.ini", "WindowMode=1\r\nBpp=32\r\nShowFps=0\r\nExit\r\n");
  // Three rows down to "フリー", decide, the stage file chosen.
  folder.WriteFile("keys.txt",
                   "100 Down down\n101 Down up\n103 Down down\n104 Down up\n106 Down down\n107 Down up\n"
                   "110 Z down\n111 Z up\n");
  const int kFrames = 330;
  pid_t pid = StartGame(folder.Path(),
                        {{"TARVOLIN4_ANSWERS", "d3d,file:data\\stg4\\Stage1.stg4_000"},
                         {"TARVOLIN4_INPUT", folder.Path() + "/keys.txt"},
                         {"TARVOLIN4_EXIT_AFTER", std::to_string(kFrames)},
                         {"TARVOLIN4_FAST", "1"},
                         {"TARVOLIN4_PLAYLOG", folder.Path() + "/play.log"},
                         {"TARVOLIN4_AUDIO_DUMP", folder.Path() + "/mix.wav"}},
                        folder.Path() + "/stderr.txt");
  ASSERT_GT(pid, 0);
  ASSERT_EQ(WaitExit(pid, 60000), 0) << folder.ReadFile("stderr.txt");
  const std::vector<int16_t> mix = DumpSamples(folder.ReadFile("mix.wav"));
  ASSERT_EQ(mix.size(), size_t(kFrames) * 735 * 2);
  // The stage mode logs one line for each of its frames, up to the run's
  // last presented frame.
  const std::string log = folder.ReadFile("play.log");
  const int nStageFrames = int(std::count(log.begin(), log.end(), '\n'));
  ASSERT_GT(nStageFrames, 100) << folder.ReadFile("stderr.txt");
  const int nStageStart = kFrames - nStageFrames;

  // Where the stage piece begins: the frame from which the dump holds it
  // over two seconds of the stage (no key is pressed in it, so no sound
  // effect joins in). The synthesiser dithers its 16-bit output, so a
  // sample may differ by one.
  const int kCompared = 120;
  const std::vector<int16_t> piece = StagePiece(kCompared);
  ASSERT_FALSE(piece.empty());
  auto close = [](int16_t a, int16_t b) { return std::abs(int(a) - int(b)) <= 2; };
  int nFound = -1;
  for (int f = 0; f + kCompared <= kFrames && nFound < 0; ++f) {
    const int16_t* at = mix.data() + size_t(f) * 735 * 2;
    if (std::equal(piece.begin(), piece.end(), at, close)) nFound = f;
  }
  ASSERT_GE(nFound, 0) << "the stage piece is not in the dump";
  // The request is made by the stage's first frame and served before that
  // frame is shown, so the piece starts with it.
  EXPECT_EQ(nFound, nStageStart);

  // Before it, the title's piece, from its first frames.
  const std::vector<int16_t> title = TitlePiece(44100 * 2);
  const size_t start = FirstSound(mix);
  ASSERT_LT(start, size_t(2 * 735 * 30));
  // Up to the first menu key, whose cursor sound joins the mix.
  const size_t n = size_t(99) * 735 * 2 - start;
  for (size_t i = 0; i < n; ++i) ASSERT_EQ(mix[start + i], title[FirstSound(title) + i]) << i;
}
